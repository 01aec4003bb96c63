// Constraints: the built-in types against transforms computed here, the
// reference groups and hooks of plug-in constraints through their bridge,
// the constraint manager, relations' function boxes, and deformers.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/constraint.h>
#include <velora/model.h>
#include <velora/object_registry.h>
#include <velora/relation.h>
#include <velora/scene.h>

using namespace VELSDK2025;

namespace constraint_test {

velora::Model* MakeModel(const char* name, double x, double y, double z, int classId = velora::kClassModelNull) {
    velora::Model* model = velora::Model::Create(name, classId);
    const double t[3] = {x, y, z};
    model->TranslationProperty()->SetRaw(t);
    velora::Scene::Main().AddModel(model);
    return model;
}

void Move(velora::Model* model, const double* t, const double* r = nullptr) {
    model->TranslationProperty()->SetRaw(t);
    if (r) model->RotationProperty()->SetRaw(r);
}

void Frame(int f) { velora::Scene::Main().Evaluator().EvaluateAt(f * 4704000LL); }

// The matrix a * b (column-major, affine).
std::vector<double> Mult(const double* a, const double* b) {
    std::vector<double> r(16, 0.0);
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 4; ++k) r[4 * c + i] += a[4 * k + i] * b[4 * c + k];
    return r;
}

// A plug-in constraint: group 0 holds one model, group 1 one source whose
// translation plus (0, 1, 0) it writes; it can refuse references, and it
// moves every deformed point up by 2.
class Follow : public LyConstraint {
    LYSDK_CLASS_DECLARE(Follow, LyConstraint)
public:
    explicit Follow(const char* name) : LyConstraint(name) {
        groups[0] = ReferenceGroupAdd("Constrained Object", 1);
        groups[1] = ReferenceGroupAdd("Source", 1);
    }
    void SetupAllAnimationNodes() override {
        ++setups;
        LyModel* model = ReferenceGet(0, 0);
        LyModel* source = ReferenceGet(1, 0);
        if (!model || !source) return;
        in = AnimationNodeInCreate(7, source, "Translation");
        out = AnimationNodeOutCreate(8, model, "Translation");
    }
    void RemoveAllAnimationNodes() override { in = out = nullptr; }
    bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info, LyConstraintInfo* c) override {
        snaps += c->GetSnapRequested() ? 1 : 0;
        double t[3];
        if (node != out || !in->ReadData(t, info)) return false;
        t[1] += 1.0;
        return out->WriteData(t, info);
    }
    bool ReferenceAddNotify(int, LyModel*) override { return acceptAdd; }
    bool ReferenceRemoveNotify(int, LyModel*) override { return acceptRemove; }
    bool DeformerNotify(LyModel*, const LyVector4<float>* src, LyVector4<float>* dst, int count,
                        const LyVector4<float>*, LyVector4<float>*) override {
        ++deforms;
        for (int i = 0; i < count; ++i) {
            dst[i] = src[i];
            dst[i][1] += 2.0f;
        }
        return true;
    }
    int groups[2] = {-1, -1};
    LyAnimationNode* in = nullptr;
    LyAnimationNode* out = nullptr;
    bool acceptAdd = true, acceptRemove = true;
    int setups = 0, snaps = 0, deforms = 0;
};
LYSDK_CLASS_IMPLEMENT(Follow, 0)

LyModel* Wrap(velora::Model* model) { return static_cast<LyModel*>(LyGetLyComponent(model, true)); }

}  // namespace constraint_test
using namespace constraint_test;

