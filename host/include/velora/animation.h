#ifndef VELORA_ANIMATION_H
#define VELORA_ANIMATION_H

// Animation nodes, evaluation contexts and the animation side of
// evaluation properties.
//
// Animation nodes. An animatable property (attribute kAttrAnimatable) becomes
// animated when it gets an animation node: SetPropertyAnimated creates one,
// owned by the property (it ends with it), and sets the property's animated
// flag (kPropertyAnimated). The node holds one function curve per member of
// the value: a one-member value keeps its curve on the node itself, a
// vector or colour has one child node per member ("X", "Y", "Z", "W"), each
// with its curve. The node reaches its property through its connector, a
// plug owned by the node whose one source is the property; the property
// finds its node among its destinations. A property animated per take has
// one node per take layer that animates it (velora/take.h), each with its
// connector; PropertyAnimationNode answers the one on the current take's
// current layer.
//
// Candidates. A candidate is a value proposed for keying (what the user
// drags before setting a key). It belongs to the node's base layer and to
// the time it was proposed at: evaluation at that time answers the
// candidate, evaluation at any other time answers the curves again, so a
// candidate that is not keyed goes away as soon as the current time moves.
// Keying takes the candidate (or, without one, the evaluated value at the
// key time), writes one key per member whose bit is clear in the lock mask,
// and drops the candidate.
//
// Evaluating an animated property reads each member's curve at the context's
// time; a member whose curve has no key, or that is muted, reads the
// property's stored (static) value. Values cross curves as doubles: an
// integer or time value is rounded to the nearest whole number, a bool is
// true from 0.5 up. Strings, objects, lists and events are never animated.
//
// Member bits of the property's flags word used here: 0x10 animated,
// 0x1000 << i locked, 0x10000 << i muted. Muting the whole property sets all
// four mute bits.
//
// Evaluation contexts. The global display context carries the current time
// that the interface shows and that keying without a time uses; background
// contexts evaluate at other times without moving it (each gets a fresh
// evaluation id). Contexts are plain data: any thread may evaluate with its
// own, provided no one edits the curves meanwhile.
//
// Keying selection. The properties (or single members) selected for keying:
// a whole-property entry focuses every member. Property view marks are the
// marks that property editors keep per owner object, property and member
// (-1: the whole property). Both forget properties that have ended.
//
// Display colours. Each member has a display colour for curve editors
// (three single-precision components); the defaults are red, green, blue and
// yellow for members 0 to 3, until a custom colour is set.
//
// Nothing here takes a lock; it runs on the thread of the host's scene
// operations, except evaluation as said above.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/fcurve.h"
#include "velora/object.h"
#include "velora/property.h"

namespace velora {

class AnimationLayer;
class AnimationNode;
class Box;
struct DeviceNotifyRecord;

/// The context an evaluation runs in.
struct EvaluationContext {
    long long time = 0;             ///< local time the evaluation reads
    unsigned evaluationId = 0;
    bool background = false;
    /// Set in a device's input/output cycle: writes of the device's
    /// outputs are samples of that cycle (velora/device.h).
    DeviceNotifyRecord* sample = nullptr;
};

/// The global display evaluation context (never null).
VELORA_API EvaluationContext& GlobalDisplayContext();
/// The current local time: the global display context's time, which the
/// timing manager keeps equal to its local time.
VELORA_API long long CurrentTime();
/// Sets the timing manager's local time (and so this context's).
VELORA_API void SetCurrentTime(long long time);
/// Starts a background evaluation at `time` with a new evaluation id; give
/// it back with EndBackgroundEvaluation.
VELORA_API EvaluationContext* BeginBackgroundEvaluation(long long time);
VELORA_API void EndBackgroundEvaluation(EvaluationContext* context);
/// A new evaluation id (never 0).
VELORA_API unsigned NextEvaluationId();

/// The connector of an animation node: a bare plug whose source is the
/// animated property. Host-object queries reach its node.
class VELORA_API Connector final : public Plug {
public:
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    int ClassId() const override { return kClassConnector; }
    AnimationNode* Node() const { return node_; }
    /// The property it animates, or null.
    Property* ConnectedProperty() const;

private:
    friend class AnimationNode;
    explicit Connector(AnimationNode* node) : node_(node) {}
    AnimationNode* node_;
};

class VELORA_API AnimationNode final : public Object {
public:
    /// A node named `name` with `channels` members: 1 keeps the curve on the
    /// node, 2 to 4 make one child per member. Other counts give 1.
    static AnimationNode* Create(const char* name, int channels = 1);

