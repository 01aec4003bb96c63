// LyTime arithmetic, constants and spans: integer rules, the truncation of
// the double operators, wrapping and the infinities.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

TEST(TimeConstants, TickValues) {
    EXPECT_EQ(LyTime::Zero.Get(), 0);
    EXPECT_EQ(LyTime::Epsilon.Get(), 1);
    EXPECT_EQ(LyTime::OneSecond.Get(), 141120000LL);
    EXPECT_EQ(LyTime::OneMinute.Get(), 8467200000LL);
    EXPECT_EQ(LyTime::OneHour.Get(), 508032000000LL);
    EXPECT_EQ(LyTime::Infinity.Get(), kMax);
    EXPECT_EQ(LyTime::MinusInfinity.Get(), kMin + 1);
}

TEST(TimeConstants, MinusInfinityIsNotTheSmallestCount) {
    EXPECT_GT(LyTime::MinusInfinity, LyTime(kMin));
    EXPECT_EQ(LyTime::Zero - LyTime::Infinity, LyTime::MinusInfinity);
    EXPECT_EQ((LyTime::Zero - LyTime::Infinity).Get(), -kMax);
    EXPECT_EQ(LyTime::MinusInfinity + LyTime::Infinity, LyTime::Zero);
}

TEST(TimeMilliseconds, TruncateTowardZero) {
    EXPECT_EQ(LyTime::OneSecond.GetMilliSeconds(), 1000);
    EXPECT_EQ(LyTime(-1).GetMilliSeconds(), 0);
    EXPECT_EQ(LyTime(141119).GetMilliSeconds(), 0);
    EXPECT_EQ(LyTime(141120).GetMilliSeconds(), 1);
    EXPECT_EQ(LyTime(-141121).GetMilliSeconds(), -1);
    EXPECT_EQ(LyTime(-282239).GetMilliSeconds(), -1);
    LyTime t;
    t.SetMilliSeconds(-1);
    EXPECT_EQ(t.Get(), -141120);
    t.SetMilliSeconds(2500);
    EXPECT_EQ(t.Get(), 2500LL * 141120);
}

TEST(TimeIntegerOperators, WorkOnTheCounts) {
    EXPECT_EQ((LyTime(10) * LyTime(3)).Get(), 30);
    EXPECT_EQ((LyTime(10) + LyTime(3)).Get(), 13);
    EXPECT_EQ((LyTime(10) - LyTime(13)).Get(), -3);
    EXPECT_EQ((LyTime(7) / LyTime(2)).Get(), 3);
    EXPECT_EQ((LyTime(-7) / LyTime(2)).Get(), -3);
    // Seconds multiplied as counts, not as durations.
    EXPECT_EQ((LyTime::OneSecond * LyTime(2)).Get(), 282240000LL);
    EXPECT_EQ((LyTime::OneSecond / LyTime::OneMinute).Get(), 0);
    EXPECT_EQ((LyTime::OneMinute / LyTime::OneSecond).Get(), 60);
}

TEST(TimeIntegerOperators, InPlaceForms) {
    LyTime t(7);
    t += LyTime(5);
    EXPECT_EQ(t.Get(), 12);
    t -= LyTime(20);
    EXPECT_EQ(t.Get(), -8);
    t *= LyTime(-3);
    EXPECT_EQ(t.Get(), 24);
    t /= LyTime(5);
    EXPECT_EQ(t.Get(), 4);
}

TEST(TimeIntegerOperators, OverflowWraps) {
    EXPECT_EQ((LyTime::Infinity + LyTime::Epsilon).Get(), kMin);
    EXPECT_EQ((LyTime(kMin) - LyTime::Epsilon).Get(), kMax);
    EXPECT_EQ((LyTime::Infinity * LyTime(2)).Get(), -2);
    EXPECT_EQ((LyTime(kMin) / LyTime(-1)).Get(), kMin);
    LyTime t = LyTime::Infinity;
    t += LyTime(2);
    EXPECT_EQ(t.Get(), kMin + 1);
    LyTime u(kMin);
    u /= LyTime(-1);
    EXPECT_EQ(u.Get(), kMin);
}

