// The evaluation threads: oneTBB, or plain threads under ThreadSanitizer.

#include "velora/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#if !defined(VELORA_PLAIN_THREADS)
#include <tbb/blocked_range.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#endif

namespace velora {

int EvaluationThreadCount() {
#if defined(VELORA_PLAIN_THREADS)
    return std::max(1u, std::thread::hardware_concurrency());
#else
    return std::max(1, tbb::info::default_concurrency());
#endif
}

const char* ParallelBackend() {
#if defined(VELORA_PLAIN_THREADS)
    return "std::thread";
#else
    return "tbb";
#endif
}

void ParallelFor(int count, int grain, bool parallel, ParallelBody body, void* data) {
    if (count <= 0 || !body) return;
    if (grain < 1) grain = 1;
    if (!parallel || count <= grain || EvaluationThreadCount() < 2) {
        body(data, 0, count);
        return;
    }
#if defined(VELORA_PLAIN_THREADS)
    // Ranges are taken from a shared counter by the calling thread and by
    // one helper per further core; the joins publish every write.
    std::atomic<int> next{0};
    auto work = [&] {
        for (;;) {
            const int begin = next.fetch_add(grain, std::memory_order_relaxed);
            if (begin >= count) return;
            body(data, begin, std::min(count, begin + grain));
        }
    };
    const int helpers = std::min(EvaluationThreadCount(), (count + grain - 1) / grain) - 1;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(helpers));
    for (int i = 0; i < helpers; ++i) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
#else
    tbb::parallel_for(tbb::blocked_range<int>(0, count, static_cast<std::size_t>(grain)),
                      [&](const tbb::blocked_range<int>& r) { body(data, r.begin(), r.end()); });
#endif
}

}  // namespace velora
