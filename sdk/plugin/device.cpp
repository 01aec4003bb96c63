// LyDevice, its instruments, the glove preset, and the "__LyDevice" bridge
// that forwards the host's device cycle to a plug-in's device.

#include "lysdk/lydevice.h"

#include <velora/device.h>
#include <velora/event_records.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/scene.h>
#include <velora/scene_storage.h>

#include "core/host_access.h"
#include "core/served_properties.h"
#include "lysdk/lymodel.h"
#include "plugin/box_bridge.h"
#include "plugin/device_bridge.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyDevice, velora::kClassDevice)
LYSDK_CLASS_IMPLEMENT(LyDeviceInstrument, velora::kClassObject)
LYSDK_CLASS_IMPLEMENT(LyDeviceGlove, velora::kClassDevice)

static_assert(sizeof(LyTime) == sizeof(long long), "a notify record's times are read as LyTime");

// ---------------------------------------------------------------------------
// Code translations: one fixed table each way. Codes without a row answer -1.

namespace {

constexpr int kOperationOfCommand[] = {0, 5, 1, 3, 4, 2};  // host command code -> SDK operation
constexpr int kCommandOfOperation[] = {0, 2, 5, 3, 4, 1};  // SDK operation -> host command code
constexpr int kModeOfTransport[] = {4, 0, 1, 3, 2, -1, -1, -1, -1, 6, -1, -1, 5};  // host transport code -> SDK mode
constexpr int kIOOfAction[] = {0, 2, 1, 3};  // host input/output action -> SDK action

template <std::size_t N>
int Row(const int (&table)[N], int code) {
    return code >= 0 && code < static_cast<int>(N) ? table[code] : -1;
}

}  // namespace

int __LyDeviceOperationOfCommand(int code) { return Row(kOperationOfCommand, code); }
int __LyDeviceCommandOfOperation(int operation) { return Row(kCommandOfOperation, operation); }
int __LyDeviceTransportModeOf(int code) { return Row(kModeOfTransport, code); }
int __LyDeviceIOOf(int action) { return Row(kIOOfAction, action); }

namespace {

LyEvaluateInfo* InfoOf(const velora::EvaluationContext& context) {
    return reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(&context));
}

template <class T>
T* WrapperOf(velora::Plug* plug) {
    LyPlug* wrapper = __LyWrap(plug);
    return wrapper && wrapper->Is(T::TypeInfo) ? static_cast<T*>(wrapper) : nullptr;
}

velora::Device* HostDevice(const LyPlug* plug) {
    IObject* object = plug ? plug->GetHIObject() : nullptr;
    velora::Object* host = object ? velora::AsObject(object) : nullptr;
    velora::Device* device = velora::AsDevice(host);
    return device && !device->IsEnding() ? device : nullptr;
}

velora::ModelTemplate* HostTemplate(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::ModelTemplate::ClassIdOf() && !object->IsEnding()
               ? static_cast<velora::ModelTemplate*>(object)
               : nullptr;
}

velora::DeviceManager& Manager() { return velora::EvaluationManager::Instance().Devices(); }

}  // namespace

__LyDeviceBridge* __LyDeviceBridgeOf(const LyPlug* device) {
    velora::Device* host = HostDevice(device);
    return host && host->ClassId() == __LyHostClassIds::Device ? static_cast<__LyDeviceBridge*>(host) : nullptr;
}

// ---------------------------------------------------------------------------
// The bridge

__LyDeviceBridge* __LyDeviceBridge::Create(const char* name) { return new __LyDeviceBridge(name); }

__LyDeviceBridge::__LyDeviceBridge(const char* name)
    : __LyBridge<velora::Device, LyDevice>(name ? name : "Device", __LyHostClassIds::Device) {}

LyDevice* __LyDeviceBridge::Sdk() const {
    LyComponent* sdk = SdkObject();
    return sdk && sdk->Is(LyDevice::TypeInfo) ? static_cast<LyDevice*>(sdk) : nullptr;
}

