// Function curve evaluation: every tangent mode and extrapolation mode
// against values worked out by hand, and segment lookup in any order.
//
// Hand computations use the Hermite form over a segment of length d seconds
// at parameter u: v0 + m0 u + (3(v1-v0) - 2m0 - m1) u^2 + (m0 + m1 - 2(v1-v0)) u^3
// with m0 = d * (right slope of the first key), m1 = d * (left slope of the
// second key).

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include <velora/fcurve.h>
#include <velora/time.h>

#include "common/event_log.h"

namespace {

using velora::FCurve;
using velora::FCurveKey;

constexpr long long kSecond = velora::kTicksPerSecond;

long long Sec(double s) { return static_cast<long long>(s * static_cast<double>(kSecond)); }

FCurveKey MakeKey(double seconds, float value, std::uint32_t flags) {
    FCurveKey key;
    key.time = Sec(seconds);
    key.value = value;
    key.flags = flags;
    return key;
}

class CurveTest : public ::testing::Test {
protected:
    void SetUp() override { curve = FCurve::Create("test curve"); }
    void TearDown() override { curve->Destroy(); }
    // Three keys (0 s, 0), (1 s, 10), (3 s, 0); the middle one with `flags`.
    void Peak(std::uint32_t middleFlags, float tension = 0, float continuity = 0, float bias = 0) {
        curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
        FCurveKey mid = MakeKey(1, 10, middleFlags);
        mid.tension = tension;
        mid.continuity = continuity;
        mid.bias = bias;
        curve->KeyAdd(mid);
        curve->KeyAdd(MakeKey(3, 0, velora::kKeyCubic | velora::kTangentAuto));
    }
    FCurve* curve = nullptr;
};

TEST_F(CurveTest, EmptySingleKeyAndSortedKeys) {
    EXPECT_EQ(curve->Evaluate(0), 0.0);
    curve->SetDefaultValue(2.5);
    EXPECT_EQ(curve->Evaluate(Sec(3)), 2.5);
    // Flags are kept to the key bits.
    curve->KeyAdd(MakeKey(1, 4, velora::kKeyCubic | velora::kTangentAuto | velora::kKeyInsertContinuity | 0x80));
    EXPECT_EQ(curve->KeyAt(0).flags, velora::kKeyCubic | velora::kTangentAuto);
    EXPECT_EQ(curve->Evaluate(Sec(-5)), 4.0);
    EXPECT_EQ(curve->Evaluate(Sec(7)), 4.0);
    // Keys stay sorted; a key at the time of another replaces it.
    curve->KeyClear();
    curve->KeyAdd(MakeKey(2, 2, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyLinear));
    EXPECT_EQ(curve->KeyAdd(MakeKey(1, 1, velora::kKeyLinear)), 1);
    EXPECT_EQ(curve->KeyAdd(MakeKey(1, 5, velora::kKeyLinear)), 1);
    ASSERT_EQ(curve->KeyCount(), 3);
    EXPECT_EQ(curve->KeyAt(1).value, 5.0f);
    EXPECT_EQ(curve->KeyFind(Sec(2)), 2);
    EXPECT_EQ(curve->KeyFind(Sec(2) + 1), -1);
    EXPECT_TRUE(curve->KeyRemove(0));
    EXPECT_EQ(curve->KeyCount(), 2);
}

TEST_F(CurveTest, ConstantAndLinear) {
    FCurveKey a = MakeKey(0, 0, velora::kKeyConstant);
    curve->KeyAdd(a);
    curve->KeyAdd(MakeKey(1, 10, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(2, 20, velora::kKeyLinear));
    EXPECT_DOUBLE_EQ(curve->Evaluate(Sec(0.5)), 0.0);
    EXPECT_DOUBLE_EQ(curve->Evaluate(Sec(1.0)), 10.0);
    EXPECT_DOUBLE_EQ(curve->Evaluate(Sec(1.25)), 12.5);
    a.flags = velora::kKeyConstant | velora::kConstantNext;
    curve->SetKey(0, a);
    EXPECT_DOUBLE_EQ(curve->Evaluate(Sec(0.5)), 10.0);
}

TEST_F(CurveTest, PeakTangentsAgainstHandValues) {
    // Keys (0 s, 0), (1 s, 10), (3 s, 0); the middle key's mode varies.
    struct Case {
        const char* what;
        std::uint32_t flags;
        float tension, continuity, bias;
        double left, right, atHalf, atTwo;  // NaN: not checked
    };
    const double x = std::nan("");
    const std::uint32_t cubic = velora::kKeyCubic;
    const Case cases[] = {
        // Middle slope (0 - 0) / 3 = 0. m0 = 10, m1 = 0: 5 + 10/4 - 10/8; second
        // segment, d = 2: m0 = 0, m1 = -10: 10 + (-30 + 10)/4 + (-10 + 20)/8.
        {"auto", cubic | velora::kTangentAuto, 0, 0, 0, 0, 0, 6.25, 6.25},
        // Mean of secants 10 and -5: 2.5. m0 = 10, m1 = 2.5: 5 + 7.5/4 - 7.5/8.
        {"time independent", cubic | velora::kTangentAuto | velora::kTangentTimeIndependent, 0, 0, 0, 2.5, 2.5,
         5.9375, x},
        // B = 0.5: dp = 10, dn = -10, half span 1.5: (0.75*10 - 0.25*10) / 1.5 = 10/3
        // both sides: 5 + (10 - 10/3)/4 - (10 - 10/3)/8 = 35/6; then m0 = 20/3, m1 = -10.
        {"tcb bias", cubic | velora::kTangentTCB, 0, 0, 0.5f, 10.0 / 3, 10.0 / 3, 35.0 / 6, 85.0 / 12},
        // C = 1: incoming (0*10 + 1*(-10)) / 1.5 = -20/3, outgoing 20/3; m1 = -20/3.
        {"tcb continuity", cubic | velora::kTangentTCB, 0, 1, 0, -20.0 / 3, 20.0 / 3, 5.0 + 50.0 / 24, x},
        // T = 1: flat tangent at the key.
        {"tcb tension", cubic | velora::kTangentTCB, 1, 0, 0, 0, 0, x, x},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        curve->KeyClear();
        Peak(c.flags, c.tension, c.continuity, c.bias);
        EXPECT_DOUBLE_EQ(curve->RightSlope(0), 10.0);  // the first key's slope is its secant
        EXPECT_NEAR(curve->LeftSlope(1), c.left, 1e-9);
        EXPECT_NEAR(curve->RightSlope(1), c.right, 1e-9);
        if (!std::isnan(c.atHalf)) {
            EXPECT_NEAR(curve->Evaluate(Sec(0.5)), c.atHalf, 1e-9);
        }
        if (!std::isnan(c.atTwo)) {
            EXPECT_NEAR(curve->Evaluate(Sec(2)), c.atTwo, 1e-9);
        }
    }
}

TEST_F(CurveTest, ClampedTangentIsFlatAtExtremum) {
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(MakeKey(1, 10, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(MakeKey(2, 5, velora::kKeyCubic | velora::kTangentAuto));
    // Auto slope at the peak (5 - 0) / 2 = 2.5: 5 + 7.5/4 - 7.5/8.
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 5.9375, 1e-9);
    FCurveKey peak;
    curve->GetKey(1, &peak);
    peak.flags |= velora::kTangentClamp;
    curve->SetKey(1, peak);
    // Clamped: slope 0 at the peak: 5 + 10/4 - 10/8.
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 6.25, 1e-9);
}

TEST_F(CurveTest, ClampedKeyLevelWithANeighbourIsFlat) {
    // (0, 0), (1, 0), (2, 10): the middle key is level with the key before
    // it. Auto: (10 - 0) / 2 = 5 per second; clamped: 0, so the plateau
    // does not dip below 0 on its way.
    const std::uint32_t clamped = velora::kKeyCubic | velora::kTangentAuto | velora::kTangentClamp;
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(MakeKey(1, 0, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(MakeKey(2, 10, velora::kKeyCubic | velora::kTangentAuto));
    EXPECT_DOUBLE_EQ(curve->RightSlope(1), 5.0);
    // Unclamped, the first segment (m0 = 0, m1 = 5) undershoots:
    // (0 - 0 - 5)/4 + (0 + 5 - 0)/8 = -0.625 at 0.5 s.
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), -0.625, 1e-9);
    FCurveKey mid = curve->KeyAt(1);
    mid.flags = clamped;
    curve->SetKey(1, mid);
    EXPECT_DOUBLE_EQ(curve->LeftSlope(1), 0.0);
    EXPECT_DOUBLE_EQ(curve->RightSlope(1), 0.0);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 0.0, 1e-12);
    // Level with the key after it: (0, 0), (1, 10), (2, 10).
    curve->KeyClear();
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(MakeKey(1, 10, clamped));
    curve->KeyAdd(MakeKey(2, 10, velora::kKeyCubic | velora::kTangentAuto));
    EXPECT_DOUBLE_EQ(curve->RightSlope(1), 0.0);
    // A rising key between rising neighbours keeps its slope; an end key is
    // never clamped.
    curve->KeyClear();
    curve->KeyAdd(MakeKey(0, 0, clamped));
    curve->KeyAdd(MakeKey(1, 10, clamped));
    curve->KeyAdd(MakeKey(2, 30, clamped));
    EXPECT_DOUBLE_EQ(curve->RightSlope(1), 15.0);
    EXPECT_DOUBLE_EQ(curve->RightSlope(0), 10.0);
}

TEST_F(CurveTest, ClampProgressiveLimitsOvershoot) {
    const std::uint32_t cp = velora::kKeyCubic | velora::kTangentAuto | velora::kTangentClampProgressive;
    curve->KeyAdd(MakeKey(0, 0, cp));
    curve->KeyAdd(MakeKey(1, 1, cp));
    curve->KeyAdd(MakeKey(2, 10, cp));
    // Secants 1 and 9: mean 5, limited to 3 * 1 = 3. First key: secant 1.
    // m0 = 1, m1 = 3: 0.5 + (3 - 2 - 3)/4 + (1 + 3 - 2)/8 = 0.25.
    EXPECT_DOUBLE_EQ(curve->LeftSlope(1), 3.0);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 0.25, 1e-9);
    // Plain time-independent would give slope 5: 0.5 - 4/4 + 4/8 = 0.
    FCurveKey mid;
    curve->GetKey(1, &mid);
    mid.flags = velora::kKeyCubic | velora::kTangentAuto | velora::kTangentTimeIndependent;
    curve->SetKey(1, mid);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 0.0, 1e-9);
}

