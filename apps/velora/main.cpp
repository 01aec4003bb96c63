// velora: the headless reference host.
//
// It starts the host core, loads the SDK library (which registers its own
// host classes as it loads), loads the plug-ins found on the plug-in search
// path, runs the library lifecycle around the work the command line asks
// for, and frees everything in reverse order.
//
// Plug-in search path, in this order (each directory's "*.so" files load in
// name order; a library found twice loads once):
//   1. every --plugin-path DIR, in the order given;
//   2. the directories of VELORA_PLUGIN_PATH, a colon-separated list;
//   3. the installed plug-in directory next to the program
//      (<prefix>/lib/velora/plugins), unless --no-default-plugins.
// A library that fails to load is reported with its path and the reason, and
// the others load regardless.

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <velora/application.h>
#include <velora/class_registry.h>
#include <velora/object.h>
#include <velora/object_directory.h>
#include <velora/object_registry.h>
#include <velora/plugin_loader.h>
#include <velora/scene_io.h>
#include <velora/trace.h>

namespace {

constexpr const char* kUsage =
    "usage: velora [options]\n"
    "  --version              print the host and SDK versions\n"
    "  --list-classes         print the host class registry\n"
    "  --list-plugins         print every registry group and entry with its library\n"
    "  --plugin-path DIR      look for plug-ins in DIR (repeatable)\n"
    "  --no-default-plugins   do not look in the installed plug-in directory\n"
    "  --scene FILE           open a .dsx scene\n"
    "  --save FILE            save the scene to FILE (text; --binary for CBOR)\n"
    "  --binary               save in the binary encoding\n"
    "  --create GROUP/ENTRY[=NAME]\n"
    "                         create an instance of a registered entry (repeatable)\n"
    "  --sdk PATH             load the SDK library from PATH\n"
    "  -h, --help             print this help\n"
    "environment: VELORA_PLUGIN_PATH, a colon-separated list of plug-in directories\n";

std::string ExecutableDir() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string dir(path);
    const auto slash = dir.rfind('/');
    return slash == std::string::npos ? "." : dir.substr(0, slash);
}

struct Options {
    bool version = false;
    bool listClasses = false;
    bool listPlugins = false;
    bool help = false;
    bool defaultPlugins = true;
    std::string sdkPath;
    std::vector<std::string> pluginPaths;
    std::vector<std::string> creates;
    std::string scene;
    std::string save;
    bool binary = false;
};

bool Parse(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* option, std::string& out) {
            if (i + 1 >= argc) {
                error = std::string("option ") + option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (!std::strcmp(arg, "--version")) {
            options.version = true;
        } else if (!std::strcmp(arg, "--list-classes")) {
            options.listClasses = true;
        } else if (!std::strcmp(arg, "--list-plugins")) {
            options.listPlugins = true;
        } else if (!std::strcmp(arg, "--no-default-plugins")) {
            options.defaultPlugins = false;
        } else if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
            options.help = true;
        } else if (!std::strcmp(arg, "--scene")) {
            if (!value("--scene", options.scene)) return false;
        } else if (!std::strcmp(arg, "--save")) {
            if (!value("--save", options.save)) return false;
        } else if (!std::strcmp(arg, "--binary")) {
            options.binary = true;
        } else if (!std::strcmp(arg, "--sdk")) {
            if (!value("--sdk", options.sdkPath)) return false;
        } else if (!std::strcmp(arg, "--plugin-path")) {
            if (!value("--plugin-path", v)) return false;
            options.pluginPaths.push_back(v);
        } else if (!std::strcmp(arg, "--create")) {
            if (!value("--create", v)) return false;
            if (v.find('/') == std::string::npos) {
                error = "option --create needs GROUP/ENTRY, got '" + v + "'";
                return false;
            }
            options.creates.push_back(v);
        } else {
            error = std::string("unknown argument '") + arg + "'";
            return false;
        }
    }
    return true;
}

