// The library entry: what runs when the library is loaded and unloaded.

#include <velora/object_registry.h>

#include "lysdk/lyobject.h"

LYSDK_BEGIN_NAMESPACE

extern "C" bool EntryPointlysdk(int operation) {
    if (operation == 0) {
        velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
        registry.Register("Browsing/Apply", "UserObjects", "User Object rule",
                          &velora::CreateUserObjectRule, true);
        registry.Register("Browsing/Filters", "UserObjects", "User Object filter",
                          &velora::CreateUserObjectFilter, true);
    }
    // Unloading needs nothing undone: the host outlives the library.
    return true;
}

namespace {

// The loader's attach and detach: static initialisation has run by the time
// the attach hook is called (it has the lowest priority).
__attribute__((constructor(65535))) void LibraryAttach() { EntryPointlysdk(0); }
__attribute__((destructor(65535))) void LibraryDetach() { EntryPointlysdk(1); }

}  // namespace

LYSDK_END_NAMESPACE
