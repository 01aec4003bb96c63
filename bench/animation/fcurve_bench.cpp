// Function curve evaluation: a 1,000-key cubic curve read at 1,000,000
// increasing times (playback) and at 1,000,000 random times, against a plain
// linear interpolation loop over the same keys.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include <velora/fcurve.h>
#include <velora/time.h>

#include "common/ratio_main.h"

namespace {

constexpr int kKeys = 1000;
constexpr int kReads = 1000000;
constexpr long long kFrame = velora::kTicksPerSecond / 30;

struct Data {
    std::vector<long long> keyTimes;
    std::vector<double> keyValues;
    std::vector<long long> increasing;
    std::vector<long long> random;
    velora::FCurve* curve = nullptr;

    Data() {
        std::mt19937_64 rng(2025);
        std::uniform_real_distribution<double> value(-100.0, 100.0);
        curve = velora::FCurve::Create("bench curve");
        curve->BeginEdit();
        for (int i = 0; i < kKeys; ++i) {
            velora::FCurveKey key;
            key.time = i * kFrame;
            key.value = static_cast<float>(value(rng));
            key.flags = velora::kKeyCubic | velora::kTangentAuto;
            curve->KeyAdd(key);
            keyTimes.push_back(key.time);
            keyValues.push_back(key.value);
        }
        curve->EndEdit();
        const long long span = keyTimes.back() - keyTimes.front();
        for (int i = 0; i < kReads; ++i) increasing.push_back(span * i / kReads);
        random = increasing;
        std::shuffle(random.begin(), random.end(), rng);
    }
};

Data& Shared() {
    static Data data;
    return data;
}

// The baseline: linear interpolation walking the keys in step with the
// increasing times, as a hand-written playback loop would.
void BM_Baseline_LinearLoop(benchmark::State& state) {
    Data& d = Shared();
    const long long* kt = d.keyTimes.data();
    const double* kv = d.keyValues.data();
    for (auto _ : state) {
        double sum = 0;
        int k = 0;
        for (long long t : d.increasing) {
            while (k + 2 < kKeys && t >= kt[k + 1]) ++k;
            const double u = static_cast<double>(t - kt[k]) / static_cast<double>(kt[k + 1] - kt[k]);
            sum += kv[k] + (kv[k + 1] - kv[k]) * u;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_Baseline_LinearLoop)->Unit(benchmark::kMillisecond);

// Linear interpolation with a binary search per read: the baseline for
// random access.
void BM_Baseline_LinearSearch(benchmark::State& state) {
    Data& d = Shared();
    const long long* kt = d.keyTimes.data();
    const double* kv = d.keyValues.data();
    for (auto _ : state) {
        double sum = 0;
        for (long long t : d.random) {
            const int k = static_cast<int>(std::upper_bound(kt, kt + kKeys, t) - kt) - 1;
            const double u = static_cast<double>(t - kt[k]) / static_cast<double>(kt[k + 1] - kt[k]);
            sum += kv[k] + (kv[k + 1] - kv[k]) * u;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_Baseline_LinearSearch)->Unit(benchmark::kMillisecond);

void BM_Curve_IncreasingTimes(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        double sum = 0;
        for (long long t : d.increasing) sum += d.curve->Evaluate(t);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_Curve_IncreasingTimes)->Unit(benchmark::kMillisecond);

void BM_Curve_RandomTimes(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        double sum = 0;
        for (long long t : d.random) sum += d.curve->Evaluate(t);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_Curve_RandomTimes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"1,000-key cubic, 1M increasing times / linear loop", "BM_Curve_IncreasingTimes",
         "BM_Baseline_LinearLoop", 3.0},
        {"1,000-key cubic, 1M random times / linear loop", "BM_Curve_RandomTimes",
         "BM_Baseline_LinearLoop", 0.0},
        {"1,000-key cubic, 1M random times / linear + binary search", "BM_Curve_RandomTimes",
         "BM_Baseline_LinearSearch", 0.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (curve time / baseline time, same run)");
}
