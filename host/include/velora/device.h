#ifndef VELORA_DEVICE_H
#define VELORA_DEVICE_H

// Devices: boxes fed from outside the scene (motion-capture hardware,
// gloves, network streams), and the host's device cycle.
//
// A device is a box (class kClassDevice). The device manager (one per
// process, reached through EvaluationManager::Devices()) knows every living
// device and drives it:
//
//  - Commands. The manager takes a device online (command 2) and offline
//    (command 3), and sends it the other command codes on request. A device
//    answers through DeviceCommand; the manager marks it online only when
//    it accepted command 2. Offline stops its input/output cycle before the
//    device hears command 3, so the device never closes what its cycle is
//    still reading.
//  - The input/output cycle. Each online device has a thread of its own
//    that wakes at the device's sampling period on the steady clock and
//    calls DeviceIO twice per period: the read action, then the write
//    action (play or stop forms, by the transport's state), with a notify
//    record of the system time, the transport's local time at that system
//    time and a count of the cycles. A cycle that falls behind by more
//    than a period starts again from now instead of catching up in a burst.
//  - Samples. A device publishes what it read by writing its output
//    connectors with the notify record's evaluation context (the record's
//    `context`): such a write is not a value of the scene's evaluation but
//    a sample, stamped with the record's local time, and queued. Nothing
//    of the queue is dropped: the evaluation side takes every sample that
//    arrived since the last frame.
//  - Evaluation. At the start of each scene evaluation (before timing 1)
//    every online device has its queued samples taken (its outputs hold
//    the newest one, recorded ones become keys) and hears DeviceEvaluate
//    with the transport code of the frame. Then, once the models' own
//    animation has been read, every live device ("Live", play mode 0)
//    writes its outputs into the models bound to its model templates.
//  - Transport. Play, stop and record reach every online device through
//    TransportNotify, on the thread that moves the transport.
//  - Recording. While the transport records, each recorded output of an
//    online device (its node's record mode is on) is written as keys, one
//    per sample at the sample's time: into the property of the bound model
//    that the output drives, or, for an output bound to no model, into a
//    property of the device named after the output. RecordingPrepare runs
//    for each such output when recording starts and RecordingEnd when it
//    stops; keys go through one function (RecordKeys) so that the take
//    they land in can be chosen in one place.
//
// Sample times by sampling mode (the recording interface):
//   kSamplingHardwareTimestamp  the local time the device put in the notify
//                               record (the hardware's own clock)
//   kSamplingHardwareFrequency  the recording's start plus the sample's rank
//                               times the hardware period
//   kSamplingSoftwareTimestamp  the local time at which the cycle ran
//   kSamplingAutoFrequency      the cycle's local time moved to the nearest
//                               step of the sampling period from the
//                               recording's start
//
// Threads. Commands, transport notifications, templates and storage run on
// the main thread; DeviceIO runs on the device's own thread; DeviceEvaluate
// and the binding of models on the thread that runs the frame. The sample
// queue, the online state and the transport state read by the cycles are
// guarded here; what a device shares between its DeviceIO and its
// DeviceEvaluate is the device's to guard.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "velora/box.h"
#include "velora/event_source.h"

