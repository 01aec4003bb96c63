// Undo: taking back a transaction of 10,000 property changes against making
// them (recording each property into the open transaction and writing its
// new value).

#include <benchmark/benchmark.h>

#include <vector>

#include <velora/object.h>
#include <velora/property.h>
#include <velora/undo.h>

#include "common/ratio_main.h"

namespace {

constexpr int kObjects = 1000;
constexpr int kPerObject = 10;
constexpr int kChanges = kObjects * kPerObject;

struct Scene {
    std::vector<velora::Property*> properties;
    Scene() {
        for (int o = 0; o < kObjects; ++o) {
            velora::Object* object = velora::Object::Create("Undone");
            for (int p = 0; p < kPerObject; ++p) {
                const char name[] = {'P', static_cast<char>('0' + p), 0};
                properties.push_back(object->CreateProperty(name, velora::kDataVector));
            }
        }
    }
};

Scene& Shared() {
    static Scene scene;
    return scene;
}

// The changes, in one transaction.
void Make(Scene& scene, double x) {
    velora::UndoStack& undo = velora::UndoStack::Instance();
    undo.Begin("Move");
    const double value[3] = {x, x + 1, x + 2};
    for (velora::Property* p : scene.properties) {
        undo.AddProperty(p);
        p->SetRaw(value);
    }
    undo.End();
}

void BM_Baseline_MakeChanges(benchmark::State& state) {
    Scene& scene = Shared();
    double x = 0;
    for (auto _ : state) {
        Make(scene, x += 1);
        state.PauseTiming();
        velora::UndoStack::Instance().Clear(true);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kChanges);
}
BENCHMARK(BM_Baseline_MakeChanges)->Unit(benchmark::kMicrosecond);

void BM_Undo(benchmark::State& state) {
    Scene& scene = Shared();
    double x = 0;
    for (auto _ : state) {
        state.PauseTiming();
        velora::UndoStack::Instance().Clear(true);
        Make(scene, x += 1);
        state.ResumeTiming();
        velora::UndoStack::Instance().Undo();
    }
    state.SetItemsProcessed(state.iterations() * kChanges);
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"undo of 10,000 property changes / making them", "BM_Undo", "BM_Baseline_MakeChanges", 2.0},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0],
                                 "ratios (undo time / time of the changes, same run)");
}
