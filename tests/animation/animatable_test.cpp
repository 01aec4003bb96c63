// Animatable properties: keying, values following their curves as time
// moves, locks, muting, focus, colours and the wrapper factory.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/object.h>
#include <velora/property.h>
#include <velora/scene_events.h>
#include <velora/time.h>

#include "common/event_log.h"

using namespace VELSDK2025;

namespace {

constexpr long long kSecond = velora::kTicksPerSecond;

// Counts the scene's keying notifications of one action.
struct KeyingCount : lysdk_test::EventLog {
    explicit KeyingCount(int action)
        : EventLog(velora::SceneEvents::Instance().Keying(), {velora::kSceneKeyingNotify}) {
        then = [this, action](EventRecord* r) { count += static_cast<velora::KeyingNotifyRecord*>(r)->action == action; };
    }
    int count = 0;
};

class AnimatableTest : public ::testing::Test {
protected:
    void SetUp() override {
        velora::SetCurrentTime(0);
        host = velora::Object::Create("Animated");
        owner = LyGetLyComponent(host, true);
    }
    void TearDown() override {
        velora::KeyingSelection::Instance().Clear();
        velora::PropertyViewMarks::Instance().ClearAll();
        host->Destroy(0);
        velora::SetCurrentTime(0);
    }
    // The wrapper the factory gives a new animatable host property.
    template <class W>
    W* Make(const char* name, int type) {
        velora::Property* p = host->CreateProperty(name, type, velora::kCreateAnimatable);
        LyProperty* wrapper = owner->PropertyList.Find(name);
        EXPECT_NE(p, nullptr);
        EXPECT_TRUE(wrapper && wrapper->Is(LyPropertyAnimatable::TypeInfo)) << name;
        return static_cast<W*>(wrapper);
    }
    velora::Object* host = nullptr;
    LyComponent* owner = nullptr;
};

TEST_F(AnimatableTest, FactoryGivesAnimatableClassesToAnimatableProperties) {
    host->CreateProperty("Plain", velora::kDataNumber);
    LyProperty* plain = owner->PropertyList.Find("Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->Is(LyPropertyAnimatable::TypeInfo));
    EXPECT_FALSE(plain->IsAnimatable());

    auto* number = Make<LyPropertyAnimatableDouble>("Gain", velora::kDataNumber);
    EXPECT_TRUE(number->IsAnimatable());
    EXPECT_EQ(number->GetPropertyType(), kLyPropertyTypeDouble);
    auto* vector = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    EXPECT_EQ(vector->GetPropertyType(), kLyPropertyTypeVector3d);
    auto* color = Make<LyPropertyAnimatableColor>("Tint", velora::kDataColor);
    EXPECT_EQ(color->GetPropertyType(), kLyPropertyTypeColorRGB);
    auto* e = Make<LyPropertyAnimatableEnum>("Mode", velora::kDataEnum);
    EXPECT_EQ(e->GetPropertyType(), kLyPropertyTypeEnum);
    auto* action = Make<LyPropertyAnimatableAction>("Go", velora::kDataAction);
    EXPECT_EQ(action->GetPropertyType(), kLyPropertyTypeAction);
    EXPECT_EQ(vector->GetDataSize(), 24);
    EXPECT_STREQ(vector->GetDataTypeName(), "Vector");
}

TEST_F(AnimatableTest, KeyAnimatesAPlainPropertyAtTheCurrentTime) {
    auto* gain = Make<LyPropertyAnimatableDouble>("Gain", velora::kDataNumber);
    *gain = 3.0;
    EXPECT_FALSE(gain->IsAnimated());
    EXPECT_EQ(gain->GetAnimationNode(), nullptr);
    KeyingCount keys(velora::kActKeyingKey);

    velora::SetCurrentTime(2 * kSecond);
    gain->Key();
    EXPECT_TRUE(gain->IsAnimated());
    EXPECT_TRUE(gain->GetPropertyFlag(kLyPropertyFlagAnimated));
    LyAnimationNode* node = gain->GetAnimationNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetKeyCount(), 1);
    EXPECT_TRUE(node->IsKey());
    EXPECT_EQ(keys.count, 1);
    velora::FCurve* curve = velora::PropertyAnimationNode(velora::AsProperty(gain->GetInternal()))->Curve();
    ASSERT_EQ(curve->KeyCount(), 1);
    EXPECT_EQ(curve->KeyAt(0).time, 2 * kSecond);
    EXPECT_EQ(curve->KeyAt(0).value, 3.0f);
    // The same node wrapper every time.
    EXPECT_EQ(gain->GetAnimationNode(), node);
    EXPECT_EQ(gain->GetAnimationNode(reinterpret_cast<LyTake*>(node)), nullptr);
}

TEST_F(AnimatableTest, ValueFollowsTheCurveAsTheCurrentTimeMoves) {
    auto* gain = Make<LyPropertyAnimatableDouble>("Gain", velora::kDataNumber);
    *gain = 0.0;
    gain->KeyAt(LyTime(0));
    *gain = 10.0;            // animated now: the write is the candidate at time 0...
    EXPECT_EQ(static_cast<double>(*gain), 10.0);
    gain->KeyAt(LyTime(kSecond));  // ...and is keyed at 1 s
    velora::FCurve* curve = velora::PropertyAnimationNode(velora::AsProperty(gain->GetInternal()))->Curve();
    ASSERT_EQ(curve->KeyCount(), 2);
    for (int i = 0; i < 2; ++i) {
        velora::FCurveKey key;
        curve->GetKey(i, &key);
        key.flags = velora::kKeyLinear;
        curve->SetKey(i, key);
    }
    velora::SetCurrentTime(0);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 0.0);
    velora::SetCurrentTime(kSecond / 4);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 2.5);
    velora::SetCurrentTime(kSecond / 2);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 5.0);
    velora::SetCurrentTime(3 * kSecond);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 10.0);

    // A background evaluation reads another time without moving the current one.
    velora::EvaluationContext* background = velora::BeginBackgroundEvaluation(kSecond / 10);
    double value = -1;
    gain->GetData(&value, sizeof value, reinterpret_cast<LyEvaluateInfo*>(background));
    EXPECT_DOUBLE_EQ(value, 1.0);
    velora::EndBackgroundEvaluation(background);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 10.0);

    // A candidate shows at its time and goes when the time moves unkeyed.
    velora::SetCurrentTime(kSecond / 2);
    double proposed = 42.0;
    gain->SetCandidate(&proposed, sizeof proposed);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 42.0);
    velora::SetCurrentTime(kSecond / 2 + 1);
    EXPECT_NEAR(static_cast<double>(*gain), 5.0, 1e-6);
}

