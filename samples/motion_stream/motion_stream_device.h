#ifndef VELORA_SAMPLE_MOTION_STREAM_DEVICE_H
#define VELORA_SAMPLE_MOTION_STREAM_DEVICE_H

// A motion-stream device: it plays a BVH motion-capture file as if a
// capture system were streaming it live, one frame per frame time of the
// file, looping.
//
//  - "FilePath" names the file. Loading it builds the device's model
//    template (the file's skeleton, each joint a template with its offset)
//    and one output per joint: "<joint> Rotation" (and "<joint>
//    Translation" for a joint with position channels), bound to the
//    joint's "Lcl Rotation" ("Lcl Translation") and recorded.
//  - The input/output cycle publishes every frame that fell due since the
//    last cycle, each stamped with its own time (the file's clock, in the
//    hardware-timestamp sampling mode): nothing is skipped when a cycle
//    runs late. While the transport plays or records, frame k is due at
//    the transport's start time plus k frame times; so recording the
//    file's length gives keys equal to the file's channels at its frames.
//  - The evaluation writes the newest frame to the outputs; the host
//    moves the bound models.
//
// The cycle and the evaluation run on different threads: the stream clock
// and the newest frame they share sit behind an LyFastLock.

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>

#include "bvh_motion.h"

namespace velora_sample {

class MotionStreamDevice : public VELSDK2025::LyDevice {
    LYSDK_CLASS_DECLARE(MotionStreamDevice, VELSDK2025::LyDevice)
public:
    explicit MotionStreamDevice(const char* name) : LyDevice(name) {
        FilePath.Init(this, "FilePath", &GetFilePath, &SetFilePath);
        PropertyAdd(&FilePath);
        Loop.Init(this, "Loop", &GetLoop, &SetLoop);
        PropertyAdd(&Loop);
        // The file says when each frame was taken: key at its times.
        SamplingMode = VELSDK2025::kLyHardwareTimestamp;
    }

    /// Loads `path` (a relative one from the working directory, which is
    /// the scene's own while a scene opens), building the template and outputs when the skeleton
    /// differs from the one loaded; false (the device unchanged) when the
    /// file cannot be read.
    bool LoadFile(const char* path) {
        BvhMotion motion;
        std::string error;
        if (!motion.Load(path, &error)) {
            Status = ("Cannot load: " + error).c_str();
            return false;
        }
        const bool online = Online;
        if (online) Online = false;
        // Kept as a full path: a scene saved elsewhere still finds the file.
        char* full = ::realpath(path, nullptr);
        mFile = full ? full : path;
        std::free(full);
        mMotion = motion;
        BuildChannels();
        SamplingPeriod = VELSDK2025::LyTime(mMotion.FramePeriod());
        Information = (std::to_string(mMotion.JointCount()) + " joints, " + std::to_string(mMotion.FrameCount()) +
                       " frames").c_str();
        Status = "Ready";
        if (online) Online = true;
        return true;
    }

    const BvhMotion& Motion() const { return mMotion; }
    /// The output of `joint` (0: rotation, 1: translation), or null.
    VELSDK2025::LyAnimationNode* Output(int joint, int kind) const {
        for (const Channel& c : mChannels)
            if (c.joint == joint && c.translation == (kind == 1)) return c.node;
        return nullptr;
    }

    bool DeviceOperation(kDeviceOperations operation) override {
        switch (operation) {
            case kLyDeviceOpStart:
                if (mMotion.FrameCount() == 0) return false;
                mLock.Lock();
                mSynced = false;
                mArmed = true;
                mNext = 0;
                mStarted = false;
                mLock.Unlock();
                return true;
            case kLyDeviceOpStop:
            case kLyDeviceOpDone:
                return true;
            default:
                return LyDevice::DeviceOperation(operation);
        }
    }

