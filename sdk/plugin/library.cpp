// LyLibraryBase: a plug-in's library object and its lifecycle hooks.
//
// The hooks are plug-in code run from the host's event dispatch. A hook
// that throws must not end the host nor keep the other libraries from
// hearing the event: the handler catches, and the trace names the library
// and the hook. The hooks' answers are otherwise ignored, but a false one is
// noted in the trace, since a plug-in that refuses to open usually means it.

#include <exception>
#include <mutex>
#include <string>
#include <unordered_map>

#include <velora/global_events.h>
#include <velora/object_registry.h>
#include <velora/plugin_loader.h>

#include "lysdk/lyplugin.h"
#include "lysdk/lytrace.h"

LYSDK_BEGIN_NAMESPACE

// The handle on one host named global event.
struct __LyGlobalEventHandle {
    explicit __LyGlobalEventHandle(const char* name) : event(name) {}
    velora::GlobalEvent event;
};

namespace {

__LyGlobalEventHandle* Subscribe(LyLibraryBase* library, const char* name,
                                 void (LyLibraryBase::*handler)(IRegister*, EventRecord*)) {
    auto* handle = new __LyGlobalEventHandle(name);
    handle->event.Add(library, static_cast<ICallback::Handler>(handler));
    return handle;
}

// The file of the library each library object belongs to: the library the
// host was loading when the object was built (library objects are built by
// the plug-in's entry).
// (A plain static: made by the first library object, so it outlives them
// all, and freed with the SDK.)
std::mutex gOwnersMutex;
std::unordered_map<const LyLibraryBase*, std::string>& Owners() {
    static std::unordered_map<const LyLibraryBase*, std::string> owners;
    return owners;
}

std::string OwnerOf(const LyLibraryBase* library) {
    std::lock_guard<std::mutex> lock(gOwnersMutex);
    auto it = Owners().find(library);
    return it == Owners().end() || it->second.empty() ? "a library object outside a plug-in" : it->second;
}

void RunHook(LyLibraryBase* library, bool (LyLibraryBase::*hook)(), const char* name) {
    try {
        if (!(library->*hook)()) LyTrace("%s: %s answered false\n", OwnerOf(library).c_str(), name);
        return;
    } catch (const std::exception& e) {
        LyTrace("Warning: %s: %s threw: %s\n", OwnerOf(library).c_str(), name, e.what());
    } catch (...) {
        LyTrace("Warning: %s: %s threw an exception that is not a std::exception\n",
                OwnerOf(library).c_str(), name);
    }
}

}  // namespace

LyLibraryBase::LyLibraryBase()
    : mOpen(Subscribe(this, "LIBRARY_OPEN", &LyLibraryBase::Library_OpenHandler)),
      mReady(Subscribe(this, "LIBRARY_READY", &LyLibraryBase::Library_ReadyHandler)),
      mClose(Subscribe(this, "LIBRARY_CLOSE", &LyLibraryBase::Library_CloseHandler)),
      mRelease(Subscribe(this, "LIBRARY_RELEASE", &LyLibraryBase::Library_ReleaseHandler)) {
    std::lock_guard<std::mutex> lock(gOwnersMutex);
    Owners()[this] = velora::ObjectRegistry::Instance().LoadingLibrary();
}

LyLibraryBase::~LyLibraryBase() {
    delete mOpen;
    delete mReady;
    delete mClose;
    delete mRelease;
    std::lock_guard<std::mutex> lock(gOwnersMutex);
    Owners().erase(this);
}

IObject* LyLibraryBase::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf || id == lyiface::kIdCallback ? this : nullptr;
}

void LyLibraryBase::Destroy(int) {}

bool LyLibraryBase::LibInit() { return true; }
bool LyLibraryBase::LibOpen() { return true; }
bool LyLibraryBase::LibReady() { return true; }
bool LyLibraryBase::LibClose() { return true; }
bool LyLibraryBase::LibRelease() { return true; }

void LyLibraryBase::Library_OpenHandler(IRegister*, EventRecord*) {
    RunHook(this, &LyLibraryBase::LibOpen, "LibOpen");
}

void LyLibraryBase::Library_ReadyHandler(IRegister*, EventRecord*) {
    velora::InterpreterGuard guard(false);
    RunHook(this, &LyLibraryBase::LibReady, "LibReady");
}

void LyLibraryBase::Library_CloseHandler(IRegister*, EventRecord*) {
    RunHook(this, &LyLibraryBase::LibClose, "LibClose");
}

void LyLibraryBase::Library_ReleaseHandler(IRegister*, EventRecord*) {
    RunHook(this, &LyLibraryBase::LibRelease, "LibRelease");
}

LYSDK_END_NAMESPACE
