#ifndef VELORA_BOX_H
#define VELORA_BOX_H

// Boxes: the nodes of the host's evaluation graph.
//
// A box owns input and output connectors. A connector is an animation node
// (velora/animation.h) marked with its box, its direction and a data type;
// it carries the value of the connection as up to four doubles (the type's
// members). An output connector feeds any number of input connectors; an
// input connector takes at most one output connector as its source. The
// connection is a plug connection between the two nodes: the input node has
// the output node as its source. Models, devices, constraints and relation
// operators are all boxes.
//
// Pull evaluation. A consumer reads an input connector (ReadData); the input
// reads its source output, which makes the output's box evaluate first. A box
// evaluates at most once per evaluation id: the first pull of an evaluation
// pulls every connected input (so upstream boxes go first), then computes
// its outputs only when something changed since its last computation. A
// computation calls EvaluateConnectors (the whole box) and then
// EvaluateConnector for each output that may be evaluated. It happens when:
//   - it was marked dirty: one of its unconnected inputs was written, a
//     connection to one of its inputs was made or dropped, or an upstream
//     box computed and one of the outputs it feeds changed value;
//   - it is time dependent and the evaluation's time differs from the time
//     of its last computation.
// Otherwise its outputs keep their values. So a change reaches exactly the
// boxes downstream of it, and each of them computes once.
//
// Cycles. Connecting an output to an input is refused (kConnectCycle) when
// the output's box is downstream of the input's box, or is that box: the
// graph stays acyclic, which is what lets pulls and schedules terminate.
// The same check guards plain plug connections between connectors.
//
// Connectors that the box did not write. After a computation, a box may
// disable the outputs it did not write in that evaluation
// (DisableOutputsIfNotWritten); a disabled output reads as "no value"
// (ReadData answers false) until it is written again.
//
// "May this connector be evaluated". While the user manipulates a box's
// values (its manipulation flag is set), a connector whose property holds a
// candidate at the current time (the value being dragged) is left alone by
// evaluation; every other connector may be evaluated.
//
// Threads. Evaluation of one box happens on one thread at a time. The scene
// evaluates independent parts of the graph (boxes that share no connection,
// directly or through other boxes, and no model hierarchy) on several
// threads; building and editing the graph happens on the main thread while
// no evaluation runs.

#include <cstdint>
#include <vector>

#include "velora/animation.h"

namespace velora {

class Device;
class Model;
namespace dsx {
class ObjectStore;
}  // namespace dsx

/// The result of a connection between connectors.
enum ConnectResult : int {
    kConnectDone = 0,         ///< connected
    kConnectInvalid = 1,      ///< a null node, a node that is not a box connector, or an ending one
    kConnectDirection = 2,    ///< not an output feeding an input
    kConnectType = 3,         ///< the values do not have the same number of members
    kConnectCycle = 4,        ///< the connection would close a cycle
    kConnectOccupied = 5,     ///< the input already has a source
    kConnectRefused = 6,      ///< a plug notification refused it
};

/// A short English text for a result ("connected", "would close a cycle").
VELORA_API const char* ConnectResultText(int result);

/// Whether `output` may feed `input` (kConnectDone when it may); with
/// `replacing`, as if that source of `input` were gone.
VELORA_API int CheckConnection(AnimationNode* output, AnimationNode* input,
                               AnimationNode* replacing = nullptr);
/// Connects `output` to `input`; see ConnectResult.
VELORA_API int ConnectConnectors(AnimationNode* output, AnimationNode* input);
/// Drops the connection from `output` to `input`; false when there was none.
VELORA_API bool DisconnectConnectors(AnimationNode* output, AnimationNode* input);

/// The interface id a box answers with itself.
constexpr std::uint32_t kIdBox = 4002;

class VELORA_API Box : public Object {
public:
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// A plain box (class kClassBox or a class derived from it; models and
    /// relations have their own types).
    static Box* Create(const char* name, int classId = kClassBox);

