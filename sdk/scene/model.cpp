// LyModel: transforms, hierarchy, geometry queries and the model kinds over
// the host's models.

#include "lysdk/lymodel.h"

#include <cmath>

#include <velora/model.h>
#include <velora/scene.h>

#include "core/host_access.h"
#include "core/model_hook.h"
#include "lysdk/lycamera.h"
#include "lysdk/lyobjectservices.h"
#include "lysdk/lyrotation.h"
#include "lysdk/lyscene.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyModel, velora::kClassModel);
LYSDK_CLASS_IMPLEMENT(LyModelNull, velora::kClassModelNull);
LYSDK_CLASS_IMPLEMENT(LyModelRoot, velora::kClassModelRoot);
LYSDK_CLASS_IMPLEMENT(LyModelMarker, velora::kClassModelMarker);
LYSDK_CLASS_IMPLEMENT(LyModelSkeleton, velora::kClassModelSkeleton);
LYSDK_CLASS_IMPLEMENT(LyModelCube, velora::kClassModelCube);
LYSDK_CLASS_IMPLEMENT(LyModelPlane, velora::kClassModelPlane);
LYSDK_CLASS_IMPLEMENT(LyCamera, velora::kClassCamera);
LYSDK_CLASS_IMPLEMENT(LyLight, velora::kClassLight);

