#ifndef LYSDK_PLUGIN_BRIDGE_H
#define LYSDK_PLUGIN_BRIDGE_H

// Internal: the bridge protocol, shared by every host-side class the library
// defines for extension objects.
//
// A bridge is a host object of a library-registered class. It finds its SDK
// object through its own wrapper-holder slot, forwards the host's plug
// notifications to it (a false answer refuses the change), answers whether
// it carries a custom (plug-in defined) class and under which name, and looks
// its properties up through a per-class name cache.
//
// Its end follows two flags of the host object:
//   - Destroy runs the host's end (the host's destruct step, which marks the
//     object kObjectDestructed and frees it) unless the object is locked
//     (kObjectLocked, 0x20); a locked bridge deletes itself instead, and
//   - the destructor runs the host's end itself unless the object already
//     went through it (kObjectDestructed, 0x40): out of the directory, the
//     SDK object told, properties and connections dropped, the slot
//     cleared; then the host base class's destructor runs.
// Either way the end runs exactly once.

#include <cstring>
#include <string>
#include <unordered_map>

#include <velora/property.h>

#include "core/host_classes.h"

LYSDK_BEGIN_NAMESPACE

/// Name to position of the properties that every instance of one bridge
/// class creates in the same order; a hit is checked against the object, a
/// miss falls back to the host's own lookup and is remembered.
class __LyPropertyNameCache {
public:
    velora::Property* Find(const velora::Object& object, const char* name) {
        if (!name) return nullptr;
        auto it = mPositions.find(name);
        if (it != mPositions.end()) {
            velora::Property* p = object.PropertyAt(it->second);
            if (p && std::strcmp(p->Name(), name) == 0) return p;
        }
        velora::Property* p = object.FindProperty(name);
        if (p) mPositions[name] = object.PropertyIndex(p);
        return p;
    }

private:
    std::unordered_map<std::string, int> mPositions;
};

/// `HostBase` is the host class the bridge implements; `Served` is the SDK
/// base class whose objects the bridge carries (a plain `Served` is not
/// custom, a plug-in subclass is).
template <class HostBase, class Served>
class __LyBridge : public __LyNotifying<HostBase> {
public:
    using __LyNotifying<HostBase>::__LyNotifying;

    void Destroy(int mode) override {
        if (!this->HasObjectFlags(velora::kObjectLocked)) {
            HostBase::Destroy(mode);
            return;
        }
        if (this->IsEnding()) return;  // re-entered while its end runs
        delete this;
    }

    ~__LyBridge() override {
        if (!this->HasObjectFlags(velora::kObjectDestructed)) this->End();
    }

    /// The SDK object bound to this host object, or null (before it exists
    /// or after it is gone).
    LyComponent* SdkObject() const {
        return GetLyComponent(const_cast<__LyBridge*>(this));
    }

    bool IsCustomObject() const override {
        const LyComponent* sdk = SdkObject();
        return sdk && sdk->GetTypeId() != Served::TypeInfo;
    }

    const char* CustomClassName() const override {
        return IsCustomObject() ? SdkObject()->ClassName() : nullptr;
    }

    const char* PropertyViewName() const override {
        const LyComponent* sdk = SdkObject();
        if (IsCustomObject() && sdk->UseCustomPropertyViewSet()) return sdk->ClassName();
        return HostBase::PropertyViewName();
    }

    /// Lookup by name through the bridge class's map.
    velora::Property* LookupProperty(const char* name) const override {
        static __LyPropertyNameCache cache;
        return cache.Find(*this, name);
    }
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_PLUGIN_BRIDGE_H
