// Models through lysdk: transformation kinds, the parent rules, the cached
// hierarchy, ray tests, paths and the wrapper of each model kind. Expected
// matrices are built here from the SDK's value functions, never read back
// from the model under test.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include <velora/entity.h>
#include <velora/animation.h>
#include <velora/scene_io.h>

#include "scene/scene_fixture.h"

using namespace VELSDK2025;

namespace {

class Models : public lysdk_test::SceneTest {
protected:
    // A host model in the scene with the given local values, and its wrapper.
    LyModel* Make(const char* name, LyModel* parent, LyVector3<double> t, LyVector3<double> r,
                  LyVector3<double> s = LyVector3<double>(1, 1, 1), int classId = velora::kClassModel) {
        velora::Model* host = AddModel(name, parent ? velora::AsModel(velora::AsObject(parent->GetHIObject())) : nullptr,
                                       classId);
        LyModel* model = Wrap(host);
        model->Translation = t;
        model->Rotation = r;
        model->Scaling = s;
        return model;
    }
};

LyMatrix Trs(LyVector3<double> t, LyVector3<double> r, LyVector3<double> s) {
    LyMatrix m;
    LyTRSToMatrix(m, LyVector4<double>(t[0], t[1], t[2], 1), r, LySVector(s[0], s[1], s[2]));
    return m;
}

LyMatrix Product(const LyMatrix& a, const LyMatrix& b) {
    LyMatrix r;
    LyMatrixMult(r, a, b);
    return r;
}

LyMatrix Inverse(const LyMatrix& m) {
    LyMatrix r;
    LyMatrixInverse(r, m);
    return r;
}

double Distance(const LyMatrix& a, const LyMatrix& b) {
    double worst = 0;
    for (int i = 0; i < 16; ++i) worst = std::max(worst, std::fabs(a.mValue[i] - b.mValue[i]));
    return worst;
}

double Det3(const LyMatrix& m) {
    const double* M = m.mValue;
    return M[0] * (M[5] * M[10] - M[6] * M[9]) + M[1] * (M[6] * M[8] - M[4] * M[10]) + M[2] * (M[4] * M[9] - M[5] * M[8]);
}

const LyVector3<double> kParentT(5, -2, 3), kParentR(10, 20, 30), kParentS(2, 2, 2);
const LyVector3<double> kChildT(1, 2, 3), kChildR(-40, 15, 70), kChildS(1, 3, 0.5);

}  // namespace

TEST_F(Models, EachTransformationKindLocalAndGlobal) {
    LyModel* parent = Make("KindParent", nullptr, kParentT, kParentR, kParentS);
    LyModel* child = Make("KindChild", parent, kChildT, kChildR, kChildS);
    child->GeometricTranslation = LyVector3<double>(0, 1, 0);
    const LyMatrix local = Trs(kChildT, kChildR, kChildS);
    const LyMatrix global = Product(Trs(kParentT, kParentR, kParentS), local);
    LyMatrix rotationLocal, scalingLocal, translationGlobal, geometry;
    LyRotationToMatrix(rotationLocal, kChildR);
    LyScalingToMatrix(scalingLocal, LySVector(kChildS[0], kChildS[1], kChildS[2]));
    LyTranslationToMatrix(translationGlobal, LyVector4<double>(global(0, 3), global(1, 3), global(2, 3), 1));
    LyTranslationToMatrix(geometry, LyVector4<double>(0, 1, 0, 1));
    LyMatrix parentRotation, rotationGlobal;
    LyRotationToMatrix(parentRotation, kParentR);
    LyMatrixMult(rotationGlobal, parentRotation, rotationLocal);
    LyMatrix identity;
    struct Case {
        LyModelTransformationType what;
        bool global;
        LyMatrix expected;
    } cases[] = {
        {kModelTransformation, false, local},
        {kModelTransformation, true, global},
        {kModelRotation, false, rotationLocal},
        {kModelRotation, true, rotationGlobal},
        {kModelTranslation, true, translationGlobal},
        {kModelScaling, false, scalingLocal},
        {kModelTransformation_Geometry, false, identity},
        {kModelTransformation_Geometry, true, Product(global, geometry)},
        {kModelInverse_Transformation, false, Inverse(local)},
        {kModelInverse_Transformation, true, Inverse(global)},
        {kModelInverse_Rotation, true, Inverse(rotationGlobal)},
        {kModelInverse_Translation, true, Inverse(translationGlobal)},
        {kModelInverse_Scaling, false, Inverse(scalingLocal)},
        {kModelInverse_Transformation_Geometry, false, identity},
        {kModelInverse_Transformation_Geometry, true, Inverse(geometry)},
    };
    for (const Case& c : cases) {
        LyMatrix got;
        got(0, 1) = 99;  // overwritten whatever the kind
        child->GetMatrix(got, c.what, c.global);
        EXPECT_LT(Distance(got, c.expected), 1e-12) << c.what << " global " << c.global;
    }
    LyVector3<double> v;
    child->GetVector(v, kModelTransformation, true);
    EXPECT_NEAR(v[0], global(0, 3), 1e-12);
    EXPECT_NEAR(v[2], global(2, 3), 1e-12);
    child->GetVector(v, kModelScaling, true);
    EXPECT_NEAR(v[1], 6.0, 1e-12);
}

