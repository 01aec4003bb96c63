// The evaluation graph.
//
//  - BM_Relation_SpringChains: a relation of 10,000 plug-in boxes (the
//    damped spring sample, built in) in 100 chains of 100, each chain's
//    first target keyed, evaluated once per frame by the scene on one
//    thread; against BM_Baseline_OperatorLoop, a plain loop of virtual calls
//    over 10,000 spring operators wired the same way (goal: at most 3 times).
//  - BM_Scene_Models4000_Serial / _Parallel: 4,000 independent models with
//    nine animated channels each, evaluated on one thread and on the
//    evaluation threads (goal: a speed-up of at least 1.7 on two cores; wall
//    time, so measure on a quiet machine).

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/parallel.h>
#include <velora/relation.h>
#include <velora/scene.h>

#include "../../samples/spring/spring_box.h"

LYSDK_CLASS_IMPLEMENT(velora_sample::DampedSpringBox, 0)

namespace {

constexpr int kChains = 100;
constexpr int kChainLength = 100;
constexpr long long kTicks = 141120000;
constexpr long long kFrame = kTicks / 30;

// The chains' first target: a slow circle.
void HeadTarget(int chain, double seconds, double* out) {
    out[0] = std::cos(seconds + chain);
    out[1] = std::sin(seconds + chain);
    out[2] = 0.1 * chain;
}

void BM_Baseline_OperatorLoop(benchmark::State& state) {
    std::vector<std::unique_ptr<velora_sample::SpringOperator>> owned;
    std::vector<velora_sample::SpringOperator*> ops;
    for (int i = 0; i < kChains * kChainLength; ++i) {
        owned.emplace_back(new velora_sample::SpringOperator);
        ops.push_back(owned.back().get());
    }
    long long frame = 0;
    for (auto _ : state) {
        frame = frame % 300 + 1;
        const long long time = frame * kFrame;
        for (int c = 0; c < kChains; ++c) {
            double value[3];
            HeadTarget(c, static_cast<double>(time) / kTicks, value);
            for (int i = 0; i < kChainLength; ++i) {
                double out[3];
                ops[static_cast<std::size_t>(c * kChainLength + i)]->Evaluate(value, 120.0, 12.0, time, out);
                value[0] = out[0];
                value[1] = out[1];
                value[2] = out[2];
            }
            benchmark::DoNotOptimize(value);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_OperatorLoop)->Unit(benchmark::kMicrosecond);

void BM_Relation_SpringChains(benchmark::State& state) {
    velora::Scene& scene = velora::Scene::Main();
    velora::Relation* relation = velora::Relation::Create("Springs");
    scene.AddObject(relation);
    std::vector<velora_sample::DampedSpringBox*> heads;
    for (int c = 0; c < kChains; ++c) {
        velora_sample::DampedSpringBox* previous = nullptr;
        for (int i = 0; i < kChainLength; ++i) {
            auto* box = new velora_sample::DampedSpringBox("Spring");
            relation->AddBox(static_cast<velora::Box*>(velora::AsObject(box->GetHIObject())));
            if (previous) {
                box->Target()->ConnectSrc(previous->Result());
            } else {
                heads.push_back(box);
                // Keys every 10 frames along the circle (300 frames).
                auto* target = static_cast<velora::AnimationNode*>(velora::AsObject(box->Target()->GetHIObject()));
                for (int k = 0; k <= 30; ++k) {
                    double v[3];
                    HeadTarget(c, k / 3.0, v);
                    target->KeyAdd(k * 10 * kFrame, v, velora::kKeyCubic | velora::kTangentAuto);
                }
            }
            previous = box;
        }
    }
    velora::EvaluationManager::Instance().SetParallel(false);
    long long frame = 0;
    for (auto _ : state) {
        frame = frame % 300 + 1;
        scene.Evaluator().EvaluateAt(frame * kFrame);
        benchmark::ClobberMemory();
    }
    if (scene.Evaluator().ScheduledBoxes() != kChains * kChainLength ||
        scene.Evaluator().ScheduledGroups() != kChains)
        state.SkipWithError("the relation was not scheduled as 100 chains");
    velora::EvaluationManager::Instance().SetParallel(true);
    relation->Destroy(0);
}
BENCHMARK(BM_Relation_SpringChains)->Unit(benchmark::kMicrosecond);

struct Models {
    std::vector<velora::PlugHandle> handles;
    explicit Models(int count) {
        for (int m = 0; m < count; ++m) {
            velora::Model* model = velora::Model::Create("Independent");
            velora::Scene::Main().AddModel(model);
            velora::Property* props[] = {model->TranslationProperty(), model->RotationProperty(),
                                         model->ScalingProperty()};
            for (int p = 0; p < 3; ++p) {
                velora::SetPropertyAnimated(props[p], true);
                velora::AnimationNode* node = velora::PropertyAnimationNode(props[p]);
                for (int k = 0; k <= 10; ++k) {
                    const double v[3] = {p * 2.0 + k * 0.5, m * 0.01 + k, 1.0 + 0.1 * k};
                    node->KeyAdd(k * 10 * kFrame, v, velora::kKeyCubic | velora::kTangentAuto);
                }
            }
            handles.emplace_back(model);
        }
    }
    ~Models() {
        for (auto it = handles.rbegin(); it != handles.rend(); ++it)
            if (velora::Plug* plug = it->Get()) plug->Destroy(0);
    }
};

void RunModels(benchmark::State& state, bool parallel) {
    Models models(4000);
    velora::EvaluationManager::Instance().SetParallel(parallel);
    long long frame = 0;
    for (auto _ : state) {
        frame = frame % 100 + 1;
        velora::Scene::Main().Evaluator().EvaluateAt(frame * kFrame);
        benchmark::ClobberMemory();
    }
    if (parallel != velora::Scene::Main().Evaluator().LastRunParallel())
        state.SkipWithError("the schedule did not follow the switch");
    velora::EvaluationManager::Instance().SetParallel(true);
}

void BM_Scene_Models4000_Serial(benchmark::State& state) { RunModels(state, false); }
BENCHMARK(BM_Scene_Models4000_Serial)->Unit(benchmark::kMicrosecond)->UseRealTime();
void BM_Scene_Models4000_Parallel(benchmark::State& state) { RunModels(state, true); }
BENCHMARK(BM_Scene_Models4000_Parallel)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"10,000 spring boxes in a relation / operator loop", "BM_Relation_SpringChains",
         "BM_Baseline_OperatorLoop", 3.0},
        {"4,000 models, parallel / serial (1 / speed-up; 1.7 is 0.59)", "BM_Scene_Models4000_Parallel/real_time",
         "BM_Scene_Models4000_Serial/real_time", 1.0 / 1.7},
    };
    std::printf("evaluation threads: %d (%s)\n", velora::EvaluationThreadCount(), velora::ParallelBackend());
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0]);
}
