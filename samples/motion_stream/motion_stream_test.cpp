// The motion-stream device in the reference host: its skeleton, a live
// recording compared with the file frame by frame, and a scene that keeps
// the device with its settings.

#include <cmath>
#include <cstdio>
#include <string>

#include <lytesting/lytesting.h>

#include "motion_stream_device.h"

using namespace VELSDK2025;

namespace {

class MotionStreamTest : public LyPluginTest {
protected:
    void SetUp() override {
        LyPluginTest::SetUp();
        ASSERT_TRUE(Host().LoadPlugin(LYSDK_TEST_PLUGIN)) << Host().LastError();
        std::string error;
        ASSERT_TRUE(mMotion.Load(MOTION_STREAM_BVH, &error)) << error;
    }

    // The plug-in's own object, by its class name (its type id lives in
    // the plug-in).
    static velora_sample::MotionStreamDevice* Stream(LyComponent* object) {
        return object && std::string(object->ClassName()) == "MotionStreamDevice"
                   ? static_cast<velora_sample::MotionStreamDevice*>(object)
                   : nullptr;
    }

    velora_sample::MotionStreamDevice* MakeDevice(LyTestHost& host) {
        velora_sample::MotionStreamDevice* device =
            Stream(host.Create("Devices/Motion Capture", "Motion Stream", "Arm"));
        EXPECT_NE(device, nullptr) << host.LastError();
        if (!device) return nullptr;
        device->FilePath = MOTION_STREAM_BVH;
        EXPECT_STREQ(device->Status, "Ready");
        return device;
    }

    static LyAnimationNode* Curves(const char* model, const char* property) {
        LyModel* m = LyFindModelByLabelName(model);
        auto* p = m ? static_cast<LyPropertyAnimatable*>(m->PropertyList.Find(property)) : nullptr;
        return p && p->IsAnimated() ? p->GetAnimationNode() : nullptr;
    }

    velora_sample::BvhMotion mMotion;
};

TEST_F(MotionStreamTest, ItsTemplateBuildsTheFilesSkeleton) {
    velora_sample::MotionStreamDevice* device = MakeDevice(Host());
    ASSERT_NE(device, nullptr) << Host().LastError();
    EXPECT_EQ(LyTime(device->SamplingPeriod).Get(), 141120000 / 30);  // 0.0333333 s is 30 frames a second
    LyModel* root = device->ModelBindingCreate();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetName(), "Shoulder");
    EXPECT_EQ(static_cast<LyModel*>(device->ModelBindingRoot), root);
    LyModel* wrist = LyFindModelByLabelName("Wrist");
    ASSERT_NE(wrist, nullptr);
    ASSERT_NE(static_cast<LyModel*>(wrist->Parent), nullptr);
    EXPECT_STREQ(static_cast<LyModel*>(wrist->Parent)->GetName(), "Elbow");
    LyVector3<double> offset;
    wrist->PropertyList.Find("Lcl Translation")->GetData(&offset, sizeof offset);
    EXPECT_DOUBLE_EQ(offset[0], 0.25);
}