TEST(TimeIntegerOperators, DivisionByZeroSaturates) {
    EXPECT_EQ(LyTime(5) / LyTime::Zero, LyTime::Infinity);
    EXPECT_EQ(LyTime(-5) / LyTime::Zero, LyTime::MinusInfinity);
    EXPECT_EQ(LyTime::Zero / LyTime::Zero, LyTime::Zero);
    LyTime t(9);
    t /= 0.75;  // truncates to 0 first
    EXPECT_EQ(t, LyTime::Infinity);
}

TEST(TimeDoubleOperators, TwoOperandFormsTruncateTheResult) {
    EXPECT_EQ((LyTime(7) / 2.0).Get(), 3);
    EXPECT_EQ((LyTime(7) + 0.9).Get(), 7);
    EXPECT_EQ((LyTime(-7) / 2.0).Get(), -3);
    EXPECT_EQ((LyTime(7) * 2.5).Get(), 17);
    EXPECT_EQ((LyTime(7) / 2.5).Get(), 2);
    EXPECT_EQ((LyTime(7) - 0.5).Get(), 6);
    EXPECT_EQ((LyTime(-7) - 0.5).Get(), -7);
    EXPECT_EQ((LyTime(-7) + -1.5).Get(), -8);
    EXPECT_EQ((LyTime(-7) * 1.5).Get(), -10);
    EXPECT_EQ((LyTime(1) * 0.999).Get(), 0);
    EXPECT_EQ((LyTime(-1) * 0.999).Get(), 0);
    EXPECT_EQ((LyTime(7) + -0.5).Get(), 6);
    EXPECT_EQ((LyTime(-7) + 0.9).Get(), -6);
    EXPECT_EQ((LyTime(-7) - -0.9).Get(), -6);
}

TEST(TimeDoubleOperators, InPlaceFormsTruncateTheOperandFirst) {
    LyTime t(7);
    t += 0.9;
    EXPECT_EQ(t.Get(), 7);
    t = LyTime(7);
    t *= 2.5;  // 7 * 2, not 17.5
    EXPECT_EQ(t.Get(), 14);
    t = LyTime(7);
    t /= 2.5;  // 7 / 2, not 2.8
    EXPECT_EQ(t.Get(), 3);
    t = LyTime(-7);
    t -= 0.5;  // the operand truncates to 0
    EXPECT_EQ(t.Get(), -7);
    t = LyTime(-7);
    t += -1.5;  // -7 + -1
    EXPECT_EQ(t.Get(), -8);
    t = LyTime(10);
    t -= 2.99;
    EXPECT_EQ(t.Get(), 8);
    t = LyTime(3);
    t *= -0.5;
    EXPECT_EQ(t.Get(), 0);
    // With the signs opposed, truncating first differs from truncating the
    // result: 7 + trunc(-0.5) is 7, trunc(7 - 0.5) would be 6.
    t = LyTime(7);
    t += -0.5;
    EXPECT_EQ(t.Get(), 7);
    t = LyTime(7);
    t -= 0.5;
    EXPECT_EQ(t.Get(), 7);
    t = LyTime(-7);
    t += 0.9;
    EXPECT_EQ(t.Get(), -7);
    t = LyTime(-7);
    t -= -0.9;
    EXPECT_EQ(t.Get(), -7);
}

TEST(TimeDoubleOperators, AssignmentTruncatesTowardZero) {
    LyTime t;
    t = 2.9;
    EXPECT_EQ(t.Get(), 2);
    t = -2.9;
    EXPECT_EQ(t.Get(), -2);
    t = -0.9;
    EXPECT_EQ(t.Get(), 0);
    t = 1e15 + 0.5;
    EXPECT_EQ(t.Get(), 1000000000000000LL);
}

TEST(TimeDoubleOperators, OutOfRangeSaturatesAndNanIsZero) {
    EXPECT_EQ(LyTime::Infinity * 1.0, LyTime::Infinity);  // 2^63 as a double
    EXPECT_EQ(LyTime::MinusInfinity * 1.0, LyTime::MinusInfinity);
    EXPECT_EQ(LyTime::Infinity * 2.0, LyTime::Infinity);
    EXPECT_EQ(LyTime::Infinity * -2.0, LyTime::MinusInfinity);
    EXPECT_EQ(LyTime(5) / 0.0, LyTime::Infinity);
    EXPECT_EQ(LyTime(-5) / 0.0, LyTime::MinusInfinity);
    EXPECT_EQ(LyTime(0) / 0.0, LyTime::Zero);
    LyTime t;
    t = std::nan("");
    EXPECT_EQ(t, LyTime::Zero);
    t = 1e300;
    EXPECT_EQ(t, LyTime::Infinity);
    t = -1e300;
    EXPECT_EQ(t, LyTime::MinusInfinity);
    t = LyTime(4);
    t += std::numeric_limits<double>::infinity();
    EXPECT_EQ(t.Get(), kMin + 3);  // the operand saturates, then the sum wraps
}

