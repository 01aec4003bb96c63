// LyAnimationNode: keying, candidates, the forwarded queries and the data
// path of the host's animation nodes.

#include <velora/animation.h>
#include <velora/undo.h>

#include <cstring>

#include "core/host_access.h"
#include "lysdk/lyanimationnode.h"
#include "scene/key_flags.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyAnimationNode, velora::kClassAnimationNode)

namespace {

velora::AnimationNode* HostNode(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::kClassAnimationNode && !object->IsEnding()
               ? static_cast<velora::AnimationNode*>(object)
               : nullptr;
}

HIObject NewHostNode(const char* name) {
    return velora::AnimationNode::Create(name ? name : "AnimationNode", 1);
}

LyAnimationNode* NodeWrapper(velora::AnimationNode* node) {
    LyPlug* wrapper = __LyWrap(node);
    return wrapper && wrapper->Is(LyAnimationNode::TypeInfo) ? static_cast<LyAnimationNode*>(wrapper) : nullptr;
}

// The lock bits of the connected property, seen from this node: a member
// node of a vector answers to its own member's bit.
std::uint32_t LockMask(velora::AnimationNode* node) {
    std::uint32_t mask = velora::PropertyLockMask(node->ConnectedProperty());
    if (velora::AnimationNode* parent = node->ParentNode())
        for (int i = 0; i < parent->ChildCount(); ++i)
            if (parent->ChildNode(i) == node) return (mask >> i) & 1u;
    return mask;
}

// Keying joins the open undo transaction, once per node and transaction.
void RecordForUndo(velora::AnimationNode* node) {
    velora::UndoStack& undo = velora::UndoStack::Instance();
    if (!undo.IsOpen()) return;
    velora::AnimationNode* top = node->ParentNode() ? node->ParentNode() : node;
    undo.AddAnimationNode(top);
}

// Property functions.
LyAnimationNode* Self(void* p) { return static_cast<LyAnimationNode*>(p); }
int GetKeyCountOf(void* p) { return Self(p)->GetKeyCount(); }
const char* GetUserName(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    if (!node) return nullptr;
    return node->NodeSettings().label.empty() ? node->Name() : node->NodeSettings().label.c_str();
}
const char* GetLabel(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node ? node->NodeSettings().label.c_str() : nullptr;
}
void SetLabel(void* p, const char* label) {
    if (velora::AnimationNode* node = HostNode(Self(p))) node->NodeSettings().label = label ? label : "";
}
bool GetLive(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node && node->NodeSettings().live;
}
void SetLive(void* p, bool on) {
    if (velora::AnimationNode* node = HostNode(Self(p))) node->NodeSettings().live = on;
}
bool GetRecordMode(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node && node->NodeSettings().recordMode;
}
void SetRecordMode(void* p, bool on) {
    if (velora::AnimationNode* node = HostNode(Self(p))) node->NodeSettings().recordMode = on;
}
unsigned long long GetReference(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node ? node->NodeSettings().reference : 0;
}
void SetReference(void* p, unsigned long long reference) {
    if (velora::AnimationNode* node = HostNode(Self(p))) node->NodeSettings().reference = reference;
}
LyInterpolation GetDefaultInterpolation(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node ? __LyInterpolationFromHost(node->NodeSettings().defaultKeyFlags) : static_cast<LyInterpolation>(-1);
}
void SetDefaultInterpolation(void* p, LyInterpolation interpolation) {
    velora::AnimationNode* node = HostNode(Self(p));
    if (!node) return;
    const std::uint32_t flags = __LyInterpolationToHost(interpolation);
    node->NodeSettings().defaultKeyFlags = flags | (flags == velora::kKeyCubic ? velora::kTangentAuto : 0u);
}
// Connectors of relation boxes answer through their box; a property's node
// (or a free one) has none.
LyAnimationNodeConnectorType GetConnectorType(void*) { return kLyAnimationNodeConnectorTypeNone; }
LyFCurve* GetFCurve(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    velora::FCurve* curve = node && node->ChildCount() == 0 ? node->Curve(0) : nullptr;
    LyPlug* wrapper = __LyWrap(curve);
    return wrapper && wrapper->Is(LyFCurve::TypeInfo) ? static_cast<LyFCurve*>(wrapper) : nullptr;
}
void SetFCurve(void* p, LyFCurve* source) {
    velora::AnimationNode* node = HostNode(Self(p));
    velora::FCurve* curve = node && node->ChildCount() == 0 ? node->Curve(0) : nullptr;
    velora::Object* from = __LyHostObject(source);
    if (!curve || !from || from->ClassId() != velora::kClassFCurve) return;
    RecordForUndo(node);
    curve->CopyFrom(*static_cast<velora::FCurve*>(from));
}
LyAnimationNode* GetParent(void* p) {
    velora::AnimationNode* node = HostNode(Self(p));
    return node ? NodeWrapper(node->ParentNode()) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------

LyPropertyListAnimationNode& LyPropertyListAnimationNode::Init(LyAnimationNode* node, const char* name) {
    LyPropertyBasicList::Init(node, name);
    mNode = node;
    return *this;
}

int LyPropertyListAnimationNode::GetCount() { return mNode ? mNode->GetNodeCount() : 0; }
LyAnimationNode* LyPropertyListAnimationNode::GetAt(int index) { return mNode ? mNode->GetNode(index) : nullptr; }
void LyPropertyListAnimationNode::RemoveAt(int) {}

// ---------------------------------------------------------------------------

LyAnimationNode::LyAnimationNode(const char* name, HIObject object)
    : LyComponent(object ? object : NewHostNode(name)) {
    // A node made here belongs to this wrapper.
    if (!object) SetHIObject(GetHIObject(), true);
    InitProperties();
}

void LyAnimationNode::InitProperties() {
    velora::AnimationNode* node = HostNode(this);
    KeyCount.Init(this, "KeyCount", &GetKeyCountOf);
    UserName.Init(this, "UserName", &GetUserName);
    Label.Init(this, "Label", &GetLabel, &SetLabel);
    Live.Init(this, "Live", &GetLive, &SetLive);
    RecordMode.Init(this, "RecordMode", &GetRecordMode, &SetRecordMode);
    Reference.Init(this, "Reference", &GetReference, &SetReference);
    DefaultInterpolation.Init(this, "DefaultInterpolation", &GetDefaultInterpolation, &SetDefaultInterpolation);
    ConnectorType.Init(this, "ConnectorType", &GetConnectorType);
    FCurve.Init(this, "FCurve", &GetFCurve, &SetFCurve);
    Nodes.Init(this, "Nodes");
    Parent.Init(this, "Parent", &GetParent);
    OnChange.Init(this, node ? &node->Changes() : nullptr, "OnChange", velora::kEventCurveChanged, 0);
    for (LyProperty* p : std::initializer_list<LyProperty*>{&KeyCount, &UserName, &Label, &Live, &RecordMode,
                                                            &Reference, &DefaultInterpolation, &ConnectorType,
                                                            &FCurve, &Nodes, &Parent, &OnChange})
        PropertyAdd(p);
}

bool LyAnimationNode::KeyAdd(const LyTime& time, double* data, LyInterpolation interpolation,
                             LyTangentMode tangentMode) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data) return false;
    RecordForUndo(node);
    const std::uint32_t i = __LyInterpolationToHost(interpolation);
    const std::uint32_t flags = i | (i == velora::kKeyCubic ? __LyTangentToHost(tangentMode) : 0u);
    return node->KeyAdd(time.Get(), data, flags, LockMask(node));
}

