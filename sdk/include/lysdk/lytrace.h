#ifndef LYSDK_LYTRACE_H
#define LYSDK_LYTRACE_H

// The host's trace output.
//
// The trace has a level (10 by default). LyTrace writes ordinary lines at
// level 10 and writes nothing while the level is below 10. LyTraceWithLevel
// writes at the level given, and nothing when that level is above the
// current one. Each function formats into its own fixed buffer of
// kLyTraceBufferSize bytes: longer text is cut to the buffer (the last byte
// holds the terminating zero), never written past it. The buffers are
// shared: two threads tracing through the same function at once may mix
// their text.

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// Size of each trace formatting buffer, terminating zero included.
constexpr unsigned int kLyTraceBufferSize = 2464;

/// A function that receives every trace line with its level.
using LyTraceStubFct = void (*)(unsigned int level, const char* text);

LYSDK_API unsigned int LyTraceGetLevel();
LYSDK_API void LyTraceSetLevel(unsigned int level);

/// printf-style line at level 10.
LYSDK_API void LyTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// printf-style line at `level`.
LYSDK_API void LyTraceWithLevel(unsigned int level, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

/// Adds a stub; false when it is null or already there.
LYSDK_API bool LyRegisterTraceStubFct(LyTraceStubFct stub);
/// Removes a stub; false when it was not there.
LYSDK_API bool LyUnRegisterTraceStubFct(LyTraceStubFct stub);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYTRACE_H
