// Evaluation timings, dispatch order and threads, removal during dispatch,
// and the animation-node callback registry.

#include <thread>

#include <velora/evaluation.h>
#include <velora/event_source.h>

#include "events/event_fixture.h"

using namespace VELSDK2025;
using lysdk_test::Heard;
using lysdk_test::HeardFn;
using lysdk_test::HostScene;
using lysdk_test::OtherFn;
using lysdk_test::Receiver;
using velora::EvaluationManager;

namespace {

class Pipelines : public HostScene {};

std::vector<int> CountsPerTiming() {
    std::vector<int> counts;
    for (int t = 0; t < velora::kTimingCount; ++t) counts.push_back(EvaluationManager::Instance().Count(t));
    return counts;
}

// Raises every timing once, in order, and returns the timings each call
// of `log` saw, read through LyEventEvalGlobalCallback.
std::vector<int> RaiseAllTimings(std::vector<Heard>& log, void* context) {
    log.clear();
    for (int t = 0; t < velora::kTimingCount; ++t) EvaluationManager::Instance().Raise(t, context);
    std::vector<int> timings;
    for (const Heard& h : log) timings.push_back(h.type);
    return timings;
}

}  // namespace

TEST_F(Pipelines, TheEvalPipelineEventRunsOncePerTimingAtZeroOneTwoSixAndSevenOnTheRaisingThread) {
    LyPropertyEventCallbackEvalPipeline event;
    event.Init(nullptr, nullptr, "OnEvaluationPipeline", 0, kLyEventSubTypeAll);
    std::vector<Heard> log;
    Receiver receiver("r", &log);
    int context = 0;
    std::vector<int> timingsRead;
    receiver.then = [&](IRegister*, EventRecord* record) {
        LyEventEvalGlobalCallback e(record);
        timingsRead.push_back(e.GetTiming());
        EXPECT_EQ(e.GetEvaluateInfo(), reinterpret_cast<LyEvaluateInfo*>(&context));
    };
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(CountsPerTiming(), (std::vector<int>{1, 1, 1, 0, 0, 0, 1, 1}));
    EXPECT_EQ(RaiseAllTimings(log, &context), (std::vector<int>{0, 1, 2, 6, 7}));
    EXPECT_EQ(timingsRead, (std::vector<int>{0, 1, 2, 6, 7}));

    // Callbacks run on the raising thread.
    std::thread::id evaluator;
    std::thread thread([&] {
        evaluator = std::this_thread::get_id();
        EvaluationManager::Instance().Raise(velora::kTimingSceneEvaluated, &context);
    });
    thread.join();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[5].thread, evaluator);
    EXPECT_NE(log[5].thread, std::this_thread::get_id());

    event.Remove(&receiver, HeardFn());  // all five go
    EXPECT_EQ(CountsPerTiming(), std::vector<int>(8, 0));
    EXPECT_TRUE(RaiseAllTimings(log, nullptr).empty());

    // A callback removing itself mid-frame misses the later timings.
    receiver.then = [&](IRegister*, EventRecord* record) {
        if (record->type == velora::kTimingSceneEvaluated) event.Remove(&receiver, HeardFn());
    };
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(RaiseAllTimings(log, nullptr), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(CountsPerTiming(), std::vector<int>(8, 0));
}

TEST_F(Pipelines, RenderAndSynchronisationEventsUseTheirOwnTimings) {
    LyPropertyEventCallbackRenderPipeline render;
    LyPropertyEventCallbackSynPoint syn;
    render.Init(nullptr, nullptr, "OnRenderPipeline", 0, kLyEventSubTypeAll);
    syn.Init(nullptr, nullptr, "OnSynPoint", 0, kLyEventSubTypeAll);
    std::vector<Heard> log;
    Receiver receiver("r", &log);
    render.Add(&receiver, HeardFn());
    syn.Add(&receiver, OtherFn());
    EXPECT_EQ(CountsPerTiming(), (std::vector<int>{0, 0, 0, 1, 1, 1, 0, 0}));
    EXPECT_EQ(RaiseAllTimings(log, nullptr), (std::vector<int>{3, 4, 5}));
    render.Remove(&receiver, HeardFn());
    EXPECT_EQ(CountsPerTiming(), (std::vector<int>{0, 0, 0, 1, 0, 0, 0, 0}));
    syn.Remove(&receiver, HeardFn());  // another function: stays
    EXPECT_EQ(EvaluationManager::Instance().Count(velora::kTimingSynchronisation), 1);
    syn.Remove(&receiver, OtherFn());
    EXPECT_EQ(CountsPerTiming(), std::vector<int>(8, 0));
}

