// Devices: commands, samples, recording; the host's device cycle.

#include "velora/device.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>

#include "velora/animation.h"
#include "velora/evaluation.h"
#include "velora/event_records.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/take.h"
#include "velora/timing.h"

namespace velora {

// The extension reads the info block and the notify record at fixed
// offsets; keep them where it looks.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(DeviceInfo, samplesReceived) == 24 && offsetof(DeviceInfo, samplesSent) == 28 &&
                  offsetof(DeviceInfo, badSamplesReceived) == 32 && offsetof(DeviceInfo, status) == 40 &&
                  offsetof(DeviceInfo, hardwareVersionInfo) == 72 && offsetof(DeviceInfo, information) == 104,
              "the device info block's layout is shared with the SDK");
#pragma GCC diagnostic pop
static_assert(offsetof(DeviceNotifyRecord, localTime) == 8 && offsetof(DeviceNotifyRecord, syncCount) == 32 &&
                  offsetof(DeviceNotifyRecord, context) == 40,
              "the notify record's layout is shared with the SDK");

namespace {

constexpr long long kTicksPerSecond = 141120000;
constexpr long long kMinimumPeriod = kTicksPerSecond / 100000;

// The host's own cycle time rides in the first word the SDK does not read:
// the device may move the record's local time (its hardware clock).
long long& CycleTime(DeviceNotifyRecord& record) { return record.reserved[0]; }
long long CycleTime(const DeviceNotifyRecord& record) { return record.reserved[0]; }

}  // namespace

Device* AsDevice(Object* object) {
    return object && object->IsA(kClassDevice) ? dynamic_cast<Device*>(object) : nullptr;
}

bool RecordKeys(Property* property, long long time, const double* values) {
    // Into the current take's base layer (made with the take when missing).
    return property && values && RecordKey(property, time, values, kKeyCubic | kTangentAuto);
}

// ---------------------------------------------------------------------------
// Device

Device* Device::Create(const char* name, int classId) {
    if (!ClassRegistry::Instance().IsA(classId, kClassDevice)) classId = kClassDevice;
    return new Device(name ? name : "Device", classId);
}

Device::Device(const char* name, int classId) : Box(name, classId) {
    info_.device = this;
    SetTimeDependent(true);
    ModelTemplate* root = ModelTemplate::Create("Templates");
    root->SetOwner(this);
    templates_ = PlugHandle(root);
    DeviceManager::Instance().Join(this);
}

void Device::Teardown() {
    DeviceManager::Instance().Leave(this);
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.clear();
    }
    recorded_.clear();
    Box::Teardown();
}

IObject* Device::IQuery(std::uint32_t id, int arg) {
    if (id == kIdDevice || id == kIdRecording) return this;
    return Box::IQuery(id, arg);
}

void Device::SetStatusText(const char* text) {
    const std::string now = text ? text : "";
    if (now == info_.status) return;
    info_.status = now;
    lyiface::EventRecord record;
    record.type = kEventDeviceStatus;
    record.subType = kEventDeviceStatusFlag;
    status_.Raise(record);
}

bool Device::DeviceCommand(int code) { return code >= kDeviceCommandInit && code <= kDeviceCommandDetect; }
void Device::TransportNotify(int, long long, long long) {}
void Device::DeviceIO(int, DeviceNotifyRecord&) {}
bool Device::DeviceEvaluate(int, const EvaluationContext&) { return true; }

void Device::RecordingPrepare(AnimationNode* node) {
    Property* target = RecordTarget(node);
    if (target) RecordNode(target);
}

void Device::RecordingEnd(AnimationNode*) {}

void Device::SetSamplingMode(int mode) {
    samplingMode_.store(mode >= kSamplingHardwareTimestamp && mode <= kSamplingAutoFrequency ? mode
                                                                                           : kSamplingSoftwareTimestamp,
                        std::memory_order_relaxed);
}

void Device::SetHardwarePeriod(long long period) {
    hardwarePeriod_.store(std::max(period, 0LL), std::memory_order_relaxed);
}

