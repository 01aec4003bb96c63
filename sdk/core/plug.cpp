// LyPlug, its script-wrapper holder, weak handles and plug lists.

#include <vector>

#include "core/host_access.h"
#include "lysdk/lymemory.h"

LYSDK_BEGIN_NAMESPACE

LyScriptWrapper::~LyScriptWrapper() = default;

LyWrapperHolder::LyWrapperHolder() : mWrappers(10) {}

LyWrapperHolder::~LyWrapperHolder() {
    // Tell every attachment, duplicates included, in list order.
    for (int i = 0; i < mWrappers.GetCount(); ++i)
        static_cast<LyScriptWrapper*>(mWrappers[i])->WrappedObjectDestroyed();
    mWrappers.Clear();
}

void LyWrapperHolder::AddWrapper(LyScriptWrapper* wrapper) { mWrappers.Add(wrapper); }

void LyWrapperHolder::RemoveWrapper(LyScriptWrapper* wrapper) { mWrappers.RemoveIt(wrapper); }

LyScriptWrapper* LyWrapperHolder::GetWrapper() const {
    return mWrappers.GetCount() ? static_cast<LyScriptWrapper*>(mWrappers[0]) : nullptr;
}

const char* LyPlug::ClassGroupName = "Plug";

LyPlug::LyPlug(HIObject object) : mAllocated(true), mHIObject(object), mSDKComponent(false) {}

LyPlug::~LyPlug() = default;

IObject* LyPlug::IQuery(std::uint32_t id, int) {
    switch (id) {
        case lyiface::kIdSelf:
        case lyiface::kIdCallback:
        case kLyIdWrapper:
            return static_cast<ICallback*>(this);
        case lyiface::kIdPlug:
            return mHIObject;
        default:
            return nullptr;
    }
}

void LyPlug::Destroy(int) {
    SetHIObject(nullptr, false);
    if (mAllocated) delete this;
}

HIObject LyPlug::GetHIObject() const { return mHIObject; }
bool LyPlug::SetHIObject(HIObject, bool) { return true; }
const char* LyPlug::ClassName() const { return "LyPlug"; }
bool LyPlug::Is(int typeId) const { return typeId == TypeInfo; }
int LyPlug::GetTypeId() const { return TypeInfo; }

bool LyPlug::PlugDataNotify(LyConnectionAction, LyPlug*, void*, void*, int) { return true; }
bool LyPlug::PlugStateNotify(LyConnectionAction, LyPlug*, void*, void*, int) { return true; }
bool LyPlug::PlugNotify(LyConnectionAction, LyPlug*, int, LyPlug*, LyConnectionType, LyPlug*) {
    return true;
}

void LyPlug::LyDelete() {}

int LyPlug::GetInternalClassId() { return velora::kClassPlug; }

void LyPlug::PrintClassDefinitions() {
    velora::ClassRegistry::Instance().Print(velora::Trace::Instance());
}

namespace {

bool InRange(int index, int count) { return index >= 0 && index < count; }

velora::Plug* HostOf(LyPlug* plug) { return __LyHostPlug(plug); }

}  // namespace

int LyPlug::GetSrcCount() {
    velora::Plug* host = HostOf(this);
    return host ? host->SrcCount() : 0;
}

LyPlug* LyPlug::GetSrc(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->SrcCount())) return nullptr;
    return __LyWrap(host->Src(index));
}

LyConnectionType LyPlug::GetSrcType(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->SrcCount())) return kLyConnectionTypeNone;
    return static_cast<LyConnectionType>(host->SrcType(index));
}

bool LyPlug::ConnectSrc(LyPlug* plug, LyConnectionType type) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    if (!host || !other || host->SrcIndex(other) >= 0) return false;
    return host->ConnectSrc(other, type);
}

bool LyPlug::ConnectSrcAt(int index, LyPlug* plug, LyConnectionType type) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    if (!host || !other || host->SrcIndex(other) >= 0) return false;
    return host->ConnectSrcAt(index, other, type);
}

bool LyPlug::DisconnectSrc(LyPlug* plug) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    return host && other && host->DisconnectSrc(other);
}

bool LyPlug::DisconnectSrcAt(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->SrcCount())) return false;
    return host->DisconnectSrcAt(index);
}

