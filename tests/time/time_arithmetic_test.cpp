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
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TimeConstants, TickValuesAndTheInfinities) {
    EXPECT_EQ(LyTime::Epsilon.Get(), 1);
    EXPECT_EQ(LyTime::OneSecond.Get(), 141120000LL);
    EXPECT_EQ(LyTime::OneMinute.Get(), 60 * 141120000LL);
    EXPECT_EQ(LyTime::OneHour.Get(), 3600 * 141120000LL);
    EXPECT_EQ(LyTime::Infinity.Get(), kMax);
    // MinusInfinity is one above the smallest count, the exact negation.
    EXPECT_EQ(LyTime::MinusInfinity.Get(), kMin + 1);
    EXPECT_EQ(LyTime::Zero - LyTime::Infinity, LyTime::MinusInfinity);
    EXPECT_EQ(LyTime::MinusInfinity + LyTime::Infinity, LyTime::Zero);
}

TEST(TimeMilliseconds, TruncateTowardZero) {
    const long long cases[][2] = {{141120000, 1000}, {-1, 0}, {141119, 0}, {141120, 1}, {-141121, -1}, {-282239, -1}};
    for (const auto& c : cases) EXPECT_EQ(LyTime(c[0]).GetMilliSeconds(), c[1]) << c[0];
    LyTime t;
    for (long long ms : {-1LL, 2500LL}) {
        t.SetMilliSeconds(ms);
        EXPECT_EQ(t.Get(), ms * 141120);
    }
}

// Both forms of each operator: the two-operand result and the in-place one.
long long Apply(long long a, char op, long long b, bool inPlace) {
    LyTime t(a);
    const LyTime u(b);
    switch (op) {
        case '+': return (inPlace ? (t += u) : t + u).Get();
        case '-': return (inPlace ? (t -= u) : t - u).Get();
        case '*': return (inPlace ? (t *= u) : t * u).Get();
        default: return (inPlace ? (t /= u) : t / u).Get();
    }
}
long long Apply(long long a, char op, double b, bool inPlace) {
    LyTime t(a);
    switch (op) {
        case '+': return (inPlace ? (t += b) : t + b).Get();
        case '-': return (inPlace ? (t -= b) : t - b).Get();
        case '*': return (inPlace ? (t *= b) : t * b).Get();
        default: return (inPlace ? (t /= b) : t / b).Get();
    }
}

TEST(TimeOperators, IntegerFormsWorkOnTheCountsAndWrap) {
    struct Case {
        long long a;
        char op;
        long long b, expected;
    };
    const Case cases[] = {
        {10, '*', 3, 30}, {10, '+', 3, 13}, {10, '-', 13, -3}, {7, '/', 2, 3}, {-7, '/', 2, -3},
        // Seconds multiply as counts, not as durations.
        {141120000, '*', 2, 282240000}, {141120000, '/', 8467200000, 0}, {8467200000, '/', 141120000, 60},
        // Overflow wraps; the smallest count divided by -1 is itself.
        {kMax, '+', 1, kMin}, {kMin, '-', 1, kMax}, {kMax, '*', 2, -2}, {kMax, '+', 2, kMin + 1}, {kMin, '/', -1, kMin},
        // Division by zero saturates.
        {5, '/', 0, kMax}, {-5, '/', 0, kMin + 1}, {0, '/', 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ' ' << c.op << ' ' << c.b);
        EXPECT_EQ(Apply(c.a, c.op, c.b, false), c.expected);
        EXPECT_EQ(Apply(c.a, c.op, c.b, true), c.expected);
    }
}