namespace {

// From here on object creation tells models by their wrapper class.
[[maybe_unused]] const bool kModelHookSet = (__LyModelTypeId = LyModel::TypeInfo, true);

velora::Model* HostModel(const LyPlug* plug) { return velora::AsModel(__LyHostObject(plug)); }

velora::MeshModel* HostMesh(const LyPlug* plug) {
    velora::Model* model = HostModel(plug);
    return model && model->IsA(velora::kClassModelMesh) ? static_cast<velora::MeshModel*>(model) : nullptr;
}

const velora::EvaluationContext* ContextOf(LyEvaluateInfo* info) {
    return reinterpret_cast<const velora::EvaluationContext*>(info);
}

LyModel* ModelWrapper(velora::Object* object) {
    LyComponent* component = object ? LyGetLyComponent(object, true) : nullptr;
    return component && component->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(component) : nullptr;
}

IObject* NewHostModel(const char* name, IObject* given, int hostClass) {
    return given ? given : static_cast<IObject*>(velora::Model::Create(name ? name : "Model", hostClass));
}

LyColor ColorOf(const std::uint8_t rgba[4]) { return LyColor(rgba[0] / 255.0, rgba[1] / 255.0, rgba[2] / 255.0); }

// The host's vector kind of a transformation type.
int VectorKind(LyModelTransformationType what) {
    switch (what) {
        case kModelRotation: return velora::kTransformRotation;
        case kModelScaling: return velora::kTransformScaling;
        default: return velora::kTransformTranslation;
    }
}

void Invert(double* m) {
    LyMatrix in(m), out;
    if (LyMatrixInverse(out, in)) in = out;
    for (int i = 0; i < 16; ++i) m[i] = in.mValue[i];
}

// ---------------------------------------------------------------------------
// Property functions

LyModel* Self(void* self) { return static_cast<LyModel*>(self); }

bool GetIsDeformable(void* self) {
    velora::MeshModel* mesh = HostMesh(Self(self));
    return mesh && mesh->IsDeformable();
}

bool GetIsConstrained(void* self) {
    velora::Model* model = HostModel(Self(self));
    return model && model->IsConstrained();
}

template <int Switch>
bool GetSwitch(void* self) {
    velora::MeshModel* mesh = HostMesh(Self(self));
    return mesh && mesh->Switch(Switch);
}

template <int Switch>
void SetSwitch(void* self, bool on) {
    if (velora::MeshModel* mesh = HostMesh(Self(self))) mesh->SetSwitch(Switch, on);
}

bool GetIcon3D(void* self) {
    velora::Model* model = HostModel(Self(self));
    return model && model->IsIcon3D();
}

void SetIcon3D(void* self, bool on) {
    velora::Model* model = HostModel(Self(self));
    if (!model || model->IsIcon3D() == on) return;
    model->SetIcon3D(on);
    // A top-level model changes its set with the flag.
    velora::Scene& scene = velora::Scene::Main();
    velora::Model* parent = model->Parent();
    if (parent == scene.RootModel() || parent == scene.IconRootModel())
        model->SetParent(on ? scene.IconRootModel() : scene.RootModel());
}

LyModelShadingMode GetShadingMode(void* self) {
    velora::Model* model = HostModel(Self(self));
    return static_cast<LyModelShadingMode>(model ? model->ShadingMode() : 0);
}

void SetShadingMode(void* self, LyModelShadingMode mode) {
    velora::Model* model = HostModel(Self(self));
    if (model && mode >= kLyModelShadingDefault && mode <= kLyModelShadingAll) model->SetShadingMode(mode);
}

bool GetSoftSelected(void* self) {
    velora::Model* model = HostModel(Self(self));
    return model && model->IsSoftSelected();
}

void SetSoftSelected(void* self, bool on) {
    if (velora::Model* model = HostModel(Self(self))) model->SetSoftSelected(on);
}

int GetGeometryUpdateId(void* self) {
    velora::MeshModel* mesh = HostMesh(Self(self));
    return mesh ? static_cast<int>(mesh->GeometryVersion()) : 0;
}

LyScene* GetScene(void* self) {
    if (!HostModel(Self(self))) return nullptr;
    LyComponent* scene = LyGetLyComponent(&velora::Scene::Main(), true);
    return scene && scene->Is(LyScene::TypeInfo) ? static_cast<LyScene*>(scene) : nullptr;
}

// The hierarchy's top: the scene's model set, the 3D-icon set (or no parent
// at all) reads as null.
LyModel* GetParent(void* self) {
    velora::Model* model = HostModel(Self(self));
    velora::Model* parent = model ? model->Parent() : nullptr;
    velora::Scene& scene = velora::Scene::Main();
    if (!parent || parent == scene.RootModel() || parent == scene.GlobalRootModel() ||
        parent == scene.IconRootModel())
        return nullptr;
    return ModelWrapper(parent);
}

void SetParent(void* self, LyModel* parent) {
    velora::Model* model = HostModel(Self(self));
    if (!model) return;
    velora::Model* target = HostModel(parent);
    if (target && target == model->Parent()) return;
    velora::Scene& scene = velora::Scene::Main();
    if (!target || target == model || target == model->LookAt())
        target = model->IsIcon3D() ? scene.IconRootModel() : scene.RootModel();
    if (target != model->Parent()) model->SetParent(target);
}

template <class T>
T* GetNone(void*) {
    return nullptr;
}

LyAnimationNode* GetAnimationNode(void* self) {
    return HostModel(Self(self)) ? Self(self)->AnimationNodeInGet() : nullptr;
}

LyModel* GetLookAt(void* self) {
    velora::Model* model = HostModel(Self(self));
    return model ? ModelWrapper(model->LookAt()) : nullptr;
}

void SetLookAt(void* self, LyModel* target) {
    if (velora::Model* model = HostModel(Self(self))) model->SetLookAt(HostModel(target));
}

LyModel* GetUpVector(void* self) {
    velora::Model* model = HostModel(Self(self));
    return model ? ModelWrapper(model->UpVector()) : nullptr;
}

void SetUpVector(void* self, LyModel* target) {
    if (velora::Model* model = HostModel(Self(self))) model->SetUpVector(HostModel(target));
}

LyModelRotationOrder GetRotationOrder(void* self) {
    velora::Model* model = HostModel(Self(self));
    return static_cast<LyModelRotationOrder>(model ? model->RotationOrder() : 0);
}

void SetRotationOrder(void* self, LyModelRotationOrder order) {
    if (velora::Model* model = HostModel(Self(self))) model->SetRotationOrder(order);
}

LyColor GetUniqueColorId(void* self) { return Self(self)->GetUniqueColorId(); }

// The names of the transform node's values, in the order of the wrapper's
// members (before and after UniqueColorId).
constexpr const char* kFirstValues[] = {"Visibility",        "Visibility Inheritance", "Lcl Translation",
                                        "Lcl Rotation",      "Lcl Scaling",            "GeometricTranslation",
                                        "GeometricRotation", "GeometricScaling",       "Show",
                                        "Pickable",          "Transformable",          "Casts Shadows",
                                        "Receive Shadows",   "Primary Visibility",     "Inherit Scaling"};
constexpr const char* kLaterValues[] = {
    "TranslationActive", "RotationActive",   "TranslationMin",   "TranslationMax",   "RotationMin",
    "RotationMax",       "TranslationMinX",  "TranslationMinY",  "TranslationMinZ",  "TranslationMaxX",
    "TranslationMaxY",   "TranslationMaxZ",  "Show Limits",      "PreRotation",      "PostRotation",
    "RotationMinX",      "RotationMinY",     "RotationMinZ",     "RotationMaxX",     "RotationMaxY",
    "RotationMaxZ"};

}  // namespace

