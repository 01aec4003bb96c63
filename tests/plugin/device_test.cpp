// LyDevice through its bridge: the code tables, online and offline, the
// recording interface, model binding, instruments' storage, the glove.

#include <gtest/gtest.h>

#include <vector>

#include <lysdk/lysdk.h>
#include <velora/device.h>
#include <velora/model.h>
#include <velora/scene.h>

using namespace VELSDK2025;

namespace device_test {

// Logs what reaches each hook.
class Logging : public LyDevice {
    LYSDK_CLASS_DECLARE(Logging, LyDevice)
public:
    explicit Logging(const char* name) : LyDevice(name) {}
    bool DeviceOperation(kDeviceOperations op) override {
        operations.push_back(op);
        return LyDevice::DeviceOperation(op);
    }
    void DeviceTransportNotify(kTransportMode mode, LyTime, LyTime) override { transport.push_back(mode); }
    bool DeviceEvaluationNotify(kTransportMode mode, LyEvaluateInfo*) override {
        evaluation.push_back(mode);
        return true;
    }
    void DeviceIONotify(kDeviceIOs action, LyDeviceNotifyInfo& info) override {
        io.push_back(action);
        syncCount = info.GetSyncCount();
        localTime = info.GetLocalTime().Get();
    }
    std::vector<int> operations, transport, evaluation, io;
    int syncCount = -1;
    long long localTime = -1;
};
LYSDK_CLASS_IMPLEMENT(Logging, 0)

class Instrument : public LyDeviceInstrument {
    LYSDK_CLASS_DECLARE(Instrument, LyDeviceInstrument)
public:
    Instrument(LyDevice* device, bool ok) : LyDeviceInstrument(device), mOk(ok) {}
    bool DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) override {
        ++stores;
        return LyDeviceInstrument::DsxStore(dsx, pass) && mOk;
    }
    int stores = 0;

private:
    bool mOk;
};
LYSDK_CLASS_IMPLEMENT(Instrument, 0)

velora::Device* HostOf(LyDevice* device) { return velora::AsDevice(velora::AsObject(device->GetHIObject())); }

class DeviceTest : public ::testing::Test {
protected:
    void TearDown() override { LySystem::TheOne().Scene->Clear(); }
};

TEST_F(DeviceTest, OnlineAndOfflineReachTheStartAndStopOperations) {
    auto* device = new Logging("Logger");
    EXPECT_STREQ(velora::ClassRegistry::Instance().Name(HostOf(device)->ClassId()), "__LyDevice");
    device->Online = true;
    EXPECT_TRUE(device->Online);
    EXPECT_STREQ(device->Status, "Online");
    device->Online = false;
    EXPECT_FALSE(device->Online);
    EXPECT_EQ(device->operations, (std::vector<int>{LyDevice::kLyDeviceOpStart, LyDevice::kLyDeviceOpStop}));
    // The other host codes, and one past the table.
    for (int code : {0, 4, 5, 1, 6}) velora::DeviceManager::Instance().SendCommand(HostOf(device), code);
    EXPECT_EQ(device->operations, (std::vector<int>{1, 3, 0, 4, 2, 5}));
    device->LyDelete();
}

