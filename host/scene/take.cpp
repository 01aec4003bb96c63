// Takes, animation layers, time marks and the per-take animation nodes.

#include "velora/take.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <cstring>
#include <string>

#include "velora/animation.h"
#include "velora/class_registry.h"
#include "velora/event_records.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/string_list.h"

namespace velora {

namespace {

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

void SetEnumTexts(Property* p, std::initializer_list<const char*> texts) {
    StringList* list = p->Definition().EnumList(true);
    for (const char* text : texts) list->Add(text, 0);
    p->NotifyEnumListChanged();
}

template <class T>
T Read(const Property* p) {
    T value{};
    if (p) p->GetRaw(&value);
    return value;
}

}  // namespace

// ---------------------------------------------------------------------------
// Time marks

int TimeMarkList::Add(long long time, const char* name) {
    auto at = std::upper_bound(marks_.begin(), marks_.end(), time,
                               [](long long t, const TimeMark& m) { return t < m.time; });
    TimeMark mark;
    mark.time = time;
    mark.name = name ? name : "";
    // The insert may move the marks: the index is taken after it.
    const auto placed = marks_.insert(at, mark);
    return static_cast<int>(placed - marks_.begin());
}

bool TimeMarkList::Remove(int index) {
    if (index < 0 || index >= Count()) return false;
    marks_.erase(marks_.begin() + index);
    return true;
}

const TimeMark* TimeMarkList::At(int index) const {
    return index >= 0 && index < Count() ? &marks_[static_cast<std::size_t>(index)] : nullptr;
}

TimeMark* TimeMarkList::At(int index) {
    return index >= 0 && index < Count() ? &marks_[static_cast<std::size_t>(index)] : nullptr;
}

int TimeMarkList::SetTime(int index, long long time) {
    TimeMark* mark = At(index);
    if (!mark || mark->locked) return -1;
    TimeMark moved = *mark;
    marks_.erase(marks_.begin() + index);
    moved.time = time;
    auto at = std::upper_bound(marks_.begin(), marks_.end(), time,
                               [](long long t, const TimeMark& m) { return t < m.time; });
    const auto placed = marks_.insert(at, moved);
    return static_cast<int>(placed - marks_.begin());
}

bool TimeMarkList::SetName(int index, const char* name) {
    TimeMark* mark = At(index);
    if (!mark || mark->locked) return false;
    mark->name = name ? name : "";
    return true;
}

bool TimeMarkList::SetAction(int index, int action) {
    TimeMark* mark = At(index);
    if (!mark || mark->locked || action < kTimeMarkActionNone || action > kTimeMarkActionLoop) return false;
    mark->action = action;
    return true;
}

bool TimeMarkList::SetColor(int index, const double* rgb) {
    TimeMark* mark = At(index);
    if (!mark || mark->locked || !rgb) return false;
    for (int k = 0; k < 3; ++k) mark->color[k] = rgb[k];
    return true;
}

bool TimeMarkList::SetLocked(int index, bool locked) {
    TimeMark* mark = At(index);
    if (!mark) return false;
    mark->locked = locked;
    return true;
}

void TimeMarkList::SetAllLocked(bool locked) {
    for (TimeMark& m : marks_) m.locked = locked;
}

int TimeMarkList::Next(long long time) const {
    for (int i = 0; i < Count(); ++i)
        if (marks_[static_cast<std::size_t>(i)].time > time) return i;
    return -1;
}

int TimeMarkList::Previous(long long time) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (marks_[static_cast<std::size_t>(i)].time < time) return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Layers

AnimationLayer::AnimationLayer(const char* name, Take* take) : Object(name, kClassAnimationLayer), take_(take) {
    SetOwner(take);
    Property* color = CreateProperty("Color", kDataColor);
    const double grey[3] = {0.5, 0.5, 0.5};
    color->SetRaw(grey);
    solo_ = CreateProperty("Solo", kDataBool);
    mute_ = CreateProperty("Mute", kDataBool);
    lock_ = CreateProperty("Lock", kDataBool);
    weight_ = CreateProperty("Weight", kDataNumber, kCreateAnimatable);
    const double full = 100.0;
    weight_->SetRaw(&full);
    mode_ = CreateProperty("LayerMode", kDataEnum);
    SetEnumTexts(mode_, {"Additive", "Override", "Override Passthrough"});
    rotationMode_ = CreateProperty("LayerRotationMode", kDataEnum);
    SetEnumTexts(rotationMode_, {"Euler Rotation", "Quaternion Rotation"});
}

void AnimationLayer::Teardown() {
    // The layer's curves go with it.
    std::vector<PlugHandle> nodes;
    nodes.swap(nodes_);
    for (PlugHandle& h : nodes)
        if (Plug* node = h.Get(); node && !node->IsEnding()) node->Destroy(0);
    if (take_) {
        auto& layers = take_->layers_;
        auto it = std::find(layers.begin(), layers.end(), this);
        if (it != layers.end()) {
            layers.erase(it);
            if (take_->current_ >= take_->LayerCount()) take_->current_ = take_->LayerCount() - 1;
            if (take_->current_ < 0) take_->current_ = 0;
            BumpStructureVersion();
        }
    }
    take_ = nullptr;
    Object::Teardown();
}

Take* AnimationLayer::OwnerTake() const { return take_; }

int AnimationLayer::Index() const {
    if (!take_) return -1;
    for (int i = 0; i < take_->LayerCount(); ++i)
        if (take_->layers_[static_cast<std::size_t>(i)] == this) return i;
    return -1;
}

bool AnimationLayer::SetParentLayer(AnimationLayer* parent) {
    if (Index() <= 0) return false;
    if (parent) {
        if (parent->take_ != take_) return false;
        for (AnimationLayer* up = parent; up; up = up->ParentLayer())
            if (up == this) return false;
    }
    parent_.Reset(parent);
    return true;
}

int AnimationLayer::ChildLayerCount() const {
    int n = 0;
    if (take_)
        for (AnimationLayer* l : take_->layers_)
            if (l->ParentLayer() == this) ++n;
    return n;
}

AnimationLayer* AnimationLayer::ChildLayer(int i) const {
    if (take_ && i >= 0)
        for (AnimationLayer* l : take_->layers_)
            if (l->ParentLayer() == this && i-- == 0) return l;
    return nullptr;
}

int AnimationLayer::Mode() const { return Read<int>(mode_); }
void AnimationLayer::SetMode(int mode) {
    if (mode >= kLayerModeAdditive && mode <= kLayerModeOverridePassthrough) mode_->SetRaw(&mode);
}
bool AnimationLayer::IsMuted() const { return Read<bool>(mute_); }
bool AnimationLayer::IsSolo() const { return Read<bool>(solo_); }
bool AnimationLayer::IsLocked() const { return Read<bool>(lock_); }

double AnimationLayer::WeightAt(long long time) const {
    double weight = 100.0;
    if (weight_->HasFlag(kPropertyAnimated)) {
        EvaluationContext context;
        context.time = time;
        EvaluateProperty(weight_, &weight, &context);
    } else {
        weight_->GetRaw(&weight);
    }
    return weight / 100.0;
}

int AnimationLayer::NodeCount() const {
    int n = 0;
    for (const PlugHandle& h : nodes_)
        if (h.Get()) ++n;
    return n;
}

AnimationNode* AnimationLayer::NodeAt(int i) const {
    if (i >= 0)
        for (const PlugHandle& h : nodes_)
            if (Plug* p = h.Get(); p && i-- == 0) return static_cast<AnimationNode*>(p);
    return nullptr;
}

void AnimationLayer::CollectNodes(std::vector<AnimationNode*>* out) const {
    out->clear();
    for (const PlugHandle& h : nodes_)
        if (Plug* node = h.Get()) out->push_back(static_cast<AnimationNode*>(node));
}

AnimationNode* AnimationLayer::NodeOf(const Property* property) const { return LayerNode(property, this); }

void AnimationLayer::Forget(AnimationNode* node) {
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [node](const PlugHandle& h) { return !h.Get() || h.Get() == node; }),
                 nodes_.end());
}

