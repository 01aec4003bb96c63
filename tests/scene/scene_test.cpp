// LyScene: object lists, takes, namespaces, clean-ups and evaluation.

#include "scene/scene_fixture.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include <velora/animation.h>
#include <velora/application.h>
#include <velora/process.h>
#include <velora/entity.h>
#include <velora/file_reference.h>
#include <velora/namespace.h>
#include <velora/relation.h>
#include <velora/property.h>
#include <velora/timing.h>
#include <velora/undo.h>

using namespace VELSDK2025;
using lysdk_test::SceneTest;

class Scenes : public SceneTest {
protected:
    LyScene& Sdk() { return *static_cast<LyScene*>(LySystem::TheOne().Scene); }
};

TEST_F(Scenes, ASceneBuiltWithoutAnObjectWrapsTheMainScene) {
    LyScene local;
    EXPECT_EQ(local.GetHIObject(), static_cast<IObject*>(&Scene()));
    EXPECT_EQ(static_cast<LyModel*>(local.RootModel), static_cast<LyModel*>(LySystem::TheOne().SceneRootModel));
    EXPECT_EQ(static_cast<LyRenderer*>(local.Renderer), nullptr);
}

TEST_F(Scenes, EveryListIsNamedAndFilteredByItsKind) {
    LyScene& scene = Sdk();
    LyPropertyListComponent* lists[] = {&scene.Takes, &scene.Devices, &scene.Constraints, &scene.Notes,
                                        &scene.Groups, &scene.Materials, &scene.ModelOpticals};
    int kinds[] = {velora::kSceneTakes, velora::kSceneDevices, velora::kSceneConstraints,
                   velora::kSceneNotes, velora::kSceneGroups, velora::kSceneMaterials,
                   velora::kSceneModelOpticals};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(lists[i]->GetName(), velora::SceneKindName(kinds[i]));
        EXPECT_EQ(lists[i]->GetClassId(), velora::SceneKindClass(kinds[i]));
        EXPECT_NE(lists[i]->GetClassId(), 0);
    }
    EXPECT_EQ(scene.Takes.GetClassId(), velora::kClassTake);
    // The scene's own text property is bound to the host's.
    scene.Comments = "blocking pass";
    velora::Property* comments = Scene().FindProperty("Comments");
    ASSERT_NE(comments, nullptr);
    const char* text = nullptr;
    comments->GetRaw(&text);
    EXPECT_STREQ(text, "blocking pass");
}

TEST_F(Scenes, ListsShowTheScenesObjectsOfTheirKind) {
    LyScene& scene = Sdk();
    const int takes = scene.Takes.GetCount();
    const int materials = scene.Materials.GetCount();
    velora::Object* take = AddObject("Take 9", velora::kSceneTakes);
    velora::Object* material = AddObject("Steel", velora::kSceneMaterials);
    AddObject("Loose", velora::kSceneMaterials, false);
    ASSERT_EQ(scene.Takes.GetCount(), takes + 1);
    EXPECT_EQ(scene.Takes[takes]->GetHIObject(), static_cast<IObject*>(take));
    ASSERT_EQ(scene.Materials.GetCount(), materials + 1);
    EXPECT_EQ(scene.Materials[materials]->GetHIObject(), static_cast<IObject*>(material));
    // Kinds the host does not build yet have empty lists.
    EXPECT_EQ(scene.Characters.GetCount(), 0);
    EXPECT_EQ(scene.Notes.GetCount(), 0);
}

TEST_F(Scenes, TheCurrentTakeIsOneOfTheScenesTakes) {
    velora::Object* first = AddObject("First", velora::kSceneTakes);
    velora::Object* second = AddObject("Second", velora::kSceneTakes);
    velora::Object* stray = AddObject("Stray", velora::kSceneTakes, false);
    LySystem& system = LySystem::TheOne();
    LyComponent* one = LyGetLyComponent(first, true);
    LyComponent* two = LyGetLyComponent(second, true);
    system.CurrentTake = reinterpret_cast<LyTake*>(one);
    EXPECT_EQ(reinterpret_cast<LyComponent*>(static_cast<LyTake*>(system.CurrentTake)), one);
    system.CurrentTake = reinterpret_cast<LyTake*>(two);
    EXPECT_EQ(Scene().CurrentTake(), second);
    system.CurrentTake = reinterpret_cast<LyTake*>(LyGetLyComponent(stray, true));
    EXPECT_EQ(Scene().CurrentTake(), second);  // not a take of the scene
}