TEST_F(CurveTest, TcbTensionScalesTheTangent) {
    // (0, 0), (1, 10), (3, 30): dp = 10, dn = 20, half span 1.5 s. T = 0.5:
    // both tangents (0.25 * 10 + 0.25 * 20) / 1.5 = 5, half the auto 10.
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
    FCurveKey mid = MakeKey(1, 10, velora::kKeyCubic | velora::kTangentTCB);
    mid.tension = 0.5f;
    curve->KeyAdd(mid);
    curve->KeyAdd(MakeKey(3, 30, velora::kKeyCubic | velora::kTangentAuto));
    EXPECT_NEAR(curve->LeftSlope(1), 5.0, 1e-9);
    EXPECT_NEAR(curve->RightSlope(1), 5.0, 1e-9);
    // Second segment, d = 2: m0 = 10, m1 = 2 * 10 = 20, dv = 20 at u = 0.5:
    // 10 + 5 + (60 - 20 - 20)/4 + (30 - 40)/8 = 18.75.
    EXPECT_NEAR(curve->Evaluate(Sec(2)), 18.75, 1e-9);
}

TEST_F(CurveTest, UserAndBreakTangents) {
    FCurveKey user = MakeKey(1, 10, velora::kKeyCubic | velora::kTangentUser);
    user.leftDerivative = -99;  // ignored: a user tangent is one line
    user.rightDerivative = 4;
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyCubic | velora::kTangentAuto));
    curve->KeyAdd(user);
    curve->KeyAdd(MakeKey(3, 0, velora::kKeyCubic | velora::kTangentAuto));
    // m0 = 10, m1 = 4: 5 + 6/4 - 6/8 = 5.75.
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 5.75, 1e-9);
    // d = 2: m0 = 8, m1 = -10: 14 + (-30 - 16 + 10)/4 + (8 - 10 + 20)/8 = 7.25.
    EXPECT_NEAR(curve->Evaluate(Sec(2)), 7.25, 1e-9);

    user.flags = velora::kKeyCubic | velora::kTangentUser | velora::kTangentBreak;
    user.leftDerivative = 4;
    user.rightDerivative = -2;
    curve->SetKey(1, user);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 5.75, 1e-9);
    // m0 = -4, m1 = -10: 8 + (-30 + 8 + 10)/4 + (-4 - 10 + 20)/8 = 5.75.
    EXPECT_NEAR(curve->Evaluate(Sec(2)), 5.75, 1e-9);
}