TEST_F(Models, SetMatrixWritesTheAttributesOfItsKind) {
    LyModel* parent = Make("SetParent", nullptr, kParentT, kParentR, kParentS);
    LyModel* child = Make("SetChild", parent, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    const LyMatrix target = Trs(kChildT, kChildR, kChildS);
    for (bool global : {false, true}) {
        child->SetMatrix(target, kModelTransformation, global);
        LyMatrix got;
        child->GetMatrix(got, kModelTransformation, global);
        EXPECT_LT(Distance(got, target), 1e-9) << global;
        // The inverse kinds take the inverse.
        child->SetMatrix(Inverse(Trs(kParentT, kChildR, kChildS)), kModelInverse_Transformation, global);
        child->GetMatrix(got, kModelTransformation, global);
        EXPECT_LT(Distance(got, Trs(kParentT, kChildR, kChildS)), 1e-9) << global;
    }
    // Translation alone leaves rotation and scaling; the geometric kinds
    // write nothing.
    const LyVector3<double> before = child->Rotation;
    child->SetMatrix(Trs(LyVector3<double>(7, 8, 9), LyVector3<double>(80, 0, 0), LyVector3<double>(4, 4, 4)),
                     kModelTranslation, false);
    EXPECT_EQ(LyVector3<double>(child->Translation), LyVector3<double>(7, 8, 9));
    EXPECT_EQ(LyVector3<double>(child->Rotation), before);
    LyMatrix local;
    child->GetMatrix(local, kModelTransformation, false);
    child->SetMatrix(Trs(kParentT, kParentR, kParentS), kModelTransformation_Geometry, true);
    child->SetMatrix(Trs(kParentT, kParentR, kParentS), kModelInverse_Transformation_Geometry, false);
    LyMatrix after;
    child->GetMatrix(after, kModelTransformation, false);
    EXPECT_EQ(Distance(after, local), 0.0);

    // A mirrored matrix: negative scaling on all three axes, a proper rotation.
    LyMatrix mirrored = Trs(LyVector3<double>(1, 1, 1), LyVector3<double>(30, 40, 50), LyVector3<double>(2, 3, 4));
    for (int i = 0; i < 3; ++i) mirrored(0, i) = -mirrored(0, i);
    LyModel* alone = Make("Mirrored", nullptr, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    alone->SetMatrix(mirrored, kModelTransformation, false);
    const LyVector3<double> s = alone->Scaling;
    EXPECT_NEAR(s[0], -2, 1e-12);
    EXPECT_NEAR(s[1], -3, 1e-12);
    EXPECT_NEAR(s[2], -4, 1e-12);
    LyMatrix rotation;
    alone->GetMatrix(rotation, kModelRotation, false);
    EXPECT_NEAR(Det3(rotation), 1.0, 1e-12);
    LyMatrix back;
    alone->GetMatrix(back, kModelTransformation, false);
    EXPECT_LT(Distance(back, mirrored), 1e-9);
}

TEST_F(Models, AFiftyDeepChainAgreesWithTheProductOfItsLocals) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0), angle(-180.0, 180.0), size(0.9, 1.1);
    LyModel* parent = nullptr;
    LyMatrix expected;
    std::vector<LyModel*> chain;
    for (int depth = 0; depth < 50; ++depth) {
        const LyVector3<double> t(unit(random), unit(random), unit(random));
        const LyVector3<double> r(angle(random), angle(random), angle(random));
        const LyVector3<double> s(size(random), size(random), size(random));
        parent = Make(("Link" + std::to_string(depth)).c_str(), parent, t, r, s);
        chain.push_back(parent);
        expected = Product(expected, Trs(t, r, s));
        LyMatrix global, local, parentGlobal;
        parent->GetMatrix(global, kModelTransformation, true);
        EXPECT_LT(Distance(global, expected), 1e-12) << depth;
        parent->GetMatrix(local, kModelTransformation, false);
        if (depth > 0) chain[depth - 1]->GetMatrix(parentGlobal, kModelTransformation, true);
        EXPECT_LT(Distance(Product(parentGlobal, local), global), 1e-12) << depth;
    }
    // The branch's matrices in one call match the models' own, both orders.
    std::vector<LyMatrix> all(60);
    for (LyModelHiercharyTraverserType order : {kLyHierarchyDepthFirst, kLyHierarchyBreadthFirst}) {
        ASSERT_EQ(chain[0]->GetHierarchyWorldMatrices(all.data(), 60, order), 50);
        for (int i = 0; i < 50; ++i) {
            LyMatrix own;
            chain[static_cast<std::size_t>(i)]->GetMatrix(own, kModelTransformation, true);
            EXPECT_EQ(Distance(all[static_cast<std::size_t>(i)], own), 0.0);
        }
    }
    EXPECT_EQ(chain[0]->GetHierarchyWorldMatrices(all.data(), 3, kLyHierarchyDepthFirst), 3);
    // Moving the root reaches the leaf; reading again recomputes nothing.
    velora::Model* leaf = velora::AsModel(velora::AsObject(chain.back()->GetHIObject()));
    const LyVector3<double> first = chain[0]->Translation;
    chain[0]->Translation = LyVector3<double>(first[0] + 100, first[1], first[2]);
    const double x = leaf->GlobalMatrix()[12];
    const auto computed = leaf->TransformComputeCount();
    EXPECT_EQ(leaf->GlobalMatrix()[12], x);
    EXPECT_EQ(leaf->TransformComputeCount(), computed);
    LyMatrix moved;
    chain.back()->GetMatrix(moved, kModelTransformation, true);
    EXPECT_NEAR(moved(0, 3) - expected(0, 3), 100.0, 1e-9);
}

