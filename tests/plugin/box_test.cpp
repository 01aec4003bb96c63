// LyBox through its bridge: connectors, evaluation forwarding, modes,
// defaults, placeholders.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/box.h>
#include <velora/model.h>
#include <velora/relation.h>

using namespace VELSDK2025;

namespace box_test {

// A plug-in box that overrides nothing.
class Plain : public LyBox {
    LYSDK_CLASS_DECLARE(Plain, LyBox)
public:
    explicit Plain(const char* name) : LyBox(name) {}
};
LYSDK_CLASS_IMPLEMENT(Plain, 0)

// out = in * factor, counting its calls.
class Scale : public LyBox {
    LYSDK_CLASS_DECLARE(Scale, LyBox)
public:
    explicit Scale(const char* name) : LyBox(name) {
        double lo = 0, hi = 10;
        mIn = AnimationNodeInCreate(0, "In", "Number");
        mFactor = AnimationNodeInCreate(1, "Factor", "Number", true, &lo, &hi, true);
        mOut = AnimationNodeOutCreate(2, "Out", "Number");
    }
    bool EvaluateAnimationNodes(LyEvaluateInfo*) override {
        ++wholeCalls;
        return true;
    }
    bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info) override {
        ++outputCalls;
        double v = 0, f = 1;
        mIn->ReadData(&v, info);
        mFactor->ReadData(&f, info);
        v *= f;
        return node == mOut && mOut->WriteData(&v, info);
    }
    LyAnimationNode *mIn, *mFactor, *mOut;
    int wholeCalls = 0, outputCalls = 0;
};
LYSDK_CLASS_IMPLEMENT(Scale, 0)

velora::Box* HostOf(LyBox* box) { return static_cast<velora::Box*>(box->GetHIObject()->IQuery(velora::kIdBox)); }

velora::EvaluationContext Context(long long time = 0) {
    velora::EvaluationContext c;
    c.time = time;
    c.evaluationId = velora::NextEvaluationId();
    return c;
}

LyEvaluateInfo* Info(velora::EvaluationContext& c) { return reinterpret_cast<LyEvaluateInfo*>(&c); }

}  // namespace box_test
using namespace box_test;

TEST(Boxes, ConnectorsAreCreatedIndexedAndDestroyedThroughTheBox) {
    auto* box = new Scale("scale");
    velora::Box* host = HostOf(box);
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(host->Name(), "scale");
    EXPECT_TRUE(box->CreatedHostObject());
    EXPECT_EQ(box->GetInConnectorCount(), 2);
    EXPECT_EQ(box->GetOutConnectorCount(), 1);
    for (int bad : {-1, 2}) EXPECT_EQ(box->GetInConnector(bad), nullptr);
    EXPECT_EQ(box->GetOutConnector(1), nullptr);
    EXPECT_EQ(box->GetInConnector(1), box->mFactor);
    EXPECT_EQ(box->mOut->GetDataDoubleArrayCount(), 1);
    EXPECT_EQ(box->mOut->GetSizeOfData(), 8);
    EXPECT_STREQ(box->mOut->GetDataTypeName(), "Number");
    EXPECT_EQ(box->mOut->GetOwnerBox(), box);
    EXPECT_EQ(box->AnimationNodeInCreate(9, "Text", "String"), nullptr);
    EXPECT_EQ(box->AnimationNodeInCreate(9, "Nope", "NoSuchType"), nullptr);

    // The user-data input is a property of the box, with its limits; a
    // plain connector is not user data.
    EXPECT_TRUE(box->AnimationNodeIsUserData(box->mFactor));
    EXPECT_FALSE(box->AnimationNodeIsUserData(box->mIn));
    velora::Property* factor = host->FindProperty("Factor");
    ASSERT_NE(factor, nullptr);
    EXPECT_EQ(factor->Definition().Max(), 10);
    // A node that is not animatable is handed back without limits.
    double lo = 1, hi = 2;
    LyAnimationNode* fixed = box->AnimationNodeInCreate(3, "Fixed", "Number", false, &lo, &hi);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(host->FindProperty("Fixed"), nullptr);

    EXPECT_TRUE(box->AnimationNodeDestroy(box->mFactor));
    EXPECT_EQ(host->FindProperty("Factor"), nullptr);
    EXPECT_EQ(box->GetInConnectorCount(), 2);  // In and Fixed
    EXPECT_TRUE(box->AnimationNodeDestroy(fixed));
    EXPECT_EQ(box->GetInConnectorCount(), 1);
    EXPECT_EQ(box->AnimationNodeInGet()->GetNodeCount(), 1);
    box->LyDelete();
}

TEST(Boxes, TheHostEvaluatesAPlugInBoxOncePerEvaluationThroughBothHooks) {
    auto* up = new Scale("up");
    auto* down = new Scale("down");
    double two = 2, three = 3, five = 5;
    up->mIn->WriteData(&two);
    up->mFactor->WriteData(&three);
    down->mFactor->WriteData(&five);
    // Connected through the SDK's plug road; closing the loop is refused.
    ASSERT_TRUE(down->mIn->ConnectSrc(up->mOut));
    EXPECT_FALSE(up->mIn->ConnectSrc(down->mOut));
    velora::EvaluationContext c = Context();
    double v = 0;
    ASSERT_TRUE(down->mOut->ReadData(&v, Info(c)));
    EXPECT_EQ(v, 30);
    ASSERT_TRUE(down->mOut->ReadData(&v, Info(c)));
    EXPECT_EQ(up->wholeCalls, 1);
    EXPECT_EQ(up->outputCalls, 1);
    EXPECT_EQ(down->outputCalls, 1);
    // A connected input takes no value of its own.
    EXPECT_FALSE(down->mIn->WriteData(&two));
    down->LyDelete();
    up->LyDelete();
}

