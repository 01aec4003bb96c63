// LyPropertyManager and the property wrapper factory.

#include <unordered_map>
#include <vector>

#include <velora/object.h>

#include "lysdk/lycomponent.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lypropertylist.h"
#include "lysdk/lypropertytyped.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// The animatable wrapper class for an animatable host property, chosen from
// its data type; null for the types that have no animatable family (their
// values cannot be keyed), which then get the plain classes.
LyProperty* NewAnimatableWrapperFor(const velora::Property& host) {
    switch (host.TypeId()) {
        case velora::kDataAction: return new LyPropertyAnimatableAction;
        case velora::kDataBool: return new LyPropertyAnimatableBool;
        case velora::kDataInt64: return new LyPropertyAnimatableInt64;
        case velora::kDataUInt64: return new LyPropertyAnimatableUInt64;
        case velora::kDataColor: return new LyPropertyAnimatableColor;
        case velora::kDataColorAndAlpha: return new LyPropertyAnimatableColorAndAlpha;
        case velora::kDataTime: return new LyPropertyAnimatableTime;
        case velora::kDataTimecode: return new LyPropertyAnimatableTimeCode;
        case velora::kDataEnum: return new LyPropertyAnimatableEnum;
        case velora::kDataInteger: return new LyPropertyAnimatableInt;
        case velora::kDataFloat: return new LyPropertyAnimatable;
        default: break;
    }
    switch (host.Type()->Base()->Id()) {
        case velora::kDataNumber: return new LyPropertyAnimatableDouble;
        case velora::kDataInteger: return new LyPropertyAnimatableInt;
        case velora::kDataVector2: return new LyPropertyAnimatableVector2d;
        case velora::kDataVector: return new LyPropertyAnimatableVector3d;
        case velora::kDataVector4: return new LyPropertyAnimatableVector4d;
        default: return nullptr;
    }
}

// The wrapper class for a host property, chosen from its data type: the
// animatable families for animatable host properties.
LyProperty* NewWrapperFor(const velora::Property& host) {
    if (host.IsAnimatable())
        if (LyProperty* animatable = NewAnimatableWrapperFor(host)) return animatable;
    switch (host.TypeId()) {
        case velora::kDataAction: return new LyPropertyAction;
        case velora::kDataBool: return new LyPropertyBool;
        case velora::kDataInt64: return new LyPropertyInt64;
        case velora::kDataUInt64: return new LyPropertyUInt64;
        case velora::kDataFloat: return new LyPropertyFloat;
        case velora::kDataColor: return new LyPropertyColor;
        case velora::kDataColorAndAlpha: return new LyPropertyColorAndAlpha;
        case velora::kDataTime: return new LyPropertyTime;
        case velora::kDataTimecode: return new LyPropertyTimeCode;
        case velora::kDataEnum: return new LyPropertyDefaultEnum;
        case velora::kDataInteger: return new LyPropertyInt;
        case velora::kDataString: return new LyPropertyString;
        case velora::kDataObject:
            if (host.Definition().IsList()) return new LyPropertyListObject;
            return new LyPropertyComponent;
        case velora::kDataReference:
        case velora::kDataEvent: return new LyProperty;
        case velora::kDataStringList: return new LyPropertyStringList;
        default: break;
    }
    switch (host.Type()->Base()->Id()) {
        case velora::kDataNumber: return new LyPropertyDouble;
        case velora::kDataInteger: return new LyPropertyInt;
        case velora::kDataVector2: return new LyPropertyVector2d;
        case velora::kDataVector: return new LyPropertyVector3d;
        case velora::kDataVector4: return new LyPropertyVector4d;
        default: return new LyProperty;
    }
}

velora::Object* HostObjectOf(HIObject object) { return velora::AsObject(object); }

}  // namespace

struct LyPropertyManager::Index {
    std::unordered_map<IObject*, LyProperty*> declared;
    std::unordered_map<IObject*, LyProperty*> onDemand;
};

LyPropertyManager::LyPropertyManager()
    : mParent(nullptr), mOnDemand(10), mDeclared(10), mIndex(nullptr) {}

LyPropertyManager::~LyPropertyManager() {
    ClearCache();
    mOnDemand.Clear();
    mDeclared.Clear();
    delete mIndex;
}

int LyPropertyManager::GetCount() const {
    velora::Object* object = HostObjectOf(mParent);
    return object ? object->PropertyCount() : 0;
}

LyProperty* LyPropertyManager::operator[](int index) {
    velora::Object* object = HostObjectOf(mParent);
    return object ? Wrap(object->PropertyAt(index)) : nullptr;
}

LyProperty* LyPropertyManager::Wrap(HIObject hostProperty) {
    velora::Property* host = velora::AsProperty(hostProperty);
    if (!host) return nullptr;
    if (LyProperty* known = FindInCache(host)) return known;
    LyProperty* wrapper = NewWrapperFor(*host);
    wrapper->SetInternal(host);
    wrapper->mAllocated = true;
    AddToCache(wrapper);
    return wrapper;
}