    int ChildCount() const override;
    Object* Child(int i) const override;
    AnimationNode* ChildNode(int i) const;
    /// The node this one is a member of, or null.
    AnimationNode* ParentNode() const;
    /// Number of members (channels).
    int Channels() const { return channels_; }
    /// The curve of member `channel` (a leaf node's own curve for 0).
    FCurve* Curve(int channel = 0) const;
    Connector* GetConnector() const { return connector_; }
    Property* ConnectedProperty() const;
    /// Total keys of every member's curve.
    int KeyCount() const;

    /// The take layer the node animates its property on (velora/take.h),
    /// or null for a node that is not kept per take.
    AnimationLayer* Layer() const;
    /// Set by the layer that keeps the node.
    void SetLayer(AnimationLayer* layer);
    /// Blending from a member without base-layer keys starts from the
    /// property's static value. Evaluation writes blended values into the
    /// stored value, so the static value is remembered here: `stored`
    /// differs from what blending last wrote only when someone else set it.
    double RestValue(int member, double stored) const {
        if (!(restKnown_ >> member & 1u) || stored != written_[member]) {
            rest_[member] = stored;
            restKnown_ |= 1u << member;
        }
        return rest_[member];
    }
    void NoteWritten(int member, double value) const { written_[member] = value; }

    /// A locked node (or one under a locked parent) takes no candidate.
    bool IsLocked() const;
    void SetLocked(bool locked) { locked_ = locked; }

    // Candidates (base layer).
    /// Proposes `values` (Channels() doubles) at `time`; false when
    /// `checkLock` and the node is locked anywhere up its hierarchy.
    bool SetCandidate(const double* values, long long time, bool checkLock = true);
    void ClearCandidate() { hasCandidate_ = false; }
    bool HasCandidate() const { return hasCandidate_; }

    /// Reads the members at `time` into `out` (Channels() doubles), starting
    /// from `fallback` for members without keys or muted in `muteMask`.
    /// Returns 1 when the value is the candidate's, else 0. With
    /// `useCandidate` false a candidate proposed at `time` is passed over.
    int Evaluate(long long time, double* out, const double* fallback, std::uint32_t muteMask = 0,
                 bool useCandidate = true) const;

    /// Keys the candidate at `time` (kTimeInfinity: the current time) on
    /// every member whose bit in `lockMask` is clear. False when nothing was
    /// keyed.
    bool KeyCandidate(long long time, std::uint32_t lockMask = 0);
    /// Keys `values` at `time` with the interpolation and tangent flags.
    bool KeyAdd(long long time, const double* values, std::uint32_t flags, std::uint32_t lockMask = 0);
    /// Removes the keys at exactly `time` from the unlocked members.
    bool KeyRemoveAt(long long time, std::uint32_t lockMask = 0);
    /// Whether any member has a key at exactly `time`.
    bool IsKey(long long time) const;

    // ------------------------------------------------------------------
    // Data path: the node as a connector of a box (velora/box.h).
    //
    // A connector carries one value of its data type as Channels() doubles
    // (its live data). An output holds what its box last wrote; an input
    // reads its source output when connected, else its property's
    // evaluated value when it belongs to one, else its curves at the
    // evaluation time when they have keys, else its live data.

