#ifndef VELORA_TAKE_H
#define VELORA_TAKE_H

// Takes and animation layers.
//
// A take is a named version of the scene's animation: it has its own time
// spans, comments and time marks, and its own curves. The curves of a take
// sit in its animation layers: layer 0 is the base layer, the others are
// blended on top of it in order. An animated property has one animation
// node per layer that animates it (velora/animation.h): every such node is
// connected to the property and knows its layer. Making a take current
// (Scene::SetCurrentTake) switches what the scene evaluates and what keying
// writes; PropertyAnimationNode answers the node on the current take's
// current layer.
//
// Properties of takes and layers themselves (a layer's weight) are not
// per take: their nodes have no layer.
//
// Blending, member by member, from the base layer up. A layer takes part
// unless it (or a parent layer) is muted, or some layer of the take is solo
// and neither it nor a parent is. Its weight w is the product of its own
// and its parents' "Weight" (in percent, evaluated at the frame's time)
// over 100. A layer changes only the members it has keys on:
//   additive               v = v + w * x
//   override               v = v + w * (x - v)
//   override-passthrough   v = x + (1 - w) * v   (at full weight the layer
//                          replaces what is below; lowering the weight lets
//                          that much of the layers below through)
// where x is the layer's value and v what the layers below gave. A member
// the base layer has no keys on starts from the property's static value.
//
// Recording (devices, live input) writes keys into the current take's base
// layer with RecordNode / RecordKey below, which make the node and the
// take when missing.
//
// Everything here runs on the thread of the scene operations.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/event_source.h"
#include "velora/fcurve.h"
#include "velora/object.h"

namespace velora {

class AnimationNode;
class AnimationLayer;
class Property;
class Take;

enum LayerMode : int {
    kLayerModeAdditive = 0,
    kLayerModeOverride = 1,
    kLayerModeOverridePassthrough = 2,
};

enum LayerRotationMode : int {
    kLayerRotationEuler = 0,
    kLayerRotationQuaternion = 1,
};

/// What playback does on reaching a time mark.
enum TimeMarkAction : int {
    kTimeMarkActionNone = 0,
    kTimeMarkActionStop = 1,
    kTimeMarkActionLoop = 2,
};

struct TimeMark {
    long long time = 0;
    std::string name;
    int action = kTimeMarkActionNone;
    double color[3] = {1.0, 0.0, 0.0};
    bool locked = false;
};

/// Time marks kept in time order (marks at one time keep the order they
/// were added in). A locked mark keeps its time.
class VELORA_API TimeMarkList {
public:
    /// The new mark's index.
    int Add(long long time, const char* name);
    bool Remove(int index);
    void Clear() { marks_.clear(); }
    int Count() const { return static_cast<int>(marks_.size()); }
    /// Null out of range.
    const TimeMark* At(int index) const;
    TimeMark* At(int index);
    /// Moves mark `index` to `time`; its new index, or -1 (out of range or
    /// locked).
    int SetTime(int index, long long time);
    /// Edits of mark `index`; false out of range, and (except the lock
    /// itself) for a locked mark or an action outside TimeMarkAction.
    bool SetName(int index, const char* name);
    bool SetAction(int index, int action);
    bool SetColor(int index, const double* rgb);
    bool SetLocked(int index, bool locked);
    void SetAllLocked(bool locked);
    /// The first mark after `time` / the last one before it; -1 when none.
    int Next(long long time) const;
    int Previous(long long time) const;

private:
    std::vector<TimeMark> marks_;
};

/// One animation layer of a take (owned by it). Its properties: "Color",
/// "Solo", "Mute", "Lock", "Weight" (animatable, percent, 100 by
/// default), "LayerMode" and "LayerRotationMode" (enumerations).
class VELORA_API AnimationLayer final : public Object {
public:
    Take* OwnerTake() const;
    /// Position in the take (0: the base layer); -1 once removed.
    int Index() const;
    AnimationLayer* ParentLayer() const { return static_cast<AnimationLayer*>(parent_.Get()); }
    /// False for a layer of another take, the layer itself or one of its
    /// children (or the base layer, which has no parent).
    bool SetParentLayer(AnimationLayer* parent);
    int ChildLayerCount() const;
    AnimationLayer* ChildLayer(int i) const;

