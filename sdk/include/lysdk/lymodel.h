#ifndef LYSDK_LYMODEL_H
#define LYSDK_LYMODEL_H

// LyModel: the wrapper of a host model, a node of the scene's hierarchy with
// a transform.
//
// Transforms. A model's local translation, rotation (Euler degrees read in
// RotationOrder) and scaling are the properties Translation, Rotation and
// Scaling; its global matrix is its parent's global matrix times its local
// one. GetMatrix and SetMatrix read and write them as matrices, local or
// global:
//
//     LyMatrix world;
//     model->GetMatrix(world, kModelTransformation, true);
//     LyMatrix moved = world;
//     moved(3, 0) += 10.0;                       // ten units along X
//     model->SetMatrix(moved, kModelTransformation, true);
//
// A matrix that is set is split into the translation, rotation and scaling
// attributes the host keeps; a mirrored matrix keeps a proper rotation and
// reads back with all three scalings negative.
//
// Hierarchy. Parent is null for a top-level model; setting it to null, to
// the model itself or to its look-at target moves the model to the top.
//
// The kinds (nulls, roots, markers, skeleton bones, cubes, planes, paths,
// cameras, lights) are subclasses; the wrapper the library gives back for a
// host model is always the one of its kind, so Is() and downcasts hold.

#include "lysdk/lybox.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lypropertylist.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;
class LyScene;
class LyCamera;
class LyGeometry;
class LyMesh;
class LyModelVertexData;
class LyCluster;

/// Display shading of a model.
enum LyModelShadingMode {
    kLyModelShadingDefault = 0,
    kLyModelShadingWire,
    kLyModelShadingFlat,
    kLyModelShadingLight,
    kLyModelShadingHard,
    kLyModelShadingTexture,
    kLyModelShadingAll,
};
LYSDK_ENUM_TEXTS(LyModelShadingMode);

/// The order the three Euler angles of Rotation are applied in.
enum LyModelRotationOrder {
    kLyEulerXYZ = 0,
    kLyEulerXZY,
    kLyEulerYZX,
    kLyEulerYXZ,
    kLyEulerZXY,
    kLyEulerZYX,
    kLySphericXYZ,
};
LYSDK_ENUM_TEXTS(LyModelRotationOrder);

/// The matrix or vector GetMatrix, SetMatrix, GetVector and SetVector are
/// about.
enum LyModelTransformationType {
    kModelTransformation = 0,
    kModelRotation,
    kModelTranslation,
    kModelScaling,
    kModelTransformation_Geometry,
    kModelInverse_Transformation,
    kModelInverse_Rotation,
    kModelInverse_Translation,
    kModelInverse_Scaling,
    kModelInverse_Transformation_Geometry,
};
LYSDK_ENUM_TEXTS(LyModelTransformationType);

/// What IsEvaluationReady asks about.
enum LyModelEvaluationTaskType {
    kLyModelEvaluationTransformation = 0,  ///< the global transform
    kLyModelEvaluationBoundingBox,         ///< the mesh's bounding box
    kLyModelEvaluationDeformation,         ///< the mesh's deformation
    kLyModelEvaluationDisplay,             ///< drawing data (a headless host has none)
};
LYSDK_ENUM_TEXTS(LyModelEvaluationTaskType);

/// The order GetHierarchyWorldMatrices lists a branch in; parents always
/// come before their children.
enum LyModelHiercharyTraverserType {
    kLyHierarchyDepthFirst = 0,    ///< the model, then each child's branch in turn
    kLyHierarchyBreadthFirst = 1,  ///< the model, its children, their children, ...
};
LYSDK_ENUM_TEXTS(LyModelHiercharyTraverserType);

/// The child models of a model, in the host's child order. Adding a model
/// makes it the last child; removing one moves it to the top level of the
/// scene.
class LYSDK_API LyPropertyListModel : public LyPropertyBaseList<LyModel*> {
public:
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyModel* GetAt(int index) override;
    void RemoveAt(int index) override;
    /// Makes `model` the last child; returns the count afterwards, or -1
    /// when the host refuses (a model cannot become its own descendant).
    int Add(LyModel* model);
};

