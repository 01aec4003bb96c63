#ifndef VELORA_TRACE_H
#define VELORA_TRACE_H

// The host's levelled trace output. Every line goes to the registered stub
// functions and then to the output stream (standard error unless changed).

#include <cstdio>
#include <mutex>
#include <vector>

#include "velora/export.h"

namespace velora {

class VELORA_API Trace {
public:
    using Stub = void (*)(unsigned int level, const char* text);

    static Trace& Instance();

    unsigned int Level() const { return level_; }
    void SetLevel(unsigned int level) { level_ = level; }

    /// Prints `text` at `level`: to every stub, then to the stream.
    void Print(unsigned int level, const char* text);
    /// printf-style convenience over Print.
    void Printf(unsigned int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    /// Adds a stub; false when it is null or already registered.
    bool AddStub(Stub stub);
    /// Removes a stub; false when it was not registered.
    bool RemoveStub(Stub stub);

    /// Redirects the stream output; null silences it (stubs still run).
    void SetStream(std::FILE* stream);

    /// The default level: 10 is the level of ordinary warnings.
    static constexpr unsigned int kDefaultLevel = 10;

private:
    Trace() = default;
    unsigned int level_ = kDefaultLevel;
    std::FILE* stream_ = stderr;
    std::vector<Stub> stubs_;
    std::recursive_mutex mutex_;
};

}  // namespace velora

#endif  // VELORA_TRACE_H