// ---------------------------------------------------------------------------
// Children

int LyPropertyListModel::GetCount() {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    return model ? model->ChildCount() : 0;
}

LyModel* LyPropertyListModel::GetAt(int index) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    return model ? ModelWrapper(model->ChildModel(index)) : nullptr;
}

void LyPropertyListModel::RemoveAt(int index) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    if (velora::Model* child = model ? model->ChildModel(index) : nullptr)
        child->SetParent(velora::Scene::Main().RootModel());
}

int LyPropertyListModel::Add(LyModel* child) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    velora::Model* host = HostModel(child);
    if (!model || !host) return -1;
    if (host->Parent() != model && !host->SetParent(model)) return -1;
    return model->ChildCount();
}

// ---------------------------------------------------------------------------
// Construction

LyModel::LyModel(HIObject object) : LyBox(object), mData{this, nullptr, {0, 0}} {
    mData.node = HostModel(this);
    InitModelProperties();
}

LyModel::LyModel(const char* name, HIObject object) : LyModel(name, object, velora::kClassModel) { FinishKind(); }

LyModel::LyModel(const char* name, HIObject object, int hostClass)
    : LyBox(nullptr, NewHostModel(name, object, hostClass)), mData{this, nullptr, {0, 0}} {
    if (!object) SetHIObject(GetHIObject(), true);  // made here: the wrapper owns it
    mMadeHere = !object;
    mData.node = HostModel(this);
    InitModelProperties();
}

void LyModel::FinishKind() {
    if (mMadeHere && GetHIObject()) __LyAddModelToScene(GetHIObject());
    mMadeHere = false;
}

void LyModel::AddHostValue(LyProperty& property, const char* name) {
    velora::Object* host = __LyHostObject(this);
    property.InitInternal(host ? static_cast<IObject*>(host->FindProperty(name)) : nullptr);
    PropertyAdd(&property);
}

