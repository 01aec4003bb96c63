#ifndef LYSDK_LYDEVICE_H
#define LYSDK_LYDEVICE_H

// Devices: input and output hardware (motion capture, gloves, cameras,
// network feeds) as relation boxes that the host drives.
//
// The host's cycle, per online device:
//   - "Online" true reaches DeviceOperation(kLyDeviceOpStart): open the
//     hardware and answer true; false reaches kLyDeviceOpStop.
//   - DeviceIONotify runs on a thread of the host at the device's
//     SamplingPeriod, twice per period (a read action, then a write one).
//     Publish what the hardware delivered by writing your outputs with the
//     notify info's evaluation info:
//
//         void DeviceIONotify(kDeviceIOs action, LyDeviceNotifyInfo& info) override {
//             if (action != kLyDeviceIOPlayRead && action != kLyDeviceIOStopRead) return;
//             while (Packet* p = mPort.Next()) {       // everything that arrived
//                 info.SetLocalTime(p->time);           // hardware timestamps
//                 mNode->WriteData(p->values, &info.GetEvaluateInfo());
//                 AckOneSampleReceived();
//             }
//         }
//
//     Each such write is a sample: the host keeps every one (none is
//     dropped between frames), hands the newest to the scene's evaluation
//     and, while the transport records, keys the recorded outputs (their
//     RecordMode on) at the sample times that SamplingMode chooses.
//   - DeviceEvaluationNotify runs once per frame on the evaluation side;
//     the models bound to the device's model templates then follow its
//     outputs while the device is Live.
//   - DeviceTransportNotify hears play, stop and record.
// Data that DeviceIONotify and DeviceEvaluationNotify share must be
// guarded with the locks of lylock.h: they run on different threads.

#include "lysdk/lyarray.h"
#include "lysdk/lybox.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyevent.h"
#include "lysdk/lymodeltemplate.h"
#include "lysdk/lystring.h"
#include "lysdk/lytime.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LyDevice;
class LyDeviceInstrument;
class LyModel;

/// How the host times a device's samples when it records them.
enum LyDeviceSamplingMode {
    kLyHardwareTimestamp = 0,  ///< the local time the device gives each sample
    kLyHardwareFrequency = 1,  ///< the recording's start plus rank times the hardware period
    kLySoftwareTimestamp = 2,  ///< the host's local time when the cycle ran
    kLyAutoFrequency = 3,      ///< the cycle's time on the grid of the sampling period
};
LYSDK_ENUM_TEXTS(LyDeviceSamplingMode);

/// The host's record of one input/output event, handed to DeviceIONotify.
/// It is the host's own record: it is never copied, and lives for the call.
class LYSDK_API LyDeviceNotifyInfo {
public:
    LyDeviceNotifyInfo() = delete;
    LyDeviceNotifyInfo(const LyDeviceNotifyInfo&) = delete;
    LyDeviceNotifyInfo& operator=(const LyDeviceNotifyInfo&) = delete;

    /// The system time at which the cycle ran.
    LyTime& GetSystemTime();
    /// The transport's local time of the cycle (or the time set below).
    LyTime& GetLocalTime();
    /// Stamps the samples published next with `time` (hardware clocks).
    void SetLocalTime(const LyTime& time);
    /// How many cycles the device has run since it went online.
    int GetSyncCount();
    /// The evaluation info to publish samples with.
    LyEvaluateInfo& GetEvaluateInfo();
};

/// The device's instruments (a glove, a camera, a marker set), in order.
/// The list does not own them.
class LYSDK_API LyPropertyListDeviceInstrument : public LyPropertyBaseList<LyDeviceInstrument*> {
public:
    LyPropertyListDeviceInstrument& Init(void* parent, const char* name);
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyDeviceInstrument* GetAt(int index) override;
    void RemoveAt(int index) override;
    /// Appends (once); returns the count afterwards, -1 for null.
    int Add(LyDeviceInstrument* instrument);

private:
    LyArrayTemplate<LyDeviceInstrument*> mItems;
};