TEST(TimeComparisons, OnTheCounts) {
    EXPECT_TRUE(LyTime(1) < LyTime(2));
    EXPECT_TRUE(LyTime(-2) < LyTime(-1));
    EXPECT_TRUE(LyTime(2) <= LyTime(2));
    EXPECT_TRUE(LyTime(3) > LyTime(2));
    EXPECT_TRUE(LyTime(3) >= LyTime(3));
    EXPECT_TRUE(LyTime(3) != LyTime(4));
    EXPECT_FALSE(LyTime(3) == LyTime(4));
    EXPECT_FALSE(LyTime(4) < LyTime(4));
    EXPECT_FALSE(LyTime(5) <= LyTime(4));
    EXPECT_TRUE(LyTime(kMin) < LyTime::MinusInfinity);
}

TEST(TimeSpan, DurationAndDirection) {
    LyTimeSpan back(10, 4);
    EXPECT_EQ(back.GetDuration().Get(), 6);
    EXPECT_EQ(back.GetSignedDuration().Get(), -6);
    EXPECT_EQ(back.GetDirection(), -1);
    LyTimeSpan empty(4, 4);
    EXPECT_EQ(empty.GetDirection(), 1);
    EXPECT_EQ(empty.GetDuration().Get(), 0);
    LyTimeSpan forward(-3, 9);
    EXPECT_EQ(forward.GetDuration().Get(), 12);
    EXPECT_EQ(forward.GetDirection(), 1);
    forward.GetStart() = LyTime(20);  // the getters give the fields themselves
    EXPECT_EQ(forward.GetStart().Get(), 20);
    EXPECT_EQ(forward.GetDirection(), -1);
    forward.Set(1, 2);
    EXPECT_EQ(forward.GetStart().Get(), 1);
    EXPECT_EQ(forward.GetStop().Get(), 2);
}

TEST(TimeSpan, IntersectionFollowsTheFirstSpan) {
    const LyTimeSpan a(0, 100);
    const LyTimeSpan b(150, 50);
    LyTimeSpan both = a & b;
    EXPECT_EQ(both.GetStart().Get(), 50);
    EXPECT_EQ(both.GetStop().Get(), 100);
    both = b & a;  // b runs backwards, so does its intersection
    EXPECT_EQ(both.GetStart().Get(), 100);
    EXPECT_EQ(both.GetStop().Get(), 50);
    both = LyTimeSpan(0, 10) & LyTimeSpan(10, 20);  // ends are inside
    EXPECT_EQ(both.GetStart().Get(), 10);
    EXPECT_EQ(both.GetStop().Get(), 10);
    both = LyTimeSpan(0, 10) & LyTimeSpan(11, 20);
    EXPECT_EQ(both.GetStart().Get(), 0);
    EXPECT_EQ(both.GetStop().Get(), 0);
    both = LyTimeSpan(LyTime::MinusInfinity, LyTime::Infinity) & LyTimeSpan(-5, 5);
    EXPECT_EQ(both.GetStart().Get(), -5);
    EXPECT_EQ(both.GetStop().Get(), 5);
}

TEST(TimeSpan, Containment) {
    const LyTimeSpan back(10, 4);
    EXPECT_TRUE(back & LyTime(4));
    EXPECT_TRUE(back & LyTime(10));
    EXPECT_TRUE(back & LyTime(7));
    EXPECT_FALSE(back & LyTime(3));
    EXPECT_FALSE(back & LyTime(11));
    EXPECT_TRUE(LyTimeSpan(5, 5) & LyTime(5));
    EXPECT_FALSE(LyTimeSpan(5, 5) & LyTime(6));
}

}  // namespace