TEST_F(Models, ParentRulesAndTargets) {
    LyModel* a = Make("RuleA", nullptr, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    LyModel* b = Make("RuleB", a, LyVector3<double>(10, 0, 0), LyVector3<double>(0, 0, 0));
    LyModel* target = Make("RuleTarget", nullptr, LyVector3<double>(10, 10, 0), LyVector3<double>(0, 0, 0));
    EXPECT_EQ(a->Parent, nullptr);
    EXPECT_EQ(b->Parent, a);
    b->Parent = nullptr;  // to the top
    EXPECT_EQ(b->Parent, nullptr);
    EXPECT_EQ(velora::AsModel(velora::AsObject(b->GetHIObject()))->Parent(), Scene().RootModel());
    b->Parent = a;
    b->Parent = b;  // itself: to the top
    EXPECT_EQ(b->Parent, nullptr);
    a->Parent = b;
    b->Parent = a;  // refused by the host: a is b's child
    EXPECT_EQ(b->Parent, nullptr);
    EXPECT_EQ(a->Parent, b);
    a->Parent = nullptr;

    // Look-at: X turns to the target, Y towards the up-vector target; the
    // look-at target cannot become the parent.
    b->LookAt = target;
    EXPECT_EQ(b->LookAt, target);
    LyMatrix aimed;
    b->GetMatrix(aimed, kModelTransformation, true);
    EXPECT_NEAR(aimed(1, 0), 1.0, 1e-12);  // X axis along +Y, towards the target
    EXPECT_NEAR(aimed(0, 3), 10.0, 1e-12);
    target->LookAt = b;  // would depend on itself: refused
    EXPECT_EQ(target->LookAt, nullptr);
    b->Parent = a;
    b->Parent = target;
    EXPECT_EQ(b->Parent, nullptr);
    b->LookAt = nullptr;
    b->GetMatrix(aimed, kModelRotation, true);
    EXPECT_NEAR(aimed(0, 0), 1.0, 1e-12);

    // Visibility follows the parent while inheritance is on.
    b->Parent = a;
    a->Show = false;
    EXPECT_FALSE(b->IsVisible());
    b->VisibilityInheritance = false;
    EXPECT_TRUE(b->IsVisible());
    // Evaluated once read, until a value above it moves.
    b->GetMatrix(aimed, kModelTransformation, true);
    EXPECT_TRUE(b->IsEvaluationReady(kLyModelEvaluationTransformation));
    a->Translation = LyVector3<double>(0, 1, 0);
    EXPECT_FALSE(b->IsEvaluationReady(kLyModelEvaluationTransformation));
    EXPECT_FALSE(b->IsEvaluationReady(kLyModelEvaluationBoundingBox));  // not a mesh
}

TEST_F(Models, RaysHitTheCubesTriangles) {
    auto* cube = new LyModelCube("RayCube");
    Keep(velora::AsObject(cube->GetHIObject()));
    EXPECT_EQ(cube->ShadingMode, kLyModelShadingAll);
    cube->Translation = LyVector3<double>(0, 0, 10);
    cube->Scaling = LyVector3<double>(2, 2, 2);
    LyVector3<double> lo, hi;
    cube->GetBoundingBox(lo, hi);
    EXPECT_EQ(lo, LyVector3<double>(-1, -1, -1));
    EXPECT_EQ(hi, LyVector3<double>(1, 1, 1));
    struct Ray {
        LyVector4<double> start, end;
        bool hit;
        LyVector3<double> position, normal;
    } rays[] = {
        {{10, 0.5, 10, 1}, {-10, 0.5, 10, 1}, true, {2, 0.5, 10}, {1, 0, 0}},
        {{0.3, -9, 9, 1}, {0.3, 9, 9, 1}, true, {0.3, -2, 9}, {0, -1, 0}},
        {{0, 0, 30, 1}, {0, 0, 0, 1}, true, {0, 0, 12}, {0, 0, 1}},
        {{10, 5, 10, 1}, {-10, 5, 10, 1}, false, {}, {}},  // passes above
        {{10, 0, 10, 1}, {5, 0, 10, 1}, false, {}, {}},    // ends short of it
    };
    for (const Ray& ray : rays) {
        LyVector4<float> p, n;
        ASSERT_EQ(cube->ClosestRayIntersection(ray.start, ray.end, p, n), ray.hit);
        if (!ray.hit) continue;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(p[k], ray.position[k], 1e-5);
            EXPECT_NEAR(n[k], ray.normal[k], 1e-6);
        }
    }
    // Through the centre pixel of a camera looking along +Z at the cube.
    LyCamera* camera = new LyCamera("RayCamera");
    Keep(velora::AsObject(camera->GetHIObject()));
    camera->Rotation = LyVector3<double>(0, -90, 0);
    LyVector4<double> position, normal;
    ASSERT_TRUE(cube->RayCast(camera, 320, 240, position, normal));
    EXPECT_NEAR(position[2], 8.0, 1e-3);
    EXPECT_NEAR(normal[2], -1.0, 1e-6);
    EXPECT_FALSE(cube->RayCast(camera, 0, 0, position, normal));
    EXPECT_FALSE(camera->RayCast(camera, 320, 240, position, normal));  // not a mesh
    LyVector4<float> p, n;
    EXPECT_FALSE(camera->ClosestRayIntersection({0, 0, 30, 1}, {0, 0, 0, 1}, p, n));
    LyModel* copy = cube->Clone();
    ASSERT_NE(copy, nullptr);
    Keep(velora::AsObject(copy->GetHIObject()));
    EXPECT_TRUE(copy->Is(LyModelCube::TypeInfo));
    EXPECT_TRUE(copy->ClosestRayIntersection({10, 0.5, 10, 1}, {-10, 0.5, 10, 1}, p, n));
}

