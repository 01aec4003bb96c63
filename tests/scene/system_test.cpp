// LySystem: the singleton, paths, versions, clocks, message-box suspension,
// the viewer switch and the lists copied from the application.

#include "scene/scene_fixture.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <velora/application.h>
#include <velora/process.h>
#include <velora/message_box.h>
#include <velora/object_registry.h>
#include <velora/timing.h>

using namespace VELSDK2025;

namespace {

// The application hands its command line and search paths to the SDK
// before any test builds the system.
const bool kSettingsReady = [] {
    const char* argv[] = {"velora", "--plugin-path", "/opt/plugins", "--create", "Devices/Cam=One"};
    velora::Application& app = velora::Application::Instance();
    app.SetCommandLine(5, argv);
    app.ClearPluginPaths();
    app.AddPluginPath("/opt/plugins");
    app.AddPluginPath("/usr/lib/velora/plugins");
    app.ClearScriptStartupPaths();
    app.AddScriptStartupPath("/opt/scripts/startup");
    return true;
}();

std::vector<std::string> Items(const LyStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i) out.emplace_back(list.GetAt(i));
    return out;
}

}  // namespace

TEST(System, TheOneIsOneInstanceForEveryThreadOfTheSdkGeneration) {
    ASSERT_TRUE(kSettingsReady);
    std::atomic<LySystem*> seen[4] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back([&seen, i] { seen[i] = &LySystem::TheOne(); });
    for (std::thread& thread : threads) thread.join();
    for (auto& one : seen) EXPECT_EQ(one.load(), &LySystem::TheOne());
    EXPECT_TRUE(LySystem::TheOne().Is(LyComponent::TypeInfo));
    // The version is the SDK's generation whatever the build.
    EXPECT_EQ(static_cast<double>(LySystem::TheOne().Version), 25000.0);
    EXPECT_TRUE(LySystem::TheOne().Version.IsReadOnly());
}

TEST(System, PathsAndNamesComeFromTheApplicationAndTheProcessAtEveryRead) {
    LySystem& system = LySystem::TheOne();
    velora::Application& app = velora::Application::Instance();
    const std::string before = app.ConfigPath();
    app.SetConfigPath("/etc/velora-test");
    EXPECT_STREQ(system.ConfigPath, "/etc/velora-test");
    app.SetConfigPath(before.c_str());
    EXPECT_EQ(std::string(system.ConfigPath), before);
    EXPECT_EQ(std::string(system.ApplicationPath), app.ApplicationPath());
    EXPECT_EQ(std::string(system.UserConfigPath), app.UserConfigPath());
    EXPECT_TRUE(system.ConfigPath.IsReadOnly());
    // Images and meshes share the resource directory.
    EXPECT_EQ(std::string(system.PathImages), app.ResourcePath());
    EXPECT_EQ(std::string(system.PathMeshs), app.ResourcePath());
    // The temporary path is the operating system's, with a trailing slash.
    const std::string temp = static_cast<const char*>(system.TempPath);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '/');
    EXPECT_EQ(temp, velora::process::TempPath());
    const std::string name = static_cast<const char*>(system.ComputerName);
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name, velora::process::ComputerName());
    EXPECT_STRNE(system.BuildId, "");
    EXPECT_STRNE(system.BuildVersion, "");
    EXPECT_EQ(static_cast<int>(system.PythonVersion), 0);  // no interpreter is embedded
    EXPECT_STREQ(LySystem::CurrentDirectory(), velora::process::CurrentDirectory().c_str());
    EXPECT_STREQ(LySystem::MakeFullPath("/a/b/../c/./d"), "/a/c/d");
    const std::string relative = velora::process::CurrentDirectory() + "/x/y";
    EXPECT_STREQ(LySystem::MakeFullPath("x//y"), relative.c_str());
    // Libraries are known by path.
    EXPECT_FALSE(LySystem::LibraryLoad("/no/such/library.so"));
    EXPECT_FALSE(LySystem::LibraryFree("/no/such/library.so"));
    EXPECT_EQ(LySystem::LibraryGetProcAddress("/no/such/library.so", "LyPluginEntry"), nullptr);
    EXPECT_FALSE(LySystem::LibraryLoad(nullptr));
}

