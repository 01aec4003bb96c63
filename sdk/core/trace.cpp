// The trace functions: level rules and the two fixed formatting buffers.

#include "lysdk/lytrace.h"

#include <cstdarg>
#include <cstdio>

#include "core/host_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// One buffer per function, as plug-ins expect text to stay put until their
// next call of the same function. Shared, unlocked state (see lytrace.h).
char gTraceBuffer[kLyTraceBufferSize];
char gTraceLevelBuffer[kLyTraceBufferSize];

// Ordinary lines are written at this level and need the trace at it.
constexpr unsigned int kPlainLevel = 10;

}  // namespace

unsigned int LyTraceGetLevel() { return velora::Trace::Instance().Level(); }

void LyTraceSetLevel(unsigned int level) { velora::Trace::Instance().SetLevel(level); }

void LyTrace(const char* format, ...) {
    velora::Trace& trace = velora::Trace::Instance();
    if (!format || trace.Level() < kPlainLevel) return;
    va_list args;
    va_start(args, format);
    // vsnprintf cuts at the buffer and always terminates it.
    std::vsnprintf(gTraceBuffer, sizeof gTraceBuffer, format, args);
    va_end(args);
    trace.Print(kPlainLevel, gTraceBuffer);
}

void LyTraceWithLevel(unsigned int level, const char* format, ...) {
    velora::Trace& trace = velora::Trace::Instance();
    if (!format || level > trace.Level()) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(gTraceLevelBuffer, sizeof gTraceLevelBuffer, format, args);
    va_end(args);
    trace.Print(level, gTraceLevelBuffer);
}

bool LyRegisterTraceStubFct(LyTraceStubFct stub) { return velora::Trace::Instance().AddStub(stub); }

bool LyUnRegisterTraceStubFct(LyTraceStubFct stub) {
    return velora::Trace::Instance().RemoveStub(stub);
}

LYSDK_END_NAMESPACE