ModelTemplate* Device::TemplateRoot() const { return static_cast<ModelTemplate*>(templates_.Get()); }

ModelTemplate* Device::BindingTemplate() const {
    ModelTemplate* root = TemplateRoot();
    return root && root->ChildCount() > 0 ? root->ChildTemplate(0) : nullptr;
}

Property* Device::RecordTarget(AnimationNode* output) {
    if (!output || output->OwnerBox() != this || !output->IsOutput()) return nullptr;
    // The model property the output drives, when a template binds it.
    std::vector<ModelTemplate*> stack;
    if (ModelTemplate* root = TemplateRoot()) stack.push_back(root);
    while (!stack.empty()) {
        ModelTemplate* t = stack.back();
        stack.pop_back();
        for (int i = 0; i < t->BindingCount(); ++i)
            if (t->Binding(i) == output) {
                if (Property* bound = ModelTemplate::BoundProperty(output, t->BoundModel())) return bound;
            }
        for (int c = 0; c < t->ChildCount(); ++c) stack.push_back(t->ChildTemplate(c));
    }
    // Else a property of the device itself, named after the output.
    if (Property* own = FindProperty(output->Name())) return CanAnimate(own) ? own : nullptr;
    const DataType* type = output->ConnectorType();
    Property* own = type ? CreateProperty(output->Name(), type->Id(), kCreateAnimatable | kCreateUser) : nullptr;
    return own && CanAnimate(own) ? own : nullptr;
}

bool Device::PublishSample(AnimationNode* output, const double* values, const DeviceNotifyRecord& record) {
    if (!output || !values || output->OwnerBox() != this || !output->IsOutput()) return false;
    Sample sample;
    sample.node = output;
    std::memcpy(sample.values, values, sizeof(double) * static_cast<std::size_t>(output->Channels()));
    std::lock_guard<std::mutex> lock(queueMutex_);
    sample.recorded = recordingOn_;
    const long long cycle = CycleTime(record);
    switch (SamplingMode()) {
        case kSamplingHardwareTimestamp:
            sample.time = record.localTime;
            break;
        case kSamplingHardwareFrequency:
            if (recordingOn_) {
                long long& rank = ranks_[output];
                sample.time = queueRecordStart_ + rank++ * HardwarePeriod();
            } else {
                sample.time = cycle;
            }
            break;
        case kSamplingAutoFrequency: {
            const long long period = std::max(period_.load(std::memory_order_relaxed), kMinimumPeriod);
            const long long from = recordingOn_ ? queueRecordStart_ : 0;
            const long long offset = cycle - from;
            const long long steps = (offset >= 0 ? offset + period / 2 : offset - period / 2) / period;
            sample.time = from + steps * period;
            break;
        }
        default:
            sample.time = cycle;
            break;
    }
    queue_.push_back(sample);
    return true;
}

void Device::TakeSamples(const EvaluationContext& context) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        taking_.swap(queue_);
    }
    if (taking_.empty()) return;
    EvaluationContext frame = context;
    frame.sample = nullptr;
    for (const Sample& s : taking_) {
        s.node->WriteData(s.values, &frame);
        if (!s.recorded) continue;
        auto found = recorded_.find(s.node);
        if (found == recorded_.end()) continue;
        auto* target = static_cast<Property*>(found->second.target.Get());
        if (target) RecordKeys(target, s.time, s.values);
    }
    samplesTaken_ += taking_.size();
    info_.lastSampleTime = TimingManager::Instance().SystemTime();
    taking_.clear();
}

