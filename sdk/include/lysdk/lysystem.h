#ifndef LYSDK_LYSYSTEM_H
#define LYSDK_LYSYSTEM_H

// LySystem: the process-wide entry point to the running application.
//
// Every property asks the application at each read; nothing is kept in the
// SDK object. The command-line arguments, the script start-up paths and the
// plug-in search paths are copied once, when the instance is built; the
// names of the loaded plug-in items are gathered on first use and kept.

#include "lysdk/lycomponent.h"
#include "lysdk/lyevent.h"
#include "lysdk/lystring.h"
#include "lysdk/lystringlist.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;
class LyTake;
class LyScene;
class LyConstructionHistory;
class LyRenderer;
class LyAssetMng;

class LYSDK_API LySystem : public LyComponent {
    LYSDK_CLASS_DECLARE(LySystem, LyComponent)
public:
    /// The process-wide instance, built on the first call (safe from any
    /// thread) and destroyed at process exit.
    static LySystem& TheOne();
    ~LySystem() override;
    LySystem(const LySystem&) = delete;
    LySystem& operator=(const LySystem&) = delete;

    /// The application's current directory.
    static LyString CurrentDirectory();
    /// `path` completed to a full path by the application.
    static LyString MakeFullPath(const char* path);
    /// Plug-in libraries, known by path.
    static bool LibraryLoad(const char* path);
    static bool LibraryFree(const char* path);
    static void* LibraryGetProcAddress(const char* path, const char* procedure);

    const LyStringList& GetCommandLineArgs() const;
    const LyStringList& GetPythonStartupPath() const;
    const LyStringList& GetPluginPath() const;
    /// The names of the items that plug-in libraries registered (the
    /// application's own extension libraries are not listed).
    const LyStringList& GetLoadedPluginItemsName() const;
    /// (description, library file name, icon name) of an item; an empty
    /// list for a name that is not listed.
    const LyStringList& GetLoadedPluginItemInfo(const char* name) const;
    /// The registry groups the item was found in; empty when not listed.
    const LyStringList& GetLoadedPluginItemGroups(const char* name) const;

    LyPropertyString ConfigPath;
    LyPropertyString UserConfigPath;
    LyPropertyString ApplicationPath;
    LyPropertyString TempPath;
    LyPropertyTime SystemTime;
    LyPropertyTime LocalTime;
    LyPropertyString ComputerName;
    LyPropertyString BuildId;
    LyPropertyString BuildVersion;
    LyPropertyInt PythonVersion;
    LyPropertyString PathImages;
    LyPropertyString PathMeshs;
    LyPropertyBaseComponent<LyModel*> SceneRootModel;
    LyPropertyBaseComponent<LyModel*> RootModel;
    LyPropertyBaseComponent<LyTake*> CurrentTake;
    LyPropertyBaseComponent<LyScene*> Scene;
    LyPropertyBaseComponent<LyConstructionHistory*> ConstructionHistory;
    LyPropertyListComponent AudioInputs;
    LyPropertyListComponent AudioOutputs;
    LyPropertyListComponent VideoInputs;
    LyPropertyListComponent VideoOutputs;
    LyPropertyDouble Version;
    LyPropertyEvent OnUIIdle;
    LyPropertyEvent OnVideoFrameRendering;
    LyPropertyEventConnectionNotify OnConnectionNotify;
    LyPropertyEventConnectionDataNotify OnConnectionDataNotify;
    LyPropertyEventConnectionStateNotify OnConnectionStateNotify;
    LyPropertyEventConnectionKeyingNotify OnConnectionKeyingNotify;
    LyPropertyBaseComponent<LyRenderer*> Renderer;
    LyPropertyDouble FrameRate;
    LyPropertyDouble ProcessMemory;
    LyPropertyDouble ProcessMemoryPeak;
    LyPropertyVector2d DesktopSize;
    LyPropertyBool FullScreenViewer;
    LyPropertyBaseComponent<LyAssetMng*> AssetManager;
    LyPropertyListComponent Manipulators;
    LyPropertyBool SuspendMessageBoxes;
    LyPropertyBool AreMessageBoxesSuspended;

private:
    LySystem();
    struct DataLySystem;
    DataLySystem* mData;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYSYSTEM_H