// The device streams in real time; what it sent while the transport
// recorded is in the joints' curves, at the file's frame times.
TEST_F(MotionStreamTest, ARecordingOfTheFilesLengthHoldsEveryFrame) {
    velora_sample::MotionStreamDevice* device = MakeDevice(Host());
    ASSERT_NE(device, nullptr) << Host().LastError();
    ASSERT_NE(device->ModelBindingCreate(), nullptr);
    device->Online = true;
    ASSERT_TRUE(device->Online);
    const long long period = mMotion.FramePeriod();
    const int frames = mMotion.FrameCount();
    // Two frames more than the file: the last one is due before the stop.
    ASSERT_TRUE(Host().Play(LyTime(0), LyTime(period * (frames + 1)), true)) << Host().LastError();
    device->Online = false;
    EXPECT_EQ(LyTime(device->RecordingStartTime).Get(), 0);
    EXPECT_EQ(LyTime(device->RecordingStopTime).Get(), period * (frames + 1));

    // Frame 1 of the file, as written there: the shoulder's Z rotation.
    LyAnimationNode* shoulder = Curves("Shoulder", "Lcl Rotation");
    ASSERT_NE(shoulder, nullptr);
    double value[3];
    ASSERT_TRUE(shoulder->Evaluate(value, LyTime(period)));
    EXPECT_NEAR(value[2], 2.4949, 1e-6);

    for (int j = 0; j < mMotion.JointCount(); ++j) {
        const velora_sample::BvhMotion::Joint& joint = mMotion.JointAt(j);
        LyAnimationNode* rotation = Curves(joint.name.c_str(), "Lcl Rotation");
        LyAnimationNode* translation = Curves(joint.name.c_str(), "Lcl Translation");
        ASSERT_NE(rotation, nullptr) << joint.name;
        ASSERT_EQ(translation != nullptr, joint.HasPosition()) << joint.name;
        for (int k = 0; k < frames; ++k) {
            double t[3], r[3], got[3];
            mMotion.Pose(k, j, t, r);
            ASSERT_TRUE(rotation->Evaluate(got, LyTime(k * period)));
            for (int i = 0; i < 3; ++i) ASSERT_NEAR(got[i], r[i], 1e-6) << joint.name << " frame " << k;
            if (!translation) continue;
            ASSERT_TRUE(translation->Evaluate(got, LyTime(k * period)));
            for (int i = 0; i < 3; ++i) ASSERT_NEAR(got[i], t[i], 1e-6) << joint.name << " frame " << k;
        }
    }
    // Played back with the device offline, the take moves the skeleton.
    ASSERT_TRUE(Host().Evaluate(LyTime(10 * period)));
    LyVector3<double> now;
    LyFindModelByLabelName("Wrist")->PropertyList.Find("Lcl Rotation")->GetData(&now, sizeof now);
    double t[3], r[3];
    mMotion.Pose(10, 2, t, r);
    EXPECT_NEAR(now[2], r[2], 1e-6);
}

TEST_F(MotionStreamTest, TheDeviceIsSavedAndOpenedWithItsSettings) {
    const std::string path = ::testing::TempDir() + "motion-stream-scene.dsx";
    velora_sample::MotionStreamDevice* device = MakeDevice(Host());
    ASSERT_NE(device, nullptr) << Host().LastError();
    ASSERT_NE(device->ModelBindingCreate(), nullptr);
    device->SamplingMode = kLyHardwareFrequency;
    device->CommType = 7;
    device->SamplingPeriod = LyTime(141120000 / 120);
    device->Loop = false;
    ASSERT_TRUE(Host().SaveScene(path.c_str())) << Host().LastError();
    Host().Shutdown();

    LyTestHost again;
    ASSERT_TRUE(again.LoadPlugin(LYSDK_TEST_PLUGIN)) << again.LastError();
    ASSERT_TRUE(again.OpenScene(path.c_str())) << again.LastError();
    velora_sample::MotionStreamDevice* reopened = Stream(LyFindObjectByFullName("Device::Arm"));
    ASSERT_NE(reopened, nullptr);
    EXPECT_STREQ(reopened->FilePath, MOTION_STREAM_BVH);
    EXPECT_EQ(static_cast<LyDeviceSamplingMode>(reopened->SamplingMode), kLyHardwareFrequency);
    EXPECT_EQ(static_cast<int>(reopened->CommType), 7);
    EXPECT_EQ(LyTime(reopened->SamplingPeriod).Get(), 141120000 / 120);
    EXPECT_FALSE(static_cast<bool>(reopened->Loop));
    LyModel* root = reopened->ModelBindingRoot;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root, LyFindModelByLabelName("Shoulder"));
    std::remove(path.c_str());
}

}  // namespace
