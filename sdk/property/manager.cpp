// LyPropertyManager and the property wrapper factory.

#include <cstdint>
#include <vector>

#include <velora/object.h>
#include <velora/probe_table.h>

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

// Host property to its declared and on-demand wrappers, by open addressing:
// a power-of-two array probed linearly, at most half full, so finding the
// wrapper of a property reads one slot whatever the number of properties.
// An entry goes when both its wrappers are gone; removal shifts the
// following run back, leaving no tombstones.
//
// The wrapper found for a property of the manager's own object is also
// marked on the host property itself (Property::SetClient), under the
// index's generation: a lookup by name has just read that property, so the
// mark answers without a second table. The generation is new for every
// index and every clearing, so a mark left by a cleared or gone index never
// matches; marks are written only on properties of the manager's object
// while they live (an entry leaves the index when its property goes).
struct LyPropertyManager::Index {
    struct Slot {
        IObject* key = nullptr;
        LyProperty* declared = nullptr;
        LyProperty* onDemand = nullptr;
        bool owned = false;  // a property of the manager's object: marked
    };
    std::vector<Slot> slots;
    std::size_t count = 0;
    std::uint64_t generation = NextGeneration();

    static std::uint64_t NextGeneration() {
        static std::uint64_t last = 0;  // the main thread's, as the tables are
        return ++last;
    }

    /// Writes the wrapper found for an owned entry's property on it.
    void Mark(const Slot& slot) const {
        if (!slot.owned) return;
        static_cast<velora::Property*>(slot.key)->SetClient(
            generation, slot.declared ? slot.declared : slot.onDemand);
    }

    static std::size_t Home(const IObject* key, std::size_t mask) {
        // Fibonacci hashing of the address; its low bits are alignment.
        const auto bits = reinterpret_cast<std::uintptr_t>(key) >> 4;
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 20) & mask;
    }
    std::size_t Mask() const { return slots.size() - 1; }

    const Slot* Find(const IObject* key) const {
        if (slots.empty()) return nullptr;
        for (std::size_t i = Home(key, Mask());; i = (i + 1) & Mask()) {
            if (slots[i].key == key) return &slots[i];
            if (!slots[i].key) return nullptr;
        }
    }

    Slot& Put(IObject* key) {
        if (const Slot* found = Find(key)) return const_cast<Slot&>(*found);
        if (2 * (count + 1) > slots.size()) Grow();
        ++count;
        return Place(key);
    }

    /// Drops the entry of `key` when it has no wrapper left.
    void Tidy(IObject* key) {
        const Slot* found = Find(key);
        if (!found || found->declared || found->onDemand) return;
        velora::EraseAndShiftBack(
            slots, static_cast<std::size_t>(found - slots.data()),
            [](const Slot& slot) { return slot.key != nullptr; },
            [this](const Slot& slot) { return Home(slot.key, Mask()); });
        --count;
    }

    void Clear() {
        slots.clear();
        count = 0;
        generation = NextGeneration();
    }

private:
    Slot& Place(IObject* key) {
        std::size_t i = Home(key, Mask());
        while (slots[i].key) i = (i + 1) & Mask();
        slots[i].key = key;
        return slots[i];
    }
    void Grow() {
        std::vector<Slot> old(slots.empty() ? 16 : 2 * slots.size());
        old.swap(slots);
        for (const Slot& slot : old)
            if (slot.key) Place(slot.key) = slot;
    }
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
    velora::Property* host = object ? object->PropertyAt(index) : nullptr;
    return host ? WrapHost(host) : nullptr;
}

LyProperty* LyPropertyManager::Wrap(HIObject hostProperty) {
    velora::Property* host = velora::AsProperty(hostProperty);
    return host ? WrapHost(host) : nullptr;
}

LyProperty* LyPropertyManager::WrapHost(void* hostProperty) {
    // Called with live host properties only, mostly just found by name.
    auto* host = static_cast<velora::Property*>(hostProperty);
    const velora::Property::ClientMark& mark = host->Client();
    if (mIndex && mark.owner == mIndex->generation && mark.data) return static_cast<LyProperty*>(mark.data);
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
    if (velora::Property* exact = object->LookupProperty(name)) return WrapHost(exact);
    velora::Property* loose = object->FindPropertyNoCase(name, multiLanguage);
    return loose ? WrapHost(loose) : nullptr;
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
        if (LyProperty* wrapper = WrapHost(host)) out.Add(wrapper);
}

int LyPropertyManager::Add(LyProperty* property) {
    velora::Property* host = __LyHostProperty(property);
    if (!host) return -1;
    const velora::DataType* declared =
        velora::DataType::Get(__LyHostDataTypeOf(property->GetPropertyType()));
    if (declared && declared->Base() == host->Type()->Base()) {
        mDeclared.Add(property);
        if (!mIndex) mIndex = new Index;
        // The first declared wrapper of a host property is the one found.
        Index::Slot& slot = mIndex->Put(property->GetInternal());
        if (!slot.declared) slot.declared = property;
        slot.owned = host->OwnerObject() && host->OwnerObject() == HostObjectOf(mParent);
        mIndex->Mark(slot);
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
    const Index::Slot* slot = mIndex->Find(hostProperty);
    if (!slot) return nullptr;
    return slot->declared ? slot->declared : slot->onDemand;
}

void LyPropertyManager::AddToCache(LyProperty* property) {
    if (!property) return;
    mOnDemand.Add(property);
    if (!mIndex) mIndex = new Index;
    // The first wrapper of a host property is the one that is found.
    Index::Slot& slot = mIndex->Put(property->GetInternal());
    if (!slot.onDemand) slot.onDemand = property;
    velora::Property* host = __LyHostProperty(property);
    slot.owned = host && host->OwnerObject() && host->OwnerObject() == HostObjectOf(mParent);
    mIndex->Mark(slot);
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
    if (!mIndex || !mIndex->Find(hostProperty)) return;
    // Another wrapper of the same host property may remain in a list.
    Index::Slot& slot = mIndex->Put(hostProperty);
    slot.declared = nullptr;
    slot.onDemand = nullptr;
    for (int i = 0; i < mDeclared.GetCount() && !slot.declared; ++i)
        if (mDeclared[i]->GetInternal() == hostProperty) slot.declared = mDeclared[i];
    for (int i = 0; i < mOnDemand.GetCount() && !slot.onDemand; ++i)
        if (mOnDemand[i]->GetInternal() == hostProperty) slot.onDemand = mOnDemand[i];
    mIndex->Mark(slot);
    mIndex->Tidy(hostProperty);
}

void LyPropertyManager::ForgetDeclared() {
    mDeclared.Clear();
    if (!mIndex) return;
    // Only the on-demand wrappers are left to find.
    mIndex->Clear();
    for (int i = 0; i < mOnDemand.GetCount(); ++i) {
        Index::Slot& slot = mIndex->Put(mOnDemand[i]->GetInternal());
        if (!slot.onDemand) slot.onDemand = mOnDemand[i];
    }
}

void LyPropertyManager::ClearCache() {
    for (int i = 0; i < mOnDemand.GetCount(); ++i)
        if (mOnDemand[i]->mAllocated) delete mOnDemand[i];
    // Declared wrappers stay with their class; once the manager lets go of
    // the host object they must not keep its properties.
    for (int i = 0; i < mDeclared.GetCount(); ++i) mDeclared[i]->SetInternal(nullptr);
    mOnDemand.Clear();
    mDeclared.Clear();
    if (mIndex) mIndex->Clear();
}

LYSDK_END_NAMESPACE
