// LyFCurve and LyFCurveKey: the enumerations against the host key's flag
// bits both ways, index and lock checks, bulk edits, undo transactions of
// destructive edits, and key views.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/fcurve.h>
#include <velora/time.h>
#include <velora/undo.h>

using namespace VELSDK2025;

namespace {

constexpr long long kSecond = velora::kTicksPerSecond;

class SdkCurve : public ::testing::Test {
protected:
    void TearDown() override { velora::UndoStack::Instance().Clear(true); }
    velora::FCurve* Host() { return static_cast<velora::FCurve*>(velora::AsObject(curve.GetHIObject())); }
    std::uint32_t Flags(int i) { return Host()->KeyAt(i).flags; }
    LyFCurve curve;
};

TEST_F(SdkCurve, AddedKeysCarryTheTableFlags) {
    struct Row {
        LyInterpolation interpolation;
        LyTangentMode mode;
        std::uint32_t flags;
    };
    const Row rows[] = {
        {kLyInterpolationConstant, kLyTangentModeTCB, 0x02},
        {kLyInterpolationLinear, kLyTangentModeTCB, 0x04},
        {kLyInterpolationCustom, kLyTangentModeUser, 0x01},
        {kLyInterpolationCubic, kLyTangentModeAuto, 0x0108},
        {kLyInterpolationCubic, kLyTangentModeTCB, 0x0208},
        {kLyInterpolationCubic, kLyTangentModeUser, 0x0408},
        {kLyInterpolationCubic, kLyTangentModeBreak, 0x0C08},
        {kLyInterpolationCubic, kLyTangentModeTimeIndependent, 0x2108},
        {kLyInterpolationCubic, kLyTangentModeClampProgressive, 0x6108},
        {kLyInterpolationCubic, static_cast<LyTangentMode>(7), 0x6008},  // no row
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        curve.EditClear();
        ASSERT_EQ(curve.KeyAdd(LyTime(kSecond), 2.5, row.interpolation, row.mode), 0);
        EXPECT_EQ(Flags(0), row.flags);
        EXPECT_EQ(Host()->KeyAt(0).value, 2.5f);
        EXPECT_EQ(Host()->KeyAt(0).rightWeight, 1.0f / 3.0f);
    }
    // KeyInsert passes the tangent flags whatever the interpolation, without
    // the auto bit for the two time-independent modes.
    curve.KeyInsert(LyTime(2 * kSecond), kLyInterpolationCubic, kLyTangentModeTimeIndependent);
    EXPECT_EQ(Flags(1), 0x2008u);
    curve.KeyInsert(LyTime(3 * kSecond), kLyInterpolationLinear, kLyTangentModeClampProgressive);
    EXPECT_EQ(Flags(2), 0x6004u);
    EXPECT_EQ(curve.KeyGetValue(2), curve.KeyGetValue(0));  // the curve's value there
}

TEST_F(SdkCurve, HostFlagsReadBackInTheirOrder) {
    struct Row {
        std::uint32_t flags;
        LyInterpolation interpolation;
        LyTangentMode mode;
    };
    const Row rows[] = {
        {0x0C08, kLyInterpolationCubic, kLyTangentModeBreak},
        {0x2108, kLyInterpolationCubic, kLyTangentModeTimeIndependent},
        {0x6108, kLyInterpolationCubic, kLyTangentModeClampProgressive},
        {0x0E08, kLyInterpolationCubic, kLyTangentModeTCB},  // TCB first
        {0x0408, kLyInterpolationCubic, kLyTangentModeUser},
        {0x4108, kLyInterpolationCubic, kLyTangentModeAuto},  // progressive alone
        {0x0102, kLyInterpolationConstant, kLyTangentModeAuto},
        {0x0004, kLyInterpolationLinear, kLyTangentModeAuto},
        {0x0001, kLyInterpolationCustom, kLyTangentModeAuto},
        {0x0009, kLyInterpolationCubic, kLyTangentModeAuto},  // custom with cubic: cubic
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        velora::FCurveKey key;
        key.flags = row.flags;
        Host()->KeyClear();
        Host()->KeyAdd(key);
        EXPECT_EQ(curve.KeyGetInterpolation(0), row.interpolation);
        EXPECT_EQ(curve.KeyGetTangentMode(0), row.mode);
    }
}

TEST_F(SdkCurve, IndexAndLockChecks) {
    curve.KeyAdd(LyTime(0), 1.0, kLyInterpolationLinear);
    for (int bad : {-1, 1, 1000}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(curve.KeyGetValue(bad), 0.0f);
        EXPECT_EQ(curve.KeyGetInterpolation(bad), kLyInterpolationCubic);
        EXPECT_EQ(curve.KeyGetTangentMode(bad), kLyTangentModeAuto);
        EXPECT_FALSE(curve.KeyGetSelected(bad));
        EXPECT_EQ(curve.KeyGetTime(bad).Get(), 0);
        EXPECT_EQ(curve.KeySetTime(bad, LyTime(5)), -1);
        curve.KeySetValue(bad, 9.0f);
    }
    EXPECT_EQ(curve.KeyGetValue(0), 1.0f);
    Host()->SetLocked(true);
    EXPECT_EQ(curve.KeyAdd(LyTime(kSecond), 2.0), -1);
    EXPECT_EQ(curve.KeyInsert(LyTime(kSecond)), -1);
    EXPECT_FALSE(curve.KeyRemove(0));
    EXPECT_FALSE(curve.KeyDelete(0, 0));
    EXPECT_FALSE(curve.KeyOffset(LyTime(kSecond), 0, 0));
    curve.KeySetValue(0, 7.0f);
    curve.SetPostExtrapolationMode(kFCurveExtrapolationRepetition);
    EXPECT_EQ(curve.KeyGetValue(0), 1.0f);
    EXPECT_EQ(curve.GetPostExtrapolationMode(), kFCurveExtrapolationConst);
    EXPECT_EQ(velora::UndoStack::Instance().UndoCount(), 0);
}

TEST_F(SdkCurve, SettersFollowTheInterpolation) {
    curve.KeyAdd(LyTime(0), 0.0, kLyInterpolationLinear);
    curve.KeyAdd(LyTime(kSecond), 1.0, kLyInterpolationCubic, kLyTangentModeUser);
    curve.KeyAdd(LyTime(2 * kSecond), 2.0, kLyInterpolationConstant);
    curve.KeyAdd(LyTime(3 * kSecond), 3.0, kLyInterpolationCustom);
    // Break and clamp act on cubic keys only.
    curve.KeySetTangentBreak(0, true);
    EXPECT_EQ(Flags(0), 0x04u);
    curve.KeySetTangentBreak(1, true);
    EXPECT_EQ(curve.KeyGetTangentMode(1), kLyTangentModeBreak);
    curve.KeySetTangentClampMode(1, kLyTangentClampModeClamped);
    EXPECT_EQ(Flags(1), 0x1C08u);
    curve.KeySetTangentBreak(1, false);  // keeps the bits under 0x7700
    EXPECT_EQ(Flags(1), 0x1408u);
    curve.KeySetTangentClampMode(1, kLyTangentClampModeNone);
    EXPECT_EQ(Flags(1), 0x0408u);
    // A tangent mode written on a non-cubic key is no tangent at all.
    curve.KeySetTangentMode(0, kLyTangentModeTCB);
    EXPECT_EQ(Flags(0), 0x04u);
    // Constant mode on constant keys, custom index on custom keys.
    curve.KeySetTangentConstantMode(1, kLyTangentConstantModeNext);
    EXPECT_EQ(Flags(1), 0x0408u);
    curve.KeySetTangentConstantMode(2, kLyTangentConstantModeNext);
    EXPECT_EQ(curve.KeyGetTangentConstantMode(2), kLyTangentConstantModeNext);
    EXPECT_EQ(curve.Evaluate(LyTime(2 * kSecond + kSecond / 2)), 3.0f);  // holds the next value
    curve.KeySetTangentCustomIndex(3, kLyTangentCustomIndex2);
    EXPECT_EQ(Flags(3), 0x0401u);
    EXPECT_EQ(curve.KeyGetTangentCustomIndex(3), kLyTangentCustomIndex2);
    curve.KeySetTangentCustomIndex(1, kLyTangentCustomIndex1);
    EXPECT_EQ(Flags(1), 0x0408u);
    // Weight modes on any key, under their mask.
    curve.KeySetTangentWeightMode(0, kLyTangentWeightModeBoth);
    EXPECT_EQ(Flags(0), 0x3000004u);
    curve.KeySetTangentWeightMode(0, kLyTangentWeightModeNextLeft);
    EXPECT_EQ(curve.KeyGetTangentWeightMode(0), kLyTangentWeightModeNextLeft);
    // A successful setter drops the candidate.
    Host()->SetCandidate(5.0, 0);
    curve.KeySetValue(1, 4.0f);
    EXPECT_FALSE(Host()->HasCandidate());
    // Setting the time moves the key and answers its new index.
    EXPECT_EQ(curve.KeySetTime(0, LyTime(5 * kSecond)), 3);
}

TEST_F(SdkCurve, DerivativesAndBezierControls) {
    curve.KeyAdd(LyTime(0), 0.0, kLyInterpolationCubic, kLyTangentModeUser);
    curve.KeyAdd(LyTime(2 * kSecond), 4.0, kLyInterpolationCubic, kLyTangentModeBreak);
    curve.KeySetRightDerivative(0, 3.0f);  // a user tangent is one line
    EXPECT_EQ(curve.KeyGetLeftDerivative(0), 3.0f);
    // Right control of key 0: 0 + 3 * (1/3) * 2 s = 2.
    EXPECT_NEAR(curve.KeyGetRightBezierTangent(0), 2.0f, 1e-6);
    curve.KeySetRightBezierTangent(0, 1.0f);
    EXPECT_NEAR(curve.KeyGetRightDerivative(0), 1.5f, 1e-6);
    curve.KeySetLeftDerivative(1, -1.0f);  // a break key keeps its sides apart
    EXPECT_EQ(curve.KeyGetRightDerivative(1), 0.0f);
    EXPECT_NEAR(curve.KeyGetLeftBezierTangent(1), 4.0f + 2.0f / 3.0f, 1e-5);
    // The automatic slope of an auto key is what evaluation uses.
    curve.KeySetTangentMode(1, kLyTangentModeAuto);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 2.0f, 1e-6);
}