    /// The box whose connector this is, or null for a plain node.
    Box* OwnerBox() const { return box_; }
    bool IsConnector() const { return box_ != nullptr; }
    bool IsOutput() const { return output_; }
    bool IsInput() const { return box_ && !output_; }
    /// The connector's data type (the property's for a property node).
    const DataType* ConnectorType() const { return dataType_; }
    /// The id given when the connector was made.
    std::uint64_t UserId() const { return userId_; }
    /// The output this input is connected to, or null.
    AnimationNode* SourceConnector() const { return source_; }
    /// The property whose connector this node is (as a box input), or null.
    Property* ConnectorProperty() const { return property_; }
    /// Reads the value in `context` (null: the global display context) into
    /// `out` (Channels() doubles). An output makes its box evaluate first.
    /// False for a disabled output (or an input fed by one) and for a node
    /// that is not a connector.
    bool ReadData(double* out, const EvaluationContext* context);
    /// Writes the value: an output records that it was written in this
    /// evaluation; an unconnected input takes it as its value (its property
    /// stores it) and its box computes again at the next evaluation.
    bool WriteData(const double* in, const EvaluationContext* context);
    /// Writes a value given in global terms: the box converts it when it
    /// knows how (a model placeholder with global transforms), else as
    /// WriteData.
    bool WriteGlobalData(const double* in, const EvaluationContext* context);
    /// The value without evaluation: an output's last written value, an
    /// input's own value (what it reads while unconnected).
    const double* LiveData() const { return live_; }
    /// The evaluation id of the last write of an output (0: never).
    unsigned WrittenId() const { return writtenId_; }
    bool IsDisabled() const { return disabled_; }
    /// Brings the data path fields towards the cache (a schedule's hint).
    void PrefetchData() const {
        __builtin_prefetch(this);
        __builtin_prefetch(&box_);
        __builtin_prefetch(live_);
    }
    void SetDisabled(bool on) { disabled_ = on; }

    bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) override;

    // What the SDK's node shows beside its curves: settings the host keeps
    // for it, and the changes of its curves.
    struct Settings {
        std::string label;
        bool live = false;
        bool recordMode = false;
        unsigned long long reference = 0;
        bool disableIfNotWritten = false;
        bool globalBuffer = false;
        /// The flags of keys made by KeyCandidate.
        std::uint32_t defaultKeyFlags = kKeyCubic | kTangentAuto;
    };
    Settings& NodeSettings() { return settings_; }
    const Settings& NodeSettings() const { return settings_; }
    /// Every curve event (kEventCurveChanged) of the node's curves and its
    /// members' curves is raised here too.
    EventSource& Changes() { return changes_; }

private:
    AnimationNode(const char* name, int channels);
    void Teardown() override;
    void Notify(int action);

    // Data path state (see above); set by Box.
    friend class Box;
    /// A connector node: with `curves`, one curve per member as Create
    /// makes; without, a bare value holder.
    static AnimationNode* CreateConnectorNode(const char* name, int channels, bool curves);
    Box* box_ = nullptr;
    AnimationNode* source_ = nullptr;  // kept by PlugNotify
    Property* property_ = nullptr;     // the property it stands for; it owns the node
    const DataType* dataType_ = nullptr;
    std::uint64_t userId_ = 0;
    unsigned writtenId_ = 0;
    bool output_ = false;
    bool keyable_ = false;  // made with curves: an unconnected input may be keyed
    bool disabled_ = false;
    bool changed_ = false;  // an output's value changed since its box last looked
    double live_[4] = {0, 0, 0, 0};

    int channels_;
    PlugHandle layer_;
    mutable double rest_[4] = {0, 0, 0, 0};
    mutable double written_[4] = {0, 0, 0, 0};
    mutable std::uint32_t restKnown_ = 0;
    bool locked_ = false;
    bool hasCandidate_ = false;
    long long candidateTime_ = 0;
    double candidate_[4] = {0, 0, 0, 0};
    Connector* connector_ = nullptr;
    PlugHandle curve_;
    std::vector<PlugHandle> children_;
    PlugHandle parent_;
    Settings settings_;
    EventSource changes_;
};

// The animation side of evaluation properties.

/// Whether `property` can carry an animation node (animatable, and of a
/// type with numeric members).
VELORA_API bool CanAnimate(const Property* property);
/// The property's animation node on the current take's current layer (its
/// only node when not animated per take), or null.
VELORA_API AnimationNode* PropertyAnimationNode(const Property* property);
/// Makes `property` animated (creating its node on the current layer of
/// the current take, which is made when there is none) or not (ending its
/// nodes in every take). False when it cannot be animated.
VELORA_API bool SetPropertyAnimated(Property* property, bool animated);
/// The lock mask keying uses: the member lock bits (bit i: member i), plus
/// bit 2 (the rate) for a time code, whose rate is never keyed.
VELORA_API std::uint32_t PropertyLockMask(const Property* property);

