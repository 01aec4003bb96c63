#ifndef VELORA_CONSTRAINT_H
#define VELORA_CONSTRAINT_H

// Constraints: boxes that drive the transforms of scene models (the
// constrained objects) from other models (the sources).
//
// References. A constraint keeps named groups of reference models, each
// with a maximum count (-1: no limit). Group 0 holds the constrained
// object(s); the others hold sources. References are kept by handle: a
// model that ends simply leaves its group. Adding or removing a reference
// rebuilds the constraint's connectors (RemoveAllConnectors, then
// SetupAllConnectors); a locked constraint ("Lock") refuses both.
//
// Switches and requests, all properties of the constraint:
//   "Active"  bool: while on and a member of the main scene, the scene
//             evaluates the constraint every frame
//   "Lock"    bool: references and snapping are refused while on
//   "Snap"    action: writing true asks for a snap; the next evaluation
//             takes the offsets that keep the constrained object where it
//             is, then activates the constraint
//   "Weight"  animatable number, 0 to 100: how far the result goes from the
//             unconstrained transform (0) to the constraint's output (100)
// A zero request (RequestZero) clears the offsets at the next evaluation.
//
// Evaluation. The scene evaluates its active constraints after the
// relations' boxes and the transforms, sources before the constraints
// that read them, and brings the descendants of each constrained model up
// to date at once. A constraint computes each constrained model's global
// transform; ApplyGlobal blends it with the unconstrained transform by the
// weight and makes it the model's global matrix. The model's local
// properties keep their own (unconstrained) values.
//
// A constraint without its own solver (an extension's) works through
// connectors: ModelInConnector reads a model's global "Translation",
// "Rotation" (Euler degrees, X then Y then Z) or "Scaling" into the
// constraint; ModelOutConnector drives one. Evaluation fills the inputs,
// evaluates the box (EvaluateConnectors), asks EvaluateConstraintConnector
// for each model output, and applies the outputs that were written.
//
// Deformers. A constraint bound to a mesh (BindDeformer) with its deformer
// switch on receives the mesh's points in every deformation pass of the
// scene (DeformerPreNotify, then DeformerNotify); what it writes is the
// mesh's deformed points.
//
// Threads: everything here runs on the thread that runs the scene.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/box.h"

namespace velora {

class Model;
class MeshModel;
class Scene;

/// The record passed with each constraint evaluation: a snap and a zero
/// request, one byte each, in this order.
struct ConstraintInfo {
    std::uint8_t snapRequested = 0;
    std::uint8_t zeroRequested = 0;
};

/// A model attribute a constraint connector reads or drives.
enum ConstraintAttribute : int {
    kConstraintTranslation = 0,
    kConstraintRotation = 1,
    kConstraintScaling = 2,
};

/// The attribute named `name` ("Translation", "Rotation", "Scaling" and
/// the model's local names "Lcl Translation", ...), or -1.
VELORA_API int ConstraintAttributeByName(const char* name);

class VELORA_API Constraint : public Box {
public:
    /// A plain constraint of class `classId` (kClassConstraint or derived):
    /// no groups, no solver of its own.
    static Constraint* Create(const char* name, int classId = kClassConstraint);

    /// The name of the constraint's type ("Position", "Aim", ...; empty for
    /// a plain constraint).
    virtual const char* TypeName() const { return ""; }

    // Reference groups.
    /// Appends a group; returns its index.
    int AddReferenceGroup(const char* name, int maxCount);
    virtual int ReferenceGroupCount() const { return static_cast<int>(groups_.size()); }
    /// Null (-1 for the count) outside the groups.
    virtual const char* ReferenceGroupName(int group) const;
    virtual int ReferenceGroupMaxCount(int group) const;

    // References.
    /// Adds `object` to `group`: false for a locked constraint, a group out
    /// of range, null or the constraint itself, an object already in the
    /// group, or a group that is full. A constraint may refuse through
    /// ReferenceAddRequest.
    bool AddReference(int group, Object* object);
    /// Removes the reference at `index` of `group` (false outside, or when
    /// refused).
    bool RemoveReference(int group, int index);
    int ReferenceCount(int group) const;
    /// Null outside the group (or for a model that ended).
    Object* Reference(int group, int index) const;
    /// The position of `object` in `group`, or -1.
    int ReferenceIndex(int group, const Object* object) const;
    void RemoveAllReferences();
    /// The constrained model (reference 0 of group 0) or null.
    Model* ConstrainedModel() const;