IObject* __LyDeviceBridge::IQuery(std::uint32_t id, int arg) {
    if (id == __LyIdSceneStorage) return this;
    if (id == velora::kIdModelTemplateBinding) return &mTemplates;
    return __LyBridge<velora::Device, LyDevice>::IQuery(id, arg);
}

bool __LyDeviceBridge::DeviceCommand(int code) {
    LyDevice* device = Sdk();
    const int operation = __LyDeviceOperationOfCommand(code);
    if (operation < 0) return false;
    if (!device) return velora::Device::DeviceCommand(code);
    switch (code) {
        case velora::kDeviceCommandDone:
            if (velora::ModelTemplate* binding = mTemplates.Get()) mTemplates.Unbind(binding);
            device->DeviceOperation(LyDevice::kLyDeviceOpDone);
            return false;
        case velora::kDeviceCommandInit:
        case velora::kDeviceCommandOffline:
            device->DeviceOperation(static_cast<LyDevice::kDeviceOperations>(operation));
            return false;
        default:
            return device->DeviceOperation(static_cast<LyDevice::kDeviceOperations>(operation));
    }
}

void __LyDeviceBridge::TransportNotify(int code, long long time, long long systemTime) {
    LyDevice* device = Sdk();
    const int mode = __LyDeviceTransportModeOf(code);
    if (device && mode >= 0)
        device->DeviceTransportNotify(static_cast<LyDevice::kTransportMode>(mode), LyTime(time), LyTime(systemTime));
}

void __LyDeviceBridge::DeviceIO(int action, velora::DeviceNotifyRecord& record) {
    LyDevice* device = Sdk();
    const int io = __LyDeviceIOOf(action);
    if (device && io >= 0)
        device->DeviceIONotify(static_cast<LyDevice::kDeviceIOs>(io), *reinterpret_cast<LyDeviceNotifyInfo*>(&record));
}

bool __LyDeviceBridge::DeviceEvaluate(int code, const velora::EvaluationContext& context) {
    LyDevice* device = Sdk();
    const int mode = __LyDeviceTransportModeOf(code);
    if (device && mode >= 0) device->DeviceEvaluationNotify(static_cast<LyDevice::kTransportMode>(mode), InfoOf(context));
    return true;
}

void __LyDeviceBridge::RecordingPrepare(velora::AnimationNode* node) {
    if (LyDevice* device = Sdk()) device->RecordingInitAnimation(WrapperOf<LyAnimationNode>(node));
    velora::Device::RecordingPrepare(node);
}

void __LyDeviceBridge::RecordingEnd(velora::AnimationNode* node) {
    velora::Device::RecordingEnd(node);
    if (LyDevice* device = Sdk()) device->RecordingDoneAnimation(WrapperOf<LyAnimationNode>(node));
}

bool __LyDeviceBridge::EvaluateConnector(velora::AnimationNode* output, const velora::EvaluationContext& context) {
    LyDevice* device = Sdk();
    return device ? device->AnimationNodeNotify(WrapperOf<LyAnimationNode>(output), InfoOf(context)) : false;
}

