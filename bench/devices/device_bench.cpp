// The device cycle.
//
//  - BM_Device_CycleToKeys: one sample of a plug-in device with 100
//    recorded channels, from the host's input/output action (the bridge's
//    code table, the plug-in's DeviceIONotify publishing 100 values) to the
//    keys (the frame takes the queued samples every 16 samples, as 60 frames
//    a second take a 1 kHz device's); against BM_Baseline_DirectNotify, the
//    plug-in's DeviceIONotify called directly, writing the same 100 values
//    into its outputs (goal: at most 3 times).
//  - BM_Device_RealTime_100x1kHz_10s: the same device online at 1 kHz for
//    10 s of wall time while the transport records and the scene is
//    evaluated 60 times a second; reports the samples sent and keyed (none
//    may be lost) and the share of one core the process spent, per sample.

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/device.h>
#include <velora/evaluation.h>
#include <velora/scene.h>
#include <velora/timing.h>

namespace bench_devices {

constexpr long long kTicks = 141120000;
constexpr int kChannels = 100;

// A device of 100 channels: each read action publishes one sample, stamped
// by its own 1 kHz clock.
class Channels : public VELSDK2025::LyDevice {
    LYSDK_CLASS_DECLARE(Channels, VELSDK2025::LyDevice)
public:
    explicit Channels(const char* name) : LyDevice(name) {
        for (int c = 0; c < kChannels; ++c) {
            const std::string label = "Channel " + std::to_string(c);
            VELSDK2025::LyAnimationNode* node = AnimationNodeOutCreate(static_cast<std::uint64_t>(c), label.c_str(), "Number");
            node->RecordMode = true;
            mNodes.push_back(node);
        }
        SamplingMode = VELSDK2025::kLyHardwareTimestamp;
    }
    void DeviceIONotify(kDeviceIOs action, VELSDK2025::LyDeviceNotifyInfo& info) override {
        if (action != kLyDeviceIOPlayRead && action != kLyDeviceIOStopRead) return;
        const long long k = mNext++;
        info.SetLocalTime(VELSDK2025::LyTime(k * (kTicks / 1000)));
        VELSDK2025::LyEvaluateInfo* evaluate = &info.GetEvaluateInfo();
        for (int c = 0; c < kChannels; ++c) {
            double value = std::sin(0.001 * static_cast<double>(k) + c);
            mNodes[static_cast<std::size_t>(c)]->WriteData(&value, evaluate);
        }
        AckOneSampleReceived();
    }
    long long mNext = 0;

private:
    std::vector<VELSDK2025::LyAnimationNode*> mNodes;
};
LYSDK_CLASS_IMPLEMENT(Channels, 0)

velora::Device* HostOf(VELSDK2025::LyDevice* device) {
    return velora::AsDevice(velora::AsObject(device->GetHIObject()));
}

void BM_Device_CycleToKeys(benchmark::State& state) {
    velora::DeviceManager& devices = velora::DeviceManager::Instance();
    auto* device = new Channels("Channels");
    velora::Device* host = HostOf(device);
    devices.TransportNotify(velora::kTransportRecord, 0);
    devices.SetSamplingPeriod(host, kTicks);  // the cycle thread sleeps: the benchmark drives it
    devices.SendCommand(host, velora::kDeviceCommandOnline);
    velora::EvaluationContext io;
    velora::DeviceNotifyRecord record;
    io.sample = &record;
    record.context = &io;
    velora::EvaluationContext frame;
    int pending = 0;
    for (auto _ : state) {
        host->DeviceIO(velora::kDeviceIOPlayRead, record);
        host->DeviceIO(velora::kDeviceIOPlayWrite, record);
        if (++pending == 16) {
            devices.EvaluateDevices(frame);
            pending = 0;
        }
    }
    devices.EvaluateDevices(frame);
    devices.SendCommand(host, velora::kDeviceCommandOffline);
    devices.TransportNotify(velora::kTransportStop, 0);
    state.SetItemsProcessed(state.iterations());
    device->LyDelete();
}
BENCHMARK(BM_Device_CycleToKeys);

void BM_Baseline_DirectNotify(benchmark::State& state) {
    auto* device = new Channels("Channels");
    velora::EvaluationContext context;
    velora::DeviceNotifyRecord record;
    record.context = &context;  // a plain evaluation: the writes are the outputs' values
    auto& info = *reinterpret_cast<VELSDK2025::LyDeviceNotifyInfo*>(&record);
    for (auto _ : state) device->DeviceIONotify(VELSDK2025::LyDevice::kLyDeviceIOPlayRead, info);
    state.SetItemsProcessed(state.iterations());
    device->LyDelete();
}
BENCHMARK(BM_Baseline_DirectNotify);

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void BM_Device_RealTime_100x1kHz_10s(benchmark::State& state) {
    velora::DeviceManager& devices = velora::DeviceManager::Instance();
    velora::TimingManager& timing = velora::TimingManager::Instance();
    velora::Scene& scene = velora::Scene::Main();
    for (auto _ : state) {
        auto* device = new Channels("Channels");
        velora::Device* host = HostOf(device);
        devices.SetSamplingPeriod(host, kTicks / 1000);
        devices.TransportNotify(velora::kTransportRecord, 0);
        const double cpu0 = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        devices.SendCommand(host, velora::kDeviceCommandOnline);
        auto next = start;
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            const long long now = devices.TransportTime(timing.SystemTime());
            timing.SetLocalTime(now);
            scene.Evaluator().EvaluateFrame(now);
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        }
        devices.SendCommand(host, velora::kDeviceCommandOffline);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = CpuSeconds() - cpu0;
        devices.TransportNotify(velora::kTransportStop, 0);
        const long long sent = device->mNext;
        velora::Property* first = host->RecordTarget(host->OutConnector(0));
        velora::Property* last = host->RecordTarget(host->OutConnector(kChannels - 1));
        const long long keyed = first ? velora::PropertyAnimationNode(first)->KeyCount() : 0;
        const long long keyedLast = last ? velora::PropertyAnimationNode(last)->KeyCount() : 0;
        state.counters["samples_sent"] = static_cast<double>(sent);
        state.counters["samples_keyed"] = static_cast<double>(keyed);
        state.counters["lost"] = static_cast<double>(sent - keyed) + static_cast<double>(sent - keyedLast);
        state.counters["core_share_pct"] = 100.0 * cpu / wall;
        state.counters["cpu_us_per_sample"] = sent > 0 ? 1e6 * cpu / static_cast<double>(sent) : 0.0;
        device->LyDelete();
    }
}
BENCHMARK(BM_Device_RealTime_100x1kHz_10s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace bench_devices

int main(int argc, char** argv) {
    static const LyBenchPair kPairs[] = {
        {"device sample to keys / direct notify (100 channels)", "BM_Device_CycleToKeys", "BM_Baseline_DirectNotify", 3.0},
    };
    return LyBenchMainWithRatios(argc, argv, kPairs, 1);
}