TEST_F(AnimatableTest, VectorMembersHaveOneCurveEach) {
    auto* position = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    *position = LyVector3<double>(1, 2, 3);
    position->Key();
    LyAnimationNode* node = position->GetAnimationNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetNodeCount(), 3);
    EXPECT_EQ(node->GetKeyCount(), 3);
    ASSERT_NE(node->GetNode(1), nullptr);
    EXPECT_EQ(node->GetNode(1)->GetKeyCount(), 1);
    velora::SetCurrentTime(kSecond);
    *position = LyVector3<double>(4, 5, 6);
    position->Key();
    velora::SetCurrentTime(kSecond / 2);
    const LyVector3<double> half = *position;
    // Two cubic auto keys: each end's slope is the secant, so the middle is
    // the mean.
    EXPECT_NEAR(half[0], 2.5, 1e-6);
    EXPECT_NEAR(half[1], 3.5, 1e-6);
    EXPECT_NEAR(half[2], 4.5, 1e-6);
}

TEST_F(AnimatableTest, KeyRemoveAtRemovesTheKey) {
    auto* gain = Make<LyPropertyAnimatableDouble>("Gain", velora::kDataNumber);
    KeyingCount removals(velora::kActKeyingDeleteKey);
    gain->KeyAt(LyTime(kSecond));
    gain->KeyAt(LyTime(2 * kSecond));
    ASSERT_EQ(gain->GetAnimationNode()->GetKeyCount(), 2);
    gain->KeyRemoveAt(LyTime(kSecond));
    EXPECT_EQ(gain->GetAnimationNode()->GetKeyCount(), 1);
    EXPECT_EQ(removals.count, 1);
    gain->KeyRemoveAt(LyTime(kSecond));  // nothing left there
    EXPECT_EQ(removals.count, 1);
    // On a property that is not animated it animates first.
    auto* other = Make<LyPropertyAnimatableDouble>("Other", velora::kDataNumber);
    other->KeyRemoveAt(LyTime(0));
    EXPECT_TRUE(other->IsAnimated());
}

