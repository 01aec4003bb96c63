// The host's device cycle on its own thread against the frames of the main
// thread: every sample published between frames becomes a key, while the
// main thread evaluates, changes the period, reads the counters and takes
// the device offline and online again. Run under ThreadSanitizer too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <velora/device.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/scene.h>
#include <velora/timing.h>

namespace {

constexpr long long kTicks = 141120000;
constexpr int kChannels = 8;

// Publishes one sample per read action on each output, stamped with its
// own clock (sample k at k milliseconds) and valued k.
class Streamer final : public velora::Device {
public:
    static Streamer* Create() { return new Streamer; }
    bool DeviceCommand(int code) override {
        if (code == velora::kDeviceCommandOnline) ++onlines;
        return velora::Device::DeviceCommand(code);
    }
    void DeviceIO(int action, velora::DeviceNotifyRecord& record) override {
        if (action != velora::kDeviceIOPlayRead && action != velora::kDeviceIOStopRead) return;
        const long long k = next_++;
        record.localTime = k * (kTicks / 1000);
        const double value[3] = {static_cast<double>(k), 0, 0};
        for (int c = 0; c < kChannels; ++c) OutConnector(c)->WriteData(value, record.context);
        Info().samplesReceived.fetch_add(1, std::memory_order_relaxed);
    }
    std::atomic<int> onlines{0};

private:
    Streamer() : velora::Device("Streamer", velora::kClassDevice) {
        for (int c = 0; c < kChannels; ++c) {
            const std::string name = "Channel" + std::to_string(c);
            CreateOutConnector(static_cast<std::uint64_t>(c), name.c_str(), velora::DataType::Get(velora::kDataVector),
                               true)
                ->NodeSettings()
                .recordMode = true;
        }
        SetSamplingMode(velora::kSamplingHardwareTimestamp);
    }
    long long next_ = 0;  // the cycle's own
};

TEST(DeviceCycle, EverySampleBetweenFramesBecomesAKey) {
    velora::EvaluationManager& evaluation = velora::EvaluationManager::Instance();
    evaluation.SetParallel(false);
    velora::DeviceManager& devices = evaluation.Devices();
    velora::Scene& scene = velora::Scene::Main();
    Streamer* device = Streamer::Create();
    devices.SetSamplingPeriod(device, kTicks / 1000);
    // Online while the transport records: every sample it sends is recorded.
    devices.TransportNotify(velora::kTransportRecord, 0);
    ASSERT_TRUE(devices.SendCommand(device, velora::kDeviceCommandOnline));

    const auto start = std::chrono::steady_clock::now();
    int frame = 0;
    // At least 1.2 s, 60 frames and 300 cycles: a loaded machine takes
    // longer, never fewer steps (bounded, so that a stalled cycle fails).
    auto running = [&] {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > std::chrono::seconds(30)) return false;
        return elapsed < std::chrono::milliseconds(1200) || frame < 60 ||
               device->Info().samplesReceived.load() <= 300;
    };
    while (running()) {
        const long long now = devices.TransportTime(velora::TimingManager::Instance().SystemTime());
        velora::TimingManager::Instance().SetLocalTime(now);
        scene.Evaluator().EvaluateFrame(now);
        EXPECT_GE(device->Info().samplesReceived.load(), 0);
        if (++frame == 30) devices.SetSamplingPeriod(device, kTicks / 2000);
        if (frame == 40) {  // offline and back: the recording goes on
            devices.SendCommand(device, velora::kDeviceCommandOffline);
            devices.SendCommand(device, velora::kDeviceCommandOnline);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    // Offline before the stop: the samples it sent until then are all kept.
    devices.SendCommand(device, velora::kDeviceCommandOffline);
    devices.TransportNotify(velora::kTransportStop, devices.TransportTime(velora::TimingManager::Instance().SystemTime()));

    const int published = device->Info().samplesReceived.load();
    EXPECT_GT(published, 300);
    EXPECT_EQ(device->onlines.load(), 2);
    for (int c = 0; c < kChannels; ++c) {
        velora::Property* target = device->RecordTarget(device->OutConnector(c));
        ASSERT_NE(target, nullptr);
        velora::FCurve* curve = velora::PropertyAnimationNode(target)->Curve(0);
        ASSERT_EQ(curve->KeyCount(), published) << "channel " << c;
        for (int k = 0; k < published; k += 97) {
            EXPECT_EQ(curve->KeyAt(k).time, k * (kTicks / 1000));
            EXPECT_EQ(curve->KeyAt(k).value, static_cast<float>(k));
        }
    }
    EXPECT_EQ(device->SamplesTaken(), static_cast<std::uint64_t>(published) * kChannels);
    device->Destroy(0);
}

}  // namespace