TEST_F(Models, PathsEvaluateAlongSegmentsAndLength) {
    auto* path = new LyModelPath3D("Path");
    Keep(velora::AsObject(path->GetHIObject()));
    // Three keys on a line, 10 then 30 apart: the segments are straight.
    for (double x : {0.0, 10.0, 40.0}) path->PathKeyEndAdd(LyVector4<double>(x, 0, 0, 7));
    ASSERT_EQ(path->PathKeyGetCount(), 3);
    EXPECT_EQ(path->PathKeyGet(1), LyVector4<double>(10, 0, 0, 1));
    EXPECT_EQ(path->PathKeyGet(3), LyVector4<double>(0, 0, 0, 0));
    EXPECT_NEAR(path->PathLength, 40.0, 1e-9);
    EXPECT_NEAR(path->Total_LocalPathEvaluate(25)[0], 10.0, 1e-9);
    EXPECT_NEAR(path->Total_LocalPathEvaluate(50)[0], 20.0, 1e-9);
    EXPECT_NEAR(path->Segment_LocalPathEvaluate(50)[0], 10.0, 1e-12);
    EXPECT_TRUE(path->Segment_IsPathKey(50));
    EXPECT_TRUE(path->Total_IsPathKey(25));
    EXPECT_FALSE(path->Total_IsPathKey(50));
    EXPECT_NEAR(path->ConvertTotalPercentToSegmentPercent(25), 50, 1e-9);
    EXPECT_NEAR(path->Total_LocalPathEvaluateDerivative(60)[0], 0.4, 1e-9);  // 40 units per 100 percent

    // A curved path: the segment evaluation is the Bezier curve through the
    // keys and the handles the path reports; derivatives match differences.
    path->PathKeySet(1, LyVector4<double>(10, 10, 5, 0));
    path->PathKeySetRightTangent(0, LyVector4<double>(0, 8, 0, 1));
    const LyVector4<double> p0 = path->PathKeyGet(0), p1 = path->PathKeyGetRightTangent(0),
                            p2 = path->PathKeyGetLeftTangent(1), p3 = path->PathKeyGet(1);
    EXPECT_EQ(p1, LyVector4<double>(0, 8, 0, 1));
    for (double u : {0.0, 0.25, 0.6, 1.0}) {
        const double v = 1 - u;
        const LyVector4<double> got = path->Segment_LocalPathEvaluate(50 * u);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(got[k], v * v * v * p0[k] + 3 * v * v * u * p1[k] + 3 * v * u * u * p2[k] + u * u * u * p3[k],
                        1e-12);
    }
    const double h = 1e-5;
    for (double at : {12.0, 37.0, 81.0}) {
        const LyVector4<double> d = path->Segment_LocalPathEvaluateDerivative(at);
        const LyVector4<double> total = path->Total_LocalPathEvaluateDerivative(at);
        const LyVector4<double> a = path->Segment_LocalPathEvaluate(at - h), b = path->Segment_LocalPathEvaluate(at + h);
        const LyVector4<double> ta = path->Total_LocalPathEvaluate(at - h), tb = path->Total_LocalPathEvaluate(at + h);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(d[k], (b[k] - a[k]) / (2 * h), 1e-5);
            EXPECT_NEAR(total[k], (tb[k] - ta[k]) / (2 * h), 1e-5);
        }
        EXPECT_NEAR(path->ConvertSegmentPercentToTotalPercent(path->ConvertTotalPercentToSegmentPercent(at)), at, 1e-9);
    }
    // In the world: the path's own transform applies.
    path->Translation = LyVector3<double>(0, 0, 100);
    EXPECT_NEAR(path->Segment_GlobalPathEvaluate(100)[2], 100.0, 1e-12);
    // Each key is an animatable property of the path.
    LyPropertyAnimatable* key = path->PathKeyGetProperty(1);
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key->GetName(), "Key 1");
    EXPECT_EQ(path->PathKeyGetProperty(3), nullptr);
    // Out of range and empty: neutral answers.
    path->PathKeyRemove(7);
    EXPECT_EQ(path->PathKeyGetCount(), 3);
    path->PathKeyClear();
    EXPECT_EQ(path->Total_LocalPathEvaluate(50), LyVector4<double>(0, 0, 0, 1));
    EXPECT_EQ(path->PathKeyGetXYZDerivative(0), LyVector4<double>(0, 0, 0, 0));
}