TEST_F(CurveTest, WeightedTangents) {
    FCurveKey a = MakeKey(0, 0, velora::kKeyCubic | velora::kTangentUser | velora::kWeightRight);
    a.rightDerivative = 1;
    a.rightWeight = 0.5f;
    FCurveKey b = MakeKey(1, 1, velora::kKeyCubic | velora::kTangentUser);
    b.rightDerivative = 0;
    curve->KeyAdd(a);
    curve->KeyAdd(b);
    // Bezier controls: time 0, 0.5, 2/3, 1; value 0, 0.5, 1, 1. At parameter
    // 1/2 the time is (0 + 1.5 + 2 + 1)/8 = 0.5625 s and the value
    // (0 + 1.5 + 3 + 1)/8 = 0.6875.
    EXPECT_NEAR(curve->Evaluate(Sec(0.5625)), 0.6875, 1e-9);

    // The next key's left weight instead: time 0, 1/3, 0.5, 1; value 0, 1/3,
    // 1, 1: time 3.5/8 = 0.4375 s, value 5/8.
    a.flags = velora::kKeyCubic | velora::kTangentUser | velora::kWeightNextLeft;
    a.rightWeight = velora::kDefaultTangentWeight;
    b.leftWeight = 0.5f;
    curve->SetKey(0, a);
    curve->SetKey(1, b);
    EXPECT_NEAR(curve->Evaluate(Sec(0.4375)), 0.625, 1e-9);

    // Both: controls time 0, 0.5, 0.5, 1; value 0, 0.5, 1, 1: at parameter
    // 1/2 the time is 0.5 s and the value (1.5 + 3 + 1)/8 = 0.6875.
    a.flags = velora::kKeyCubic | velora::kTangentUser | velora::kWeightRight | velora::kWeightNextLeft;
    a.rightWeight = 0.5f;
    curve->SetKey(0, a);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 0.6875, 1e-9);
    a.flags = velora::kKeyCubic | velora::kTangentUser | velora::kWeightNextLeft;
    a.rightWeight = velora::kDefaultTangentWeight;
    curve->SetKey(0, a);

    // Weights of one third are the unweighted curve: m0 = 1, m1 = 0 at
    // u = 0.5: 0.5 + (3 - 2)/4 + (1 - 2)/8 = 0.625.
    b.leftWeight = velora::kDefaultTangentWeight;
    curve->SetKey(1, b);
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 0.625, 1e-9);
}

