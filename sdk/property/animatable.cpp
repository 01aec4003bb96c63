// LyPropertyAnimatable: keying, animation state, focus, muting, colours and
// candidates of host evaluation properties.

#include <velora/animation.h>
#include <velora/take.h>

#include "lysdk/lyanimationnode.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lytake.h"
#include "core/host_access.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyPropertyAnimatable, velora::kClassProperty)

namespace {

// An LyEvaluateInfo is the host's evaluation context seen from the SDK; the
// SDK never looks inside it. Null means the global display evaluation.
const velora::EvaluationContext* ContextOf(LyEvaluateInfo* info) {
    return reinterpret_cast<const velora::EvaluationContext*>(info);
}

constexpr std::uint32_t kLockBits = velora::kPropertyLockAll;
constexpr std::uint32_t kMuteBits = velora::kPropertyMuteAll;

}  // namespace

LyPropertyAnimatable* LyPropertyAnimatable::Init(LyBox* box, const char* name, const char* dataTypeName,
                                                 double* defaultValue) {
    // Every box is a component at the same address (boxes derive from
    // LyComponent alone), so a box pointer is its component's.
    return Init(reinterpret_cast<LyComponent*>(box), name, dataTypeName, defaultValue);
}

LyPropertyAnimatable* LyPropertyAnimatable::Init(LyComponent* owner, const char* name,
                                                 const char* dataTypeName, double* defaultValue) {
    velora::Object* object = __LyHostObject(owner);
    const velora::DataType* type = dataTypeName ? velora::DataType::Find(dataTypeName) : nullptr;
    if (!object || !type || !name || !*name) return this;
    velora::Property* host = object->FindProperty(name);
    if (host && host->Type() != type) return this;  // the name is taken by another kind of value
    if (!host) host = object->CreateProperty(name, type->Id(), velora::kCreateAnimatable);
    if (!host) return this;
    SetInternal(host);
    mName = name;
    mParent = owner;
    owner->PropertyAdd(this);
    if (defaultValue) {
        double raw[4] = {0, 0, 0, 0};
        if (velora::ValueFromDoubles(type, defaultValue, raw))
            velora::SetPropertyCandidate(host, raw, nullptr);
    }
    return this;
}

LyPropertyAnimatable* LyPropertyAnimatable::InitInternal(HIObject hostProperty) {
    SetInternal(hostProperty);
    return this;
}

LyPropertyDataType* LyPropertyAnimatable::GetDataType() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? reinterpret_cast<LyPropertyDataType*>(const_cast<velora::DataType*>(host->Type())) : nullptr;
}

void LyPropertyAnimatable::GetData(void* data, int, LyEvaluateInfo* info) const {
    velora::Property* host = __LyHostProperty(this);
    if (host && data) velora::EvaluateProperty(host, data, ContextOf(info));
}

void LyPropertyAnimatable::SetData(void* data) {
    velora::Property* host = __LyHostProperty(this);
    if (host && data) velora::WritePropertyValue(host, data);
}

int LyPropertyAnimatable::GetDataSize() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? static_cast<int>(host->Type()->ValueSize()) : 0;
}

const char* LyPropertyAnimatable::GetDataTypeName() const {
    velora::Property* host = __LyHostProperty(this);
    return host ? host->Type()->Name() : nullptr;
}

bool LyPropertyAnimatable::IsAnimated() const {
    velora::Property* host = __LyHostProperty(this);
    return host && host->HasFlag(velora::kPropertyAnimated);
}

void LyPropertyAnimatable::SetAnimated(bool animated, bool respectLock) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return;
    if (respectLock && (host->Flags() & kLockBits)) return;
    velora::SetPropertyAnimated(host, animated);
}

LyAnimationNode* LyPropertyAnimatable::GetAnimationNode(LyTake* take) const {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return nullptr;
    velora::AnimationNode* node = velora::PropertyAnimationNode(host);
    if (take) {
        // That take's node (on its current layer).
        velora::Object* object = __LyHostObject(take);
        if (!object || object->ClassId() != velora::kClassTake) return nullptr;
        node = velora::TakeNode(host, static_cast<velora::Take*>(object));
    }
    LyPlug* wrapper = __LyWrap(node);
    return wrapper && wrapper->Is(LyAnimationNode::TypeInfo) ? static_cast<LyAnimationNode*>(wrapper) : nullptr;
}

void LyPropertyAnimatable::Key() { KeyAt(LyTime::Infinity); }

void LyPropertyAnimatable::KeyAt(LyTime time) {
    if (!IsInternal()) return;
    // The current layer gets a node when it has none.
    if (!IsAnimated() || !GetAnimationNode()) SetAnimated(true, false);
    if (LyAnimationNode* node = GetAnimationNode()) node->KeyCandidate(time);
}

void LyPropertyAnimatable::KeyRemoveAt(LyTime time) {
    if (!IsInternal()) return;
    if (!IsAnimated()) SetAnimated(true, false);
    if (LyAnimationNode* node = GetAnimationNode()) node->KeyRemoveAt(time);
}

void LyPropertyAnimatable::SetCandidate(void* data, int, LyEvaluateInfo* info) {
    velora::Property* host = __LyHostProperty(this);
    if (host && data) velora::SetPropertyCandidate(host, data, ContextOf(info));
}

void LyPropertyAnimatable::SetGlobalCandidate(void* data, int size, LyEvaluateInfo* info) {
    SetCandidate(data, size, info);
}