TEST_F(Models, EachHostKindComesBackAsItsWrapper) {
    const struct {
        int hostClass;
        int* typeInfo;
    } kinds[] = {
        {velora::kClassModel, &LyModel::TypeInfo},           {velora::kClassModelNull, &LyModelNull::TypeInfo},
        {velora::kClassModelRoot, &LyModelRoot::TypeInfo},   {velora::kClassModelMarker, &LyModelMarker::TypeInfo},
        {velora::kClassModelSkeleton, &LyModelSkeleton::TypeInfo},
        {velora::kClassModelCube, &LyModelCube::TypeInfo},   {velora::kClassModelPlane, &LyModelPlane::TypeInfo},
        {velora::kClassModelPath3D, &LyModelPath3D::TypeInfo}, {velora::kClassCamera, &LyCamera::TypeInfo},
        {velora::kClassCameraStereo, &LyCamera::TypeInfo},   {velora::kClassLight, &LyLight::TypeInfo},
        {velora::kClassModelMesh, &LyModel::TypeInfo},
    };
    for (const auto& kind : kinds) {
        LyComponent* wrapper = LyGetLyComponent(AddModel("Kind", nullptr, kind.hostClass), true);
        ASSERT_NE(wrapper, nullptr);
        EXPECT_EQ(wrapper->GetTypeId(), *kind.typeInfo) << wrapper->ClassName();
        EXPECT_TRUE(wrapper->Is(LyModel::TypeInfo));
    }
    const struct {
        int kind;
        int* typeInfo;
    } others[] = {{velora::kSceneFolders, &LyFolder::TypeInfo}, {velora::kSceneNamespaces, &LyNamespace::TypeInfo}};
    for (const auto& other : others) {
        LyComponent* wrapper = LyGetLyComponent(AddObject("Other", other.kind), true);
        ASSERT_NE(wrapper, nullptr);
        EXPECT_EQ(wrapper->GetTypeId(), *other.typeInfo) << wrapper->ClassName();
    }
    // The kinds' own values, bound to the host's.
    auto* bone = static_cast<LyModelSkeleton*>(LyGetLyComponent(AddModel("Bone", nullptr, velora::kClassModelSkeleton), true));
    bone->Size = 42.0;
    double size = 0;
    velora::Object* host = velora::AsObject(bone->GetHIObject());
    host->FindProperty("Size")->GetRaw(&size);
    EXPECT_EQ(size, 42.0);
    EXPECT_STREQ(bone->Look.AsString(), "Bone");
}