TEST_F(CurveTest, ExtrapolationModesBeforeAndAfterTheKeys) {
    // Keys (0 s, 0) and (1 s, 10), linear; the same mode on both sides.
    struct Case {
        int mode, postCount;
        double seconds, expected;
    };
    const Case cases[] = {
        {velora::kExtrapolationConstant, 0, 2.5, 10},
        {velora::kExtrapolationConstant, 0, -2.5, 0},
        {velora::kExtrapolationRepetition, 0, 1.25, 2.5},
        {velora::kExtrapolationRepetition, 0, 2.0, 10},
        {velora::kExtrapolationRepetition, 0, 7.5, 5},
        {velora::kExtrapolationRepetition, 0, -0.25, 7.5},
        {velora::kExtrapolationRepetition, 0, -5.25, 7.5},
        {velora::kExtrapolationRepetition, 1, 1.5, 5},
        {velora::kExtrapolationRepetition, 1, 2.5, 10},  // held after one repeat
        {velora::kExtrapolationMirrorRepetition, 0, 1.25, 7.5},  // going back
        {velora::kExtrapolationMirrorRepetition, 0, 2.25, 2.5},  // forward again
        {velora::kExtrapolationMirrorRepetition, 0, -0.25, 2.5},
        {velora::kExtrapolationMirrorRepetition, 0, -1.25, 7.5},
        {velora::kExtrapolationMirrorRepetition, 1, 3.0, 0},  // held where the reversed repeat ended
        {velora::kExtrapolationKeepSlope, 0, 1.5, 15},
        {velora::kExtrapolationKeepSlope, 0, -0.5, -5},
        {velora::kExtrapolationRelativeRepetition, 0, 1.25, 12.5},
        {velora::kExtrapolationRelativeRepetition, 0, 2.5, 25},
        {velora::kExtrapolationRelativeRepetition, 0, -0.75, -7.5},
        {velora::kExtrapolationRelativeRepetition, 1, 2.5, 20},
    };
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(1, 10, velora::kKeyLinear));
    for (const Case& c : cases) {
        curve->SetPreExtrapolation(c.mode);
        curve->SetPostExtrapolation(c.mode);
        curve->SetPostExtrapolationCount(c.postCount);
        EXPECT_NEAR(curve->Evaluate(Sec(c.seconds)), c.expected, 1e-9) << c.mode << " at " << c.seconds;
    }
    curve->SetPreExtrapolationCount(-3);  // taken as 0: without end
    EXPECT_EQ(curve->PreExtrapolationCount(), 0);
    // Far times do not overflow.
    curve->SetPostExtrapolation(velora::kExtrapolationRepetition);
    curve->SetPreExtrapolation(velora::kExtrapolationMirrorRepetition);
    curve->SetPostExtrapolationCount(0);
    for (long long t : {0x7FFFFFFFFFFFFFFFll, -0x7FFFFFFFFFFFFFFFll}) {
        const double v = curve->Evaluate(t);
        EXPECT_TRUE(v >= 0.0 && v <= 10.0) << v;
    }
    // Keeping the slope: a cubic end keeps its tangent (the auto slope of the
    // last key is the secant 10/s); a constant segment extends flat.
    curve->SetPreExtrapolation(velora::kExtrapolationKeepSlope);
    curve->SetPostExtrapolation(velora::kExtrapolationKeepSlope);
    FCurveKey first = curve->KeyAt(0);
    first.flags = velora::kKeyConstant;
    curve->SetKey(0, first);
    EXPECT_NEAR(curve->Evaluate(Sec(3)), 10.0, 1e-9);
    EXPECT_NEAR(curve->Evaluate(Sec(-3)), 0.0, 1e-9);
}