void Device::BeginRecording(long long localTime) {
    recordStart_ = localTime;
    recorded_.clear();
    for (int i = 0; i < OutConnectorCount(); ++i) {
        AnimationNode* node = OutConnector(i);
        if (!node->NodeSettings().recordMode) continue;
        RecordingPrepare(node);
        if (Property* target = RecordTarget(node)) recorded_[node] = Recorded{PlugHandle(node), PlugHandle(target)};
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    recordingOn_ = true;
    queueRecordStart_ = localTime;
    ranks_.clear();
}

void Device::EndRecording(long long localTime, const EvaluationContext& context) {
    // What arrived since the last frame is part of the recording.
    TakeSamples(context);
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        recordingOn_ = false;
    }
    recordStop_ = localTime;
    for (int i = 0; i < OutConnectorCount(); ++i) {
        AnimationNode* node = OutConnector(i);
        if (recorded_.count(node)) RecordingEnd(node);
    }
    recorded_.clear();
}

// ---------------------------------------------------------------------------
// The manager

struct DeviceManager::Entry {
    Device* device = nullptr;
    std::atomic<bool> online{false};
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    DeviceNotifyRecord record;
    EvaluationContext context;
};

DeviceManager& DeviceManager::Instance() {
    // Never destroyed: device threads are joined when their devices end.
    static auto* manager = new DeviceManager;
    return *manager;
}

void DeviceManager::Join(Device* device) {
    auto entry = std::make_unique<Entry>();
    entry->device = device;
    entries_.push_back(std::move(entry));
}

void DeviceManager::Leave(Device* device) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if ((*it)->device != device) continue;
        StopCycle(**it);
        entries_.erase(it);
        return;
    }
}

DeviceManager::Entry* DeviceManager::Find(const Device* device) const {
    for (const auto& e : entries_)
        if (e->device == device) return e.get();
    return nullptr;
}

int DeviceManager::DeviceCount() const { return static_cast<int>(entries_.size()); }

Device* DeviceManager::DeviceAt(int i) const {
    return i >= 0 && i < DeviceCount() ? entries_[static_cast<std::size_t>(i)]->device : nullptr;
}

bool DeviceManager::IsOnline(const Device* device) const {
    const Entry* e = Find(device);
    return e && e->online.load(std::memory_order_acquire);
}

long long DeviceManager::SamplingPeriod(const Device* device) const {
    return device ? device->period_.load(std::memory_order_relaxed) : 0;
}

void DeviceManager::SetSamplingPeriod(Device* device, long long period) {
    if (device) device->period_.store(std::max(period, kMinimumPeriod), std::memory_order_relaxed);
}

bool DeviceManager::SendCommand(Device* device, int code) {
    Entry* entry = Find(device);
    if (!entry) return false;
    const bool wasOnline = entry->online.load(std::memory_order_acquire);
    if (code == kDeviceCommandOffline || code == kDeviceCommandDone) {
        // The cycle ends before the device closes what it reads.
        if (wasOnline) {
            StopCycle(*entry);
            entry->online.store(false, std::memory_order_release);
            if (IsRecording()) device->EndRecording(TransportTime(TimingManager::Instance().SystemTime()),
                                                    GlobalDisplayContext());
            device->SetStatusText("Offline");
        }
        return device->DeviceCommand(code);
    }
    const bool answer = device->DeviceCommand(code);
    if (code == kDeviceCommandOnline && answer && !wasOnline) {
        entry->online.store(true, std::memory_order_release);
        if (IsRecording()) device->BeginRecording(TransportTime(TimingManager::Instance().SystemTime()));
        StartCycle(*entry);
        device->SetStatusText("Online");
    }
    return answer;
}

void DeviceManager::StartCycle(Entry& entry) {
    StopCycle(entry);
    entry.stop = false;
    entry.record = DeviceNotifyRecord{};
    entry.context = EvaluationContext{};
    entry.context.background = true;
    entry.context.sample = &entry.record;
    entry.record.context = &entry.context;
    entry.thread = std::thread(&DeviceManager::RunCycle, this, &entry);
}

void DeviceManager::StopCycle(Entry& entry) {
    if (!entry.thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(entry.mutex);
        entry.stop = true;
    }
    entry.wake.notify_all();
    entry.thread.join();
}