TEST_F(Models, DeleteRefusesSystemModels) {
    auto* made = new LyModelNull("Deletable");
    velora::PlugHandle handle(velora::AsPlug(made->GetHIObject()));
    made->LyDelete();
    EXPECT_EQ(handle.Get(), nullptr);
    LyModel* root = Wrap(Scene().RootModel());
    ASSERT_NE(root, nullptr);
    root->LyDelete();
    EXPECT_FALSE(Scene().RootModel()->IsEnding());
}

TEST_F(Models, AHierarchyWithGeometryAndAPathSurvivesSaveAndOpen) {
    const std::string path = std::string(::testing::TempDir()) + "models-" + std::to_string(getpid()) + ".dsx";
    LyMatrix leafGlobal;
    LyVector4<double> along;
    {
        LyModel* top = Make("IoTop", nullptr, kParentT, kParentR, kParentS, velora::kClassModelNull);
        LyModel* bone = Make("IoBone", top, kChildT, kChildR, kChildS, velora::kClassModelSkeleton);
        LyModel* target = Make("IoTarget", nullptr, LyVector3<double>(0, 50, 0), LyVector3<double>(0, 0, 0));
        LyModel* mesh = Make("IoMesh", bone, LyVector3<double>(0, 1, 0), LyVector3<double>(0, 0, 45),
                             LyVector3<double>(1, 1, 1), velora::kClassModelMesh);
        mesh->LookAt = target;
        auto* host = static_cast<velora::MeshModel*>(velora::AsObject(mesh->GetHIObject()));
        ASSERT_TRUE(host->SetPoints({0, 0, 0, 1, 4, 0, 0, 1, 0, 4, 0, 1}));
        host->SetTriangles({0, 1, 2});
        mesh->GetMatrix(leafGlobal, kModelTransformation, true);
        auto* curve = static_cast<LyModelPath3D*>(Wrap(AddModel("IoPath", nullptr, velora::kClassModelPath3D)));
        for (double x : {0.0, 10.0, 30.0}) curve->PathKeyEndAdd(LyVector4<double>(x, x / 2, 0, 1));
        curve->PathKeySetRightTangent(1, LyVector4<double>(12, 9, 3, 1), true);
        curve->PathKeySetControlNode(2, target);
        along = curve->Total_GlobalPathEvaluate(70);
        std::string error;
        ASSERT_TRUE(velora::SaveScene(path, false, &error)) << error;
        for (LyModel* m : {static_cast<LyModel*>(curve), mesh, target, bone, top})
            velora::AsObject(m->GetHIObject())->Destroy(0);
    }
    std::string error;
    velora::SceneCounts counts;
    ASSERT_TRUE(velora::OpenScene(path, &error, &counts)) << error;
    std::remove(path.c_str());
    auto find = [this](const char* name) {
        velora::Object* found = velora::MainEntity::Instance().Objects().FindByFullName(name);
        if (found) Keep(found);
        return found ? Wrap(found) : nullptr;
    };
    LyModel* bone = find("Model::IoBone");
    LyModel* mesh = find("Model::IoMesh");
    auto* curve = static_cast<LyModelPath3D*>(find("Model::IoPath"));
    ASSERT_TRUE(bone && mesh && curve && find("Model::IoTop") && find("Model::IoTarget"));
    EXPECT_TRUE(bone->Is(LyModelSkeleton::TypeInfo));
    EXPECT_EQ(mesh->Parent, bone);
    EXPECT_EQ(mesh->LookAt, find("Model::IoTarget"));
    LyMatrix reopened;
    mesh->GetMatrix(reopened, kModelTransformation, true);
    EXPECT_LT(Distance(reopened, leafGlobal), 1e-12);
    LyVector3<double> lo, hi;
    mesh->GetBoundingBox(lo, hi);
    EXPECT_EQ(hi, LyVector3<double>(4, 4, 0));
    ASSERT_EQ(curve->PathKeyGetCount(), 3);
    EXPECT_EQ(curve->PathKeyGetRightTangent(1), LyVector4<double>(12, 9, 3, 1));
    EXPECT_EQ(curve->PathKeyGetControlNode(2), find("Model::IoTarget"));
    const LyVector4<double> again = curve->Total_GlobalPathEvaluate(70);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(again[k], along[k], 1e-9);
}

