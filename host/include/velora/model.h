#ifndef VELORA_MODEL_H
#define VELORA_MODEL_H

// Models: the objects of the scene's hierarchy, each with a transform node.
//
// Hierarchy. Every model has at most one parent and an ordered list of
// children; the hierarchy is what Object::ChildCount/Child walk.
//
// The transform node. A model's transform lives in properties of its own,
// created in this order (the "transform values"; TransformValue(i) gives
// them by index):
//    0 "Visibility"              bool, animatable (default true)
//    1 "Visibility Inheritance"  bool: a hidden parent hides the model
//    2 "Lcl Translation"         vector, animatable
//    3 "Lcl Rotation"            vector, animatable: degrees, read in the
//                                model's rotation order
//    4 "Lcl Scaling"             vector, animatable (default 1 1 1)
//    5 "GeometricTranslation"    vector   \  the geometric offset: moves the
//    6 "GeometricRotation"       vector   |  model's own geometry (its mesh,
//    7 "GeometricScaling"        vector   /  its box) but not its children
//    8 "Show", 9 "Pickable", 10 "Transformable", 11 "Casts Shadows",
//   12 "Receive Shadows", 13 "Primary Visibility"    bools (default true)
//   14 "Inherit Scaling"         bool (default true): false keeps the
//                                parent's own scaling out of the model
//   15 "TranslationActive"       bool: the translation limits apply
//   16 "RotationActive"          bool: the rotation limits apply
//   17 "TranslationMin", 18 "TranslationMax", 19 "RotationMin",
//   20 "RotationMax"             vectors: the limits (rotation in degrees)
//   21..26 "TranslationMinX", "TranslationMinY", "TranslationMinZ",
//          "TranslationMaxX", "TranslationMaxY", "TranslationMaxZ"  bools:
//                                which bounds hold
//   27 "Show Limits"             bool: viewers draw the limit ranges
//   28 "PreRotation"             vector: a fixed rotation (degrees, X then
//                                Y then Z) before the animated one
//   29 "PostRotation"            vector: one after it, inverted
//   30..35 "RotationMinX", "RotationMinY", "RotationMinZ", "RotationMaxX",
//          "RotationMaxY", "RotationMaxZ"  bools
//   36 "RotationOrder"           enum: 0 XYZ, 1 XZY, 2 YZX, 3 YXZ, 4 ZXY,
//                                5 ZYX, 6 Spheric XYZ (matrices as XYZ)
// then two single-connect object properties: "LookAt" and "UpVector".
//
// Local matrix (column vectors, X applied first in order 0):
//   L = T * Rpre * R * Rpost^-1 * S
// with T and R held to their limits where those are active. Global matrix:
//   G = Gparent * L, or Gparent * Sparent^-1 * L without scaling
// inheritance; a model aimed at a look-at target then turns its global X
// axis towards the target's position and its Y axis towards the up-vector
// target's (world Y without one), keeping its global position and scale.
// An up-vector target alone turns only Y. The geometric matrix G * Ggeo
// places the model's geometry.
//
// Caching. The global matrix is kept and recomputed only when something it
// depends on moved: the model's own translation, rotation or scaling (read
// every time, so a value written straight into a property is seen), one of
// its other transform values (written through Property::SetRaw; their
// writes are taken by the node), its parent or a target having recomputed,
// or a change of parent or target. Reading a global matrix walks the chain
// up to the top and recomputes only the stale part. Rotation order 6 reads
// like 0.
//
// Attribute writes (SetTransformVector) take the SDK's convention: rotation
// vectors are Euler angles read X then Y then Z, whatever the model's own
// order (the node converts), and global values are in world terms.
//
// Picking: every model owns a unique colour (red, green and blue bytes,
// alpha 255) that the viewer's picking pass draws it with, plus any number
// of additional colours for its sub-items (sub-item 1, 2, ...); the colour
// read back under the cursor finds the model again. Colours are never
// reused while the process runs.
//
// Selection order: selecting a model stamps it with the next number of a
// process-wide counter, so the model selected last has the highest number;
// deselecting clears it to 0.
//
// Threads. Models are made and edited on the thread that runs the scene
// operations. During a scene evaluation each hierarchy below the scene root
// updates its matrices on one evaluation thread; reading a global matrix
// from another thread is safe once the evaluation's transform stage is
// done, or for a model in the hierarchy the reading box's group owns. The
// picking table may be read from the viewer's own thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "velora/box.h"