TEST(System, ClocksFollowTheTimingManager) {
    LySystem& system = LySystem::TheOne();
    velora::TimingManager& timing = velora::TimingManager::Instance();
    const long long before = timing.LocalTime();
    timing.SetLocalTime(141120000LL * 3);
    EXPECT_EQ(static_cast<LyTime>(system.LocalTime).Get(), 141120000LL * 3);
    timing.SetLocalTime(before);
    const long long first = static_cast<LyTime>(system.SystemTime).Get();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GT(static_cast<LyTime>(system.SystemTime).Get(), first);
}

TEST(System, MessageBoxSuspensionHasTwoSwitches) {
    LySystem& system = LySystem::TheOne();
    velora::MessageBoxes& boxes = velora::MessageBoxes::Instance();
    ASSERT_FALSE(boxes.IsSuspended());
    EXPECT_FALSE(system.AreMessageBoxesSuspended);

    system.SuspendMessageBoxes = true;
    EXPECT_TRUE(boxes.IsClientSuspended());
    EXPECT_TRUE(system.SuspendMessageBoxes);
    EXPECT_TRUE(system.AreMessageBoxesSuspended);
    system.SuspendMessageBoxes = false;
    EXPECT_FALSE(system.AreMessageBoxesSuspended);

    // The application's own switch counts too, with the SDK's off.
    const bool was = boxes.SetSuspended(true);
    EXPECT_FALSE(system.SuspendMessageBoxes);
    EXPECT_TRUE(system.AreMessageBoxesSuspended);
    // A box shown now answers its default button without waiting.
    EXPECT_EQ(boxes.Show("Title", "Text", "Yes", "No", nullptr, 2, false), 2);
    boxes.SetSuspended(was);
    EXPECT_FALSE(system.AreMessageBoxesSuspended);
    EXPECT_TRUE(system.AreMessageBoxesSuspended.IsReadOnly());
}

TEST(System, FullScreenViewerSwitchesOnlyOnAChange) {
    LySystem& system = LySystem::TheOne();
    velora::Viewer& app = velora::Viewer::Instance();
    const bool start = system.FullScreenViewer;
    const int toggles = app.FullScreenToggleCount();
    system.FullScreenViewer = start;
    EXPECT_EQ(app.FullScreenToggleCount(), toggles);
    system.FullScreenViewer = !start;
    EXPECT_EQ(app.FullScreenToggleCount(), toggles + 1);
    EXPECT_EQ(static_cast<bool>(system.FullScreenViewer), !start);
    system.FullScreenViewer = start;
    EXPECT_EQ(app.FullScreenToggleCount(), toggles + 2);
}

TEST(System, DisplayAndProcessFacts) {
    LySystem& system = LySystem::TheOne();
    velora::Viewer& app = velora::Viewer::Instance();
    app.SetDesktopSize(2560, 1440);
    const LyVector2<double> size = system.DesktopSize;
    EXPECT_EQ(size[0], 2560.0);
    EXPECT_EQ(size[1], 1440.0);
    app.SetDesktopSize(1920, 1080);
    app.SetDisplayFrameRate(59.5);
    EXPECT_EQ(static_cast<double>(system.FrameRate), 59.5);
    EXPECT_GT(static_cast<double>(system.ProcessMemory), 0.0);
    EXPECT_GE(static_cast<double>(system.ProcessMemoryPeak), static_cast<double>(system.ProcessMemory) / 2);
    EXPECT_EQ(static_cast<LyAssetMng*>(system.AssetManager), nullptr);
    EXPECT_EQ(static_cast<LyRenderer*>(system.Renderer), nullptr);
}