TEST(Boxes, APlugInBoxThatOverridesNothingComputesAndStoresNothing) {
    auto* box = new Plain("plain");
    LyAnimationNode* out = box->AnimationNodeOutCreate(0, "Out", "Vector");
    velora::Box* host = HostOf(box);
    velora::EvaluationContext c = Context();
    auto* hostOut = static_cast<velora::AnimationNode*>(velora::AsObject(out->GetHIObject()));
    EXPECT_FALSE(host->EvaluateConnector(hostOut, c));
    EXPECT_TRUE(host->EvaluateConnectors(c));  // the whole-box default
    EXPECT_FALSE(box->ResolveCandidate(out, nullptr));
    double values[3] = {1, 2, 3};
    EXPECT_EQ(box->SetStdCandidate(out, values, nullptr), LyBox::kLyCandidateNone);
    EXPECT_EQ(box->SetGlobalCandidate(out, values, nullptr), LyBox::kLyCandidateNone);
    LyDsxObject dsx;
    EXPECT_FALSE(box->DsxStore(&dsx, kLyDsxStoreFields));
    EXPECT_FALSE(box->DsxRetrieve(&dsx, kLyDsxStoreFields));
    EXPECT_STREQ(box->DsxGetObjectType(), "Box");
    EXPECT_STREQ(box->DsxGetObjectSubType(), "__LyBox");
    box->SetStorageSubType("PlainBox");
    EXPECT_STREQ(box->DsxGetObjectSubType(), "PlainBox");
    // The bridge reports the plug-in class as a custom object.
    EXPECT_TRUE(host->IsCustomObject());
    EXPECT_STREQ(host->CustomClassName(), "Plain");
    box->LyDelete();
}

TEST(Boxes, LiveAndRecordModeReadAndWriteTheHostModes) {
    auto* box = new Plain("modes");
    velora::Box* host = HostOf(box);
    EXPECT_TRUE(box->Live);
    box->Live = false;
    EXPECT_EQ(host->PlayMode(), 1);
    host->SetPlayMode(2);
    EXPECT_FALSE(box->Live);  // only play mode 0 is live
    host->SetPlayMode(0);
    EXPECT_TRUE(box->Live);

    EXPECT_FALSE(box->RecordMode);
    box->RecordMode = true;
    EXPECT_EQ(host->RecordMode(), 1);
    host->SetRecordMode(3);
    EXPECT_FALSE(box->RecordMode);
    box->Animatable = false;
    EXPECT_FALSE(host->IsAnimatableBox());
    box->LyDelete();

    // Over something that is not a host object nothing is bound.
    velora::Plug* bare = velora::Plug::Create();
    {
        LyBox unbound(static_cast<HIObject>(bare));
        EXPECT_FALSE(unbound.Live);
        EXPECT_EQ(unbound.GetInConnectorCount(), 0);
        EXPECT_EQ(unbound.GetInConnector(0), nullptr);
        EXPECT_EQ(unbound.AnimationNodeOutCreate(0, "Out", "Number"), nullptr);
    }
    bare->Destroy(0);
}

TEST(Boxes, PlaceholdersAreWrappedWithTheirReferences) {
    velora::Relation* relation = velora::Relation::Create("rel");
    velora::Model* model = velora::Model::Create("Driven");
    velora::ModelPlaceholder* holder = relation->AddModelPlaceholder(model);
    auto* wrapper = static_cast<LyModelPlaceHolder*>(LyGetLyComponent(holder, true));
    ASSERT_TRUE(wrapper->Is(LyModelPlaceHolder::TypeInfo));
    LyModel* target = wrapper->Model;
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetHIObject(), static_cast<IObject*>(model));
    EXPECT_FALSE(wrapper->UseGlobalTransforms);
    wrapper->UseGlobalTransforms = true;
    EXPECT_TRUE(holder->UsesGlobalTransforms());
    EXPECT_EQ(wrapper->GetOutConnectorCount(), 3);
    EXPECT_STREQ(wrapper->GetOutConnector(0)->GetName(), "Translation");

    auto* box = new Scale("seen");
    velora::BoxPlaceholder* mirror = relation->AddBoxPlaceholder(HostOf(box));
    auto* mirrorWrapper = static_cast<LyBoxPlaceHolder*>(LyGetLyComponent(mirror, true));
    EXPECT_EQ(static_cast<LyBox*>(mirrorWrapper->Box), box);
    EXPECT_EQ(mirrorWrapper->GetOutConnectorCount(), 1);
    mirrorWrapper->Box = nullptr;
    EXPECT_EQ(mirror->Target(), nullptr);
    relation->Destroy(0);
    box->LyDelete();
    model->Destroy(0);
}
