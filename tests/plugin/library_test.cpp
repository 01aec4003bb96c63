// The library object's lifecycle and objects made from registry entries.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/global_events.h>
#include <velora/object.h>
#include <velora/object_registry.h>
#include <velora/plugin_loader.h>

using namespace VELSDK2025;

namespace {

class RecordingLibrary : public LyLibraryBase {
public:
    bool LibInit() override { return Note("init"); }
    bool LibOpen() override { return Note("open"); }
    bool LibReady() override {
        guardHeld = velora::InterpreterGuard::Depth() > 0;
        return Note("ready");
    }
    bool LibClose() override { return Note("close"); }
    bool LibRelease() override { return Note("release"); }
    bool Note(const char* what) {
        calls.push_back(what);
        return false;  // the answer is ignored
    }
    std::vector<std::string> calls;
    bool guardHeld = false;
};

}  // namespace

TEST(LibraryObject, HooksFollowTheLifecycleEventsInOrder) {
    RecordingLibrary library;
    velora::FireLibraryOpen();
    velora::FireLibraryClose();
    const std::vector<std::string> expected = {"open", "ready", "close", "release"};
    EXPECT_EQ(library.calls, expected);
    EXPECT_TRUE(library.guardHeld);
    EXPECT_EQ(velora::InterpreterGuard::Depth(), 0);
}

TEST(LibraryObject, AnEndedLibraryHearsNothingMore) {
    const int before = velora::GlobalEvent::HandlerCount("LIBRARY_OPEN");
    {
        RecordingLibrary library;
        EXPECT_EQ(velora::GlobalEvent::HandlerCount("LIBRARY_OPEN"), before + 1);
        EXPECT_EQ(library.IQuery(0), static_cast<IObject*>(&library));
        EXPECT_EQ(library.IQuery(2), static_cast<IObject*>(&library));
        EXPECT_EQ(library.IQuery(1), nullptr);
        library.Destroy(0);  // the plug-in owns it: nothing happens
    }
    EXPECT_EQ(velora::GlobalEvent::HandlerCount("LIBRARY_OPEN"), before);
    velora::FireLibraryOpen();  // no dangling handler to call
}

namespace {

class Widget : public LyComponent {
    LYSDK_CLASS_DECLARE(Widget, LyComponent)
public:
    explicit Widget(const char* name) { SetName(name); }
    ~Widget() override { ++ended; }
    void LyDestroy() override { ++destroyed; }
    static int ended;
    static int destroyed;
};
int Widget::ended = 0;
int Widget::destroyed = 0;
LYSDK_CLASS_IMPLEMENT(Widget, 0)

IObject* CreateWidget(IObject*, const char* name, void*) {
    auto* widget = new Widget(name);
    widget->LyCreate();
    return widget->GetHIObject();
}

velora::Object* MakeFromRegistry(const char* name) {
    LyObject_Register("Tests/Widgets", "Widget", "A widget", &CreateWidget, true, nullptr);
    return velora::AsObject(velora::ObjectRegistry::Instance().Create("Tests/Widgets", "Widget",
                                                                      nullptr, name, nullptr));
}

}  // namespace

TEST(ExtensionObjects, ARegistryObjectIsBoundToItsBridge) {
    velora::Object* host = MakeFromRegistry("W1");
    ASSERT_NE(host, nullptr);
    auto* widget = static_cast<Widget*>(GetLyComponent(host));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->IsSDKComponent());
    EXPECT_TRUE(widget->Is(Widget::TypeInfo));
    EXPECT_STREQ(host->Name(), "W1");
    // The bridge knows it carries a plug-in class.
    EXPECT_TRUE(host->IsCustomObject());
    EXPECT_STREQ(host->CustomClassName(), "Widget");
    EXPECT_STREQ(host->PropertyViewName(), "Widget");
    host->Destroy(0);
}

TEST(ExtensionObjects, APlainComponentOrOneOverAnExistingObjectIsNotCustomAndMakesNoBridge) {
    LyComponent plain;
    velora::Object* own = velora::AsObject(plain.GetHIObject());
    EXPECT_FALSE(own->IsCustomObject());
    EXPECT_EQ(own->CustomClassName(), nullptr);
    EXPECT_STREQ(own->PropertyViewName(), "LySDKHostObject");

    velora::Object* host = velora::Object::Create("Existing");
    const int classes = velora::ClassRegistry::Instance().Count();
    LyComponent* wrapper = new LyComponent(host);
    EXPECT_FALSE(wrapper->IsSDKComponent());
    EXPECT_EQ(wrapper->GetHIObject(), static_cast<IObject*>(host));
    EXPECT_EQ(velora::ClassRegistry::Instance().Count(), classes);
    host->Destroy(0);  // the heap wrapper goes with it
}

TEST(ExtensionObjects, EndedFromEitherSideBothGo) {
    const int ended = Widget::ended;
    const int living = LyGetComponentArray().GetCount();
    velora::Object* host = MakeFromRegistry("W2");
    velora::PlugHandle watch(host);
    GetLyComponent(host)->LyDelete();  // deletable: the host ends both
    EXPECT_FALSE(watch.Valid());
    EXPECT_EQ(Widget::ended, ended + 1);

    const int destroyed = Widget::destroyed;
    host = MakeFromRegistry("W3");
    EXPECT_EQ(LyGetComponentArray().GetCount(), living + 1);
    host->Destroy(0);
    EXPECT_EQ(Widget::ended, ended + 2);
    EXPECT_EQ(Widget::destroyed, destroyed + 1);
    EXPECT_EQ(LyGetComponentArray().GetCount(), living);
}

TEST(PluginLoader, MissingFilesAreReportedAndNothingStays) {
    velora::PluginLoader& loader = velora::PluginLoader::Instance();
    std::string error;
    EXPECT_FALSE(loader.Load("/nonexistent/plugin.so", &error));
    EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
    EXPECT_FALSE(loader.Load(nullptr, &error));
    EXPECT_FALSE(loader.IsLoaded("/nonexistent/plugin.so"));
    EXPECT_FALSE(loader.Free("/nonexistent/plugin.so"));
    EXPECT_TRUE(velora::PluginLoader::ListPlugins("/nonexistent").empty());
    EXPECT_EQ(loader.Symbol("/nonexistent/plugin.so", "LyPluginEntry"), nullptr);
}
