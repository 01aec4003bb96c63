// Scene evaluation: LyScene::Evaluate of a scene of 1,000 models, each with
// nine animated channels (translation, rotation and scaling, three members
// each), against a plain loop that computes values and matrices for the
// same models from flat arrays.
//
//  - BM_Scene_Evaluate: every channel has a function curve of 11 cubic keys
//    (auto tangents), read by the scene's own evaluation as playback moves
//    forward one frame at a time.
//  - BM_Scene_EvaluatePlain: the same scene with an evaluator that computes
//    each member from the time, no curve behind it: the cost of the walk,
//    the per-property calls and the transform hierarchy alone.
//  - BM_Scene_EvaluateThreeLayers: BM_Scene_Evaluate's scene whose take has
//    two more layers (additive and override at half weight) keyed on every
//    channel, blended by the scene's evaluation (goal: at most twice the
//    one-layer scene).
//  - BM_Plot_1000Frames: plotting every channel of the scene over 1,000
//    frames against BM_Evaluate_1000Frames, evaluating the same frames
//    (goal: at most 1.5).
// Reported: time per frame and the real-time factor at 30 frames per
// second (goal: at least 30 times real time on one core).

#include <benchmark/benchmark.h>

#include "common/ratio_main.h"

#include <cmath>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/plot.h>
#include <velora/take.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/timing.h>

using namespace VELSDK2025;

