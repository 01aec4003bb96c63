#ifndef VELORA_PLUGIN_LOADER_H
#define VELORA_PLUGIN_LOADER_H

// Loading plug-in libraries.
//
// A plug-in is a shared library that exports two C functions:
//   int  LyPluginSdkVersion();         the SDK version it was built against
//                                      (major * 10000 + minor * 100 + patch)
//   bool LyPluginEntry(int operation); 0 when loaded (it registers its
//                                      classes), 1 before it is unloaded
// The loader refuses a library whose SDK major or minor version differs from
// the loaded SDK's, calls the entry with 0 while registrations made in the
// meantime are attributed to the library, and keeps the library loaded until
// Free or FreeAll. Libraries are opened with their symbols kept local, so
// one plug-in cannot interpose on another.
//
// A plug-in is foreign code, and the loader does not let it take the host
// down on the way in or out:
//  - the file is checked before the dynamic loader sees it: a regular file,
//    an ELF shared object of this machine's class, data order and
//    architecture, with its headers and loadable segments inside the file
//    (mapping a truncated library faults on first touch);
//  - the library is first loaded in a short-lived child process: a static
//    initializer that throws or crashes ends the child and the library is
//    refused with the reason, where in the host it would end the process;
//  - every call into the library (version query, entry with 0 and 1) is
//    guarded: an exception is reported naming the library and what it was
//    doing, and a library whose entry failed on load is unloaded.

#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

class VELORA_API PluginLoader {
public:
    static PluginLoader& Instance();

    /// The SDK version plug-ins must match (major and minor); 0 accepts any.
    void SetSdkVersion(int version) { sdkVersion_ = version; }
    int SdkVersion() const { return sdkVersion_; }

    /// Loads the library at `path`. On failure nothing stays loaded, false
    /// is returned and `error` (if given) says why.
    bool Load(const char* path, std::string* error = nullptr);
    /// Calls the entry with 1 and unloads; false when not loaded. An
    /// exception from the entry is written to the trace; the library is
    /// unloaded regardless.
    bool Free(const char* path);
    /// Frees every library, the last loaded first.
    void FreeAll();

    bool IsLoaded(const char* path) const;
    int Count() const { return static_cast<int>(libraries_.size()); }
    const char* PathAt(int i) const;
    /// A symbol of a loaded library, or null.
    void* Symbol(const char* path, const char* name) const;

    /// The plug-in files of `directory` (regular files ending in ".so", links
    /// to them included), sorted by name; empty when it cannot be read. An
    /// entry ending in ".so" that is not a usable file (a directory, a
    /// dangling link, a link loop, a device) and a directory that cannot be
    /// read are described in `problems`, one line each ("path: reason").
    static std::vector<std::string> ListPlugins(const char* directory,
                                                std::vector<std::string>* problems = nullptr);
    /// Whether `path` is an ELF shared object this process can map: false
    /// with the reason otherwise.
    static bool CheckLibraryFile(const char* path, std::string* error = nullptr);

private:
    PluginLoader() = default;
    struct Library {
        std::string path;
        void* handle;
    };
    std::vector<Library> libraries_;
    int sdkVersion_ = 0;
};

/// Guards the scripting interpreter for the length of a scope. There is no
/// interpreter in this host yet, so the guard is a process-wide recursive
/// lock; `initialise` asks for the interpreter to be started first, which
/// is then nothing to do.
class VELORA_API InterpreterGuard {
public:
    explicit InterpreterGuard(bool initialise);
    ~InterpreterGuard();
    InterpreterGuard(const InterpreterGuard&) = delete;
    InterpreterGuard& operator=(const InterpreterGuard&) = delete;
    /// How many guards are alive on any thread (for diagnostics and tests).
    static int Depth();
};

/// The application's lifecycle events around a run, fired in this order:
/// "LIBRARY_OPEN" and "LIBRARY_READY" once the plug-ins are loaded,
/// "LIBRARY_CLOSE" and "LIBRARY_RELEASE" before they are freed.
VELORA_API void FireLibraryOpen();
VELORA_API void FireLibraryClose();

/// Ends every living object of a plug-in class (its code lives in a library
/// about to be unloaded); returns how many went.
VELORA_API int EndPluginObjects();

}  // namespace velora

#endif  // VELORA_PLUGIN_LOADER_H
