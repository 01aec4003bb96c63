// Event dispatch: one host event raised to 100 callbacks added through an
// event property, against 100 direct calls of the same member function.
//
// The callback is kept out of line in both cases, so the baseline pays a real
// call per receiver, as the dispatch does; what the ratio shows is the cost
// of the source's walk (registration checks, the pointer-to-member call)
// over a plain loop of calls.

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/event_source.h>
#include <velora/object.h>
#include <velora/scene_events.h>

using namespace VELSDK2025;

namespace {

constexpr int kReceivers = 100;

class Receiver : public ICallback {
public:
    IObject* IQuery(std::uint32_t id, int) override { return id == 0 ? this : nullptr; }
    void Destroy(int) override {}
    ~Receiver() = default;

    __attribute__((noinline)) void Heard(IRegister*, EventRecord* record) { sum_ += record->type; }
    long long sum() const { return sum_; }

private:
    long long sum_ = 0;
};

std::vector<std::unique_ptr<Receiver>> MakeReceivers() {
    std::vector<std::unique_ptr<Receiver>> receivers;
    for (int i = 0; i < kReceivers; ++i) receivers.push_back(std::make_unique<Receiver>());
    return receivers;
}

void BM_Baseline_DirectCalls(benchmark::State& state) {
    auto receivers = MakeReceivers();
    velora::EventSource source;
    lyiface::EventRecord record(1, 0, nullptr);
    for (auto _ : state) {
        for (auto& r : receivers) r->Heard(&source, &record);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(receivers[0]->sum());
    state.SetItemsProcessed(state.iterations() * kReceivers);
}
BENCHMARK(BM_Baseline_DirectCalls);

void BM_Dispatch_EventProperty(benchmark::State& state) {
    auto receivers = MakeReceivers();
    velora::EventSource source;
    LyPropertyEvent event;
    event.Init(nullptr, &source, "OnBench", 1, 0);
    for (auto& r : receivers) event.Add(r.get(), LyHandler(&Receiver::Heard));
    lyiface::EventRecord record(1, 0, nullptr);
    for (auto _ : state) {
        source.Raise(record);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(receivers[0]->sum());
    if (receivers[kReceivers - 1]->sum() == 0) state.SkipWithError("callbacks were not called");
    for (auto& r : receivers) event.Remove(r.get(), LyHandler(&Receiver::Heard));
    state.SetItemsProcessed(state.iterations() * kReceivers);
}
BENCHMARK(BM_Dispatch_EventProperty);

// The scene's connection notification as a plug notification raises it:
// the record is built per raise, then dispatched.
void BM_Dispatch_SceneConnectionNotify(benchmark::State& state) {
    auto receivers = MakeReceivers();
    LyPropertyEventConnectionNotify event;
    event.Init(nullptr, nullptr, "OnConnectionNotify", 0, kLyEventSubTypeAll);
    for (auto& r : receivers) event.Add(r.get(), LyHandler(&Receiver::Heard));
    velora::Object* a = velora::Object::Create("A");
    velora::Object* b = velora::Object::Create("B");
    auto& scene = velora::SceneEvents::Instance();
    for (auto _ : state) {
        scene.RaiseConnection(a, 4, b, 0, nullptr, 0, nullptr);
        benchmark::ClobberMemory();
    }
    if (receivers[kReceivers - 1]->sum() == 0) state.SkipWithError("callbacks were not called");
    for (auto& r : receivers) event.Remove(r.get(), LyHandler(&Receiver::Heard));
    a->Destroy(0);
    b->Destroy(0);
    state.SetItemsProcessed(state.iterations() * kReceivers);
}
BENCHMARK(BM_Dispatch_SceneConnectionNotify);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"one event to 100 callbacks / 100 direct calls", "BM_Dispatch_EventProperty",
         "BM_Baseline_DirectCalls", 2.0},
        {"scene connection notify to 100 / 100 direct calls", "BM_Dispatch_SceneConnectionNotify",
         "BM_Baseline_DirectCalls", 0.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0]);
}