namespace velora {

class Model;
class ModelTemplate;
class Device;

/// Interface ids a device answers: the device itself (its info block) and
/// its recording interface; a template binding (answered by the SDK's
/// device, which owns one).
constexpr std::uint32_t kIdDevice = 4432;
constexpr std::uint32_t kIdRecording = 6664433;
constexpr std::uint32_t kIdModelTemplateBinding = 4439;

/// The event type of a device's status changes, and its flag.
constexpr int kEventDeviceStatus = 8460;
constexpr int kEventDeviceStatusFlag = 0x100000;

/// Device command codes.
enum DeviceCommandCode : int {
    kDeviceCommandInit = 0,
    kDeviceCommandDone = 1,     ///< the device is about to end
    kDeviceCommandOnline = 2,
    kDeviceCommandOffline = 3,
    kDeviceCommandReset = 4,
    kDeviceCommandDetect = 5,   ///< look for the hardware
};

/// Transport codes heard by devices.
enum DeviceTransportCode : int {
    kTransportIdle = 0,          ///< no transport movement (each frame while stopped)
    kTransportPreparePlay = 1,
    kTransportPlay = 2,
    kTransportRecord = 3,        ///< playing and recording
    kTransportStop = 4,
    kTransportPlayReverse = 5,
    kTransportStepForward = 6,
    kTransportStepBackward = 7,
    kTransportScrub = 8,
    kTransportPrepareRecord = 9,
    kTransportLoop = 10,         ///< playback wrapped to the loop start
    kTransportEnd = 11,          ///< playback reached the end
    kTransportJump = 12,         ///< the time was set
};

/// Input/output actions of a cycle.
enum DeviceIOAction : int {
    kDeviceIOPlayWrite = 0,
    kDeviceIOPlayRead = 1,
    kDeviceIOStopWrite = 2,
    kDeviceIOStopRead = 3,
};

enum DeviceSamplingMode : int {
    kSamplingHardwareTimestamp = 0,
    kSamplingHardwareFrequency = 1,
    kSamplingSoftwareTimestamp = 2,
    kSamplingAutoFrequency = 3,
};

/// A device's info block, shared with its extension, which reads it at
/// fixed offsets: the counters at 24, 28 and 32, the texts at 40, 72 and
/// 104. The counters are atomic so that a device's thread may count while
/// another reads; the texts belong to the main thread.
struct VELORA_API DeviceInfo {
    Device* device = nullptr;
    std::uint32_t flags = 0;
    std::uint32_t reserved = 0;
    long long lastSampleTime = 0;  ///< system time of the last sample taken
    std::atomic<std::int32_t> samplesReceived{0};
    std::atomic<std::int32_t> samplesSent{0};
    std::atomic<std::int32_t> badSamplesReceived{0};
    std::int32_t padding = 0;
    std::string status;
    std::string hardwareVersionInfo;
    std::string information;
};

/// The record of one input/output event. Its layout is shared with the
/// SDK: system time at 0, local time at 8, sync count at 32, the
/// evaluation context at 40.
struct DeviceNotifyRecord {
    long long systemTime = 0;
    long long localTime = 0;
    long long reserved[2] = {0, 0};
    std::int32_t syncCount = 0;
    std::int32_t padding = 0;
    EvaluationContext* context = nullptr;
};

/// A model template: a node of the shape of models a device drives. A
/// template tree is bound to a model tree: the root to a model, each child
/// template to the child model of its name. Bindings are output connectors
/// of the device; each drives the property of the bound model named by the
/// node's label (its name when the label is empty), "Lcl Rotation" say.
class VELORA_API ModelTemplate final : public Object {
public:
    /// The host class of templates ("ModelTemplate").
    static int ClassIdOf();
    /// Kinds of the model built for a template.
    enum TemplateKind : int { kKindNull = 0, kKindSkeleton = 1, kKindRoot = 2 };
    static ModelTemplate* Create(const char* name, int kind = kKindNull);

    int Kind() const { return kind_; }
    void SetKind(int kind) { kind_ = kind >= kKindNull && kind <= kKindRoot ? kind : kKindNull; }
    /// Local values the built model starts with (translation, rotation in
    /// degrees, scaling).
    double* DefaultTransform(int which) { return defaults_[which < 0 || which > 2 ? 0 : which]; }

    // The tree: children are owned and end with their parent.
    ModelTemplate* ParentTemplate() const { return static_cast<ModelTemplate*>(parent_.Get()); }
    int ChildCount() const override;
    Object* Child(int i) const override { return ChildTemplate(i); }
    ModelTemplate* ChildTemplate(int i) const;
    /// Makes `child` the last child (it leaves its previous parent); false
    /// for null, itself or one of its ancestors.
    bool AddChild(ModelTemplate* child);
    bool RemoveChild(ModelTemplate* child);
    /// The template of this tree (this one included) named `name`, or null.
    ModelTemplate* Find(const char* name);

    // Bindings.
    int BindingCount() const;
    AnimationNode* Binding(int i) const;
    /// Adds an output connector; false for a node that is not an output or
    /// is bound already.
    bool AddBinding(AnimationNode* node);
    bool RemoveBinding(AnimationNode* node);
    /// The property a binding drives on `model` (null when it has none).
    static Property* BoundProperty(AnimationNode* node, Model* model);