TEST_F(Models, RotationOrdersComposeAndConvert) {
    const LyVector3<double> r(25, -50, 80), t(1, 2, 3), s(2, 1, 0.5);
    for (int order = kLyEulerXYZ; order <= kLyEulerZYX; ++order) {
        LyModel* model = Make("Ordered", nullptr, t, r, s);
        model->RotationOrder = static_cast<LyModelRotationOrder>(order);
        LyMatrix rotation, expected, got;
        LyRotationToMatrix(rotation, r, static_cast<LyRotationOrder>(order));
        LyMatrix scaling;
        LyScalingToMatrix(scaling, LySVector(s[0], s[1], s[2]));
        LyTranslationToMatrix(expected, LyVector4<double>(t[0], t[1], t[2], 1));
        expected = Product(Product(expected, rotation), scaling);
        model->GetMatrix(got, kModelTransformation, false);
        EXPECT_LT(Distance(got, expected), 1e-12) << order;
        // Vectors speak XYZ whatever the order: reading and writing back the
        // same angles leaves the matrix as it was.
        LyVector3<double> xyz;
        model->GetVector(xyz, kModelRotation, false);
        LyMatrix fromXyz;
        LyRotationToMatrix(fromXyz, xyz, kLyRotationOrderXYZ);
        EXPECT_LT(Distance(fromXyz, rotation), 1e-12) << order;
        model->SetVector(xyz, kModelRotation, false);
        model->GetMatrix(got, kModelTransformation, false);
        EXPECT_LT(Distance(got, expected), 1e-9) << order;
    }
}