std::vector<std::string> SearchPath(const Options& options) {
    std::vector<std::string> dirs = options.pluginPaths;
    if (const char* env = std::getenv("VELORA_PLUGIN_PATH")) {
        std::string list(env);
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t colon = list.find(':', start);
            const std::string dir =
                list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
            if (!dir.empty()) dirs.push_back(dir);
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    if (options.defaultPlugins) dirs.push_back(ExecutableDir() + "/../lib/velora/plugins");
    return dirs;
}

// Loads every plug-in on the search path; returns how many failed.
int LoadPlugins(const Options& options) {
    velora::PluginLoader& loader = velora::PluginLoader::Instance();
    std::set<std::string> seen;
    int failed = 0;
    for (const std::string& dir : SearchPath(options)) {
        for (const std::string& path : velora::PluginLoader::ListPlugins(dir.c_str())) {
            char resolved[PATH_MAX];
            const std::string key = realpath(path.c_str(), resolved) ? resolved : path;
            if (!seen.insert(key).second) continue;
            std::string error;
            if (loader.Load(path.c_str(), &error)) {
                std::printf("velora: loaded plug-in %s\n", path.c_str());
            } else {
                std::fprintf(stderr, "velora: plug-in %s was not loaded: %s\n", path.c_str(),
                             error.c_str());
                ++failed;
            }
        }
    }
    return failed;
}

void ListPlugins() {
    const velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    for (int g = 0; g < registry.GroupCount(); ++g) {
        std::printf("%s\n", *registry.GroupName(g) ? registry.GroupName(g) : "(empty group)");
        for (int e = 0; e < registry.EntryCount(g); ++e) {
            const velora::RegistryEntry* entry = registry.EntryAt(g, e);
            std::printf("  %s  \"%s\"  [%s]%s\n", entry->name.c_str(), entry->description.c_str(),
                        entry->library.empty() ? "host" : entry->library.c_str(),
                        entry->creator ? "" : "  (menu only)");
        }
    }
}

// Creates the instance `spec` asks for ("Group/Path/Entry[=Name]"); the
// group is everything before the last '/'. Returns false when it fails.
bool CreateInstance(const std::string& spec, std::vector<velora::PlugHandle>& created) {
    std::string target = spec;
    std::string name;
    const std::size_t equals = target.find('=');
    if (equals != std::string::npos) {
        name = target.substr(equals + 1);
        target = target.substr(0, equals);
    }
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos) {
        std::fprintf(stderr, "velora: cannot create %s: expected GROUP/ENTRY[=NAME]\n", spec.c_str());
        return false;
    }
    const std::string group = target.substr(0, slash);
    const std::string entryName = target.substr(slash + 1);
    const velora::RegistryEntry* entry =
        velora::ObjectRegistry::Instance().Find(group.c_str(), entryName.c_str());
    const std::string library = entry && !entry->library.empty() ? entry->library : "host";
    if (!entry) {
        std::fprintf(stderr, "velora: cannot create %s: no such registry entry\n", spec.c_str());
        return false;
    }
    if (!entry->creator) {
        std::fprintf(stderr, "velora: cannot create %s: the entry (from %s) has no creator\n",
                     spec.c_str(), library.c_str());
        return false;
    }
    // Through the registry, which remembers the entry: a storable class's
    // object is saved with it.
    velora::IObject* object = velora::ObjectRegistry::Instance().Create(
        group.c_str(), entryName.c_str(), nullptr, name.empty() ? entryName.c_str() : name.c_str(),
        nullptr);
    velora::Object* host = velora::AsObject(object);
    if (!host) {
        std::fprintf(stderr, "velora: cannot create %s: the creator in %s returned %s\n",
                     spec.c_str(), library.c_str(), object ? "no host object" : "null");
        return false;
    }
    const char* className = velora::ClassRegistry::Instance().Name(host->ClassId());
    std::printf("velora: created %s (%s%s%s) from %s\n", host->FullName(), className,
                host->IsCustomObject() ? ", extension class " : "",
                host->IsCustomObject() ? host->CustomClassName() : "", library.c_str());
    created.emplace_back(host);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "velora: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    velora::Trace& trace = velora::Trace::Instance();
    trace.SetStream(stdout);

    // Extensions read the command line and the plug-in search path from the
    // application's settings, so both are handed over before the SDK loads.
    velora::Application& application = velora::Application::Instance();
    application.SetCommandLine(argc, argv);
    for (const std::string& dir : SearchPath(options)) application.AddPluginPath(dir.c_str());

    const std::string sdkPath =
        options.sdkPath.empty() ? ExecutableDir() + "/../lib/liblysdk.so" : options.sdkPath;
    void* sdk = dlopen(sdkPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!sdk) {
        std::fprintf(stderr, "velora: cannot load the SDK library '%s': %s\n", sdkPath.c_str(),
                     dlerror());
        return 1;
    }
    using VersionFn = int (*)();
    using VersionTextFn = const char* (*)();
    auto sdkVersion = reinterpret_cast<VersionFn>(dlsym(sdk, "_ZN10VELSDK202512LyGetVersionEv"));
    auto sdkVersionText =
        reinterpret_cast<VersionTextFn>(dlsym(sdk, "_ZN10VELSDK202518LyGetVersionStringEv"));
    velora::PluginLoader& loader = velora::PluginLoader::Instance();
    loader.SetSdkVersion(sdkVersion ? sdkVersion() : 0);

    if (options.version)
        std::printf("velora %s, lysdk %s\n", VELORA_VERSION,
                    sdkVersionText ? sdkVersionText() : "unknown");

    const int failedPlugins = LoadPlugins(options);
    velora::FireLibraryOpen();

    if (options.listClasses) velora::ClassRegistry::Instance().Print(trace);
    if (options.listPlugins) ListPlugins();

    int failedScenes = 0;
    if (!options.scene.empty()) {
        velora::SceneCounts counts;
        if (velora::OpenScene(options.scene, &error, &counts)) {
            std::printf("velora: opened scene %s: %d objects, %d properties, %d skipped\n",
                        options.scene.c_str(), counts.objects, counts.properties, counts.skipped);
        } else {
            std::fprintf(stderr, "velora: cannot open scene %s: %s\n", options.scene.c_str(),
                         error.c_str());
            ++failedScenes;
        }
    }

    int failedCreates = 0;
    std::vector<velora::PlugHandle> created;
    for (const std::string& spec : options.creates)
        if (!CreateInstance(spec, created)) ++failedCreates;

    if (!options.save.empty()) {
        velora::SceneCounts counts;
        if (velora::SaveScene(options.save, options.binary, &error, &counts)) {
            std::printf("velora: saved scene %s: %d objects, %d properties\n", options.save.c_str(),
                        counts.objects, counts.properties);
        } else {
            std::fprintf(stderr, "velora: cannot save scene %s: %s\n", options.save.c_str(),
                         error.c_str());
            ++failedScenes;
        }
    }
    // The host ends what it created; extension objects go with their bridges.
    for (velora::PlugHandle& handle : created)
        if (velora::Plug* plug = handle.Get()) plug->Destroy(0);
    // Before the plug-ins go, end every object of a plug-in class: its code
    // lives in the library about to be unloaded. Plain host objects stay
    // until the process ends; nothing calls into their wrappers after this.
    std::vector<velora::PlugHandle> custom;
    for (velora::Object* object : velora::ObjectDirectory::Instance().Livings())
        if (object->IsCustomObject()) custom.emplace_back(object);
    for (velora::PlugHandle& handle : custom)
        if (velora::Plug* plug = handle.Get()) plug->Destroy(0);

    velora::FireLibraryClose();
    loader.FreeAll();
    dlclose(sdk);

    if (failedPlugins || failedCreates)
        std::printf("velora: %d plug-in(s) failed to load, %d instance(s) failed to create\n",
                    failedPlugins, failedCreates);
    return failedCreates || failedScenes ? 1 : 0;
}