namespace velora {

class Property;

/// What a transform vector is about.
enum TransformKind : int {
    kTransformTranslation = 0,
    kTransformRotation = 1,
    kTransformScaling = 2,
};

/// The orders of the "RotationOrder" value.
enum RotationOrderValue : int {
    kRotationXYZ = 0,
    kRotationXZY,
    kRotationYZX,
    kRotationYXZ,
    kRotationZXY,
    kRotationZYX,
    kRotationSphericXYZ,
};

/// Display shading of a model (the viewer's shading modes, in its order).
enum ShadingModeValue : int {
    kShadingDefault = 0,
    kShadingWire,
    kShadingFlat,
    kShadingLight,
    kShadingHard,
    kShadingTexture,
    kShadingAll,
};

/// The orders HierarchyWorldMatrices lists a branch in.
enum HierarchyOrder : int {
    kHierarchyDepthFirst = 0,    ///< the model, then each child's branch in turn
    kHierarchyBreadthFirst = 1,  ///< the model, its children, their children, ...
};

/// A model is a box: its transform is what relations read and drive.
class VELORA_API Model : public Box {
public:
    /// A new model of class `classId` (kClassModel or a class derived from
    /// it) called `name`, without a parent. Kinds with a type of their own
    /// (meshes, the cube and the plane, paths, cameras) are made as that
    /// type; the other kinds add their display values (velora/model_kinds.h).
    static Model* Create(const char* name, int classId = kClassModel);

    Model* Parent() const { return parent_; }
    /// Moves the model under `parent` at child position `index` (-1: last);
    /// null makes it parentless. False, and no change, when `parent` is the
    /// model itself or one of its descendants, or is ending.
    bool SetParent(Model* parent, int index = -1);
    int ChildCount() const override;
    Object* Child(int i) const override { return ChildModel(i); }
    Model* ChildModel(int i) const;
    /// Position among the parent's children, or -1 without a parent.
    int IndexInParent() const;

    /// Selection-order number (0 when not selected).
    std::uint64_t SelectionOrder() const { return selectionOrder_; }
    /// The model selected last and still selected, or the one made so by
    /// SetLastSelected; null when none (or it ended).
    static Model* LastSelected();
    /// Null is ignored.
    static void SetLastSelected(Model* model);

    /// The model's picking colour as bytes; alpha is always 255.
    void UniqueColor(std::uint8_t rgba[4]) const;
    /// Sub-item colours beyond the model's own. Setting a count allocates
    /// new colours for added sub-items and releases removed ones.
    int AdditionalColorCount() const { return static_cast<int>(extraColors_.size()); }
    void SetAdditionalColorCount(int count);
    /// The colour of sub-item `i` (1 to AdditionalColorCount()); false out of range.
    bool AdditionalColor(int i, std::uint8_t rgba[4]) const;
    /// The model drawn with colour (r, g, b, a), or null; `subItem` (may be
    /// null) receives 0 for the model's own colour and i for sub-item i, or
    /// -1 when nothing matches. Only alpha 255 matches.
    static Model* FindByColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                              int* subItem);

    // The transform node's values.
    /// Number of transform values (37) and value i in creation order (null
    /// outside).
    static constexpr int kTransformValueCount = 37;
    Property* TransformValue(int i) const;
    Property* VisibilityProperty() const { return values_[0]; }
    Property* TranslationProperty() const { return translation_; }
    Property* RotationProperty() const { return rotation_; }
    Property* ScalingProperty() const { return scaling_; }
    Property* RotationOrderProperty() const { return values_[36]; }
    /// The model's rotation order (RotationOrderValue).
    int RotationOrder() const;
    bool SetRotationOrder(int order);

    // Targets. A target is refused (false) when it would make the model's
    // matrix depend on itself: the model, one of its descendants, or a model
    // aimed (directly or not) at one of those. Null clears.
    Model* LookAt() const;
    bool SetLookAt(Model* target);
    Model* UpVector() const;
    bool SetUpVector(Model* target);
    Property* LookAtProperty() const { return lookAt_; }
    Property* UpVectorProperty() const { return upVector_; }
    /// Whether this model's global matrix depends on `other`'s: `other` is
    /// the model itself, one of its ancestors, or (through them) a target.
    bool DependsOn(const Model* other) const;