namespace {

struct Listener : ICallback {
    IObject* IQuery(std::uint32_t, int = 0) override { return this; }
    void Destroy(int) override {}
    void Heard(IRegister*, EventRecord* record) {
        ++count;
        subType = record->subType;
    }
    int count = 0;
    int subType = 0;
};

}  // namespace

TEST_F(Scenes, OnChangeAndOnTakeChangeCarryTheHostsEvents) {
    Listener listener;
    LyScene& scene = Sdk();
    scene.OnChange.Add(&listener, static_cast<ICallback::Handler>(&Listener::Heard));
    AddModel("Heard");
    EXPECT_EQ(listener.count, 1);
    EXPECT_EQ(listener.subType, 1);
    scene.OnChange.Remove(&listener, static_cast<ICallback::Handler>(&Listener::Heard));

    Listener takes;
    scene.OnTakeChange.Add(&takes, static_cast<ICallback::Handler>(&Listener::Heard));
    velora::Object* take = AddObject("Switched", velora::kSceneTakes);
    Scene().SetCurrentTake(take);
    EXPECT_EQ(takes.count, 1);
    scene.OnTakeChange.Remove(&takes, static_cast<ICallback::Handler>(&Listener::Heard));
}

// ---------------------------------------------------------------------------
// Namespaces

class Namespaces : public Scenes {};

TEST_F(Namespaces, ExistenceContentAndChildren) {
    Keep(velora::Namespace::Create("nsA"));
    Keep(velora::Namespace::Create("nsA:inner"));
    velora::Model* hand = AddModel("nsA:Hand");
    velora::Model* deep = AddModel("nsA:inner:Finger");
    LyScene& scene = Sdk();
    EXPECT_TRUE(scene.NamespaceExist("nsA"));
    EXPECT_FALSE(scene.NamespaceExist("nsNone"));
    EXPECT_FALSE(scene.NamespaceEmpty("nsA"));
    ASSERT_NE(scene.NamespaceGet("nsA"), nullptr);
    EXPECT_EQ(scene.NamespaceGet("nsNone"), nullptr);

    LyStringList children;
    EXPECT_EQ(scene.NamespaceGetChildrenList(children, "nsA"), 1);
    EXPECT_STREQ(children.GetAt(0), "nsA:inner");

    LyArrayTemplate<LyComponent*> content;
    content.Add(nullptr);  // emptied first
    scene.NamespaceGetContentList(content, "nsA");
    ASSERT_EQ(content.GetCount(), 1);
    EXPECT_EQ(content[0]->GetHIObject(), static_cast<IObject*>(hand));
    scene.NamespaceGetContentList(content, "nsA", kLyPlugModificationNone, true);
    EXPECT_EQ(content.GetCount(), 2);
    // The type filter takes SDK type ids.
    scene.NamespaceGetContentList(content, "nsA", kLyPlugModificationNone, true, LyScene::TypeInfo);
    EXPECT_EQ(content.GetCount(), 0);
    scene.NamespaceGetContentList(content, "nsA", kLyPlugModificationNone, true, LyModel::TypeInfo);
    EXPECT_EQ(content.GetCount(), 2);

    scene.NamespaceSelectContent("nsA", true, kLyPlugModificationNone, true);
    EXPECT_TRUE(hand->IsSelected());
    EXPECT_TRUE(deep->IsSelected());
    scene.NamespaceSelectContent("nsA", false, kLyPlugModificationNone, true);
    EXPECT_FALSE(hand->IsSelected());
}

