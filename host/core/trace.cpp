#include "velora/trace.h"

#include <algorithm>
#include <cstdarg>

namespace velora {

Trace& Trace::Instance() {
    static Trace trace;
    return trace;
}

void Trace::Print(unsigned int level, const char* text) {
    if (!text) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Copy first: a stub may unregister itself while being told.
    const std::vector<Stub> stubs = stubs_;
    for (Stub stub : stubs) stub(level, text);
    if (stream_) {
        std::fputs(text, stream_);
        std::fflush(stream_);
    }
}

void Trace::Printf(unsigned int level, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Print(level, buffer);
}

bool Trace::AddStub(Stub stub) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!stub || std::find(stubs_.begin(), stubs_.end(), stub) != stubs_.end()) return false;
    stubs_.push_back(stub);
    return true;
}

bool Trace::RemoveStub(Stub stub) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = std::find(stubs_.begin(), stubs_.end(), stub);
    if (it == stubs_.end()) return false;
    stubs_.erase(it);
    return true;
}

void Trace::SetStream(std::FILE* stream) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    stream_ = stream;
}

}  // namespace velora
