#include "velora/plugin_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "velora/global_events.h"
#include "velora/object_registry.h"

namespace velora {

namespace {

using VersionFn = int (*)();
using EntryFn = bool (*)(int);

std::string Version(int v) {
    return std::to_string(v / 10000) + "." + std::to_string(v / 100 % 100) + "." +
           std::to_string(v % 100);
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

PluginLoader& PluginLoader::Instance() {
    static PluginLoader loader;
    return loader;
}

bool PluginLoader::Load(const char* path, std::string* error) {
    if (!path || !*path) {
        SetError(error, "no library path given");
        return false;
    }
    if (IsLoaded(path)) {
        SetError(error, "already loaded");
        return false;
    }
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        SetError(error, std::string("cannot be opened: ") + (why ? why : "unknown reason"));
        return false;
    }
    auto version = reinterpret_cast<VersionFn>(dlsym(handle, "LyPluginSdkVersion"));
    auto entry = reinterpret_cast<EntryFn>(dlsym(handle, "LyPluginEntry"));
    if (!version || !entry) {
        SetError(error, std::string("missing entry symbol ") +
                            (!version ? "LyPluginSdkVersion" : "LyPluginEntry") +
                            " (not a plug-in, or not built with LYSDK_PLUGIN)");
        dlclose(handle);
        return false;
    }
    const int built = version();
    if (sdkVersion_ && built / 100 != sdkVersion_ / 100) {
        SetError(error, "built against SDK " + Version(built) + ", incompatible with the loaded SDK " +
                            Version(sdkVersion_));
        dlclose(handle);
        return false;
    }
    ObjectRegistry& registry = ObjectRegistry::Instance();
    // A library may load another from its entry: attribute each library's
    // registrations to it, and put the outer one back afterwards.
    const std::string outer = registry.LoadingLibrary();
    registry.SetLoadingLibrary(path);
    const bool ok = entry(0);
    registry.SetLoadingLibrary(outer.empty() ? nullptr : outer.c_str());
    if (!ok) {
        entry(1);
        registry.UnregisterLibrary(path);
        SetError(error, "its entry refused to load (LyPluginEntry(0) returned false)");
        dlclose(handle);
        return false;
    }
    libraries_.push_back(Library{path, handle});
    return true;
}

bool PluginLoader::Free(const char* path) {
    if (!path) return false;
    for (auto it = libraries_.begin(); it != libraries_.end(); ++it) {
        if (it->path != path) continue;
        // Out of the list first: the entry may free other libraries.
        const Library library = *it;
        libraries_.erase(it);
        if (auto entry = reinterpret_cast<EntryFn>(dlsym(library.handle, "LyPluginEntry"))) entry(1);
        // Its creators go with its code.
        ObjectRegistry::Instance().UnregisterLibrary(library.path.c_str());
        dlclose(library.handle);
        return true;
    }
    return false;
}

void PluginLoader::FreeAll() {
    while (!libraries_.empty()) {
        const std::string path = libraries_.back().path;
        Free(path.c_str());
    }
}

bool PluginLoader::IsLoaded(const char* path) const {
    return path && std::any_of(libraries_.begin(), libraries_.end(),
                               [path](const Library& l) { return l.path == path; });
}

const char* PluginLoader::PathAt(int i) const {
    return i >= 0 && i < Count() ? libraries_[static_cast<std::size_t>(i)].path.c_str() : nullptr;
}

void* PluginLoader::Symbol(const char* path, const char* name) const {
    if (!path || !name) return nullptr;
    for (const Library& l : libraries_)
        if (l.path == path) return dlsym(l.handle, name);
    return nullptr;
}

std::vector<std::string> PluginLoader::ListPlugins(const char* directory) {
    std::vector<std::string> found;
    if (!directory) return found;
    DIR* dir = opendir(directory);
    if (!dir) return found;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0) continue;
        const std::string path = std::string(directory) + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) found.push_back(path);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

namespace {

std::recursive_mutex& InterpreterMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

std::atomic<int> gInterpreterDepth{0};

}  // namespace

InterpreterGuard::InterpreterGuard(bool) {
    InterpreterMutex().lock();
    ++gInterpreterDepth;
}

InterpreterGuard::~InterpreterGuard() {
    --gInterpreterDepth;
    InterpreterMutex().unlock();
}

int InterpreterGuard::Depth() { return gInterpreterDepth.load(); }

void FireLibraryOpen() {
    GlobalEvent::Raise("LIBRARY_OPEN");
    GlobalEvent::Raise("LIBRARY_READY");
}

void FireLibraryClose() {
    GlobalEvent::Raise("LIBRARY_CLOSE");
    GlobalEvent::Raise("LIBRARY_RELEASE");
}

}  // namespace velora