TEST_F(CurveTest, SegmentLookupAgreesInAnyOrder) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<float> value(-5, 5);
    for (int i = 0; i < 200; ++i)
        curve->KeyAdd(MakeKey(i * 0.1, value(rng), velora::kKeyCubic | velora::kTangentAuto));
    FCurve* copy = FCurve::Create("copy");
    for (int i = 0; i < curve->KeyCount(); ++i) copy->KeyAdd(curve->KeyAt(i));
    // Forward playback, jumps back, random access: each read is compared
    // with the copy's read right after a far jump (a binary search).
    std::uniform_int_distribution<long long> when(Sec(-1), Sec(21));
    std::vector<long long> times;
    for (long long t = 0; t < Sec(20); t += Sec(0.013)) times.push_back(t);
    for (int i = 0; i < 500; ++i) times.push_back(when(rng));
    for (long long t : times) {
        copy->Evaluate(t < Sec(10) ? Sec(19.95) : Sec(0.05));  // far away: the next read searches
        const double expected = copy->Evaluate(t);
        ASSERT_EQ(curve->Evaluate(t), expected) << t;
    }
    copy->Destroy();
}

// ---------------------------------------------------------------------------
// Editing

// Keeps the code and key index of every curve event it hears.
struct CurveListener : lysdk_test::EventLog {
    explicit CurveListener(FCurve* curve) : EventLog(curve->Events(), {velora::kEventCurveChanged}) {
        then = [this](lyiface::EventRecord* event) {
            auto* record = static_cast<velora::CurveEventRecord*>(event);
            heard.emplace_back(record->code, record->keyIndex);
        };
    }
    std::vector<std::pair<std::uint32_t, int>> heard;
};

std::vector<long long> Times(const FCurve* curve) {
    std::vector<long long> out;
    for (int i = 0; i < curve->KeyCount(); ++i) out.push_back(curve->KeyAt(i).time);
    return out;
}

