// velora: the headless reference host.
//
// It starts the host core, loads the SDK library (which registers its own
// host classes as it loads) and then does what the command line asks.

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <velora/class_registry.h>
#include <velora/trace.h>

namespace {

constexpr const char* kUsage =
    "usage: velora [options]\n"
    "  --version         print the host and SDK versions\n"
    "  --list-classes    print the host class registry\n"
    "  --sdk PATH        load the SDK library from PATH\n"
    "  -h, --help        print this help\n";

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
    bool help = false;
    std::string sdkPath;
};

bool Parse(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--version")) {
            options.version = true;
        } else if (!std::strcmp(arg, "--list-classes")) {
            options.listClasses = true;
        } else if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
            options.help = true;
        } else if (!std::strcmp(arg, "--sdk")) {
            if (i + 1 >= argc) {
                error = "option --sdk needs a path";
                return false;
            }
            options.sdkPath = argv[++i];
        } else {
            error = std::string("unknown argument '") + arg + "'";
            return false;
        }
    }
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

    const std::string sdkPath =
        options.sdkPath.empty() ? ExecutableDir() + "/../lib/liblysdk.so" : options.sdkPath;
    void* sdk = dlopen(sdkPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!sdk) {
        std::fprintf(stderr, "velora: cannot load the SDK library '%s': %s\n", sdkPath.c_str(),
                     dlerror());
        return 1;
    }
    using VersionFn = const char* (*)();
    auto sdkVersion = reinterpret_cast<VersionFn>(dlsym(sdk, "_ZN10VELSDK202518LyGetVersionStringEv"));

    if (options.version || (!options.listClasses)) {
        std::printf("velora %s, lysdk %s\n", VELORA_VERSION, sdkVersion ? sdkVersion() : "unknown");
    }
    if (options.listClasses) velora::ClassRegistry::Instance().Print(trace);

    dlclose(sdk);
    return 0;
}