void LyModel::InitModelProperties() {
    velora::Object* host = __LyHostObject(this);
    IsDeformable.Init(this, "IsDeformable", &GetIsDeformable);
    PropertyAdd(&IsDeformable);
    IsConstrained.Init(this, "IsConstrained", &GetIsConstrained);
    PropertyAdd(&IsConstrained);
    SkeletonDeformable.Init(this, "SkeletonDeformable", &GetSwitch<0>, &SetSwitch<0>);
    PropertyAdd(&SkeletonDeformable);
    BlendShapeDeformable.Init(this, "BlendShapeDeformable", &GetSwitch<1>, &SetSwitch<1>);
    PropertyAdd(&BlendShapeDeformable);
    ConstrainDeformable.Init(this, "ConstrainDeformable", &GetSwitch<2>, &SetSwitch<2>);
    PropertyAdd(&ConstrainDeformable);
    PointCacheDeformable.Init(this, "PointCacheDeformable", &GetSwitch<3>, &SetSwitch<3>);
    PropertyAdd(&PointCacheDeformable);
    PointCacheRecord.Init(this, "PointCacheRecord", &GetSwitch<4>, &SetSwitch<4>);
    PropertyAdd(&PointCacheRecord);
    Icon3D.Init(this, "Icon3D", &::VELSDK2025::GetIcon3D, &::VELSDK2025::SetIcon3D);
    PropertyAdd(&Icon3D);
    ShadingMode.Init(this, "ShadingMode", &GetShadingMode, &SetShadingMode);
    PropertyAdd(&ShadingMode);
    SoftSelected.Init(this, "SoftSelected", &GetSoftSelected, &SetSoftSelected);
    PropertyAdd(&SoftSelected);
    GeometryUpdateId.Init(this, "GeometryUpdateId", &GetGeometryUpdateId);
    PropertyAdd(&GeometryUpdateId);
    Children.Init(host ? static_cast<IObject*>(host) : nullptr, "Children");
    PropertyAdd(&Children);
    const struct {
        LyPropertyListComponent* list;
        const char* name;
        int hostClass;
    } lists[] = {{&Shaders, "Shaders", velora::kClassShader},
                 {&Materials, "Materials", velora::kClassMaterial},
                 {&Textures, "Textures", velora::kClassTexture},
                 {&Deformers, "Deformers", velora::kClassConstraint}};
    for (const auto& l : lists) {
        l.list->Init(host ? static_cast<IObject*>(host) : nullptr, l.name);
        l.list->SetClassId(l.hostClass);
        PropertyAdd(l.list);
    }
    Scene.Init(this, "Scene", &GetScene);
    PropertyAdd(&Scene);
    Parent.Init(this, "Parent", &GetParent, &SetParent);
    PropertyAdd(&Parent);
    Geometry.Init(this, "Geometry", &GetNone<LyGeometry>);
    PropertyAdd(&Geometry);
    TessellatedMesh.Init(this, "TessellatedMesh", &GetNone<LyMesh>);
    PropertyAdd(&TessellatedMesh);
    ModelVertexData.Init(this, "ModelVertexData", &GetNone<LyModelVertexData>);
    PropertyAdd(&ModelVertexData);
    Cluster.Init(this, "Cluster", &GetNone<LyCluster>);
    PropertyAdd(&Cluster);
    AnimationNode.Init(this, "AnimationNode", &GetAnimationNode);
    PropertyAdd(&AnimationNode);
    LookAt.Init(this, "LookAt", &GetLookAt, &SetLookAt);
    PropertyAdd(&LookAt);
    UpVector.Init(this, "UpVector", &GetUpVector, &SetUpVector);
    PropertyAdd(&UpVector);
    RotationOrder.Init(this, "RotationOrder", &GetRotationOrder, &SetRotationOrder);
    PropertyAdd(&RotationOrder);
    LyProperty* first[] = {&Visibility,         &VisibilityInheritance, &Translation,          &Rotation,
                           &Scaling,            &GeometricTranslation,  &GeometricRotation,    &GeometricScaling,
                           &Show,               &Pickable,              &Transformable,        &CastsShadows,
                           &ReceiveShadows,     &PrimaryVisibility,     &InheritScaling};
    static_assert(sizeof first / sizeof first[0] == sizeof kFirstValues / sizeof kFirstValues[0], "");
    for (std::size_t i = 0; i < sizeof first / sizeof first[0]; ++i) AddHostValue(*first[i], kFirstValues[i]);
    UniqueColorId.Init(this, "UniqueColorId", &::VELSDK2025::GetUniqueColorId);
    PropertyAdd(&UniqueColorId);
    LyProperty* later[] = {&TranslationActive, &RotationActive,  &TranslationMin,  &TranslationMax,
                           &RotationMin,       &RotationMax,     &TranslationMinX, &TranslationMinY,
                           &TranslationMinZ,   &TranslationMaxX, &TranslationMaxY, &TranslationMaxZ,
                           &ShowLimits,        &PreRotation,     &PostRotation,    &RotationMinX,
                           &RotationMinY,      &RotationMinZ,    &RotationMaxX,    &RotationMaxY,
                           &RotationMaxZ};
    static_assert(sizeof later / sizeof later[0] == sizeof kLaterValues / sizeof kLaterValues[0], "");
    for (std::size_t i = 0; i < sizeof later / sizeof later[0]; ++i) AddHostValue(*later[i], kLaterValues[i]);
}

void* LyModel::Node() const {
    // The record keeps the host model the wrapper was bound to; a wrapper
    // bound again since (or detached) finds it through its host object.
    IObject* host = GetHIObject();
    if (!host) return nullptr;
    auto* node = static_cast<velora::Model*>(mData.node);
    if (node && static_cast<IObject*>(node) == host) return node;
    return HostModel(this);
}

// ---------------------------------------------------------------------------
// Matrices and vectors