/// A model is a box: relations read and drive its transform.
class LYSDK_API LyModel : public LyBox {
    LYSDK_CLASS_DECLARE(LyModel, LyBox)
public:
    /// Wraps the host model `object`.
    explicit LyModel(HIObject object);
    /// A new host model called `name` (owned by this wrapper and added to
    /// the scene), or the wrapper of `object` when one is given.
    explicit LyModel(const char* name, HIObject object = nullptr);

    // Transforms.
    void GetMatrix(LyMatrix& matrix, LyModelTransformationType what = kModelTransformation, bool global = true,
                   LyEvaluateInfo* info = nullptr);
    void SetMatrix(LyMatrix matrix, LyModelTransformationType what = kModelTransformation, bool global = true,
                   bool pushUndo = false, LyEvaluateInfo* info = nullptr);
    /// As SetMatrix; `precision` is the gimbal threshold of the rotation
    /// extraction.
    void SetMatrixWithPrecision(LyMatrix matrix, LyModelTransformationType what, bool global, bool pushUndo,
                                LyEvaluateInfo* info, double precision);
    void GetVector(LyVector3<double>& vector, LyModelTransformationType what = kModelTranslation,
                   bool global = true, LyEvaluateInfo* info = nullptr);
    void SetVector(LyVector3<double> vector, LyModelTransformationType what = kModelTranslation,
                   bool global = true, bool pushUndo = false, LyEvaluateInfo* info = nullptr);
    /// The box of the model's geometry in its own space; zero without one.
    void GetBoundingBox(LyVector3<double>& min, LyVector3<double>& max);
    bool IsVisible(LyEvaluateInfo* info = nullptr);
    bool IsEvaluationReady(LyModelEvaluationTaskType task, LyEvaluateInfo* info = nullptr);
    /// The hit of the ray through pixel (x, y) of `camera` with the mesh.
    bool RayCast(LyCamera* camera, int x, int y, LyVector4<double>& position, LyVector4<double>& normal);
    /// The world matrices of the model's branch (the model first); returns
    /// how many were written, at most `count`.
    int GetHierarchyWorldMatrices(LyMatrix* matrices, int count, LyModelHiercharyTraverserType type,
                                  LyEvaluateInfo* info = nullptr);
    /// The rotation matrix of Euler angles in the model's order, and back.
    void RotationToMatrix(LyMatrix& matrix, const LyVector3<double>& rotation);
    void MatrixToRotation(LyVector3<double>& rotation, const LyMatrix& matrix);
    /// Between the local rotation degrees of freedom (Rotation, in the
    /// model's order) and the local rotation matrix with pre- and
    /// post-rotation applied.
    void LRMToDof(LyVector3<double>& dof, const LyMatrix& lrm);
    void DofToLRM(LyMatrix& lrm, const LyVector3<double>& dof);
    /// The local matrix the model would have with its rotation given in
    /// world terms.
    void GetLocalTransformationMatrixWithGlobalRotationDoF(LyMatrix& matrix, bool global = false,
                                                           LyEvaluateInfo* info = nullptr);

    // Picking and schematic.
    int GetAdditionalUniqueColorIDCount() const;
    void SetAdditionalUniqueColorIDCount(int count);
    /// The colour of sub-item `index` (1 to the count); black out of range.
    LyColor GetAdditionalUniqueColorID(int index) const;
    LyColor GetUniqueColorId() const;
    int GetCullingMode() const;
    void SetCullingMode(int mode);
    bool UseFrustumCulling() const;
    void NoFrustumCullingRequire();
    void NoFrustumCullingRelease();
    void ForceAlwaysEvaluate();
    bool IsForceAlwaysEvaluate() const;
    /// Indices of the selected points of the mesh, and how many.
    int GetSelectedPointsCount();
    int GetSelectedPoints(int* indices, int count);
    void GetSchematicPosition(int& x, int& y) const;
    void SetSchematicPosition(int x, int y);
    void SetSchematicPosition(LyVector2<int> position);
    void CollapseInSchematic();
    void ExpandInSchematic();
    bool IsCollapsedInSchematic() const;
    void SetupPropertiesForShapes();

