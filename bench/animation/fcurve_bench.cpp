// Function curves: a 1,000-key cubic curve and a 1,000-key curve mixing
// every interpolation, tangent mode, clamping and weighting, read at
// 1,000,000 increasing times (playback) and at 1,000,000 random times,
// against a plain linear interpolation loop over the same keys; and adding
// 100,000 keys in one KeysAdd call against pushing the same keys into a
// std::vector.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/fcurve.h>
#include <velora/time.h>

#include "common/ratio_main.h"

namespace {

using namespace VELSDK2025;

constexpr int kKeys = 1000;
constexpr int kReads = 1000000;
constexpr long long kFrame = velora::kTicksPerSecond / 30;

struct Data {
    std::vector<long long> keyTimes;
    std::vector<double> keyValues;
    std::vector<long long> increasing;
    std::vector<long long> random;
    velora::FCurve* curve = nullptr;
    velora::FCurve* mixed = nullptr;

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
        // The same keys, each with a kind of its own: constant (some with
        // "next"), linear, and cubic keys of every tangent mode, clamped or
        // not, one segment in eight weighted.
        const std::uint32_t kinds[] = {
            velora::kKeyCubic | velora::kTangentAuto,
            velora::kKeyCubic | velora::kTangentTCB,
            velora::kKeyCubic | velora::kTangentUser,
            velora::kKeyCubic | velora::kTangentUser | velora::kTangentBreak,
            velora::kKeyCubic | velora::kTangentAuto | velora::kTangentTimeIndependent,
            velora::kKeyCubic | velora::kTangentAuto | velora::kTangentClampProgressive,
            velora::kKeyCubic | velora::kTangentAuto | velora::kTangentClamp,
            velora::kKeyLinear,
            velora::kKeyConstant | velora::kConstantNext,
            velora::kKeyConstant,
        };
        mixed = velora::FCurve::Create("mixed bench curve");
        mixed->BeginEdit();
        for (int i = 0; i < kKeys; ++i) {
            velora::FCurveKey key;
            key.time = keyTimes[static_cast<std::size_t>(i)];
            key.value = static_cast<float>(keyValues[static_cast<std::size_t>(i)]);
            key.flags = kinds[i % 10];
            key.tension = 0.25f;
            key.bias = -0.5f;
            key.leftDerivative = -3.0f;
            key.rightDerivative = 5.0f;
            if (i % 8 == 3) {
                key.flags |= velora::kWeightRight | velora::kWeightNextLeft;
                key.rightWeight = 0.2f;
                key.leftWeight = 0.45f;
            }
            mixed->KeyAdd(key);
        }
        mixed->EndEdit();
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

void BM_MixedCurve_IncreasingTimes(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        double sum = 0;
        for (long long t : d.increasing) sum += d.mixed->Evaluate(t);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kReads);
}
BENCHMARK(BM_MixedCurve_IncreasingTimes)->Unit(benchmark::kMillisecond);

// 100,000 keys at increasing times.
constexpr int kAdded = 100000;

struct AddData {
    LyArrayTemplate<LyTime> times{kAdded};
    LyArrayTemplate<double> values{kAdded};
    AddData() {
        for (int i = 0; i < kAdded; ++i) {
            times.Add(LyTime(i * kFrame));
            values.Add(static_cast<double>(i % 97) * 0.5);
        }
    }
};

AddData& Added() {
    static AddData data;
    return data;
}

// The baseline: the same keys built and pushed into a vector, as a
// hand-written key store would.
void BM_Baseline_PushKeys(benchmark::State& state) {
    AddData& d = Added();
    for (auto _ : state) {
        std::vector<velora::FCurveKey> keys;
        for (int i = 0; i < kAdded; ++i) {
            velora::FCurveKey key;
            key.time = d.times[i].Get();
            key.value = static_cast<float>(d.values[i]);
            key.flags = velora::kKeyCubic | velora::kTangentAuto;
            keys.push_back(key);
        }
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetItemsProcessed(state.iterations() * kAdded);
}
BENCHMARK(BM_Baseline_PushKeys)->Unit(benchmark::kMillisecond);

// One KeysAdd call into a new curve (made and freed each time, as the
// vector is).
void BM_Sdk_KeysAdd(benchmark::State& state) {
    AddData& d = Added();
    for (auto _ : state) {
        LyFCurve curve;
        curve.KeysAdd(d.times, d.values);
        benchmark::DoNotOptimize(&curve);
    }
    state.SetItemsProcessed(state.iterations() * kAdded);
}
BENCHMARK(BM_Sdk_KeysAdd)->Unit(benchmark::kMillisecond);

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
        {"1,000-key mixed modes, 1M increasing times / linear loop", "BM_MixedCurve_IncreasingTimes",
         "BM_Baseline_LinearLoop", 3.0},
        {"KeysAdd of 100,000 keys / push into a std::vector", "BM_Sdk_KeysAdd", "BM_Baseline_PushKeys", 3.0},
        {"1,000-key cubic, 1M random times / linear loop", "BM_Curve_RandomTimes",
         "BM_Baseline_LinearLoop", 0.0},
        {"1,000-key cubic, 1M random times / linear + binary search", "BM_Curve_RandomTimes",
         "BM_Baseline_LinearSearch", 0.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (curve or SDK time / baseline time, same run)");
}
