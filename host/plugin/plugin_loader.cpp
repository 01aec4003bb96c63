#include "velora/plugin_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>

#include "velora/global_events.h"
#include "velora/object.h"
#include "velora/object_directory.h"
#include "velora/object_registry.h"
#include "velora/trace.h"

namespace velora {

namespace {

using VersionFn = int (*)();
using EntryFn = bool (*)(int);

std::string Version(int v) {
    return std::to_string(v / 10000) + "." + std::to_string(v / 100 % 100) + "." +
           std::to_string(v % 100);
}

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

// The text of the exception being handled, for a report.
std::string CurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        return std::string("threw: ") + e.what();
    } catch (...) {
        return "threw an exception that is not a std::exception";
    }
}

// Calls `call` (plug-in code); on an exception, describes it as what
// `doing` did and answers false.
template <class Call>
bool Guarded(Call&& call, const std::string& doing, std::string* error) {
    try {
        return call();
    } catch (...) {
        return Fail(error, doing + " " + CurrentException());
    }
}

// ELF header and loadable segments of the file, checked against its size.
bool CheckElf(int fd, off_t size, std::string* error) {
    ElfW(Ehdr) header;
    if (size < static_cast<off_t>(sizeof header) || ::pread(fd, &header, sizeof header, 0) != sizeof header)
        return Fail(error, "not a shared library: " + std::to_string(size) + " bytes, too short for an ELF header");
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Fail(error, "not a shared library: no ELF header");
    const ElfW(Ehdr)* own = nullptr;
    {
        // This process's own header says what the dynamic loader accepts.
        static ElfW(Ehdr) self;
        static const bool known = [] {
            const int exe = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
            const bool ok = exe >= 0 && ::pread(exe, &self, sizeof self, 0) == sizeof self;
            if (exe >= 0) ::close(exe);
            return ok;
        }();
        if (known) own = &self;
    }
    if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32))
        return Fail(error, std::string("built for another word size (") +
                               (header.e_ident[EI_CLASS] == ELFCLASS32 ? "32" : "64") + "-bit)");
    if (own && header.e_ident[EI_DATA] != own->e_ident[EI_DATA])
        return Fail(error, "built for another byte order");
    if (own && header.e_machine != own->e_machine)
        return Fail(error, "built for another machine (ELF machine " + std::to_string(header.e_machine) +
                               ", this one is " + std::to_string(own->e_machine) + ")");
    if (header.e_type != ET_DYN) return Fail(error, "not a shared library (ELF type " + std::to_string(header.e_type) + ")");
    const auto inside = [size](std::uint64_t offset, std::uint64_t count, std::uint64_t each) {
        return offset <= static_cast<std::uint64_t>(size) && each != 0 &&
               count <= (static_cast<std::uint64_t>(size) - offset) / each;
    };
    const std::string truncated = "truncated or damaged: ";
    if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0 ||
        !inside(header.e_phoff, header.e_phnum, header.e_phentsize))
        return Fail(error, truncated + "its program headers lie outside the file");
    if (header.e_shnum != 0 && !inside(header.e_shoff, header.e_shnum, header.e_shentsize))
        return Fail(error, truncated + "its section table lies outside the file");
    for (int i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment;
        const off_t at = static_cast<off_t>(header.e_phoff + static_cast<std::uint64_t>(i) * sizeof segment);
        if (::pread(fd, &segment, sizeof segment, at) != sizeof segment)
            return Fail(error, truncated + "its program headers cannot be read");
        if (segment.p_type == PT_LOAD && !inside(segment.p_offset, segment.p_filesz, 1))
            return Fail(error, truncated + "a loadable segment ends at byte " +
                                   std::to_string(segment.p_offset + segment.p_filesz) + " of a " +
                                   std::to_string(size) + "-byte file");
    }
    return true;
}