// ---------------------------------------------------------------------------
// Takes

Take* Take::Create(const char* name) {
    auto* take = new Take(name);
    Scene::Main().AddObject(take);
    return take;
}

Take* Take::New(const char* name) { return new Take(name); }

Take::Take(const char* name) : Object(name ? name : "Take", kClassTake) {
    comments_ = CreateProperty("Comments", kDataString);
    // A take shows five seconds until told otherwise.
    localStop_ = referenceStop_ = 5 * 141120000LL;
    AddLayer("BaseAnimation");
}

void Take::Teardown() {
    std::vector<AnimationLayer*> layers = layers_;
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        if (!(*it)->IsEnding()) (*it)->Destroy(0);
    layers_.clear();
    BumpStructureVersion();
    Object::Teardown();
}

void Take::SetReferenceSpan(long long start, long long stop) {
    referenceStart_ = start;
    referenceStop_ = stop;
}

void Take::SetLocalSpan(long long start, long long stop) {
    localStart_ = start;
    localStop_ = stop;
}

const char* Take::Comments() const {
    const char* text = nullptr;
    comments_->GetRaw(&text);
    return text ? text : "";
}

void Take::SetComments(const char* text) {
    const char* value = text ? text : "";
    comments_->SetRaw(&value);
}

AnimationLayer* Take::Layer(int index) const {
    return index >= 0 && index < LayerCount() ? layers_[static_cast<std::size_t>(index)] : nullptr;
}

