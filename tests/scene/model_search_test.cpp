// The model searches: hierarchy orders, label names, picking colours and
// the last selected model.

#include "scene/scene_fixture.h"

#include <string>

#include <velora/entity.h>

using namespace VELSDK2025;
using lysdk_test::SceneTest;

namespace {

std::string Names(const LyArrayTemplate<LyModel*>& list) {
    std::string out;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (i) out += ",";
        out += list[i] ? list[i]->GetName() : "null";
    }
    return out;
}

}  // namespace

class ModelSearch : public SceneTest {
protected:
    // R(A(A1, A2), B)
    void SetUp() override {
        r = AddModel("R");
        a = AddModel("A", r);
        a1 = AddModel("A1", a);
        a2 = AddModel("A2", a);
        b = AddModel("B", r);
    }
    velora::Model *r, *a, *a1, *a2, *b;
};

TEST_F(ModelSearch, ModelsOfTypeComeInPostOrderWithSiblingsInOrder) {
    LyArrayTemplate<LyModel*> list;
    LyFindModelsOfType(list, LyModel::TypeInfo, Wrap(r));
    EXPECT_EQ(Names(list), "A1,A2,A,B,R");
}

TEST_F(ModelSearch, ModelsOfTypeWithoutAParentSearchTheWholeGlobalSet) {
    LyArrayTemplate<LyModel*> list;
    LyFindModelsOfType(list, LyModel::TypeInfo);
    ASSERT_GE(list.GetCount(), 7);
    // The global root comes last, the scene root (its first child) after
    // every scene model, and R's branch keeps its order.
    EXPECT_EQ(list.GetLast(), LySystem::TheOne().RootModel);
    const std::string all = Names(list);
    EXPECT_NE(all.find("A1,A2,A,B,R"), std::string::npos) << all;
    EXPECT_LT(all.find("A1,A2,A,B,R"), all.find("Scene Root")) << all;
}

