// Frames, seconds and clock fields in every mode: exact frame lengths,
// frame -> ticks -> frame round trips over long ranges (negative times
// included), the default and custom modes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include <lysdk/lysdk.h>
#include <velora/time.h>

using namespace VELSDK2025;

namespace {

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

// Restores the application's time settings that a test changes.
class SettingsGuard {
public:
    SettingsGuard() : mode_(velora::TimeSettings::DefaultMode()), rate_(velora::TimeSettings::CustomRate()) {}
    ~SettingsGuard() {
        velora::TimeSettings::SetDefaultMode(mode_);
        velora::TimeSettings::SetCustomRate(rate_);
    }

private:
    int mode_;
    double rate_;
};

// A small deterministic generator (splitmix64).
std::uint64_t Next(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

struct ModeLength {
    LyTimeMode mode;
    long long ticks;  // length of one frame
};

const ModeLength kLengths[] = {
    {kLyTimeMode1000Frames, 141120},     {kLyTimeMode120Frames, 1176000},   {kLyTimeMode11988Frames, 1177176},
    {kLyTimeMode100Frames, 1411200},     {kLyTimeMode96Frames, 1470000},    {kLyTimeMode72Frames, 1960000},
    {kLyTimeMode60Frames, 2352000},      {kLyTimeMode5994Frames, 2354352},  {kLyTimeMode50Frames, 2822400},
    {kLyTimeMode48Frames, 2940000},      {kLyTimeMode30Frames, 4704000},    {kLyTimeMode2997Frames_Drop, 4708704},
    {kLyTimeMode2997Frames, 4708704},    {kLyTimeMode25Frames, 5644800},    {kLyTimeMode24Frames, 5880000},
    {kLyTimeMode23976Frames, 5885880},
};

TEST(TimeFrames, EveryFixedModeHasAnExactWholeTickLength) {
    for (const ModeLength& m : kLengths) {
        LyTime a;
        LyTime b;
        a.SetFrame(0, m.mode);
        b.SetFrame(1, m.mode);
        EXPECT_EQ(b.Get() - a.Get(), m.ticks) << "mode " << m.mode;
        b.SetFrame(-1, m.mode);
        EXPECT_EQ(b.Get(), -m.ticks) << "mode " << m.mode;
    }
}

TEST(TimeFrames, ThousandOneRatesAreExact) {
    // N * 1000 / 1001 frames per second: N * 1000 frames last 1001 seconds.
    LyTime t;
    t.SetFrame(30000, kLyTimeMode2997Frames);
    EXPECT_EQ(t, LyTime::OneSecond * LyTime(1001));
    t.SetFrame(24000, kLyTimeMode23976Frames);
    EXPECT_EQ(t, LyTime::OneSecond * LyTime(1001));
    t.SetFrame(60000, kLyTimeMode5994Frames);
    EXPECT_EQ(t, LyTime::OneSecond * LyTime(1001));
    t.SetFrame(120000, kLyTimeMode11988Frames);
    EXPECT_EQ(t, LyTime::OneSecond * LyTime(1001));
    EXPECT_TRUE((LyTime::OneSecond * LyTime(1001)).IsExactlyOnFrame(kLyTimeMode23976Frames));
    EXPECT_FALSE(LyTime::OneSecond.IsExactlyOnFrame(kLyTimeMode2997Frames));
    EXPECT_TRUE(LyTime::OneSecond.IsExactlyOnFrame(kLyTimeMode30Frames));
    EXPECT_DOUBLE_EQ(velora::FramesPerSecond(kLyTimeMode2997Frames), 30000.0 / 1001.0);
}

// Checks frame f of `mode`: it maps to a start that maps back to f, the
// tick before it is in frame f - 1 and the last tick before the next frame
// is still in f. Returns the number of broken checks.
int CheckFrame(long long f, LyTimeMode mode) {
    int broken = 0;
    LyTime start;
    start.SetFrame(f, mode);
    LyTime next;
    next.SetFrame(f + 1, mode);
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

TEST(TimeFrames, RoundTripEveryFixedModeOverALongRange) {
    for (int mode = kLyTimeMode1000Frames; mode <= kLyTimeMode23976Frames; ++mode)
        CheckModeOverLongRange(static_cast<LyTimeMode>(mode));
}

TEST(TimeFrames, RoundTripDefaultAndCustomModes) {
    SettingsGuard guard;
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
    for (long long f : {1LL, 2LL, 3LL, 10LL, 73LL, 1000LL, -1LL, -7LL, -1000LL, 123456789LL}) {
        LyTime t;
        t.SetFrame(f, kLyTimeModeCustom);
        EXPECT_EQ(t.Get(), std::llround(static_cast<long double>(f) * exact)) << f;
    }
    // At 640,000 frames per second a frame lasts 220.5 ticks: halves round up.
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(640000.0));
    for (long long f : {1LL, 3LL, -1LL, -3LL}) {
        LyTime t;
        t.SetFrame(f, kLyTimeModeCustom);
        EXPECT_EQ(t.Get(), static_cast<long long>(std::floor(f * 220.5 + 0.5))) << f;
        EXPECT_EQ(t.GetFrame(kLyTimeModeCustom), f);
    }
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(7.3));
    // 73 frames at 7.3 per second are exactly ten seconds.
    LyTime ten;
    ten.SetFrame(73, kLyTimeModeCustom);
    EXPECT_EQ(ten, LyTime::OneSecond * LyTime(10));
    // A rate within a millionth of 30000/1001 is that ratio.
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(29.97003));
    LyTime one;
    one.SetFrame(1, kLyTimeModeCustom);
    EXPECT_EQ(one.Get(), 4708704);
}