void LyModel::GetMatrix(LyMatrix& matrix, LyModelTransformationType what, bool global, LyEvaluateInfo* info) {
    auto* model = static_cast<velora::Model*>(Node());
    if (!model) return;
    matrix.Identity();
    const velora::EvaluationContext* context = ContextOf(info);
    double* m = matrix.mValue;
    switch (what) {
        case kModelTransformation:
        case kModelInverse_Transformation:
            if (global && what == kModelInverse_Transformation) {
                model->GlobalInverseMatrix(m, context);
                return;
            }
            if (global)
                model->GlobalMatrixAt(m, context);
            else
                model->LocalMatrixAt(m, context);
            if (what == kModelInverse_Transformation) Invert(m);
            return;
        case kModelRotation:
        case kModelInverse_Rotation:
            if (global) {
                model->GlobalRotationMatrix(m, context);
            } else {
                LyVector3<double> r;
                GetVector(r, kModelRotation, false, info);
                LyRotationToMatrix(matrix, r, kLyRotationOrderXYZ);
            }
            break;
        case kModelTranslation:
        case kModelInverse_Translation: {
            double t[3];
            model->TransformVector(velora::kTransformTranslation, global, t, context);
            m[12] = t[0], m[13] = t[1], m[14] = t[2];
            break;
        }
        case kModelScaling:
        case kModelInverse_Scaling:
            if (global) {
                model->GlobalScalingMatrix(m, context);
            } else {
                double scaling[3];
                model->TransformVector(velora::kTransformScaling, false, scaling, context);
                m[0] = scaling[0], m[5] = scaling[1], m[10] = scaling[2];
            }
            break;
        case kModelTransformation_Geometry:
        case kModelInverse_Transformation_Geometry:
            if (!global) return;
            if (what == kModelTransformation_Geometry) {
                model->GlobalGeometricMatrix(m, context);
                return;
            }
            model->GeometricMatrix(m);
            break;
        default:
            return;
    }
    if (what >= kModelInverse_Transformation) Invert(m);
}

void LyModel::SetMatrix(LyMatrix matrix, LyModelTransformationType what, bool global, bool pushUndo,
                        LyEvaluateInfo* info) {
    SetMatrixWithPrecision(matrix, what, global, pushUndo, info, kLyDefaultEulerPrecision);
}

void LyModel::SetMatrixWithPrecision(LyMatrix matrix, LyModelTransformationType what, bool global, bool pushUndo,
                                     LyEvaluateInfo* info, double precision) {
    auto* model = static_cast<velora::Model*>(Node());
    if (!model || what < kModelTransformation || what > kModelInverse_Transformation_Geometry) return;
    if (what == kModelTransformation_Geometry || what == kModelInverse_Transformation_Geometry) return;
    if (what >= kModelInverse_Transformation) Invert(matrix.mValue);
    const velora::EvaluationContext* context = ContextOf(info);
    const bool all = what == kModelTransformation || what == kModelInverse_Transformation;
    double* m = matrix.mValue;
    if (all || what == kModelTranslation || what == kModelInverse_Translation) {
        const double t[3] = {m[12], m[13], m[14]};
        model->SetTransformVector(velora::kTransformTranslation, global, t, 1, pushUndo, context);
    }
    // The axis lengths, all taken negative when the matrix mirrors: the
    // scaling, and what divides the axes into a proper rotation.
    double lengths[3];
    for (int c = 0; c < 3; ++c)
        lengths[c] = std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] + m[4 * c + 2] * m[4 * c + 2]);
    const double det = m[0] * (m[5] * m[10] - m[6] * m[9]) + m[1] * (m[6] * m[8] - m[4] * m[10]) +
                       m[2] * (m[4] * m[9] - m[5] * m[8]);
    if (det < 0.0)
        for (double& length : lengths) length = -length;
    if (all || what == kModelRotation || what == kModelInverse_Rotation) {
        LyMatrix rotation;
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 3; ++i) rotation.mValue[4 * c + i] = lengths[c] != 0.0 ? m[4 * c + i] / lengths[c] : 0.0;
        LyVector3<double> r;
        LyMatrixToRotationWithPrecision(r, rotation, kLyRotationOrderXYZ, precision);
        model->SetTransformVector(velora::kTransformRotation, global, r.mValue, 1, pushUndo, context);
    }
    if (all || what == kModelScaling || what == kModelInverse_Scaling)
        model->SetTransformVector(velora::kTransformScaling, global, lengths, 1, pushUndo, context);
}