TEST_F(ModelSearch, ModelsOfTypeSkipModelsOfOtherTypes) {
    LyArrayTemplate<LyModel*> list;
    LyFindModelsOfType(list, LyScene::TypeInfo, Wrap(r));
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(ModelSearch, SelectedModelsComeInPreOrderWithChildrenLastFirst) {
    for (velora::Model* model : {r, a, a1, a2, b}) model->Select(true);
    LyArrayTemplate<LyModel*> list;
    LyGetSelectedModels(list, Wrap(r));
    EXPECT_EQ(Names(list), "R,B,A,A2,A1");
    for (velora::Model* model : {r, a, a1, a2, b}) model->Select(false);
}

TEST_F(ModelSearch, SelectedModelsMatchTheRequestedState) {
    a->Select(true);
    b->Select(true);
    LyArrayTemplate<LyModel*> selected, unselected;
    LyGetSelectedModels(selected, Wrap(r), true);
    LyGetSelectedModels(unselected, Wrap(r), false);
    EXPECT_EQ(Names(selected), "B,A");
    EXPECT_EQ(Names(unselected), "R,A2,A1");
    a->Select(false);
    b->Select(false);
}

TEST_F(ModelSearch, SelectedModelsWithoutAParentStartAtTheSceneRoot) {
    a2->Select(true);
    LyArrayTemplate<LyModel*> list;
    LyGetSelectedModels(list);
    EXPECT_EQ(Names(list), "A2");
    a2->Select(false);
}

TEST_F(ModelSearch, SortingPutsTheModelSelectedLastFirst) {
    for (velora::Model* model : {a2, r, b, a1, a}) model->Select(true);
    LyArrayTemplate<LyModel*> list;
    LyGetSelectedModels(list, Wrap(r), true, true);
    EXPECT_EQ(Names(list), "A,A1,B,R,A2");
    // Reselecting brings a model to the front.
    r->HardSelect();
    list.Clear();
    LyGetSelectedModels(list, Wrap(r), true, true);
    EXPECT_EQ(Names(list), "R,A,A1,B,A2");
    for (velora::Model* model : {r, a, a1, a2, b}) model->Select(false);
}

TEST_F(ModelSearch, FindByLabelNameUsesTheNamespacedLabel) {
    velora::Model* hand = AddModel("rig:Hand", r);
    EXPECT_EQ(LyFindModelByLabelName("A1"), Wrap(a1));
    EXPECT_EQ(LyFindModelByLabelName("rig:Hand"), Wrap(hand));
    EXPECT_EQ(LyFindModelByLabelName("Hand"), nullptr);
    EXPECT_EQ(LyFindModelByLabelName("Nobody"), nullptr);
    EXPECT_EQ(LyFindModelByLabelName(nullptr), nullptr);
}

TEST_F(ModelSearch, LastSelectedModelFollowsSelectionAndCanBeSet) {
    a->Select(true);
    b->Select(true);
    EXPECT_EQ(LyGetLastSelectedModel(), Wrap(b));
    LySetLastSelectedModel(Wrap(a1));
    EXPECT_EQ(LyGetLastSelectedModel(), Wrap(a1));
    LySetLastSelectedModel(nullptr);  // ignored
    EXPECT_EQ(LyGetLastSelectedModel(), Wrap(a1));
    a->Select(false);
    b->Select(false);
}

// ---------------------------------------------------------------------------

class PickingColors : public SceneTest {};

TEST_F(PickingColors, EveryModelHasItsOwnColorAndIsFoundByIt) {
    velora::Model* one = AddModel("One");
    velora::Model* two = AddModel("Two");
    const LyColor first = Wrap(one)->GetUniqueColorId();
    const LyColor second = Wrap(two)->GetUniqueColorId();
    EXPECT_FALSE(first[0] == second[0] && first[1] == second[1] && first[2] == second[2]);
    int sub = 7;
    EXPECT_EQ(LyFindModelByUniqueColorId(first, &sub), Wrap(one));
    EXPECT_EQ(sub, 0);
    EXPECT_EQ(LyFindModelByUniqueColorId(second, nullptr), Wrap(two));
}

TEST_F(PickingColors, ComponentsAreTruncatedToBytesNotRounded) {
    // Make models until one has red byte 254 (colours of consecutive
    // models differ first in red), and the next one red byte 255.
    velora::Model* at254 = nullptr;
    velora::Model* at255 = nullptr;
    std::uint8_t rgba[4];
    for (int i = 0; i < 600 && !at255; ++i) {
        velora::Model* model = Keep(velora::Model::Create("Probe"));
        model->UniqueColor(rgba);
        if (rgba[0] == 254) at254 = model;
        if (rgba[0] == 255 && at254) at255 = model;
    }
    ASSERT_NE(at254, nullptr);
    ASSERT_NE(at255, nullptr);
    at254->UniqueColor(rgba);
    // 0.999 * 255 = 254.745: byte 254, the model at 254, not the one at 255.
    const LyColor picked(0.999, rgba[1] / 255.0, rgba[2] / 255.0);
    int sub = -5;
    EXPECT_EQ(LyFindModelByUniqueColorId(picked, &sub), Wrap(at254));
    EXPECT_EQ(sub, 0);
    // Just under a byte's exact value falls to the byte below.
    std::uint8_t high[4];
    at255->UniqueColor(high);
    const LyColor below(254.9999 / 255.0, high[1] / 255.0, high[2] / 255.0);
    EXPECT_EQ(LyFindModelByUniqueColorId(below, nullptr), Wrap(at254));
    const LyColor exact(1.0, high[1] / 255.0, high[2] / 255.0);
    EXPECT_EQ(LyFindModelByUniqueColorId(exact, nullptr), Wrap(at255));
}

TEST_F(PickingColors, SubItemsHaveTheirOwnColors) {
    velora::Model* model = AddModel("Points");
    LyModel* wrapper = Wrap(model);
    wrapper->SetAdditionalUniqueColorIDCount(3);
    EXPECT_EQ(wrapper->GetAdditionalUniqueColorIDCount(), 3);
    int sub = 0;
    EXPECT_EQ(LyFindModelByUniqueColorId(wrapper->GetAdditionalUniqueColorID(2), &sub), wrapper);
    EXPECT_EQ(sub, 2);
    const LyColor third = wrapper->GetAdditionalUniqueColorID(3);
    wrapper->SetAdditionalUniqueColorIDCount(1);
    EXPECT_EQ(LyFindModelByUniqueColorId(third, &sub), nullptr);
    EXPECT_EQ(sub, -1);
}

TEST_F(PickingColors, AnEndedModelIsNotFoundAnyMore) {
    velora::Model* model = velora::Model::Create("Gone");
    const LyColor color = Wrap(model)->GetUniqueColorId();
    model->Destroy(0);
    EXPECT_EQ(LyFindModelByUniqueColorId(color, nullptr), nullptr);
}

TEST_F(PickingColors, OnlyOpaqueColorsMatchInTheHost) {
    velora::Model* model = AddModel("Opaque");
    std::uint8_t rgba[4];
    model->UniqueColor(rgba);
    EXPECT_EQ(rgba[3], 255);
    EXPECT_EQ(velora::Model::FindByColor(rgba[0], rgba[1], rgba[2], 255, nullptr), model);
    EXPECT_EQ(velora::Model::FindByColor(rgba[0], rgba[1], rgba[2], 254, nullptr), nullptr);
}

// ---------------------------------------------------------------------------

class ModelHierarchy : public SceneTest {};

TEST_F(ModelHierarchy, ParentReadsNullAtTheTopAndMovesModels) {
    velora::Model* top = AddModel("Top");
    velora::Model* other = AddModel("Other");
    LyModel* child = Wrap(AddModel("Child", top));
    EXPECT_EQ(static_cast<LyModel*>(Wrap(top)->Parent), nullptr);
    EXPECT_EQ(static_cast<LyModel*>(child->Parent), Wrap(top));
    child->Parent = Wrap(other);
    EXPECT_EQ(other->ChildCount(), 1);
    EXPECT_EQ(top->ChildCount(), 0);
    child->Parent = nullptr;
    EXPECT_EQ(static_cast<LyModel*>(child->Parent), nullptr);
    EXPECT_EQ(velora::AsModel(velora::AsObject(child->GetHIObject()))->Parent(), Scene().RootModel());
}

TEST_F(ModelHierarchy, ChildrenListFollowsTheHostOrderAndRefusesCycles) {
    velora::Model* top = AddModel("Top");
    velora::Model* one = AddModel("One", top);
    velora::Model* two = AddModel("Two", top);
    LyModel* wrapper = Wrap(top);
    ASSERT_EQ(wrapper->Children.GetCount(), 2);
    EXPECT_EQ(wrapper->Children[0], Wrap(one));
    EXPECT_EQ(wrapper->Children[1], Wrap(two));
    EXPECT_EQ(Wrap(one)->Children.Add(wrapper), -1);  // top cannot go below its child
    wrapper->Children.RemoveAt(0);
    EXPECT_EQ(wrapper->Children.GetCount(), 1);
    EXPECT_EQ(one->Parent(), Scene().RootModel());
}

TEST_F(ModelHierarchy, AModelMadeByTheSdkIsOwnedAndJoinsTheSceneOnRequest) {
    auto* model = new LyModel("Made");
    velora::Object* host = velora::AsObject(model->GetHIObject());
    ASSERT_NE(velora::AsModel(host), nullptr);
    __LyAddModelToScene(host);
    EXPECT_TRUE(velora::MainEntity::Instance().InScene(host));
    EXPECT_EQ(velora::AsModel(host)->Parent(), Scene().RootModel());
    __LyRemoveModelFromScene(host);
    EXPECT_FALSE(velora::MainEntity::Instance().InScene(host));
    velora::PlugHandle watch(host);
    delete model;
    EXPECT_FALSE(watch.Valid());
}