LyProperty* LyPropertyManager::Find(const char* name, bool multiLanguage) {
    velora::Object* object = HostObjectOf(mParent);
    if (!name || !object) return nullptr;
    if (velora::Property* exact = object->LookupProperty(name)) return Wrap(exact);
    return Wrap(object->FindPropertyNoCase(name, multiLanguage));
}

void LyPropertyManager::FindPropertiesByName(const char* pattern,
                                             LyArrayTemplate<LyProperty*>& out,
                                             bool multiLanguage) {
    velora::Object* object = HostObjectOf(mParent);
    if (!pattern || !*pattern || !object) return;
    out.Clear();
    if (!velora::HasWildcards(pattern)) return;
    std::vector<velora::Property*> matches;
    object->MatchProperties(pattern, multiLanguage, &matches);
    for (velora::Property* host : matches)
        if (LyProperty* wrapper = Wrap(host)) out.Add(wrapper);
}

int LyPropertyManager::Add(LyProperty* property) {
    velora::Property* host = __LyHostProperty(property);
    if (!host) return -1;
    const velora::DataType* declared =
        velora::DataType::Get(__LyHostDataTypeOf(property->GetPropertyType()));
    if (declared && declared->Base() == host->Type()->Base()) {
        mDeclared.Add(property);
        if (!mIndex) mIndex = new Index;
        mIndex->declared.emplace(property->GetInternal(), property);
    }
    return -1;
}

int LyPropertyManager::Remove(LyProperty* property) {
    if (property && property->IsInternal()) RemoveFromCache(property->GetInternal());
    return -1;
}

LyProperty* LyPropertyManager::FindInCache(HIObject hostProperty) const {
    if (!hostProperty || !mIndex) return nullptr;
    // The declared list wins over the on-demand one.
    auto declared = mIndex->declared.find(hostProperty);
    if (declared != mIndex->declared.end()) return declared->second;
    auto made = mIndex->onDemand.find(hostProperty);
    return made != mIndex->onDemand.end() ? made->second : nullptr;
}

void LyPropertyManager::AddToCache(LyProperty* property) {
    if (!property) return;
    mOnDemand.Add(property);
    if (!mIndex) mIndex = new Index;
    // The first wrapper of a host property is the one that is found.
    mIndex->onDemand.emplace(property->GetInternal(), property);
}

void LyPropertyManager::RemoveFromCache(HIObject hostProperty) {
    if (!hostProperty) return;
    // Every wrapper of that host property goes: declared ones leave their
    // list, the ones this manager made are deleted.
    for (int i = mDeclared.GetCount() - 1; i >= 0; --i)
        if (mDeclared[i]->GetInternal() == hostProperty) mDeclared.RemoveAt(i);
    for (int i = mOnDemand.GetCount() - 1; i >= 0; --i) {
        LyProperty* wrapper = mOnDemand[i];
        if (wrapper->GetInternal() != hostProperty) continue;
        mOnDemand.RemoveAt(i);
        if (wrapper->mAllocated) delete wrapper;
    }
    Reindex(hostProperty);
}

void LyPropertyManager::SetParent(HIObject hostObject) {
    if (!hostObject) ClearCache();
    mParent = hostObject;
}

void LyPropertyManager::Reindex(HIObject hostProperty) {
    if (!mIndex) return;
    mIndex->declared.erase(hostProperty);
    mIndex->onDemand.erase(hostProperty);
    // Another wrapper of the same host property may remain in a list.
    for (int i = 0; i < mDeclared.GetCount(); ++i)
        if (mDeclared[i]->GetInternal() == hostProperty) {
            mIndex->declared.emplace(hostProperty, mDeclared[i]);
            break;
        }
    for (int i = 0; i < mOnDemand.GetCount(); ++i)
        if (mOnDemand[i]->GetInternal() == hostProperty) {
            mIndex->onDemand.emplace(hostProperty, mOnDemand[i]);
            break;
        }
}

void LyPropertyManager::ForgetDeclared() {
    mDeclared.Clear();
    if (mIndex) mIndex->declared.clear();
}

void LyPropertyManager::ClearCache() {
    for (int i = 0; i < mOnDemand.GetCount(); ++i)
        if (mOnDemand[i]->mAllocated) delete mOnDemand[i];
    // Declared wrappers stay with their class; once the manager lets go of
    // the host object they must not keep its properties.
    for (int i = 0; i < mDeclared.GetCount(); ++i) mDeclared[i]->SetInternal(nullptr);
    mOnDemand.Clear();
    mDeclared.Clear();
    if (mIndex) {
        mIndex->declared.clear();
        mIndex->onDemand.clear();
    }
}

LYSDK_END_NAMESPACE