    bool IsSelected() const { return selected_; }
    void SetSelected(bool on) { selected_ = on; }

    int Mode() const;
    void SetMode(int mode);
    bool IsMuted() const;
    bool IsSolo() const;
    bool IsLocked() const;
    /// The "Weight" property's value at `time`, over 100.
    double WeightAt(long long time) const;

    Property* WeightProperty() const { return weight_; }

    /// The layer's animation nodes (one per animated property).
    int NodeCount() const;
    AnimationNode* NodeAt(int i) const;
    /// Every node of the layer, in the order they were made (NodeAt walks
    /// to its node: use this to visit them all).
    void CollectNodes(std::vector<AnimationNode*>* out) const;
    /// The layer's node of `property`, or null.
    AnimationNode* NodeOf(const Property* property) const;

private:
    friend class Take;
    friend AnimationNode* EnsureLayerNode(Property*, AnimationLayer*);
    AnimationLayer(const char* name, Take* take);
    void Teardown() override;
    void Forget(AnimationNode* node);

    Take* take_;
    PlugHandle parent_;
    bool selected_ = false;
    Property* solo_ = nullptr;
    Property* mute_ = nullptr;
    Property* lock_ = nullptr;
    Property* weight_ = nullptr;
    Property* mode_ = nullptr;
    Property* rotationMode_ = nullptr;
    std::vector<PlugHandle> nodes_;
    std::size_t pruneAt_ = 16;
};

/// A take. Its one property is "Comments" (text).
class VELORA_API Take final : public Object {
public:
    /// A new take with its base layer, in the scene's list of takes.
    static Take* Create(const char* name);
    /// The same, outside the scene (a file's take before it is read).
    static Take* New(const char* name);

    long long ReferenceStart() const { return referenceStart_; }
    long long ReferenceStop() const { return referenceStop_; }
    void SetReferenceSpan(long long start, long long stop);
    long long LocalStart() const { return localStart_; }
    long long LocalStop() const { return localStop_; }
    void SetLocalSpan(long long start, long long stop);
    const char* Comments() const;
    void SetComments(const char* text);

    TimeMarkList& TimeMarks() { return marks_; }
    const TimeMarkList& TimeMarks() const { return marks_; }

    // Layers.
    int LayerCount() const { return static_cast<int>(layers_.size()); }
    AnimationLayer* Layer(int index) const;
    AnimationLayer* BaseLayer() const { return Layer(0); }
    /// Case-insensitive.
    AnimationLayer* FindLayer(const char* name) const;
    int CurrentLayerIndex() const { return current_; }
    AnimationLayer* CurrentLayer() const { return Layer(current_); }
    /// Out of range is ignored.
    void SetCurrentLayer(int index);
    /// A new layer ("AnimLayer1", ...) at the top; it becomes current.
    AnimationLayer* CreateLayer(const char* name = nullptr);
    /// Removes layer `index` (not the base layer) with its animation; its
    /// child layers go to its parent.
    bool RemoveLayer(int index);
    /// Swaps the current layer with the one above / below it (the base
    /// layer stays at 0).
    bool MoveCurrentLayerUp();
    bool MoveCurrentLayerDown();
    /// Copies of the selected layers (and their animation) at the top.
    int DuplicateSelectedLayers();
    /// Raised with subType 1 when the layers change, 2 for a selection
    /// change, 3 when the current layer changes.
    EventSource& LayerEvents() { return layerEvents_; }
    void RaiseLayerEvent(int subType);

    /// A copy of the take, its layers and animation, as a new take of the
    /// scene named `name`.
    Take* Copy(const char* name) const;
    /// Every animation node of every layer.
    void CollectNodes(std::vector<AnimationNode*>* out) const;