TEST_F(DeviceTest, HostCodesWithoutARowReachNoHook) {
    auto* device = new Logging("Logger");
    velora::Device* host = HostOf(device);
    velora::EvaluationContext context;
    const int expected[] = {4, 0, 1, 3, 2, -1, -1, -1, -1, 6, -1, -1, 5, -1};
    std::vector<int> modes;
    for (int code = 0; code < 14; ++code) {
        host->TransportNotify(code, 0, 0);
        host->DeviceEvaluate(code, context);
        if (expected[code] >= 0) modes.push_back(expected[code]);
    }
    EXPECT_EQ(device->transport, modes);
    EXPECT_EQ(device->evaluation, modes);

    velora::DeviceNotifyRecord record;
    record.localTime = 1234;
    record.syncCount = 7;
    record.context = &context;
    for (int action : {0, 1, 2, 3, 4, -1}) host->DeviceIO(action, record);
    EXPECT_EQ(device->io, (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(device->syncCount, 7);
    EXPECT_EQ(device->localTime, 1234);
    device->LyDelete();
}

TEST_F(DeviceTest, TheRecordingInterfaceIsHiddenInAutoFrequency) {
    auto* device = new Logging("Logger");
    EXPECT_EQ(static_cast<LyDeviceSamplingMode>(device->SamplingMode), kLyAutoFrequency);
    EXPECT_EQ(device->IQuery(velora::kIdRecording), nullptr);
    EXPECT_NE(device->IQuery(velora::kIdDevice), nullptr);
    device->SamplingMode = kLyHardwareFrequency;
    EXPECT_NE(device->IQuery(velora::kIdRecording), nullptr);
    device->SamplingPeriod = LyTime(141120000 / 250);
    EXPECT_EQ(HostOf(device)->HardwarePeriod(), 141120000 / 250);
    HostOf(device)->SetSamplingMode(9);  // no such mode
    EXPECT_EQ(static_cast<LyDeviceSamplingMode>(device->SamplingMode), kLySoftwareTimestamp);
    device->LyDelete();
}

TEST_F(DeviceTest, BindingRootsAreTheFittingModelsAtMostTwoHundred) {
    auto* device = new Logging("Logger");
    LyArrayTemplate<LyModel*> roots;
    device->ModelBindingRootsList(roots);
    EXPECT_EQ(roots.GetCount(), 0);  // no template
    EXPECT_EQ(device->ModelBindingCreate(), nullptr);

    auto* arm = new LyModelTemplate("Arm");
    arm->Children.Add(new LyModelTemplate("Hand"));
    device->ModelTemplate.Children.Add(arm);
    for (int i = 0; i < 250; ++i) {
        velora::Model* model = velora::Model::Create("Arm");
        velora::Scene::Main().AddModel(model);
        if (i % 2 == 0) velora::Model::Create("Hand")->SetParent(model);  // only these fit
    }
    device->ModelBindingRootsList(roots);
    EXPECT_EQ(roots.GetCount(), 125);
    for (int i = 0; i < 150; ++i) {
        velora::Model* model = velora::Model::Create("Arm");
        velora::Scene::Main().AddModel(model);
        velora::Model::Create("Hand")->SetParent(model);
    }
    roots.Clear();
    device->ModelBindingRootsList(roots);
    EXPECT_EQ(roots.GetCount(), 200);

    device->ModelBindingRoot = roots[3];
    EXPECT_EQ(static_cast<LyModel*>(device->ModelBindingRoot), roots[3]);
    EXPECT_EQ(static_cast<LyModel*>(arm->Children[0]->Model), static_cast<LyModel*>(roots[3]->Children[0]));
    device->ModelBindingRoot = nullptr;
    EXPECT_EQ(static_cast<LyModel*>(device->ModelBindingRoot), nullptr);
    device->LyDelete();
}

TEST_F(DeviceTest, AnInstrumentThatFailsToStoreDoesNotStopTheOthers) {
    auto* device = new Logging("Logger");
    Instrument first(device, true), failing(device, false), last(device, true);
    for (Instrument* i : {&first, &failing, &last}) device->Instruments.Add(i);
    EXPECT_FALSE(device->DsxStore(nullptr, kLyDsxStoreFields));
    EXPECT_EQ(first.stores + failing.stores + last.stores, 3);
    device->Instruments.Remove(&failing);
    EXPECT_TRUE(device->DsxStore(nullptr, kLyDsxStoreFields));
    device->LyDelete();
}

TEST_F(DeviceTest, CommTypeBelongsToTheBridge) {
    auto* device = new Logging("Logger");
    EXPECT_EQ(static_cast<int>(device->CommType), 32);
    device->CommType = 5;
    EXPECT_EQ(static_cast<int>(device->CommType), 5);
    device->LyDelete();

    velora::Device* plain = velora::Device::Create("Plain");
    LyDevice wrapper(nullptr, plain->IQuery(lyiface::kIdSelf));
    EXPECT_EQ(static_cast<int>(wrapper.CommType), 0);
    wrapper.CommType = 5;
    EXPECT_EQ(static_cast<int>(wrapper.CommType), 0);
    EXPECT_TRUE(wrapper.DeviceOperation(LyDevice::kLyDeviceOpStart));  // the host's own answer
    plain->Destroy(0);
}

TEST_F(DeviceTest, TheGloveHasTwentyTwoPartsBoundToItsHand) {
    auto* glove = new LyDeviceGlove("Glove");
    for (int part = 0; part < 22; ++part) EXPECT_NE(glove->GetModelRotationNode(part), nullptr) << part;
    EXPECT_EQ(glove->GetModelRotationNode(22), nullptr);
    EXPECT_EQ(glove->GetModelRotationNode(-1), nullptr);
    LyModel* hand = glove->ModelBindingCreate();
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->Children.GetCount(), 6);  // the wrist and five fingers

    LyVector3<double> bend(120, 10, -30);  // a finger's middle joint only bends, up to 100
    glove->VectorToModelPartAngle(7, bend);
    EXPECT_EQ(bend, LyVector3<double>(100, 0, 0));

    glove->LeftHand = true;
    glove->InitializeModelGeometry();
    EXPECT_EQ(static_cast<LyModel*>(glove->ModelBindingRoot), hand);
    LyModel* thumb = LyFindModelByLabelName("Thumb1");
    ASSERT_NE(thumb, nullptr);
    LyDeviceGlove::GloveChannel channel(glove->GetModelRotationNode(2));
    EXPECT_STREQ(channel.mName, "Thumb1 Rotation");
    EXPECT_EQ(channel.mFlag, 1);
    glove->LyDelete();
}

}  // namespace device_test