void LyModel::GetVector(LyVector3<double>& vector, LyModelTransformationType what, bool global,
                        LyEvaluateInfo* info) {
    auto* model = static_cast<velora::Model*>(Node());
    if (model) model->TransformVector(VectorKind(what), global, vector.mValue, ContextOf(info));
}

void LyModel::SetVector(LyVector3<double> vector, LyModelTransformationType what, bool global, bool pushUndo,
                        LyEvaluateInfo* info) {
    auto* model = static_cast<velora::Model*>(Node());
    if (model) model->SetTransformVector(VectorKind(what), global, vector.mValue, 1, pushUndo, ContextOf(info));
}

// ---------------------------------------------------------------------------
// Queries

void LyModel::GetBoundingBox(LyVector3<double>& min, LyVector3<double>& max) {
    velora::Model* model = HostModel(this);
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    if (model) model->BoundingBox(lo, hi);
    min.Set(lo[0], lo[1], lo[2]);
    max.Set(hi[0], hi[1], hi[2]);
}

bool LyModel::IsVisible(LyEvaluateInfo* info) {
    velora::Model* model = HostModel(this);
    return model && model->IsVisible(ContextOf(info));
}

bool LyModel::IsEvaluationReady(LyModelEvaluationTaskType task, LyEvaluateInfo* info) {
    velora::Model* model = HostModel(this);
    if (!model) return false;
    velora::MeshModel* mesh = HostMesh(this);
    switch (task) {
        case kLyModelEvaluationTransformation: return model->IsTransformEvaluated(ContextOf(info));
        case kLyModelEvaluationBoundingBox: return mesh && mesh->IsBoundingBoxDetermined();
        case kLyModelEvaluationDeformation:
            return mesh && mesh->IsDeformationEvaluated(velora::Scene::Main().Evaluator().FrameStamp());
        default: return false;
    }
}

bool LyModel::RayCast(LyCamera* camera, int x, int y, LyVector4<double>& position, LyVector4<double>& normal) {
    velora::Model* host = HostModel(camera);
    if (!HostMesh(this) || !host || !host->IsA(velora::kClassCamera)) return false;
    auto* view = static_cast<velora::CameraModel*>(host);
    double origin[3], direction[3];
    view->PixelRay(x, y, origin, direction);
    // As far as the camera sees.
    const double reach = view->FarPlaneDistance();
    LyVector4<double> start(origin[0], origin[1], origin[2], 1.0);
    LyVector4<double> end(origin[0] + reach * direction[0], origin[1] + reach * direction[1],
                          origin[2] + reach * direction[2], 1.0);
    LyVector4<float> hit, facing;
    if (!ClosestRayIntersection(start, end, hit, facing)) return false;
    position.Set(hit[0], hit[1], hit[2], 1.0);
    normal.Set(facing[0], facing[1], facing[2], 0.0);
    return true;
}

bool LyModel::ClosestRayIntersection(const LyVector4<double>& start, const LyVector4<double>& end,
                                     LyVector4<float>& position, LyVector4<float>& normal) {
    velora::MeshModel* mesh = HostMesh(this);
    double hit[3], facing[3];
    if (!mesh || !mesh->ClosestRayIntersection(start.mValue, end.mValue, hit, facing)) return false;
    position.Set(static_cast<float>(hit[0]), static_cast<float>(hit[1]), static_cast<float>(hit[2]), 1.0f);
    normal.Set(static_cast<float>(facing[0]), static_cast<float>(facing[1]), static_cast<float>(facing[2]), 0.0f);
    return true;
}

int LyModel::GetHierarchyWorldMatrices(LyMatrix* matrices, int count, LyModelHiercharyTraverserType type,
                                       LyEvaluateInfo* info) {
    static_assert(sizeof(LyMatrix) == 16 * sizeof(double), "matrices are written as one block");
    auto* model = static_cast<velora::Model*>(Node());
    if (!model || !matrices || count <= 0) return 0;
    return model->HierarchyWorldMatrices(matrices[0].mValue, count, type, ContextOf(info));
}

void LyModel::RotationToMatrix(LyMatrix& matrix, const LyVector3<double>& rotation) {
    velora::Model* model = HostModel(this);
    const int order = model ? model->RotationOrder() : 0;
    LyRotationToMatrix(matrix, rotation, static_cast<LyRotationOrder>(order > 5 ? 0 : order));
}