TEST_F(CurveTest, EventsCarryTheirCodes) {
    CurveListener listener(curve);
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(1, 1, velora::kKeyLinear));
    FCurveKey key = curve->KeyAt(1);
    key.value = 2;
    curve->SetKey(1, key);
    key.flags = velora::kKeyCubic | velora::kTangentUser | velora::kTangentBreak;
    curve->SetKey(1, key);
    curve->KeyRemove(0);
    curve->SetPreExtrapolation(velora::kExtrapolationRepetition);
    curve->SetPostExtrapolationCount(2);
    using P = std::pair<std::uint32_t, int>;
    const std::vector<P> expected = {
        {velora::kCurveEventKey | velora::kCurveEventKeyAdd, 0},
        {velora::kCurveEventKey | velora::kCurveEventKeyAdd, 1},
        {velora::kCurveEventKey | velora::kCurveEventEditValue, 1},
        {velora::kCurveEventKey | velora::kCurveEventEditOther | velora::kCurveEventInterpolation |
             velora::kCurveEventBreak, 1},
        {velora::kCurveEventKey | velora::kCurveEventKeyRemove, 0},
        {0x8008010u, -1},
        {0x10008010u, -1},
    };
    EXPECT_EQ(listener.heard, expected);
    // A bracket gathers its changes into one event at its end.
    listener.heard.clear();
    curve->BeginEdit();
    curve->KeyAdd(MakeKey(5, 5, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(6, 6, velora::kKeyLinear));
    EXPECT_TRUE(listener.heard.empty());
    curve->EndEdit();
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0], P(velora::kCurveEventKey | velora::kCurveEventKeyAdd | velora::kCurveEventMass, -1));
}

TEST_F(CurveTest, BracketsFillByIndexAndSortAtTheEnd) {
    curve->KeyAdd(MakeKey(9, 9, velora::kKeyLinear));
    curve->BeginEdit();
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(1, 10, velora::kKeyLinear));
    EXPECT_NEAR(curve->Evaluate(Sec(0.5)), 5.0, 1e-9);  // reads its own edits
    ASSERT_TRUE(curve->KeyResize(4));
    const double times[4] = {3, 1, 2, 1};  // out of order, and 1 s twice
    for (int i = 0; i < 4; ++i) {
        FCurveKey key = MakeKey(times[i], static_cast<float>(10 * i), velora::kKeyLinear);
        EXPECT_EQ(curve->SetKey(i, key), i);  // no re-sorting inside
    }
    curve->EndEdit();
    // Sorted, and at 1 s the later index (value 30) won.
    EXPECT_EQ(Times(curve), (std::vector<long long>{Sec(1), Sec(2), Sec(3)}));
    EXPECT_EQ(curve->KeyAt(0).value, 30.0f);
    EXPECT_NEAR(curve->Evaluate(Sec(1.5)), 25.0, 1e-9);
    // Outside a bracket a key moves to its place at once, and refuses a
    // time another key has.
    FCurveKey k = curve->KeyAt(0);
    k.time = Sec(2.5);
    EXPECT_EQ(curve->SetKey(0, k), 1);
    k.time = Sec(3);
    EXPECT_EQ(curve->SetKey(1, k), -1);
}

TEST_F(CurveTest, RangeEditsAndTheirRefusals) {
    for (int i = 0; i < 6; ++i) curve->KeyAdd(MakeKey(i, static_cast<float>(i), velora::kKeyLinear));
    EXPECT_FALSE(curve->KeyDelete(4, 6));            // past the end
    EXPECT_FALSE(curve->KeyDelete(3, 2));            // empty
    EXPECT_FALSE(curve->KeyDelete(Sec(2), Sec(3), false));  // nothing strictly between
    EXPECT_TRUE(curve->KeyDelete(Sec(2), Sec(3), true));
    EXPECT_EQ(Times(curve), (std::vector<long long>{0, Sec(1), Sec(4), Sec(5)}));
    // Moving onto or past a key that stays is refused; within the gap it is not.
    EXPECT_FALSE(curve->KeyOffset(Sec(3), 1, 1));
    EXPECT_TRUE(curve->KeyOffset(Sec(2), 1, 1));
    EXPECT_FALSE(curve->KeyOffset(-Sec(1), Sec(4), Sec(5), true));
    EXPECT_TRUE(curve->KeyOffset(Sec(10), Sec(4), Sec(5), true));
    EXPECT_EQ(Times(curve), (std::vector<long long>{0, Sec(3), Sec(14), Sec(15)}));
    EXPECT_FALSE(curve->KeyOffset(0x7FFFFFFFFFFFFFF0ll, 3, 3));  // out of the tick range

    FCurve* source = FCurve::Create("source");
    source->KeyAdd(MakeKey(2, 20, velora::kKeyLinear));
    source->KeyAdd(MakeKey(4, 40, velora::kKeyLinear));
    // The exact span [1 s, 5 s] gets the source's keys and, at its ends,
    // keys of the source's value there.
    EXPECT_TRUE(curve->KeyReplaceBy(*source, Sec(1), Sec(5), true, true));
    EXPECT_EQ(Times(curve), (std::vector<long long>{0, Sec(1), Sec(2), Sec(4), Sec(5), Sec(14), Sec(15)}));
    EXPECT_EQ(curve->KeyAt(1).value, 20.0f);
    EXPECT_EQ(curve->KeyAt(4).value, 40.0f);
    // Without the exact span only [2 s, 4 s] (the source's keys) is replaced.
    source->KeyAdd(MakeKey(3, 30, velora::kKeyLinear));
    EXPECT_TRUE(curve->KeyReplaceBy(*source, 0, Sec(20), false, false));
    EXPECT_EQ(Times(curve),
              (std::vector<long long>{0, Sec(1), Sec(2), Sec(3), Sec(4), Sec(5), Sec(14), Sec(15)}));
    EXPECT_FALSE(curve->KeyReplaceBy(*curve, 0, Sec(1), true, false));
    source->Destroy();
}