TEST_F(AnimatableTest, LocksBlockAnimationAndKeying) {
    auto* position = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    position->SetMemberLocked(0, true);
    position->SetAnimated(true, true);
    EXPECT_FALSE(position->IsAnimated());
    position->SetAnimated(true, false);
    EXPECT_TRUE(position->IsAnimated());

    // The locked member gets no key.
    position->Key();
    velora::AnimationNode* node = velora::PropertyAnimationNode(velora::AsProperty(position->GetInternal()));
    EXPECT_EQ(node->Curve(0)->KeyCount(), 0);
    EXPECT_EQ(node->Curve(1)->KeyCount(), 1);
    EXPECT_EQ(node->Curve(2)->KeyCount(), 1);

    // Muting is refused while anything is locked.
    position->SetMuted(true);
    EXPECT_FALSE(position->HasSomethingMuted());
    position->SetMemberMuted(0, true);
    EXPECT_FALSE(position->IsMemberMuted(0));
    position->SetMemberMuted(1, true);  // member 1 is not locked
    EXPECT_TRUE(position->IsMemberMuted(1));

    position->SetAnimated(false);
    EXPECT_FALSE(position->IsAnimated());
    EXPECT_EQ(position->GetAnimationNode(), nullptr);
}

TEST_F(AnimatableTest, MutingNeedsAnimationAndKeepsTheStoredValue) {
    auto* gain = Make<LyPropertyAnimatableDouble>("Gain", velora::kDataNumber);
    gain->SetMuted(true);
    EXPECT_FALSE(gain->HasSomethingMuted());  // not animated
    EXPECT_TRUE(gain->AllowsMuting());

    *gain = 7.0;
    gain->KeyAt(LyTime(0));
    velora::AnimationNode* node = velora::PropertyAnimationNode(velora::AsProperty(gain->GetInternal()));
    velora::FCurveKey key;
    key.time = 0;
    key.value = 100.0f;
    node->Curve()->KeyAdd(key);
    velora::SetCurrentTime(kSecond);
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 100.0);
    gain->SetMuted(true);
    EXPECT_TRUE(gain->IsMuted());
    EXPECT_TRUE(gain->IsMemberMuted(0));
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 7.0);  // the stored value
    gain->SetMuted(false);
    EXPECT_FALSE(gain->HasSomethingMuted());
    EXPECT_DOUBLE_EQ(static_cast<double>(*gain), 100.0);

    // Three of four mute bits are not "muted".
    gain->ModifyPropertyFlag(static_cast<LyPropertyFlag>(0x70000), true);
    EXPECT_FALSE(gain->IsMuted());
    EXPECT_TRUE(gain->HasSomethingMuted());
}

