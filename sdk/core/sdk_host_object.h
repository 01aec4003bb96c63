#ifndef LYSDK_CORE_SDK_HOST_OBJECT_H
#define LYSDK_CORE_SDK_HOST_OBJECT_H

// Internal: the host half of a component that an extension constructs
// without a host object.

#include "core/served_properties.h"
#include "plugin/bridge.h"

LYSDK_BEGIN_NAMESPACE

/// A plain host object of class "LySDKHostObject", following the bridge
/// protocol for LyComponent.
class LySDKHostObject final : public __LyBridge<velora::Object, LyComponent> {
public:
    static LySDKHostObject* Create(const char* name = nullptr) { return new LySDKHostObject(name); }

    // The host part first; the extension's own values only when it passed.
    bool Store(velora::dsx::ObjectStore& store) override {
        return velora::Object::Store(store) && __LyStoreServedProperties(SdkObject(), store);
    }
    bool Retrieve(velora::dsx::ObjectStore& store) override {
        return velora::Object::Retrieve(store) && __LyRetrieveServedProperties(SdkObject(), store);
    }

private:
    explicit LySDKHostObject(const char* name)
        : __LyBridge<velora::Object, LyComponent>(name, __LyHostClassIds::SDKHostObject) {}
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_CORE_SDK_HOST_OBJECT_H