TEST(TimeOperators, DoubleFormsTruncateTheResultButInPlaceFormsTheOperand) {
    struct Case {
        long long a;
        char op;
        double b;
        long long result, inPlace;
    };
    const Case cases[] = {
        {7, '/', 2.0, 3, 3},   {7, '+', 0.9, 7, 7},     {-7, '/', 2.0, -3, -3},   {7, '*', 2.5, 17, 14},
        {7, '/', 2.5, 2, 3},   {7, '-', 0.5, 6, 7},     {-7, '-', 0.5, -7, -7},   {-7, '+', -1.5, -8, -8},
        {-7, '*', 1.5, -10, -7}, {1, '*', 0.999, 0, 0}, {-1, '*', 0.999, 0, 0},   {7, '+', -0.5, 6, 7},
        {-7, '+', 0.9, -6, -7}, {-7, '-', -0.9, -6, -7}, {10, '-', 2.99, 7, 8},   {3, '*', -0.5, -1, 0},
        // Out of range saturates (2^63 as a double is above every count).
        {kMax, '*', 1.0, kMax, kMax}, {kMin + 1, '*', 1.0, kMin + 1, kMin + 1}, {kMax, '*', 2.0, kMax, -2},
        {kMax, '*', -2.0, kMin + 1, 2}, {5, '/', 0.0, kMax, kMax}, {-5, '/', 0.0, kMin + 1, kMin + 1},
        {0, '/', 0.0, 0, 0},   {9, '/', 0.75, 12, kMax},
        // The operand saturates, then the in-place sum wraps.
        {4, '+', kInf, kMax, kMin + 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ' ' << c.op << ' ' << c.b);
        EXPECT_EQ(Apply(c.a, c.op, c.b, false), c.result);
        EXPECT_EQ(Apply(c.a, c.op, c.b, true), c.inPlace);
    }
    const double assigned[][2] = {{2.9, 2}, {-2.9, -2}, {-0.9, 0}, {1e15 + 0.5, 1e15}, {std::nan(""), 0},
                                  {1e300, double(kMax)}, {-1e300, -double(kMax)}};
    for (const auto& c : assigned) {
        LyTime t(77);
        t = c[0];
        EXPECT_EQ(static_cast<double>(t.Get()), c[1]) << c[0];
    }
    EXPECT_EQ((LyTime() = -1e300).Get(), kMin + 1);
}

TEST(TimeComparisons, FollowTheCounts) {
    const long long values[] = {kMin, kMin + 1, -2, -1, 0, 2, 3, 4, kMax};
    for (long long a : values) {
        for (long long b : values) {
            SCOPED_TRACE(testing::Message() << a << " vs " << b);
            const LyTime x(a), y(b);
            EXPECT_EQ(x == y, a == b);
            EXPECT_EQ(x != y, a != b);
            EXPECT_EQ(x < y, a < b);
            EXPECT_EQ(x <= y, a <= b);
            EXPECT_EQ(x > y, a > b);
            EXPECT_EQ(x >= y, a >= b);
        }
    }
}

TEST(TimeSpan, DurationDirectionAndFields) {
    const long long cases[][5] = {// start, stop: duration, signed, direction
                                  {10, 4, 6, -6, -1}, {4, 4, 0, 0, 1}, {-3, 9, 12, 12, 1}};
    for (const auto& c : cases) {
        const LyTimeSpan span(c[0], c[1]);
        EXPECT_EQ(span.GetDuration().Get(), c[2]) << c[0];
        EXPECT_EQ(span.GetSignedDuration().Get(), c[3]) << c[0];
        EXPECT_EQ(span.GetDirection(), c[4]) << c[0];
    }
    LyTimeSpan span(-3, 9);
    span.GetStart() = LyTime(20);  // the getters give the fields themselves
    EXPECT_EQ(span.GetDirection(), -1);
    span.Set(1, 2);
    EXPECT_EQ(span.GetStart().Get(), 1);
    EXPECT_EQ(span.GetStop().Get(), 2);
}

TEST(TimeSpan, IntersectionFollowsTheFirstSpanAndContainmentTakesTheEnds) {
    const long long cases[][6] = {
        {0, 100, 150, 50, 50, 100},   // a forward span's intersection runs forward
        {150, 50, 0, 100, 100, 50},   // a backward one's backward
        {0, 10, 10, 20, 10, 10},      // ends are inside
        {0, 10, 11, 20, 0, 0},        // disjoint: empty at zero
        {kMin + 1, kMax, -5, 5, -5, 5},
    };
    for (const auto& c : cases) {
        const LyTimeSpan both = LyTimeSpan(c[0], c[1]) & LyTimeSpan(c[2], c[3]);
        EXPECT_EQ(both.GetStart().Get(), c[4]) << c[0] << ".." << c[1];
        EXPECT_EQ(both.GetStop().Get(), c[5]) << c[0] << ".." << c[1];
    }
    const LyTimeSpan back(10, 4);
    for (long long t : {4, 10, 7}) EXPECT_TRUE(back & LyTime(t)) << t;
    for (long long t : {3, 11}) EXPECT_FALSE(back & LyTime(t)) << t;
    EXPECT_TRUE(LyTimeSpan(5, 5) & LyTime(5));
    EXPECT_FALSE(LyTimeSpan(5, 5) & LyTime(6));
}

}  // namespace