    bool Store(dsx::ObjectStore& store) override;
    bool Retrieve(dsx::ObjectStore& store) override;

private:
    friend class AnimationLayer;
    explicit Take(const char* name);
    void Teardown() override;
    AnimationLayer* AddLayer(const char* name);
    void LayersChanged();

    long long referenceStart_ = 0;
    long long referenceStop_ = 0;
    long long localStart_ = 0;
    long long localStop_ = 0;
    Property* comments_ = nullptr;
    TimeMarkList marks_;
    std::vector<AnimationLayer*> layers_;
    int current_ = 0;
    int nextLayerNumber_ = 1;
    EventSource layerEvents_;
};

/// The scene's current take; with `create`, a take is made current first
/// when there is none ("Take 001", or the scene's first take).
VELORA_API Take* CurrentTake(bool create = false);
/// The current take's current layer, or null without a current take.
VELORA_API AnimationLayer* CurrentLayer();
/// The scene's take named `name` (case-sensitive), or null.
VELORA_API Take* FindTake(const char* name);

/// Whether a property's animation is kept per take (false for properties
/// of takes and layers).
VELORA_API bool AnimatedPerTake(const Property* property);
/// The property's node on `layer`, or null.
VELORA_API AnimationNode* LayerNode(const Property* property, const AnimationLayer* layer);
/// The property's node on `layer`, made (and the property animated) when
/// missing. A node on an upper layer comes with one on the base layer.
/// Null when the property cannot be animated.
VELORA_API AnimationNode* EnsureLayerNode(Property* property, AnimationLayer* layer);
/// The property's node of take `take` (its current layer), or null.
VELORA_API AnimationNode* TakeNode(const Property* property, const Take* take);

/// The property's nodes on the layers of `take`, base layer first.
struct LayerNodeRef {
    AnimationNode* node;
    AnimationLayer* layer;
    int index;  ///< the layer's position
};
VELORA_API void TakeNodesOf(const Property* property, const Take* take, std::vector<LayerNodeRef>* out);

/// How a layer blends at a time.
struct LayerBlend {
    bool active = true;
    int mode = kLayerModeOverride;
    double weight = 1.0;
};
/// The base layer blends as a full override.
VELORA_API LayerBlend LayerBlendAt(const AnimationLayer* layer, long long time);
/// One member: `below` is what the layers under this one gave, `x` this
/// layer's value.
inline double BlendMember(int mode, double weight, double below, double x) {
    switch (mode) {
        case kLayerModeOverride: return below + weight * (x - below);
        case kLayerModeOverridePassthrough: return x + (1.0 - weight) * below;
        default: return below + weight * x;
    }
}
/// The property's value at `time` from the current take's layers into
/// `out` (one double per member), starting from `stored` (the stored
/// value as doubles); muted members keep it. Returns -1 when the current
/// take does not animate the property, 1 when a candidate was read, else
/// 0. With `commit` the result is about to become the stored value (see
/// AnimationNode::RestValue).
VELORA_API int EvaluateTakeLayers(const Property* property, long long time, const double* stored, double* out,
                                  std::uint32_t muteMask, bool useCandidate, bool commit);
/// The same over the layers of `take` whose entry in `include` (indexed
/// by layer position; null: every layer) is non-zero; the base layer
/// counts only when included.
VELORA_API int BlendTakeLayers(const Property* property, const Take* take, long long time, const double* stored,
                               double* out, std::uint32_t muteMask, bool useCandidate, bool commit,
                               const std::vector<char>* include);

/// The base-layer node of the current take that recording writes into,
/// made (with the take) when missing; null when the property cannot be
/// animated.
VELORA_API AnimationNode* RecordNode(Property* property);
/// Records `values` (one double per member) at `time` into the current
/// take's base layer, as keys with `flags` on the members whose bit of the
/// property's lock mask is clear. Keys after the last are appended at
/// constant cost, so a device may record one key per sample.
VELORA_API bool RecordKey(Property* property, long long time, const double* values,
                          std::uint32_t flags = kKeyCubic | kTangentAuto);

}  // namespace velora

#endif  // VELORA_TAKE_H