TEST_F(Models, AContextAtAnotherTimeReadsTheAnimatedValuesThen) {
    LyModel* parent = Make("TimedParent", nullptr, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    LyModel* model = Make("Timed", parent, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    for (LyModel* m : {parent, model}) {
        m->Translation.SetAnimated(true);
        double start[3] = {0, 0, 0}, end[3] = {10, 0, 0};
        ASSERT_TRUE(m->Translation.GetAnimationNode()->KeyAdd(LyTime(0), start, kLyInterpolationLinear));
        ASSERT_TRUE(m->Translation.GetAnimationNode()->KeyAdd(LyTime(141120000), end, kLyInterpolationLinear));
    }
    velora::EvaluationContext later;
    later.time = 141120000 / 2;
    auto* info = reinterpret_cast<LyEvaluateInfo*>(&later);
    LyMatrix local, global, scaling;
    model->GetMatrix(local, kModelTransformation, false, info);
    model->GetMatrix(global, kModelTransformation, true, info);
    model->GetMatrix(scaling, kModelScaling, false, info);
    EXPECT_NEAR(local(0, 3), 5.0, 1e-9);
    EXPECT_NEAR(global(0, 3), 10.0, 1e-9);
    EXPECT_EQ(scaling(0, 0), 1.0);
}

TEST_F(Models, RotationExtractionHonoursItsPrecision) {
    // A quarter turn about Y: the first and third angles share one axis.
    LyMatrix gimbal;
    LyRotationToMatrix(gimbal, LyVector3<double>(30, 90, 20));
    LyModel* model = Make("Gimbal", nullptr, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 0));
    for (double precision : {1.6e-9, 1e-3}) {
        model->SetMatrixWithPrecision(gimbal, kModelRotation, false, false, nullptr, precision);
        const LyVector3<double> r = model->Rotation;
        LyMatrix back;
        LyRotationToMatrix(back, r);
        EXPECT_LT(Distance(back, gimbal), 1e-6) << precision;
        if (precision > 1e-6) {
            EXPECT_EQ(r[2], 0.0);
        }
    }
}

TEST_F(Models, AConstraintsMatrixHoldsUntilTheNextTransformStage) {
    velora::Model* driven = AddModel("Driven");
    velora::Model* child = AddModel("DrivenChild", driven);
    const double offset[3] = {0, 5, 0};
    child->TranslationProperty()->SetRaw(offset);
    double placed[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, 0, 0, 1};
    driven->SetGlobalMatrix(placed);
    EXPECT_EQ(driven->GlobalMatrix()[12], 7.0);  // kept, not computed again from its values
    EXPECT_EQ(child->GlobalMatrix()[12], 7.0);   // the child follows
    EXPECT_EQ(child->GlobalMatrix()[13], 5.0);
    Scene().Evaluator().UpdateTransformHierarchy();
    EXPECT_EQ(driven->GlobalMatrix()[12], 0.0);  // its own values again
    EXPECT_EQ(child->GlobalMatrix()[12], 0.0);
}

TEST_F(Models, MeshStatesFollowTheirGeometry) {
    auto* mesh = static_cast<velora::MeshModel*>(AddModel("StateMesh", nullptr, velora::kClassModelMesh));
    LyModel* model = Wrap(mesh);
    EXPECT_FALSE(model->IsEvaluationReady(kLyModelEvaluationBoundingBox));  // no points yet
    EXPECT_FALSE(mesh->SetPoints({0, 0, 0, 1, NAN, 0, 0, 1}));              // refused whole
    ASSERT_TRUE(mesh->SetPoints({0, 0, 0, 1, 2, 0, 0, 1, 0, 2, 0, 1}));
    mesh->SetTriangles({0, 1, 2, 0, 1, 9});  // the second names a point the mesh lacks
    EXPECT_EQ(mesh->TriangleCount(), 1);
    const int version = model->GeometryUpdateId;
    LyVector3<double> lo, hi;
    model->GetBoundingBox(lo, hi);
    EXPECT_TRUE(model->IsEvaluationReady(kLyModelEvaluationBoundingBox));
    const double far[3] = {0, 0, 6};
    EXPECT_TRUE(mesh->SetPoint(2, far));
    EXPECT_GT(model->GeometryUpdateId, version);
    EXPECT_FALSE(model->IsEvaluationReady(kLyModelEvaluationBoundingBox));
    model->GetBoundingBox(lo, hi);
    EXPECT_EQ(hi, LyVector3<double>(2, 0, 6));
    EXPECT_TRUE(model->IsEvaluationReady(kLyModelEvaluationDeformation));  // nothing deforms it
    model->SkeletonDeformable = true;
    EXPECT_TRUE(mesh->Switch(0));
}
