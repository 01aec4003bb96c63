// Loads the out-of-tree plug-in built against the installed SDK and checks
// that it reached the host: its component created a host object of the
// library's class, named by the plug-in, bound to its wrapper.

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include <velora/class_registry.h>
#include <velora/object.h>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "consumer_load: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: consumer_load PLUGIN");
    void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!plugin) return Fail(dlerror());
    using MakeFn = lyiface::IObject* (*)(int*);
    auto make = reinterpret_cast<MakeFn>(dlsym(plugin, "consumer_plugin_make"));
    if (!make) return Fail("the plug-in does not export consumer_plugin_make");

    int typeId = 0;
    velora::Object* host = velora::AsObject(make(&typeId));
    if (!host) return Fail("the plug-in made no host object");
    if (typeId <= 0) return Fail("the plug-in's class got no type id");
    if (std::strcmp(host->Name(), "FromPlugin") != 0) return Fail("wrong object name");
    const char* className = velora::ClassRegistry::Instance().Name(host->ClassId());
    if (!className || std::strcmp(className, "LySDKHostObject") != 0)
        return Fail("the host object is not of the library's class");
    if (!host->Wrapper()) return Fail("the host object has no wrapper in its slot");

    // The host ends the object; the plug-in's heap component goes with it.
    host->Destroy(0);
    std::printf("consumer plug-in loaded: type id %d, object %s\n", typeId, "FromPlugin");
    // The plug-in stays loaded: its classes' statics live as long as the process.
    return 0;
}
