#ifndef LYSDK_LYPLUGIN_H
#define LYSDK_LYPLUGIN_H

// Plug-in libraries: registration of extension classes and the library
// object.
//
// A plug-in is a shared module holding one library object (a class derived
// from LyLibraryBase) and a registration function. Declare both once, in one
// source file of the plug-in:
//
//     class MyLibrary : public LyLibraryBase {
//         bool LibOpen() override { ... }
//     };
//     static bool RegisterMyClasses() {
//         return LyObject_Register("Browsing/Templates/Devices", "MyDevice",
//                                  "My device", &CreateMyDevice, true, nullptr);
//     }
//     LYSDK_PLUGIN(MyLibrary, RegisterMyClasses)
//
// LYSDK_PLUGIN records the SDK version the plug-in is built against; the
// host refuses a plug-in whose major or minor version differs from the
// loaded SDK's. When the host loads the plug-in it creates the library
// object and calls the registration function; it then fires the library
// lifecycle events (open, ready, and at the end close and release), which
// reach the library object's LibOpen, LibReady, LibClose and LibRelease.

#include "lysdk/lyobject.h"
#include "lysdk/lyversion.h"

LYSDK_BEGIN_NAMESPACE

/// Builds an instance of a registered class: owner object (may be null),
/// instance name and caller data; returns the new instance's host object.
using LyObjectCreator = IObject* (*)(IObject* owner, const char* name, void* data);

/// Registers an extension class in the host's object registry under
/// `group` (and the group's aliases: "UI/Tools", "UI/WindowTools" and
/// "Manipulators" also get menu entries; every class is also listed under
/// "Velora/LYSDK/<group>"). Returns the result of the registration under the
/// group itself.
LYSDK_API bool LyObject_Register(const char* group, const char* entry, const char* description,
                                 LyObjectCreator creator, bool multiplicity, const char* icon);
/// Removes an entry; true when the host removed it.
LYSDK_API bool LyObject_Unregister(const char* group, const char* entry, int options = 0);

LYSDK_API int LyObject_GetGroupCount();
LYSDK_API const char* LyObject_GetGroupName(int group);
LYSDK_API int LyObject_GetEntryCount(int group);
LYSDK_API const char* LyObject_GetEntryName(int group, int entry);
LYSDK_API const char* LyObject_GetEntryDescription(int group, int entry, int options = 0);
/// The file of the library that registered the entry.
LYSDK_API const char* LyObject_GetEntryDLLName(int group, int entry, int options = 0);
LYSDK_API const char* LyObject_GetIconName(int group, int entry, int options = 0);
LYSDK_API bool LyObject_GetMultiplicity(int group, int entry, int options = 0);

/// Host-wide flags saying that a plug-in registered a storable custom model,
/// material or texture class. They can be raised, never lowered.
LYSDK_API bool LyGetStoreableCustomModelRegistered();
LYSDK_API bool LyGetStoreableCustomMaterialRegistered();
LYSDK_API bool LyGetStoreableCustomTextureRegistered();
LYSDK_API void LySetStoreableCustomModelRegistered();
LYSDK_API void LySetStoreableCustomMaterialRegistered();
LYSDK_API void LySetStoreableCustomTextureRegistered();

struct __LyGlobalEventHandle;

/// The library object of a plug-in: it hears the library lifecycle events.
class LYSDK_API LyLibraryBase : public ICallback {
public:
    LyLibraryBase();
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// Does nothing: the plug-in owns its library object.
    void Destroy(int mode = 0) override;
    virtual ~LyLibraryBase();
    LyLibraryBase(const LyLibraryBase&) = delete;
    LyLibraryBase& operator=(const LyLibraryBase&) = delete;

    /// Hooks; each default answers true. LibInit is the plug-in's own: the
    /// library never calls it. LibReady runs holding the host's scripting
    /// guard.
    virtual bool LibInit();
    virtual bool LibOpen();
    virtual bool LibReady();
    virtual bool LibClose();
    virtual bool LibRelease();

    void Library_OpenHandler(IRegister* source, EventRecord* event);
    void Library_ReadyHandler(IRegister* source, EventRecord* event);
    void Library_CloseHandler(IRegister* source, EventRecord* event);
    void Library_ReleaseHandler(IRegister* source, EventRecord* event);

private:
    __LyGlobalEventHandle* mOpen;
    __LyGlobalEventHandle* mReady;
    __LyGlobalEventHandle* mClose;
    __LyGlobalEventHandle* mRelease;
};

LYSDK_END_NAMESPACE

/// The SDK version a plug-in records when it is built.
#define LYSDK_PLUGIN_SDK_VERSION LYSDK_VERSION_NUMBER

/// Declares a plug-in: its library object class and its registration
/// function (returning bool). Use once per plug-in.
#define LYSDK_PLUGIN(LibraryClass_, RegisterFunction_)                                    \
    extern "C" __attribute__((visibility("default"))) int LyPluginSdkVersion() {           \
        return LYSDK_PLUGIN_SDK_VERSION;                                                   \
    }                                                                                      \
    extern "C" __attribute__((visibility("default"))) bool LyPluginEntry(int operation) { \
        static LibraryClass_* library = nullptr;                                           \
        if (operation == 0) {                                                              \
            if (!library) library = new LibraryClass_();                                   \
            return RegisterFunction_();                                                    \
        }                                                                                  \
        delete library;                                                                    \
        library = nullptr;                                                                 \
        return true;                                                                       \
    }

#endif  // LYSDK_LYPLUGIN_H
