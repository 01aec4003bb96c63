// List properties.

#include <velora/object.h>

#include "lysdk/lycomponent.h"
#include "lysdk/lypropertylist.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

LyPropertyBasicList& LyPropertyBasicList::Init(void* parent, const char* name) {
    mParent = parent;
    mName = name;
    return *this;
}

void LyPropertyBasicList::RemoveAll() {
    // Stop when a removal is refused, rather than asking again forever.
    for (int count = GetCount(); count > 0;) {
        RemoveAt(count - 1);
        const int now = GetCount();
        if (now >= count) break;
        count = now;
    }
}

namespace {

velora::Plug* ListedPlug(void* parent) {
    return velora::AsPlug(static_cast<IObject*>(parent));
}

bool Accepts(int classId, velora::Plug* plug) {
    if (!plug) return false;
    return classId ? plug->IsA(classId) : plug->IsA(velora::kClassObject);
}

// The index-th plug of the filter class among the sources (or destinations).
velora::Plug* Nth(velora::Plug* host, bool parents, int classId, int index) {
    const int count = parents ? host->DstCount() : host->SrcCount();
    for (int i = 0, seen = 0; i < count; ++i) {
        velora::Plug* plug = parents ? host->Dst(i) : host->Src(i);
        if (!Accepts(classId, plug)) continue;
        if (seen++ == index) return plug;
    }
    return nullptr;
}

}  // namespace

LyPropertyListComponentBase::LyPropertyListComponentBase()
    : mClassId(LyComponent::GetInternalClassId()), mListOfParents(false) {}

int LyPropertyListComponentBase::GetCount() {
    velora::Plug* host = ListedPlug(mParent);
    if (!host) return 0;
    const int count = mListOfParents ? host->DstCount() : host->SrcCount();
    int matching = 0;
    for (int i = 0; i < count; ++i)
        if (Accepts(mClassId, mListOfParents ? host->Dst(i) : host->Src(i))) ++matching;
    return matching;
}

LyComponent* LyPropertyListComponentBase::GetAt(int index) {
    velora::Plug* host = ListedPlug(mParent);
    if (!host || index < 0) return nullptr;
    velora::Plug* plug = Nth(host, mListOfParents, mClassId, index);
    return plug && !plug->IsEnding() ? LyGetLyComponent(plug, true) : nullptr;
}

int LyPropertyListComponentBase::Add(LyComponent* component) {
    velora::Plug* host = ListedPlug(mParent);
    velora::Plug* item = component ? __LyHostPlug(component) : nullptr;
    if (!host || !item || !velora::AsObject(component->GetHIObject())) return GetCount();
    if (mListOfParents) {
        if (host->DstIndex(item) < 0) host->ConnectDst(item);
    } else {
        if (host->SrcIndex(item) < 0) host->ConnectSrc(item);
    }
    return GetCount();
}

void LyPropertyListComponentBase::RemoveAt(int index) {
    velora::Plug* host = ListedPlug(mParent);
    if (!host || index < 0 || index >= GetCount()) return;
    velora::Plug* plug = Nth(host, mListOfParents, mClassId, index);
    if (mListOfParents)
        host->DisconnectDst(plug);
    else
        host->DisconnectSrc(plug);
}

namespace {

velora::Property* ListProperty(const LyProperty* list) { return __LyHostProperty(list); }

velora::Plug* HostOf(LyComponent* component) {
    return component ? velora::AsObject(component->GetHIObject()) : nullptr;
}

}  // namespace

int LyPropertyListObject::GetCount() {
    velora::Property* host = ListProperty(this);
    return host ? host->Links().Count() : 0;
}

void LyPropertyListObject::RemoveAt(int index) {
    if (velora::Property* host = ListProperty(this)) host->Links().RemoveAt(index);
}

LyComponent* LyPropertyListObject::GetAt(int index) {
    velora::Property* host = ListProperty(this);
    velora::Plug* plug = host ? host->Links().At(index) : nullptr;
    return plug && !plug->IsEnding() ? LyGetLyComponent(plug, true) : nullptr;
}

LyComponent* LyPropertyListObject::operator[](int index) { return GetAt(index); }

int LyPropertyListObject::Add(LyComponent* component) {
    velora::Property* host = ListProperty(this);
    if (!host) return -1;
    return host->Links().Add(HostOf(component)) ? 1 : 0;
}

int LyPropertyListObject::InsertAt(int index, LyComponent* component) {
    velora::Property* host = ListProperty(this);
    if (!host) return -1;
    return host->Links().Insert(index, HostOf(component)) ? 1 : 0;
}

int LyPropertyListObject::SetAt(int index, LyComponent* component) {
    velora::Property* host = ListProperty(this);
    if (!host) return -1;
    return host->Links().SetAt(index, HostOf(component)) ? 1 : 0;
}

void LyPropertyListObject::Clear() {
    if (velora::Property* host = ListProperty(this)) host->Links().Clear();
}

int LyPropertyListObject::Find(LyComponent* component) {
    velora::Property* host = ListProperty(this);
    velora::Plug* item = HostOf(component);
    return host && item ? host->Links().Find(item) : -1;
}

int LyPropertyListObject::Remove(LyComponent* component) {
    const int at = Find(component);
    if (at >= 0) RemoveAt(at);
    return at;
}

int LyPropertyListObject::GetFilter() {
    velora::Property* host = ListProperty(this);
    return host ? host->Definition().ConnectionFilter() : -1;
}

void LyPropertyListObject::SetFilter(int classId) {
    if (velora::Property* host = ListProperty(this)) host->Definition().SetConnectionFilter(classId);
}

void LyPropertyListObject::SetSingleConnect(bool single) {
    if (velora::Property* host = ListProperty(this))
        host->Definition().SetAttribute(velora::kAttrSingleConnect, single);
}

int LyPropertyListObject::GetSingleConnect() {
    velora::Property* host = ListProperty(this);
    return host ? (host->Definition().IsSingleConnect() ? 1 : 0) : -1;
}

LYSDK_END_NAMESPACE