TEST_F(Pipelines, CallbacksAreCalledInTheOrderTheyWereAddedWithTheRecord) {
    velora::EventSource source;
    LyPropertyEvent event;
    event.Init(nullptr, &source, "OnOrdered", 9, 0);
    std::vector<Heard> log;
    Receiver a("a", &log), b("b", &log), c("c", &log);
    event.Add(&b, HeardFn());
    event.Add(&a, HeardFn());
    event.Add(&c, HeardFn());
    event.Add(&a, OtherFn());
    int payload = 7;
    lyiface::EventRecord record(9, 0, nullptr, &payload);
    EXPECT_EQ(source.Raise(record), 4);
    ASSERT_EQ(log.size(), 4u);
    const char* order[] = {"b", "a", "c", "a"};
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].who, order[i]);
        EXPECT_EQ(log[i].record, &record);
        EXPECT_EQ(log[i].sender, &source);
        EXPECT_EQ(log[i].thread, std::this_thread::get_id());
    }
    for (Receiver* r : {&a, &b, &c}) event.Remove(r, HeardFn());
    event.Remove(&a, OtherFn());
    EXPECT_EQ(source.Count(), 0);
}

TEST_F(Pipelines, ACallbackRemovedDuringDispatchIsNotCalledAnyMore) {
    velora::EventSource source;
    LyPropertyEvent event;
    event.Init(nullptr, &source, "OnRemoving", 1, 0);
    std::vector<Heard> log;
    Receiver a("a", &log), b("b", &log), c("c", &log);
    // a removes b (later in the list) and itself; c adds a again.
    a.then = [&](IRegister*, EventRecord*) {
        event.Remove(&b, HeardFn());
        event.Remove(&a, HeardFn());
    };
    bool readded = false;
    c.then = [&](IRegister*, EventRecord*) {
        if (!readded) event.Add(&a, HeardFn());
        readded = true;
    };
    event.Add(&a, HeardFn());
    event.Add(&b, HeardFn());
    event.Add(&c, HeardFn());
    lyiface::EventRecord record(1, 0, nullptr);
    EXPECT_EQ(source.Raise(record), 2);  // a and c; b was removed before its turn
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].who, "a");
    EXPECT_EQ(log[1].who, "c");

    a.then = nullptr;
    log.clear();
    source.Raise(record);  // c, then a as added during the first raise
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].who, "c");
    EXPECT_EQ(log[1].who, "a");
    event.Remove(&a, HeardFn());
    event.Remove(&c, HeardFn());
    EXPECT_EQ(source.Count(), 0);
}

TEST_F(Pipelines, AnimationNodeEventsAreFiledUnderTheirSource) {
    velora::EventSource nodeA, nodeB;  // stand for two nodes' registers
    LyPropertyEventAnimationNode onA, onB;
    onA.Init(nullptr, &nodeA, "OnChange", 3, 0);
    onB.Init(nullptr, &nodeB, "OnChange", 3, 0);
    std::vector<Heard> log;
    Receiver a("a", &log), b("b", &log);
    onA.Add(&a, HeardFn());
    onB.Add(&b, HeardFn());
    DataLyAnimationNodeCallbacks* registry = DataLyAnimationNodeCallbacks::Get(false);
    ASSERT_NE(registry, nullptr);  // made by the first Add
    EXPECT_EQ(registry->Count(&nodeA), 1);
    EXPECT_EQ(nodeA.Count(), 0);  // kept by the registry, not the node

    lyiface::EventRecord record(3, 0, nullptr);
    EXPECT_EQ(registry->Raise(&nodeA, record), 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].who, "a");
    EXPECT_EQ(static_cast<int>(LyEventAnimationNode(&record)), 3);

    onA.Remove(&a, HeardFn());
    onB.Remove(&b, HeardFn());
    EXPECT_EQ(registry->Count(&nodeA), 0);
    EXPECT_EQ(registry->Count(&nodeB), 0);
    EXPECT_EQ(registry->Raise(&nodeB, record), 0);
}
