#ifndef LYSDK_LYBOX_H
#define LYSDK_LYBOX_H

// Relation boxes: nodes of the host's evaluation graph.
//
// A box owns input and output animation nodes (its connectors). The host
// evaluates a box when something downstream needs its outputs, at most once
// per evaluation, and only when one of its inputs, a connection or the
// time changed: it first calls EvaluateAnimationNodes (the whole box), then
// AnimationNodeNotify for each output. Read inputs with
// LyAnimationNode::ReadData and write outputs with WriteData, passing the
// evaluation info you were given:
//
//     class Scale : public LyBox {
//         LYSDK_CLASS_DECLARE(Scale, LyBox)
//     public:
//         explicit Scale(const char* name) : LyBox(name) {
//             mIn = AnimationNodeInCreate(0, "In", "Number");
//             mFactor = AnimationNodeInCreate(1, "Factor", "Number", true);
//             mOut = AnimationNodeOutCreate(2, "Out", "Number");
//         }
//         bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info) override {
//             double v = 0, f = 1;
//             mIn->ReadData(&v, info);   // info->GetLocalTime(): the time
//             mFactor->ReadData(&f, info);
//             v *= f;
//             return node == mOut && mOut->WriteData(&v, info);
//         }
//     private:
//         LyAnimationNode *mIn, *mFactor, *mOut;
//     };
//
// Register the class under a "Boxes/Functions/..." group so that relations
// offer it. A box that overrides nothing computes nothing and stores
// nothing. Connections that would close a cycle are refused by the host.
//
// Evaluation calls come from the host's evaluation threads: two boxes that
// share no connection may be evaluated at the same time, so a box guards
// data it shares with other boxes itself (lylock.h).

#include <cstdint>

#include "lysdk/lyanimationnode.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lydsx.h"
#include "lysdk/lyevaluateinfo.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;

class LYSDK_API LyBox : public LyComponent {
    LYSDK_CLASS_DECLARE(LyBox, LyComponent)
public:
    /// The answer of the candidate operations, handed to the host as it is.
    enum ECandidateAction : int {
        kLyCandidateNone = 0,     ///< nothing was taken
        kLyCandidateApplied = 1,  ///< the values were taken
    };

    /// With no host object: creates the box's host object (the "__LyBox"
    /// bridge) named `name` and owns it. With one: wraps it.
    explicit LyBox(const char* name, HIObject object = nullptr);
    /// Wraps an existing host box.
    explicit LyBox(HIObject object);
    ~LyBox() override;

    IObject* IQuery(std::uint32_t id, int arg = 0) override;

    /// A new input connector. With `userData` the input is a property of the
    /// box of that name and type (animatable, shown to the user as data of
    /// the box); the node is its connector. Limits apply to an animatable
    /// input only, and only when both are given. Null when the type name is
    /// not a host data type with numeric members.
    virtual LyAnimationNode* AnimationNodeInCreate(std::uint64_t userId, const char* name,
                                                   const char* dataType, bool animatable = false,
                                                   double* min = nullptr, double* max = nullptr,
                                                   bool userData = false);
    /// A new output connector.
    virtual LyAnimationNode* AnimationNodeOutCreate(std::uint64_t userId, const char* name,
                                                    const char* dataType, bool animatable = false,
                                                    double* min = nullptr, double* max = nullptr);
    /// The whole box is evaluated; true by default.
    virtual bool EvaluateAnimationNodes(LyEvaluateInfo* info);
    /// One output is evaluated; false (nothing written) by default.
    virtual bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info);
    virtual bool ResolveCandidate(LyAnimationNode* node, LyEvaluateInfo* info);
    virtual ECandidateAction SetGlobalCandidate(LyAnimationNode* node, double* values, LyEvaluateInfo* info);
    virtual ECandidateAction SetStdCandidate(LyAnimationNode* node, double* values, LyEvaluateInfo* info);
    /// The box's own fields in the scene file; false (nothing) by default.
    virtual bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass);
    virtual bool DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass);
    /// Ends a connector (a user-data input takes its property with it);
    /// always true.
    virtual bool AnimationNodeDestroy(LyAnimationNode* node);
    /// Whether `node` is the connector of a user-data input.
    virtual bool AnimationNodeIsUserData(LyAnimationNode* node);
    /// Disables the outputs not written in this evaluation: they read as no
    /// value until written again.
    virtual void AnimationNodesOutDisableIfNotWritten(LyEvaluateInfo* info);
    /// The nodes that group the inputs and the outputs.
    virtual LyAnimationNode* AnimationNodeInGet();
    virtual LyAnimationNode* AnimationNodeOutGet();
    virtual const char* DsxGetObjectType();
    virtual const char* DsxGetObjectSubType();
    virtual int GetOutConnectorCount();
    virtual int GetInConnectorCount();
    /// Null for an index below 0 or not below the count.
    virtual LyAnimationNode* GetOutConnector(int index);
    virtual LyAnimationNode* GetInConnector(int index);

    /// The class name the box is stored under (null: the host's choice).
    const char* GetStorageSubType() const { return mStorageSubType; }
    void SetStorageSubType(const char* subType);
    /// Whether the box made its host object itself.
    bool CreatedHostObject() const { return mCreatedHost; }

    /// The box's animatable switch.
    LyPropertyBool Animatable;
    /// True while the box plays live data (play mode 0).
    LyPropertyBool Live;
    /// True while the box records (record mode 1).
    LyPropertyBool RecordMode;

protected:
    /// For box kinds that make their own host object (devices): binds to
    /// `object`; with `created`, the box made it and owns it.
    LyBox(HIObject object, const char* name, bool created);

private:
    void InitBoxProperties(const char* name);
    bool mCreatedHost;
    char* mStorageSubType;
};

LYSDK_ENUM_TEXTS(LyBox::ECandidateAction);

/// A placeholder in a relation for a box outside it.
class LYSDK_API LyBoxPlaceHolder : public LyBox {
    LYSDK_CLASS_DECLARE(LyBoxPlaceHolder, LyBox)
public:
    explicit LyBoxPlaceHolder(HIObject object);
    /// The box it stands for.
    LyPropertyBaseComponent<LyBox*> Box;
};

/// A placeholder in a relation for a model: outputs and inputs
/// "Translation", "Rotation" and "Scaling".
class LYSDK_API LyModelPlaceHolder : public LyBox {
    LYSDK_CLASS_DECLARE(LyModelPlaceHolder, LyBox)
public:
    explicit LyModelPlaceHolder(HIObject object);
    /// The model it stands for.
    LyPropertyBaseComponent<LyModel*> Model;
    /// Translation is read and written in world terms.
    LyPropertyBool UseGlobalTransforms;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYBOX_H