TEST_F(CurveTest, ALockedCurveTakesNoEdit) {
    curve->KeyAdd(MakeKey(0, 0, velora::kKeyLinear));
    curve->KeyAdd(MakeKey(1, 1, velora::kKeyLinear));
    curve->SetLocked(true);
    curve->SetCandidate(5, Sec(0.5));
    FCurveKey key = curve->KeyAt(0);
    EXPECT_EQ(curve->KeyAdd(MakeKey(2, 2, velora::kKeyLinear)), -1);
    EXPECT_EQ(curve->SetKey(0, key), -1);
    EXPECT_FALSE(curve->KeyRemove(0));
    EXPECT_FALSE(curve->KeyDelete(0, 1));
    EXPECT_FALSE(curve->KeyOffset(Sec(1), 0, 1));
    EXPECT_FALSE(curve->KeyResize(5));
    EXPECT_FALSE(curve->SetPostExtrapolation(velora::kExtrapolationRepetition));
    EXPECT_EQ(curve->KeyCandidate(velora::kKeyCubic | velora::kTangentAuto, 0, true), -1);
    curve->KeyClear();
    EXPECT_EQ(curve->KeyCount(), 2);
    EXPECT_EQ(curve->PostExtrapolation(), velora::kExtrapolationConstant);
}

TEST_F(CurveTest, CandidatesAreKeyedAndMayKeepTheShape) {
    Peak(velora::kKeyCubic | velora::kTangentAuto);
    const double before = curve->Evaluate(Sec(2));
    const double slope = curve->SlopeAt(Sec(2));
    // Keyed as a user key with the insertion continuity: the value and the
    // tangent at 2 s are the curve's, so the shape around it holds.
    curve->SetCandidate(before, Sec(2));
    const int at = curve->KeyCandidate(velora::kKeyCubic | velora::kTangentUser, velora::kKeyInsertContinuity, true);
    ASSERT_EQ(at, 2);
    EXPECT_FALSE(curve->HasCandidate());
    EXPECT_NEAR(curve->KeyAt(at).rightDerivative, slope, 1e-4);
    EXPECT_NEAR(curve->Evaluate(Sec(2)), before, 1e-5);
    // Without the override an existing key keeps its flags and takes the value.
    curve->SetCandidate(4, velora::kTimeInfinity);
    curve->SetCandidate(4, Sec(2));
    curve->KeyCandidate(velora::kKeyLinear, 0, false);
    EXPECT_EQ(curve->KeyAt(2).flags, velora::kKeyCubic | velora::kTangentUser);
    EXPECT_EQ(curve->KeyAt(2).value, 4.0f);
    // A tolerance reaches a key nearby.
    curve->SetCandidate(7, Sec(2) + 5);
    EXPECT_EQ(curve->KeyCandidate(velora::kKeyLinear, 0, true, velora::kTimeInfinity, 10.0), 2);
    EXPECT_EQ(curve->KeyAt(2).time, Sec(2));
    EXPECT_EQ(curve->KeyCandidate(velora::kKeyLinear, 0, true), -1);  // no candidate left
}

}  // namespace