bool LyAnimationNode::KeyAdd(double* data, LyInterpolation interpolation, LyTangentMode tangentMode) {
    return KeyAdd(LyTime(velora::CurrentTime()), data, interpolation, tangentMode);
}

bool LyAnimationNode::KeyCandidate(LyTime time) {
    velora::AnimationNode* node = HostNode(this);
    if (!node) return false;
    RecordForUndo(node);
    return node->KeyCandidate(time.Get(), LockMask(node));
}

bool LyAnimationNode::KeyRemove() { return KeyRemoveAt(LyTime::Infinity); }

bool LyAnimationNode::KeyRemoveAt(LyTime time) {
    velora::AnimationNode* node = HostNode(this);
    if (!node) return false;
    RecordForUndo(node);
    return node->KeyRemoveAt(time.Get(), LockMask(node));
}

bool LyAnimationNode::IsKey() {
    velora::AnimationNode* node = HostNode(this);
    return node && node->IsKey(velora::CurrentTime());
}

bool LyAnimationNode::SetCandidate(double* data, bool checkLock) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data || (checkLock && node->IsLocked())) return false;
    RecordForUndo(node);
    node->ClearCandidate();
    return node->SetCandidate(data, velora::CurrentTime(), checkLock);
}

// ---------------------------------------------------------------------------
// Data path. Reads and writes go through the node's own evaluation: its
// curves, its candidate and the connected property's stored value.

