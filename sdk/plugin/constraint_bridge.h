#ifndef LYSDK_PLUGIN_CONSTRAINT_BRIDGE_H
#define LYSDK_PLUGIN_CONSTRAINT_BRIDGE_H

// Internal: the host constraints that carry a plug-in's LyConstraint
// ("__LyConstraint_HostConstraint", "__LyConstraint_HostConstraintSolver",
// "__LyConstraintSolver") and a LyConstraintRelation
// ("__LyConstraintRelation").
//
// Each host call a constraint answers goes to the LyConstraint's virtual of
// the same meaning; models reach it as their LyModel wrappers. Connector
// set-up and removal run with the host's device evaluation paused, and only
// while the constraint is linked to the scene; set-up that the host asks
// for while it ignores set-ups (a scene being read) is only remembered.

#include <velora/constraint.h>
#include <velora/relation.h>

#include "lysdk/lyconstraint.h"
#include "plugin/bridge.h"

LYSDK_BEGIN_NAMESPACE

/// The host's device evaluation paused for the life of the scope.
class __LyDeviceEvaluationPause {
public:
    __LyDeviceEvaluationPause();
    ~__LyDeviceEvaluationPause();
    __LyDeviceEvaluationPause(const __LyDeviceEvaluationPause&) = delete;
    __LyDeviceEvaluationPause& operator=(const __LyDeviceEvaluationPause&) = delete;
};

/// The forwarding shared by the constraint bridges; `HostBase` is the host
/// constraint class, `Served` the SDK class the bridge carries.
template <class HostBase, class Served>
class __LyConstraintBridge : public __LyBridge<HostBase, Served> {
public:
    __LyConstraintBridge(const char* name, int classId) : __LyBridge<HostBase, Served>(name, classId) {}

    LyConstraint* Sdk() const {
        LyComponent* sdk = this->SdkObject();
        return sdk && sdk->Is(LyConstraint::TypeInfo) ? static_cast<LyConstraint*>(sdk) : nullptr;
    }

    const char* TypeName() const override;
    const char* StorageSubType() const override { return TypeName(); }
    void ActiveChanged() override;
    bool ReferenceAddRequest(int group, velora::Object* object) override;
    bool ReferenceRemoveRequest(int group, velora::Object* object) override;
    bool EnableObject(velora::Object* object) override;
    bool DisableObject(velora::Object* object) override;
    void SnapSuggested() override;
    void FreezeSuggested() override;
    bool EvaluateConstraintConnector(velora::AnimationNode* node, const velora::EvaluationContext& context,
                                     velora::ConstraintInfo* info) override;
    bool EvaluateConnectors(const velora::EvaluationContext& context) override;
    bool HasAssociatedLayout() const override;
    velora::Object* CreateAssociatedLayout() override;
    velora::Constraint* Clone() override;
    bool DeformerPreNotify(velora::Model* model, const velora::EvaluationContext* context, float* pointsIn,
                           float* pointsOut) override;
    int DeformerNotify(velora::Model* model, const float* source, float* destination, int count,
                       const float* normalsIn, float* normalsOut) override;
    void RemoveAllConnectors() override;
    void SetupAllConnectors(bool force) override;
    bool StoreBox(velora::dsx::ObjectStore& store) override;
    bool RetrieveBox(velora::dsx::ObjectStore& store) override;
    IObject* IQuery(std::uint32_t id, int arg = 0) override;

    bool SetupPending() const { return mSetupPending; }

protected:
    void Teardown() override;

private:
    velora::PlugHandle mLayout;  // the associated layout, once made
    bool mSetupPending = false;
};

class __LyHostConstraint final : public __LyConstraintBridge<velora::Constraint, LyConstraint> {
public:
    static __LyHostConstraint* Create(const char* name);

private:
    explicit __LyHostConstraint(const char* name);
};

class __LyHostConstraintSolver : public __LyConstraintBridge<velora::ConstraintSolver, LyConstraintSolver> {
public:
    static __LyHostConstraintSolver* Create(const char* name, int classId);
    /// Activation pauses device evaluation around the host's own.
    void SetActive(bool on) override;

protected:
    __LyHostConstraintSolver(const char* name, int classId);
};

class __LyHostConstraintRelation final : public __LyConstraintBridge<velora::Relation, LyConstraintRelation> {
public:
    static __LyHostConstraintRelation* Create(const char* name);

private:
    explicit __LyHostConstraintRelation(const char* name);
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_PLUGIN_CONSTRAINT_BRIDGE_H