    // Connectors.
    /// A new input connector named `name` with `type`'s members. An
    /// animatable input can carry function curves: unconnected, it reads
    /// them at the evaluation time. Null for a null type, a type without
    /// numeric members, or an ending box.
    AnimationNode* CreateInConnector(std::uint64_t userId, const char* name, const DataType* type,
                                     bool animatable);
    AnimationNode* CreateOutConnector(std::uint64_t userId, const char* name, const DataType* type,
                                      bool animatable);
    /// Makes the animation node of one of this box's own properties an input
    /// connector (the property's value is the input's value while it is not
    /// connected). False for a property of another object or one without a
    /// node.
    bool AdoptInConnector(AnimationNode* node);
    /// Makes one of this box's own properties an input: its node (made when
    /// it has none, without animating the property) becomes the connector.
    AnimationNode* CreatePropertyInConnector(Property* property);
    /// Ends a connector of this box: its connections drop first. A node
    /// that belongs to a property is only released as a connector.
    bool DestroyConnector(AnimationNode* node);

    int InConnectorCount() const { return static_cast<int>(inputs_.size()); }
    int OutConnectorCount() const { return static_cast<int>(outputs_.size()); }
    /// Null for an index outside [0, count).
    AnimationNode* InConnector(int i) const;
    AnimationNode* OutConnector(int i) const;
    AnimationNode* FindInConnector(const char* name) const;
    AnimationNode* FindOutConnector(const char* name) const;
    /// The nodes that group all inputs and all outputs (made on first use;
    /// their children are the connectors, in creation order).
    AnimationNode* InGroup();
    AnimationNode* OutGroup();

    // Evaluation.
    /// Evaluates the box for `context` once per evaluation id (see the top
    /// of this file).
    void Evaluate(const EvaluationContext& context);
    /// Computes the box as a whole; the default does nothing (false).
    virtual bool EvaluateConnectors(const EvaluationContext& context);
    /// Computes one output; the default computes nothing (false).
    virtual bool EvaluateConnector(AnimationNode* output, const EvaluationContext& context);
    /// The "may this connector be evaluated" test (see the top of this file).
    bool MayEvaluateConnector(const AnimationNode* node) const;
    /// The device this box is, or null: a device's samples travel the data
    /// path of its outputs, and a cast per sample would cost more than the
    /// sample.
    virtual Device* AsDeviceBox() noexcept { return nullptr; }
    bool IsManipulating() const { return manipulating_ != 0; }
    void SetManipulating(bool on) { manipulating_ = on ? 1 : 0; }
    /// Disables the outputs that were not written in `context`'s evaluation.
    virtual void DisableOutputsIfNotWritten(const EvaluationContext& context);

    /// Marks the box for computation at its next evaluation.
    void MarkDirty() { dirty_ = true; }
    bool IsDirty() const { return dirty_; }
    /// A time-dependent box computes whenever the evaluation time moves.
    bool IsTimeDependent() const { return timeDependent_; }
    void SetTimeDependent(bool on) { timeDependent_ = on; }
    /// How many times the box computed (EvaluateConnectors ran).
    std::uint64_t ComputeCount() const { return computeCount_; }
    /// The evaluation id of the last evaluation (0 before any).
    unsigned LastEvaluationId() const { return evaluatedId_; }

    // Candidates. `values` holds the connector's members.
    /// Proposes values in global terms; the default treats them as
    /// standard ones. Answers an action code passed on unchanged (0: none).
    virtual int SetGlobalCandidate(AnimationNode* node, const double* values,
                                   const EvaluationContext* context);
    /// Proposes values for a connector: an unconnected input takes them as
    /// its value (its property's candidate when it has one).
    virtual int SetStdCandidate(AnimationNode* node, const double* values,
                                const EvaluationContext* context);
    /// Settles a pending candidate of a connector; the default has none.
    virtual bool ResolveCandidate(AnimationNode* node, const EvaluationContext* context);
    /// The same for the connector of one of the box's properties.
    bool ResolvePropertyCandidate(Property* property, const EvaluationContext* context);

    // Modes: "Live" is play mode 0, "RecordMode" is record mode 1.
    int PlayMode() const { return playMode_; }
    void SetPlayMode(int mode) { playMode_ = mode; }
    int RecordMode() const { return recordMode_; }
    void SetRecordMode(int mode) { recordMode_ = mode; }
    bool IsAnimatableBox() const { return animatable_; }
    void SetAnimatableBox(bool on) { animatable_ = on; }