TEST_F(SdkCurve, KeysAddCountRulesAndTheBracket) {
    LyArrayTemplate<LyTime> times;
    LyArrayTemplate<double> values;
    LyArrayTemplate<LyInterpolation> interpolations;
    for (int i = 0; i < 3; ++i) times.Add(LyTime(i * kSecond));
    values.Add(1);
    values.Add(2);
    EXPECT_FALSE(curve.KeysAdd(times, values));
    values.Add(3);
    interpolations.Add(kLyInterpolationLinear);
    EXPECT_FALSE(curve.KeysAdd(times, values, interpolations));
    EXPECT_FALSE(curve.KeysAdd(LyArrayTemplate<LyTime>(), LyArrayTemplate<double>()));
    EXPECT_EQ(curve.Keys.GetCount(), 0);
    EXPECT_EQ(Host()->EditDepth(), 0);
    ASSERT_TRUE(curve.KeysAdd(times, values));
    EXPECT_EQ(Host()->EditDepth(), 0);
    ASSERT_EQ(curve.Keys.GetCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Flags(i), 0x0108u);
    Host()->SetLocked(true);
    EXPECT_FALSE(curve.KeysAdd(times, values));
    Host()->SetLocked(false);

    LyArrayTemplate<unsigned int> indexes;
    LyArrayTemplate<double> newValues;
    indexes.Add(1);
    indexes.Add(7);
    newValues.Add(20);
    EXPECT_FALSE(curve.KeysSetValues(indexes, newValues));  // counts differ
    newValues.Add(70);
    LyArrayTemplate<LyInterpolation> linear;
    linear.Add(kLyInterpolationLinear);
    linear.Add(kLyInterpolationLinear);
    LyArrayTemplate<LyTangentMode> tcb;
    tcb.Add(kLyTangentModeTCB);
    tcb.Add(kLyTangentModeTCB);
    EXPECT_TRUE(curve.KeysSetValues(indexes, newValues, linear, tcb));
    EXPECT_EQ(curve.KeyGetValue(1), 20.0f);
    EXPECT_EQ(Flags(1), 0x04u);  // linear: no tangent flags
    EXPECT_EQ(Host()->EditDepth(), 0);
    indexes.Clear();
    indexes.Add(9);
    indexes.Add(static_cast<unsigned int>(-1));
    EXPECT_FALSE(curve.KeysSetValues(indexes, newValues));
}

