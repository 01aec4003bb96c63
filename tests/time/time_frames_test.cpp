// Frames, seconds and clock fields in every mode: exact frame lengths,
// frame -> ticks -> frame round trips over long ranges (negative times
// included), the default and custom modes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/time.h>

using namespace VELSDK2025;

namespace {

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

// Restores the application's time settings that a test changes.
class SettingsGuard {
public:
    ~SettingsGuard() {
        velora::TimeSettings::SetDefaultMode(mode_);
        velora::TimeSettings::SetCustomRate(rate_);
    }

private:
    int mode_ = velora::TimeSettings::DefaultMode();
    double rate_ = velora::TimeSettings::CustomRate();
};

// A small deterministic generator (splitmix64).
std::uint64_t Next(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

LyTime FrameTime(long long frame, LyTimeMode mode) {
    LyTime t;
    t.SetFrame(frame, mode);
    return t;
}

TEST(TimeFrames, EveryFixedModeHasAnExactWholeTickLength) {
    const struct {
        LyTimeMode mode;
        long long ticks;  // length of one frame
    } lengths[] = {
        {kLyTimeMode1000Frames, 141120},  {kLyTimeMode120Frames, 1176000},        {kLyTimeMode11988Frames, 1177176},
        {kLyTimeMode100Frames, 1411200},  {kLyTimeMode96Frames, 1470000},         {kLyTimeMode72Frames, 1960000},
        {kLyTimeMode60Frames, 2352000},   {kLyTimeMode5994Frames, 2354352},       {kLyTimeMode50Frames, 2822400},
        {kLyTimeMode48Frames, 2940000},   {kLyTimeMode30Frames, 4704000},         {kLyTimeMode2997Frames, 4708704},
        {kLyTimeMode25Frames, 5644800},   {kLyTimeMode2997Frames_Drop, 4708704},  {kLyTimeMode24Frames, 5880000},
        {kLyTimeMode23976Frames, 5885880},
    };
    for (const auto& m : lengths) {
        EXPECT_EQ(FrameTime(1, m.mode).Get() - FrameTime(0, m.mode).Get(), m.ticks) << "mode " << m.mode;
        EXPECT_EQ(FrameTime(-1, m.mode).Get(), -m.ticks) << "mode " << m.mode;
    }
    // N * 1000 / 1001 frames per second: N * 1000 frames last 1001 seconds.
    const LyTime thousandOne = LyTime::OneSecond * LyTime(1001);
    EXPECT_EQ(FrameTime(30000, kLyTimeMode2997Frames), thousandOne);
    EXPECT_EQ(FrameTime(24000, kLyTimeMode23976Frames), thousandOne);
    EXPECT_EQ(FrameTime(60000, kLyTimeMode5994Frames), thousandOne);
    EXPECT_EQ(FrameTime(120000, kLyTimeMode11988Frames), thousandOne);
    EXPECT_TRUE(thousandOne.IsExactlyOnFrame(kLyTimeMode23976Frames));
    EXPECT_FALSE(LyTime::OneSecond.IsExactlyOnFrame(kLyTimeMode2997Frames));
    EXPECT_TRUE(LyTime::OneSecond.IsExactlyOnFrame(kLyTimeMode30Frames));
    EXPECT_DOUBLE_EQ(velora::FramesPerSecond(kLyTimeMode2997Frames), 30000.0 / 1001.0);
}

// Checks frame f of `mode`: it maps to a start that maps back to f, the
// tick before it is in frame f - 1 and the last tick before the next frame
// is still in f. Returns the number of broken checks.
int CheckFrame(long long f, LyTimeMode mode) {
    const LyTime start = FrameTime(f, mode), next = FrameTime(f + 1, mode);
    int broken = 0;
    if (start.GetFrame(mode) != f) ++broken;
    if (!start.IsExactlyOnFrame(mode)) ++broken;
    if ((start - LyTime::Epsilon).GetFrame(mode) != f - 1) ++broken;
    if ((next - LyTime::Epsilon).GetFrame(mode) != f) ++broken;
    if (next <= start) ++broken;
    if (next - start > LyTime(2) && (start + LyTime::Epsilon).IsExactlyOnFrame(mode)) ++broken;
    return broken;
}

void CheckModeOverLongRange(LyTimeMode mode) {
    int broken = 0;
    for (long long f = -30000; f <= 30000; ++f) broken += CheckFrame(f, mode);
    // Spread over the whole range of frames whose start is a count.
    const velora::FrameGrid grid = velora::GridForMode(mode);
    ASSERT_TRUE(grid.Valid());
    const long double perFrame = static_cast<long double>(grid.ticks) / grid.frames;
    const long long limit = static_cast<long long>((kMax - 2 * perFrame) / perFrame);
    std::uint64_t state = 0x1234u + static_cast<unsigned>(mode);
    for (int i = 0; i < 20000; ++i) {
        const long long f = static_cast<long long>(Next(state) % static_cast<std::uint64_t>(2 * limit + 1)) - limit;
        broken += CheckFrame(f, mode);
    }
    broken += CheckFrame(limit, mode) + CheckFrame(-limit, mode);
    EXPECT_EQ(broken, 0) << "mode " << mode;
}

TEST(TimeFrames, RoundTripEveryModeOverALongRange) {
    SettingsGuard guard;
    for (int mode = kLyTimeMode1000Frames; mode <= kLyTimeMode23976Frames; ++mode)
        CheckModeOverLongRange(static_cast<LyTimeMode>(mode));
    for (double rate : {12.5, 7.3, 29.97, 0.01, 1000000.0, 1234.567, 640000.0, 30000.0 / 1001.0}) {
        ASSERT_TRUE(velora::TimeSettings::SetCustomRate(rate));
        CheckModeOverLongRange(kLyTimeModeCustom);
    }
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeMode24Frames));
    CheckModeOverLongRange(kLyTimeModeDefault);
}