void LyModel::MatrixToRotation(LyVector3<double>& rotation, const LyMatrix& matrix) {
    velora::Model* model = HostModel(this);
    const int order = model ? model->RotationOrder() : 0;
    LyMatrixToRotation(rotation, matrix, static_cast<LyRotationOrder>(order > 5 ? 0 : order));
}

void LyModel::DofToLRM(LyMatrix& lrm, const LyVector3<double>& dof) {
    velora::Model* model = HostModel(this);
    lrm.Identity();
    if (model) model->LocalRotationFromDof(lrm.mValue, dof.mValue);
}

void LyModel::LRMToDof(LyVector3<double>& dof, const LyMatrix& lrm) {
    velora::Model* model = HostModel(this);
    if (model) model->DofFromLocalRotation(dof.mValue, lrm.mValue);
}

void LyModel::GetLocalTransformationMatrixWithGlobalRotationDoF(LyMatrix& matrix, bool global,
                                                                LyEvaluateInfo* info) {
    velora::Model* model = HostModel(this);
    if (!model) return;
    // The local translation and scaling with the rotation the model has in
    // the world (or its local one).
    LyVector3<double> t, r, s;
    model->TransformVector(velora::kTransformTranslation, false, t.mValue, ContextOf(info));
    model->TransformVector(velora::kTransformRotation, global, r.mValue, ContextOf(info));
    model->TransformVector(velora::kTransformScaling, false, s.mValue, ContextOf(info));
    LyTRSToMatrix(matrix, LyVector4<double>(t[0], t[1], t[2], 1.0), r, LySVector(s[0], s[1], s[2]));
}

// ---------------------------------------------------------------------------
// Picking, culling and the schematic

LyColor LyModel::GetUniqueColorId() const {
    std::uint8_t rgba[4] = {0, 0, 0, 255};
    if (velora::Model* model = HostModel(this)) model->UniqueColor(rgba);
    return ColorOf(rgba);
}

int LyModel::GetAdditionalUniqueColorIDCount() const {
    velora::Model* model = HostModel(this);
    return model ? model->AdditionalColorCount() : 0;
}

void LyModel::SetAdditionalUniqueColorIDCount(int count) {
    if (velora::Model* model = HostModel(this)) model->SetAdditionalColorCount(count);
}

LyColor LyModel::GetAdditionalUniqueColorID(int index) const {
    std::uint8_t rgba[4] = {0, 0, 0, 255};
    velora::Model* model = HostModel(this);
    if (!model || !model->AdditionalColor(index, rgba)) return LyColor(0, 0, 0);
    return ColorOf(rgba);
}

int LyModel::GetCullingMode() const {
    velora::Model* model = HostModel(this);
    return model ? model->View().culling : 0;
}

void LyModel::SetCullingMode(int mode) {
    if (velora::Model* model = HostModel(this)) model->View().culling = mode;
}

bool LyModel::UseFrustumCulling() const {
    velora::Model* model = HostModel(this);
    return model && model->View().noFrustumCulling == 0;
}

void LyModel::NoFrustumCullingRequire() {
    if (velora::Model* model = HostModel(this)) ++model->View().noFrustumCulling;
}

void LyModel::NoFrustumCullingRelease() {
    velora::Model* model = HostModel(this);
    if (model && model->View().noFrustumCulling > 0) --model->View().noFrustumCulling;
}

void LyModel::ForceAlwaysEvaluate() {
    if (velora::Model* model = HostModel(this)) model->View().alwaysEvaluate = true;
}

bool LyModel::IsForceAlwaysEvaluate() const {
    velora::Model* model = HostModel(this);
    return model && model->View().alwaysEvaluate;
}

int LyModel::GetSelectedPointsCount() { return 0; }

int LyModel::GetSelectedPoints(int*, int) { return 0; }

void LyModel::GetSchematicPosition(int& x, int& y) const {
    velora::Model* model = HostModel(this);
    x = model ? model->View().schematic[0] : 0;
    y = model ? model->View().schematic[1] : 0;
}

void LyModel::SetSchematicPosition(int x, int y) {
    if (velora::Model* model = HostModel(this)) {
        model->View().schematic[0] = x;
        model->View().schematic[1] = y;
    }
}