    void DeviceTransportNotify(kTransportMode mode, VELSDK2025::LyTime time, VELSDK2025::LyTime) override {
        mLock.Lock();
        switch (mode) {
            case kLyDeviceTransportPreparePlay:
            case kLyDeviceTransportPrepareRecord:
            case kLyDeviceTransportJump:
                // The stream restarts with the transport: hold until it runs.
                mSynced = true;
                mArmed = false;
                mOrigin = time.Get();
                mNext = 0;
                break;
            case kLyDeviceTransportPlay:
            case kLyDeviceTransportRecord:
                if (!mSynced) {
                    mSynced = true;
                    mOrigin = time.Get();
                    mNext = 0;
                }
                mArmed = true;
                break;
            case kLyDeviceTransportStop:
                mSynced = false;
                mStarted = false;
                mArmed = true;
                break;
            default:
                break;
        }
        mLock.Unlock();
    }

    void DeviceIONotify(kDeviceIOs action, VELSDK2025::LyDeviceNotifyInfo& info) override {
        if (action != kLyDeviceIOPlayRead && action != kLyDeviceIOStopRead) return;
        const long long period = mMotion.FramePeriod();
        if (period <= 0 || mMotion.FrameCount() == 0) return;
        mLock.Lock();
        if (!mArmed) {
            mLock.Unlock();
            return;
        }
        // Free running (transport stopped): the stream's own clock is the
        // system clock from the first cycle; synced, the transport's.
        const long long now = mSynced ? info.GetLocalTime().Get() : info.GetSystemTime().Get();
        if (!mSynced && !mStarted) {
            mStarted = true;
            mOrigin = now;
            mNext = 0;
        }
        const long long due = now < mOrigin ? -1 : (now - mOrigin) / period;
        const bool synced = mSynced;
        const long long origin = mOrigin;
        const long long localNow = info.GetLocalTime().Get();
        for (long long k = mNext; k <= due; ++k) {
            const int frame = FrameOf(k);
            if (frame < 0) break;
            info.SetLocalTime(VELSDK2025::LyTime(synced ? origin + k * period : localNow));
            Publish(frame, &info.GetEvaluateInfo());
            mNext = k + 1;
            AckOneSampleReceived();
        }
        mLock.Unlock();
    }

    bool DeviceEvaluationNotify(kTransportMode, VELSDK2025::LyEvaluateInfo* info) override {
        std::vector<double> latest;
        mLock.Lock();
        latest = mLatest;
        mLock.Unlock();
        for (std::size_t i = 0; i < mChannels.size() && i * 3 + 2 < latest.size(); ++i)
            mChannels[i].node->WriteData(&latest[i * 3], info);
        return true;
    }

    bool DsxStore(VELSDK2025::LyDsxObject* dsx, VELSDK2025::kDsxObjectStore pass) override {
        if (pass & VELSDK2025::kLyDsxStoreFields) {
            dsx->FieldWriteString("MotionFile", mFile.c_str());
            dsx->FieldWriteInt("MotionLoop", Loop ? 1 : 0);
        }
        return LyDevice::DsxStore(dsx, pass);
    }

    bool DsxRetrieve(VELSDK2025::LyDsxObject* dsx, VELSDK2025::kDsxObjectStore pass) override {
        bool ok = LyDevice::DsxRetrieve(dsx, pass);
        if (pass & VELSDK2025::kLyDsxStoreFields) {
            Loop = !dsx->FieldExists("MotionLoop") || dsx->FieldReadInt("MotionLoop") != 0;
            // Loaded here, so the template exists when the host reads which
            // model it was bound to.
            const char* file = dsx->FieldReadString("MotionFile");
            if (file && *file && mFile != file) ok = LoadFile(file) && ok;
        }
        return ok;
    }

    VELSDK2025::LyPropertyString FilePath;
    VELSDK2025::LyPropertyBool Loop;

private:
    struct Channel {
        int joint;
        bool translation;
        VELSDK2025::LyAnimationNode* node;
    };