/// The value converted to doubles (at most four); returns the member count,
/// 0 for a type without numeric members.
VELORA_API int ValueToDoubles(const DataType* type, const void* raw, double* out);
/// The doubles converted back into a raw value of `type`.
VELORA_API bool ValueFromDoubles(const DataType* type, const double* in, void* raw);

/// Reads the evaluated value (raw) at the context's time (null: the global
/// display context). Returns 1 when it came from a candidate, 0 otherwise,
/// -1 on failure.
VELORA_API int EvaluateProperty(Property* property, void* out, const EvaluationContext* context);
/// A write of the value: stored; for an animated property also proposed as
/// the candidate at the current time.
VELORA_API bool WritePropertyValue(Property* property, const void* raw);
/// Proposes a raw value as the candidate on the base layer at the context's
/// time; on a property that is not animated it is stored instead.
VELORA_API bool SetPropertyCandidate(Property* property, const void* raw, const EvaluationContext* context);
/// Keys the candidate at `time` (kTimeInfinity: the current time) with the
/// property's lock mask; the scene hears kActKeyingKey.
VELORA_API bool KeyPropertyCandidate(Property* property, long long time);
/// Removes the key at `time` with the lock mask; the scene hears
/// kActKeyingDeleteKey.
VELORA_API bool KeyRemovePropertyAt(Property* property, long long time);

// Muting.
VELORA_API bool AllowsMuting(const Property* property);
VELORA_API void SetPropertyMuted(Property* property, bool muted);
VELORA_API void SetPropertyMemberMuted(Property* property, int member, bool muted);
constexpr std::uint32_t kPropertyMuteMember0 = 0x10000;
constexpr std::uint32_t kPropertyMuteAll = 0xF0000;

// Display colours.
/// Member i's colour into rgb; false outside [0, member count).
VELORA_API bool GetPropertyMemberColor(const Property* property, int member, float* rgb);
/// Sets a custom colour; true when it changed.
VELORA_API bool SetPropertyMemberColor(Property* property, int member, const float* rgb);
/// Back to the default; true when member i had a custom colour.
VELORA_API bool ResetPropertyMemberColor(Property* property, int member);

/// The properties and members selected for keying.
class VELORA_API KeyingSelection {
public:
    static KeyingSelection& Instance();
    bool IsFocused(const Property* property) const;
    /// Member i focused on its own or through its whole property.
    bool IsMemberFocused(const Property* property, int member) const;
    /// member -1: the whole property.
    void Add(Property* property, int member = -1);
    /// member -1: the whole property and every member. Removing a member of
    /// a wholly focused property keeps the other members focused.
    void Remove(Property* property, int member = -1);
    int Count() const;
    void Clear() { entries_.clear(); }

private:
    KeyingSelection() = default;
    struct Entry {
        PlugHandle handle;
        const Property* property;
        bool whole;
        std::uint32_t members;
    };
    Entry* Find(const Property* property);
    const Entry* Find(const Property* property) const;
    void Purge();
    std::vector<Entry> entries_;
};

/// The marks of property editors: per owner object, property and member.
class VELORA_API PropertyViewMarks {
public:
    static PropertyViewMarks& Instance();
    /// member -1: the whole property.
    void Mark(const Object* owner, const Property* property, int member = -1);
    bool IsMarked(const Object* owner, const Property* property, int member = -1) const;
    void Clear(const Object* owner, const Property* property, int member = -1);
    /// Whether any member (not the whole-property mark) is marked.
    bool AnyMemberMarked(const Object* owner, const Property* property) const;
    void ClearAll() { marks_.clear(); }

private:
    PropertyViewMarks() = default;
    struct MarkEntry {
        PlugHandle handle;
        const Object* owner;
        const Property* property;
        int member;
    };
    std::vector<MarkEntry> marks_;
};

}  // namespace velora

#endif  // VELORA_ANIMATION_H