// Loads the library in a child process and reports how that went: a static
// initializer that throws (std::terminate) or crashes ends the child only.
// The child's output is discarded; its verdict comes back through a pipe.
int gProbeVerdict = -1;

void ProbeTerminate() {
    std::string text = "a static initializer ";
    if (std::current_exception()) text += CurrentException();
    else text += "ended the process (std::terminate)";
    const ssize_t ignored = ::write(gProbeVerdict, text.data(), text.size());
    (void)ignored;
    ::_exit(3);
}

bool ProbeInChild(const char* path, std::string* error) {
    int verdict[2];
    if (::pipe2(verdict, O_CLOEXEC) != 0) return true;  // no probe: load directly
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(verdict[0]);
        ::close(verdict[1]);
        return true;
    }
    if (child == 0) {
        ::close(verdict[0]);
        gProbeVerdict = verdict[1];
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        std::set_terminate(&ProbeTerminate);
        if (!::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
            const char* why = ::dlerror();
            const std::string text = std::string("cannot be opened: ") + (why ? why : "unknown reason");
            const ssize_t ignored = ::write(verdict[1], text.data(), text.size());
            (void)ignored;
            ::_exit(2);
        }
        ::_exit(0);
    }
    ::close(verdict[1]);
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(verdict[0], buffer, sizeof buffer);
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else break;
    }
    ::close(verdict[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFSIGNALED(status))
        return Fail(error, "loading it crashed (signal " + std::to_string(WTERMSIG(status)) + ", " +
                               ::strsignal(WTERMSIG(status)) + "), so it is not loaded into the host");
    return Fail(error, text.empty() ? "loading it ended the process (exit status " +
                                          std::to_string(WEXITSTATUS(status)) + ")"
                                    : text);
}

// Names the library if one of its static initializers still ends the host
// (it behaved differently in the probe).
std::string gOpening;

void OpeningTerminate() {
    std::string text = "velora: plug-in " + gOpening + ": a static initializer ";
    if (std::current_exception()) text += CurrentException();
    else text += "ended the process";
    text += "; the host cannot go on\n";
    const ssize_t ignored = ::write(2, text.data(), text.size());
    (void)ignored;
    std::abort();
}

}  // namespace

PluginLoader& PluginLoader::Instance() {
    static PluginLoader loader;
    return loader;
}

bool PluginLoader::CheckLibraryFile(const char* path, std::string* error) {
    if (!path || !*path) return Fail(error, "no library path given");
    // Non-blocking: opening a FIFO must not wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(error, std::string("cannot be opened: ") + std::strerror(errno));
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) Fail(error, std::string("cannot be read: ") + std::strerror(errno));
    else if (!S_ISREG(info.st_mode)) ok = Fail(error, "not a regular file");
    else ok = CheckElf(fd, info.st_size, error);
    ::close(fd);
    return ok;
}

