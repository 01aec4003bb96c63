// The SDK's locks, uncontended, against the standard library's mutexes.
//
// Each pair is reported as a ratio, SDK time over baseline time, measured in
// the same run. The uncontended case is the one the fast lock exists for:
// short sections on hot paths that another thread only rarely wants.

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

// A word the sections touch, so each iteration is a lock around real work.
long long gShared = 0;

void BM_Baseline_StdMutex(benchmark::State& state) {
    std::mutex mutex;
    for (auto _ : state) {
        mutex.lock();
        benchmark::DoNotOptimize(++gShared);
        mutex.unlock();
    }
}
BENCHMARK(BM_Baseline_StdMutex);

void BM_LyFastLock(benchmark::State& state) {
    LyFastLock lock;
    for (auto _ : state) {
        lock.Lock();
        benchmark::DoNotOptimize(++gShared);
        lock.Unlock();
    }
}
BENCHMARK(BM_LyFastLock);

void BM_Baseline_StdRecursiveMutex(benchmark::State& state) {
    std::recursive_mutex mutex;
    for (auto _ : state) {
        mutex.lock();
        benchmark::DoNotOptimize(++gShared);
        mutex.unlock();
    }
}
BENCHMARK(BM_Baseline_StdRecursiveMutex);

void BM_LyCriticalSection(benchmark::State& state) {
    LyCriticalSection section;
    if (!section.Init()) {
        state.SkipWithError("LyCriticalSection::Init failed");
        return;
    }
    for (auto _ : state) {
        section.Enter();
        benchmark::DoNotOptimize(++gShared);
        section.Leave();
    }
}
BENCHMARK(BM_LyCriticalSection);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"LyFastLock Lock+Unlock / std::mutex lock+unlock", "BM_LyFastLock",
         "BM_Baseline_StdMutex", 1.0},
        {"LyCriticalSection Enter+Leave / std::recursive_mutex", "BM_LyCriticalSection",
         "BM_Baseline_StdRecursiveMutex", 0.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (SDK time / baseline time, same run, uncontended)");
}