TEST(Constraints, AimPointsAtAMovingTargetEveryFrameAndParentChildKeepsItsSnapOffset) {
    velora::Model* target = MakeModel("Target", 5, 0, 0);
    velora::Model* aimed = MakeModel("Aimed", 0, 0, 0);
    velora::Model* parent = MakeModel("Parent", 1, 2, 3);
    velora::Model* child = MakeModel("Child", -2, 4, 1);
    velora::Model* grandchild = MakeModel("Grandchild", 0, 0, 0);
    grandchild->SetParent(child);
    const double childR[3] = {10, 20, 30};
    child->RotationProperty()->SetRaw(childR);

    velora::Constraint* aim = velora::CreateBuiltinConstraint("Aim", "Aim");
    velora::Constraint* pc = velora::CreateBuiltinConstraint("Parent-Child", "PC");
    ASSERT_TRUE(aim && pc);
    ASSERT_TRUE(aim->AddReference(0, aimed) && aim->AddReference(1, target));
    ASSERT_TRUE(pc->AddReference(0, child) && pc->AddReference(1, parent));
    EXPECT_FALSE(pc->AddReference(1, target)) << "the parent group holds one model";
    for (velora::Constraint* c : {aim, pc}) velora::Scene::Main().AddObject(c);
    aim->SetActive(true);
    Frame(0);
    double childAtSnap[16];
    std::copy(child->GlobalMatrix(), child->GlobalMatrix() + 16, childAtSnap);
    ASSERT_TRUE(pc->RequestSnap());
    Frame(1);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(child->GlobalMatrix()[k], childAtSnap[k], 1e-9) << "snap keeps the pose";
    LyMatrix p, parentInverse;
    p.Set(parent->GlobalMatrix());
    LyMatrixInverse(parentInverse, p);
    const std::vector<double> offset = Mult(parentInverse.GetData(), childAtSnap);

    for (int f = 2; f < 40; ++f) {
        const double t[3] = {10 * std::cos(f * 0.3), 3 * std::sin(f * 0.7), 10 * std::sin(f * 0.3) - 2};
        const double pt[3] = {f * 0.5, -f * 0.25, 1.0}, pr[3] = {f * 7.0, f * -3.0, f * 11.0};
        Move(target, t);
        Move(parent, pt, pr);
        Frame(f);
        // The aim axis (X) of the aimed model points at the target.
        const double* m = aimed->GlobalMatrix();
        double d[3] = {t[0] - m[12], t[1] - m[13], t[2] - m[14]};
        const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double axis = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[k] / axis, d[k] / len, 1e-9) << "frame " << f;
        // Its up axis stays in the plane of the aim and the scene's up: its
        // Z axis is level.
        EXPECT_NEAR(m[9], 0.0, 1e-9);
        // The child follows its source with the offset taken at the snap,
        // and its own child follows it.
        const std::vector<double> expected = Mult(parent->GlobalMatrix(), offset.data());
        for (int k = 0; k < 16; ++k) EXPECT_NEAR(child->GlobalMatrix()[k], expected[k], 1e-9) << "frame " << f;
        for (int k = 0; k < 16; ++k) EXPECT_NEAR(grandchild->GlobalMatrix()[k], child->GlobalMatrix()[k], 1e-9);
    }
    // Off again, the model goes back to its own transform.
    aim->SetActive(false);
    Frame(40);
    EXPECT_NEAR(aimed->GlobalMatrix()[0], 1.0, 1e-12);
    // A weight of 0 leaves the child where its own values put it.
    const double zero = 0.0;
    pc->WeightProperty()->SetRaw(&zero);
    Frame(41);
    EXPECT_NEAR(child->GlobalMatrix()[12], -2.0, 1e-9);
}

TEST(Constraints, PositionRotationAndScaleFollowTheirSourcesWithOffsetsAndZero) {
    velora::Model* source = MakeModel("Source", 1, 2, 3);
    const double r[3] = {30, 0, 45}, s[3] = {2, 2, 2};
    source->RotationProperty()->SetRaw(r);
    source->ScalingProperty()->SetRaw(s);
    struct Case {
        const char* type;
        int column;  // what the check reads: 12 translation, 0 the X axis
        double expected[3];
    };
    const Case cases[] = {
        {"Position", 12, {1, 2, 3}},
        {"Rotation", 0, {std::cos(45 * M_PI / 180), std::sin(45 * M_PI / 180), 0}},
        {"Scale", 0, {2, 0, 0}},
    };
    for (const Case& c : cases) {
        velora::Model* model = MakeModel(c.type, 7, 8, 9);
        velora::Constraint* constraint = velora::CreateBuiltinConstraint(c.type, c.type);
        ASSERT_TRUE(constraint->AddReference(0, model) && constraint->AddReference(1, source));
        velora::Scene::Main().AddObject(constraint);
        constraint->SetActive(true);
        Frame(0);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(model->GlobalMatrix()[c.column + k], c.expected[k], 1e-9) << c.type;
        // A snap keeps the model where its own values put it; a zero
        // request takes it back to the source.
        constraint->SetActive(false);
        Frame(1);
        double own[16];
        std::copy(model->GlobalMatrix(), model->GlobalMatrix() + 16, own);
        constraint->RequestSnap();
        Frame(2);
        for (int k = 0; k < 16; ++k) EXPECT_NEAR(model->GlobalMatrix()[k], own[k], 1e-9) << c.type;
        constraint->RequestZero();
        Frame(3);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(model->GlobalMatrix()[c.column + k], c.expected[k], 1e-9) << c.type;
    }
}

