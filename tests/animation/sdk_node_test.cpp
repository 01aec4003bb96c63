// LyAnimationNode: keying with the connected property's locks, candidates,
// undo of keying, the node's properties, the forwarded queries and the
// data path.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/fcurve.h>
#include <velora/time.h>
#include <velora/undo.h>

#include "common/event_log.h"

using namespace VELSDK2025;

namespace {

constexpr long long kSecond = velora::kTicksPerSecond;

class SdkNode : public ::testing::Test {
protected:
    void SetUp() override {
        velora::SetCurrentTime(0);
        host = velora::Object::Create("Keyed");
        property = host->CreateProperty("Position", velora::kDataVector, velora::kCreateAnimatable);
        velora::SetPropertyAnimated(property, true);
        node = static_cast<LyAnimationNode*>(LyGetLyComponent(velora::PropertyAnimationNode(property), true));
    }
    void TearDown() override {
        velora::UndoStack::Instance().Clear(true);
        host->Destroy(0);
        velora::SetCurrentTime(0);
    }
    velora::AnimationNode* Host() { return velora::PropertyAnimationNode(property); }
    velora::Object* host = nullptr;
    velora::Property* property = nullptr;
    LyAnimationNode* node = nullptr;
};

TEST_F(SdkNode, KeyingLeavesLockedMembersAlone) {
    ASSERT_NE(node, nullptr);
    property->SetMemberLocked(1, true);
    double values[3] = {1, 2, 3};
    ASSERT_TRUE(node->KeyAdd(LyTime(kSecond), values, kLyInterpolationLinear));
    EXPECT_EQ(Host()->Curve(0)->KeyCount(), 1);
    EXPECT_EQ(Host()->Curve(1)->KeyCount(), 0);
    EXPECT_EQ(Host()->Curve(0)->KeyAt(0).flags, velora::kKeyLinear);
    // A member node answers to its own member's lock.
    double one = 9;
    EXPECT_FALSE(node->GetNode(1)->KeyAdd(LyTime(0), &one));
    EXPECT_TRUE(node->GetNode(2)->KeyAdd(LyTime(0), &one));
    property->SetMemberLocked(1, false);
    // Without a time: the current local time.
    velora::SetCurrentTime(2 * kSecond);
    EXPECT_FALSE(node->IsKey());
    ASSERT_TRUE(node->KeyAdd(values, kLyInterpolationCubic, kLyTangentModeBreak));
    EXPECT_TRUE(node->IsKey());
    EXPECT_EQ(Host()->Curve(1)->KeyAt(0).flags, 0x0C08u);
    EXPECT_TRUE(node->KeyRemove());
    EXPECT_FALSE(node->IsKey());
    EXPECT_EQ(static_cast<int>(node->KeyCount), 3);
}

TEST_F(SdkNode, CandidatesAndTheDefaultInterpolation) {
    node->DefaultInterpolation = kLyInterpolationConstant;
    EXPECT_STREQ(node->DefaultInterpolation.AsString(), "kLyInterpolationConstant");
    double proposed[3] = {4, 5, 6};
    ASSERT_TRUE(node->SetCandidate(proposed));
    ASSERT_TRUE(node->KeyCandidate());
    EXPECT_EQ(Host()->Curve(2)->KeyAt(0).value, 6.0f);
    EXPECT_EQ(Host()->Curve(2)->KeyAt(0).flags, velora::kKeyConstant);
    EXPECT_TRUE(node->DefaultInterpolation.SetString("kLyInterpolationCubic"));
    EXPECT_EQ(Host()->NodeSettings().defaultKeyFlags, velora::kKeyCubic | velora::kTangentAuto);
    Host()->SetLocked(true);
    EXPECT_FALSE(node->SetCandidate(proposed, true));
    EXPECT_TRUE(node->SetCandidate(proposed, false));
}

TEST_F(SdkNode, KeyingJoinsTheOpenTransactionAndIsHeardPerMember) {
    velora::UndoStack& undo = velora::UndoStack::Instance();
    double values[3] = {1, 2, 3};
    undo.Begin("Key");
    node->KeyAdd(LyTime(0), values);
    node->KeyAdd(LyTime(kSecond), values);  // the node is recorded once
    undo.End();
    EXPECT_EQ(undo.UndoEntryCount(0), 3);  // undoing them is the host stack's, tested there
    node->KeyAdd(LyTime(2 * kSecond), values);  // nothing open: no record
    EXPECT_EQ(undo.UndoCount(), 1);
    // OnChange hears every member curve.
    lysdk_test::EventLog heard;
    node->OnChange.Add(&heard, heard.Fn());
    node->KeyAdd(LyTime(3 * kSecond), values);
    EXPECT_EQ(heard.Count(), 3);
    node->OnChange.Remove(&heard, heard.Fn());
}

TEST_F(SdkNode, PropertiesOfTheNode) {
    EXPECT_EQ(node->Nodes.GetCount(), 3);
    LyAnimationNode* x = node->Nodes[0];
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(static_cast<LyAnimationNode*>(x->Parent), node);
    EXPECT_EQ(static_cast<LyFCurve*>(node->FCurve), nullptr);  // a vector's node holds no curve
    LyFCurve* curve = x->FCurve;
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->GetHIObject(), static_cast<IObject*>(Host()->Curve(0)));
    // Setting a curve copies it into the node's own.
    LyFCurve source;
    source.KeyAdd(LyTime(0), 7.0);
    source.SetPostExtrapolationMode(kFCurveExtrapolationRepetition);
    x->FCurve = &source;
    EXPECT_EQ(Host()->Curve(0)->KeyAt(0).value, 7.0f);
    EXPECT_EQ(Host()->Curve(0)->PostExtrapolation(), velora::kExtrapolationRepetition);
    node->Label = "Hand position";
    EXPECT_STREQ(static_cast<const char*>(node->UserName), "Hand position");
    node->Reference = 0xFFFFFFFFFFull;
    EXPECT_EQ(static_cast<unsigned long long>(node->Reference), 0xFFFFFFFFFFull);
    node->RecordMode = true;
    EXPECT_TRUE(node->GetAnimationToRecord());
    EXPECT_EQ(node->ConnectorType.AsString(), std::string("kLyAnimationNodeConnectorTypeNone"));
    EXPECT_EQ(node->GetSizeOfData(), 24);
    EXPECT_EQ(node->GetDataDoubleArrayCount(), 3);
    EXPECT_TRUE(node->GetAnimationToPlay());
    node->SetBufferType(true);
    EXPECT_TRUE(node->GetBufferType());
    EXPECT_EQ(node->ConvertGlobalToNodeTime(LyTime(5)).Get(), 5);
}

