// Boxes: connectors, pull evaluation, change propagation and connection
// checks.

#include "velora/box.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "velora/class_registry.h"
#include "velora/graph_storage.h"
#include "velora/trace.h"

namespace velora {

namespace {

// Members a connector of `type` carries: numeric types with one to four
// members; 0 for the others (text, objects, events cannot flow).
int ConnectorMembers(const DataType* type) {
    if (!type) return 0;
    switch (type->Kind()) {
        case ValueKind::kInt32: case ValueKind::kInt64: case ValueKind::kUInt64: case ValueKind::kBool:
        case ValueKind::kFloat: case ValueKind::kDoubles: case ValueKind::kTime: case ValueKind::kTimecode:
            return type->MemberCount() >= 1 && type->MemberCount() <= 4 ? type->MemberCount() : 0;
        default:
            return 0;
    }
}

bool Usable(const AnimationNode* node) {
    return node && node->OwnerBox() && !node->IsEnding() && !node->OwnerBox()->IsEnding();
}

// Whether `to` is `from` or downstream of it (through output connections).
bool Reaches(Box* from, Box* to) {
    std::vector<Box*> stack{from};
    std::vector<Box*> seen;
    while (!stack.empty()) {
        Box* box = stack.back();
        stack.pop_back();
        if (box == to) return true;
        if (std::find(seen.begin(), seen.end(), box) != seen.end()) continue;
        seen.push_back(box);
        for (int o = 0; o < box->OutConnectorCount(); ++o) {
            AnimationNode* out = box->OutConnector(o);
            for (int d = 0, n = out->DstCount(); d < n; ++d) {
                Plug* dst = out->Dst(d);
                if (dst->ClassId() != kClassAnimationNode) continue;
                if (Box* next = Box::OfConnector(static_cast<AnimationNode*>(dst))) stack.push_back(next);
            }
        }
    }
    return false;
}

}  // namespace

const char* ConnectResultText(int result) {
    switch (result) {
        case kConnectDone: return "connected";
        case kConnectInvalid: return "not a connector of a living box";
        case kConnectDirection: return "an output must feed an input";
        case kConnectType: return "the connectors carry different numbers of values";
        case kConnectCycle: return "the connection would close a cycle";
        case kConnectOccupied: return "the input already has a source";
        case kConnectRefused: return "refused by the connectors";
        default: return "unknown result";
    }
}

int CheckConnection(AnimationNode* output, AnimationNode* input, AnimationNode* replacing) {
    if (!Usable(output) || !Usable(input)) return kConnectInvalid;
    if (!output->IsOutput() || !input->IsInput()) return kConnectDirection;
    if (output->Channels() != input->Channels()) return kConnectType;
    AnimationNode* current = input->SourceConnector();
    if (current && current != replacing && current != output) return kConnectOccupied;
    // A cycle: the output's box is the input's box or downstream of it.
    if (Reaches(input->OwnerBox(), output->OwnerBox())) return kConnectCycle;
    return kConnectDone;
}

int ConnectConnectors(AnimationNode* output, AnimationNode* input) {
    const int check = CheckConnection(output, input);
    if (check != kConnectDone) {
        if (check == kConnectCycle)
            Trace::Instance().Printf(Trace::kDefaultLevel, "Connection from %s to %s refused: %s\n",
                                     output->Name(), input->Name(), ConnectResultText(check));
        return check;
    }
    if (input->SourceConnector() == output) return kConnectDone;
    return input->ConnectSrc(output) ? kConnectDone : kConnectRefused;
}

bool DisconnectConnectors(AnimationNode* output, AnimationNode* input) {
    if (!output || !input || input->SrcIndex(output) < 0) return false;
    return input->DisconnectSrc(output);
}

// ---------------------------------------------------------------------------
// Box

Box* Box::Create(const char* name, int classId) {
    const ClassRegistry& classes = ClassRegistry::Instance();
    if (!classes.IsA(classId, kClassBox) || classes.IsA(classId, kClassModel)) classId = kClassBox;
    return new Box(name ? name : "Box", classId);
}

Box::Box(const char* name, int classId) : Object(name, classId) { BumpStructureVersion(); }

IObject* Box::IQuery(std::uint32_t id, int arg) {
    return id == kIdBox ? this : Object::IQuery(id, arg);
}

Box* Box::OfConnector(const AnimationNode* node) { return node ? node->box_ : nullptr; }

Box* AsBox(Object* object) {
    return object && object->IsA(kClassBox) ? static_cast<Box*>(object) : nullptr;
}

void Box::Teardown() {
    // The connectors are owned plugs and end with the box; each leaves the
    // lists on its way (Forget).
    BumpStructureVersion();
    Object::Teardown();
}

AnimationNode* Box::MakeConnector(std::uint64_t userId, const char* name, const DataType* type,
                                  bool animatable, bool output) {
    const int members = ConnectorMembers(type);
    if (IsEnding() || !members) return nullptr;
    AnimationNode* node =
        AnimationNode::CreateConnectorNode(name && *name ? name : (output ? "Output" : "Input"), members,
                                           animatable && !output);
    node->box_ = this;
    node->dataType_ = type;
    node->userId_ = userId;
    node->output_ = output;
    node->keyable_ = animatable && !output;
    node->SetOwner(this);
    (output ? outputs_ : inputs_).push_back(node);
    if (auto* g = static_cast<AnimationNode*>((output ? outGroup_ : inGroup_).Get())) g->children_.emplace_back(node);
    dirty_ = true;
    BumpStructureVersion();
    return node;
}

AnimationNode* Box::CreateInConnector(std::uint64_t userId, const char* name, const DataType* type,
                                      bool animatable) {
    return MakeConnector(userId, name, type, animatable, false);
}

AnimationNode* Box::CreateOutConnector(std::uint64_t userId, const char* name, const DataType* type,
                                       bool animatable) {
    return MakeConnector(userId, name, type, animatable, true);
}

bool Box::AdoptInConnector(AnimationNode* node) {
    if (!node || node->box_ || IsEnding()) return false;
    Property* property = node->ConnectedProperty();
    if (!property || property->OwnerObject() != this || !ConnectorMembers(property->Type())) return false;
    node->box_ = this;
    node->property_ = property;
    node->dataType_ = property->Type();
    node->output_ = false;
    inputs_.push_back(node);
    if (auto* g = static_cast<AnimationNode*>(inGroup_.Get())) g->children_.emplace_back(node);
    dirty_ = true;
    BumpStructureVersion();
    return true;
}

AnimationNode* Box::CreatePropertyInConnector(Property* property) {
    if (!property || property->OwnerObject() != this || !CanAnimate(property)) return nullptr;
    // The property's node, made without animating the property: until it is
    // keyed, the input reads the stored value straight.
    AnimationNode* node = PropertyAnimationNode(property);
    if (!node) {
        node = AnimationNode::Create(property->Name(), property->MemberCount());
        node->SetOwner(property);
        if (!node->GetConnector()->ConnectSrc(property)) {
            node->Destroy(0);
            return nullptr;
        }
    }
    return AdoptInConnector(node) ? node : nullptr;
}

bool Box::DestroyConnector(AnimationNode* node) {
    if (!node || node->box_ != this) return false;
    node->DisconnectAllSrc();
    node->DisconnectAllDst();
    // A property's node stays with its property; only its connector role ends.
    if (node->Owner() != this) {
        Forget(node);
        node->box_ = nullptr;
        node->property_ = nullptr;
        return true;
    }
    node->Destroy(0);
    return true;
}

void Box::Forget(AnimationNode* node) {
    auto drop = [node](std::vector<AnimationNode*>& list) {
        list.erase(std::remove(list.begin(), list.end(), node), list.end());
    };
    drop(inputs_);
    drop(outputs_);
    for (PlugHandle* group : {&inGroup_, &outGroup_})
        if (auto* g = static_cast<AnimationNode*>(group->Get())) {
            auto& kids = g->children_;
            kids.erase(std::remove_if(kids.begin(), kids.end(),
                                      [node](const PlugHandle& h) { return h.Get() == node || !h.Valid(); }),
                       kids.end());
        }
    dirty_ = true;
    BumpStructureVersion();
}

AnimationNode* Box::InConnector(int i) const {
    return i >= 0 && i < InConnectorCount() ? inputs_[static_cast<std::size_t>(i)] : nullptr;
}

AnimationNode* Box::OutConnector(int i) const {
    return i >= 0 && i < OutConnectorCount() ? outputs_[static_cast<std::size_t>(i)] : nullptr;
}

AnimationNode* Box::FindInConnector(const char* name) const {
    for (AnimationNode* node : inputs_)
        if (name && std::strcmp(node->Name(), name) == 0) return node;
    return nullptr;
}

AnimationNode* Box::FindOutConnector(const char* name) const {
    for (AnimationNode* node : outputs_)
        if (name && std::strcmp(node->Name(), name) == 0) return node;
    return nullptr;
}

AnimationNode* Box::Group(PlugHandle& handle, const std::vector<AnimationNode*>& connectors, const char* name) {
    if (auto* group = static_cast<AnimationNode*>(handle.Get())) return group;
    if (IsEnding()) return nullptr;
    auto* group = AnimationNode::CreateConnectorNode(name, 1, false);
    group->SetOwner(this);
    for (AnimationNode* node : connectors) group->children_.emplace_back(node);
    handle.Reset(group);
    return group;
}

AnimationNode* Box::InGroup() { return Group(inGroup_, inputs_, "Input"); }
AnimationNode* Box::OutGroup() { return Group(outGroup_, outputs_, "Output"); }

void Box::Evaluate(const EvaluationContext& context) {
    const unsigned id = context.evaluationId;
    if (evaluating_ || (id != 0 && evaluatedId_ == id)) return;
    evaluating_ = true;
    evaluatedId_ = id;
    // Upstream first: a source that computes and changes marks this box.
    bool timeVarying = timeDependent_;
    for (AnimationNode* input : inputs_) {
        if (AnimationNode* source = input->SourceConnector()) {
            source->box_->Evaluate(context);
        } else if (!timeVarying) {
            const Property* property = input->ConnectorProperty();
            timeVarying = property ? property->HasFlag(kPropertyAnimated) : input->keyable_ && input->KeyCount() > 0;
        }
    }
    if (dirty_ || (timeVarying && context.time != lastTime_)) {
        dirty_ = false;
        lastTime_ = context.time;
        ++computeCount_;
        EvaluateConnectors(context);
        for (std::size_t i = 0; i < outputs_.size(); ++i) {
            AnimationNode* output = outputs_[i];
            if (MayEvaluateConnector(output)) EvaluateConnector(output, context);
        }
        for (AnimationNode* output : outputs_) {
            if (!output->changed_) continue;
            output->changed_ = false;
            for (int d = 0, n = output->DstCount(); d < n; ++d) {
                Plug* dst = output->Dst(d);
                if (dst->ClassId() == kClassAnimationNode)
                    if (Box* next = static_cast<AnimationNode*>(dst)->box_) next->dirty_ = true;
            }
        }
    }
    evaluating_ = false;
}

bool Box::EvaluateConnectors(const EvaluationContext&) { return false; }

namespace {
inline void Touch(const void* p) { __builtin_prefetch(p); }
void TouchNode(const AnimationNode* node) { node->PrefetchData(); }
}  // namespace

void Box::Prefetch(int stage) const {
    switch (stage) {
        case 0:
            Touch(this);
            Touch(&inputs_);
            Touch(&evaluatedId_);
            break;
        case 1:
            Touch(inputs_.data());
            Touch(outputs_.data());
            Touch(Wrapper());
            break;
        case 2:
            for (const AnimationNode* node : inputs_) TouchNode(node);
            for (const AnimationNode* node : outputs_) TouchNode(node);
            break;
        default:
            for (const AnimationNode* node : inputs_) {
                if (const AnimationNode* source = node->SourceConnector()) TouchNode(source);
                if (const Property* property = node->ConnectorProperty()) Touch(property);
                Touch(node->Wrapper());
            }
            for (const AnimationNode* node : outputs_) Touch(node->Wrapper());
            break;
    }
}

bool Box::EvaluateConnector(AnimationNode*, const EvaluationContext&) { return false; }

bool Box::MayEvaluateConnector(const AnimationNode* node) const {
    if (manipulating_ == 0) return true;
    const Property* property = node ? node->ConnectorProperty() : nullptr;
    const AnimationNode* own = property ? PropertyAnimationNode(property) : nullptr;
    return !(own && own->HasCandidate());
}

void Box::DisableOutputsIfNotWritten(const EvaluationContext& context) {
    for (AnimationNode* output : outputs_)
        if (output->writtenId_ != context.evaluationId && !output->disabled_) {
            output->disabled_ = true;
            output->changed_ = true;
        }
}

int Box::SetGlobalCandidate(AnimationNode* node, const double* values, const EvaluationContext* context) {
    return SetStdCandidate(node, values, context);
}

int Box::SetStdCandidate(AnimationNode* node, const double* values, const EvaluationContext* context) {
    if (!node || node->box_ != this || !values || node->IsOutput() || node->SourceConnector()) return 0;
    if (Property* property = node->ConnectorProperty()) {
        alignas(double) unsigned char raw[64] = {};
        if (property->Type()->ValueSize() > sizeof raw || !property->GetRaw(raw)) return 0;
        ValueFromDoubles(property->Type(), values, raw);
        if (!SetPropertyCandidate(property, raw, context)) return 0;
        std::memcpy(node->live_, values, sizeof(double) * static_cast<std::size_t>(node->Channels()));
        dirty_ = true;
        return 1;
    }
    return node->WriteData(values, context) ? 1 : 0;
}

bool Box::ResolveCandidate(AnimationNode*, const EvaluationContext*) { return false; }

bool Box::ResolvePropertyCandidate(Property* property, const EvaluationContext* context) {
    if (!property || property->OwnerObject() != this) return false;
    AnimationNode* node = PropertyAnimationNode(property);
    return node && ResolveCandidate(node, context);
}

bool Box::StoreBox(dsx::ObjectStore& store) { return StoreBoxFields(*this, store); }
bool Box::RetrieveBox(dsx::ObjectStore& store) { return RetrieveBoxFields(*this, store); }
bool Box::Store(dsx::ObjectStore& store) { return Object::Store(store) && StoreBox(store); }
bool Box::Retrieve(dsx::ObjectStore& store) { return Object::Retrieve(store) && RetrieveBox(store); }

const char* Box::StorageSubType() const { return ClassRegistry::Instance().Name(ClassId()); }

}  // namespace velora