class LYSDK_API LyDevice : public LyBox {
    LYSDK_CLASS_DECLARE(LyDevice, LyBox)
public:
    /// What the host asks of the device.
    enum kDeviceOperations {
        kLyDeviceOpInit = 0,
        kLyDeviceOpStart = 1,       ///< go online; answer whether it worked
        kLyDeviceOpAutoDetect = 2,  ///< look for the hardware
        kLyDeviceOpStop = 3,        ///< go offline
        kLyDeviceOpReset = 4,
        kLyDeviceOpDone = 5,        ///< the device is about to end
    };
    /// What the transport does.
    enum kTransportMode {
        kLyDeviceTransportPreparePlay = 0,
        kLyDeviceTransportPlay = 1,
        kLyDeviceTransportStop = 2,
        kLyDeviceTransportRecord = 3,
        kLyDeviceTransportIdle = 4,  ///< a frame while the transport stands
        kLyDeviceTransportJump = 5,
        kLyDeviceTransportPrepareRecord = 6,
    };
    /// The actions of one input/output cycle.
    enum kDeviceIOs {
        kLyDeviceIOPlayWrite = 0,
        kLyDeviceIOStopWrite = 1,
        kLyDeviceIOPlayRead = 2,
        kLyDeviceIOStopRead = 3,
    };

    /// With no host object: creates the "__LyDevice" bridge named `name`
    /// and owns it. With one: wraps it.
    explicit LyDevice(const char* name, HIObject object = nullptr);
    ~LyDevice() override;

    /// The device interface is the host object's; the recording interface
    /// answers null while SamplingMode is kLyAutoFrequency.
    IObject* IQuery(std::uint32_t id, int arg = 0) override;

    // Hooks.
    /// The default hands the operation to the host's own device handling.
    virtual bool DeviceOperation(kDeviceOperations operation);
    virtual void DeviceTransportNotify(kTransportMode mode, LyTime time, LyTime systemTime);
    virtual void DeviceIONotify(kDeviceIOs action, LyDeviceNotifyInfo& info);
    /// True by default (the answer is not used by the host).
    virtual bool DeviceEvaluationNotify(kTransportMode mode, LyEvaluateInfo* info);
    /// A template is about to be bound to `model`; false refuses.
    virtual bool ModelTemplateBindNotify(LyModel* model, int index, LyModelTemplate* modelTemplate);
    virtual bool ModelTemplateUnBindNotify(int index, LyModelTemplate* modelTemplate);
    /// Asks the host to send `operation` to this device.
    virtual void DeviceSendCommand(kDeviceOperations operation);
    /// Around the host's recording of one of the outputs.
    virtual void RecordingInitAnimation(LyAnimationNode* node);
    virtual void RecordingDoneAnimation(LyAnimationNode* node);