TEST_F(AnimatableTest, MemberMuteReadsTheStoredMember) {
    auto* position = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    *position = LyVector3<double>(1, 2, 3);
    position->Key();
    velora::AnimationNode* node = velora::PropertyAnimationNode(velora::AsProperty(position->GetInternal()));
    for (int i = 0; i < 3; ++i) {
        velora::FCurveKey key;
        key.value = 50.0f;
        node->Curve(i)->KeyAdd(key);
    }
    velora::SetCurrentTime(kSecond);
    position->SetMemberMuted(1, true);
    const LyVector3<double> v = *position;
    EXPECT_EQ(v[0], 50.0);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_EQ(v[2], 50.0);
    position->SetMemberMuted(5, true);  // no such member
    EXPECT_EQ(position->GetPropertyFlags() & 0xF0000u, 0x20000u);
}

TEST_F(AnimatableTest, FocusOfPropertyAndMembers) {
    auto* position = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    EXPECT_FALSE(position->IsFocused());
    position->SetFocus(true);
    EXPECT_TRUE(position->IsFocused());
    EXPECT_TRUE(position->IsFocusedChild(2));
    EXPECT_FALSE(position->IsFocusedChild(3));
    position->SetFocus(false);
    EXPECT_FALSE(position->IsFocused());
    EXPECT_FALSE(position->IsFocusedChild(0));

    EXPECT_TRUE(position->SetFocusChild(1, true));
    EXPECT_FALSE(position->SetFocusChild(1, true));  // already
    EXPECT_FALSE(position->SetFocusChild(3, true));
    EXPECT_TRUE(position->IsFocusedChild(1));
    EXPECT_FALSE(position->IsFocused());
    // Unfocusing with a member focused drops the whole property.
    position->SetFocus(false);
    EXPECT_FALSE(position->IsFocusedChild(1));

    // Nothing focused: the editors' marks of the property are cleared.
    velora::Property* hostProperty = velora::AsProperty(position->GetInternal());
    velora::PropertyViewMarks& marks = velora::PropertyViewMarks::Instance();
    marks.Mark(host, hostProperty, -1);
    marks.Mark(host, hostProperty, 0);
    EXPECT_TRUE(position->SetFocusChild(0, false));  // unfocused already, whole marked
    EXPECT_FALSE(marks.IsMarked(host, hostProperty, 0));
    EXPECT_TRUE(marks.IsMarked(host, hostProperty, -1));
    position->SetFocus(false);
    EXPECT_FALSE(marks.IsMarked(host, hostProperty, -1));
}

TEST_F(AnimatableTest, DisplayColours) {
    auto* position = Make<LyPropertyAnimatableVector3d>("Position", velora::kDataVector);
    const LyColor red = position->GetColor(0);
    EXPECT_EQ(red[0], 1.0);
    EXPECT_EQ(red[1], 0.0);
    const LyColor none = position->GetColor(5);
    EXPECT_EQ(none[0], 0.0);
    EXPECT_EQ(none[1], 0.0);
    EXPECT_EQ(none[2], 0.0);

    EXPECT_FALSE(position->SetColor(LyColor(0.1, 0.2, 0.3), 3));
    EXPECT_TRUE(position->SetColor(LyColor(0.1, 0.2, 0.3), -1));
    for (int i = 0; i < 3; ++i) {
        const LyColor c = position->GetColor(i);
        EXPECT_EQ(c[0], static_cast<double>(0.1f));  // kept in single precision
        EXPECT_EQ(c[2], static_cast<double>(0.3f));
    }
    EXPECT_FALSE(position->SetColor(LyColor(0.1, 0.2, 0.3), 1));  // no change
    EXPECT_TRUE(position->ResetColor(1));
    EXPECT_FALSE(position->ResetColor(1));
    EXPECT_EQ(position->GetColor(1)[1], 1.0);
    EXPECT_TRUE(position->ResetColor(-1));
    EXPECT_EQ(position->GetColor(0)[0], 1.0);
}