TEST(TimeFrames, FractionalCustomFramesStartOnTheNearestTick) {
    SettingsGuard guard;
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(7.3));
    const long double exact = 141120000.0L / 7.3L;
    for (long long f : {1LL, 2LL, 3LL, 10LL, 1000LL, -1LL, -7LL, -1000LL, 123456789LL})
        EXPECT_EQ(FrameTime(f, kLyTimeModeCustom).Get(), std::llround(static_cast<long double>(f) * exact)) << f;
    // 73 frames at 7.3 per second are exactly ten seconds.
    EXPECT_EQ(FrameTime(73, kLyTimeModeCustom), LyTime::OneSecond * LyTime(10));
    // At 640,000 frames per second a frame lasts 220.5 ticks: halves round up.
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(640000.0));
    for (long long f : {1LL, 3LL, -1LL, -3LL}) {
        EXPECT_EQ(FrameTime(f, kLyTimeModeCustom).Get(), static_cast<long long>(std::floor(f * 220.5 + 0.5))) << f;
        EXPECT_EQ(FrameTime(f, kLyTimeModeCustom).GetFrame(kLyTimeModeCustom), f);
    }
    // A rate within a millionth of 30000/1001 is that ratio.
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(29.97003));
    EXPECT_EQ(FrameTime(1, kLyTimeModeCustom).Get(), 4708704);
}