    // Switches.
    bool IsActive() const;
    /// Turning on asks EnableObject for every constrained object, off
    /// DisableObject; a refused enabling leaves the constraint off.
    virtual void SetActive(bool on);
    bool IsLocked() const;
    void SetLocked(bool on);
    /// The weight as a fraction (0 to 1).
    double Weight(const EvaluationContext* context) const;
    /// Asks for a snap at the next evaluation (refused while locked).
    bool RequestSnap();
    void RequestZero() { zeroPending_ = true; }
    /// Whether the constraint is a deformer.
    bool IsDeformer() const { return deformer_; }
    void SetDeformer(bool on) { deformer_ = on; }

    Property* ActiveProperty() const { return active_; }
    Property* LockProperty() const { return lock_; }
    Property* SnapProperty() const { return snap_; }
    Property* WeightProperty() const { return weight_; }

    // Hooks (the defaults are the host's own behaviour).
    virtual void ActiveChanged() {}
    virtual bool EnableObject(Object* object);
    virtual bool DisableObject(Object* object);
    virtual bool ReferenceAddRequest(int group, Object* object);
    virtual bool ReferenceRemoveRequest(int group, Object* object);
    /// The user asked to snap: the default snaps (RequestSnap).
    virtual void SnapSuggested() { RequestSnap(); }
    virtual void FreezeSuggested() {}
    /// Writes the constrained transform of `model` into its local
    /// properties, for the chosen channels.
    void Freeze(Model* model, bool scaling, bool rotation, bool translation,
                const EvaluationContext* context);

    // Evaluation.
    /// One evaluation of the constraint (the scene calls it).
    void EvaluateConstraint(const EvaluationContext& context);
    /// The models the constraint drives and reads (to order constraints).
    virtual void CollectDriven(std::vector<Model*>* out) const;
    virtual void CollectSources(std::vector<Model*>* out) const;
    /// Computes one model output; the default computes nothing (false).
    virtual bool EvaluateConstraintConnector(AnimationNode* node, const EvaluationContext& context,
                                             ConstraintInfo* info);
    /// Blends `global` with `model`'s unconstrained transform by `weight`
    /// (0 to 1) and makes it the model's global matrix.
    static void ApplyGlobal(Model* model, const double* global, double weight);
    /// The model's global matrix as its own local values make it (its
    /// parent's current global times its local matrix).
    static void UnconstrainedGlobal(const Model* model, double* out16);

    // Connectors.
    AnimationNode* ModelInConnector(Model* model, int attribute);
    AnimationNode* ModelOutConnector(Model* model, int attribute);
    /// Drops every connector of the constraint.
    void ReleaseConnectors();
    /// Rebuilding the connectors (see the top of this file).
    virtual void RemoveAllConnectors() { ReleaseConnectors(); }
    virtual void SetupAllConnectors(bool force);
    /// While true (a scene file is being read), connectors are not set up;
    /// the reader sets them all up once it is done.
    static bool SetupIgnored();
    static void SetSetupIgnored(bool on);
    /// The constraint's link to the scene: its evaluation runs and its
    /// connectors are made only while it is set.
    bool IsLinked() const;

    // Deformers.
    /// Binds to `model` (a mesh) as a deformer; policy 1 also turns the
    /// deformer switch on. False for a model that is not a mesh.
    bool BindDeformer(Model* model, int policy);
    bool UnbindDeformer(Model* model);
    virtual bool DeformerPreNotify(Model* model, const EvaluationContext* context, float* pointsIn,
                                   float* pointsOut);
    /// Deforms `count` points (x, y, z, w each) from `source` into
    /// `destination`; answers nonzero when it wrote them. The default
    /// writes nothing (0).
    virtual int DeformerNotify(Model* model, const float* source, float* destination, int count,
                               const float* normalsIn, float* normalsOut);