    // Storage.
    /// The box's own part of a scene file in one pass: its modes, its
    /// relation and its connections (velora/graph_storage.h). A bridge adds
    /// its extension's fields. The object's store and retrieve run these
    /// after the object's common part.
    virtual bool StoreBox(dsx::ObjectStore& store);
    virtual bool RetrieveBox(dsx::ObjectStore& store);
    /// The object's common part (Object::Store), then StoreBox.
    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;
    virtual const char* StorageObjectType() const { return "Box"; }
    /// The class name a box is stored under (its class's name by default).
    virtual const char* StorageSubType() const;

    /// The box a connector node belongs to, or null.
    static Box* OfConnector(const AnimationNode* node);

    /// The box's place in its relation's view: x, y and a third layout
    /// value; stored with the box.
    const int* ViewLayout() const { return layout_; }
    void SetViewLayout(int x, int y, int z) {
        layout_[0] = x;
        layout_[1] = y;
        layout_[2] = z;
    }

    /// Hints for a schedule that evaluates boxes in a known order: stage 0
    /// (furthest ahead) brings the box's own fields towards the cache, each
    /// later stage what the previous one makes readable (its connector
    /// lists, then its connectors, then their sources, properties and
    /// wrappers). They change nothing.
    void Prefetch(int stage) const;

protected:
    Box(const char* name, int classId);
    void Teardown() override;

private:
    friend class AnimationNode;
    AnimationNode* MakeConnector(std::uint64_t userId, const char* name, const DataType* type,
                                 bool animatable, bool output);
    void Forget(AnimationNode* node);
    AnimationNode* Group(PlugHandle& handle, const std::vector<AnimationNode*>& connectors, const char* name);

    std::vector<AnimationNode*> inputs_;
    std::vector<AnimationNode*> outputs_;
    PlugHandle inGroup_;
    PlugHandle outGroup_;
    std::uint64_t computeCount_ = 0;
    long long lastTime_ = 0;
    unsigned evaluatedId_ = 0;
    bool dirty_ = true;
    bool timeDependent_ = false;
    bool evaluating_ = false;
    bool animatable_ = true;
    std::uint8_t manipulating_ = 0;
    int playMode_ = 0;
    int recordMode_ = 0;
    int layout_[3] = {0, 0, 0};
};

/// The box behind an object, or null when it is not one.
VELORA_API Box* AsBox(Object* object);

/// A placeholder in a relation standing for a box outside it ("Box", an
/// object property). Its outputs mirror the outputs of that box, by name:
/// SyncConnectors makes one output per output of the box.
class VELORA_API BoxPlaceholder : public Box {
public:
    static BoxPlaceholder* Create(const char* name, Box* target = nullptr);
    Box* Target() const;
    bool SetTarget(Box* target);
    /// Makes the outputs match the target's (missing ones are added).
    void SyncConnectors();
    bool EvaluateConnectors(const EvaluationContext& context) override;

private:
    explicit BoxPlaceholder(const char* name);
    Property* box_ = nullptr;
};

/// A placeholder in a relation standing for a model ("Model", an object
/// property; "UseGlobalTransforms", bool). It has the outputs "Translation",
/// "Rotation" and "Scaling" (the model's values) and the inputs of the same
/// names, which, when connected, write the model's values. With global
/// transforms, translation is read and written in world terms (through the
/// parents' matrices); rotation and scaling stay local.
class VELORA_API ModelPlaceholder : public Box {
public:
    static ModelPlaceholder* Create(const char* name, Model* model = nullptr);
    Model* TargetModel() const;
    bool SetTargetModel(Model* model);
    bool UsesGlobalTransforms() const;
    bool EvaluateConnectors(const EvaluationContext& context) override;
    /// A value proposed to an unconnected input moves the model: standard
    /// values are the model's own, global ones are in world terms (for
    /// translation).
    int SetStdCandidate(AnimationNode* node, const double* values, const EvaluationContext* context) override;
    int SetGlobalCandidate(AnimationNode* node, const double* values, const EvaluationContext* context) override;

private:
    explicit ModelPlaceholder(const char* name);
    int ProposeToModel(AnimationNode* node, const double* values, const EvaluationContext* context, bool global);
    Property* model_ = nullptr;
    Property* global_ = nullptr;
};

}  // namespace velora

#endif  // VELORA_BOX_H
