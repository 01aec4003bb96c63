#ifndef VELORA_PARALLEL_H
#define VELORA_PARALLEL_H

// The host's evaluation threads.
//
// ParallelFor runs body(begin, end) over [0, count) split into ranges of
// about `grain` items and returns when every range is done. The optimised
// and AddressSanitizer builds hand the ranges to oneTBB's task scheduler;
// the ThreadSanitizer build runs the same ranges on plain std::threads,
// because ThreadSanitizer cannot see the hand-over inside the uninstrumented
// oneTBB library (it would report races that are not there and, silenced,
// hide the ones that are). Whatever the build, the work a body does and
// the data it shares are the same.

#include <cstdint>

#include "velora/export.h"

namespace velora {

using ParallelBody = void (*)(void* data, int begin, int end);

/// Runs `body` over [0, count); with `parallel` false, or a single range, on
/// the calling thread.
VELORA_API void ParallelFor(int count, int grain, bool parallel, ParallelBody body, void* data);

/// Convenience for a callable `f(begin, end)`.
template <class F>
void ParallelRanges(int count, int grain, bool parallel, F& f) {
    ParallelFor(count, grain, parallel, [](void* d, int b, int e) { (*static_cast<F*>(d))(b, e); }, &f);
}

/// Threads the host evaluates on (at least 1).
VELORA_API int EvaluationThreadCount();
/// The name of the scheduler in use: "tbb" or "std::thread".
VELORA_API const char* ParallelBackend();

}  // namespace velora

#endif  // VELORA_PARALLEL_H