LyBox* LyPropertyAnimatable::GetBox() const {
    velora::Property* host = __LyHostProperty(this);
    velora::Object* owner = host ? host->OwnerObject() : nullptr;
    if (!owner || !owner->IsA(velora::kClassBox)) return nullptr;
    return reinterpret_cast<LyBox*>(LyGetLyComponent(owner, true));
}

bool LyPropertyAnimatable::IsFocused() const {
    velora::Property* host = __LyHostProperty(this);
    return host && velora::KeyingSelection::Instance().IsFocused(host);
}

bool LyPropertyAnimatable::IsFocusedChild(int index) const {
    velora::Property* host = __LyHostProperty(this);
    if (!host || index < 0 || index >= host->MemberCount()) return false;
    return velora::KeyingSelection::Instance().IsMemberFocused(host, index);
}

void LyPropertyAnimatable::SetFocus(bool focus) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return;
    velora::KeyingSelection& selection = velora::KeyingSelection::Instance();
    const int members = host->MemberCount();
    if (!focus) {
        for (int i = 0; i < members; ++i)
            if (IsFocusedChild(i)) {
                selection.Remove(host, -1);
                return;
            }
    }
    if (IsFocused() != focus) {
        if (focus) selection.Add(host, -1);
        else selection.Remove(host, -1);
        return;
    }
    if (focus) return;
    // Nothing focused: drop the editors' marks of the property.
    velora::PropertyViewMarks& marks = velora::PropertyViewMarks::Instance();
    velora::Object* owner = host->OwnerObject();
    if (!marks.IsMarked(owner, host, -1)) return;
    marks.Clear(owner, host, -1);
    for (int i = 0; i < members; ++i) marks.Clear(owner, host, i);
}

bool LyPropertyAnimatable::SetFocusChild(int index, bool focus) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || index < 0 || index >= host->MemberCount()) return false;
    if (IsFocusedChild(index) == focus) {
        if (focus) return false;
        velora::PropertyViewMarks& marks = velora::PropertyViewMarks::Instance();
        velora::Object* owner = host->OwnerObject();
        if (!marks.IsMarked(owner, host, -1)) return false;
        for (int i = 0; i < host->MemberCount(); ++i) marks.Clear(owner, host, index);
        if (marks.AnyMemberMarked(owner, host)) marks.Clear(owner, host, -1);
        return true;
    }
    if (focus) velora::KeyingSelection::Instance().Add(host, index);
    else velora::KeyingSelection::Instance().Remove(host, index);
    return true;
}

bool LyPropertyAnimatable::AllowsMuting() const {
    velora::Property* host = __LyHostProperty(this);
    return host && velora::AllowsMuting(host);
}

bool LyPropertyAnimatable::IsMuted() const {
    velora::Property* host = __LyHostProperty(this);
    return host && (host->Flags() & kMuteBits) == kMuteBits;
}

bool LyPropertyAnimatable::HasSomethingMuted() const {
    velora::Property* host = __LyHostProperty(this);
    return host && (host->Flags() & kMuteBits) != 0;
}

bool LyPropertyAnimatable::IsMemberMuted(int index) const {
    velora::Property* host = __LyHostProperty(this);
    if (!host || index < 0 || index >= host->MemberCount() || index > 3) return false;
    return host->HasFlag(velora::kPropertyMuteMember0 << index);
}

void LyPropertyAnimatable::SetMuted(bool muted) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return;
    if (muted && !velora::AllowsMuting(host)) return;
    if (host->Flags() & kLockBits) return;
    if (!host->HasFlag(velora::kPropertyAnimated)) return;
    velora::SetPropertyMuted(host, muted);
}

void LyPropertyAnimatable::SetMemberMuted(int index, bool muted) {
    velora::Property* host = __LyHostProperty(this);
    if (!host || (muted && !velora::AllowsMuting(host))) return;
    const int members = host->MemberCount();
    if (index < 0) {
        bool all = members > 0;
        for (int i = 0; i < members; ++i) all = all && host->IsMemberLocked(i);
        if (all) return;
    } else if (host->IsMemberLocked(index)) {
        return;
    }
    if (!host->HasFlag(velora::kPropertyAnimated) || index < 0 || index >= members) return;
    velora::SetPropertyMemberMuted(host, index, muted);
}

LyColor LyPropertyAnimatable::GetColor(int index) const {
    velora::Property* host = __LyHostProperty(this);
    float rgb[3];
    if (!host || !velora::GetPropertyMemberColor(host, index, rgb)) return LyColor();
    return LyColor(rgb[0], rgb[1], rgb[2]);
}

bool LyPropertyAnimatable::SetColor(const LyColor& color, int index) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return false;
    const float rgb[3] = {static_cast<float>(color[0]), static_cast<float>(color[1]), static_cast<float>(color[2])};
    if (index != -1) return velora::SetPropertyMemberColor(host, index, rgb);
    bool changed = false;
    for (int i = 0; i < host->MemberCount(); ++i)
        changed = velora::SetPropertyMemberColor(host, i, rgb) || changed;
    return changed;
}

bool LyPropertyAnimatable::ResetColor(int index) {
    velora::Property* host = __LyHostProperty(this);
    if (!host) return false;
    if (index != -1) return velora::ResetPropertyMemberColor(host, index);
    bool reset = false;
    for (int i = 0; i < host->MemberCount(); ++i) reset = velora::ResetPropertyMemberColor(host, i) || reset;
    return reset;
}

void LyPropertyAnimatable::Destroy(int) {}

LYSDK_END_NAMESPACE