TEST(System, RootsAndTheScene) {
    LySystem& system = LySystem::TheOne();
    LyModel* sceneRoot = system.SceneRootModel;
    LyModel* root = system.RootModel;
    ASSERT_NE(sceneRoot, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_NE(sceneRoot, root);
    EXPECT_EQ(root->Children[0], sceneRoot);
    LyScene* scene = system.Scene;
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetHIObject(), static_cast<IObject*>(&velora::Scene::Main()));
    EXPECT_EQ(static_cast<LyModel*>(scene->RootModel), sceneRoot);
}

TEST(System, ListsAreCopiedFromTheApplicationOnce) {
    LySystem& system = LySystem::TheOne();
    EXPECT_EQ(Items(system.GetCommandLineArgs()),
              (std::vector<std::string>{"velora", "--plugin-path", "/opt/plugins", "--create", "Devices/Cam=One"}));
    EXPECT_EQ(Items(system.GetPluginPath()),
              (std::vector<std::string>{"/opt/plugins", "/usr/lib/velora/plugins"}));
    EXPECT_EQ(Items(system.GetPythonStartupPath()), (std::vector<std::string>{"/opt/scripts/startup"}));
    // Later changes of the application's lists are not seen.
    velora::Application::Instance().AddPluginPath("/late");
    EXPECT_EQ(system.GetPluginPath().GetCount(), 2);
}

namespace {
IObject* CreateNothing(IObject*, const char*, void*) { return nullptr; }
}  // namespace

// The item list is process-wide: this is its only test. Asked before any
// plug-in registered, it is empty and gathered again at the next call; once
// it holds items it is kept as it is.
TEST(System, LoadedPluginItemsAreGatheredOnceThereAreAny) {
    velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    const LySystem& system = LySystem::TheOne();
    // The SDK's own entries (no library file) are not plug-in items.
    ASSERT_NE(registry.Find("Browsing/Apply", "UserObjects"), nullptr);
    EXPECT_EQ(system.GetLoadedPluginItemsName().GetCount(), 0);

    const std::string own = velora::Application::Instance().ApplicationPath() + "/extensions/core.so";
    registry.Register("Browsing/Templates/Devices", "TestTracker", "", &CreateNothing, true, "",
                      "/opt/plugins/tracker.so");
    registry.Register("Browsing/Templates/Tools", "TestTracker", "Tracks markers", &CreateNothing, true,
                      "tracker.png", "/opt/plugins/tracker.so");
    registry.Register("Browsing/Templates/Devices", "TestOwn", "Built in", &CreateNothing, true, "",
                      own.c_str());
    registry.Register("Browsing/Templates/Devices", "TestMenuOnly", "Menu", nullptr, false, "",
                      "/opt/plugins/menu.so");

    const LyStringList& names = system.GetLoadedPluginItemsName();
    EXPECT_GE(names.IndexOf("TestTracker"), 0);
    EXPECT_LT(names.IndexOf("TestOwn"), 0);       // the application's own extensions
    EXPECT_LT(names.IndexOf("TestMenuOnly"), 0);  // no creator
    EXPECT_EQ(Items(system.GetLoadedPluginItemInfo("TestTracker")),
              (std::vector<std::string>{"Tracks markers", "/opt/plugins/tracker.so", "tracker.png"}));
    EXPECT_EQ(Items(system.GetLoadedPluginItemGroups("TestTracker")),
              (std::vector<std::string>{"Browsing/Templates/Devices", "Browsing/Templates/Tools"}));
    EXPECT_EQ(system.GetLoadedPluginItemInfo("NotLoaded").GetCount(), 0);
    EXPECT_EQ(system.GetLoadedPluginItemGroups("NotLoaded").GetCount(), 0);

    // Kept as gathered while the process runs.
    const int count = names.GetCount();
    registry.Register("Browsing/Templates/Devices", "TestLate", "", &CreateNothing, true, "", "/late.so");
    EXPECT_EQ(system.GetLoadedPluginItemsName().GetCount(), count);
    for (const char* name : {"TestTracker", "TestOwn", "TestMenuOnly", "TestLate"}) {
        registry.Unregister("Browsing/Templates/Devices", name);
        registry.Unregister("Browsing/Templates/Tools", name);
    }
}