namespace {

constexpr int kModels = 1000;
constexpr int kChannels = 9;
constexpr long long kFrame = 141120000 / 30;

// The value of channel `c` (0 to 8: translation, rotation, scaling) at
// `seconds`.
inline double ChannelValue(int c, double seconds) { return (c >= 6 ? 1.0 : 0.0) + 0.5 * (c + 1) * seconds; }

// Writes each member of a vector property from its channel value; the
// property's position on its model (translation, rotation, scaling: the
// model's first three) gives its channels.
bool EvaluatePlain(velora::Property* property, long long time) {
    const double seconds = static_cast<double>(time) / 141120000.0;
    const int block = property->OwnerObject()->PropertyIndex(property);
    double* value = static_cast<double*>(property->ValuePtr());
    for (int k = 0; k < 3; ++k) value[k] = ChannelValue(block * 3 + k, seconds);
    return true;
}

struct Scene1000 {
    std::vector<velora::PlugHandle> models;
    explicit Scene1000(bool curves) {
        velora::Scene& scene = velora::Scene::Main();
        for (int m = 0; m < kModels; ++m) {
            velora::Model* model = velora::Model::Create("Bench");
            // Chains of ten, so the hierarchy has depth as a rig does.
            if (m % 10 != 0) model->SetParent(static_cast<velora::Model*>(models.back().Get()));
            scene.AddModel(model);
            velora::Property* channels[] = {model->TranslationProperty(), model->RotationProperty(),
                                            model->ScalingProperty()};
            for (int block = 0; block < 3; ++block) {
                velora::Property* p = channels[block];
                if (!curves) {
                    p->ModifyFlag(velora::kPropertyAnimated, true);
                    continue;
                }
                velora::SetPropertyAnimated(p, true);
                velora::AnimationNode* node = velora::PropertyAnimationNode(p);
                // 11 keys, one every 10 frames: 100 frames of animation.
                for (int k = 0; k <= 10; ++k) {
                    const double seconds = k / 3.0;
                    double values[3];
                    for (int c = 0; c < 3; ++c)
                        values[c] = ChannelValue(block * 3 + c, seconds) + ((k + m + c) % 3) * 0.1;
                    node->KeyAdd(k * 10 * kFrame, values, velora::kKeyCubic | velora::kTangentAuto);
                }
            }
            models.emplace_back(model);
        }
    }
    ~Scene1000() {
        for (auto it = models.rbegin(); it != models.rend(); ++it)
            if (velora::Plug* plug = it->Get()) plug->Destroy(0);
    }
};

// Two more layers on the current take, keyed on every channel.
void AddLayers(const Scene1000& scene) {
    velora::Take* take = velora::CurrentTake(true);
    for (int l = 0; l < 2; ++l) {
        velora::AnimationLayer* layer = take->CreateLayer();
        layer->SetMode(l == 0 ? velora::kLayerModeAdditive : velora::kLayerModeOverride);
        const double half = 50.0;
        layer->WeightProperty()->SetRaw(&half);
        for (const velora::PlugHandle& h : scene.models) {
            auto* model = static_cast<velora::Model*>(h.Get());
            for (velora::Property* p :
                 {model->TranslationProperty(), model->RotationProperty(), model->ScalingProperty()}) {
                velora::AnimationNode* node = velora::EnsureLayerNode(p, layer);
                for (int k = 0; k <= 4; ++k) {
                    const double values[3] = {k * 0.5, -k * 0.25, l + k * 0.1};
                    node->KeyAdd(k * 25 * kFrame, values, velora::kKeyCubic | velora::kTangentAuto);
                }
            }
        }
    }
}

void RemoveLayers() {
    velora::Take* take = velora::CurrentTake(false);
    while (take && take->LayerCount() > 1) take->RemoveLayer(take->LayerCount() - 1);
}

void RunEvaluate(benchmark::State& state, bool curves, bool parallel = false, bool layers = false) {
    Scene1000 scene(curves);
    if (layers) AddLayers(scene);
    // Against a loop on one thread, the scene evaluates on one thread too.
    velora::EvaluationManager::Instance().SetParallel(parallel);
    auto previous = velora::SetAnimatedPropertyEvaluator(curves ? nullptr : &EvaluatePlain);
    LyScene& sdk = *static_cast<LyScene*>(LySystem::TheOne().Scene);
    velora::TimingManager& timing = velora::TimingManager::Instance();
    long long frame = 0;
    const std::uint64_t before = velora::Scene::Main().Evaluator().Stats().propertiesEvaluated;
    for (auto _ : state) {
        frame = (frame + 1) % 100;  // playback loops over the animated range
        timing.SetLocalTime(frame * kFrame);
        sdk.Evaluate();
        benchmark::ClobberMemory();
    }
    const std::uint64_t evaluated = velora::Scene::Main().Evaluator().Stats().propertiesEvaluated - before;
    if (evaluated != static_cast<std::uint64_t>(state.iterations()) * kModels * 3)
        state.SkipWithError("not every channel was evaluated");
    velora::SetAnimatedPropertyEvaluator(previous);
    velora::EvaluationManager::Instance().SetParallel(true);
    timing.SetLocalTime(0);
    if (layers) RemoveLayers();
    state.counters["x_realtime_30fps"] =
        benchmark::Counter(1.0 / 30.0, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["channels"] = kModels * kChannels;
}

void BM_Baseline_PlainLoop(benchmark::State& state) {
    // The same values and matrices from flat arrays, parents before children.
    std::vector<double> channels(kModels * kChannels);
    std::vector<double> globals(kModels * 16);
    long long time = 0;
    const double kDeg = 3.14159265358979323846 / 180.0;
    for (auto _ : state) {
        time += kFrame;
        const double seconds = static_cast<double>(time) / 141120000.0;
        for (int m = 0; m < kModels; ++m)
            for (int c = 0; c < kChannels; ++c) channels[m * kChannels + c] = ChannelValue(c, seconds);
        for (int m = 0; m < kModels; ++m) {
            const double* t = &channels[m * kChannels];
            const double* r = t + 3;
            const double* s = t + 6;
            const double cx = std::cos(r[0] * kDeg), sx = std::sin(r[0] * kDeg);
            const double cy = std::cos(r[1] * kDeg), sy = std::sin(r[1] * kDeg);
            const double cz = std::cos(r[2] * kDeg), sz = std::sin(r[2] * kDeg);
            double local[16] = {cz * cy * s[0], sz * cy * s[0], -sy * s[0], 0,
                                (cz * sy * sx - sz * cx) * s[1], (sz * sy * sx + cz * cx) * s[1], cy * sx * s[1], 0,
                                (cz * sy * cx + sz * sx) * s[2], (sz * sy * cx - cz * sx) * s[2], cy * cx * s[2], 0,
                                t[0], t[1], t[2], 1};
            double* g = &globals[m * 16];
            if (m % 10 == 0) {
                for (int k = 0; k < 16; ++k) g[k] = local[k];
            } else {
                const double* p = &globals[(m - 1) * 16];
                for (int c = 0; c < 4; ++c)
                    for (int row = 0; row < 4; ++row) {
                        double sum = 0;
                        for (int k = 0; k < 4; ++k) sum += p[k * 4 + row] * local[c * 4 + k];
                        g[c * 4 + row] = sum;
                    }
            }
        }
        benchmark::DoNotOptimize(globals.data());
        benchmark::ClobberMemory();
    }
    state.counters["x_realtime_30fps"] =
        benchmark::Counter(1.0 / 30.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Baseline_PlainLoop)->Unit(benchmark::kMicrosecond);

void BM_Scene_Evaluate(benchmark::State& state) { RunEvaluate(state, true); }
BENCHMARK(BM_Scene_Evaluate)->Unit(benchmark::kMicrosecond);

void BM_Scene_EvaluatePlain(benchmark::State& state) { RunEvaluate(state, false); }
BENCHMARK(BM_Scene_EvaluatePlain)->Unit(benchmark::kMicrosecond);

void BM_Scene_EvaluateThreeLayers(benchmark::State& state) { RunEvaluate(state, true, false, true); }
BENCHMARK(BM_Scene_EvaluateThreeLayers)->Unit(benchmark::kMicrosecond);

constexpr int kPlotFrames = 1000;

// The 1,000 frames a plot evaluates, evaluated in a loop.
void BM_Evaluate_1000Frames(benchmark::State& state) {
    Scene1000 scene(true);
    velora::EvaluationManager::Instance().SetParallel(false);
    velora::SceneEvaluator& evaluator = velora::Scene::Main().Evaluator();
    for (auto _ : state)
        for (int f = 0; f < kPlotFrames; ++f) {
            velora::SetCurrentTime(f * kFrame);
            evaluator.EvaluateAt(f * kFrame);
        }
    velora::EvaluationManager::Instance().SetParallel(true);
}
BENCHMARK(BM_Evaluate_1000Frames)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Plot_1000Frames(benchmark::State& state) {
    Scene1000 scene(true);
    velora::EvaluationManager::Instance().SetParallel(false);
    velora::Take* take = velora::CurrentTake(true);
    take->SetLocalSpan(0, (kPlotFrames - 1) * kFrame);
    std::vector<velora::Property*> properties;
    for (const velora::PlugHandle& h : scene.models) velora::PlotPropertiesOf(static_cast<velora::Object*>(h.Get()), &properties);
    velora::PlotOptions options;
    for (auto _ : state)
        if (!velora::PlotProperties(take, properties, options)) state.SkipWithError("nothing was plotted");
    if (velora::PropertyAnimationNode(properties.front())->Curve(0)->KeyCount() != kPlotFrames)
        state.SkipWithError("the plot did not key every frame");
    velora::EvaluationManager::Instance().SetParallel(true);
}
BENCHMARK(BM_Plot_1000Frames)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    static const LyBenchPair pairs[] = {
        {"LyScene::Evaluate, 1,000 models x 9 curves / plain loop", "BM_Scene_Evaluate",
         "BM_Baseline_PlainLoop", 0.0},
        {"the same with plain evaluated channels / plain loop", "BM_Scene_EvaluatePlain",
         "BM_Baseline_PlainLoop", 0.0},
        {"the scene with three layers / with one", "BM_Scene_EvaluateThreeLayers", "BM_Scene_Evaluate", 2.0},
        {"plotting 1,000 frames / evaluating them", "BM_Plot_1000Frames/iterations:3",
         "BM_Evaluate_1000Frames/iterations:3", 1.5},
    };
    return LyBenchMainWithRatios(argc, argv, pairs, sizeof pairs / sizeof pairs[0]);
}
