#ifndef LYSDK_PLUGIN_DEVICE_BRIDGE_H
#define LYSDK_PLUGIN_DEVICE_BRIDGE_H

// Internal: "__LyDevice", the host device that carries a plug-in's LyDevice.
//
// The host's codes reach the plug-in through fixed tables (commands,
// transport codes, input/output actions); a host code without a row
// reaches no hook. Besides the host device's own interfaces it answers the
// scene-storage interface (1001) and the model-template interface (4439),
// and keeps "CommType" and the "Icon" model read from a scene file.

#include <velora/device.h>

#include "lysdk/lydevice.h"
#include "plugin/bridge.h"

LYSDK_BEGIN_NAMESPACE

/// SDK operation for a host command code, and back (-1: no row).
int __LyDeviceOperationOfCommand(int code);
int __LyDeviceCommandOfOperation(int operation);
/// SDK transport mode for a host transport code (-1: no row).
int __LyDeviceTransportModeOf(int code);
/// SDK input/output action for a host action (-1: no row).
int __LyDeviceIOOf(int action);

class __LyDeviceBridge;

/// The model-template interface: the binding template, bound and unbound
/// with the plug-in's consent.
class __LyModelTemplateBinding final : public IObject {
public:
    explicit __LyModelTemplateBinding(__LyDeviceBridge* owner) : mOwner(owner) {}
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    void Destroy(int) override {}
    /// The first template's host node, or null.
    velora::ModelTemplate* Get() const;
    /// Matches `node` to `model` (null: the host builds the models) and, when
    /// it then has a model and the plug-in agrees, keeps it bound.
    bool Bind(velora::ModelTemplate* node, velora::Model* model);
    /// Unbinds `node` when the plug-in agrees.
    bool Unbind(velora::ModelTemplate* node);

private:
    __LyDeviceBridge* mOwner;
};

class __LyDeviceBridge final : public __LyBridge<velora::Device, LyDevice> {
public:
    static __LyDeviceBridge* Create(const char* name);

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    bool DeviceCommand(int code) override;
    void TransportNotify(int code, long long time, long long systemTime) override;
    void DeviceIO(int action, velora::DeviceNotifyRecord& record) override;
    bool DeviceEvaluate(int code, const velora::EvaluationContext& context) override;
    void RecordingPrepare(velora::AnimationNode* node) override;
    void RecordingEnd(velora::AnimationNode* node) override;
    bool EvaluateConnector(velora::AnimationNode* output, const velora::EvaluationContext& context) override;
    bool StoreBox(velora::dsx::ObjectStore& store) override;
    bool RetrieveBox(velora::dsx::ObjectStore& store) override;

    /// The host device's own handling of a command, past the plug-in.
    bool BaseCommand(int code) { return velora::Device::DeviceCommand(code); }
    __LyModelTemplateBinding& Templates() { return mTemplates; }
    LyDevice* Sdk() const;

    int mCommType = 32;
    velora::PlugHandle mIcon;

private:
    explicit __LyDeviceBridge(const char* name);
    __LyModelTemplateBinding mTemplates{this};
};

/// The bridge behind a device wrapper, or null when its host object is not
/// one.
__LyDeviceBridge* __LyDeviceBridgeOf(const LyPlug* device);

LYSDK_END_NAMESPACE

#endif  // LYSDK_PLUGIN_DEVICE_BRIDGE_H