bool __LyDeviceBridge::StoreBox(velora::dsx::ObjectStore& store) {
    if (!velora::Device::StoreBox(store) || !__LyStoreServedProperties(SdkObject(), store)) return false;
    if (store.Pass() & velora::dsx::kPassFields) {
        velora::ModelTemplate* binding = mTemplates.Get();
        if (velora::Model* model = binding ? binding->BoundModel() : nullptr) store.WriteReference("Icon", model);
        store.WriteInteger("CommType", mCommType);
    }
    LyDevice* device = Sdk();
    if (!device) return true;
    LyDsxObject dsx(&store);
    return device->DsxStore(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
}

bool __LyDeviceBridge::RetrieveBox(velora::dsx::ObjectStore& store) {
    if (!velora::Device::RetrieveBox(store) || !__LyRetrieveServedProperties(SdkObject(), store)) return false;
    const bool fields = (store.Pass() & velora::dsx::kPassFields) != 0;
    std::int64_t comm = 0;
    if (fields && store.ReadInteger("CommType", &comm)) mCommType = static_cast<int>(comm);
    LyDevice* device = Sdk();
    if (!device) return true;
    LyDsxObject dsx(&store);
    const bool answer = device->DsxRetrieve(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
    if (fields && mTemplates.Get())
        mIcon = velora::PlugHandle(velora::AsModel(velora::AsObject(store.ReadReference("Icon"))));
    if (store.Pass() & velora::dsx::kPassReferences) {
        velora::Model* model = static_cast<velora::Model*>(mIcon.Get());
        velora::ModelTemplate* binding = mTemplates.Get();
        if (model && binding && !model->IsEnding()) mTemplates.Bind(binding, model);
    }
    return answer;
}

// The model-template interface.

IObject* __LyModelTemplateBinding::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf || id == velora::kIdModelTemplateBinding ? this : nullptr;
}

velora::ModelTemplate* __LyModelTemplateBinding::Get() const { return mOwner->BindingTemplate(); }

bool __LyModelTemplateBinding::Bind(velora::ModelTemplate* node, velora::Model* model) {
    if (!node) return false;
    if (!node->Match(model) || !node->BoundModel()) return false;
    LyDevice* device = mOwner->Sdk();
    if (device && !device->ModelTemplateBindNotify(WrapperOf<LyModel>(node->BoundModel()), 0,
                                                   WrapperOf<LyModelTemplate>(node))) {
        node->Unbind();
        return false;
    }
    return true;
}

bool __LyModelTemplateBinding::Unbind(velora::ModelTemplate* node) {
    if (!node) return false;
    LyDevice* device = mOwner->Sdk();
    if (device && !device->ModelTemplateUnBindNotify(0, WrapperOf<LyModelTemplate>(node))) return false;
    node->Unbind();
    return true;
}

namespace {

IObject* NewBridge(const char* name) {
    __LyDeviceBridge* bridge = __LyDeviceBridge::Create(name);
    // A new extension device is an instance, not a template of its class.
    bridge->SetObjectFlags(bridge->ObjectFlags() & ~0x20000u);
    return bridge->IQuery(lyiface::kIdSelf);
}

HIObject TemplateRootOf(HIObject object) {
    velora::Device* device = velora::AsDevice(velora::AsObject(object));
    velora::ModelTemplate* root = device ? device->TemplateRoot() : nullptr;
    return root ? root->IQuery(lyiface::kIdSelf) : nullptr;
}

__LyModelTemplateBinding* TemplatesOf(const LyDevice* device) {
    IObject* host = device->GetHIObject();
    return host ? static_cast<__LyModelTemplateBinding*>(host->IQuery(velora::kIdModelTemplateBinding)) : nullptr;
}

// Properties.

velora::DeviceInfo* InfoOf(LyDevice* self) {
    velora::Device* device = HostDevice(self);
    return device ? &device->Info() : nullptr;
}

const char* GetStatus(void* self) {
    velora::DeviceInfo* info = InfoOf(static_cast<LyDevice*>(self));
    return info ? info->status.c_str() : "";
}
void SetStatus(void* self, const char* text) {
    if (velora::Device* device = HostDevice(static_cast<LyDevice*>(self))) device->SetStatusText(text);
}
const char* GetHardwareVersion(void* self) {
    velora::DeviceInfo* info = InfoOf(static_cast<LyDevice*>(self));
    return info ? info->hardwareVersionInfo.c_str() : "";
}
void SetHardwareVersion(void* self, const char* text) {
    if (velora::DeviceInfo* info = InfoOf(static_cast<LyDevice*>(self))) info->hardwareVersionInfo = text ? text : "";
}
const char* GetInformation(void* self) {
    velora::DeviceInfo* info = InfoOf(static_cast<LyDevice*>(self));
    return info ? info->information.c_str() : "";
}
void SetInformation(void* self, const char* text) {
    if (velora::DeviceInfo* info = InfoOf(static_cast<LyDevice*>(self))) info->information = text ? text : "";
}

bool GetOnline(void* self) { return Manager().IsOnline(HostDevice(static_cast<LyDevice*>(self))); }
void SetOnline(void* self, bool on) {
    if (velora::Device* device = HostDevice(static_cast<LyDevice*>(self)))
        Manager().SendCommand(device, on ? velora::kDeviceCommandOnline : velora::kDeviceCommandOffline);
}

LyTime GetSamplingPeriod(void* self) { return LyTime(Manager().SamplingPeriod(HostDevice(static_cast<LyDevice*>(self)))); }
void SetSamplingPeriod(void* self, LyTime period) {
    velora::Device* device = HostDevice(static_cast<LyDevice*>(self));
    if (!device) return;
    Manager().SetSamplingPeriod(device, period.Get());
    if (auto* recording = static_cast<velora::Device*>(device->IQuery(velora::kIdRecording)))
        recording->SetHardwarePeriod(period.Get());
}

LyModel* GetBindingRoot(void* self) {
    __LyModelTemplateBinding* templates = TemplatesOf(static_cast<LyDevice*>(self));
    velora::ModelTemplate* binding = templates ? templates->Get() : nullptr;
    return binding ? WrapperOf<LyModel>(binding->BoundModel()) : nullptr;
}
void SetBindingRoot(void* self, LyModel* model) {
    __LyModelTemplateBinding* templates = TemplatesOf(static_cast<LyDevice*>(self));
    velora::ModelTemplate* binding = templates ? templates->Get() : nullptr;
    if (!binding) return;
    templates->Unbind(binding);
    if (velora::Model* host = velora::AsModel(__LyHostObject(model))) templates->Bind(binding, host);
}

velora::Device* Recording(LyDevice* self) {
    IObject* host = self->GetHIObject();
    return host ? static_cast<velora::Device*>(host->IQuery(velora::kIdRecording)) : nullptr;
}

LyDeviceSamplingMode GetSamplingMode(void* self) {
    velora::Device* recording = Recording(static_cast<LyDevice*>(self));
    const int mode = recording ? recording->SamplingMode() : velora::kSamplingSoftwareTimestamp;
    return static_cast<LyDeviceSamplingMode>(mode >= 0 && mode <= 3 ? mode : kLySoftwareTimestamp);
}
void SetSamplingMode(void* self, LyDeviceSamplingMode mode) {
    if (velora::Device* recording = Recording(static_cast<LyDevice*>(self)))
        recording->SetSamplingMode(mode >= 0 && mode <= 3 ? static_cast<int>(mode) : velora::kSamplingSoftwareTimestamp);
}

int GetCommType(void* self) {
    __LyDeviceBridge* bridge = __LyDeviceBridgeOf(static_cast<LyDevice*>(self));
    return bridge ? bridge->mCommType : 0;
}
void SetCommType(void* self, int type) {
    if (__LyDeviceBridge* bridge = __LyDeviceBridgeOf(static_cast<LyDevice*>(self))) bridge->mCommType = type;
}

LyTime GetRecordingStart(void* self) {
    velora::Device* recording = Recording(static_cast<LyDevice*>(self));
    return LyTime(recording ? recording->RecordingStartTime() : 0);
}
LyTime GetRecordingStop(void* self) {
    velora::Device* recording = Recording(static_cast<LyDevice*>(self));
    return LyTime(recording ? recording->RecordingStopTime() : 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// LyDeviceNotifyInfo: a view of the host's record

namespace {
velora::DeviceNotifyRecord& RecordOf(LyDeviceNotifyInfo* info) {
    return *reinterpret_cast<velora::DeviceNotifyRecord*>(info);
}
}  // namespace

LyTime& LyDeviceNotifyInfo::GetSystemTime() { return *reinterpret_cast<LyTime*>(&RecordOf(this).systemTime); }
LyTime& LyDeviceNotifyInfo::GetLocalTime() { return *reinterpret_cast<LyTime*>(&RecordOf(this).localTime); }
void LyDeviceNotifyInfo::SetLocalTime(const LyTime& time) { RecordOf(this).localTime = time.Get(); }
int LyDeviceNotifyInfo::GetSyncCount() { return RecordOf(this).syncCount; }
LyEvaluateInfo& LyDeviceNotifyInfo::GetEvaluateInfo() {
    return *reinterpret_cast<LyEvaluateInfo*>(RecordOf(this).context);
}

// ---------------------------------------------------------------------------
// LyDevice

LyDevice::LyDevice(const char* name, HIObject object)
    : LyBox(object ? object : NewBridge(name), name, object == nullptr),
      ModelTemplate("Templates", kLyModelTemplateNull, TemplateRootOf(GetHIObject())),
      mDevice{nullptr, nullptr, nullptr} {
    IObject* host = GetHIObject();
    if (host) {
        mDevice.box = host->IQuery(velora::kIdBox);
        mDevice.device = host->IQuery(velora::kIdDevice);
        velora::Device* device = HostDevice(this);
        mDevice.info = device ? &device->Info() : nullptr;
    }
    InitDeviceProperties();
    // A host device that has a template already brings it.
    if (__LyModelTemplateBinding* templates = TemplatesOf(this)) {
        velora::ModelTemplate* node = templates->Get();
        if (node && !LyGetLyComponent(node, false)) new LyModelTemplate(node->IQuery(lyiface::kIdSelf));
    }
    SamplingMode = kLyAutoFrequency;
}

LyDevice::~LyDevice() {
    // Instruments may outlive their device: they must not reach back.
    for (int i = 0; i < Instruments.GetCount(); ++i)
        if (LyDeviceInstrument* instrument = Instruments.GetAt(i)) instrument->Device = nullptr;
}

void LyDevice::InitDeviceProperties() {
    Status.Init(this, "Status", &GetStatus, &SetStatus);
    HardwareVersionInfo.Init(this, "HardwareVersionInfo", &GetHardwareVersion, &SetHardwareVersion);
    Information.Init(this, "Information", &GetInformation, &SetInformation);
    Online.Init(this, "Online", &GetOnline, &SetOnline);
    SamplingPeriod.Init(this, "SamplingPeriod", &GetSamplingPeriod, &SetSamplingPeriod);
    ModelBindingRoot.Init(this, "ModelBindingRoot", &GetBindingRoot, &SetBindingRoot);
    SamplingMode.Init(this, "SamplingMode", &GetSamplingMode, &SetSamplingMode);
    CommType.Init(this, "CommType", &GetCommType, &SetCommType);
    velora::Device* device = HostDevice(this);
    OnStatusChange.Init(this, device ? &device->StatusEvents() : nullptr, "OnStatusChange",
                        velora::kEventDeviceStatus, velora::kEventDeviceStatusFlag);
    RecordingStartTime.Init(this, "RecordingStartTime", &GetRecordingStart);
    RecordingStopTime.Init(this, "RecordingStopTime", &GetRecordingStop);
    Instruments.Init(this, "Instruments");
    for (LyProperty* p : {static_cast<LyProperty*>(&Status), static_cast<LyProperty*>(&HardwareVersionInfo),
                          static_cast<LyProperty*>(&Information), static_cast<LyProperty*>(&Online),
                          static_cast<LyProperty*>(&SamplingPeriod), static_cast<LyProperty*>(&ModelBindingRoot),
                          static_cast<LyProperty*>(&SamplingMode), static_cast<LyProperty*>(&CommType),
                          static_cast<LyProperty*>(&OnStatusChange), static_cast<LyProperty*>(&RecordingStartTime),
                          static_cast<LyProperty*>(&RecordingStopTime), static_cast<LyProperty*>(&Instruments)}) {
        PropertyAdd(p);
        // The host keeps these (the bridge stores the mode and the binding
        // itself); only the sampling period goes to the file as a value.
        if (p != &SamplingPeriod) __LyForgetServedProperty(this, p);
    }
}

IObject* LyDevice::IQuery(std::uint32_t id, int arg) {
    IObject* host = GetHIObject();
    if (id == velora::kIdDevice) return host ? host->IQuery(id, arg) : nullptr;
    if (id == velora::kIdRecording) {
        if (SamplingMode == kLyAutoFrequency) return nullptr;
        return host ? host->IQuery(id, arg) : nullptr;
    }
    return LyBox::IQuery(id, arg);
}

bool LyDevice::DeviceOperation(kDeviceOperations operation) {
    const int code = __LyDeviceCommandOfOperation(operation);
    if (__LyDeviceBridge* bridge = __LyDeviceBridgeOf(this)) return bridge->BaseCommand(code < 0 ? 0 : code);
    velora::Device* device = HostDevice(this);
    return device ? device->velora::Device::DeviceCommand(code < 0 ? 0 : code) : false;
}

void LyDevice::DeviceTransportNotify(kTransportMode, LyTime, LyTime) {}
void LyDevice::DeviceIONotify(kDeviceIOs, LyDeviceNotifyInfo&) {}
bool LyDevice::DeviceEvaluationNotify(kTransportMode, LyEvaluateInfo*) { return true; }
bool LyDevice::ModelTemplateBindNotify(LyModel*, int, LyModelTemplate*) { return true; }
bool LyDevice::ModelTemplateUnBindNotify(int, LyModelTemplate*) { return true; }
void LyDevice::RecordingInitAnimation(LyAnimationNode*) {}
void LyDevice::RecordingDoneAnimation(LyAnimationNode*) {}
bool LyDevice::AnimationNodeNotify(LyAnimationNode*, LyEvaluateInfo*) { return true; }
const char* LyDevice::DsxGetObjectType() { return "Device"; }

void LyDevice::DeviceSendCommand(kDeviceOperations operation) {
    const int code = __LyDeviceCommandOfOperation(operation);
    if (velora::Device* device = HostDevice(this)) Manager().SendCommand(device, code < 0 ? 0 : code);
}

LyAnimationNode* LyDevice::AnimationNodeInCreate(std::uint64_t userId, const char* name, const char* dataType,
                                                 bool animatable, double* min, double* max, bool userData) {
    return LyBox::AnimationNodeInCreate(userId, name, dataType, animatable, min, max, userData);
}

LyAnimationNode* LyDevice::AnimationNodeOutCreate(std::uint64_t userId, const char* name, const char* dataType,
                                                  bool animatable, double* min, double* max) {
    return LyBox::AnimationNodeOutCreate(userId, name, dataType, animatable, min, max);
}

bool LyDevice::DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) {
    if (dsx && (pass & kLyDsxStoreFields)) dsx->FieldWriteInt("SamplingMode", static_cast<int>(SamplingMode));
    bool all = true;
    for (int i = 0; i < Instruments.GetCount(); ++i)
        if (LyDeviceInstrument* instrument = Instruments.GetAt(i)) all = instrument->DsxStore(dsx, pass) && all;
    return all;
}

bool LyDevice::DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) {
    if (dsx && (pass & kLyDsxStoreFields))
        SamplingMode = static_cast<LyDeviceSamplingMode>(dsx->FieldReadInt("SamplingMode"));
    bool all = true;
    for (int i = 0; i < Instruments.GetCount(); ++i)
        if (LyDeviceInstrument* instrument = Instruments.GetAt(i)) all = instrument->DsxRetrieve(dsx, pass) && all;
    return all;
}

bool LyDevice::LyCreate() {
    if (!LyComponent::LyCreate()) return false;
    for (int i = 0; i < Instruments.GetCount(); ++i)
        if (LyDeviceInstrument* instrument = Instruments.GetAt(i)) instrument->LyCreate();
    return true;
}

void LyDevice::LyDestroy() {
    velora::ModelTemplate* root = HostTemplate(&ModelTemplate);
    for (int i = 0, n = root ? root->ChildCount() : 0; i < n; ++i) {
        velora::ModelTemplate* node = root->ChildTemplate(i);
        if (node && ModelTemplateUnBindNotify(i, WrapperOf<LyModelTemplate>(node))) node->Unbind();
    }
    for (int i = 0; i < Instruments.GetCount(); ++i)
        if (LyDeviceInstrument* instrument = Instruments.GetAt(i)) instrument->LyDestroy();
    LyComponent::LyDestroy();
}

void LyDevice::AckOneSampleReceived() {
    if (auto* info = static_cast<velora::DeviceInfo*>(mDevice.info))
        info->samplesReceived.fetch_add(1, std::memory_order_relaxed);
}
void LyDevice::AckOneSampleSent() {
    if (auto* info = static_cast<velora::DeviceInfo*>(mDevice.info))
        info->samplesSent.fetch_add(1, std::memory_order_relaxed);
}
void LyDevice::AckOneBadSampleReceived() {
    if (auto* info = static_cast<velora::DeviceInfo*>(mDevice.info))
        info->badSamplesReceived.fetch_add(1, std::memory_order_relaxed);
}

LyModel* LyDevice::ModelBindingCreate() {
    __LyModelTemplateBinding* templates = TemplatesOf(this);
    velora::ModelTemplate* binding = templates ? templates->Get() : nullptr;
    if (!binding || !templates->Bind(binding, nullptr)) return nullptr;
    return WrapperOf<LyModel>(binding->BoundModel());
}

void LyDevice::ModelBindingRootsList(LyArrayTemplate<LyModel*>& roots) {
    __LyModelTemplateBinding* templates = TemplatesOf(this);
    velora::ModelTemplate* binding = templates ? templates->Get() : nullptr;
    if (!binding) return;
    for (velora::Model* model : binding->Candidates(200))
        if (LyModel* wrapper = WrapperOf<LyModel>(model)) roots.Add(wrapper);
}

// ---------------------------------------------------------------------------
// Instruments

LyPropertyListDeviceInstrument& LyPropertyListDeviceInstrument::Init(void* parent, const char* name) {
    LyPropertyBasicList::Init(parent, name);
    return *this;
}
int LyPropertyListDeviceInstrument::GetCount() { return mItems.GetCount(); }
LyDeviceInstrument* LyPropertyListDeviceInstrument::GetAt(int index) {
    return index >= 0 && index < mItems.GetCount() ? mItems[index] : nullptr;
}
void LyPropertyListDeviceInstrument::RemoveAt(int index) {
    if (index >= 0 && index < mItems.GetCount()) mItems.RemoveAt(index);
}
int LyPropertyListDeviceInstrument::Add(LyDeviceInstrument* instrument) {
    if (!instrument) return -1;
    if (Find(instrument) < 0) mItems.Add(instrument);
    return mItems.GetCount();
}

struct __LyInstrumentAccess {
    static LyDeviceInstrument::InstrumentRecord& Of(void* self) { return static_cast<LyDeviceInstrument*>(self)->mRecord; }
};

namespace {
LyDevice* GetInstrumentDevice(void* self) { return __LyInstrumentAccess::Of(self).device; }
void SetInstrumentDevice(void* self, LyDevice* device) { __LyInstrumentAccess::Of(self).device = device; }
LyModelTemplate* GetInstrumentTemplate(void* self) { return __LyInstrumentAccess::Of(self).modelTemplate; }
void SetInstrumentTemplate(void* self, LyModelTemplate* t) { __LyInstrumentAccess::Of(self).modelTemplate = t; }
bool GetInstrumentActive(void* self) { return __LyInstrumentAccess::Of(self).active; }
void SetInstrumentActive(void* self, bool on) { __LyInstrumentAccess::Of(self).active = on; }
}  // namespace

LyDeviceInstrument::LyDeviceInstrument(LyDevice* device) : LyComponent(), mRecord{device, true, nullptr} {
    // Its host object is its own business: the scene does not keep it.
    if (velora::Object* host = __LyHostObject(this))
        host->SetObjectFlags(host->ObjectFlags() | velora::kObjectSystem);
    Device.Init(this, "Device", &GetInstrumentDevice, &SetInstrumentDevice);
    ModelTemplate.Init(this, "ModelTemplate", &GetInstrumentTemplate, &SetInstrumentTemplate);
    Active.Init(this, "Active", &GetInstrumentActive, &SetInstrumentActive);
    for (LyProperty* p : {static_cast<LyProperty*>(&Device), static_cast<LyProperty*>(&ModelTemplate),
                          static_cast<LyProperty*>(&Active)}) {
        PropertyAdd(p);
        __LyForgetServedProperty(this, p);
    }
}

LyDeviceInstrument::~LyDeviceInstrument() {
    // The device may be gone already (or the instrument moved to another).
    LyDevice* device = mRecord.device;
    if (device && LyGetComponentArray().Find(device) >= 0) device->Instruments.Remove(this);
}

bool LyDeviceInstrument::InstrumentWriteData(LyEvaluateInfo*) { return true; }
void LyDeviceInstrument::InstrumentRecordFrame(LyTime, LyDeviceNotifyInfo&) {}

bool LyDeviceInstrument::DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) {
    if (dsx && (pass & kLyDsxStoreFields)) dsx->FieldWriteInt("InstrumentActive", mRecord.active ? 1 : 0);
    return true;
}

bool LyDeviceInstrument::DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) {
    if (dsx && (pass & kLyDsxStoreFields)) mRecord.active = dsx->FieldReadInt("InstrumentActive") != 0;
    return true;
}