    // Models.
    Model* BoundModel() const;
    /// Binds the tree to `model`: each child template to the child model of
    /// its name (unmatched children stay unbound). With null, builds a model
    /// per template (the template's kind, name and default values) under
    /// the scene root and binds to those. False when nothing was bound.
    bool Match(Model* model);
    /// Unbinds the whole tree.
    void Unbind();
    /// Scene models whose hierarchy has a child of each child template's
    /// name (recursively), in the scene's order, at most `limit`.
    std::vector<Model*> Candidates(int limit) const;
    /// Whether `model` has the shape of this tree.
    bool Fits(const Model* model) const;

    /// Writes every binding's output value into its bound property, down
    /// the tree; returns how many were written.
    int ApplyBindings();

private:
    explicit ModelTemplate(const char* name, int kind);
    void Teardown() override;
    Model* Build(Model* parent);

    int kind_;
    double defaults_[3][3] = {{0, 0, 0}, {0, 0, 0}, {1, 1, 1}};
    PlugHandle parent_;
    std::vector<PlugHandle> children_;
    std::vector<PlugHandle> bindings_;
    PlugHandle model_;
};

/// The host's hand: a template of 22 parts (the palm, the wrist and four
/// joints per finger) that a glove device binds, with the processing of a
/// part's angles.
struct VELORA_API HandModel {
    static constexpr int kPartCount = 22;
    /// The part's name ("Palm", "Wrist", "Thumb1" ... "Pinky4"), or null.
    static const char* PartName(int part);
    /// Builds the template tree named `name` (left or right hand); each part
    /// is bound to a new output "<part> Rotation" of `device`.
    static ModelTemplate* Build(Device* device, const char* name, bool left);
    /// Gives the parts their lengths and directions for a left or right hand.
    static void SetGeometry(ModelTemplate* hand, bool left);
    /// The angles of `part` held to what the joint allows (fingers bend on
    /// one axis, the thumb and wrist on all three within their ranges);
    /// false for a part outside 0..21.
    static bool ProcessPartAngles(int part, double* angles);
};

class VELORA_API Device : public Box {
public:
    /// A new device of class `classId` (kClassDevice or derived).
    static Device* Create(const char* name, int classId = kClassDevice);

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    const char* StorageObjectType() const override { return "Device"; }
    Device* AsDeviceBox() noexcept override { return this; }

    DeviceInfo& Info() { return info_; }
    /// Sets the Status text and tells the status listeners (a change only).
    void SetStatusText(const char* text);
    EventSource& StatusEvents() { return status_; }

    // What a device without an extension does; a bridge forwards these.
    /// The device's own handling of a command code; true accepts.
    virtual bool DeviceCommand(int code);
    virtual void TransportNotify(int code, long long time, long long systemTime);
    virtual void DeviceIO(int action, DeviceNotifyRecord& record);
    virtual bool DeviceEvaluate(int code, const EvaluationContext& context);
    /// Around the recording of one output: the base makes its target
    /// property animated; the end does nothing.
    virtual void RecordingPrepare(AnimationNode* node);
    virtual void RecordingEnd(AnimationNode* node);

    // The recording interface.
    int SamplingMode() const { return samplingMode_.load(std::memory_order_relaxed); }
    /// Values outside 0..3 are taken as kSamplingSoftwareTimestamp.
    void SetSamplingMode(int mode);
    long long HardwarePeriod() const { return hardwarePeriod_.load(std::memory_order_relaxed); }
    void SetHardwarePeriod(long long period);
    long long RecordingStartTime() const { return recordStart_; }
    long long RecordingStopTime() const { return recordStop_; }

    /// The root of the device's templates (made with the device); its
    /// children are the device's templates, the first the binding one.
    ModelTemplate* TemplateRoot() const;
    ModelTemplate* BindingTemplate() const;

    /// A sample of an output (see the top of this file); false for a node
    /// that is not one of this device's outputs.
    bool PublishSample(AnimationNode* output, const double* values, const DeviceNotifyRecord& record);
    /// Samples taken since the device was made.
    std::uint64_t SamplesTaken() const { return samplesTaken_; }