TEST_F(Namespaces, ImportSplitsItsTargetsAtTheSeparator) {
    Keep(velora::Namespace::Create("src"));
    velora::Model* arm = AddModel("src:Arm");
    AddModel("src:Hand", arm);
    LyScene& scene = Sdk();
    ASSERT_TRUE(scene.NamespaceImport("a~b", "src"));
    for (const char* ns : {"a", "b"}) {
        SCOPED_TRACE(ns);
        EXPECT_TRUE(scene.NamespaceExist(ns));
        LyModel* copy = LyFindModelByLabelName((std::string(ns) + ":Arm").c_str());
        LyModel* child = LyFindModelByLabelName((std::string(ns) + ":Hand").c_str());
        ASSERT_NE(copy, nullptr);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<LyModel*>(child->Parent), copy);
    }
    EXPECT_EQ(velora::UndoStack::Instance().UndoCount(), 0);  // no record without asking
    EXPECT_FALSE(scene.NamespaceImport("c", "nothing"));
    for (const char* ns : {"a", "b"}) scene.NamespaceDelete(ns);
    EXPECT_FALSE(scene.NamespaceExist("a"));
    EXPECT_EQ(LyFindModelByLabelName("a:Arm"), nullptr);
}

TEST_F(Namespaces, ImportToMultipleIsUndoableOnRequest) {
    Keep(velora::Namespace::Create("lib"));
    AddModel("lib:Prop");
    LyScene& scene = Sdk();
    velora::UndoStack& undo = velora::UndoStack::Instance();
    LyStringList targets;
    targets.Add("m1");
    targets.Add("m2");
    ASSERT_TRUE(scene.NamespaceImportToMultiple(targets, "lib", true));
    ASSERT_EQ(undo.UndoCount(), 1);
    EXPECT_STREQ(undo.UndoName(0), "Import References");
    ASSERT_NE(LyFindModelByLabelName("m2:Prop"), nullptr);
    // Undo takes the copies and their namespaces away; redo brings them back.
    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(LyFindModelByLabelName("m1:Prop"), nullptr);
    EXPECT_FALSE(scene.NamespaceExist("m2"));
    ASSERT_TRUE(undo.Redo());
    EXPECT_NE(LyFindModelByLabelName("m1:Prop"), nullptr);
    EXPECT_TRUE(scene.NamespaceExist("m2"));
    LyStringList third;
    third.Add("m3");
    ASSERT_TRUE(scene.NamespaceImportToMultiple(third, "lib", false));
    EXPECT_EQ(undo.UndoCount(), 1);
    EXPECT_NE(LyFindModelByLabelName("m3:Prop"), nullptr);
    for (const char* ns : {"m1", "m2", "m3"}) scene.NamespaceDelete(ns);
}

TEST_F(Namespaces, DeletingAReferenceIsUndoable) {
    velora::FileReference::Create("refX");
    velora::Model* part = AddModel("refX:Part");
    part->TranslationProperty()->SetRaw(std::array<double, 3>{1, 2, 3}.data());
    LyScene& scene = Sdk();
    velora::UndoStack& undo = velora::UndoStack::Instance();
    EXPECT_NE(scene.NamespaceGetOwnerFileReference("refX"), nullptr);
    EXPECT_TRUE(scene.NamespaceDelete("refX"));
    EXPECT_EQ(LyFindModelByLabelName("refX:Part"), nullptr);
    ASSERT_EQ(undo.UndoCount(), 1);
    EXPECT_STREQ(undo.UndoName(0), "Delete References");
    // Undo brings the reference back with its content and values.
    ASSERT_TRUE(undo.Undo());
    EXPECT_NE(scene.NamespaceGetOwnerFileReference("refX"), nullptr);
    LyModel* back = LyFindModelByLabelName("refX:Part");
    ASSERT_NE(back, nullptr);
    double t[3];
    velora::AsModel(velora::AsObject(back->GetHIObject()))->TranslationProperty()->GetRaw(t);
    EXPECT_EQ(t[1], 2.0);
    ASSERT_TRUE(undo.Redo());
    EXPECT_EQ(LyFindModelByLabelName("refX:Part"), nullptr);

    // While the construction history records, no transaction is opened.
    velora::FileReference::Create("refY");
    Scene().SetConstructionHistoryState(1);
    EXPECT_TRUE(scene.NamespaceDelete("refY"));
    Scene().SetConstructionHistoryState(0);
    EXPECT_EQ(undo.UndoCount(), 1);
    EXPECT_FALSE(scene.NamespaceDelete("refY"));
}