    static const char* GetFilePath(void* self) { return static_cast<MotionStreamDevice*>(self)->mFile.c_str(); }
    static void SetFilePath(void* self, const char* path) {
        auto* device = static_cast<MotionStreamDevice*>(self);
        if (path && device->mFile != path) device->LoadFile(path);
    }
    static bool GetLoop(void* self) {
        auto* device = static_cast<MotionStreamDevice*>(self);
        device->mLock.Lock();
        const bool loop = device->mLoop;
        device->mLock.Unlock();
        return loop;
    }
    static void SetLoop(void* self, bool on) {
        auto* device = static_cast<MotionStreamDevice*>(self);
        device->mLock.Lock();
        device->mLoop = on;
        device->mLock.Unlock();
    }

    // The file frame of stream frame k; -1 past the end without a loop.
    int FrameOf(long long k) const {
        const long long n = mMotion.FrameCount();
        if (k < n) return static_cast<int>(k);
        return mLoop ? static_cast<int>(k % n) : -1;
    }

    // Under mLock.
    void Publish(int frame, VELSDK2025::LyEvaluateInfo* info) {
        mLatest.resize(mChannels.size() * 3);
        for (std::size_t i = 0; i < mChannels.size(); ++i) {
            const Channel& c = mChannels[i];
            double translation[3], rotation[3];
            mMotion.Pose(frame, c.joint, translation, rotation);
            double* out = &mLatest[i * 3];
            std::memcpy(out, c.translation ? translation : rotation, sizeof(double) * 3);
            c.node->WriteData(out, info);
        }
    }

    void BuildChannels() {
        // A new skeleton replaces the old outputs and templates.
        for (const Channel& c : mChannels) AnimationNodeDestroy(c.node);
        mChannels.clear();
        while (ModelTemplate.Children.GetCount() > 0) ModelTemplate.Children.RemoveAt(0);
        std::vector<VELSDK2025::LyModelTemplate*> joints;
        for (int j = 0; j < mMotion.JointCount(); ++j) {
            const BvhMotion::Joint& joint = mMotion.JointAt(j);
            auto* t = new VELSDK2025::LyModelTemplate(joint.name.c_str(), VELSDK2025::kLyModelTemplateSkeleton);
            t->DefaultTranslation = VELSDK2025::LyVector3<double>(joint.offset[0], joint.offset[1], joint.offset[2]);
            if (joint.parent < 0) ModelTemplate.Children.Add(t);
            else joints[static_cast<std::size_t>(joint.parent)]->Children.Add(t);
            joints.push_back(t);
            for (int kind = 0; kind < (joint.HasPosition() ? 2 : 1); ++kind) {
                const std::string name = joint.name + (kind ? " Translation" : " Rotation");
                VELSDK2025::LyAnimationNode* node =
                    AnimationNodeOutCreate(static_cast<std::uint64_t>(j * 2 + kind), name.c_str(), "Vector");
                if (!node) continue;
                node->Label = kind ? "Lcl Translation" : "Lcl Rotation";
                node->RecordMode = true;
                t->Bindings.Add(node);
                mChannels.push_back(Channel{j, kind == 1, node});
            }
        }
        mLock.Lock();
        mLatest.clear();
        mLock.Unlock();
    }

    std::string mFile;
    BvhMotion mMotion;
    std::vector<Channel> mChannels;

    // Shared by the cycle and the evaluation.
    VELSDK2025::LyFastLock mLock;
    std::vector<double> mLatest;
    long long mOrigin = 0;
    long long mNext = 0;
    bool mLoop = true;
    bool mSynced = false;   // the stream follows the transport
    bool mArmed = true;     // frames are published
    bool mStarted = false;  // the free-running clock has started
};

}  // namespace velora_sample

#endif  // VELORA_SAMPLE_MOTION_STREAM_DEVICE_H