    // Extension hooks.
    /// A copy of the mesh (no children) added to the scene, or null.
    virtual LyModel* Clone();
    virtual bool HasCustomDisplay();
    virtual void CustomModelDisplay(LyCamera* camera, int shadingMode, int renderPass, float pickingAreaWidth,
                                    float pickingAreaHeight);
    virtual bool CustomModelPicking(int x, int y, LyCamera* camera, LyVector3<double>* hit);
    /// The closest hit of the segment from `start` to `end` (world points)
    /// with the mesh; false for other models and for a miss.
    virtual bool ClosestRayIntersection(const LyVector4<double>& start, const LyVector4<double>& end,
                                        LyVector4<float>& position, LyVector4<float>& normal);
    virtual bool ManipulatorNotify(int action, int state);

    bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) override;
    bool DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) override;
    const char* DsxGetObjectType() override;
    const char* DsxGetObjectSubType() override;
    /// Deletes the host model when it may be deleted; otherwise says so.
    void LyDelete() override;

    LyPropertyBool IsDeformable;
    LyPropertyBool IsConstrained;
    LyPropertyBool SkeletonDeformable;
    LyPropertyBool BlendShapeDeformable;
    LyPropertyBool ConstrainDeformable;
    LyPropertyBool PointCacheDeformable;
    LyPropertyBool PointCacheRecord;
    LyPropertyBool Icon3D;
    LyPropertyBaseEnum<LyModelShadingMode> ShadingMode;
    LyPropertyBool SoftSelected;
    LyPropertyInt GeometryUpdateId;
    /// The child models.
    LyPropertyListModel Children;
    LyPropertyListComponent Shaders;
    LyPropertyListComponent Materials;
    LyPropertyListComponent Textures;
    /// The constraints that deform the mesh.
    LyPropertyListComponent Deformers;
    LyPropertyBaseComponent<LyScene*> Scene;
    /// The parent model; null for a model at the top level of the scene.
    LyPropertyBaseComponent<LyModel*> Parent;
    LyPropertyBaseComponent<LyGeometry*> Geometry;
    LyPropertyBaseComponent<LyMesh*> TessellatedMesh;
    LyPropertyBaseComponent<LyModelVertexData*> ModelVertexData;
    LyPropertyBaseComponent<LyCluster*> Cluster;
    LyPropertyBaseComponent<LyAnimationNode*> AnimationNode;
    LyPropertyBaseComponent<LyModel*> LookAt;
    LyPropertyBaseComponent<LyModel*> UpVector;
    LyPropertyBaseEnum<LyModelRotationOrder> RotationOrder;

    // The transform node's own values.
    LyPropertyAnimatableBool Visibility;
    LyPropertyBool VisibilityInheritance;
    LyPropertyAnimatableVector3d Translation;
    LyPropertyAnimatableVector3d Rotation;
    LyPropertyAnimatableVector3d Scaling;
    LyPropertyVector3d GeometricTranslation;
    LyPropertyVector3d GeometricRotation;
    LyPropertyVector3d GeometricScaling;
    LyPropertyBool Show;
    LyPropertyBool Pickable;
    LyPropertyBool Transformable;
    LyPropertyBool CastsShadows;
    LyPropertyBool ReceiveShadows;
    LyPropertyBool PrimaryVisibility;
    LyPropertyBool InheritScaling;
    /// The picking colour: each byte of the host's divided by 255.
    LyPropertyColor UniqueColorId;
    LyPropertyBool TranslationActive;
    LyPropertyBool RotationActive;
    LyPropertyVector3d TranslationMin;
    LyPropertyVector3d TranslationMax;
    LyPropertyVector3d RotationMin;
    LyPropertyVector3d RotationMax;
    LyPropertyBool TranslationMinX;
    LyPropertyBool TranslationMinY;
    LyPropertyBool TranslationMinZ;
    LyPropertyBool TranslationMaxX;
    LyPropertyBool TranslationMaxY;
    LyPropertyBool TranslationMaxZ;
    LyPropertyBool ShowLimits;
    LyPropertyVector3d PreRotation;
    LyPropertyVector3d PostRotation;
    LyPropertyBool RotationMinX;
    LyPropertyBool RotationMinY;
    LyPropertyBool RotationMinZ;
    LyPropertyBool RotationMaxX;
    LyPropertyBool RotationMaxY;
    LyPropertyBool RotationMaxZ;