TEST_F(Namespaces, RenameMovesTheContentAndExportWritesIt) {
    Keep(velora::Namespace::Create("old"));
    velora::Model* model = AddModel("old:Thing");
    LyScene& scene = Sdk();
    EXPECT_TRUE(scene.NamespaceRename("old", "fresh"));
    EXPECT_STREQ(model->LabelName(), "fresh:Thing");
    EXPECT_TRUE(scene.NamespaceExist("fresh"));
    EXPECT_TRUE(scene.NamespaceEmpty("old"));
    EXPECT_TRUE(scene.NamespaceCleanup());
    EXPECT_FALSE(scene.NamespaceExist("old"));
    // Export writes the content.
    const std::string path = velora::process::TempPath() + "lysdk_scene_export.txt";
    EXPECT_TRUE(scene.NamespaceExport("fresh", path.c_str()));
    std::ifstream in(path);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("Model\tfresh\tThing"), std::string::npos) << all;
    std::remove(path.c_str());
    EXPECT_FALSE(scene.NamespaceExport("old", path.c_str()));
    scene.NamespaceDelete("fresh");
}

// ---------------------------------------------------------------------------
// Clean-ups

TEST_F(Scenes, CleanUpsDeleteWhatNothingUses) {
    LyScene& scene = Sdk();
    velora::Model* model = AddModel("Painted");
    velora::Object* used = AddObject("Used", velora::kSceneMaterials);
    AddObject("Unused", velora::kSceneMaterials);
    velora::Object* locked = AddObject("Kept", velora::kSceneMaterials);
    locked->SetObjectFlags(locked->ObjectFlags() | velora::kObjectLocked);
    velora::Connect(used, model);
    EXPECT_EQ(scene.CleanUnusedMaterials(), 1);
    EXPECT_EQ(scene.Materials.GetCount(), 2);
    locked->SetObjectFlags(locked->ObjectFlags() & ~velora::kObjectLocked);

    velora::Object* group = AddObject("Full", velora::kSceneGroups);
    AddObject("Empty", velora::kSceneGroups);
    velora::Connect(model, group);
    EXPECT_EQ(scene.CleanEmptyGroups(), 1);
    EXPECT_EQ(scene.Groups.GetCount(), 1);
    EXPECT_EQ(scene.CleanEmptySets(), 0);

    velora::Object* on = AddObject("On", velora::kSceneConstraints);
    velora::Object* off = AddObject("Off", velora::kSceneConstraints);
    const bool yes = true, no = false;
    // Constraints carry their own "Active" switch.
    on->FindProperty("Active")->SetRaw(&yes);
    off->FindProperty("Active")->SetRaw(&no);
    EXPECT_EQ(scene.CleanInactiveConstraints(), 1);
    EXPECT_EQ(scene.Constraints.GetCount(), 1);

    velora::Object* relation = Keep(velora::Object::Create("Relation", velora::kClassConstraintRelation));
    Scene().AddObject(relation);
    velora::Object* box = velora::Object::Create("Box", velora::kClassBox);
    box->SetOwner(relation);
    velora::Object* wired = velora::Object::Create("Wired", velora::kClassBox);
    wired->SetOwner(relation);
    velora::Connect(on, wired);
    AddObject("Hollow", velora::kSceneConstraints)->SetObjectFlags(velora::kObjectDefaultFlags);
    velora::Object* hollow = Keep(velora::Object::Create("Hollow2", velora::kClassConstraintRelation));
    Scene().AddObject(hollow);
    EXPECT_EQ(scene.CleanRelationConstraintsUnusedBoxes(), 1);
    EXPECT_EQ(static_cast<velora::Relation*>(relation)->BoxCount(), 1);
    EXPECT_EQ(scene.CleanEmptyRelationConstraints(), 1);
    for (int n : {scene.CleanUnusedAudioClips(), scene.CleanUnusedShaders(), scene.CleanUnusedTextures(),
                  scene.CleanUnusedVideoClips()})
        EXPECT_EQ(n, 0);
}