TEST_F(SdkNode, DataPath) {
    const double stored[3] = {1, 2, 3};
    property->SetRaw(stored);
    double read[3] = {0, 0, 0};
    ASSERT_TRUE(node->ReadData(read));
    EXPECT_EQ(read[2], 3.0);
    double keyed[3] = {10, 20, 30};
    node->KeyAdd(LyTime(0), keyed, kLyInterpolationLinear);
    double later[3] = {20, 40, 60};
    node->KeyAdd(LyTime(kSecond), later, kLyInterpolationLinear);
    ASSERT_TRUE(node->ReadData(read, LyTime(kSecond / 2)));
    EXPECT_DOUBLE_EQ(read[1], 30.0);
    // Writing with a context proposes the value at the context's time.
    velora::EvaluationContext* context = velora::BeginBackgroundEvaluation(kSecond / 4);
    auto* info = reinterpret_cast<LyEvaluateInfo*>(context);
    double proposed[3] = {-1, -2, -3};
    ASSERT_TRUE(node->WriteData(proposed, info));
    ASSERT_TRUE(node->ReadData(read, info));
    EXPECT_EQ(read[0], -1.0);
    ASSERT_TRUE(node->Evaluate(read, LyTime(kSecond / 4), false));
    EXPECT_DOUBLE_EQ(read[0], 12.5);
    velora::EndBackgroundEvaluation(context);
    // Without a context the static value is written.
    double statics[3] = {7, 8, 9};
    ASSERT_TRUE(node->WriteGlobalData(statics));
    double raw[3];
    property->GetRaw(raw);
    EXPECT_EQ(raw[1], 8.0);
}

}  // namespace
