// LyLibraryBase: a plug-in's library object and its lifecycle hooks.

#include <velora/global_events.h>
#include <velora/plugin_loader.h>

#include "lysdk/lyplugin.h"

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

}  // namespace

LyLibraryBase::LyLibraryBase()
    : mOpen(Subscribe(this, "LIBRARY_OPEN", &LyLibraryBase::Library_OpenHandler)),
      mReady(Subscribe(this, "LIBRARY_READY", &LyLibraryBase::Library_ReadyHandler)),
      mClose(Subscribe(this, "LIBRARY_CLOSE", &LyLibraryBase::Library_CloseHandler)),
      mRelease(Subscribe(this, "LIBRARY_RELEASE", &LyLibraryBase::Library_ReleaseHandler)) {}

LyLibraryBase::~LyLibraryBase() {
    delete mOpen;
    delete mReady;
    delete mClose;
    delete mRelease;
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

void LyLibraryBase::Library_OpenHandler(IRegister*, EventRecord*) { LibOpen(); }

void LyLibraryBase::Library_ReadyHandler(IRegister*, EventRecord*) {
    velora::InterpreterGuard guard(false);
    LibReady();
}

void LyLibraryBase::Library_CloseHandler(IRegister*, EventRecord*) { LibClose(); }
void LyLibraryBase::Library_ReleaseHandler(IRegister*, EventRecord*) { LibRelease(); }

LYSDK_END_NAMESPACE