TEST(Constraints, ReferenceGroupsLimitsAndRefusals) {
    auto* c = new Follow("follow");
    velora::Model* a = MakeModel("A", 0, 0, 0);
    velora::Model* b = MakeModel("B", 0, 0, 0);
    EXPECT_EQ(c->groups[0], 0);
    EXPECT_EQ(c->groups[1], 1);
    EXPECT_EQ(c->ReferenceGroupGetCount(), 2);
    EXPECT_STREQ(c->ReferenceGroupGetName(1), "Source");
    EXPECT_EQ(c->ReferenceGroupGetMaxCount(1), 1);
    EXPECT_EQ(c->ReferenceGroupGetName(2), nullptr);

    c->acceptAdd = false;
    EXPECT_FALSE(c->ReferenceAdd(0, Wrap(a)));
    EXPECT_EQ(c->ReferenceGetCount(0), 0) << "a refused reference is not added";
    c->acceptAdd = true;
    EXPECT_TRUE(c->ReferenceAdd(0, Wrap(a)));
    EXPECT_FALSE(c->ReferenceAdd(0, Wrap(b))) << "the group is full";
    EXPECT_FALSE(c->ReferenceAdd(5, Wrap(b)));
    EXPECT_FALSE(c->ReferenceAdd(1, nullptr));
    EXPECT_EQ(c->ReferenceGet(0, 0), Wrap(a));
    EXPECT_EQ(c->ReferenceGet(0, 1), nullptr);
    EXPECT_FALSE(c->ReferenceRemove(0, Wrap(b))) << "not in the group";
    c->acceptRemove = false;
    EXPECT_FALSE(c->ReferenceRemove(0, Wrap(a)));
    EXPECT_EQ(c->ReferenceGetCount(0), 1);
    c->acceptRemove = true;

    // Enabling and disabling answer for reference 0 of group 0 only.
    EXPECT_TRUE(c->Enable(Wrap(a)));
    EXPECT_TRUE(c->Disable(Wrap(a)));
    EXPECT_FALSE(c->Enable(Wrap(b)));
    EXPECT_FALSE(c->Disable(nullptr));
    EXPECT_TRUE(c->ReferenceRemove(0, Wrap(a)));
    EXPECT_EQ(c->ReferenceGetCount(0), 0);
    c->LyDelete();

    // A built-in constraint is no extension constraint: no groups to add.
    velora::Constraint* builtin = velora::CreateBuiltinConstraint("Position", "P");
    auto* wrapper = static_cast<LyConstraint*>(LyGetLyComponent(builtin, true));
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->ReferenceGroupAdd("More", 1), -1);
    EXPECT_EQ(wrapper->ReferenceGroupGetCount(), 2);
    EXPECT_STREQ(wrapper->Description.AsString(), "Position");
}

TEST(Constraints, PluginConstraintDrivesItsModelThroughItsNodesOnceInTheScene) {
    auto* c = new Follow("follow");
    velora::Model* model = MakeModel("Driven", 0, 0, 0);
    velora::Model* source = MakeModel("Src", 3, 4, 5);
    ASSERT_TRUE(c->ReferenceAdd(0, Wrap(model)) && c->ReferenceAdd(1, Wrap(source)));
    EXPECT_EQ(c->out, nullptr) << "no nodes before the constraint joins the scene";
    velora::Scene::Main().AddObject(velora::AsObject(c->GetHIObject()));
    ASSERT_NE(c->out, nullptr);
    EXPECT_EQ(c->out->Reference, 8u);
    c->Active = true;
    c->Snap = true;
    Frame(0);
    EXPECT_EQ(c->snaps, 1);
    EXPECT_NEAR(model->GlobalMatrix()[12], 3.0, 1e-12);
    EXPECT_NEAR(model->GlobalMatrix()[13], 5.0, 1e-12);
    Frame(1);
    EXPECT_EQ(c->snaps, 1) << "a snap is asked for once";
    const int setups = c->setups;
    c->ReferenceRemoveAll();
    EXPECT_GT(c->setups, setups);
    EXPECT_EQ(c->out, nullptr);
    c->LyDelete();
}

