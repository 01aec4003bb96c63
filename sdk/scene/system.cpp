// LySystem: paths, clocks, versions and process facts, read from the
// application at every use.

#include "lysdk/lysystem.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include <velora/application.h>
#include <velora/process.h>
#include <velora/message_box.h>
#include <velora/model.h>
#include <velora/object_directory.h>
#include <velora/object_registry.h>
#include <velora/plugin_loader.h>
#include <velora/scene.h>
#include <velora/timing.h>

#include "core/host_access.h"
#include "lysdk/lymodel.h"
#include "lysdk/lyscene.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LySystem, 0);

namespace {

// The text getters hand out pointers, so each text property keeps the
// application's latest answer in its own slot until its next read.
enum TextSlot { kConfig, kUserConfig, kApplication, kTemp, kBuildId, kBuildVersion, kImages, kMeshs, kTextSlots };

}  // namespace

struct LySystem::DataLySystem {
    LyStringList commandLine;
    LyStringList scriptPaths;
    LyStringList pluginPaths;
    LyStringList itemNames;
    std::map<std::string, LyStringList> itemInfo;
    std::map<std::string, LyStringList> itemGroups;
    std::mutex itemsMutex;  // several threads may ask for the list first
};

namespace {

// There is one system, so the slots are the library's own.
std::string gTexts[kTextSlots];
char gTempPath[2048];

const char* Keep(void*, int slot, std::string value) {
    gTexts[slot] = std::move(value);
    return gTexts[slot].c_str();
}

velora::Application& App() { return velora::Application::Instance(); }

const char* GetConfigPath(void* self) { return Keep(self, kConfig, App().ConfigPath()); }
const char* GetUserConfigPath(void* self) { return Keep(self, kUserConfig, App().UserConfigPath()); }
const char* GetApplicationPath(void* self) { return Keep(self, kApplication, App().ApplicationPath()); }
const char* GetTempPath(void*) {
    // A fixed 2,048-byte buffer of the library's, as the operating system
    // fills it; longer paths are cut.
    char* buffer = gTempPath;
    std::strncpy(buffer, velora::process::TempPath().c_str(), 2047);
    buffer[2047] = 0;
    return buffer;
}
LyTime GetSystemTime(void*) { return LyTime(velora::TimingManager::Instance().SystemTime()); }
LyTime GetLocalTime(void*) { return LyTime(velora::TimingManager::Instance().LocalTime()); }
const char* GetComputerName(void*) {
    // The machine name is process-wide, so one static buffer serves.
    static char name[256];
    std::strncpy(name, velora::process::ComputerName().c_str(), 255);
    name[255] = 0;
    return name;
}
const char* GetBuildId(void* self) { return Keep(self, kBuildId, App().BuildId()); }
const char* GetBuildVersion(void* self) { return Keep(self, kBuildVersion, App().BuildVersion()); }
int GetPythonVersion(void*) { return App().PythonVersion(); }
const char* GetPathImages(void* self) { return Keep(self, kImages, App().ResourcePath()); }
const char* GetPathMeshs(void* self) { return Keep(self, kMeshs, App().ResourcePath()); }

LyModel* ModelWrapper(velora::Object* object) {
    LyComponent* component = object ? LyGetLyComponent(object, true) : nullptr;
    return component && component->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(component) : nullptr;
}

LyModel* GetSceneRootModel(void*) { return ModelWrapper(velora::Scene::Main().RootModel()); }
LyModel* GetRootModel(void*) { return ModelWrapper(velora::Scene::Main().GlobalRootModel()); }

LyTake* GetCurrentTake(void*) {
    velora::Object* take = velora::Scene::Main().CurrentTake();
    return reinterpret_cast<LyTake*>(take ? LyGetLyComponent(take, true) : nullptr);
}
void SetCurrentTake(void*, LyTake* take) {
    LyComponent* component = reinterpret_cast<LyComponent*>(take);
    if (velora::Object* host = __LyHostObject(component)) velora::Scene::Main().SetCurrentTake(host);
}

LyScene* GetScene(void*) {
    LyComponent* component = LyGetLyComponent(&velora::Scene::Main(), true);
    return component && component->Is(LyScene::TypeInfo) ? static_cast<LyScene*>(component) : nullptr;
}

// The host builds neither a construction history nor a renderer object yet.
LyConstructionHistory* GetConstructionHistory(void*) { return nullptr; }
LyRenderer* GetRenderer(void*) { return nullptr; }

double GetVersion(void*) { return 25000.0; }
double GetFrameRate(void*) { return velora::Viewer::Instance().DisplayFrameRate(); }
double GetProcessMemory(void*) { return velora::process::Memory(); }
double GetProcessMemoryPeak(void*) { return velora::process::MemoryPeak(); }
LyVector2<double> GetDesktopSize(void*) {
    int width = 0, height = 0;
    velora::Viewer::Instance().DesktopSize(&width, &height);
    return LyVector2<double>(width, height);
}
bool GetFullScreenViewer(void*) { return velora::Viewer::Instance().FullScreen(); }
void SetFullScreenViewer(void*, bool on) {
    // The viewer only knows how to switch; asking for the state it is in
    // already must not switch it back.
    if (velora::Viewer::Instance().FullScreen() != on) velora::Viewer::Instance().ToggleFullScreen();
}

LyAssetMng* GetAssetManager(void*) {
    for (velora::Object* object : velora::ObjectDirectory::Instance().Livings())
        if (!object->IsEnding() && object->IsA(velora::kClassAssetManager))
            return reinterpret_cast<LyAssetMng*>(LyGetLyComponent(object, true));
    return nullptr;
}

bool GetSuspendMessageBoxes(void*) { return velora::MessageBoxes::Instance().IsClientSuspended(); }
void SetSuspendMessageBoxes(void*, bool on) { velora::MessageBoxes::Instance().SetClientSuspended(on); }
bool GetAreMessageBoxesSuspended(void*) { return velora::MessageBoxes::Instance().IsSuspended(); }

void Fill(LyStringList& list, const std::vector<std::string>& items) {
    for (const std::string& item : items) list.Add(item.c_str());
}

const LyStringList& EmptyList() {
    static const LyStringList empty;
    return empty;
}

}  // namespace