// ---------------------------------------------------------------------------
// Evaluation

namespace {

// Stands in for the animation core: every animated property reads its
// value as time in seconds on each member.
bool SecondsEverywhere(velora::Property* property, long long time) {
    const double seconds = static_cast<double>(time) / 141120000.0;
    const double value[3] = {seconds, seconds, seconds};
    return property->SetRaw(value);
}

}  // namespace

TEST_F(Scenes, EvaluateRunsEveryStepAtTheCurrentLocalTime) {
    velora::Model* parent = AddModel("Mover");
    velora::Model* child = AddModel("Rider", parent);
    const double offset[3] = {0, 10, 0};
    child->TranslationProperty()->SetRaw(offset);
    parent->TranslationProperty()->ModifyFlag(velora::kPropertyAnimated, true);

    auto previous = velora::SetAnimatedPropertyEvaluator(&SecondsEverywhere);
    velora::TimingManager& timing = velora::TimingManager::Instance();
    const long long before = timing.LocalTime();
    timing.SetLocalTime(141120000LL * 2);
    const velora::SceneEvaluationStats stats = Scene().Evaluator().Stats();
    EXPECT_TRUE(Sdk().Evaluate());
    const velora::SceneEvaluationStats& after = Scene().Evaluator().Stats();
    EXPECT_EQ(after.pointCacheNotifications, stats.pointCacheNotifications + 1);
    EXPECT_EQ(after.candidateResolves, stats.candidateResolves + 1);
    EXPECT_EQ(after.lastCandidateTime, 0x7FFFFFFFFFFFFFFFLL);
    EXPECT_EQ(after.attributeSyncs, stats.attributeSyncs + 1);
    EXPECT_EQ(after.deformableSyncs, stats.deformableSyncs + 1);
    EXPECT_EQ(after.transformUpdates, stats.transformUpdates + 1);
    EXPECT_EQ(after.evaluations, stats.evaluations + 1);
    EXPECT_EQ(after.lastEvaluatedTime, 141120000LL * 2);
    // The parent's translation followed its evaluator; the child rides along.
    EXPECT_DOUBLE_EQ(parent->GlobalMatrix()[12], 2.0);
    EXPECT_DOUBLE_EQ(child->GlobalMatrix()[13], 12.0);
    EXPECT_TRUE(Sdk().CandidateEvaluationAndResolve());
    EXPECT_EQ(Scene().Evaluator().Stats().candidateResolves, stats.candidateResolves + 2);
    velora::SetAnimatedPropertyEvaluator(previous);
    timing.SetLocalTime(before);
}

TEST_F(Scenes, EvaluateReadsTheFunctionCurvesOfAnimatedProperties) {
    velora::Model* model = AddModel("Curved");
    velora::Property* translation = model->TranslationProperty();
    ASSERT_TRUE(velora::SetPropertyAnimated(translation, true));
    velora::AnimationNode* node = velora::PropertyAnimationNode(translation);
    ASSERT_NE(node, nullptr);
    const double start[3] = {0, 1, 0};
    const double end[3] = {10, 1, -4};
    ASSERT_TRUE(node->KeyAdd(0, start, velora::kKeyLinear));
    ASSERT_TRUE(node->KeyAdd(141120000, end, velora::kKeyLinear));

    velora::TimingManager& timing = velora::TimingManager::Instance();
    const long long before = timing.LocalTime();
    for (double seconds : {0.0, 0.25, 0.5, 1.0}) {
        SCOPED_TRACE(seconds);
        timing.SetLocalTime(static_cast<long long>(seconds * 141120000));
        Sdk().Evaluate();
        EXPECT_NEAR(model->GlobalMatrix()[12], 10 * seconds, 1e-9);
        EXPECT_NEAR(model->GlobalMatrix()[13], 1.0, 1e-9);
        EXPECT_NEAR(model->GlobalMatrix()[14], -4 * seconds, 1e-9);
        const double* stored = static_cast<const double*>(translation->ValuePtr());
        EXPECT_NEAR(stored[0], 10 * seconds, 1e-9);
    }
    timing.SetLocalTime(before);
}