void LyPlug::DisconnectAllSrc() {
    if (velora::Plug* host = HostOf(this)) host->DisconnectAllSrc();
}

bool LyPlug::ReplaceSrcAt(int index, LyPlug* plug) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->SrcCount())) return false;
    velora::Plug* other = HostOf(plug);
    if (!other || host->SrcIndex(other) >= 0) return false;
    return host->ReplaceSrcAt(index, other);
}

bool LyPlug::SwapSrc(int index, int otherIndex) {
    if (index == otherIndex) return false;
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->SrcCount()) || !InRange(otherIndex, host->SrcCount()))
        return false;
    return host->SwapSrc(index, otherIndex);
}

bool LyPlug::MoveSrcAt(int from, int to) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(from, host->SrcCount()) || !InRange(to, host->SrcCount())) return false;
    return host->MoveSrcAt(from, to);
}

bool LyPlug::MoveSrcAt(LyPlug* plug, LyPlug* beforePlug) {
    velora::Plug* host = HostOf(this);
    velora::Plug* moved = HostOf(plug);
    velora::Plug* before = HostOf(beforePlug);
    if (!host || !moved || !before) return false;
    return host->MoveSrcAt(moved, before);
}

int LyPlug::GetDstCount() {
    velora::Plug* host = HostOf(this);
    return host ? host->DstCount() : 0;
}

LyPlug* LyPlug::GetDst(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->DstCount())) return nullptr;
    return __LyWrap(host->Dst(index));
}

LyConnectionType LyPlug::GetDstType(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->DstCount())) return kLyConnectionTypeNone;
    return static_cast<LyConnectionType>(host->DstType(index));
}

bool LyPlug::ConnectDst(LyPlug* plug, LyConnectionType type) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    if (!host || !other || host->DstIndex(other) >= 0) return false;
    return host->ConnectDst(other, type);
}

bool LyPlug::ConnectDstAt(int index, LyPlug* plug, LyConnectionType type) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    if (!host || !other || host->DstIndex(other) >= 0) return false;
    return host->ConnectDstAt(index, other, type);
}

bool LyPlug::DisconnectDst(LyPlug* plug) {
    velora::Plug* host = HostOf(this);
    velora::Plug* other = HostOf(plug);
    return host && other && host->DisconnectDst(other);
}

bool LyPlug::DisconnectDstAt(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->DstCount())) return false;
    return host->DisconnectDstAt(index);
}

void LyPlug::DisconnectAllDst() {
    if (velora::Plug* host = HostOf(this)) host->DisconnectAllDst();
}

bool LyPlug::ReplaceDstAt(int index, LyPlug* plug) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->DstCount())) return false;
    velora::Plug* other = HostOf(plug);
    if (!other || host->DstIndex(other) >= 0) return false;
    return host->ReplaceDstAt(index, other);
}

LyPlug* LyPlug::GetOwner() {
    velora::Plug* host = HostOf(this);
    return host ? __LyWrap(host->Owner()) : nullptr;
}

int LyPlug::GetOwnedCount() {
    velora::Plug* host = HostOf(this);
    return host ? host->OwnedCount() : 0;
}

LyPlug* LyPlug::GetOwned(int index) {
    velora::Plug* host = HostOf(this);
    if (!host || !InRange(index, host->OwnedCount())) return nullptr;
    return __LyWrap(host->Owned(index));
}

bool LyPlug::BeginChange() {
    velora::Plug* host = HostOf(this);
    return host && host->BeginChange();
}

void LyPlug::EndChange() {
    if (velora::Plug* host = HostOf(this)) host->EndChange();
}

namespace {

bool GetMasked(velora::Plug* host, unsigned int flag, unsigned int mask) {
    return host && (host->ModFlags() & flag & mask) != 0;
}

void SetMasked(velora::Plug* host, unsigned int flag, unsigned int mask, bool on) {
    if (!host) return;
    if (on)
        host->ModFlags() |= flag & mask;
    else
        host->ModFlags() &= ~(flag & mask);
}

}  // namespace

