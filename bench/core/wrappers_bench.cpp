// Wrapper lookup and graph walking against the host doing the same directly.
//
// Each pair is reported as a ratio, SDK time over baseline time, measured in
// the same run.

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <cstdio>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/object.h>

using namespace VELSDK2025;

namespace {

struct Scene {
    velora::Object* target;
    std::vector<velora::Object*> sources;

    explicit Scene(int count) : target(velora::Object::Create("Target")) {
        for (int i = 0; i < count; ++i) {
            velora::Object* src = velora::Object::Create(("Src" + std::to_string(i)).c_str());
            velora::Connect(src, target);
            LyGetLyObject(src, true);  // wrapped ahead, as a walked graph is
            sources.push_back(src);
        }
        LyGetLyObject(target, true);
    }
    ~Scene() {
        target->Destroy(0);
        for (velora::Object* src : sources) src->Destroy(0);
    }
};

Scene& TheScene() {
    static Scene scene(1000);
    return scene;
}

void BM_Baseline_IQuerySlotRead(benchmark::State& state) {
    IObject* object = TheScene().sources[500];
    for (auto _ : state) {
        benchmark::DoNotOptimize(object);
        auto* holder = static_cast<IWrapperHolder*>(object->IQuery(lyiface::kIdWrapperHolder));
        IObject* wrapper = holder ? holder->GetWrapper() : nullptr;
        benchmark::DoNotOptimize(wrapper);
    }
}
BENCHMARK(BM_Baseline_IQuerySlotRead);

void BM_LyGetLyObject_Wrapped(benchmark::State& state) {
    IObject* object = TheScene().sources[500];
    for (auto _ : state) {
        benchmark::DoNotOptimize(object);
        IObject* wrapper = LyGetLyObject(object, true);
        benchmark::DoNotOptimize(wrapper);
    }
}
BENCHMARK(BM_LyGetLyObject_Wrapped);

void BM_Baseline_HostSourceWalk(benchmark::State& state) {
    velora::Plug* target = TheScene().target;
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        const int count = target->SrcCount();
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(target->Src(i));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Baseline_HostSourceWalk);

// The least any wrapper-returning walk must do: the host walk plus reading
// each source's wrapper slot. It is the baseline of the walk's goal: the
// plain host walk reads only the source list and never touches the 1,000
// source objects, so against it the SDK would be charged for memory traffic
// that any caller wanting the sources pays.
void BM_Baseline_HostWalkWithSlotRead(benchmark::State& state) {
    velora::Plug* target = TheScene().target;
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        const int count = target->SrcCount();
        for (int i = 0; i < count; ++i) {
            IObject* src = target->Src(i);
            auto* holder = static_cast<IWrapperHolder*>(src->IQuery(lyiface::kIdWrapperHolder));
            benchmark::DoNotOptimize(holder->GetWrapper());
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Baseline_HostWalkWithSlotRead);

void BM_LyPlug_GetSrcWalk(benchmark::State& state) {
    LyPlug* target = LyGetLyPlug(TheScene().target, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        const int count = target->GetSrcCount();
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(target->GetSrc(i));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_LyPlug_GetSrcWalk);

void BM_Baseline_VectorPushBack(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<int> values;
        for (int i = 0; i < 1000; ++i) values.push_back(i);
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_Baseline_VectorPushBack);

void BM_LyArrayTemplate_Add(benchmark::State& state) {
    for (auto _ : state) {
        LyArrayTemplate<int> values;
        for (int i = 0; i < 1000; ++i) values.Add(i);
        benchmark::DoNotOptimize(values.GetArray());
    }
}
BENCHMARK(BM_LyArrayTemplate_Add);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"LyGetLyObject (wrapped) / IQuery(51)+slot", "BM_LyGetLyObject_Wrapped",
         "BM_Baseline_IQuerySlotRead", 1.5},
        {"GetSrc walk of 1,000 / host walk + slot read", "BM_LyPlug_GetSrcWalk",
         "BM_Baseline_HostWalkWithSlotRead", 1.5},
        {"GetSrc walk of 1,000 / host list walk", "BM_LyPlug_GetSrcWalk",
         "BM_Baseline_HostSourceWalk", 0.0},
        {"LyPropertyBase<double,6> read / host value read", "BM_LyPropertyDouble_Read",
         "BM_Baseline_HostDoubleRead", 1.5},
        {"PropertyList.Find, 1,000 properties / 10 properties", "BM_Find_1000", "BM_Find_10", 1.5},
        {"LyArrayTemplate<int>::Add x1000 / vector push_back", "BM_LyArrayTemplate_Add",
         "BM_Baseline_VectorPushBack", 0.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0]);
}