    // Matrices (16 doubles, column-major, translation at 12, 13, 14).
    /// The local matrix from the stored values.
    void LocalMatrix(double* out16) const;
    /// The local matrix in `context` (null: the global display context): at
    /// another time than the display context's, from the animated values at
    /// that time.
    void LocalMatrixAt(double* out16, const EvaluationContext* context) const;
    /// The global matrix, brought up to date first (see the top of this
    /// file). The pointer stays valid while the model lives.
    const double* GlobalMatrix() const;
    /// The global matrix in `context` (null: the global display context);
    /// at another time than the display context's, computed from the
    /// animated values at that time without touching the kept matrices.
    void GlobalMatrixAt(double* out16, const EvaluationContext* context) const;
    /// The global matrix from the stored values, computed now without
    /// reading or writing any kept matrix (safe from any thread while the
    /// values themselves do not change).
    void ComputeGlobalMatrix(double* out16) const;
    /// Makes `m16` the global matrix (a constraint's output); the local
    /// values keep theirs. Reads keep it, and the models below follow it,
    /// until the scene's next transform stage computes the model again.
    void SetGlobalMatrix(const double* m16);
    /// The inverse of the global matrix (kept with it).
    void GlobalInverseMatrix(double* out16, const EvaluationContext* context = nullptr) const;
    /// The geometric offset alone, and the global matrix times it.
    void GeometricMatrix(double* out16) const;
    void GlobalGeometricMatrix(double* out16, const EvaluationContext* context = nullptr) const;
    /// The global rotation (the axes made orthonormal) and scaling (the
    /// axis lengths on the diagonal, all negated for a mirrored matrix).
    void GlobalRotationMatrix(double* out16, const EvaluationContext* context = nullptr) const;
    void GlobalScalingMatrix(double* out16, const EvaluationContext* context = nullptr) const;
    /// The scaling matrix of the local scaling.
    void LocalScalingMatrix(double* out16) const;
    /// Between the rotation degrees of freedom (angles in the model's
    /// order) and the local rotation matrix they give with the pre- and
    /// post-rotation.
    void LocalRotationFromDof(double* out16, const double* dof3) const;
    void DofFromLocalRotation(double* dof3, const double* m16) const;

    /// A transform vector: local translation, rotation (Euler angles X then
    /// Y then Z) or scaling as the node applies them (limits held), or their
    /// world counterparts.
    void TransformVector(int kind, bool global, double* out3, const EvaluationContext* context = nullptr) const;
    /// The attribute setter: writes a translation, rotation (X then Y then
    /// Z) or scaling, local or in world terms, into the local values. A
    /// global value is turned into the local one that gives it under the
    /// current parent (and pre- and post-rotation). `count` must be 1. With
    /// `undo`, the write can be undone (in the open transaction, or one of
    /// its own). An animated value takes the write as its candidate at the
    /// context's time. False when refused (locked, read-only, no inverse).
    bool SetTransformVector(int kind, bool global, const double* values, int count, bool undo,
                            const EvaluationContext* context = nullptr);

    /// The world matrices of this model's branch, this model first, in
    /// `order` (HierarchyOrder), at most `capacity` of them; returns how many
    /// were written.
    int HierarchyWorldMatrices(double* out, int capacity, int order,
                               const EvaluationContext* context = nullptr) const;

    // Evaluation state.
    /// Whether the transform is evaluated in `context`: for the display
    /// context (or null), whether the kept global matrix is current; for
    /// another, whether that evaluation's transform stage reached the model.
    bool IsTransformEvaluated(const EvaluationContext* context) const;
    /// Whether the model is shown: "Show" and "Visibility" (at the context's
    /// time) are true and, with "Visibility Inheritance", the parent is
    /// visible.
    bool IsVisible(const EvaluationContext* context = nullptr) const;
    /// Brings the kept matrix up to date against an up-to-date `parent`
    /// (the scene's transform stage walks parents first), recording the
    /// evaluation; true when it was recomputed.
    bool RefreshTransform(const Model* parent, unsigned evaluationId);
    /// Counts recomputations of the global matrix (for tests and
    /// diagnostics).
    std::uint64_t TransformComputeCount() const { return computes_; }

    // Geometry (the model kinds with geometry override these).
    /// The box of the model's geometry in the model's own space (after the
    /// geometric offset): min x y z, max x y z. False (a zero box) for a
    /// model without geometry.
    virtual bool BoundingBox(double* min3, double* max3) const;
    /// The closest intersection of the segment from `start` to `end` (world
    /// points) with the model's geometry: the world position and unit world
    /// normal of the hit. False for a miss and for a model without geometry.
    virtual bool ClosestRayIntersection(const double* start, const double* end, double* position,
                                        double* normal) const;