protected:
    /// For the kinds: wraps `object`, or makes a host model of `hostClass`
    /// called `name` when there is none (then owned and added to the scene
    /// once the kind has registered its own properties: FinishKind).
    LyModel(const char* name, HIObject object, int hostClass);
    /// Binds `property` to the host value `name` and registers it.
    void AddHostValue(LyProperty& property, const char* name);
    /// Adds a model this wrapper made to the scene.
    void FinishKind();

private:
    void InitModelProperties();
    /// The host model, read from the record while the wrapper is bound to it.
    void* Node() const;
    struct Data {
        LyModel* wrapper;
        void* node;
        std::uint64_t reserved[2];
    } mData;
    bool mMadeHere = false;
};

/// A null: a plain transform drawn as a small cross.
class LYSDK_API LyModelNull : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelNull, LyModel)
public:
    explicit LyModelNull(const char* name, HIObject object = nullptr);
    LyPropertyDouble Size;
};

/// The root of a skeleton.
class LYSDK_API LyModelRoot : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelRoot, LyModel)
public:
    explicit LyModelRoot(const char* name, HIObject object = nullptr);
    LyPropertyDouble Size;
};

/// The look of a marker.
enum LyMarkerLook {
    kLyMarkerLookCube = 0,
    kLyMarkerLookHardCross,
    kLyMarkerLookLightCross,
    kLyMarkerLookSphere,
    kLyMarkerLookCapsule,
    kLyMarkerLookBox,
    kLyMarkerLookBone,
    kLyMarkerLookCircle,
    kLyMarkerLookSquare,
    kLyMarkerLookStick,
    kLyMarkerLookNone,
};
LYSDK_ENUM_TEXTS(LyMarkerLook);

/// What a marker stands for.
enum LyMarkerType {
    kLyMarkerTypeStandard = 0,
    kLyMarkerTypeOptical,
    kLyMarkerTypeFKEffector,
    kLyMarkerTypeIKEffector,
};
LYSDK_ENUM_TEXTS(LyMarkerType);

/// How finely a marker or bone is drawn.
enum LyMarkerResolution {
    kLyMarkerLowRes = 0,
    kLyMarkerMediumRes,
    kLyMarkerHighRes,
};
LYSDK_ENUM_TEXTS(LyMarkerResolution);

/// A marker: a target drawn in one of several looks.
class LYSDK_API LyModelMarker : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelMarker, LyModel)
public:
    explicit LyModelMarker(const char* name, HIObject object = nullptr);
    LyPropertyDouble Size;
    LyPropertyDouble Length;
    LyPropertyAnimatableColor Color;
    LyPropertyBool ShowTrajectory;
    LyPropertyBool Occluded;
    LyPropertyBaseEnum<LyMarkerType> Type;
    LyPropertyBaseEnum<LyMarkerResolution> ResLevel;
    LyPropertyBaseEnum<LyMarkerLook> Look;
};

/// The look of a skeleton bone.
enum LySkeletonLook {
    kLySkeletonLookStick = 0,
    kLySkeletonLookBox,
    kLySkeletonLookBone,
    kLySkeletonLookSphere,
    kLySkeletonLookCapsule,
    kLySkeletonLookNone,
};
LYSDK_ENUM_TEXTS(LySkeletonLook);

/// How finely a skeleton bone is drawn.
enum LySkeletonResolution {
    kLySkeletonLowRes = 0,
    kLySkeletonMediumRes,
    kLySkeletonHighRes,
};
LYSDK_ENUM_TEXTS(LySkeletonResolution);

/// A skeleton bone.
class LYSDK_API LyModelSkeleton : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelSkeleton, LyModel)
public:
    explicit LyModelSkeleton(const char* name, HIObject object = nullptr);
    LyPropertyDouble Size;
    LyPropertyDouble Length;
    LyPropertyAnimatableColor Color;
    LyPropertyBool ShowLabel;
    LyPropertyBool ShowTrajectory;
    LyPropertyBaseEnum<LySkeletonLook> Look;
    LyPropertyBaseEnum<LySkeletonResolution> Resolution;
};

/// A cube mesh from -1 to 1 on each axis.
class LYSDK_API LyModelCube : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelCube, LyModel)
public:
    explicit LyModelCube(const char* name, HIObject object = nullptr);
};

