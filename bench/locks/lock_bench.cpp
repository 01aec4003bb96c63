// The SDK's locks, uncontended, against the standard library's mutexes.
//
// Each pair is reported as a ratio, SDK time over baseline time, measured in
// the same run. The uncontended case is the one the fast lock exists for:
// short sections on hot paths that another thread only rarely wants.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
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

// Keeps every run's time per iteration so main can print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char* what;
        const char* sdk;
        const char* baseline;
        double goal;  // the ratio must stay below it; 0 reports only
    } pairs[] = {
        {"LyFastLock Lock+Unlock / std::mutex lock+unlock", "BM_LyFastLock",
         "BM_Baseline_StdMutex", 1.0},
        {"LyCriticalSection Enter+Leave / std::recursive_mutex", "BM_LyCriticalSection",
         "BM_Baseline_StdRecursiveMutex", 0.0},
    };
    std::printf("\nratios (SDK time / baseline time, same run, uncontended):\n");
    for (const auto& p : pairs) {
        auto s = reporter.times.find(p.sdk);
        auto b = reporter.times.find(p.baseline);
        if (s == reporter.times.end() || b == reporter.times.end() || b->second <= 0) continue;
        const double ratio = s->second / b->second;
        if (p.goal > 0)
            std::printf("  %-54s %6.2f  (goal < %.1f: %s)\n", p.what, ratio, p.goal,
                        ratio < p.goal ? "met" : "NOT met");
        else
            std::printf("  %-54s %6.2f  (report only)\n", p.what, ratio);
    }
    benchmark::Shutdown();
    return 0;
}
