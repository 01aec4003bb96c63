#ifndef LYSDK_LYANIMATIONNODE_H
#define LYSDK_LYANIMATIONNODE_H

// Animation nodes: the host's holders of an animated property's curves, one
// curve per member (a vector's node has one sub-node per component, each
// with its curve).
//
// Keying honours the lock bits of the connected property: locked members
// are not keyed and keep their keys. Keying, removing keys and setting a
// candidate record the node into the open undo transaction (once per
// transaction). Forms without a time work at the current local time.
// Values cross the node as doubles, one per member.

#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyevent.h"
#include "lysdk/lyfcurve.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

class LyAnimationNode;

enum LyAnimationNodeConnectorType {
    kLyAnimationNodeConnectorTypeNone = 0,
    kLyAnimationNodeConnectorTypeConnectedIn,
    kLyAnimationNodeConnectorTypeConnectedOut,
    kLyAnimationNodeConnectorTypeConstantIn,
};
LYSDK_ENUM_TEXTS(LyAnimationNodeConnectorType);

/// The sub-nodes of a node (read-only: members come with the node).
class LYSDK_API LyPropertyListAnimationNode : public LyPropertyBaseList<LyAnimationNode*> {
public:
    LyPropertyListAnimationNode& Init(LyAnimationNode* node, const char* name);
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyAnimationNode* GetAt(int index) override;
    /// Members cannot be removed: nothing happens.
    void RemoveAt(int index) override;

private:
    LyAnimationNode* mNode = nullptr;
};

class LYSDK_API LyAnimationNode : public LyComponent {
    LYSDK_CLASS_DECLARE(LyAnimationNode, LyComponent)
public:
    /// Wraps `object`; without one, creates a new host node named `name`
    /// (one member, on the base layer) and owns it.
    explicit LyAnimationNode(const char* name = nullptr, HIObject object = nullptr);

    /// Keys `data` (one double per member) at `time`; false when nothing
    /// was keyed (locked members are left out).
    bool KeyAdd(const LyTime& time, double* data, LyInterpolation interpolation = kLyInterpolationCubic,
                LyTangentMode tangentMode = kLyTangentModeAuto);
    /// The same at the current local time.
    bool KeyAdd(double* data, LyInterpolation interpolation = kLyInterpolationCubic,
                LyTangentMode tangentMode = kLyTangentModeAuto);
    /// Keys the node's candidate (or, without one, its value at that time)
    /// at `time` with the node's default interpolation; LyTime::Infinity
    /// keys at the current local time.
    bool KeyCandidate(LyTime time = LyTime::Infinity);
    /// Removes the key at the current local time.
    bool KeyRemove();
    /// Removes the key at `time` (LyTime::Infinity: the current local time).
    bool KeyRemoveAt(LyTime time);
    /// Whether a key exists at the current local time.
    bool IsKey();
    /// Proposes `data` as the candidate at the current local time. With
    /// `checkLock`, a node locked anywhere up its hierarchy refuses (false).
    bool SetCandidate(double* data, bool checkLock = false);

    /// The static value: the connected property's stored value (the
    /// curves' default values for a node without a property).
    bool ReadData(double* data);
    /// The value evaluated in `info` (null: the current time). The host's
    /// values are local already: `convertGlobalToLocal` changes nothing.
    bool ReadData(double* data, LyEvaluateInfo* info, bool convertGlobalToLocal = false);
    /// The value evaluated at `time` in a background evaluation.
    bool ReadData(double* data, LyTime time, bool convertGlobalToLocal = false);
    /// Without a context, writes the static value; with one, proposes the
    /// value at the context's time.
    bool WriteData(double* data, LyEvaluateInfo* info = nullptr);
    /// The same in global terms (the base layer has no parent transform).
    bool WriteGlobalData(double* data, LyEvaluateInfo* info = nullptr);
    /// The value at `time`; with `evaluateCandidate` false a candidate
    /// proposed at that time is passed over.
    bool Evaluate(double* data, LyTime time, bool evaluateCandidate = true);

    /// Node time and scene time are the same on the base layer.
    LyTime ConvertGlobalToNodeTime(LyTime time);
    LyTime ConvertNodeToGlobalTime(LyTime time);

    /// Bytes of the connected property's value (doubles per member without
    /// one).
    int GetSizeOfData();
    /// Doubles of a value: the member count.
    int GetDataDoubleArrayCount();
    /// Whether the node plays animation: it has keys (and, connected, its
    /// property is animated).
    bool GetAnimationToPlay();
    /// Whether the node is in record mode (RecordMode).
    bool GetAnimationToRecord();
    /// The host evaluates a node once per evaluation: never recursive.
    bool IsEvaluationRecursive(LyEvaluateInfo* info = nullptr);
    /// Marks the node to be skipped by evaluations that do not write it.
    void DisableIfNotWritten(LyEvaluateInfo* info = nullptr);
    /// Global (true) or local (false) buffers for the node's data.
    void SetBufferType(bool global);
    bool GetBufferType();

    /// Number of keys over every member's curve.
    int GetKeyCount() const;
    /// Number of sub-nodes (one per member of a vector or colour).
    int GetNodeCount() const;
    LyAnimationNode* GetNode(int index) const;

    LyPropertyInt KeyCount;
    LyPropertyString UserName;
    LyPropertyString Label;
    LyPropertyBool Live;
    LyPropertyBool RecordMode;
    LyPropertyUInt64 Reference;
    /// The interpolation of keys made by KeyCandidate; -1 for a node that is
    /// gone.
    LyPropertyBaseEnum<LyInterpolation> DefaultInterpolation;
    LyPropertyBaseEnum<LyAnimationNodeConnectorType> ConnectorType;
    /// The node's curve (null for a node with sub-nodes). Setting a curve
    /// copies its keys, extrapolation and default into the node's own.
    LyPropertyBaseComponent<LyFCurve*> FCurve;
    LyPropertyListAnimationNode Nodes;
    LyPropertyBaseComponent<LyAnimationNode*> Parent;
    /// Every change of the node's curves (host curve events).
    LyPropertyEvent OnChange;

private:
    void InitProperties();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYANIMATIONNODE_H