LySystem& LySystem::TheOne() {
    static LySystem system;
    return system;
}

LySystem::LySystem() : LyComponent(nullptr), mData(nullptr) {
    IObject* scene = &velora::Scene::Main();
    auto list = [&](LyPropertyListComponent& property, const char* name, int classId) {
        property.Init(scene, name);
        property.SetClassId(classId);
        PropertyAdd(&property);
    };
    auto add = [&](LyProperty& property) { PropertyAdd(&property); };

    add(ConfigPath.Init(this, "ConfigPath", &GetConfigPath));
    add(UserConfigPath.Init(this, "UserConfigPath", &GetUserConfigPath));
    add(ApplicationPath.Init(this, "ApplicationPath", &GetApplicationPath));
    add(TempPath.Init(this, "TempPath", &GetTempPath));
    add(SystemTime.Init(this, "SystemTime", &GetSystemTime));
    add(LocalTime.Init(this, "LocalTime", &GetLocalTime));
    add(ComputerName.Init(this, "ComputerName", &GetComputerName));
    add(BuildId.Init(this, "BuildId", &GetBuildId));
    add(BuildVersion.Init(this, "BuildVersion", &GetBuildVersion));
    add(PythonVersion.Init(this, "PythonVersion", &GetPythonVersion));
    add(PathImages.Init(this, "PathImages", &GetPathImages));
    add(PathMeshs.Init(this, "PathMeshs", &GetPathMeshs));
    add(SceneRootModel.Init(this, "SceneRootModel", &GetSceneRootModel));
    add(RootModel.Init(this, "RootModel", &GetRootModel));
    add(CurrentTake.Init(this, "CurrentTake", &GetCurrentTake, &SetCurrentTake));
    add(Scene.Init(this, "Scene", &GetScene));
    add(ConstructionHistory.Init(this, "ConstructionHistory", &GetConstructionHistory));
    list(AudioInputs, "AudioInputs", velora::SceneKindClass(velora::kSceneAudioInputs));
    list(AudioOutputs, "AudioOutputs", velora::SceneKindClass(velora::kSceneAudioOutputs));
    list(VideoInputs, "VideoInputs", velora::SceneKindClass(velora::kSceneVideoInputs));
    list(VideoOutputs, "VideoOutputs", velora::SceneKindClass(velora::kSceneVideoOutputs));
    add(Version.Init(this, "Version", &GetVersion));
    add(OnUIIdle.InitGlobal("OnUIIdle", "UI_IDLE"));
    add(OnVideoFrameRendering.InitGlobal("OnVideoFrameRendering", "VIDEO_FRAME_RENDERING"));
    add(OnConnectionNotify.Init(nullptr, nullptr, "OnConnectionNotify", 0, kLyEventSubTypeAll));
    add(OnConnectionDataNotify.Init(nullptr, nullptr, "OnConnectionDataNotify", 0, kLyEventSubTypeAll));
    add(OnConnectionStateNotify.Init(nullptr, nullptr, "OnConnectionStateNotify", 0, kLyEventSubTypeAll));
    add(OnConnectionKeyingNotify.Init(nullptr, nullptr, "OnConnectionKeyingNotify", 0, kLyEventSubTypeAll));
    add(Renderer.Init(this, "Renderer", &GetRenderer));
    add(FrameRate.Init(this, "FrameRate", &GetFrameRate));
    add(ProcessMemory.Init(this, "ProcessMemory", &GetProcessMemory));
    add(ProcessMemoryPeak.Init(this, "ProcessMemoryPeak", &GetProcessMemoryPeak));
    add(DesktopSize.Init(this, "DesktopSize", &GetDesktopSize));
    add(FullScreenViewer.Init(this, "FullScreenViewer", &GetFullScreenViewer, &SetFullScreenViewer));
    add(AssetManager.Init(this, "AssetManager", &GetAssetManager));
    list(Manipulators, "Manipulators", velora::kClassManipulator);
    add(SuspendMessageBoxes.Init(this, "SuspendMessageBoxes", &GetSuspendMessageBoxes, &SetSuspendMessageBoxes));
    add(AreMessageBoxesSuspended.Init(this, "AreMessageBoxesSuspended", &GetAreMessageBoxesSuspended));

    mData = new DataLySystem;
    const velora::Application& app = App();
    Fill(mData->commandLine, app.CommandLine());
    Fill(mData->scriptPaths, app.ScriptStartupPaths());
    Fill(mData->pluginPaths, app.PluginPaths());
}

