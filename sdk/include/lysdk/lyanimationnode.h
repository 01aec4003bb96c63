#ifndef LYSDK_LYANIMATIONNODE_H
#define LYSDK_LYANIMATIONNODE_H

// Animation nodes: the host's holders of an animated property's curves, one
// curve per member (a vector's node has one sub-node per component).
//
// This first form offers what animatable properties need: keying the
// node's candidate at a time and removing a key at a time, both honouring
// the lock bits of the connected property (locked members are not touched).

#include "lysdk/lycomponent.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyAnimationNode : public LyComponent {
    LYSDK_CLASS_DECLARE(LyAnimationNode, LyComponent)
public:
    /// Wraps `object`; without one, creates a new host node named `name`
    /// (one member, on the base layer) and owns it.
    explicit LyAnimationNode(const char* name = nullptr, HIObject object = nullptr);

    /// Keys the node's candidate (or, without one, its value at that time)
    /// at `time`; LyTime::Infinity keys at the current local time.
    bool KeyCandidate(LyTime time = LyTime::Infinity);
    /// Removes the key at `time` (LyTime::Infinity: the current local time).
    bool KeyRemoveAt(LyTime time);
    /// Whether a key exists at the current local time.
    bool IsKey();
    /// Number of keys over every member's curve.
    int GetKeyCount() const;
    /// Number of sub-nodes (one per member of a vector or colour).
    int GetNodeCount() const;
    LyAnimationNode* GetNode(int index) const;

    // Data of box connectors (lybox.h). Values are the members of the
    // node's data type as doubles (one for a number, three for a vector).
    /// The value without evaluation (a connector's own value).
    bool ReadData(double* data);
    /// The value in the evaluation `info` (null: the current display
    /// evaluation). An output makes its box evaluate first. False for an
    /// output that its box disabled.
    bool ReadData(double* data, LyEvaluateInfo* info, bool convertGlobalToLocal = false);
    /// The value evaluated at `time`, in an evaluation of its own.
    bool ReadData(double* data, LyTime time, bool convertGlobalToLocal = false);
    /// Writes the value: an output's result, or the value of an input that
    /// is not connected.
    bool WriteData(double* data, LyEvaluateInfo* info = nullptr);
    /// Writes a value given in world terms (a model placeholder with global
    /// transforms converts it).
    bool WriteGlobalData(double* data, LyEvaluateInfo* info = nullptr);
    /// Bytes of the value (8 per member of a connector).
    int GetSizeOfData();
    /// Number of doubles of the value.
    int GetDataDoubleArrayCount();
    /// The name of the data type ("Number", "Vector", ...), or "".
    const char* GetDataTypeName() const;
    /// The box whose connector this is, or null.
    LyComponent* GetOwnerBox() const;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYANIMATIONNODE_H
