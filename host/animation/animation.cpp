// Animation nodes, evaluation contexts, and keying, muting, focus and
// colours of evaluation properties.

#include "velora/animation.h"

#include "velora/timing.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "velora/box.h"
#include "velora/scene_events.h"
#include "velora/take.h"

namespace velora {

// ---------------------------------------------------------------------------
// Evaluation contexts

namespace {
std::atomic<unsigned> gEvaluationIds{0};
}  // namespace

unsigned NextEvaluationId() {
    unsigned id = gEvaluationIds.fetch_add(1, std::memory_order_relaxed) + 1;
    if (id == 0) id = gEvaluationIds.fetch_add(1, std::memory_order_relaxed) + 1;
    return id;
}

EvaluationContext& GlobalDisplayContext() {
    static EvaluationContext context;
    return context;
}

long long CurrentTime() { return GlobalDisplayContext().time; }

void SetCurrentTime(long long time) {
    // The timing manager owns the local time and keeps this context in step.
    TimingManager::Instance().SetLocalTime(time);
}

EvaluationContext* BeginBackgroundEvaluation(long long time) {
    auto* context = new EvaluationContext;
    context->time = time;
    context->evaluationId = NextEvaluationId();
    context->background = true;
    return context;
}

void EndBackgroundEvaluation(EvaluationContext* context) {
    if (context && context != &GlobalDisplayContext()) delete context;
}

// ---------------------------------------------------------------------------
// Connector

IObject* Connector::IQuery(std::uint32_t id, int arg) {
    // The connector stands for its node wherever a host object is asked for.
    if (id == lyiface::kIdWrapperHolder || id == lyiface::kIdFullObject)
        return node_ ? node_->IQuery(id, arg) : nullptr;
    return Plug::IQuery(id, arg);
}

Property* Connector::ConnectedProperty() const {
    return SrcCount() > 0 ? AsProperty(Src(0)) : nullptr;
}

// ---------------------------------------------------------------------------
// AnimationNode

namespace {
const char* const kMemberNames[4] = {"X", "Y", "Z", "W"};
}  // namespace

AnimationNode* AnimationNode::Create(const char* name, int channels) {
    if (channels < 1 || channels > 4) channels = 1;
    auto* node = new AnimationNode(name, channels);
    node->connector_ = new Connector(node);
    node->connector_->SetOwner(node);
    if (channels == 1) {
        FCurve* curve = FCurve::Create(name);
        curve->SetOwner(node);
        curve->ForwardEventsTo(&node->changes_);
        node->curve_.Reset(curve);
    } else {
        for (int i = 0; i < channels; ++i) {
            AnimationNode* child = Create(kMemberNames[i], 1);
            child->SetOwner(node);
            child->parent_.Reset(node);
            child->Curve(0)->ForwardEventsTo(&node->changes_);
            node->children_.emplace_back(child);
        }
    }
    return node;
}

AnimationNode::AnimationNode(const char* name, int channels)
    : Object(name ? name : "AnimationNode", kClassAnimationNode), channels_(channels) {}

void AnimationNode::Teardown() {
    // A connector that goes away leaves its box's lists (velora/box.h).
    if (box_) box_->Forget(this);
    // The last node that goes away leaves its property unanimated (the
    // property keeps its nodes of other takes and layers).
    if (Property* property = ConnectedProperty()) {
        if (!property->IsEnding()) {
            bool others = false;
            for (int i = 0, n = property->DstCount(); i < n && !others; ++i) {
                Plug* dst = property->Dst(i);
                others = dst && dst != connector_ && dst->ClassId() == kClassConnector && !dst->IsEnding();
            }
            if (!others) property->ModifyFlag(kPropertyAnimated, false);
        }
    }
    Object::Teardown();
}

AnimationLayer* AnimationNode::Layer() const { return static_cast<AnimationLayer*>(layer_.Get()); }

void AnimationNode::SetLayer(AnimationLayer* layer) {
    layer_.Reset(layer);
    BumpStructureVersion();  // the scene's plan reads nodes by layer
}

int AnimationNode::ChildCount() const { return static_cast<int>(children_.size()); }

Object* AnimationNode::Child(int i) const { return ChildNode(i); }

AnimationNode* AnimationNode::ChildNode(int i) const {
    if (i < 0 || i >= ChildCount()) return nullptr;
    return static_cast<AnimationNode*>(children_[static_cast<std::size_t>(i)].Get());
}

AnimationNode* AnimationNode::ParentNode() const { return static_cast<AnimationNode*>(parent_.Get()); }

FCurve* AnimationNode::Curve(int channel) const {
    if (children_.empty()) return channel == 0 ? static_cast<FCurve*>(curve_.Get()) : nullptr;
    AnimationNode* child = ChildNode(channel);
    return child ? child->Curve(0) : nullptr;
}

Property* AnimationNode::ConnectedProperty() const {
    if (connector_ && !connector_->IsEnding())
        if (Property* property = connector_->ConnectedProperty()) return property;
    AnimationNode* parent = ParentNode();
    return parent ? parent->ConnectedProperty() : nullptr;
}

int AnimationNode::KeyCount() const {
    int count = 0;
    for (int i = 0; i < channels_; ++i)
        if (FCurve* curve = Curve(i)) count += curve->KeyCount();
    return count;
}

bool AnimationNode::IsLocked() const {
    for (const AnimationNode* node = this; node; node = node->ParentNode())
        if (node->locked_) return true;
    return false;
}

bool AnimationNode::SetCandidate(const double* values, long long time, bool checkLock) {
    if (!values || (checkLock && IsLocked())) return false;
    std::memcpy(candidate_, values, sizeof(double) * static_cast<std::size_t>(channels_));
    candidateTime_ = time;
    hasCandidate_ = true;
    Notify(kActKeyingCandidate);
    return true;
}

int AnimationNode::Evaluate(long long time, double* out, const double* fallback, std::uint32_t muteMask,
                            bool useCandidate) const {
    if (!out) return -1;
    if (useCandidate && hasCandidate_ && candidateTime_ == time) {
        for (int i = 0; i < channels_; ++i)
            out[i] = (muteMask >> i) & 1u ? (fallback ? fallback[i] : 0.0) : candidate_[i];
        return 1;
    }
    for (int i = 0; i < channels_; ++i) {
        FCurve* curve = Curve(i);
        if (curve && curve->KeyCount() > 0 && !((muteMask >> i) & 1u))
            out[i] = curve->Evaluate(time);
        else
            out[i] = fallback ? fallback[i] : 0.0;
    }
    return 0;
}

void AnimationNode::Notify(int action) {
    Property* property = ConnectedProperty();
    if (!property) return;
    SceneEvents::Instance().RaiseKeying(property->OwnerObject(), action, property, nullptr);
}

bool AnimationNode::KeyAdd(long long time, const double* values, std::uint32_t flags, std::uint32_t lockMask) {
    if (!values) return false;
    if (time == kTimeInfinity) time = CurrentTime();
    bool keyed = false;
    for (int i = 0; i < channels_; ++i) {
        FCurve* curve = Curve(i);
        if (!curve || ((lockMask >> i) & 1u)) continue;
        FCurveKey key;
        const int existing = curve->KeyFind(time);
        if (existing >= 0) curve->GetKey(existing, &key);  // keep its shape
        else key.flags = flags;
        key.time = time;
        key.value = static_cast<float>(values[i]);
        if (curve->KeyAdd(key) >= 0) keyed = true;
    }
    return keyed;
}

bool AnimationNode::KeyCandidate(long long time, std::uint32_t lockMask) {
    if (time == kTimeInfinity) time = CurrentTime();
    double values[4] = {0, 0, 0, 0};
    if (hasCandidate_) {
        std::memcpy(values, candidate_, sizeof values);
    } else {
        double fallback[4] = {0, 0, 0, 0};
        if (Property* property = ConnectedProperty()) {
            double raw[4];
            if (property->GetRaw(raw)) ValueToDoubles(property->Type(), raw, fallback);
        }
        Evaluate(time, values, fallback);
    }
    const bool keyed = KeyAdd(time, values, settings_.defaultKeyFlags, lockMask);
    hasCandidate_ = false;
    if (keyed) Notify(kActKeyingKey);
    return keyed;
}

bool AnimationNode::KeyRemoveAt(long long time, std::uint32_t lockMask) {
    if (time == kTimeInfinity) time = CurrentTime();
    bool removed = false;
    for (int i = 0; i < channels_; ++i) {
        FCurve* curve = Curve(i);
        if (!curve || ((lockMask >> i) & 1u)) continue;
        const int at = curve->KeyFind(time);
        if (at >= 0 && curve->KeyRemove(at)) removed = true;
    }
    if (removed) {
        hasCandidate_ = false;
        Notify(kActKeyingDeleteKey);
    }
    return removed;
}

bool AnimationNode::IsKey(long long time) const {
    for (int i = 0; i < channels_; ++i)
        if (FCurve* curve = Curve(i); curve && curve->KeyFind(time) >= 0) return true;
    return false;
}

// ---------------------------------------------------------------------------
// Values as doubles

int ValueToDoubles(const DataType* type, const void* raw, double* out) {
    if (!type || !raw || !out) return 0;
    switch (type->Kind()) {
        case ValueKind::kInt32: { int v; std::memcpy(&v, raw, sizeof v); out[0] = v; return 1; }
        case ValueKind::kInt64:
        case ValueKind::kTime: { long long v; std::memcpy(&v, raw, sizeof v); out[0] = static_cast<double>(v); return 1; }
        case ValueKind::kUInt64: { unsigned long long v; std::memcpy(&v, raw, sizeof v); out[0] = static_cast<double>(v); return 1; }
        case ValueKind::kBool: { bool v; std::memcpy(&v, raw, sizeof v); out[0] = v ? 1.0 : 0.0; return 1; }
        case ValueKind::kFloat: { float v; std::memcpy(&v, raw, sizeof v); out[0] = v; return 1; }
        case ValueKind::kDoubles:
        case ValueKind::kTimecode: {
            const int n = type->MemberCount();
            std::memcpy(out, raw, sizeof(double) * static_cast<std::size_t>(n));
            return n;
        }
        default: return 0;
    }
}

namespace {
template <class T>
T RoundTo(double v) {
    if (std::isnan(v)) return T{0};
    const double r = std::nearbyint(v);
    if (r <= static_cast<double>(std::numeric_limits<T>::lowest())) return std::numeric_limits<T>::lowest();
    if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(r);
}
}  // namespace

bool ValueFromDoubles(const DataType* type, const double* in, void* raw) {
    if (!type || !in || !raw) return false;
    switch (type->Kind()) {
        case ValueKind::kInt32: { int v = RoundTo<int>(in[0]); std::memcpy(raw, &v, sizeof v); return true; }
        case ValueKind::kInt64:
        case ValueKind::kTime: { long long v = RoundTo<long long>(in[0]); std::memcpy(raw, &v, sizeof v); return true; }
        case ValueKind::kUInt64: { unsigned long long v = RoundTo<unsigned long long>(in[0]); std::memcpy(raw, &v, sizeof v); return true; }
        case ValueKind::kBool: { bool v = in[0] >= 0.5; std::memcpy(raw, &v, sizeof v); return true; }
        case ValueKind::kFloat: { float v = static_cast<float>(in[0]); std::memcpy(raw, &v, sizeof v); return true; }
        case ValueKind::kDoubles:
        case ValueKind::kTimecode:
            std::memcpy(raw, in, sizeof(double) * static_cast<std::size_t>(type->MemberCount()));
            return true;
        default: return false;
    }
}

// ---------------------------------------------------------------------------
// Evaluation properties

bool CanAnimate(const Property* property) {
    if (!property || !property->IsAnimatable()) return false;
    switch (property->Type()->Kind()) {
        case ValueKind::kInt32: case ValueKind::kInt64: case ValueKind::kUInt64: case ValueKind::kBool:
        case ValueKind::kFloat: case ValueKind::kDoubles: case ValueKind::kTime: case ValueKind::kTimecode:
            return property->MemberCount() >= 1 && property->MemberCount() <= 4;
        default: return false;
    }
}

AnimationNode* PropertyAnimationNode(const Property* property) {
    if (!property) return nullptr;
    AnimationNode* layerless = nullptr;
    const AnimationLayer* current = nullptr;
    bool looked = false;
    for (int i = 0, n = property->DstCount(); i < n; ++i) {
        Plug* dst = property->Dst(i);
        if (!dst || dst->ClassId() != kClassConnector || dst->IsEnding()) continue;
        AnimationNode* node = static_cast<Connector*>(dst)->Node();
        const AnimationLayer* layer = node->Layer();
        if (!layer) {
            layerless = node;
            continue;
        }
        if (!looked) {
            current = CurrentLayer();
            looked = true;
        }
        if (layer == current) return node;
    }
    return layerless;
}

bool SetPropertyAnimated(Property* property, bool animated) {
    if (!CanAnimate(property)) return false;
    if (!animated) {
        // Every take's nodes go.
        std::vector<PlugHandle> nodes;
        for (int i = 0, n = property->DstCount(); i < n; ++i)
            if (Plug* dst = property->Dst(i); dst && dst->ClassId() == kClassConnector && !dst->IsEnding())
                nodes.emplace_back(static_cast<Connector*>(dst)->Node());
        for (PlugHandle& h : nodes)
            if (Plug* node = h.Get()) node->Destroy();
        property->ModifyFlag(kPropertyAnimated, false);
        return true;
    }
    if (AnimatedPerTake(property)) return EnsureLayerNode(property, CurrentTake(true)->CurrentLayer()) != nullptr;
    AnimationNode* node = PropertyAnimationNode(property);
    if (animated) {
        if (!node) {
            node = AnimationNode::Create(property->Name(), property->MemberCount());
            node->SetOwner(property);
            if (!node->GetConnector()->ConnectSrc(property)) {
                node->Destroy();
                return false;
            }
        }
        property->ModifyFlag(kPropertyAnimated, true);
        return true;
    }
    return true;
}

std::uint32_t PropertyLockMask(const Property* property) {
    if (!property) return 0;
    std::uint32_t mask = (property->Flags() & kPropertyLockAll) >> 12;
    if (property->TypeId() == kDataTimecode) mask |= 4u;
    return mask;
}

int EvaluateProperty(Property* property, void* out, const EvaluationContext* context) {
    if (!property || !out) return -1;
    if (!property->HasFlag(kPropertyAnimated)) return property->GetRaw(out) ? 0 : -1;
    const EvaluationContext& ctx = context ? *context : GlobalDisplayContext();
    double raw[4];
    double stored[4] = {0, 0, 0, 0};
    if (!property->GetRaw(raw)) return -1;
    ValueToDoubles(property->Type(), raw, stored);
    double values[4];
    const std::uint32_t mutes = (property->Flags() >> 16) & 0xFu;
    int status = EvaluateTakeLayers(property, ctx.time, stored, values, mutes, true, false);
    if (status < 0) {
        AnimationNode* node = PropertyAnimationNode(property);
        if (!node) return property->GetRaw(out) ? 0 : -1;
        status = node->Evaluate(ctx.time, values, stored, mutes);
    }
    // Parts of the value that are not members (a time code's rate) stay as stored.
    std::memcpy(out, raw, property->Type()->ValueSize());
    ValueFromDoubles(property->Type(), values, out);
    return status;
}

bool WritePropertyValue(Property* property, const void* raw) {
    if (!property || !raw) return false;
    if (!property->SetRaw(raw)) return false;
    if (property->HasFlag(kPropertyAnimated))
        if (AnimationNode* node = PropertyAnimationNode(property)) {
            double values[4] = {0, 0, 0, 0};
            double stored[4];
            property->GetRaw(stored);  // the value as taken (clamps, locks)
            ValueToDoubles(property->Type(), stored, values);
            node->SetCandidate(values, CurrentTime(), false);
        }
    return true;
}

bool SetPropertyCandidate(Property* property, const void* raw, const EvaluationContext* context) {
    if (!property || !raw) return false;
    AnimationNode* node = property->HasFlag(kPropertyAnimated) ? PropertyAnimationNode(property) : nullptr;
    if (!node) return property->SetRaw(raw);
    double values[4] = {0, 0, 0, 0};
    if (!ValueToDoubles(property->Type(), raw, values)) return false;
    // Locked members keep their evaluated value.
    const EvaluationContext& ctx = context ? *context : GlobalDisplayContext();
    const std::uint32_t locks = PropertyLockMask(property);
    if (locks) {
        double current[4];
        double stored[4] = {0, 0, 0, 0};
        double now[4];
        if (property->GetRaw(current)) ValueToDoubles(property->Type(), current, stored);
        node->Evaluate(ctx.time, now, stored);
        for (int i = 0; i < node->Channels(); ++i)
            if ((locks >> i) & 1u) values[i] = now[i];
    }
    return node->SetCandidate(values, ctx.time, true);
}

bool KeyPropertyCandidate(Property* property, long long time) {
    // Keys go to the current layer, which gets a node when it has none.
    AnimationNode* node = PropertyAnimationNode(property);
    if (!node && property && property->HasFlag(kPropertyAnimated) && AnimatedPerTake(property))
        node = EnsureLayerNode(property, CurrentTake(true)->CurrentLayer());
    return node && node->KeyCandidate(time, PropertyLockMask(property));
}

bool KeyRemovePropertyAt(Property* property, long long time) {
    AnimationNode* node = PropertyAnimationNode(property);
    return node && node->KeyRemoveAt(time, PropertyLockMask(property));
}

// ---------------------------------------------------------------------------
// Muting

bool AllowsMuting(const Property* property) { return CanAnimate(property); }

void SetPropertyMuted(Property* property, bool muted) {
    if (property) property->ModifyFlag(kPropertyMuteAll, muted);
}

void SetPropertyMemberMuted(Property* property, int member, bool muted) {
    if (!property || member < 0 || member >= property->MemberCount() || member > 3) return;
    property->ModifyFlag(kPropertyMuteMember0 << member, muted);
}

// ---------------------------------------------------------------------------
// Display colours

namespace {

struct MemberColors {
    PlugHandle handle;
    float rgb[4][3];
    bool custom[4];
};

const float kDefaultColors[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};

std::unordered_map<const Property*, MemberColors>& ColorTable() {
    static auto* table = new std::unordered_map<const Property*, MemberColors>;
    return *table;
}

// The entry of a living property; an entry left by an ended property at the
// same address is dropped first.
MemberColors* Colors(const Property* property, bool create) {
    auto& table = ColorTable();
    auto it = table.find(property);
    if (it != table.end() && it->second.handle.Get() != property) {
        table.erase(it);
        it = table.end();
    }
    if (it != table.end()) return &it->second;
    if (!create) return nullptr;
    if (table.size() > 64 && table.size() % 64 == 0) {
        for (auto p = table.begin(); p != table.end();)
            p = p->second.handle.Valid() ? std::next(p) : table.erase(p);
    }
    MemberColors& entry = table[property];
    entry.handle.Reset(const_cast<Property*>(property));
    std::memcpy(entry.rgb, kDefaultColors, sizeof entry.rgb);
    for (bool& c : entry.custom) c = false;
    return &entry;
}

bool ValidMember(const Property* property, int member) {
    return property && member >= 0 && member < property->MemberCount() && member < 4;
}

}  // namespace

bool GetPropertyMemberColor(const Property* property, int member, float* rgb) {
    if (!rgb || !ValidMember(property, member)) return false;
    const MemberColors* colors = Colors(property, false);
    std::memcpy(rgb, colors ? colors->rgb[member] : kDefaultColors[member], sizeof(float) * 3);
    return true;
}

bool SetPropertyMemberColor(Property* property, int member, const float* rgb) {
    if (!rgb || !ValidMember(property, member)) return false;
    MemberColors* colors = Colors(property, true);
    const bool changed = !colors->custom[member] || std::memcmp(colors->rgb[member], rgb, sizeof(float) * 3) != 0;
    std::memcpy(colors->rgb[member], rgb, sizeof(float) * 3);
    colors->custom[member] = true;
    return changed;
}

bool ResetPropertyMemberColor(Property* property, int member) {
    if (!ValidMember(property, member)) return false;
    MemberColors* colors = Colors(property, false);
    if (!colors || !colors->custom[member]) return false;
    std::memcpy(colors->rgb[member], kDefaultColors[member], sizeof(float) * 3);
    colors->custom[member] = false;
    return true;
}

// ---------------------------------------------------------------------------
// Keying selection

KeyingSelection& KeyingSelection::Instance() {
    static auto* selection = new KeyingSelection;
    return *selection;
}

void KeyingSelection::Purge() {
    for (auto it = entries_.begin(); it != entries_.end();)
        it = it->handle.Get() == it->property ? std::next(it) : entries_.erase(it);
}

KeyingSelection::Entry* KeyingSelection::Find(const Property* property) {
    for (Entry& e : entries_)
        if (e.property == property && e.handle.Get() == property) return &e;
    return nullptr;
}

const KeyingSelection::Entry* KeyingSelection::Find(const Property* property) const {
    for (const Entry& e : entries_)
        if (e.property == property && e.handle.Get() == property) return &e;
    return nullptr;
}

bool KeyingSelection::IsFocused(const Property* property) const {
    const Entry* e = property ? Find(property) : nullptr;
    return e && e->whole;
}

bool KeyingSelection::IsMemberFocused(const Property* property, int member) const {
    if (!ValidMember(property, member)) return false;
    const Entry* e = Find(property);
    return e && (e->whole || ((e->members >> member) & 1u));
}

void KeyingSelection::Add(Property* property, int member) {
    if (!property || (member != -1 && !ValidMember(property, member))) return;
    Purge();
    Entry* e = Find(property);
    if (!e) {
        entries_.push_back(Entry{PlugHandle(property), property, false, 0});
        e = &entries_.back();
    }
    if (member < 0) e->whole = true;
    else e->members |= 1u << member;
}

void KeyingSelection::Remove(Property* property, int member) {
    if (!property) return;
    Entry* e = Find(property);
    if (!e) return;
    if (member < 0) {
        e->whole = false;
        e->members = 0;
    } else if (ValidMember(property, member)) {
        if (e->whole) {
            e->whole = false;
            e->members = (1u << property->MemberCount()) - 1u;
        }
        e->members &= ~(1u << member);
    }
    if (!e->whole && !e->members) {
        entries_.erase(entries_.begin() + (e - entries_.data()));
        Purge();
    }
}

int KeyingSelection::Count() const {
    int n = 0;
    for (const Entry& e : entries_)
        if (e.handle.Get() == e.property) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// Property view marks

PropertyViewMarks& PropertyViewMarks::Instance() {
    static auto* marks = new PropertyViewMarks;
    return *marks;
}

void PropertyViewMarks::Mark(const Object* owner, const Property* property, int member) {
    if (!property || IsMarked(owner, property, member)) return;
    for (auto it = marks_.begin(); it != marks_.end();)
        it = it->handle.Get() == it->property ? std::next(it) : marks_.erase(it);
    marks_.push_back(MarkEntry{PlugHandle(const_cast<Property*>(property)), owner, property, member});
}

bool PropertyViewMarks::IsMarked(const Object* owner, const Property* property, int member) const {
    for (const MarkEntry& m : marks_)
        if (m.owner == owner && m.property == property && m.member == member && m.handle.Get() == property)
            return true;
    return false;
}

void PropertyViewMarks::Clear(const Object* owner, const Property* property, int member) {
    for (auto it = marks_.begin(); it != marks_.end();)
        it = it->owner == owner && it->property == property && it->member == member ? marks_.erase(it)
                                                                                    : std::next(it);
}

bool PropertyViewMarks::AnyMemberMarked(const Object* owner, const Property* property) const {
    for (const MarkEntry& m : marks_)
        if (m.owner == owner && m.property == property && m.member >= 0 && m.handle.Get() == property)
            return true;
    return false;
}

}  // namespace velora