    // Display state kept with the model.
    /// What viewers keep per model: the culling mode, the holds on frustum
    /// culling, whether it is evaluated even when unseen, and its place in
    /// the schematic view.
    struct ViewState {
        int culling = 0;
        int noFrustumCulling = 0;
        bool alwaysEvaluate = false;
        int schematic[2] = {0, 0};
        bool collapsed = false;
    };
    ViewState& View() { return view_; }
    const ViewState& View() const { return view_; }
    int ShadingMode() const { return shadingMode_; }
    void SetShadingMode(int mode) { shadingMode_ = mode; }
    bool IsIcon3D() const { return icon3D_; }
    void SetIcon3D(bool on) { icon3D_ = on; }
    bool IsSoftSelected() const { return softSelected_; }
    void SetSoftSelected(bool on) { softSelected_ = on; }
    /// Whether a constraint drives the model: an active relation's model
    /// placeholder with a connected input stands for it, or a driver said
    /// so (SetDriven, counted per driver).
    bool IsConstrained() const;
    void SetDriven(bool on) { drivers_ += on ? 1 : (drivers_ > 0 ? -1 : 0); }

    // Storage: the hierarchy (parent and child position) and the display
    // state, after the object's common part.
    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;
    /// The end of a load: the child positions read from a file are
    /// forgotten (they only order the children made by that load).
    void EndRetrieve() { loadedIndex_ = -1; }

protected:
    Model(const char* name, int classId);
    ~Model() override;
    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;
    void Teardown() override;
    /// Creates a display value of a model kind, marked so that writes reach
    /// OnValueTaken. `value` (may be null) is its initial raw value.
    Property* KindValue(const char* name, int dataType, const void* value, std::uint32_t createFlags = 0);
    /// A kind's value was written; the default does nothing.
    virtual void OnValueTaken() {}

private:
    struct Shape;
    friend struct TransformAccess;
    void DetachFromParent();
    void MakeTransformValues();
    static void TakeShape(IObject* self);
    static void TakeKindValue(IObject* self);
    void ReadShape() const;
    const Shape& CurrentShape() const;
    void EnsureGlobal() const;
    bool Refresh(const Model* parent) const;
    Model* Target(const Property* property) const;
    bool SetTarget(Property* property, Model* target);

    // What bringing the kept matrix up to date reads, together, so that a
    // walk over many models touches few cache lines of each.
    Model* parent_ = nullptr;
    // Straight pointers to the stored values the matrix is read from.
    const double* t_ = nullptr;
    const double* r_ = nullptr;
    const double* s_ = nullptr;
    mutable Shape* shape_ = nullptr;  // owned; made on first use
    mutable const Model* parentSeen_ = nullptr;
    mutable std::uint64_t stamp_ = 0;  // moves with every recomputation
    mutable std::uint64_t parentStampSeen_ = 0;
    mutable std::uint32_t shapeSeen_ = ~0u;
    mutable std::uint32_t shapeVersion_ = 0;
    mutable bool known_ = false;
    mutable bool refreshing_ = false;
    bool overridden_ = false;  // the kept matrix is a constraint's
    mutable double seen_[9] = {};
    // The kept matrix and what it was computed from.
    mutable double global_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    mutable const Model* targetSeen_[2] = {nullptr, nullptr};
    mutable std::uint64_t targetStampSeen_[2] = {0, 0};
    mutable std::uint64_t computes_ = 0;
    mutable double inverse_[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    mutable std::uint64_t inverseStamp_ = ~std::uint64_t(0);
    unsigned evaluatedId_ = 0;
    // The branch below the model in each order, as HierarchyWorldMatrices
    // last listed it (owned; made on first use).
    struct Branch;
    mutable Branch* branch_ = nullptr;

    std::vector<Model*> children_;
    std::uint64_t selectionOrder_ = 0;
    std::uint32_t color_ = 0;
    std::vector<std::uint32_t> extraColors_;
    Property* translation_ = nullptr;
    Property* rotation_ = nullptr;
    Property* scaling_ = nullptr;
    Property* lookAt_ = nullptr;
    Property* upVector_ = nullptr;
    Property* values_[kTransformValueCount] = {};

    ViewState view_;
    int shadingMode_ = kShadingDefault;
    bool icon3D_ = false;
    bool softSelected_ = false;
    int drivers_ = 0;
    int loadedIndex_ = -1;
};

/// The model behind an object, or null when it is not a model.
VELORA_API Model* AsModel(Object* object);

}  // namespace velora

#include "velora/model_kinds.h"

#endif  // VELORA_MODEL_H