/// A square plane mesh from -1 to 1 in X and Z, facing +Y.
class LYSDK_API LyModelPlane : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelPlane, LyModel)
public:
    explicit LyModelPlane(const char* name, HIObject object = nullptr);
};

/// A 3D path: a curve through its keys, each key a point with a left and a
/// right tangent. Points are 4-vectors whose fourth component the path
/// sets to 1. Evaluation takes a percent from 0 to 100: by segment (each
/// segment an equal share) or of the total length.
class LYSDK_API LyModelPath3D : public LyModel {
    LYSDK_CLASS_DECLARE(LyModelPath3D, LyModel)
public:
    explicit LyModelPath3D(const char* name, HIObject object = nullptr);

    // Keys.
    int PathKeyGetCount();
    LyVector4<double> PathKeyGet(int index);
    void PathKeySet(int index, LyVector4<double> point, bool updateGeometry = true);
    int PathKeyStartAdd(LyVector4<double> point);
    int PathKeyEndAdd(LyVector4<double> point);
    void PathKeyInsertAfter(int index, LyVector4<double> point);
    void InsertNewStartKey();
    void InsertNewEndKey();
    void PathKeyRemove(int index);
    void PathKeyRemoveSelected();
    void PathKeyClear();
    int GetSelectedPathKeyCount();

    // Tangents and derivatives.
    LyVector4<double> PathKeyGetLeftTangent(int index);
    LyVector4<double> PathKeyGetRightTangent(int index);
    void PathKeySetLeftTangent(int index, LyVector4<double> tangent, bool mirror = false);
    void PathKeySetRightTangent(int index, LyVector4<double> tangent, bool mirror = false);
    void PathKeySetLeftRightTangent(int index, LyVector4<double> left, LyVector4<double> point,
                                    LyVector4<double> right, bool updateGeometry = true);
    double PathKeyGetLeftTangentLength(int index);
    double PathKeyGetRightTangentLength(int index);
    LyVector4<double> PathKeyGetXYZDerivative(int index);
    void PathKeySetXYZDerivative(int index, LyVector4<double> derivative, bool bothSides = true);
    void PathKeySetXDerivative(int index, double value, bool bothSides = true);
    void PathKeySetYDerivative(int index, double value, bool bothSides = true);
    void PathKeySetZDerivative(int index, double value, bool bothSides = true);

    // Control nodes and key properties.
    LyModel* PathKeyGetControlNode(int index);
    void PathKeySetControlNode(int index, LyModel* node);
    LyPropertyAnimatable* PathKeyGetProperty(int index);

    // Evaluation by percent.
    LyVector4<double> Segment_LocalPathEvaluate(double percent);
    LyVector4<double> Segment_GlobalPathEvaluate(double percent);
    LyVector4<double> Segment_LocalPathEvaluateDerivative(double percent);
    LyVector4<double> Segment_GlobalPathEvaluateDerivative(double percent);
    bool Segment_IsPathKey(double percent);
    LyVector4<double> Total_LocalPathEvaluate(double percent);
    LyVector4<double> Total_GlobalPathEvaluate(double percent);
    LyVector4<double> Total_LocalPathEvaluateDerivative(double percent);
    LyVector4<double> Total_GlobalPathEvaluateDerivative(double percent);
    bool Total_IsPathKey(double percent);
    double ConvertSegmentPercentToTotalPercent(double percent);
    double ConvertTotalPercentToSegmentPercent(double percent);
    double ConvertToSegmentPercentFactor(double totalPercent);
    double ConvertToTotalPercentFactor(double segmentPercent);

    // Display.
    void ShowCurveControls(bool show);
    void ShowCurvePoints(bool show);
    void UpdateGeometry();

    LyPropertyDouble PathLength;
    LyPropertyDefaultEnum LengthUnit;
    LyPropertyDefaultEnum KeyPropertyBehavior;
    LyPropertyDefaultEnum EndCapStyle;
    LyPropertyDouble Thickness;
    LyPropertyColor Color;
    LyPropertyBool ShowControls;
    LyPropertyBool ShowPoints;
    LyPropertyBool ShowTangents;
    LyPropertyBool AutoTangents;
    LyPropertyInt DisplayResolution;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYMODEL_H