bool LyPlug::GetContentModified(unsigned int flag) {
    return GetMasked(HostOf(this), flag, kLyContentModifiedMask);
}
void LyPlug::SetContentModified(unsigned int flag, bool on) {
    SetMasked(HostOf(this), flag, kLyContentModifiedMask, on);
}
bool LyPlug::GetSelfModified(unsigned int flag) {
    return GetMasked(HostOf(this), flag, kLySelfModifiedMask);
}
void LyPlug::SetSelfModified(unsigned int flag, bool on) {
    SetMasked(HostOf(this), flag, kLySelfModifiedMask, on);
}
bool LyPlug::GetStatusFlag(unsigned int flag) {
    return GetMasked(HostOf(this), flag, kLyStatusFlagMask);
}
void LyPlug::SetStatusFlag(unsigned int flag, bool on) {
    SetMasked(HostOf(this), flag, kLyStatusFlagMask, on);
}

bool LyPlug::RevertModification(unsigned int flag) {
    velora::Plug* host = HostOf(this);
    return host && host->RevertModification(flag);
}

int LyPlug::GetPlugConnectionModifiedList(LyArrayTemplate<LyPlug*>& list, unsigned int flag,
                                          bool added) {
    list.Clear();
    velora::Plug* host = HostOf(this);
    if (!host) return 0;
    // A property belongs to its owner's file reference; an object to its own.
    velora::Plug* ownerPlug = host->IsA(velora::kClassProperty) ? host->Owner() : host;
    velora::Object* owner = velora::AsObject(ownerPlug);
    if (!owner) return 0;
    velora::FileReference* reference = owner->OwnerFileReference();
    if (!reference) return 0;
    const velora::PlugSnapshot* snapshot = reference->Snapshot(host);
    if (!snapshot) return 0;
    std::vector<velora::Plug*> modified;
    snapshot->CollectModified(flag, added, modified);
    for (velora::Plug* plug : modified)
        if (LyPlug* wrapper = __LyWrap(plug)) list.Add(wrapper);
    return list.GetCount();
}

bool LyPlug::IsSDKComponent() const { return mSDKComponent; }

bool LyConnect(LyPlug* first, LyPlug* second, LyConnectionType type) {
    velora::Plug* src = __LyHostPlug(first);
    velora::Plug* dst = __LyHostPlug(second);
    return src && dst && velora::Connect(src, dst, type);
}

bool LyDisconnect(LyPlug* first, LyPlug* second) {
    velora::Plug* src = __LyHostPlug(first);
    velora::Plug* dst = __LyHostPlug(second);
    return src && dst && velora::Disconnect(src, dst);
}

LyArrayTemplate<LyPlug*>* LyCreatePlugList() { return new LyArrayTemplate<LyPlug*>(10); }

void LyDestroyPlugList(LyArrayTemplate<LyPlug*>* list) { delete list; }

// The owned host handle of HdlLyPlug.
struct __LyHostPlugHandle {
    velora::PlugHandle handle;
};

HdlLyPlug::HdlLyPlug(LyPlug* plug) : mHandle(nullptr) { SetPlug(plug); }

HdlLyPlug::HdlLyPlug(const HdlLyPlug& other) : mHandle(nullptr) { SetPlug(other.GetPlug()); }

HdlLyPlug::~HdlLyPlug() { delete mHandle; }

HdlLyPlug& HdlLyPlug::operator=(const HdlLyPlug& other) {
    if (this != &other) SetPlug(other.GetPlug());
    return *this;
}

HdlLyPlug& HdlLyPlug::operator=(LyPlug* plug) {
    SetPlug(plug);
    return *this;
}

bool HdlLyPlug::Ok() const { return mHandle && mHandle->handle.Valid(); }

LyPlug* HdlLyPlug::GetPlug() const { return Ok() ? __LyWrap(mHandle->handle.Get()) : nullptr; }

void HdlLyPlug::SetPlug(LyPlug* plug) {
    velora::Plug* host = __LyHostPlug(plug);
    if (!mHandle) {
        if (!host) return;
        mHandle = new __LyHostPlugHandle;
    }
    mHandle->handle.Reset(host);
}

bool HdlLyPlug::Is(int typeId) const {
    LyPlug* plug = GetPlug();
    return plug && plug->Is(typeId);
}

LYSDK_END_NAMESPACE
