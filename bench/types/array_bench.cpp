// Filling an array of 1,000 ints: LyArrayTemplate<int>::Add, which grows one
// block of 10 elements at a time, against std::vector<int>::push_back, which
// grows geometrically. The "ratio" counter of the paired benchmark is
// Add time / push_back time, both measured in the same iterations.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

constexpr int kValues = 1000;

void FillLyArray() {
    LyArrayTemplate<int> array;
    for (int i = 0; i < kValues; ++i) array.Add(i);
    benchmark::DoNotOptimize(array.GetArray());
    benchmark::ClobberMemory();
}

void FillVector() {
    std::vector<int> vector;
    for (int i = 0; i < kValues; ++i) vector.push_back(i);
    benchmark::DoNotOptimize(vector.data());
    benchmark::ClobberMemory();
}

void BM_LyArrayAdd(benchmark::State& state) {
    for (auto _ : state) FillLyArray();
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_LyArrayAdd);

void BM_VectorPushBack(benchmark::State& state) {
    for (auto _ : state) FillVector();
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_VectorPushBack);

// Both fills in every iteration, alternating, so that drift in machine load
// (the benchmark machine is shared) affects both sides alike.
void BM_LyArrayAddOverVectorPushBack(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kBatch = 32;  // fills per timed batch, well above clock resolution
    Clock::duration array{}, vector{};
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        for (int i = 0; i < kBatch; ++i) FillLyArray();
        const Clock::time_point t1 = Clock::now();
        for (int i = 0; i < kBatch; ++i) FillVector();
        const Clock::time_point t2 = Clock::now();
        array += t1 - t0;
        vector += t2 - t1;
    }
    state.counters["ratio"] =
        vector.count() ? static_cast<double>(array.count()) / static_cast<double>(vector.count())
                       : 0.0;
    state.counters["add_ns"] =
        static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(array).count()) /
        (static_cast<double>(state.iterations()) * kBatch);
    state.counters["push_back_ns"] =
        static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(vector).count()) /
        (static_cast<double>(state.iterations()) * kBatch);
}
BENCHMARK(BM_LyArrayAddOverVectorPushBack);

}  // namespace

BENCHMARK_MAIN();
