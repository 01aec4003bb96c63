// Creation from registry entries, lookup by full name and by pattern.

#include <algorithm>

#include <velora/entity.h>
#include <velora/object_directory.h>
#include <velora/object_registry.h>

#include "services/services_fixture.h"

using namespace VELSDK2025;
using services_test::ServiceScene;
using services_test::TraceLog;

namespace {

std::vector<std::string> Names(const LyArrayTemplate<LyComponent*>& list, int from = 0) {
    std::vector<std::string> names;
    for (int i = from; i < list.GetCount(); ++i) names.emplace_back(list[i]->GetFullName());
    return names;
}

}  // namespace

class Lookup : public ServiceScene {};

TEST_F(Lookup, FindByFullNameGivesTheWrapperAndFollowsRenamesAndEnds) {
    velora::Object* cube = Make("SvcFindCube", velora::kClassModel);
    LyComponent* found = LyFindObjectByFullName("Model::SvcFindCube");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetHIObject(), static_cast<IObject*>(cube));
    EXPECT_EQ(GetLyComponent(cube), found);
    EXPECT_EQ(LyFindObjectByFullName("Model::SvcFindCub"), nullptr);
    EXPECT_EQ(LyFindObjectByFullName("SvcFindCube"), nullptr);  // a full name is needed
    EXPECT_EQ(LyFindObjectByFullName(nullptr), nullptr);
    // Renames and ends are followed.
    velora::ObjectDirectory& objects = velora::MainEntity::Instance().Objects();
    ASSERT_TRUE(cube->SetName("SvcRenameB"));
    EXPECT_EQ(objects.FindByFullName("Model::SvcFindCube"), nullptr);
    EXPECT_EQ(objects.FindByFullName("Model::SvcRenameB"), cube);
    ASSERT_TRUE(cube->SetLongName("svcns:SvcRenameB"));
    EXPECT_EQ(objects.FindByFullName("Model::SvcRenameB"), nullptr);
    EXPECT_EQ(objects.FindByFullName("Model::svcns:SvcRenameB"), cube);
    cube->Destroy(0);
    EXPECT_EQ(objects.FindByFullName("Model::svcns:SvcRenameB"), nullptr);
    // A shared full name answers the oldest carrier.
    velora::Object* first = Make("SvcTwin");
    velora::Object* second = Make("SvcTwin");
    EXPECT_EQ(objects.FindByFullName("Object::SvcTwin"), first);
    first->Destroy(0);
    EXPECT_EQ(objects.FindByFullName("Object::SvcTwin"), second);
}

TEST_F(Lookup, FindObjectsByNameAppendsInCreationOrder) {
    Make("SvcApp2");
    Make("SvcApp1");
    Make("SvcOther");
    LyComponent* already = LyGetLyComponent(Make("SvcAlready"), true);
    LyArrayTemplate<LyComponent*> list;
    list.Add(already);
    LyFindObjectsByName("svcapp*", list);  // letters match regardless of case
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list[0], already);
    EXPECT_EQ(Names(list, 1), (std::vector<std::string>{"Object::SvcApp2", "Object::SvcApp1"}));
    // A second search appends again rather than replacing.
    LyFindObjectsByName("SvcApp1", list);
    EXPECT_EQ(list.GetCount(), 4);
}

TEST_F(Lookup, ModelsOnlyKeepsModels) {
    Make("SvcKindA", velora::kClassModel);
    Make("SvcKindB", velora::kClassObject);
    Make("SvcKindC", velora::kClassCamera);  // a camera is a model
    LyArrayTemplate<LyComponent*> all, models;
    LyFindObjectsByName("SvcKind?", all, true, false);
    LyFindObjectsByName("SvcKind?", models, true, true);
    EXPECT_EQ(all.GetCount(), 3);
    EXPECT_EQ(Names(models), (std::vector<std::string>{"Model::SvcKindA", "Model::SvcKindC"}));
}

TEST_F(Lookup, TheNamespaceSwitchChoosesLabelOrPlainName) {
    Make("svcrig:SvcHand");
    LyArrayTemplate<LyComponent*> list;
    LyFindObjectsByName("svcrig:SvcHand", list, true);
    EXPECT_EQ(list.GetCount(), 1);
    LyFindObjectsByName("svcrig:SvcHand", list, false);  // plain names hold no ':'
    EXPECT_EQ(list.GetCount(), 1);
    LyFindObjectsByName("SvcHand", list, false);
    EXPECT_EQ(list.GetCount(), 2);
    LyFindObjectsByName("SvcHand", list, true);  // the label is "svcrig:SvcHand"
    EXPECT_EQ(list.GetCount(), 2);
    LyFindObjectsByName("Object::svcrig:Svc*", list, false);  // full names either way
    EXPECT_EQ(list.GetCount(), 3);
}

