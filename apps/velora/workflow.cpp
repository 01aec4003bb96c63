// velora's workflow steps over the host's transport, takes and plotting.

#include "workflow.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <velora/animation.h>
#include <velora/constraint.h>
#include <velora/device.h>
#include <velora/fcurve.h>
#include <velora/model.h>
#include <velora/plot.h>
#include <velora/scene.h>
#include <velora/take.h>
#include <velora/time.h>
#include <velora/timing.h>
#include <velora/transport.h>

namespace velora_app {

namespace {

constexpr long long kTicksPerSecond = 141120000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long long Ticks(double seconds) { return std::llround(seconds * static_cast<double>(kTicksPerSecond)); }

double ModeRate(int mode) {
    const velora::FrameGrid grid = velora::GridForMode(mode);
    return grid.Valid() ? static_cast<double>(grid.frames) * kTicksPerSecond / static_cast<double>(grid.ticks) : 0;
}

long long FramePeriod() {
    const velora::FrameGrid grid = velora::GridForMode(velora::kTimeModeDefault);
    return grid.Valid() ? std::max(1LL, grid.ticks / grid.frames) : kTicksPerSecond / 30;
}

// Runs the transport until it stops, a frame per Update; in real time
// each frame waits for the transport's clock.
// `busy` gets the time spent moving and evaluating (the waits left out).
template <class Each>
long long RunTransport(bool realTime, double* busy, Each each) {
    velora::Transport& transport = velora::Transport::Instance();
    long long frames = 0;
    for (;;) {
        if (realTime)
            if (const long long wait = transport.TimeToNextFrame(); wait > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(wait * 1000000000LL / kTicksPerSecond));
        const Clock::time_point began = Clock::now();
        const bool more = transport.Update();
        *busy += SecondsSince(began);
        ++frames;
        each(frames);
        if (!more) break;
    }
    return frames;
}

}  // namespace

long long SceneKeyCount() {
    velora::Scene& scene = velora::Scene::Main();
    long long keys = 0;
    std::vector<velora::AnimationNode*> nodes;
    for (int i = 0; i < scene.ObjectCount(velora::kSceneTakes); ++i) {
        velora::Object* object = scene.ObjectAt(velora::kSceneTakes, i);
        if (object->ClassId() != velora::kClassTake) continue;
        nodes.clear();
        static_cast<velora::Take*>(object)->CollectNodes(&nodes);
        for (const velora::AnimationNode* node : nodes) keys += node->KeyCount();
    }
    return keys;
}

bool Workflow::SetFps(const std::string& mode, std::string* error) {
    std::string text = mode;
    bool drop = false;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "df") == 0) {
        drop = true;
        text.resize(text.size() - 2);
    }
    char* end = nullptr;
    const double rate = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !(rate > 0)) {
        *error = "--fps: expected a frame rate such as 24, 29.97, 29.97df or 30, got '" + mode + "'";
        return false;
    }
    for (int m = velora::kTimeMode1000; m < velora::kTimeModeCustom; ++m) {
        if (std::fabs(ModeRate(m) - rate) > 0.005 || velora::GridForMode(m).drop != drop) continue;
        velora::Transport::Instance().SetTimeMode(m);
        std::printf("velora: time mode %s frames per second\n", mode.c_str());
        return true;
    }
    if (drop || !velora::Transport::Instance().SetTimeMode(velora::kTimeModeCustom, rate)) {
        *error = "--fps: no time mode runs at '" + mode + "'";
        return false;
    }
    std::printf("velora: time mode custom, %g frames per second\n", rate);
    return true;
}

void Workflow::UseTake(const std::string& name) {
    velora::Take* take = velora::FindTake(name.c_str());
    const bool made = !take;
    if (made) take = velora::Take::Create(name.c_str());
    velora::Scene::Main().SetCurrentTake(take);
    std::printf("velora: take %s%s\n", name.c_str(), made ? " (new)" : "");
}

void Workflow::Evaluated(long long frames, long long ticks, double seconds) {
    framesEvaluated += frames;
    sceneTicks += ticks;
    evaluationSeconds += seconds;
}

void Workflow::Progress(const char* what, long long done, long long total) const {
    if (!progress) return;
    std::fprintf(stderr, "\r%s %lld/%lld", what, done, total);
    if (done >= total) std::fprintf(stderr, "\n");
}

void Workflow::Play(double start, double end) {
    velora::Transport& transport = velora::Transport::Instance();
    const long long from = Ticks(start), to = Ticks(end);
    transport.SetRealTime(realTime);
    transport.SetLoopMode(velora::kLoopNone);
    transport.SetLoop(from, to);
    transport.Goto(from);
    const long long total = std::max(1LL, (to - from) / FramePeriod());
    double busy = 0;
    transport.Play();
    const long long frames = RunTransport(realTime, &busy, [&](long long f) { Progress("playing frame", f, total); });
    Evaluated(frames, to - from, busy);
    std::printf("velora: played %.3g s to %.3g s: %lld frames\n", start, end, frames);
}