AnimationLayer* Take::FindLayer(const char* name) const {
    if (!name) return nullptr;
    for (AnimationLayer* layer : layers_)
        if (EqualNoCase(layer->Name(), name)) return layer;
    return nullptr;
}

void Take::SetCurrentLayer(int index) {
    if (index < 0 || index >= LayerCount() || index == current_) return;
    current_ = index;
    RaiseLayerEvent(3);
}

AnimationLayer* Take::AddLayer(const char* name) {
    auto* layer = new AnimationLayer(name, this);
    layers_.push_back(layer);
    return layer;
}

void Take::LayersChanged() {
    BumpStructureVersion();
    RaiseLayerEvent(1);
}

void Take::RaiseLayerEvent(int subType) {
    if (layerEvents_.Empty()) return;
    TakeChangeRecord record;
    record.type = 1;
    record.subType = subType;
    record.subject = this;
    record.take = this;
    layerEvents_.Raise(record);
}

AnimationLayer* Take::CreateLayer(const char* name) {
    std::string made;
    if (!name || !*name) {
        do made = "AnimLayer" + std::to_string(nextLayerNumber_++);
        while (FindLayer(made.c_str()));
        name = made.c_str();
    }
    AnimationLayer* layer = AddLayer(name);
    current_ = LayerCount() - 1;
    LayersChanged();
    return layer;
}

bool Take::RemoveLayer(int index) {
    AnimationLayer* layer = Layer(index);
    if (!layer || index == 0) return false;
    for (AnimationLayer* l : layers_)
        if (l->ParentLayer() == layer) l->parent_.Reset(layer->ParentLayer());
    layer->Destroy(0);  // leaves layers_ in its teardown
    LayersChanged();
    return true;
}

bool Take::MoveCurrentLayerUp() {
    if (current_ <= 0 || current_ + 1 >= LayerCount()) return false;
    std::swap(layers_[static_cast<std::size_t>(current_)], layers_[static_cast<std::size_t>(current_ + 1)]);
    ++current_;
    LayersChanged();
    return true;
}

bool Take::MoveCurrentLayerDown() {
    if (current_ <= 1) return false;
    std::swap(layers_[static_cast<std::size_t>(current_)], layers_[static_cast<std::size_t>(current_ - 1)]);
    --current_;
    LayersChanged();
    return true;
}

namespace {

// Copies a layer's settings and nodes onto `to`.
void CopyLayer(const AnimationLayer& from, AnimationLayer* to) {
    for (int i = 0; i < from.PropertyCount(); ++i) {
        const Property* p = from.PropertyAt(i);
        Property* q = to->FindProperty(p->Name());
        if (!q || q->Type() != p->Type()) continue;
        alignas(8) unsigned char raw[64];
        if (p->Type()->ValueSize() <= sizeof raw && p->GetRaw(raw)) q->SetRaw(raw);
    }
    if (AnimationNode* weight = PropertyAnimationNode(from.WeightProperty())) {
        SetPropertyAnimated(to->WeightProperty(), true);
        if (AnimationNode* copy = PropertyAnimationNode(to->WeightProperty()))
            copy->Curve(0)->CopyFrom(*weight->Curve(0));
    }
    std::vector<AnimationNode*> nodes;
    from.CollectNodes(&nodes);
    for (AnimationNode* node : nodes) {
        Property* property = node->ConnectedProperty();
        AnimationNode* copy = property ? EnsureLayerNode(property, to) : nullptr;
        if (!copy) continue;
        for (int m = 0; m < node->Channels(); ++m)
            if (FCurve* c = copy->Curve(m)) c->CopyFrom(*node->Curve(m));
    }
}

}  // namespace

int Take::DuplicateSelectedLayers() {
    std::vector<AnimationLayer*> selected;
    for (AnimationLayer* l : layers_)
        if (l->IsSelected() && l->Index() > 0) selected.push_back(l);
    for (AnimationLayer* l : selected) {
        AnimationLayer* copy = AddLayer((std::string(l->Name()) + " Copy").c_str());
        CopyLayer(*l, copy);
    }
    if (!selected.empty()) {
        current_ = LayerCount() - 1;
        LayersChanged();
    }
    return static_cast<int>(selected.size());
}