namespace {

struct CreatorLog {
    void* data = nullptr;
    int index = -1;
    int calls = 0;
};
CreatorLog gCreator;

IObject* CreateSvcModel(IObject* owner, const char* name, void* data) {
    ++gCreator.calls;
    gCreator.data = data;
    gCreator.index = velora::CurrentCreationIndex();
    if (owner) return nullptr;  // created without a parent
    return velora::Object::Create(name, velora::kClassModelNull);
}

IObject* CreateSvcPlain(IObject*, const char* name, void*) {
    return velora::Object::Create(name, velora::kClassObject);
}

class Creation : public ServiceScene {
protected:
    void SetUp() override {
        ServiceScene::SetUp();
        velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
        registry.Register("SvcTests", "Null", "a null model", &CreateSvcModel, true);
        registry.Register("SvcTests", "Plain", "a plain object", &CreateSvcPlain, true);
        gCreator = CreatorLog{};
    }
    void TearDown() override {
        for (LyComponent* made : made_) made->LyDelete();
        velora::ObjectRegistry::Instance().Unregister("SvcTests", "Null");
        velora::ObjectRegistry::Instance().Unregister("SvcTests", "Plain");
        ServiceScene::TearDown();
    }
    LyComponent* Keep(LyComponent* component) {
        if (component) made_.push_back(component);
        return component;
    }

private:
    std::vector<LyComponent*> made_;
};

}  // namespace

TEST_F(Creation, AModelIsCreatedFromItsEntryAndJoinsTheSceneOtherObjectsDoNot) {
    int payload = 7;
    velora::MainEntity& entity = velora::MainEntity::Instance();
    const int before = entity.SceneModelCount();
    LyComponent* made = Keep(LyCreateObject("SvcTests", "Null", "SvcNull", &payload, 3));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(gCreator.calls, 1);
    EXPECT_EQ(gCreator.data, &payload);
    EXPECT_EQ(gCreator.index, 3);
    EXPECT_EQ(velora::CurrentCreationIndex(), 0);  // only during the creation
    EXPECT_STREQ(made->GetFullName(), "Model::SvcNull");
    velora::Object* host = velora::AsObject(made->GetHIObject());
    EXPECT_TRUE(entity.InScene(host));
    EXPECT_EQ(entity.SceneModelCount(), before + 1);
    EXPECT_EQ(entity.SceneModel(before), host);
    // Other objects stay out of the scene.
    LyComponent* plain = Keep(LyCreateObject("SvcTests", "Plain", "SvcPlain"));
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(entity.InScene(velora::AsObject(plain->GetHIObject())));
    EXPECT_EQ(entity.SceneModelCount(), before + 1);
    // An unknown entry creates nothing.
    const std::uint32_t living = LyObjectGetLivingCount();
    EXPECT_EQ(LyCreateObject("SvcTests", "Missing", "SvcNone"), nullptr);
    EXPECT_EQ(LyCreateObject("SvcNoGroup", "Null", "SvcNone"), nullptr);
    EXPECT_EQ(LyObjectGetLivingCount(), living);
}

TEST_F(Creation, AnEndedModelLeavesTheScene) {
    velora::MainEntity& entity = velora::MainEntity::Instance();
    const int before = entity.SceneModelCount();
    velora::Object* model = Make("SvcLeaving", velora::kClassModel);
    __LyAddModelToScene(model);
    __LyAddModelToScene(model);  // once only
    __LyAddModelToScene(Make("SvcNotAModel"));
    __LyAddModelToScene(nullptr);
    EXPECT_EQ(entity.SceneModelCount(), before + 1);
    model->Destroy(0);
    EXPECT_EQ(entity.SceneModelCount(), before);

    velora::Object* again = Make("SvcRemoved", velora::kClassModel);
    __LyAddModelToScene(again);
    __LyRemoveModelFromScene(again);
    EXPECT_FALSE(entity.InScene(again));
}