void LyModel::SetSchematicPosition(LyVector2<int> position) { SetSchematicPosition(position[0], position[1]); }

void LyModel::CollapseInSchematic() {
    if (velora::Model* model = HostModel(this)) model->View().collapsed = true;
}

void LyModel::ExpandInSchematic() {
    if (velora::Model* model = HostModel(this)) model->View().collapsed = false;
}

bool LyModel::IsCollapsedInSchematic() const {
    velora::Model* model = HostModel(this);
    return model && model->View().collapsed;
}

void LyModel::SetupPropertiesForShapes() {}

// ---------------------------------------------------------------------------
// Hooks, storage and deletion

LyModel* LyModel::Clone() {
    velora::MeshModel* mesh = HostMesh(this);
    velora::MeshModel* copy = mesh ? mesh->Clone() : nullptr;
    if (!copy) return nullptr;
    __LyAddModelToScene(copy);
    return ModelWrapper(copy);
}

bool LyModel::HasCustomDisplay() { return false; }
void LyModel::CustomModelDisplay(LyCamera*, int, int, float, float) {}
bool LyModel::CustomModelPicking(int, int, LyCamera*, LyVector3<double>*) { return false; }
bool LyModel::ManipulatorNotify(int, int) { return true; }

bool LyModel::DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) { return LyBox::DsxStore(dsx, pass); }
bool LyModel::DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) { return LyBox::DsxRetrieve(dsx, pass); }
const char* LyModel::DsxGetObjectType() { return LyBox::DsxGetObjectType(); }
const char* LyModel::DsxGetObjectSubType() { return ClassName(); }

void LyModel::LyDelete() {
    velora::Object* full = __LyHostObject(this);
    if (full && (!full->IsDeletable() || full->HasObjectFlags(velora::kObjectSystem))) {
        __LyTraceWarning("Warning: [%s] is not deletable!\n", full->FullName());
        return;
    }
    LyBox::LyDelete();
}

// ---------------------------------------------------------------------------
// The kinds

LyModelNull::LyModelNull(const char* name, HIObject object) : LyModel(name, object, velora::kClassModelNull) {
    AddHostValue(Size, "Size");
    FinishKind();
}

LyModelRoot::LyModelRoot(const char* name, HIObject object) : LyModel(name, object, velora::kClassModelRoot) {
    AddHostValue(Size, "Size");
    FinishKind();
}

LyModelMarker::LyModelMarker(const char* name, HIObject object)
    : LyModel(name, object, velora::kClassModelMarker) {
    LyProperty* values[] = {&Size, &Length, &Color, &ShowTrajectory, &Occluded, &Type, &ResLevel, &Look};
    const char* names[] = {"Size", "Length", "Color RGB", "Show Trajectory", "Occluded", "Type", "ResLevel", "Look"};
    for (int i = 0; i < 8; ++i) AddHostValue(*values[i], names[i]);
    if (!object) Type = kLyMarkerTypeStandard;
    FinishKind();
}

LyModelSkeleton::LyModelSkeleton(const char* name, HIObject object)
    : LyModel(name, object, velora::kClassModelSkeleton) {
    LyProperty* values[] = {&Size, &Length, &Color, &ShowLabel, &ShowTrajectory, &Look, &Resolution};
    const char* names[] = {"Size", "Length", "Color RGB", "Show Label", "Show Trajectory", "Look", "Resolution"};
    for (int i = 0; i < 7; ++i) AddHostValue(*values[i], names[i]);
    FinishKind();
}

LyModelCube::LyModelCube(const char* name, HIObject object) : LyModel(name, object, velora::kClassModelCube) {
    ShadingMode = kLyModelShadingAll;
    FinishKind();
}

LyModelPlane::LyModelPlane(const char* name, HIObject object) : LyModel(name, object, velora::kClassModelPlane) {
    ShadingMode = kLyModelShadingTexture;
    FinishKind();
}

LyCamera::LyCamera(const char* name, HIObject object) : LyModel(name, object, velora::kClassCamera) { FinishKind(); }

LyLight::LyLight(const char* name, HIObject object) : LyModel(name, object, velora::kClassLight) { FinishKind(); }

LYSDK_END_NAMESPACE