Take* Take::Copy(const char* name) const {
    Take* copy = Take::Create(name);
    copy->referenceStart_ = referenceStart_;
    copy->referenceStop_ = referenceStop_;
    copy->localStart_ = localStart_;
    copy->localStop_ = localStop_;
    copy->SetComments(Comments());
    copy->marks_ = marks_;
    copy->nextLayerNumber_ = nextLayerNumber_;
    for (int i = 0; i < LayerCount(); ++i) {
        AnimationLayer* to = i == 0 ? copy->BaseLayer() : copy->AddLayer(Layer(i)->Name());
        to->selected_ = Layer(i)->selected_;
        CopyLayer(*Layer(i), to);
    }
    for (int i = 1; i < LayerCount(); ++i)
        if (AnimationLayer* parent = Layer(i)->ParentLayer())
            copy->Layer(i)->parent_.Reset(copy->Layer(parent->Index()));
    copy->current_ = current_;
    return copy;
}

void Take::CollectNodes(std::vector<AnimationNode*>* out) const {
    if (!out) return;
    std::vector<AnimationNode*> nodes;
    for (AnimationLayer* layer : layers_) {
        layer->CollectNodes(&nodes);
        out->insert(out->end(), nodes.begin(), nodes.end());
    }
}

// ---------------------------------------------------------------------------
// The scene's takes

Take* CurrentTake(bool create) {
    Scene& scene = Scene::Main();
    Object* current = scene.CurrentTake();
    if (current && current->ClassId() == kClassTake && !current->IsEnding()) return static_cast<Take*>(current);
    if (!create) return nullptr;
    for (int i = 0; i < scene.ObjectCount(kSceneTakes); ++i) {
        Object* take = scene.ObjectAt(kSceneTakes, i);
        if (take->ClassId() == kClassTake && !take->IsEnding()) {
            scene.SetCurrentTake(take);
            return static_cast<Take*>(take);
        }
    }
    Take* take = Take::Create("Take 001");
    scene.SetCurrentTake(take);
    return take;
}

AnimationLayer* CurrentLayer() {
    Take* take = CurrentTake(false);
    return take ? take->CurrentLayer() : nullptr;
}

Take* FindTake(const char* name) {
    if (!name) return nullptr;
    Scene& scene = Scene::Main();
    for (int i = 0; i < scene.ObjectCount(kSceneTakes); ++i) {
        Object* take = scene.ObjectAt(kSceneTakes, i);
        if (take->ClassId() == kClassTake && !take->IsEnding() && std::strcmp(take->Name(), name) == 0)
            return static_cast<Take*>(take);
    }
    return nullptr;
}

bool AnimatedPerTake(const Property* property) {
    const Object* owner = property ? property->OwnerObject() : nullptr;
    return owner && !owner->IsA(kClassTake) && !owner->IsA(kClassAnimationLayer);
}

AnimationNode* LayerNode(const Property* property, const AnimationLayer* layer) {
    if (!property || !layer) return nullptr;
    for (int i = 0, n = property->DstCount(); i < n; ++i) {
        Plug* dst = property->Dst(i);
        if (dst && dst->ClassId() == kClassConnector && !dst->IsEnding()) {
            AnimationNode* node = static_cast<Connector*>(dst)->Node();
            if (node->Layer() == layer) return node;
        }
    }
    return nullptr;
}

AnimationNode* EnsureLayerNode(Property* property, AnimationLayer* layer) {
    if (!CanAnimate(property) || !layer || layer->IsEnding() || !layer->OwnerTake()) return nullptr;
    if (AnimationNode* node = LayerNode(property, layer)) return node;
    // Blending starts from the base layer: an upper layer's node comes
    // with one there.
    if (layer->Index() > 0 && !EnsureLayerNode(property, layer->OwnerTake()->BaseLayer())) return nullptr;
    AnimationNode* node = AnimationNode::Create(property->Name(), property->MemberCount());
    node->SetOwner(property);
    node->SetLayer(layer);
    if (!node->GetConnector()->ConnectSrc(property)) {
        node->Destroy();
        return nullptr;
    }
    // Handles of nodes that ended are dropped now and then, not on every
    // new node: a layer that takes thousands of nodes stays linear.
    if (layer->nodes_.size() >= layer->pruneAt_) {
        layer->Forget(nullptr);
        layer->pruneAt_ = 2 * layer->nodes_.size() + 16;
    }
    layer->nodes_.emplace_back(node);
    property->ModifyFlag(kPropertyAnimated, true);
    return node;
}

AnimationNode* TakeNode(const Property* property, const Take* take) {
    return take ? LayerNode(property, take->CurrentLayer()) : nullptr;
}