// ---------------------------------------------------------------------------
// The glove

LyDeviceGlove::GloveChannel::GloveChannel(LyAnimationNode* node)
    : mNode(node), mName(node ? node->GetName() : ""), mFlag(1) {}

LyDeviceGlove::LyDeviceGlove(const char* name, HIObject object) : LyDevice(name, object), mHand(nullptr) {
    if (velora::Device* device = HostDevice(this)) {
        velora::Property* left = device->FindProperty("LeftHand");
        if (!left) left = device->CreateProperty("LeftHand", velora::kDataBool);
        LeftHand.SetInternal(left);
        velora::ModelTemplate* hand = velora::HandModel::Build(device, device->LabelName(), false);
        mHand = new LyModelTemplate(hand->IQuery(lyiface::kIdSelf));
        velora::ModelTemplate* root = HostTemplate(&ModelTemplate);
        if (root) root->AddChild(hand);
        else hand->Destroy(0);
    }
    LeftHand.Init(this, "LeftHand");
    PropertyAdd(&LeftHand);
}

LyAnimationNode* LyDeviceGlove::GetModelRotationNode(int part) {
    const char* partName = velora::HandModel::PartName(part);
    velora::ModelTemplate* hand = HostTemplate(mHand);
    // The palm is the hand's root, named after the device.
    velora::ModelTemplate* node = !hand || !partName ? nullptr : part == 0 ? hand : hand->Find(partName);
    return node ? WrapperOf<LyAnimationNode>(node->Binding(0)) : nullptr;
}

void LyDeviceGlove::InitializeModelGeometry() {
    velora::ModelTemplate* hand = HostTemplate(mHand);
    if (!hand) return;
    velora::HandModel::SetGeometry(hand, static_cast<bool>(LeftHand));
    if (__LyModelTemplateBinding* templates = TemplatesOf(this)) {
        velora::ModelTemplate* binding = templates->Get();
        velora::Model* model = binding ? binding->BoundModel() : nullptr;
        if (binding && model) {
            templates->Unbind(binding);
            templates->Bind(binding, model);
        }
    }
    velora::Scene& scene = velora::Scene::Main();
    if (velora::Object* take = scene.CurrentTake()) {
        velora::TakeChangeRecord record;
        record.type = 1;
        record.subType = 2;
        record.take = take;
        scene.TakeChangeEvents().Raise(record);
    }
}

void LyDeviceGlove::VectorToModelPartAngle(int part, LyVector3<double>& vector) {
    double angles[3] = {vector[0], vector[1], vector[2]};
    if (!velora::HandModel::ProcessPartAngles(part, angles)) return;
    vector = LyVector3<double>(angles[0], angles[1], angles[2]);
}

LYSDK_END_NAMESPACE