TEST_F(Scenes, TransformsComposeParentBeforeChild) {
    velora::Model* parent = AddModel("Turner");
    velora::Model* child = AddModel("Arm", parent);
    const double quarter[3] = {0, 0, 90};
    const double out[3] = {1, 0, 0};
    const double twice[3] = {2, 2, 2};
    parent->RotationProperty()->SetRaw(quarter);
    parent->ScalingProperty()->SetRaw(twice);
    child->TranslationProperty()->SetRaw(out);
    Scene().Evaluator().UpdateTransformHierarchy();
    // (1, 0, 0) scaled by 2 and turned 90 degrees about Z lands on (0, 2, 0).
    EXPECT_NEAR(child->GlobalMatrix()[12], 0.0, 1e-12);
    EXPECT_NEAR(child->GlobalMatrix()[13], 2.0, 1e-12);
    EXPECT_NEAR(child->GlobalMatrix()[14], 0.0, 1e-12);
}

TEST_F(Scenes, EvaluateDeformationsUpdatesDeformableMeshesOnly) {
    velora::Model* bone = AddModel("Bone");
    auto* skinned = static_cast<velora::MeshModel*>(AddModel("Skin", nullptr, velora::kClassModelMesh));
    auto* rigid = static_cast<velora::MeshModel*>(AddModel("Rock", nullptr, velora::kClassModelMesh));
    skinned->AddLink(bone);
    Sdk().Evaluate();
    EXPECT_TRUE(Sdk().EvaluateDeformations());
    EXPECT_EQ(skinned->DeformationUpdates(), 1);
    EXPECT_EQ(skinned->LinkRecomputes(), 1);
    EXPECT_EQ(skinned->FrameStamp(), Scene().Evaluator().FrameStamp());
    EXPECT_EQ(rigid->DeformationUpdates(), 0);
    Sdk().EvaluateDeformations();
    EXPECT_EQ(skinned->DeformationUpdates(), 2);
    EXPECT_EQ(skinned->LinkRecomputes(), 1);  // links unchanged
}

TEST_F(Scenes, ScriptsPathsAreAppended) {
    velora::Object* script = AddObject("Startup", velora::kSceneScripts);
    velora::Property* path = script->CreateProperty("Path", velora::kDataString);
    const char* text = "/opt/scripts/run.py";
    path->SetRaw(&text);
    LyStringList paths;
    paths.Add("kept");
    Sdk().GetScriptsPaths(paths);
    ASSERT_EQ(paths.GetCount(), 2);
    EXPECT_STREQ(paths.GetAt(1), "/opt/scripts/run.py");
}

TEST_F(Scenes, ClearKeepsTheRootsAndSystemObjects) {
    velora::Model* model = AddModel("Temporary");
    velora::PlugHandle watch(model);
    velora::Object* system = AddObject("SystemTake", velora::kSceneTakes);
    system->SetObjectFlags(system->ObjectFlags() | velora::kObjectSystem);
    Sdk().Clear();
    EXPECT_FALSE(watch.Valid());
    EXPECT_NE(Scene().RootModel(), nullptr);
    EXPECT_GE(Scene().SrcIndex(system), 0);
    system->SetObjectFlags(velora::kObjectDefaultFlags);
}