bool Workflow::Record(double seconds) {
    velora::DeviceManager& devices = velora::DeviceManager::Instance();
    std::vector<velora::Device*> online;
    for (int i = 0; i < devices.DeviceCount(); ++i) {
        velora::Device* device = devices.DeviceAt(i);
        if (devices.IsOnline(device) || devices.SendCommand(device, velora::kDeviceCommandOnline))
            online.push_back(device);
        else
            std::fprintf(stderr, "velora: device %s did not come online: %s\n", device->Name(),
                         device->Info().status.c_str());
    }
    if (online.empty()) {
        std::fprintf(stderr, "velora: --record: the scene has no device that comes online\n");
        return false;
    }
    // A new take unless the current one was made for this and is empty.
    velora::Take* take = velora::CurrentTake(false);
    std::vector<velora::AnimationNode*> nodes;
    if (take) take->CollectNodes(&nodes);
    if (!take || !nodes.empty() || recorded_) {
        int n = velora::Scene::Main().ObjectCount(velora::kSceneTakes) + 1;
        char name[32];
        do std::snprintf(name, sizeof name, "Take %03d", n++);
        while (velora::FindTake(name));
        UseTake(name);
        take = velora::CurrentTake(false);
    }
    recorded_ = true;
    const long long keysBefore = SceneKeyCount();
    velora::Transport& transport = velora::Transport::Instance();
    // Live input arrives at its own pace: a recording runs in real time.
    transport.SetRealTime(true);
    transport.SetLoopMode(velora::kLoopNone);
    transport.SetLoop(0, Ticks(seconds));
    transport.Goto(0);
    transport.SetRecording(true);
    const long long total = std::max(1LL, Ticks(seconds) / FramePeriod());
    double busy = 0;
    transport.Play();
    const long long frames = RunTransport(true, &busy, [&](long long f) { Progress("recording frame", f, total); });
    transport.SetRecording(false);
    Evaluated(frames, Ticks(seconds), busy);
    for (velora::Device* device : online) devices.SendCommand(device, velora::kDeviceCommandOffline);
    // The take spans what was recorded: a sample due as the transport
    // stopped may lie a frame past the end, and a plot of the take bakes
    // every recorded frame.
    long long last = Ticks(seconds);
    nodes.clear();
    take->CollectNodes(&nodes);
    for (const velora::AnimationNode* node : nodes)
        for (int m = 0; m < node->Channels(); ++m)
            if (const velora::FCurve* curve = node->Curve(m); curve && curve->KeyCount() > 0)
                last = std::max(last, curve->KeyAt(curve->KeyCount() - 1).time);
    take->SetLocalSpan(0, last);
    take->SetReferenceSpan(0, last);
    const long long keys = SceneKeyCount() - keysBefore;
    keysWritten += keys;
    std::printf("velora: recorded %.3g s from %zu device(s) into take %s: %lld keys\n", seconds, online.size(),
                take->Name(), keys);
    return true;
}

bool Workflow::Plot() {
    velora::Scene& scene = velora::Scene::Main();
    std::vector<velora::Object*> models;
    for (int i = 0; i < scene.SrcCount(); ++i) {
        velora::Constraint* constraint = velora::AsConstraint(velora::AsObject(scene.Src(i)));
        if (!constraint || constraint->IsA(velora::kClassConstraintRelation)) continue;
        for (int g = 0; g < constraint->ReferenceGroupCount(); ++g)
            for (int r = 0; r < constraint->ReferenceCount(g); ++r)
                if (velora::Model* model = velora::AsModel(constraint->Reference(g, r)))
                    if (std::find(models.begin(), models.end(), model) == models.end()) models.push_back(model);
    }
    std::vector<velora::Property*> properties;
    for (velora::Object* model : models) velora::PlotPropertiesOf(model, &properties);
    velora::Take* take = velora::CurrentTake(true);
    if (properties.empty()) {
        std::fprintf(stderr, "velora: --plot: no constrained model to plot\n");
        return false;
    }
    velora::PlotOptions options;
    options.period = FramePeriod();
    long long frames = 0, keys = 0;
    const Clock::time_point began = Clock::now();
    const bool plotted = velora::PlotProperties(
        take, properties, options,
        [&](long long done, long long total) {
            frames = total;
            Progress("plotting frame", done, total);
        },
        &keys);
    Evaluated(frames, take->LocalStop() - take->LocalStart(), SecondsSince(began));
    keysWritten += keys;
    std::printf("velora: plotted %zu models of take %s over %lld frames: %lld keys\n", models.size(), take->Name(),
                frames, keys);
    return plotted;
}

void Workflow::PrintSummary() const {
    const velora::Scene& scene = velora::Scene::Main();
    const double sceneSeconds = static_cast<double>(sceneTicks) / kTicksPerSecond;
    std::printf("velora: summary: %d take(s), %lld keys written, %lld frames evaluated", scene.ObjectCount(velora::kSceneTakes),
                keysWritten, framesEvaluated);
    if (evaluationSeconds > 0 && sceneSeconds > 0)
        std::printf(", %.1fx real time", sceneSeconds / evaluationSeconds);
    std::printf("\n");
}

}  // namespace velora_app
