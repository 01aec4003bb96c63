// The smallest useful plug-in: a library object that reports the library
// lifecycle and hears scenes being opened, and one registered class whose
// instances are components that the plug-in defines.

#include <cstdio>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

// A component of the plug-in's own class. Built without a host object, it
// creates its host object (the SDK's bridge) and binds to it.
class HelloComponent : public LyComponent {
    LYSDK_CLASS_DECLARE(HelloComponent, LyComponent)
public:
    explicit HelloComponent(const char* name) {
        SetName(name);
        Greeting.Init(this, "Greeting", &GetGreeting);
        PropertyAdd(&Greeting);  // listed with the object: saved with the scene
    }

    bool LyCreate() override {
        std::printf("hello: created %s\n", GetFullName());
        return true;
    }
    void LyDestroy() override { std::printf("hello: %s is going\n", GetFullName()); }

    /// A read-only value served by the class itself.
    LyPropertyString Greeting;

private:
    static const char* GetGreeting(void*) { return "Hello from a plug-in"; }
};

LYSDK_CLASS_IMPLEMENT(HelloComponent, 0)

IObject* CreateHello(IObject*, const char* name, void*) {
    auto* hello = new HelloComponent(name ? name : "Hello");
    if (!hello->LyCreate()) {
        hello->LyDelete();
        return nullptr;
    }
    return hello->GetHIObject();
}

class HelloLibrary : public LyLibraryBase {
public:
    // The application's named event "FileOpen" follows every scene that has
    // been opened, whenever that happens in the run.
    HelloLibrary() {
        OnSceneOpened.InitGlobal("OnSceneOpened", "FileOpen");
        OnSceneOpened.Add(this, LyHandler(&HelloLibrary::SceneOpened));
    }
    ~HelloLibrary() override { OnSceneOpened.Remove(this, LyHandler(&HelloLibrary::SceneOpened)); }

    bool LibOpen() override { return Say("open"); }
    bool LibReady() override { return Say("ready"); }
    bool LibClose() override { return Say("close"); }
    bool LibRelease() override { return Say("release"); }

    void SceneOpened(IRegister*, EventRecord*) { std::printf("hello: a scene was opened\n"); }

private:
    static bool Say(const char* what) {
        std::printf("hello: library %s\n", what);
        return true;
    }
    LyPropertyEvent OnSceneOpened;
};

bool RegisterHello() {
    // Listed under "DsxStorable/" as well, the class is storable: a scene
    // saved with a Hello in it opens with that Hello again.
    return LyObject_Register("Browsing/Templates/Samples", "Hello", "A component that says hello",
                             &CreateHello, true, nullptr) &&
           LyObject_Register("DsxStorable/Component", "Hello", "A component that says hello",
                             &CreateHello, true, nullptr);
}

}  // namespace

LYSDK_PLUGIN(HelloLibrary, RegisterHello)