void DeviceManager::RunCycle(Entry* entry) {
    using Clock = std::chrono::steady_clock;
    Device* device = entry->device;
    DeviceNotifyRecord& record = entry->record;
    TimingManager& timing = TimingManager::Instance();
    const auto periodOf = [device] {
        const long long ticks = std::max(device->period_.load(std::memory_order_relaxed), kMinimumPeriod);
        return std::chrono::nanoseconds(ticks * 1000000000LL / kTicksPerSecond);
    };
    // The first cycle comes one period after going online.
    auto next = Clock::now() + periodOf();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(entry->mutex);
            if (entry->wake.wait_until(lock, next, [entry] { return entry->stop; })) return;
        }
        record.systemTime = timing.SystemTime();
        const long long local = TransportTime(record.systemTime);
        const bool playing = IsPlaying();
        ++record.syncCount;
        for (int action : {playing ? kDeviceIOPlayRead : kDeviceIOStopRead,
                           playing ? kDeviceIOPlayWrite : kDeviceIOStopWrite}) {
            record.localTime = local;
            CycleTime(record) = local;
            entry->context.time = local;
            device->DeviceIO(action, record);
        }
        cycles_.fetch_add(1, std::memory_order_relaxed);
        const auto period = periodOf();
        next += period;
        const auto now = Clock::now();
        if (now - next > period) next = now;
    }
}

void DeviceManager::TransportNotify(int code, long long localTime) {
    const long long system = TimingManager::Instance().SystemTime();
    const bool wasRecording = IsRecording();
    {
        std::lock_guard<std::mutex> lock(transportMutex_);
        switch (code) {
            case kTransportPlay:
            case kTransportRecord:
                playing_ = true;
                recording_ = code == kTransportRecord;
                playLocal_ = localTime;
                playSystem_ = system;
                break;
            case kTransportStop:
            case kTransportEnd:
                playing_ = false;
                recording_ = false;
                break;
            case kTransportJump:
            case kTransportLoop:
                playLocal_ = localTime;
                playSystem_ = system;
                break;
            default:
                break;
        }
    }
    const bool recording = IsRecording();
    for (const auto& e : entries_) {
        if (!e->online.load(std::memory_order_acquire)) continue;
        if (recording && !wasRecording) e->device->BeginRecording(localTime);
        if (!recording && wasRecording) e->device->EndRecording(localTime, GlobalDisplayContext());
        e->device->TransportNotify(code, localTime, system);
    }
}

bool DeviceManager::IsPlaying() const {
    std::lock_guard<std::mutex> lock(transportMutex_);
    return playing_;
}

bool DeviceManager::IsRecording() const {
    std::lock_guard<std::mutex> lock(transportMutex_);
    return recording_;
}

long long DeviceManager::TransportTime(long long systemTime) const {
    {
        std::lock_guard<std::mutex> lock(transportMutex_);
        if (playing_) return playLocal_ + (systemTime - playSystem_);
    }
    return TimingManager::Instance().LocalTime();
}

int DeviceManager::FrameCode() const {
    std::lock_guard<std::mutex> lock(transportMutex_);
    return recording_ ? kTransportRecord : playing_ ? kTransportPlay : kTransportIdle;
}

bool DeviceManager::EvaluateDevices(const EvaluationContext& context) {
    if (entries_.empty()) return false;
    const int code = FrameCode();
    bool drives = false;
    for (const auto& e : entries_) {
        if (!e->online.load(std::memory_order_acquire)) continue;
        Device* device = e->device;
        device->TakeSamples(context);
        device->DeviceEvaluate(code, context);
        drives = drives || device->PlayMode() == 0;
    }
    return drives;
}

int DeviceManager::ApplyBindings() {
    int written = 0;
    for (const auto& e : entries_) {
        if (!e->online.load(std::memory_order_acquire) || e->device->PlayMode() != 0) continue;
        if (ModelTemplate* root = e->device->TemplateRoot()) written += root->ApplyBindings();
    }
    return written;
}

}  // namespace velora