TEST_F(AnimatableTest, InitCreatesTheHostPropertyWithItsDefault) {
    LyPropertyAnimatableDouble gain;
    double one = 1.5;
    EXPECT_EQ(gain.Init(owner, "Gain", "Number", &one), &gain);
    ASSERT_TRUE(gain.IsInternal());
    velora::Property* hostProperty = host->FindProperty("Gain");
    ASSERT_NE(hostProperty, nullptr);
    EXPECT_TRUE(hostProperty->IsAnimatable());
    EXPECT_EQ(static_cast<double>(gain), 1.5);
    // The manager lists the declared wrapper instead of making another.
    EXPECT_EQ(owner->PropertyList.Find("Gain"), &gain);

    LyPropertyAnimatableDouble bad;
    bad.Init(owner, "Bad", "NoSuchType", nullptr);
    EXPECT_FALSE(bad.IsInternal());

    // Assignment copies the wrapper: both refer to one host property.
    LyPropertyAnimatableDouble alias;
    alias = gain;
    EXPECT_EQ(alias.GetInternal(), gain.GetInternal());
    alias = 4.0;
    EXPECT_EQ(static_cast<double>(gain), 4.0);
    // The copy constructor makes an unbound wrapper.
    LyPropertyAnimatableDouble copy(gain);
    EXPECT_FALSE(copy.IsInternal());
    EXPECT_EQ(static_cast<double>(copy), 0.0);
    owner->PropertyList.Remove(&gain);
}

TEST_F(AnimatableTest, UnboundWrappersDoNothing) {
    LyPropertyAnimatableVector3d loose;
    loose.Key();
    loose.SetMuted(true);
    loose.SetFocus(true);
    EXPECT_FALSE(loose.IsAnimated());
    EXPECT_FALSE(loose.IsFocused());
    EXPECT_FALSE(loose.SetColor(LyColor(1, 1, 1), -1));
    EXPECT_EQ(loose.GetAnimationNode(), nullptr);
    EXPECT_EQ(loose.GetDataSize(), 0);
    EXPECT_EQ(loose.GetBox(), nullptr);
}

TEST_F(AnimatableTest, EndingThePropertyEndsItsNode) {
    velora::Property* p = host->CreateProperty("Temp", velora::kDataNumber,
                                               velora::kCreateAnimatable | velora::kCreateTemporary);
    ASSERT_TRUE(velora::SetPropertyAnimated(p, true));
    velora::AnimationNode* node = velora::PropertyAnimationNode(p);
    ASSERT_NE(node, nullptr);
    velora::PlugHandle watch(node);
    EXPECT_TRUE(host->RemoveProperty(p));
    EXPECT_FALSE(watch.Valid());
}

}  // namespace

namespace {

TEST(AnimationNodeWrapper, AConnectorIsWrappedAsItsNodeAndANodeMadeByNameBelongsToItsWrapper) {
    velora::AnimationNode* node = velora::AnimationNode::Create("Lone", 2);
    LyComponent* wrapper = LyGetLyComponent(node, true);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_TRUE(wrapper->Is(LyAnimationNode::TypeInfo));
    EXPECT_EQ(LyGetLyComponent(node->GetConnector(), true), wrapper);
    auto* animationNode = static_cast<LyAnimationNode*>(wrapper);
    EXPECT_EQ(animationNode->GetNodeCount(), 2);
    EXPECT_EQ(animationNode->GetNode(2), nullptr);
    // Not connected to a property: keying reads zeros and still keys.
    EXPECT_TRUE(animationNode->KeyCandidate(LyTime(0)));
    EXPECT_EQ(animationNode->GetKeyCount(), 2);
    EXPECT_TRUE(animationNode->KeyRemoveAt(LyTime(0)));
    EXPECT_EQ(animationNode->GetKeyCount(), 0);
    node->Destroy(0);

    // A node made by name belongs to its wrapper.
    auto* made = new LyAnimationNode("Made");
    velora::Object* host = velora::AsObject(made->GetHIObject());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->ClassId(), velora::kClassAnimationNode);
    EXPECT_STREQ(host->Name(), "Made");
    EXPECT_TRUE(made->IsSDKComponent());
    velora::PlugHandle watch(host);
    made->LyDelete();  // deletes the host node, which ends the wrapper
    EXPECT_FALSE(watch.Valid());
}

}  // namespace