bool PluginLoader::Load(const char* path, std::string* error) {
    if (!path || !*path) return Fail(error, "no library path given");
    if (IsLoaded(path)) return Fail(error, "already loaded");
    if (!CheckLibraryFile(path, error)) return false;
    // A library the process has already mapped (the SDK itself, a library
    // loaded under another name) runs no initializer again: no probe.
    void* already = ::dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    const bool mapped = already != nullptr;
    if (already) ::dlclose(already);
    if (!mapped && !ProbeInChild(path, error)) return false;

    gOpening = path;
    const std::terminate_handler previous = std::set_terminate(&OpeningTerminate);
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    std::set_terminate(previous);
    if (!handle) {
        const char* why = ::dlerror();
        return Fail(error, std::string("cannot be opened: ") + (why ? why : "unknown reason"));
    }
    auto version = reinterpret_cast<VersionFn>(::dlsym(handle, "LyPluginSdkVersion"));
    auto entry = reinterpret_cast<EntryFn>(::dlsym(handle, "LyPluginEntry"));
    if (!version || !entry) {
        ::dlclose(handle);
        return Fail(error, std::string("missing entry symbol ") +
                               (!version ? "LyPluginSdkVersion" : "LyPluginEntry") +
                               " (not a plug-in, or not built with LYSDK_PLUGIN)");
    }
    int built = 0;
    if (!Guarded([&] { return (built = version()), true; }, "its version query (LyPluginSdkVersion)", error)) {
        ::dlclose(handle);
        return false;
    }
    if (sdkVersion_ && built / 100 != sdkVersion_ / 100) {
        ::dlclose(handle);
        return Fail(error, "built against SDK " + Version(built) + ", incompatible with the loaded SDK " +
                               Version(sdkVersion_));
    }
    ObjectRegistry& registry = ObjectRegistry::Instance();
    // A library may load another from its entry: attribute each library's
    // registrations to it, and put the outer one back afterwards.
    const std::string outer = registry.LoadingLibrary();
    registry.SetLoadingLibrary(path);
    bool refused = false;
    const bool ok = Guarded([&] { return (refused = !entry(0)), !refused; },
                            "its entry (LyPluginEntry(0): library object and registrations)", error);
    registry.SetLoadingLibrary(outer.empty() ? nullptr : outer.c_str());
    if (!ok) {
        // Undo what the entry did: its library object goes, its entries
        // (whose creators are about to be unmapped) too.
        std::string closing;
        const bool closed = Guarded([&] { return entry(1), true; }, "then LyPluginEntry(1)", &closing);
        registry.UnregisterLibrary(path);
        ::dlclose(handle);
        if (refused) Fail(error, "its entry refused to load (LyPluginEntry(0) returned false)");
        if (!closed && error) *error += "; " + closing;
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
        if (auto entry = reinterpret_cast<EntryFn>(::dlsym(library.handle, "LyPluginEntry"))) {
            std::string error;
            if (!Guarded([&] { return entry(1), true; }, "its entry (LyPluginEntry(1): unloading)", &error))
                Trace::Instance().Printf(Trace::kDefaultLevel, "Warning: plug-in %s: %s\n",
                                         library.path.c_str(), error.c_str());
        }
        // Its creators go with its code.
        ObjectRegistry::Instance().UnregisterLibrary(library.path.c_str());
        ::dlclose(library.handle);
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
        if (l.path == path) return ::dlsym(l.handle, name);
    return nullptr;
}

std::vector<std::string> PluginLoader::ListPlugins(const char* directory, std::vector<std::string>* problems) {
    std::vector<std::string> found;
    if (!directory) return found;
    DIR* dir = ::opendir(directory);
    if (!dir) {
        if (problems) problems->push_back(std::string(directory) + ": " + std::strerror(errno));
        return found;
    }
    std::vector<std::string> notes;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0) continue;
        const std::string path = std::string(directory) + "/" + name;
        struct stat st;
        if (::stat(path.c_str(), &st) == 0) {
            if (S_ISREG(st.st_mode)) found.push_back(path);
            else if (S_ISDIR(st.st_mode)) notes.push_back(path + ": a directory, not a library");
            else notes.push_back(path + ": not a regular file");
            continue;
        }
        const int code = errno;
        struct stat link;
        if (code == ELOOP) notes.push_back(path + ": a loop of symbolic links");
        else if (code == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            notes.push_back(path + ": a symbolic link to nothing");
        else notes.push_back(path + ": " + std::strerror(code));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::sort(notes.begin(), notes.end());
    if (problems) problems->insert(problems->end(), notes.begin(), notes.end());
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

int EndPluginObjects() {
    std::vector<PlugHandle> custom;
    for (Object* object : ObjectDirectory::Instance().Livings())
        if (object->IsCustomObject()) custom.emplace_back(object);
    int ended = 0;
    for (PlugHandle& handle : custom) {
        if (Plug* plug = handle.Get()) {
            plug->Destroy(0);
            ++ended;
        }
    }
    return ended;
}

}  // namespace velora
