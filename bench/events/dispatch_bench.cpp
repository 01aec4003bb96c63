// Event dispatch: one host event raised to 100 callbacks added through an
// event property, against 100 direct calls of the same member function.
//
// The callback is kept out of line in both cases, so the baseline pays a real
// call per receiver, as the dispatch does; what the ratio shows is the cost
// of the source's walk (registration checks, the pointer-to-member call)
// over a plain loop of calls.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
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

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char* what;
        const char* sdk;
        const char* baseline;
        double goal;
    } pairs[] = {
        {"one event to 100 callbacks / 100 direct calls", "BM_Dispatch_EventProperty",
         "BM_Baseline_DirectCalls", 2.0},
        {"scene connection notify to 100 / 100 direct calls", "BM_Dispatch_SceneConnectionNotify",
         "BM_Baseline_DirectCalls", 0.0},
    };
    std::printf("\nratios (SDK time / baseline time, same run):\n");
    for (const auto& p : pairs) {
        auto s = reporter.times.find(p.sdk);
        auto b = reporter.times.find(p.baseline);
        if (s == reporter.times.end() || b == reporter.times.end() || b->second <= 0) continue;
        const double ratio = s->second / b->second;
        if (p.goal > 0)
            std::printf("  %-52s %6.2f  (goal <= %.1f: %s)\n", p.what, ratio, p.goal,
                        ratio <= p.goal ? "met" : "NOT met");
        else
            std::printf("  %-52s %6.2f  (report only)\n", p.what, ratio);
    }
    benchmark::Shutdown();
    return 0;
}