TEST_F(SdkCurve, DestructiveEditsAreUndoable) {
    velora::UndoStack& undo = velora::UndoStack::Instance();
    for (int i = 0; i < 4; ++i) curve.KeyAdd(LyTime(i * kSecond), i, kLyInterpolationLinear);
    // A failed delete outside any transaction leaves the stack as it was.
    EXPECT_FALSE(curve.KeyDelete(2, 9));
    EXPECT_FALSE(curve.KeyDelete(LyTime(10 * kSecond), LyTime(20 * kSecond)));
    EXPECT_FALSE(curve.KeyOffset(LyTime(kSecond), 0, 0));  // onto key 1
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_FALSE(undo.IsOpen());
    ASSERT_TRUE(curve.KeyDelete(1, 2));
    ASSERT_EQ(undo.UndoCount(), 1);
    EXPECT_STREQ(undo.UndoName(0), "KeyDelete");
    ASSERT_TRUE(curve.KeyOffset(LyTime(kSecond), LyTime(3 * kSecond), LyTime(3 * kSecond), true));
    EXPECT_STREQ(undo.UndoName(0), "KeyOffset");
    EXPECT_EQ(curve.KeyGetTime(1).Get(), 4 * kSecond);
    undo.Undo();
    EXPECT_EQ(curve.KeyGetTime(1).Get(), 3 * kSecond);
    undo.Undo();
    EXPECT_EQ(curve.Keys.GetCount(), 4);
    undo.Redo();
    EXPECT_EQ(curve.Keys.GetCount(), 2);
    // Inside an outer transaction a failed edit leaves its record there.
    undo.Begin("Outer");
    EXPECT_FALSE(curve.KeyDelete(5, 6));
    EXPECT_TRUE(undo.IsOpen());
    undo.End();
    // KeyRemove makes no record.
    const int before = undo.UndoCount();
    EXPECT_TRUE(curve.KeyRemove(0));
    EXPECT_EQ(undo.UndoCount(), before);
}