TEST(Constraints, TypesAreFoundByExactNameAndPluginTypesCloneThroughTheRegistry) {
    LyConstraintManager& manager = LyConstraintManager::TheOne();
    ASSERT_GE(manager.TypeGetCount(), 6);
    EXPECT_STREQ(manager.TypeGetName(3), "Parent/Child") << "the user sees translated names";
    for (const char* bad : {"", "parent/child", "Parent-Child", "Nope"})
        EXPECT_EQ(manager.TypeCreateConstraint(bad), nullptr) << bad;
    EXPECT_EQ(manager.TypeCreateConstraint(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(manager.TypeCreateConstraint(-1), nullptr);
    LyConstraint* pc = manager.TypeCreateConstraint("Parent/Child");
    ASSERT_NE(pc, nullptr);
    EXPECT_STREQ(pc->Name.AsString(), "Parent/Child");
    EXPECT_TRUE(velora::Scene::Main().SrcIndex(velora::AsObject(pc->GetHIObject())) >= 0);
    LyConstraint* relation = manager.TypeCreateConstraint("Relation");
    ASSERT_NE(relation, nullptr);
    EXPECT_TRUE(relation->Is(LyConstraintRelation::TypeInfo));

    auto create = [](IObject*, const char* name, void*) -> IObject* {
        auto* c = new Follow(name);
        return c->GetHIObject();
    };
    ASSERT_TRUE(LyObject_Register("DsxStorable/Constraint", "Follow Source", "test", create, true, nullptr));
    const int before = manager.TypeGetCount();
    LyConstraint* made = manager.TypeCreateConstraint("Follow Source");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->Is(Follow::TypeInfo));
    EXPECT_EQ(manager.TypeGetCount(), before);
    velora::Model* a = MakeModel("CloneA", 0, 0, 0);
    made->ReferenceAdd(0, Wrap(a));
    LyConstraint* copy = made->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->Is(Follow::TypeInfo));
    const std::string original = made->Name.AsString();
    EXPECT_NE(original, copy->Name.AsString()) << "the copy has a name of its own";
    EXPECT_EQ(copy->ReferenceGet(0, 0), Wrap(a));
}

TEST(Constraints, CreateFunctionBoxPlacesABoxInTheRelation) {
    auto* relation = new LyConstraintRelation("rel");
    auto create = [](IObject*, const char* name, void*) -> IObject* {
        return (new LyBox(name))->GetHIObject();
    };
    ASSERT_TRUE(LyObject_Register("Boxes/Functions/Test", "Passthrough", "test", create, true, nullptr));
    EXPECT_EQ(relation->CreateFunctionBox("Test", "Missing"), nullptr);
    LyBox* box = relation->CreateFunctionBox("Test", "Passthrough");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(relation->Boxes.GetCount(), 1);
    EXPECT_EQ(relation->Boxes.GetAt(0), box);
    int x = -1, y = -1;
    ASSERT_TRUE(relation->GetBoxPosition(box, x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);
    EXPECT_TRUE(relation->SetBoxPosition(box, 20, 30));
    relation->GetBoxPosition(box, x, y);
    EXPECT_EQ(x * 100 + y, 2030);
    LyModel* model = Wrap(MakeModel("Placed", 0, 0, 0));
    EXPECT_FALSE(relation->GetBoxPosition(nullptr, x, y));
    EXPECT_EQ(x * 100 + y, 2030) << "out-arguments untouched";
    LyBox* destination = relation->ConstrainObject(model);
    ASSERT_NE(destination, nullptr);
    EXPECT_TRUE(destination->Is(LyModelPlaceHolder::TypeInfo));
    EXPECT_EQ(relation->Boxes.GetCount(), 2);
    relation->LyDelete();
}

TEST(Constraints, DeformersSeeTheMeshPointsOnlyWhileActiveAndMoveWhatBoxesAndRaysSee) {
    auto* c = new Follow("deformer");
    auto* mesh = static_cast<velora::MeshModel*>(MakeModel("Mesh", 0, 0, 0, velora::kClassModelMesh));
    mesh->SetPoints({0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1});
    mesh->SetTriangles({0, 1, 2});
    velora::Scene::Main().AddObject(velora::AsObject(c->GetHIObject()));
    EXPECT_FALSE(c->DeformerBind(nullptr));
    ASSERT_TRUE(c->DeformerBind(Wrap(mesh)));
    EXPECT_TRUE(c->Deformer);
    const double origin[3] = {0.2, 5, 0.2}, down[3] = {0, -1, 0};
    double box[6], t = 0;
    for (bool active : {false, true, false}) {
        c->Active = active;
        const int before = c->deforms;
        Frame(0);
        EXPECT_EQ(c->deforms - before, active ? 1 : 0);
        ASSERT_TRUE(mesh->BoundingBox(box));
        EXPECT_DOUBLE_EQ(box[1], active ? 2.0 : 0.0);
        ASSERT_TRUE(mesh->RayTest(origin, down, &t));
        EXPECT_NEAR(t, active ? 3.0 : 5.0, 1e-6);
    }
    EXPECT_TRUE(c->DeformerUnBind(Wrap(mesh)));
    EXPECT_EQ(mesh->DeformerCount(), 0);
    c->LyDelete();
}