TEST(TimeFrames, DefaultModeAndCustomRateFollowTheApplicationWithinLimits) {
    SettingsGuard guard;
    EXPECT_FALSE(velora::TimeSettings::SetDefaultMode(kLyTimeModeDefault));
    EXPECT_FALSE(velora::TimeSettings::SetDefaultMode(18));
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeMode1000Frames));
    EXPECT_EQ(LyTime::OneSecond.GetFrame(), 1000);
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(12.5));
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeModeCustom));
    EXPECT_EQ(LyTime::OneMinute.GetFrame(), 750);
    EXPECT_DOUBLE_EQ(velora::FramesPerSecond(kLyTimeModeDefault), 12.5);
    for (double bad : {0.0, -30.0, std::nan(""), 2000000.0, std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(velora::TimeSettings::SetCustomRate(bad)) << bad;
    EXPECT_DOUBLE_EQ(velora::TimeSettings::CustomRate(), 12.5);
}

TEST(TimeFrames, ExtremeCountsAndModesOutsideTheTable) {
    EXPECT_EQ(LyTime(-1).GetFrame(kLyTimeMode30Frames), -1);  // negative times belong to the frame before
    EXPECT_EQ(LyTime::Infinity.GetFrame(kLyTimeMode1000Frames), kMax / 141120);
    EXPECT_EQ(LyTime::MinusInfinity.GetFrame(kLyTimeMode1000Frames), -(kMax / 141120) - 1);
    EXPECT_EQ(LyTime(kMin).GetFrame(kLyTimeMode24Frames), kMin / 5880000 - 1);
    const LyTimeMode bad = static_cast<LyTimeMode>(42);
    EXPECT_EQ(LyTime::OneSecond.GetFrame(bad), 0);
    EXPECT_FALSE(LyTime::Zero.IsExactlyOnFrame(bad));
    LyTime t(99);
    t.SetFrame(10, bad);
    EXPECT_EQ(t.Get(), 0);
    EXPECT_STREQ(static_cast<const char*>(LyTime(5).GetTimeString(bad)), "");
}

TEST(TimeSeconds, DoubleConversions) {
    EXPECT_DOUBLE_EQ((LyTime::OneSecond * LyTime(3) / LyTime(2)).GetSecondDouble(), 1.5);
    EXPECT_DOUBLE_EQ(LyTime(-141120).GetSecondDouble(), -0.001);
    // 1e-8 s is 1.41 ticks, -1.1e-8 s is -1.55: the nearest tick.
    const struct {
        double seconds;
        long long ticks;
    } cases[] = {{1.5, 211680000}, {1e-8, 1}, {-1.1e-8, -2}, {std::nan(""), 0}, {1e30, kMax}, {-1e30, kMin + 1}};
    for (const auto& c : cases) {
        LyTime t(77);
        t.SetSecondDouble(c.seconds);
        EXPECT_EQ(t.Get(), c.ticks) << c.seconds;
    }
}

TEST(TimeClock, FieldsAndTicks) {
    EXPECT_EQ(LyTime(1, 2, 3, 4, 0, kLyTimeMode30Frames),
              LyTime::OneHour + LyTime::OneMinute * LyTime(2) + LyTime::OneSecond * LyTime(3) + LyTime(4 * 4704000));
    EXPECT_EQ(LyTime(0, 0, 0, 4, 1, kLyTimeMode30Frames).Get(), 4 * 4704000 + 2352000);  // the second field
    // Frames count from the start of the clock second at 29.97 too.
    EXPECT_EQ(LyTime(0, 0, 1, 2, 0, kLyTimeMode2997Frames).Get(), 141120000 + 2 * 4708704);
    EXPECT_EQ(LyTime(0, 0, -1, -2, 0, kLyTimeMode30Frames).Get(), -(141120000 + 2 * 4704000));

    int h, m, s, f, field, ms;
    const LyTime t = LyTime::OneHour * LyTime(25) + LyTime::OneSecond * LyTime(61) + LyTime(4704000 * 3 + 2352001);
    ASSERT_TRUE(t.GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_EQ(std::vector<int>({h, m, s, f, field, ms}), std::vector<int>({25, 1, 1, 3, 1, 116}));
    ASSERT_TRUE(LyTime(-(141120000 + 2 * 4704000)).GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_EQ(std::vector<int>({h, s, f, ms}), std::vector<int>({0, -1, -2, -66}));
    EXPECT_FALSE(LyTime(kMin).GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_TRUE(LyTime::MinusInfinity.GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_EQ(h, -static_cast<int>(kMax / 508032000000LL));
}

TEST(TimeClock, RoundTripInEveryMode) {
    SettingsGuard guard;
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(7.3));
    std::uint64_t state = 99;
    int broken = 0;
    for (int mode = kLyTimeMode1000Frames; mode <= kLyTimeModeCustom; ++mode) {
        const LyTimeMode m = static_cast<LyTimeMode>(mode);
        const long long perSecond = (LyTime::OneSecond - LyTime::Epsilon).GetFrame(m) + 1;
        for (int i = 0; i < 2000; ++i) {
            const int sign = (i & 1) ? -1 : 1;
            const int h = sign * static_cast<int>(Next(state) % 5000);
            const int mi = sign * static_cast<int>(Next(state) % 60);
            const int s = sign * static_cast<int>(Next(state) % 60);
            const int f = sign * static_cast<int>(Next(state) % static_cast<std::uint64_t>(perSecond));
            const int fd = sign * static_cast<int>(Next(state) % 2);
            // A second field past the end of the second is the next second's.
            if (LyTime(0, 0, 0, f, fd, m) >= LyTime::OneSecond || LyTime(0, 0, 0, f, fd, m) <= -LyTime::OneSecond.Get())
                continue;
            const LyTime t(h, mi, s, f, fd, m);
            int h2, m2, s2, f2, fd2, ms2;
            if (!t.GetTime(h2, m2, s2, f2, fd2, ms2, m)) ++broken;
            if (h2 != h || m2 != mi || s2 != s || f2 != f || fd2 != fd) ++broken;
            if (ms2 != static_cast<int>((t.Get() % LyTime::OneSecond.Get()) / 141120)) ++broken;
        }
    }
    EXPECT_EQ(broken, 0);
}

}  // namespace
