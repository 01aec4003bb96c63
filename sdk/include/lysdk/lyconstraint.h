#ifndef LYSDK_LYCONSTRAINT_H
#define LYSDK_LYCONSTRAINT_H

// Constraints: boxes that drive models (the constrained objects) from other
// models (the sources).
//
// A plug-in constraint derives from LyConstraint, declares its reference
// groups once (group 0 holds the constrained object), and makes its
// animation nodes from the references whenever the host rebuilds them:
//
//     class MyAim : public LyConstraint {
//         LYSDK_CLASS_DECLARE(MyAim, LyConstraint)
//     public:
//         explicit MyAim(const char* name) : LyConstraint(name) {
//             ReferenceGroupAdd("Constrained Object", 1);
//             ReferenceGroupAdd("Aim At Object", 1);
//         }
//         void SetupAllAnimationNodes() override {
//             LyModel* target = ReferenceGet(1, 0);
//             LyModel* model = ReferenceGet(0, 0);
//             if (!target || !model) return;
//             mTarget = AnimationNodeInCreate(0, target, "Translation");
//             mPosition = AnimationNodeInCreate(1, model, "Translation");
//             mRotation = AnimationNodeOutCreate(2, model, "Rotation");
//         }
//         void RemoveAllAnimationNodes() override { mTarget = mPosition = mRotation = nullptr; }
//         bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info,
//                                  LyConstraintInfo* constraintInfo) override {
//             ... read mTarget and mPosition, write node (mRotation)
//         }
//     };
//
// Input nodes read a model's global "Translation", "Rotation" (Euler
// degrees, X then Y then Z) or "Scaling"; output nodes drive them. The host
// evaluates an active constraint once per frame, after the transforms of
// the models it reads, and blends what it writes with the unconstrained
// transform by "Weight" (0 to 100).
//
// Register the class under "DsxStorable/Constraint" (its entry name is the
// constraint's type name): the constraint manager lists it, scenes keep it
// and Clone copies it.

#include "lysdk/lybox.h"
#include "lysdk/lymodel.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lypropertylist.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

/// The host's record passed with each constraint evaluation.
class LYSDK_API LyConstraintInfo {
public:
    LyConstraintInfo() = delete;
    LyConstraintInfo(const LyConstraintInfo&) = delete;
    LyConstraintInfo& operator=(const LyConstraintInfo&) = delete;

    /// A snap was asked for: take the offsets that keep the constrained
    /// objects where they are.
    bool GetSnapRequested() const;
    /// A zero was asked for: clear the offsets.
    bool GetZeroRequested() const;
};

class LYSDK_API LyConstraint : public LyBox {
    LYSDK_CLASS_DECLARE(LyConstraint, LyBox)
public:
    /// With no host object: creates the constraint's host object (the
    /// "__LyConstraint_HostConstraint" bridge) named `name`. With one: wraps it.
    explicit LyConstraint(const char* name, HIObject object = nullptr);
    explicit LyConstraint(HIObject object);

    IObject* IQuery(std::uint32_t id, int arg = 0) override;

    using LyBox::AnimationNodeInCreate;
    using LyBox::AnimationNodeNotify;
    using LyBox::AnimationNodeOutCreate;