TEST_F(SdkCurve, KeyViewsAndFreeKeys) {
    curve.KeyAdd(LyTime(0), 1.0, kLyInterpolationLinear);
    curve.KeyAdd(LyTime(kSecond), 2.0, kLyInterpolationLinear);
    LyFCurveKey view = curve.Keys[1];
    EXPECT_EQ(static_cast<float>(view.Value), 2.0f);
    view.Value = 5.0f;
    view.Interpolation = kLyInterpolationCubic;
    view.TangentMode = kLyTangentModeTCB;
    view.Tension = 0.5f;
    EXPECT_EQ(curve.KeyGetValue(1), 5.0f);
    EXPECT_EQ(Flags(1), 0x0208u);
    EXPECT_EQ(curve.KeyGetTCBTension(1), 0.5f);
    EXPECT_STREQ(view.TangentMode.AsString(), "kLyTangentModeTCB");
    EXPECT_TRUE(view.Interpolation.SetString("kLyInterpolationConstant"));
    EXPECT_EQ(curve.KeyGetInterpolation(1), kLyInterpolationConstant);
    EXPECT_TRUE(curve.Keys[1] == view);
    EXPECT_FALSE(curve.Keys[0] == view);
    EXPECT_EQ(curve.Keys.Find(view), 1);

    // A free key keeps its own record, with the same key rules.
    LyFCurveKey free;
    free.Time = LyTime(3 * kSecond);
    free.Value = 9.0f;
    free.Interpolation = kLyInterpolationLinear;
    free.TangentBreak = true;  // not cubic: no break
    EXPECT_FALSE(static_cast<bool>(free.TangentBreak));
    EXPECT_EQ(curve.Keys.Add(free), 2);
    EXPECT_EQ(curve.KeyGetValue(2), 9.0f);
    EXPECT_EQ(Flags(2), 0x0104u);  // only the interpolation was written
    EXPECT_EQ(curve.Keys.Remove(curve.Keys[0]), 0);
    EXPECT_EQ(curve.Keys.GetCount(), 2);
}

TEST(SdkCurveStatics, InterpolatorCurvesAndEventTypes) {
    LyFCurve* smooth = LyFCurve::CreateInterpolatorCurve(kLyInterpolatorCurveSmoothIn);
    ASSERT_NE(smooth, nullptr);
    EXPECT_EQ(smooth->Evaluate(LyTime(0)), 0.0f);
    EXPECT_NEAR(smooth->Evaluate(LyTime(velora::kTicksPerSecond / 2)), 0.5f, 1e-6);
    EXPECT_EQ(smooth->Evaluate(LyTime(velora::kTicksPerSecond)), 1.0f);
    EXPECT_EQ(smooth->KeyGetRightDerivative(0), 0.0f);
    smooth->LyDelete();
    EXPECT_EQ(LyFCurveEventTypeOf(0x8008010u), kLyFCurveEventTypeKeyPreExtrapolationChanged);
    EXPECT_EQ(LyFCurveEventTypeOf(0x10008010u), kLyFCurveEventTypeKeyPostExtrapolationChanged);
    EXPECT_EQ(LyFCurveEventTypeOf(velora::kCurveEventKey | velora::kCurveEventKeyAdd), kLyFCurveEventTypeKeyAdded);
    EXPECT_EQ(LyFCurveEventTypeOf(0), kLyFCurveEventTypeUnknownOperation);
}

}  // namespace
