// LyTime::GetFrame throughput. The baseline is the arithmetic alone: an
// inlined floor division of the count by a whole-tick frame length, so the
// ratio shows what the call into the library and the mode lookup cost.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/time.h>

using namespace VELSDK2025;

namespace {

constexpr std::size_t kCount = 4096;

// Times spread over about +-80 hours, negative ones included.
const std::vector<LyTime>& Times() {
    static const std::vector<LyTime> times = [] {
        std::vector<LyTime> v;
        std::uint64_t state = 12345;
        for (std::size_t i = 0; i < kCount; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            v.emplace_back(static_cast<long long>(state >> 16) % (LyTime::OneHour.Get() * 80));
            if (i & 1) v.back() = LyTime::Zero - v.back();
        }
        return v;
    }();
    return times;
}

void BaselineFloorDivision(benchmark::State& state) {
    const std::vector<LyTime>& times = Times();
    const long long length = 4704000;  // one frame at 30 frames per second
    for (auto _ : state) {
        long long sum = 0;
        for (const LyTime& t : times) {
            const long long ticks = t.Get();
            long long q = ticks / length;
            if (ticks % length < 0) --q;
            sum += q;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * times.size()));
}

void GetFrame(benchmark::State& state, LyTimeMode mode) {
    const std::vector<LyTime>& times = Times();
    for (auto _ : state) {
        long long sum = 0;
        for (const LyTime& t : times) sum += t.GetFrame(mode);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * times.size()));
}

void GetFrameCustom(benchmark::State& state) {
    // A custom rate whose frames are a fractional number of ticks long takes
    // the 128-bit path.
    const double saved = velora::TimeSettings::CustomRate();
    velora::TimeSettings::SetCustomRate(7.3);
    GetFrame(state, kLyTimeModeCustom);
    velora::TimeSettings::SetCustomRate(saved);
}

void SetFrameRoundTrip(benchmark::State& state) {
    const std::vector<LyTime>& times = Times();
    for (auto _ : state) {
        long long sum = 0;
        for (const LyTime& t : times) {
            LyTime start;
            start.SetFrame(t.GetFrame(kLyTimeMode2997Frames_Drop), kLyTimeMode2997Frames_Drop);
            sum += start.Get();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * times.size()));
}

BENCHMARK(BaselineFloorDivision);
BENCHMARK_CAPTURE(GetFrame, 30Frames, kLyTimeMode30Frames);
BENCHMARK_CAPTURE(GetFrame, 2997Drop, kLyTimeMode2997Frames_Drop);
BENCHMARK_CAPTURE(GetFrame, 23976, kLyTimeMode23976Frames);
BENCHMARK_CAPTURE(GetFrame, Default, kLyTimeModeDefault);
BENCHMARK(GetFrameCustom);
BENCHMARK(SetFrameRoundTrip);

}  // namespace

BENCHMARK_MAIN();
