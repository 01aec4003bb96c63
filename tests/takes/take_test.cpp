// Takes, layers and plotting, through LyTake and the host's scene.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/device.h>
#include <velora/plot.h>
#include <velora/scene_io.h>
#include <velora/take.h>
#include <velora/timing.h>
#include <velora/transport.h>

#include "scene/scene_fixture.h"

using namespace VELSDK2025;

namespace {

constexpr long long kSecond = 141120000;
constexpr long long kFrame = kSecond / 30;

class TakeTest : public lysdk_test::SceneTest {
protected:
    void SetUp() override {
        velora::Transport::Instance().Reset();
        before_.Reset(velora::CurrentTake(false));
    }
    void TearDown() override {
        if (before_.Get()) Scene().SetCurrentTake(static_cast<velora::Object*>(before_.Get()));
        SceneTest::TearDown();
        velora::Transport::Instance().Reset();
    }
    // A new take of the scene, made current.
    velora::Take* NewTake(const char* name) {
        velora::Take* take = Keep(velora::Take::Create(name));
        Scene().SetCurrentTake(take);
        return take;
    }
    static LyTake* TakeOf(velora::Take* take) { return static_cast<LyTake*>(LyGetLyComponent(take, true)); }
    static void Key(velora::Property* p, velora::AnimationLayer* layer, long long t, const double* v,
                    std::uint32_t lockMask = 0) {
        velora::AnimationNode* node = velora::EnsureLayerNode(p, layer);
        ASSERT_NE(node, nullptr);
        ASSERT_TRUE(node->KeyAdd(t, v, velora::kKeyLinear, lockMask));
    }
    static const double* Value(velora::Property* p) { return static_cast<const double*>(p->ValuePtr()); }

private:
    velora::PlugHandle before_;
};

// Each mode against values worked out here: the layer keys X and Y only, so
// Z keeps the base layer's value; a muted layer or one outside the solo
// layers leaves the base.
TEST_F(TakeTest, EachLayerModeBlendsAsComputed) {
    velora::Model* model = AddModel("Blended");
    velora::Property* t = model->TranslationProperty();
    const double base[3] = {10, 20, 30}, up[3] = {4, -6, 99};
    struct Case {
        LyLayerMode mode;
        double weight;  // percent
        bool mute, otherSolo;
        double (*blend)(double w, double below, double x);
    } cases[] = {
        {kLyLayerModeAdditive, 100, false, false, [](double w, double b, double x) { return b + w * x; }},
        {kLyLayerModeAdditive, 25, false, false, [](double w, double b, double x) { return b + w * x; }},
        {kLyLayerModeOverride, 100, false, false, [](double, double, double x) { return x; }},
        {kLyLayerModeOverride, 40, false, false, [](double w, double b, double x) { return b + w * (x - b); }},
        {kLyLayerModeOverridePassthrough, 100, false, false, [](double, double, double x) { return x; }},
        {kLyLayerModeOverridePassthrough, 30, false, false,
         [](double w, double b, double x) { return x + (1 - w) * b; }},
        {kLyLayerModeOverride, 100, true, false, [](double, double b, double) { return b; }},
        {kLyLayerModeAdditive, 100, false, true, [](double, double b, double) { return b; }},
    };
    for (const Case& c : cases) {
        velora::Take* take = NewTake("Blend");
        Key(t, take->BaseLayer(), 0, base);
        velora::AnimationLayer* layer = take->CreateLayer();
        Key(t, layer, 0, up, 4u);  // Z locked: no key
        velora::AnimationLayer* solo = take->CreateLayer();
        LyTake* sdk = TakeOf(take);
        ASSERT_NE(sdk, nullptr);
        LyAnimationLayer* l = sdk->GetLayer(1);
        ASSERT_NE(l, nullptr);
        l->LayerMode = c.mode;
        l->Weight = c.weight;
        l->Mute = c.mute;
        sdk->GetLayer(2)->Solo = c.otherSolo;
        ASSERT_EQ(static_cast<LyLayerMode>(l->LayerMode), c.mode);
        LyPlayerControl::TheOne().Goto(LyTime(kFrame));
        for (int m = 0; m < 2; ++m)
            EXPECT_NEAR(Value(t)[m], c.blend(c.weight / 100, base[m], up[m]), 1e-9)
                << "mode " << c.mode << " weight " << c.weight << " member " << m;
        EXPECT_NEAR(Value(t)[2], base[2], 1e-9);
        (void)solo;
        take->Destroy(0);
    }
}

TEST_F(TakeTest, LayersByNameIdAndPosition) {
    velora::Take* take = NewTake("Layers");
    LyTake* sdk = TakeOf(take);
    sdk->CreateNewLayer();
    sdk->CreateNewLayer();
    ASSERT_EQ(sdk->GetLayerCount(), 3);
    EXPECT_EQ(sdk->GetCurrentLayer(), 2);
    for (const char* name : {"animlayer1", "ANIMLAYER1", "AnimLayer1"}) {
        LyAnimationLayer* found = sdk->GetLayerByName(name);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(found->GetLayerIndex(), 1);
    }
    EXPECT_EQ(sdk->GetLayerByName("AnimLayer9"), nullptr);
    EXPECT_EQ(sdk->GetLayer(3), nullptr);
    sdk->SetCurrentLayer(7);  // ignored
    EXPECT_EQ(sdk->GetCurrentLayer(), 2);
    LyAnimationLayer* top = sdk->GetLayer(2);
    top->SetParentLayer(sdk->GetLayer(1));
    EXPECT_EQ(sdk->GetLayer(1)->GetChildCount(), 1);
    sdk->GetLayer(1)->SetParentLayer(top);  // a cycle is refused
    EXPECT_EQ(sdk->GetLayer(1)->GetParentLayer(), nullptr);
    top->SelectLayer(true, true);
    EXPECT_EQ(sdk->GetCurrentLayer(), 2);
    sdk->RemoveLayer(1);  // its child moves up to the base
    EXPECT_EQ(sdk->GetLayerCount(), 2);
    EXPECT_EQ(top->GetParentLayer(), nullptr);

    // GetAnimationNode(take) answers the node of that take, not the current one.
    velora::Model* model = AddModel("PerTake");
    const double one[3] = {1, 1, 1};
    Key(model->TranslationProperty(), take->BaseLayer(), 0, one);
    velora::Take* other = NewTake("Other");
    LyModel* m = Wrap(model);
    auto* translation = static_cast<LyPropertyAnimatable*>(m->PropertyList.Find("Lcl Translation"));
    EXPECT_EQ(translation->GetAnimationNode(), nullptr);
    take->SetCurrentLayer(0);
    LyAnimationNode* node = translation->GetAnimationNode(sdk);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(velora::AsObject(node->GetHIObject()),
              static_cast<velora::Object*>(velora::LayerNode(model->TranslationProperty(), take->BaseLayer())));
    LyTake* copy = sdk->CopyTake("Layers Copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetLayerCount(), 2);
    EXPECT_NE(translation->GetAnimationNode(copy), nullptr);
    EXPECT_NE(translation->GetAnimationNode(copy), node);
    copy->LyDelete();
    (void)other;
}

TEST_F(TakeTest, PlotOptionsDefaultsAndNullOptions) {
    const LyPlotOptions o;
    EXPECT_EQ(o.mPlotPeriod.Get(), kSecond / 30);
    EXPECT_DOUBLE_EQ(o.mPlotPeriod.GetSecondDouble(), 0.03333333333333333);
    EXPECT_EQ(o.mRotationFilterToApply, kLyRotationFilterUnroll);
    EXPECT_EQ(o.mPlotTangentMode, kLyPlotTangentModeSmooth);
    EXPECT_FALSE(o.mPlotAllTakes);
    EXPECT_TRUE(o.mPlotOnFrame);
    EXPECT_STREQ(LyEnumTexts(static_cast<LyRotationFilter*>(nullptr))[kLyRotationFilterUnroll],
                 "kLyRotationFilterUnroll");

    velora::Model* model = AddModel("Unplotted");
    velora::Take* take = NewTake("NullPlot");
    LyArrayTemplate<LyBox*> boxes;
    boxes.Add(Wrap(model));
    TakeOf(take)->PlotTakeOnObjects(static_cast<LyPlotOptions*>(nullptr), &boxes);
    EXPECT_FALSE(model->TranslationProperty()->HasFlag(velora::kPropertyAnimated));
    std::vector<velora::AnimationNode*> nodes;
    take->CollectNodes(&nodes);
    EXPECT_TRUE(nodes.empty());
}

TEST_F(TakeTest, RotationFiltersKeepTheMotionContinuous) {
    // Unroll: a spin through +-180 stays one way round.
    std::vector<double> spin = {170, 0, 0, -175, 0, 0, -160, 0, 0};
    velora::FilterRotations(spin.data(), 3, velora::kRotationFilterUnroll);
    EXPECT_DOUBLE_EQ(spin[3], 185);
    EXPECT_DOUBLE_EQ(spin[6], 200);
    // Gimbal killer: the flipped triple of the same rotation is closer.
    std::vector<double> flip = {10, 80, 20, 190, 100, 200};
    velora::FilterRotations(flip.data(), 2, velora::kRotationFilterGimbalKiller);
    EXPECT_NEAR(flip[3], 10, 1e-9);
    EXPECT_NEAR(flip[4], 80, 1e-9);
    EXPECT_NEAR(flip[5], 20, 1e-9);
    std::vector<double> none = flip;
    velora::FilterRotations(none.data(), 2, velora::kRotationFilterNone);
    EXPECT_EQ(none, flip);
}

// Recorded keys plus an additive layer, plotted: the base layer holds the
// blend at every frame, the layer's curves are gone, and the take comes back
// from a scene file key for key, bit for bit.
TEST_F(TakeTest, ARecordedThenPlottedTakeSavesAndReopensBitForBit) {
    const std::string path = ::testing::TempDir() + "takes-" + std::to_string(getpid()) + ".dsx";
    velora::Model* model = AddModel("Recorded");
    velora::Property* r = model->RotationProperty();
    velora::Take* take = NewTake("Recorded Take");
    take->SetLocalSpan(0, 10 * kFrame);
    for (int f = 0; f <= 10; ++f) {
        // The capture wraps at 180 degrees.
        const double x = 170.0 + 7 * f;
        const double sample[3] = {x > 180 ? x - 360 : x, 3.0 * f, -f * 0.5};
        ASSERT_TRUE(velora::RecordKey(r, f * kFrame, sample));
    }
    velora::AnimationLayer* layer = take->CreateLayer();
    const double offset[3] = {0, 10, 0};
    Key(r, layer, 0, offset);
    LyTake* sdk = TakeOf(take);
    LyArrayTemplate<LyBox*> boxes;
    boxes.Add(Wrap(model));
    LyPlotOptions options;
    sdk->PlotTakeOnObjects(&options, &boxes);

    velora::AnimationNode* node = velora::LayerNode(r, take->BaseLayer());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(velora::LayerNode(r, layer), nullptr);
    ASSERT_EQ(node->Curve(0)->KeyCount(), 11);
    // Past 180 the unroll filter keeps counting up.
    EXPECT_FLOAT_EQ(node->Curve(0)->KeyAt(10).value, 240.0f);
    EXPECT_FLOAT_EQ(node->Curve(1)->KeyAt(4).value, 22.0f);

    std::vector<velora::CurveState> saved(3);
    for (int m = 0; m < 3; ++m) node->Curve(m)->SaveState(&saved[static_cast<std::size_t>(m)]);
    std::string error;
    ASSERT_TRUE(velora::SaveScene(path, false, &error)) << error;
    take->Destroy(0);
    ASSERT_EQ(velora::FindTake("Recorded Take"), nullptr);
    ASSERT_TRUE(velora::OpenScene(path, &error)) << error;
    velora::Take* reopened = velora::FindTake("Recorded Take");
    ASSERT_NE(reopened, nullptr);
    Keep(reopened);
    EXPECT_EQ(reopened->LocalStop(), 10 * kFrame);
    EXPECT_EQ(reopened->LayerCount(), 2);
    velora::AnimationNode* back = velora::LayerNode(r, reopened->BaseLayer());
    ASSERT_NE(back, nullptr);
    for (int m = 0; m < 3; ++m) {
        velora::CurveState state;
        back->Curve(m)->SaveState(&state);
        const auto& want = saved[static_cast<std::size_t>(m)].keys;
        ASSERT_EQ(state.keys.size(), want.size());
        for (std::size_t k = 0; k < want.size(); ++k) {
            const velora::FCurveKey &a = state.keys[k], &b = want[k];
            EXPECT_EQ(a.time, b.time);
            EXPECT_EQ(std::memcmp(&a.value, &b.value, sizeof(float) * 11), 0) << "member " << m << " key " << k;
            EXPECT_EQ(a.flags, b.flags);
        }
    }
    std::remove(path.c_str());
}

// Merging every layer into the base keeps what the scene showed; offsets
// and deletions then move and remove the merged keys, member by member.
TEST_F(TakeTest, MergedLayersKeepTheBlendAndEditsMoveOrRemoveKeys) {
    velora::Model* model = AddModel("Merged");
    velora::Property* t = model->TranslationProperty();
    velora::Take* take = NewTake("Merge");
    const double base[3] = {10, 0, 0}, add[3] = {5, 1, 0}, over[3] = {20, 3, 0};
    Key(t, take->BaseLayer(), 0, base);
    Key(t, take->BaseLayer(), kSecond, base);
    velora::AnimationLayer* additive = take->CreateLayer();
    Key(t, additive, 0, add);
    velora::AnimationLayer* overriding = take->CreateLayer();
    overriding->SetMode(velora::kLayerModeOverride);
    const double half = 50;
    overriding->WeightProperty()->SetRaw(&half);
    Key(t, overriding, 0, over);
    LyPlayerControl::TheOne().Goto(LyTime(0));
    const double before[2] = {Value(t)[0], Value(t)[1]};
    EXPECT_DOUBLE_EQ(before[0], 17.5);  // (10 + 5) halfway to 20

    LyTake* sdk = TakeOf(take);
    sdk->MergeLayers(kLyAnimationLayerMergeAllLayersCompleteScene, true, kLyMergeLayerModeAutomatic);
    EXPECT_EQ(take->LayerCount(), 1);
    LyPlayerControl::TheOne().Goto(LyTime(kFrame));
    LyPlayerControl::TheOne().Goto(LyTime(0));
    EXPECT_DOUBLE_EQ(Value(t)[0], before[0]);
    EXPECT_DOUBLE_EQ(Value(t)[1], before[1]);

    velora::AnimationNode* node = velora::LayerNode(t, take->BaseLayer());
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(sdk->OffsetAnimation(LyTime(kSecond)));
    EXPECT_EQ(node->Curve(0)->KeyAt(0).time, kSecond);
    LyArrayTemplate<LyProperty*> properties;
    properties.Add(Wrap(model)->PropertyList.Find("Lcl Translation"));
    EXPECT_TRUE(sdk->DeleteAnimationOnProperties(&properties, LyTime(0), LyTime(3 * kSecond), true, -1, false,
                                                 kLyPropertyComponentX));
    EXPECT_EQ(node->Curve(0)->KeyCount(), 0);
    EXPECT_EQ(node->Curve(1)->KeyCount(), 2);
    EXPECT_TRUE(sdk->DeleteAnimation());
    EXPECT_EQ(node->Curve(1)->KeyCount(), 0);
    EXPECT_FALSE(sdk->DeleteAnimation());  // nothing left to delete
}

// A device's recorded samples land on the base layer of whichever take is
// current, even while an upper layer is the one being keyed.
TEST_F(TakeTest, RecordingGoesIntoTheCurrentTakesBaseLayer) {
    velora::Property* r = AddModel("Captured")->RotationProperty();
    velora::Take* first = NewTake("First Capture");
    first->CreateLayer();
    const double a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
    ASSERT_TRUE(velora::RecordKeys(r, 0, a));
    velora::Take* second = NewTake("Second Capture");
    ASSERT_TRUE(velora::RecordKeys(r, 0, b));
    ASSERT_TRUE(velora::RecordKeys(r, kFrame, b));
    EXPECT_EQ(velora::LayerNode(r, first->Layer(1)), nullptr);
    ASSERT_NE(velora::LayerNode(r, first->BaseLayer()), nullptr);
    EXPECT_EQ(velora::LayerNode(r, first->BaseLayer())->KeyCount(), 3);
    ASSERT_NE(velora::LayerNode(r, second->BaseLayer()), nullptr);
    EXPECT_EQ(velora::LayerNode(r, second->BaseLayer())->KeyCount(), 6);
    EXPECT_FALSE(velora::RecordKeys(nullptr, 0, a));
}

}  // namespace