AnimationNode* RecordNode(Property* property) {
    if (!AnimatedPerTake(property)) {
        if (!SetPropertyAnimated(property, true)) return nullptr;
        return PropertyAnimationNode(property);
    }
    Take* take = CurrentTake(true);
    return EnsureLayerNode(property, take->BaseLayer());
}

bool RecordKey(Property* property, long long time, const double* values, std::uint32_t flags) {
    AnimationNode* node = values ? RecordNode(property) : nullptr;
    return node && node->KeyAdd(time, values, flags, PropertyLockMask(property));
}

// ---------------------------------------------------------------------------
// Blending

void TakeNodesOf(const Property* property, const Take* take, std::vector<LayerNodeRef>* out) {
    out->clear();
    if (!property || !take) return;
    for (int i = 0, n = property->DstCount(); i < n; ++i) {
        Plug* dst = property->Dst(i);
        if (!dst || dst->ClassId() != kClassConnector || dst->IsEnding()) continue;
        AnimationNode* node = static_cast<Connector*>(dst)->Node();
        AnimationLayer* layer = node->Layer();
        if (layer && layer->OwnerTake() == take && !layer->IsEnding())
            out->push_back(LayerNodeRef{node, layer, layer->Index()});
    }
    std::sort(out->begin(), out->end(), [](const LayerNodeRef& a, const LayerNodeRef& b) { return a.index < b.index; });
}

LayerBlend LayerBlendAt(const AnimationLayer* layer, long long time) {
    LayerBlend blend;
    const Take* take = layer ? layer->OwnerTake() : nullptr;
    if (!take || layer->Index() <= 0) return blend;
    blend.mode = layer->Mode();
    bool anySolo = false;
    for (int i = 1; i < take->LayerCount(); ++i) anySolo = anySolo || take->Layer(i)->IsSolo();
    bool solo = false;
    for (const AnimationLayer* l = layer; l; l = l->ParentLayer()) {
        if (l->IsMuted()) blend.active = false;
        solo = solo || l->IsSolo();
        blend.weight *= l->WeightAt(time);
    }
    if (anySolo && !solo) blend.active = false;
    return blend;
}

int EvaluateTakeLayers(const Property* property, long long time, const double* stored, double* out,
                       std::uint32_t muteMask, bool useCandidate, bool commit) {
    return BlendTakeLayers(property, CurrentTake(false), time, stored, out, muteMask, useCandidate, commit, nullptr);
}

int BlendTakeLayers(const Property* property, const Take* take, long long time, const double* stored, double* out,
                    std::uint32_t muteMask, bool useCandidate, bool commit, const std::vector<char>* include) {
    if (!take || !property) return -1;
    thread_local std::vector<LayerNodeRef> nodes;
    TakeNodesOf(property, take, &nodes);
    if (include) {
        auto excluded = [include](const LayerNodeRef& r) {
            return r.index < 0 || static_cast<std::size_t>(r.index) >= include->size() ||
                   !(*include)[static_cast<std::size_t>(r.index)];
        };
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(), excluded), nodes.end());
    }
    if (nodes.empty()) return -1;
    const int members = std::min(property->MemberCount(), 4);
    // A member a layer has no keys on reads as NaN: that layer leaves it.
    const double none[4] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    const AnimationNode* base = nodes.front().index == 0 ? nodes.front().node : nullptr;
    int status = 0;
    double v[4];
    bool touched[4] = {false, false, false, false};
    for (int m = 0; m < members; ++m) out[m] = stored[m];
    if (base) {
        if (base->Evaluate(time, v, none, muteMask, useCandidate) == 1) status = 1;
        for (int m = 0; m < members; ++m) {
            if (!std::isnan(v[m])) {
                out[m] = v[m];
                touched[m] = true;
            } else if (nodes.size() > 1 && !((muteMask >> m) & 1u)) {
                out[m] = base->RestValue(m, stored[m]);
            }
        }
    }
    for (const LayerNodeRef& ref : nodes) {
        if (ref.index == 0) continue;
        const LayerBlend blend = LayerBlendAt(ref.layer, time);
        if (!blend.active) continue;
        if (ref.node->Evaluate(time, v, none, muteMask, useCandidate) == 1) status = 1;
        for (int m = 0; m < members; ++m) {
            if (std::isnan(v[m])) continue;
            out[m] = BlendMember(blend.mode, blend.weight, out[m], v[m]);
            touched[m] = true;
        }
    }
    for (int m = 0; m < members; ++m) {
        if (!touched[m]) out[m] = stored[m];
        else if (commit && base) base->NoteWritten(m, out[m]);
    }
    return status;
}

}  // namespace velora