namespace {

const velora::EvaluationContext* ContextOf(LyEvaluateInfo* info) {
    return reinterpret_cast<const velora::EvaluationContext*>(info);
}

// The static value as doubles: the property's stored value, or the curves'
// defaults.
void StaticValue(velora::AnimationNode* node, double* out) {
    for (int i = 0; i < node->Channels(); ++i) {
        velora::FCurve* curve = node->Curve(i);
        out[i] = curve ? curve->DefaultValue() : 0.0;
    }
    velora::Property* property = node->ConnectedProperty();
    if (!property || node->ParentNode()) return;
    double raw[4];
    if (property->GetRaw(raw)) velora::ValueToDoubles(property->Type(), raw, out);
}

}  // namespace

bool LyAnimationNode::ReadData(double* data) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data) return false;
    StaticValue(node, data);
    return true;
}

bool LyAnimationNode::ReadData(double* data, LyEvaluateInfo* info, bool) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data) return false;
    const velora::EvaluationContext* context = ContextOf(info);
    const long long time = context ? context->time : velora::CurrentTime();
    double fallback[4] = {0, 0, 0, 0};
    StaticValue(node, fallback);
    return node->Evaluate(time, data, fallback) >= 0;
}

bool LyAnimationNode::ReadData(double* data, LyTime time, bool convertGlobalToLocal) {
    velora::EvaluationContext* context = velora::BeginBackgroundEvaluation(time.Get());
    const bool read = ReadData(data, reinterpret_cast<LyEvaluateInfo*>(context), convertGlobalToLocal);
    velora::EndBackgroundEvaluation(context);
    return read;
}

bool LyAnimationNode::WriteData(double* data, LyEvaluateInfo* info) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data) return false;
    if (!info) {
        velora::Property* property = node->ParentNode() ? nullptr : node->ConnectedProperty();
        if (!property) return false;
        double raw[4];
        property->GetRaw(raw);  // parts that are not members stay
        return velora::ValueFromDoubles(property->Type(), data, raw) && property->SetRaw(raw);
    }
    return node->SetCandidate(data, ContextOf(info)->time, false);
}

bool LyAnimationNode::WriteGlobalData(double* data, LyEvaluateInfo* info) { return WriteData(data, info); }

bool LyAnimationNode::Evaluate(double* data, LyTime time, bool evaluateCandidate) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data) return false;
    double fallback[4] = {0, 0, 0, 0};
    StaticValue(node, fallback);
    return node->Evaluate(time.Get(), data, fallback, 0, evaluateCandidate) >= 0;
}

LyTime LyAnimationNode::ConvertGlobalToNodeTime(LyTime time) { return time; }
LyTime LyAnimationNode::ConvertNodeToGlobalTime(LyTime time) { return time; }

int LyAnimationNode::GetSizeOfData() {
    velora::AnimationNode* node = HostNode(this);
    if (!node) return 0;
    velora::Property* property = node->ParentNode() ? nullptr : node->ConnectedProperty();
    return property ? static_cast<int>(property->Type()->ValueSize())
                    : static_cast<int>(sizeof(double)) * node->Channels();
}

int LyAnimationNode::GetDataDoubleArrayCount() {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->Channels() : 0;
}

bool LyAnimationNode::GetAnimationToPlay() {
    velora::AnimationNode* node = HostNode(this);
    if (!node || node->KeyCount() == 0) return false;
    velora::Property* property = node->ConnectedProperty();
    return !property || property->HasFlag(velora::kPropertyAnimated);
}

bool LyAnimationNode::GetAnimationToRecord() {
    velora::AnimationNode* node = HostNode(this);
    return node && node->NodeSettings().recordMode;
}

bool LyAnimationNode::IsEvaluationRecursive(LyEvaluateInfo*) { return false; }

void LyAnimationNode::DisableIfNotWritten(LyEvaluateInfo*) {
    if (velora::AnimationNode* node = HostNode(this)) node->NodeSettings().disableIfNotWritten = true;
}

void LyAnimationNode::SetBufferType(bool global) {
    if (velora::AnimationNode* node = HostNode(this)) node->NodeSettings().globalBuffer = global;
}

bool LyAnimationNode::GetBufferType() {
    velora::AnimationNode* node = HostNode(this);
    return node && node->NodeSettings().globalBuffer;
}

// ---------------------------------------------------------------------------

int LyAnimationNode::GetKeyCount() const {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->KeyCount() : 0;
}

int LyAnimationNode::GetNodeCount() const {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->ChildCount() : 0;
}

LyAnimationNode* LyAnimationNode::GetNode(int index) const {
    velora::AnimationNode* node = HostNode(this);
    return node ? NodeWrapper(node->ChildNode(index)) : nullptr;
}

LYSDK_END_NAMESPACE
