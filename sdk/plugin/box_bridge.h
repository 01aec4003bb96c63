#ifndef LYSDK_PLUGIN_BOX_BRIDGE_H
#define LYSDK_PLUGIN_BOX_BRIDGE_H

// Internal: "__LyBox", the host box that carries a plug-in's LyBox.
//
// Forwarding: evaluating the whole box goes to EvaluateAnimationNodes,
// evaluating one output to AnimationNodeNotify, the candidate calls to their
// namesakes; node arguments reach the SDK as the wrappers of the host
// connectors and the evaluation context as the LyEvaluateInfo itself. "May
// this connector be evaluated" is the host's own answer. The storage object
// type is "Box" and the sub-type the LyBox's storage sub-type text.

#include <velora/box.h>

#include "lysdk/lybox.h"
#include "plugin/bridge.h"

LYSDK_BEGIN_NAMESPACE

/// The scene-storage interface id a box answers.
constexpr std::uint32_t __LyIdSceneStorage = 1001;

class __LyBoxBridge final : public __LyBridge<velora::Box, LyBox> {
public:
    static __LyBoxBridge* Create(const char* name);

    bool EvaluateConnectors(const velora::EvaluationContext& context) override;
    bool EvaluateConnector(velora::AnimationNode* output, const velora::EvaluationContext& context) override;
    int SetGlobalCandidate(velora::AnimationNode* node, const double* values,
                           const velora::EvaluationContext* context) override;
    int SetStdCandidate(velora::AnimationNode* node, const double* values,
                        const velora::EvaluationContext* context) override;
    bool ResolveCandidate(velora::AnimationNode* node, const velora::EvaluationContext* context) override;
    const char* StorageObjectType() const override { return "Box"; }
    /// The scene-storage interface is the bridge itself.
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// The host part first; when it succeeded, the extension's DsxStore
    /// (DsxRetrieve) with the same pass bits, whose answer is the answer.
    bool StoreBox(velora::dsx::ObjectStore& store) override;
    bool RetrieveBox(velora::dsx::ObjectStore& store) override;
    const char* StorageSubType() const override;

private:
    explicit __LyBoxBridge(const char* name);
    LyBox* Sdk() const;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_PLUGIN_BOX_BRIDGE_H