    // Layout, copies.
    virtual bool HasAssociatedLayout() const { return false; }
    virtual Object* CreateAssociatedLayout() { return nullptr; }
    /// A copy made through the constraint's class; null when it has none.
    virtual Constraint* Clone();
    /// Copies `from`'s references and property values (by name).
    void CopyConstraint(const Constraint& from);

    // Storage: the references by full name, resolved once every object exists.
    bool StoreBox(dsx::ObjectStore& store) override;
    bool RetrieveBox(dsx::ObjectStore& store) override;
    const char* StorageObjectType() const override { return "Constraint"; }
    /// Joining or leaving the main scene rebuilds the connectors.
    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;

protected:
    Constraint(const char* name, int classId);
    void Teardown() override;
    /// Solves the constraint: the default is the connector road. Built-in
    /// types compute their outputs directly.
    virtual void Solve(const EvaluationContext& context, ConstraintInfo& info);
    /// Snapping and zeroing for types with offsets.
    virtual void TakeOffsets(const EvaluationContext&) {}
    virtual void ZeroOffsets() {}
    /// Rebuilds the connectors when the references changed.
    void ReferencesChanged();

private:
    struct Group {
        std::string name;
        int maxCount;
        std::vector<PlugHandle> refs;
    };
    struct ModelLink {
        PlugHandle model;
        AnimationNode* node;
        int attribute;
        bool output;
    };
    AnimationNode* ModelConnector(Model* model, int attribute, bool output);
    void RetrieveReferences(dsx::ObjectStore& store);

    std::vector<Group> groups_;
    std::vector<ModelLink> links_;
    std::vector<PlugHandle> deformed_;
    Property* active_ = nullptr;
    Property* lock_ = nullptr;
    Property* snap_ = nullptr;
    Property* weight_ = nullptr;
    bool snapPending_ = false;
    bool zeroPending_ = false;
    bool deformer_ = false;
    bool settingActive_ = false;
};

/// The constraint behind an object, or null.
VELORA_API Constraint* AsConstraint(Object* object);

/// A constraint that also solves: "SampleRecordingPrecision" (int) and
/// "SyncAnimationPlay" (bool), and a multi-threading switch.
class VELORA_API ConstraintSolver : public Constraint {
public:
    static ConstraintSolver* Create(const char* name);
    bool IsMultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool on) { multiThreaded_ = on; }
    Property* SampleRecordingPrecisionProperty() const { return precision_; }
    Property* SyncAnimationPlayProperty() const { return sync_; }

protected:
    ConstraintSolver(const char* name, int classId);

private:
    Property* precision_ = nullptr;
    Property* sync_ = nullptr;
    bool multiThreaded_ = false;
};

/// The constraint types the host knows: the built-in ones, then the
/// extension constraints registered under "DsxStorable/Constraint".
class VELORA_API ConstraintTypes {
public:
    static int Count();
    /// The type's name ("Position", "Rotation", "Scale", "Parent/Child",
    /// "Aim", "Relation", then the extension entries' names); null outside.
    static const char* Name(int index);
    /// A new constraint of the type, named `name`; null outside or when its
    /// creator fails. It does not join the scene.
    static Constraint* Create(int index, const char* name);
    /// The index of the type called exactly `name`, or -1.
    static int Find(const char* name);
};

/// The built-in type named `typeName`, made directly (null when none).
VELORA_API Constraint* CreateBuiltinConstraint(const char* typeName, const char* name);

/// A constraint of host class `classId`: a built-in type's class makes
/// that type, a solver class a solver, any other constraint class a plain
/// constraint.
VELORA_API Constraint* CreateConstraintOfClass(const char* name, int classId);

/// The host's text translations: the text of `key` in `group` shown to the
/// user, or `key` itself when there is none.
VELORA_API const char* TranslatedText(const char* group, const char* key);
VELORA_API void SetTranslatedText(const char* group, const char* key, const char* text);

}  // namespace velora

#endif  // VELORA_CONSTRAINT_H