LySystem::~LySystem() {
    delete mData;
    mData = nullptr;
}


LyString LySystem::CurrentDirectory() { return LyString(velora::process::CurrentDirectory().c_str()); }

LyString LySystem::MakeFullPath(const char* path) {
    return LyString(velora::process::FullPath(path).c_str());
}

bool LySystem::LibraryLoad(const char* path) {
    return path && velora::PluginLoader::Instance().Load(path);
}

bool LySystem::LibraryFree(const char* path) {
    return path && velora::PluginLoader::Instance().Free(path);
}

void* LySystem::LibraryGetProcAddress(const char* path, const char* procedure) {
    if (!path || !procedure) return nullptr;
    return velora::PluginLoader::Instance().Symbol(path, procedure);
}

const LyStringList& LySystem::GetCommandLineArgs() const { return mData->commandLine; }
const LyStringList& LySystem::GetPythonStartupPath() const { return mData->scriptPaths; }
const LyStringList& LySystem::GetPluginPath() const { return mData->pluginPaths; }

// The list is gathered when it is asked for while empty, and kept once it
// holds something. Only entries that a library file registered count: the
// host's and the SDK's own entries (no library) are not plug-in items, so a
// call made before any plug-in has registered finds nothing and leaves the
// list to be gathered by a later call.
const LyStringList& LySystem::GetLoadedPluginItemsName() const {
    DataLySystem& data = *mData;
    std::lock_guard<std::mutex> lock(data.itemsMutex);
    if (data.itemNames.GetCount() > 0) return data.itemNames;
    const std::string app = velora::Application::Instance().ApplicationPath();
    const std::string extensions = velora::process::FullPath((app + "/extensions").c_str());
    const velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    for (int g = 0; g < registry.GroupCount(); ++g) {
        const char* group = registry.GroupName(g);
        for (int e = 0; e < registry.EntryCount(g); ++e) {
            const velora::RegistryEntry* entry = registry.EntryAt(g, e);
            if (!entry || !*entry->library) continue;
            // The application's own extension libraries are not plug-ins.
            if (std::strncmp(entry->library, extensions.c_str(), extensions.size()) == 0) continue;
            if (entry->name.empty() || !entry->creator) continue;
            auto known = data.itemInfo.find(entry->name);
            if (known == data.itemInfo.end()) {
                data.itemNames.Add(entry->name.c_str());
                LyStringList& info = data.itemInfo[entry->name];
                info.Add(entry->description.c_str());
                info.Add(entry->library);
                info.Add(entry->icon);
                data.itemGroups[entry->name].Add(group ? group : "");
            } else {
                // Registered in several groups: fill what is still missing
                // and note the group.
                LyStringList& info = known->second;
                const char* description = info.GetAt(0);
                const char* icon = info.GetAt(2);
                if (!description || !*description) info.SetAt(0, entry->description.c_str());
                if (!icon || !*icon) info.SetAt(2, entry->icon);
                data.itemGroups[entry->name].Add(group ? group : "");
            }
        }
    }
    return data.itemNames;
}

const LyStringList& LySystem::GetLoadedPluginItemInfo(const char* name) const {
    GetLoadedPluginItemsName();
    auto it = name ? mData->itemInfo.find(name) : mData->itemInfo.end();
    return it == mData->itemInfo.end() ? EmptyList() : it->second;
}

const LyStringList& LySystem::GetLoadedPluginItemGroups(const char* name) const {
    GetLoadedPluginItemsName();
    auto it = name ? mData->itemGroups.find(name) : mData->itemGroups.end();
    return it == mData->itemGroups.end() ? EmptyList() : it->second;
}

LYSDK_END_NAMESPACE