TEST(TimeFrames, DefaultModeFollowsTheApplication) {
    SettingsGuard guard;
    EXPECT_FALSE(velora::TimeSettings::SetDefaultMode(kLyTimeModeDefault));
    EXPECT_FALSE(velora::TimeSettings::SetDefaultMode(18));
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeMode24Frames));
    EXPECT_EQ(LyTime::OneSecond.GetFrame(), 24);
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeMode1000Frames));
    EXPECT_EQ(LyTime::OneSecond.GetFrame(), 1000);
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(12.5));
    ASSERT_TRUE(velora::TimeSettings::SetDefaultMode(kLyTimeModeCustom));
    EXPECT_EQ(LyTime::OneMinute.GetFrame(), 750);
    EXPECT_DOUBLE_EQ(velora::FramesPerSecond(kLyTimeModeDefault), 12.5);
}

TEST(TimeFrames, CustomRateLimits) {
    SettingsGuard guard;
    ASSERT_TRUE(velora::TimeSettings::SetCustomRate(48.0));
    EXPECT_FALSE(velora::TimeSettings::SetCustomRate(0.0));
    EXPECT_FALSE(velora::TimeSettings::SetCustomRate(-30.0));
    EXPECT_FALSE(velora::TimeSettings::SetCustomRate(std::nan("")));
    EXPECT_FALSE(velora::TimeSettings::SetCustomRate(2000000.0));
    EXPECT_FALSE(velora::TimeSettings::SetCustomRate(std::numeric_limits<double>::infinity()));
    EXPECT_DOUBLE_EQ(velora::TimeSettings::CustomRate(), 48.0);
    EXPECT_EQ(LyTime::OneSecond.GetFrame(kLyTimeModeCustom), 48);
}

TEST(TimeFrames, NegativeTimesBelongToTheFrameBefore) {
    EXPECT_EQ(LyTime(-1).GetFrame(kLyTimeMode30Frames), -1);
    EXPECT_EQ(LyTime(-4704000).GetFrame(kLyTimeMode30Frames), -1);
    EXPECT_EQ(LyTime(-4704001).GetFrame(kLyTimeMode30Frames), -2);
    EXPECT_EQ(LyTime(4703999).GetFrame(kLyTimeMode30Frames), 0);
    EXPECT_FALSE(LyTime(-1).IsExactlyOnFrame(kLyTimeMode30Frames));
    EXPECT_TRUE(LyTime(-4704000).IsExactlyOnFrame(kLyTimeMode30Frames));
}

TEST(TimeFrames, ExtremeCounts) {
    EXPECT_EQ(LyTime::Infinity.GetFrame(kLyTimeMode1000Frames), kMax / 141120);
    EXPECT_EQ(LyTime::MinusInfinity.GetFrame(kLyTimeMode1000Frames), -(kMax / 141120) - 1);
    EXPECT_EQ(LyTime(kMin).GetFrame(kLyTimeMode24Frames), kMin / 5880000 - 1);
}

TEST(TimeFrames, ModeOutsideTheTableIsNeutral) {
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
    LyTime t;
    t.SetSecondDouble(1.5);
    EXPECT_EQ(t.Get(), 211680000);
    t.SetSecondDouble(1e-8);  // 1.41 ticks
    EXPECT_EQ(t.Get(), 1);
    t.SetSecondDouble(-1.1e-8);  // -1.55 ticks
    EXPECT_EQ(t.Get(), -2);
    t.SetSecondDouble(std::nan(""));
    EXPECT_EQ(t, LyTime::Zero);
    t.SetSecondDouble(1e30);
    EXPECT_EQ(t, LyTime::Infinity);
    t.SetSecondDouble(-1e30);
    EXPECT_EQ(t, LyTime::MinusInfinity);
}

TEST(TimeClock, FieldsToTicks) {
    const LyTime t(1, 2, 3, 4, 0, kLyTimeMode30Frames);
    EXPECT_EQ(t, LyTime::OneHour + LyTime::OneMinute * LyTime(2) + LyTime::OneSecond * LyTime(3) +
                     LyTime(4 * 4704000));
    LyTime half;
    half.SetTime(0, 0, 0, 4, 1, kLyTimeMode30Frames);
    EXPECT_EQ(half.Get(), 4 * 4704000 + 2352000);
    // Frames count from the start of the clock second at 29.97 too.
    LyTime ntsc;
    ntsc.SetTime(0, 0, 1, 2, 0, kLyTimeMode2997Frames);
    EXPECT_EQ(ntsc.Get(), 141120000 + 2 * 4708704);
    LyTime negative;
    negative.SetTime(0, 0, -1, -2, 0, kLyTimeMode30Frames);
    EXPECT_EQ(negative.Get(), -(141120000 + 2 * 4704000));
}

TEST(TimeClock, TicksToFields) {
    int h, m, s, f, field, ms;
    const LyTime t = LyTime::OneHour * LyTime(25) + LyTime::OneSecond * LyTime(61) + LyTime(4704000 * 3 + 2352001);
    ASSERT_TRUE(t.GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_EQ(h, 25);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(f, 3);
    EXPECT_EQ(field, 1);
    EXPECT_EQ(ms, 116);  // 3.5 frames of 33.33 ms, and a tick
    ASSERT_TRUE(LyTime(-(141120000 + 2 * 4704000)).GetTime(h, m, s, f, field, ms, kLyTimeMode30Frames));
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(f, -2);
    EXPECT_EQ(ms, -66);
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