    /// The "Active" switch changed.
    virtual void ActiveChanged();
    /// Forget the animation nodes (the host released them).
    virtual void RemoveAllAnimationNodes();
    /// Make the animation nodes from the references.
    virtual void SetupAllAnimationNodes();
    /// The user asked to snap; the default asks the host to snap.
    virtual void SnapSuggested();
    virtual void FreezeSuggested();
    /// True exactly when `model` is reference 0 of group 0.
    virtual bool Disable(LyModel* model);
    virtual bool Enable(LyModel* model);
    /// Compute one output node; false (nothing written) by default.
    virtual bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info, LyConstraintInfo* constraintInfo);
    virtual void SaveModelState(LyModel* model, bool scaling, bool rotation, bool translation);
    virtual void RestoreModelState(LyModel* model);
    /// Writes the model's constrained transform into its local values.
    virtual void FreezeSRT(LyModel* model, bool scaling, bool rotation, bool translation);
    /// A copy of the constraint (a new object of the same type, with the
    /// same references and values), named uniquely in the scene.
    virtual LyConstraint* Clone();
    /// A reference is about to be added or removed; false refuses.
    virtual bool ReferenceAddNotify(int group, LyModel* model);
    virtual bool ReferenceRemoveNotify(int group, LyModel* model);
    /// Before each deformation of a mesh the constraint is bound to; false
    /// skips it.
    virtual bool DeformerPreNotify(LyModel* model, LyEvaluateInfo* info, LyVector4<float>* pointsIn,
                                   LyVector4<float>* pointsOut);
    /// Deforms `count` points from `source` into `destination`; true when
    /// it wrote them. False (nothing) by default.
    virtual bool DeformerNotify(LyModel* model, const LyVector4<float>* source, LyVector4<float>* destination,
                                int count, const LyVector4<float>* normalsIn, LyVector4<float>* normalsOut);
    /// Binds the constraint to the model's mesh as a deformer.
    virtual bool DeformerBind(LyModel* model);
    virtual bool DeformerUnBind(LyModel* model);
    bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) override;
    bool DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) override;

    // Reference groups.
    /// Appends a group; its index, or -1 when the host object is not an
    /// extension constraint.
    int ReferenceGroupAdd(const char* name, int maxCount);
    int ReferenceGroupGetCount();
    const char* ReferenceGroupGetName(int group);
    int ReferenceGroupGetMaxCount(int group);
    bool ReferenceAdd(int group, LyModel* model);
    int ReferenceGetCount(int group);
    LyModel* ReferenceGet(int group, int index);
    bool ReferenceRemove(int group, LyModel* model);
    void ReferenceRemoveAll();

    /// A node reading `attribute` ("Translation", "Rotation", "Scaling")
    /// of `model`; it carries `userId`.
    LyAnimationNode* AnimationNodeInCreate(std::uint64_t userId, LyModel* model, const char* attribute);
    /// A node driving `attribute` of `model`.
    LyAnimationNode* AnimationNodeOutCreate(std::uint64_t userId, LyModel* model, const char* attribute);
    /// A node reading an animatable host property.
    LyAnimationNode* AnimationNodeInCreate(std::uint64_t userId, LyProperty* property);

    /// Whether the constraint is a deformer.
    LyPropertyBool Deformer;
    /// The constraint's type name (read only).
    LyPropertyString Description;
    /// Whether a layout is registered for the class (read only).
    LyPropertyBool HasLayout;
    /// The host's switches: evaluated while on; references locked; snap
    /// (an action); weight 0 to 100.
    LyPropertyBool Active;
    LyPropertyBool Lock;
    LyPropertyBoolAction Snap;
    LyPropertyAnimatableDouble Weight;

private:
    void InitConstraintProperties();
};

/// The boxes of a relation constraint.
class LYSDK_API LyPropertyListBox : public LyPropertyBaseList<LyBox*> {
public:
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyBox* GetAt(int index) override;
    /// Ends the box at `index`.
    void RemoveAt(int index) override;
};

/// A relation constraint: a graph of boxes.
class LYSDK_API LyConstraintRelation : public LyConstraint {
    LYSDK_CLASS_DECLARE(LyConstraintRelation, LyConstraint)
public:
    /// With no host object: a new relation (the "__LyConstraintRelation"
    /// bridge) named `name`. With one: wraps it.
    explicit LyConstraintRelation(const char* name, HIObject object = nullptr);
    explicit LyConstraintRelation(HIObject object);

    /// A function box from the registry entry `name` of group
    /// "Boxes/Functions/" + `group`, placed at (100, 100) in the relation;
    /// null when it cannot be made or is not a box.
    LyBox* CreateFunctionBox(const char* group, const char* name);
    /// The placeholder that drives `model` (destination) or reads it
    /// (source); null on failure.
    LyBox* ConstrainObject(LyModel* model);
    LyBox* SetAsSource(LyModel* model);
    /// The box's place in the relation's view; false for an argument that
    /// is not a box (the out-arguments are then left as they are).
    bool SetBoxPosition(LyBox* box, int x, int y);
    bool GetBoxPosition(LyBox* box, int& x, int& y);

    /// The boxes of the relation.
    LyPropertyListBox Boxes;
};

/// A constraint that also solves.
class LYSDK_API LyConstraintSolver : public LyConstraint {
    LYSDK_CLASS_DECLARE(LyConstraintSolver, LyConstraint)
public:
    /// With no host object: a new solver (the "__LyConstraintSolver"
    /// bridge) named `name`, added to the scene. With one: wraps it.
    explicit LyConstraintSolver(const char* name, HIObject object = nullptr);
    explicit LyConstraintSolver(HIObject object);

    void MultiThreaded(bool on);
    bool IsMultiThreaded();
    /// The solver's live switch changed.
    virtual void LiveChanged();

    LyPropertyInt SampleRecordingPrecision;
    LyPropertyBool SyncAnimationPlay;
};

/// The constraint types the host knows.
class LYSDK_API LyConstraintManager {
public:
    static LyConstraintManager& TheOne();

    int TypeGetCount();
    /// The type's name as the user sees it; null outside.
    const char* TypeGetName(int index);
    /// A new constraint of the type, in the scene and named after the type;
    /// null on failure.
    LyConstraint* TypeCreateConstraint(int index);
    /// The same for the first type whose name is exactly `name`.
    LyConstraint* TypeCreateConstraint(const char* name);

private:
    LyConstraintManager() = default;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYCONSTRAINT_H
