// The transport: playback, moves, ranges, speed and global time marks.

#include "velora/transport.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <mutex>

#include "velora/animation.h"
#include "velora/device.h"
#include "velora/event_records.h"
#include "velora/scene.h"
#include "velora/time.h"
#include "velora/timing.h"

namespace velora {

namespace {

// Evaluations of the scene do not overlap: a move waits for one that runs.
std::mutex& EvaluationMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

long long SteadyTicks() {
    const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
    return ns / 1000000000 * kTicksPerSecond + ns % 1000000000 * kTicksPerSecond / 1000000000;
}

constexpr double kPresetSpeeds[] = {0.1, 0.2, 0.25, 1.0 / 3.0, 0.5, 1.0, 2.0, 3.0, 4.0, 5.0, 10.0, 1.0};

}  // namespace

double PresetSpeed(int preset) {
    return preset >= 0 && preset < kSpeedCustom ? kPresetSpeeds[preset] : 0.0;
}

Transport& Transport::Instance() {
    static auto* transport = new Transport;
    return *transport;
}

Transport::Transport() { Reset(); }

void Transport::Reset() {
    direction_ = 0;
    toMarker_ = false;
    realTime_ = true;
    speed_ = 1.0;
    speedPreset_ = kSpeedNormal;
    recording_ = plotting_ = false;
    // 100 frames at 30 frames per second, as a new take shows.
    loopStart_ = zoomStart_ = 0;
    loopStop_ = zoomStop_ = 100 * (kTicksPerSecond / 30);
    loopMode_ = kLoopNone;
    snapMode_ = kSnapAndPlayOnFrames;
    timeFormat_ = 1;
    transportMode_ = 3;
    referential_ = kReferentialAction;
    timelineMuted_ = locked_ = evaluationPaused_ = false;
    plotPeriod_ = kTicksPerSecond / 30;
    samplingPeriod_ = kTicksPerSecond / 60;
    globalMarks_.Clear();
    clock_ = nullptr;
}

void Transport::SetClock(Clock clock) { clock_ = clock; }
long long Transport::Now() const { return clock_ ? clock_() : SteadyTicks(); }

void Transport::Raise(int change) {
    if (changes_.Empty()) return;
    lyiface::EventRecord record;
    record.type = 1;
    record.subType = change;
    changes_.Raise(record);
}

int Transport::TimeMode() const { return TimeSettings::DefaultMode(); }

bool Transport::SetTimeMode(int mode, double customRate) {
    if (mode == kTimeModeCustom && customRate > 0.0 && !TimeSettings::SetCustomRate(customRate)) return false;
    return TimeSettings::SetDefaultMode(mode);
}

long long Transport::FrameTicks() const {
    const long long now = TimingManager::Instance().LocalTime();
    const int mode = TimeMode();
    const long long frame = TimeToFrame(now, mode);
    const long long ticks = FrameToTime(frame + 1, mode) - FrameToTime(frame, mode);
    return ticks > 0 ? ticks : kTicksPerSecond / 30;
}

long long Transport::Snap(long long time) const {
    if (!(snapMode_ & kSnapOnFrames)) return time;
    const int mode = TimeMode();
    // The nearest frame.
    const long long frame = TimeToFrame(time, mode);
    const long long below = FrameToTime(frame, mode);
    const long long above = FrameToTime(frame + 1, mode);
    return time - below <= above - time ? below : above;
}

void Transport::EvaluateNow() {
    std::lock_guard<std::mutex> lock(EvaluationMutex());
    Scene& scene = Scene::Main();
    SceneEvaluator& evaluator = scene.Evaluator();
    evaluator.EvaluateAndResolveCandidates(LLONG_MAX);
    evaluator.SyncNodeAttributes();
    evaluator.SyncDeformables();
    evaluator.EvaluateAt(TimingManager::Instance().LocalTime());
}

void Transport::MoveTo(long long time, int change) {
    Stop();
    SetCurrentTime(time);
    EvaluateNow();
    Raise(change);
}

void Transport::Goto(long long time) { MoveTo(Snap(time), kTransportChangeGoto); }
void Transport::GotoStart() { Goto(zoomStart_); }
void Transport::GotoEnd() { Goto(zoomStop_); }

void Transport::StepForward() {
    const int mode = TimeMode();
    const long long now = TimingManager::Instance().LocalTime();
    MoveTo(FrameToTime(TimeToFrame(now, mode) + 1, mode), kTransportChangeStepForward);
}

void Transport::StepBackward() {
    const int mode = TimeMode();
    const long long now = TimingManager::Instance().LocalTime();
    // From between two frames, back to the one below first.
    const long long frame = TimeToFrame(now, mode);
    MoveTo(FrameToTime(FrameToTime(frame, mode) == now ? frame - 1 : frame, mode), kTransportChangeStepBackward);
}

void Transport::Anchor(long long time) {
    anchorTime_ = time;
    anchorClock_ = Now();
}

void Transport::Play(bool forward, bool toMarker) {
    direction_ = forward ? 1 : -1;
    toMarker_ = toMarker;
    const long long now = TimingManager::Instance().LocalTime();
    if (toMarker) markerTarget_ = forward ? NextMarker() : PreviousMarker();
    Anchor(now);
    // Live devices follow the transport: a recording starts with the play.
    DeviceManager& devices = DeviceManager::Instance();
    if (forward && recording_) {
        devices.TransportNotify(kTransportPrepareRecord, now);
        devices.TransportNotify(kTransportRecord, now);
    } else {
        devices.TransportNotify(kTransportPreparePlay, now);
        devices.TransportNotify(forward ? kTransportPlay : kTransportPlayReverse, now);
    }
    Raise(forward ? kTransportChangePlay : kTransportChangePlayBackward);
}

void Transport::Halt() {
    direction_ = 0;
    DeviceManager::Instance().TransportNotify(kTransportStop, TimingManager::Instance().LocalTime());
    Raise(kTransportChangeStop);
}

void Transport::Stop() {
    if (direction_ != 0) Halt();
}

long long Transport::TimeToNextFrame() const {
    if (!IsPlaying() || IsBatch()) return 0;
    const long long frame = FrameTicks();
    const long long shown = TimingManager::Instance().LocalTime();
    const long long elapsed = static_cast<long long>(static_cast<double>(Now() - anchorClock_) * speed_);
    const long long due = std::llabs(shown - anchorTime_) + frame - elapsed;
    return due > 0 ? static_cast<long long>(static_cast<double>(due) / speed_) : 0;
}

long long Transport::Arrive(long long from, long long to) {
    const bool forward = direction_ > 0;
    // Marks passed on the way: the current take's, then the global ones.
    auto passed = [&](const TimeMarkList& marks) -> const TimeMark* {
        for (int i = 0; i < marks.Count(); ++i) {
            const TimeMark* m = marks.At(i);
            const bool crossed = forward ? (m->time > from && m->time <= to) : (m->time < from && m->time >= to);
            if (crossed && m->action != kTimeMarkActionNone) return m;
        }
        return nullptr;
    };
    Take* take = CurrentTake(false);
    const TimeMark* mark = take ? passed(take->TimeMarks()) : nullptr;
    if (!mark) mark = passed(globalMarks_);
    if (toMarker_ && (forward ? to >= markerTarget_ : to <= markerTarget_) && markerTarget_ != from) {
        Halt();
        return markerTarget_;
    }
    if (mark && mark->action == kTimeMarkActionStop) {
        Halt();
        return mark->time;
    }
    if (mark && mark->action == kTimeMarkActionLoop) {
        long long back = loopStart_;
        if (take) {
            const int previous = take->TimeMarks().Previous(mark->time);
            if (previous >= 0) back = take->TimeMarks().At(previous)->time;
        }
        Anchor(back);
        return back;
    }
    const bool past = forward ? to > loopStop_ : to < loopStart_;
    if (!past) return to;
    const long long end = forward ? loopStop_ : loopStart_;
    const long long restart = forward ? loopStart_ : loopStop_;
    switch (loopMode_) {
        case kLoopCurrentTake:
            Anchor(restart);
            return restart;
        case kLoopAllTakes: {
            Scene& scene = Scene::Main();
            const int count = scene.ObjectCount(kSceneTakes);
            if (take && count > 1) {
                int at = 0;
                for (int i = 0; i < count; ++i)
                    if (scene.ObjectAt(kSceneTakes, i) == take) at = i;
                scene.SetCurrentTake(scene.ObjectAt(kSceneTakes, (at + (forward ? 1 : count - 1)) % count));
            }
            Anchor(restart);
            return restart;
        }
        default:
            Halt();
            return end;
    }
}

bool Transport::Update() {
    if (direction_ == 0) return false;
    const long long from = TimingManager::Instance().LocalTime();
    long long to;
    if (IsBatch()) {
        const int mode = TimeMode();
        const long long frame = TimeToFrame(from, mode);
        if (direction_ > 0) to = FrameToTime(frame + 1, mode);
        else to = FrameToTime(FrameToTime(frame, mode) == from ? frame - 1 : frame, mode);
    } else {
        const double elapsed = static_cast<double>(Now() - anchorClock_) * speed_;
        to = anchorTime_ + direction_ * static_cast<long long>(elapsed);
        if (snapMode_ & kSnapPlayOnFrames) to = FrameToTime(TimeToFrame(to, TimeMode()), TimeMode());
    }
    to = Arrive(from, to);
    SetCurrentTime(to);
    EvaluateNow();
    return direction_ != 0;
}

bool Transport::SetPlaySpeed(double speed) {
    if (!(speed > 0.0) || !std::isfinite(speed)) return false;
    speed_ = speed;
    speedPreset_ = kSpeedCustom;
    for (int p = 0; p < kSpeedAllFrames; ++p)
        if (kPresetSpeeds[p] == speed) speedPreset_ = p;
    if (direction_ != 0) Anchor(TimingManager::Instance().LocalTime());
    return true;
}

bool Transport::SetPlaySpeedPreset(int preset) {
    if (preset < 0 || preset >= kSpeedCustom) return false;
    speedPreset_ = preset;
    speed_ = kPresetSpeeds[preset];
    if (direction_ != 0) Anchor(TimingManager::Instance().LocalTime());
    return true;
}

void Transport::SetRecording(bool on) {
    if (recording_ == on) return;
    recording_ = on;
    Raise(on ? kTransportChangeRecordOn : kTransportChangeRecordOff);
}

void Transport::SetLoop(long long start, long long stop) {
    loopStart_ = start;
    loopStop_ = stop;
}

void Transport::SetZoom(long long start, long long stop) {
    zoomStart_ = start;
    zoomStop_ = stop;
}

void Transport::SetLoopMode(int mode) { loopMode_ = mode >= kLoopNone && mode <= kLoopAllTakes ? mode : kLoopNone; }
void Transport::SetSnapMode(int mode) { snapMode_ = mode >= kSnapNone && mode <= kSnapAndPlayOnFrames ? mode : kSnapNone; }

void Transport::SetReferential(int referential) {
    if (timelineMuted_) return;
    referential_ = referential == kReferentialEdit ? kReferentialEdit : kReferentialAction;
}

void Transport::SetPlotPeriod(long long period) {
    if (period > 0) plotPeriod_ = period;
}

void Transport::SetSamplingPeriod(long long period) {
    if (period > 0) samplingPeriod_ = period;
}

long long Transport::NextMarker() const {
    const long long now = TimingManager::Instance().LocalTime();
    const Take* take = CurrentTake(false);
    const int i = take ? take->TimeMarks().Next(now) : -1;
    return i >= 0 ? take->TimeMarks().At(i)->time : now;
}

long long Transport::PreviousMarker() const {
    const long long now = TimingManager::Instance().LocalTime();
    const Take* take = CurrentTake(false);
    const int i = take ? take->TimeMarks().Previous(now) : -1;
    return i >= 0 ? take->TimeMarks().At(i)->time : now;
}

}  // namespace velora