    // LyBox.
    LyAnimationNode* AnimationNodeInCreate(std::uint64_t userId, const char* name, const char* dataType,
                                           bool animatable = false, double* min = nullptr, double* max = nullptr,
                                           bool userData = false) override;
    LyAnimationNode* AnimationNodeOutCreate(std::uint64_t userId, const char* name, const char* dataType,
                                            bool animatable = false, double* min = nullptr,
                                            double* max = nullptr) override;
    /// True by default.
    bool AnimationNodeNotify(LyAnimationNode* node, LyEvaluateInfo* info) override;
    /// "SamplingMode" on the fields pass, then every instrument's store:
    /// true only when all of them are.
    bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) override;
    bool DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) override;
    const char* DsxGetObjectType() override;
    /// Creates the instruments too (their answers are not used).
    bool LyCreate() override;
    /// Unbinds the templates and destroys the instruments.
    void LyDestroy() override;

    // Counters of the info block; each adds one, without a lock.
    void AckOneSampleReceived();
    void AckOneSampleSent();
    void AckOneBadSampleReceived();

    /// Binds the binding template with no model: the host builds the
    /// models. Returns the root model, or null without a template.
    LyModel* ModelBindingCreate();
    /// Appends the scene models that fit the binding template (at most
    /// 200, in the scene's order); nothing without a template.
    void ModelBindingRootsList(LyArrayTemplate<LyModel*>& roots);

    /// The root of the device's templates; its first child is the binding
    /// template.
    LyModelTemplate ModelTemplate;

    LyPropertyString Status;
    LyPropertyString HardwareVersionInfo;
    LyPropertyString Information;
    LyPropertyBool Online;
    LyPropertyTime SamplingPeriod;
    LyPropertyBaseComponent<LyModel*> ModelBindingRoot;
    LyPropertyBaseEnum<LyDeviceSamplingMode> SamplingMode;
    /// 0, and not writable, unless the host object is a "__LyDevice".
    LyPropertyInt CommType;
    LyPropertyEvent OnStatusChange;
    LyPropertyTime RecordingStartTime;
    LyPropertyTime RecordingStopTime;
    LyPropertyListDeviceInstrument Instruments;

protected:
    /// The host's interfaces: the box, the device and its info block.
    struct DeviceRecord {
        IObject* box;
        IObject* device;
        void* info;
    };
    DeviceRecord mDevice;

private:
    void InitDeviceProperties();
};

/// A part of a device with its own data (one glove of a pair, one camera).
class LYSDK_API LyDeviceInstrument : public LyComponent {
    LYSDK_CLASS_DECLARE(LyDeviceInstrument, LyComponent)
public:
    /// Belongs to `device`; add it to the device's Instruments.
    explicit LyDeviceInstrument(LyDevice* device);
    ~LyDeviceInstrument() override;

    /// Writes the instrument's data in an evaluation; true by default.
    virtual bool InstrumentWriteData(LyEvaluateInfo* info);
    /// Records the instrument's data of one cycle; nothing by default.
    virtual void InstrumentRecordFrame(LyTime time, LyDeviceNotifyInfo& info);
    /// "InstrumentActive" on the fields pass; true.
    virtual bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass);
    virtual bool DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass);

    LyPropertyBaseComponent<LyDevice*> Device;
    LyPropertyBaseComponent<LyModelTemplate*> ModelTemplate;
    LyPropertyBool Active;

private:
    struct InstrumentRecord {
        LyDevice* device;
        bool active;
        LyModelTemplate* modelTemplate;
    };
    InstrumentRecord mRecord;
    friend struct __LyInstrumentAccess;
};

/// A device preset for a hand: the host's hand of 22 parts ("Palm",
/// "Wrist", then four joints of each finger from the thumb), bound through
/// one template, each part driven by an output "<part> Rotation".
class LYSDK_API LyDeviceGlove : public LyDevice {
    LYSDK_CLASS_DECLARE(LyDeviceGlove, LyDevice)
public:
    /// An animation node of the glove with its name.
    struct GloveChannel {
        explicit GloveChannel(LyAnimationNode* node);
        LyAnimationNode* mNode;
        LyString mName;
        int mFlag;
    };

    explicit LyDeviceGlove(const char* name, HIObject object = nullptr);

    /// The rotation output of part 0 to 21; null beyond.
    LyAnimationNode* GetModelRotationNode(int part);
    /// Gives the hand its geometry (left or right), binds the template to
    /// its model again and tells the current take.
    void InitializeModelGeometry();
    /// Holds `vector` (degrees) to what the part's joint allows.
    void VectorToModelPartAngle(int part, LyVector3<double>& vector);

    LyPropertyBool LeftHand;

private:
    LyModelTemplate* mHand;
};

LYSDK_ENUM_TEXTS(LyDevice::kDeviceOperations);
LYSDK_ENUM_TEXTS(LyDevice::kTransportMode);
LYSDK_ENUM_TEXTS(LyDevice::kDeviceIOs);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYDEVICE_H