    /// The property an output's keys go to while recording (see the top
    /// of this file); made on demand for an unbound output.
    Property* RecordTarget(AnimationNode* output);

protected:
    Device(const char* name, int classId);
    void Teardown() override;

private:
    friend class DeviceManager;
    struct Sample {
        AnimationNode* node;
        long long time;
        bool recorded;  // published while this device recorded
        double values[4];
    };
    /// Takes the queued samples (frame thread): outputs get the newest
    /// values; recorded ones are keyed when `recording`.
    void TakeSamples(const EvaluationContext& context);
    /// Starts or ends this device's recording (main thread).
    void BeginRecording(long long localTime);
    void EndRecording(long long localTime, const EvaluationContext& context);

    DeviceInfo info_;
    EventSource status_;
    PlugHandle templates_;
    std::atomic<int> samplingMode_{kSamplingSoftwareTimestamp};
    std::atomic<long long> hardwarePeriod_{0};
    std::atomic<long long> period_{141120000 / 60};
    long long recordStart_ = 0;
    long long recordStop_ = 0;

    // Shared with the cycle, under queueMutex_.
    std::mutex queueMutex_;
    std::vector<Sample> queue_;
    bool recordingOn_ = false;
    long long queueRecordStart_ = 0;
    std::unordered_map<const AnimationNode*, long long> ranks_;  // samples per output this recording

    // The frame's side.
    std::vector<Sample> taking_;
    std::uint64_t samplesTaken_ = 0;
    struct Recorded {
        PlugHandle node;
        PlugHandle target;  // the property keys go to
    };
    std::unordered_map<const AnimationNode*, Recorded> recorded_;
};

/// The host's device cycle (see the top of this file).
class VELORA_API DeviceManager {
public:
    static DeviceManager& Instance();
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    /// Living devices, in creation order.
    int DeviceCount() const;
    Device* DeviceAt(int i) const;

    /// Sends `code` to `device` and acts on the answer (online, offline).
    /// Returns the device's answer; false for a device the manager does not
    /// know.
    bool SendCommand(Device* device, int code);
    bool IsOnline(const Device* device) const;
    /// The device's sampling period in ticks (default 1/60 s).
    long long SamplingPeriod(const Device* device) const;
    /// Periods below 1/100000 s are raised to it; a running cycle takes
    /// the new period at its next wake.
    void SetSamplingPeriod(Device* device, long long period);

    /// The transport tells the devices (main thread): play, stop, record
    /// and the rest of DeviceTransportCode. Record starts recording (every
    /// online device prepares its recorded outputs), stop ends it.
    void TransportNotify(int code, long long localTime);
    bool IsPlaying() const;
    bool IsRecording() const;
    /// The transport's local time at `systemTime`: moving with the system
    /// clock while playing, else the current local time.
    long long TransportTime(long long systemTime) const;
    /// The code of the frame: record, play or idle.
    int FrameCode() const;

    /// At the start of a scene evaluation: samples and DeviceEvaluate for
    /// every online device. Returns whether a live device drives models.
    bool EvaluateDevices(const EvaluationContext& context);
    /// After the models' animation is read: live devices drive their
    /// models. Returns how many properties were written.
    int ApplyBindings();

    /// Cycles run so far by every device (for diagnostics).
    std::uint64_t CyclesRun() const { return cycles_.load(std::memory_order_relaxed); }

private:
    friend class Device;
    DeviceManager() = default;
    ~DeviceManager() = default;
    struct Entry;
    void Join(Device* device);
    void Leave(Device* device);
    Entry* Find(const Device* device) const;
    void StartCycle(Entry& entry);
    void StopCycle(Entry& entry);
    void RunCycle(Entry* entry);
    void BeginRecording(long long localTime);
    void EndRecording(long long localTime);

    std::vector<std::unique_ptr<Entry>> entries_;  // main thread
    mutable std::mutex transportMutex_;
    bool playing_ = false;
    bool recording_ = false;
    long long playLocal_ = 0;
    long long playSystem_ = 0;
    std::atomic<std::uint64_t> cycles_{0};
};

/// Writes one recorded sample as keys of `property` at `time` (its members
/// from `values`) on the current take's base layer, making the property
/// animated (and the take) first. Every recorded key
/// of a device goes through here.
VELORA_API bool RecordKeys(Property* property, long long time, const double* values);

/// The device behind an object, or null.
VELORA_API Device* AsDevice(Object* object);

}  // namespace velora

#endif  // VELORA_DEVICE_H
