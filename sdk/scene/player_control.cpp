// LyPlayerControl: the SDK's face of the host transport.

#include "lysdk/lyplayercontrol.h"

#include <velora/animation.h>
#include <velora/global_events.h>
#include <velora/model.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/time.h>
#include <velora/timing.h>
#include <velora/trace.h>
#include <velora/transport.h>

#include <algorithm>
#include <vector>

#include "core/host_access.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyPlayerControl, 0)

namespace {

velora::Transport& T() { return velora::Transport::Instance(); }
long long Now() { return velora::TimingManager::Instance().LocalTime(); }

// The edit referential moves the edit timeline's current time; every other
// one (the shot included) is the action timeline.
bool IsEdit(LyTimeReferential referential) { return referential == kLyTimeReferentialEdit; }

LyTime GetLoopStart(void*) { return LyTime(T().LoopStart()); }
void SetLoopStart(void*, LyTime t) { T().SetLoop(t.Get(), T().LoopStop()); }
LyTime GetLoopStop(void*) { return LyTime(T().LoopStop()); }
void SetLoopStop(void*, LyTime t) { T().SetLoop(T().LoopStart(), t.Get()); }
LyTime GetZoomStart(void*) { return LyTime(T().ZoomStart()); }
void SetZoomStart(void*, LyTime t) { T().SetZoom(t.Get(), T().ZoomStop()); }
LyTime GetZoomStop(void*) { return LyTime(T().ZoomStop()); }
void SetZoomStop(void*, LyTime t) { T().SetZoom(T().ZoomStart(), t.Get()); }
LyTime GetNextMarker(void*) { return LyTime(T().NextMarker()); }
LyTime GetPreviousMarker(void*) { return LyTime(T().PreviousMarker()); }
bool GetIsRecording(void*) { return T().IsRecording(); }
bool GetIsPlaying(void*) { return T().IsPlaying(); }
bool GetIsPlotting(void*) { return T().IsPlotting(); }
LyTransportSnapMode GetSnap(void*) { return static_cast<LyTransportSnapMode>(T().SnapMode()); }
void SetSnap(void*, LyTransportSnapMode mode) { T().SetSnapMode(mode); }
LyTransportLoopMode GetLoop(void*) { return static_cast<LyTransportLoopMode>(T().LoopMode()); }
void SetLoop(void*, LyTransportLoopMode mode) { T().SetLoopMode(mode); }
LyTransportTimeFormat GetFormat(void*) { return T().TimeFormat() == 0 ? kLyTimeFormatTimecode : kLyTimeFormatFrame; }
void SetFormat(void*, LyTransportTimeFormat format) { T().SetTimeFormat(format == kLyTimeFormatTimecode ? 0 : 1); }
LyTime GetSampling(void*) { return LyTime(T().SamplingPeriod()); }
void SetSampling(void*, LyTime t) { T().SetSamplingPeriod(t.Get()); }
LyTime GetPlotPeriod(void*) { return LyTime(T().PlotPeriod()); }
void SetPlotPeriod(void*, LyTime t) { T().SetPlotPeriod(t.Get()); }

// The properties whose keys GotoNextKey and Key use: the keying selection,
// or the selected models' transforms.
std::vector<velora::Property*> KeyedProperties() {
    std::vector<velora::Property*> out;
    std::vector<velora::Model*> models;
    velora::Model* root = velora::Scene::Main().RootModel();
    std::vector<velora::Model*> stack = {root};
    std::vector<velora::Property*> focused;
    while (!stack.empty()) {
        velora::Model* m = stack.back();
        stack.pop_back();
        if (!m) continue;
        for (int i = 0; i < m->ChildCount(); ++i) stack.push_back(m->ChildModel(i));
        for (int i = 0; i < m->PropertyCount(); ++i)
            if (velora::KeyingSelection::Instance().IsFocused(m->PropertyAt(i))) focused.push_back(m->PropertyAt(i));
        if (m != root && m->IsSelected()) models.push_back(m);
    }
    if (!focused.empty()) return focused;
    for (velora::Model* m : models) {
        out.push_back(m->TranslationProperty());
        out.push_back(m->RotationProperty());
        out.push_back(m->ScalingProperty());
    }
    return out;
}

bool GotoKey(bool forward) {
    const long long now = Now();
    bool found = false;
    long long best = 0;
    for (velora::Property* p : KeyedProperties()) {
        velora::AnimationNode* node = velora::PropertyAnimationNode(p);
        for (int m = 0; node && m < node->Channels(); ++m) {
            const velora::FCurve* c = node->Curve(m);
            for (int k = 0; c && k < c->KeyCount(); ++k) {
                const long long t = c->KeyAt(k).time;
                if (forward ? t > now && (!found || t < best) : t < now && (!found || t > best)) {
                    best = t;
                    found = true;
                }
            }
        }
    }
    if (found) T().Goto(best);
    return found;
}

velora::TimeMark* Mark(int index) { return T().GlobalMarks().At(index); }

// Changes of global marks ask views to redraw them.
void Refresh() { velora::GlobalEvent::Raise("TimeMarkRefresh"); }

}  // namespace

LyPlayerControl& LyPlayerControl::TheOne() {
    static LyPlayerControl instance;
    return instance;
}

LyPlayerControl::LyPlayerControl() : LyComponent(nullptr) {
    auto add = [this](LyProperty& p) { PropertyAdd(&p); };
    add(LoopStart.Init(this, "LoopStart", &GetLoopStart, &SetLoopStart));
    add(LoopStop.Init(this, "LoopStop", &GetLoopStop, &SetLoopStop));
    add(ZoomWindowStart.Init(this, "ZoomWindowStart", &GetZoomStart, &SetZoomStart));
    add(ZoomWindowStop.Init(this, "ZoomWindowStop", &GetZoomStop, &SetZoomStop));
    add(NextMarker.Init(this, "NextMarker", &GetNextMarker));
    add(PreviousMarker.Init(this, "PreviousMarker", &GetPreviousMarker));
    add(IsRecording.Init(this, "IsRecording", &GetIsRecording));
    add(IsPlaying.Init(this, "IsPlaying", &GetIsPlaying));
    add(IsPlotting.Init(this, "IsPlotting", &GetIsPlotting));
    add(SnapMode.Init(this, "SnapMode", &GetSnap, &SetSnap));
    add(LoopMode.Init(this, "LoopMode", &GetLoop, &SetLoop));
    add(TransportTimeFormat.Init(this, "TransportTimeFormat", &GetFormat, &SetFormat));
    add(RecordingSamplingPeriod.Init(this, "RecordingSamplingPeriod", &GetSampling, &SetSampling));
    add(PlotSamplingPeriod.Init(this, "PlotSamplingPeriod", &GetPlotPeriod, &SetPlotPeriod));
    OnChange.Init(this, &T().ChangeEvents(), "OnChange", 1, 0);
    add(OnChange);
}

bool LyPlayerControl::Play(bool toMarker) {
    T().Play(true, toMarker);
    return true;
}

bool LyPlayerControl::PlayReverse(bool toMarker) {
    T().Play(false, toMarker);
    return true;
}

bool LyPlayerControl::Stop() {
    T().Stop();
    return true;
}

bool LyPlayerControl::Goto(LyTime time, LyTimeReferential referential) {
    if (IsEdit(referential)) {
        T().Stop();
        T().editCurrent = time.Get();
        T().EvaluateNow();
    } else {
        T().Goto(time.Get());
    }
    return true;
}

bool LyPlayerControl::GotoStart(LyTimeReferential referential) {
    return Goto(LyTime(IsEdit(referential) ? T().editZoomStart : T().ZoomStart()), referential);
}

bool LyPlayerControl::GotoEnd(LyTimeReferential referential) {
    return Goto(LyTime(IsEdit(referential) ? T().editZoomStop : T().ZoomStop()), referential);
}

bool LyPlayerControl::StepForward(LyTimeReferential referential) {
    if (!IsEdit(referential)) {
        T().StepForward();
        return true;
    }
    const int mode = velora::TimeSettings::DefaultMode();
    return Goto(LyTime(velora::FrameToTime(velora::TimeToFrame(T().editCurrent, mode) + 1, mode)), referential);
}

bool LyPlayerControl::StepBackward(LyTimeReferential referential) {
    if (!IsEdit(referential)) {
        T().StepBackward();
        return true;
    }
    const int mode = velora::TimeSettings::DefaultMode();
    return Goto(LyTime(velora::FrameToTime(velora::TimeToFrame(T().editCurrent - 1, mode), mode)), referential);
}

bool LyPlayerControl::GotoNextKey() { return GotoKey(true); }
bool LyPlayerControl::GotoPreviousKey() { return GotoKey(false); }

bool LyPlayerControl::Key() {
    T().EvaluateNow();
    bool keyed = false;
    for (velora::Property* p : KeyedProperties()) {
        if (!p->HasFlag(velora::kPropertyAnimated)) velora::SetPropertyAnimated(p, true);
        keyed = velora::KeyPropertyCandidate(p, velora::kTimeInfinity) || keyed;
    }
    return keyed;
}

bool LyPlayerControl::Record(bool, bool) {
    if (T().IsRecording()) {
        T().SetRecording(false);
        return true;
    }
    T().SetRecording(true);
    return true;
}

void LyPlayerControl::LockTransport(bool lock) { T().SetLocked(lock); }
bool LyPlayerControl::IsLocked() { return T().IsLocked(); }
void LyPlayerControl::EvaluationPause() { T().SetEvaluationPaused(true); }
void LyPlayerControl::EvaluationResume() { T().SetEvaluationPaused(false); }

LyTimeMode LyPlayerControl::GetTransportFps() { return static_cast<LyTimeMode>(T().TimeMode()); }
void LyPlayerControl::SetTransportFps(LyTimeMode mode, double customRate) { T().SetTimeMode(mode, customRate); }
double LyPlayerControl::GetTransportFpsValue(LyTimeMode mode) {
    return velora::FramesPerSecond(mode == kLyTimeModeDefault ? T().TimeMode() : mode);
}

double LyPlayerControl::GetPlaySpeed() { return T().PlaySpeed(); }

void LyPlayerControl::SetPlaySpeed(double speed) {
    if (T().SetPlaySpeed(speed)) velora::GlobalEvent::Raise("TimingRatio", &speed);
}

LyTransportPlaySpeed LyPlayerControl::GetPlaySpeedMode() {
    return static_cast<LyTransportPlaySpeed>(T().PlaySpeedPreset());
}

void LyPlayerControl::SetPlaySpeedMode(LyTransportPlaySpeed mode) {
    if (mode == kLySpeed_Custom) {
        velora::Trace::Instance().Print(
            velora::Trace::kDefaultLevel,
            "Doesn't make sense to set play speed by kLySpeed_Custom. To set the custom speed, use SetPlaySpeed() "
            "function directly.\n");
        return;
    }
    if (T().SetPlaySpeedPreset(mode)) {
        double speed = T().PlaySpeed();
        velora::GlobalEvent::Raise("TimingRatio", &speed);
    }
}

int LyPlayerControl::GetTransportMode() {
    const int mode = T().TransportMode();
    return mode >= 0 && mode <= 23 ? mode : 3;
}

LyTimeReferential LyPlayerControl::GetTimeReferential() {
    return T().Referential() == velora::kReferentialEdit ? kLyTimeReferentialEdit : kLyTimeReferentialAction;
}

void LyPlayerControl::SetTimeReferential(LyTimeReferential referential) {
    T().SetReferential(IsEdit(referential) ? velora::kReferentialEdit : velora::kReferentialAction);
}

LyTime LyPlayerControl::GetEditCurrentTime() { return LyTime(T().editCurrent); }
LyTime LyPlayerControl::GetEditStart() { return LyTime(T().editStart); }
LyTime LyPlayerControl::GetEditStop() { return LyTime(T().editStop); }
LyTime LyPlayerControl::GetEditZoomStart() { return LyTime(T().editZoomStart); }
LyTime LyPlayerControl::GetEditZoomStop() { return LyTime(T().editZoomStop); }
void LyPlayerControl::SetEditStart(LyTime t) { T().editStart = t.Get(); }
void LyPlayerControl::SetEditStop(LyTime t) { T().editStop = t.Get(); }
void LyPlayerControl::SetEditZoomStart(LyTime t) { T().editZoomStart = t.Get(); }
void LyPlayerControl::SetEditZoomStop(LyTime t) { T().editZoomStop = t.Get(); }

int LyPlayerControl::AddGlobalTimeMark(LyTime time, const char* name) {
    const int index = T().GlobalMarks().Add(time.Get(), name);
    Refresh();
    return index;
}

bool LyPlayerControl::DeleteGlobalTimeMark(int index) {
    if (!T().GlobalMarks().Remove(index)) return false;
    Refresh();
    return true;
}

void LyPlayerControl::DeleteAllGlobalTimeMarks() {
    T().GlobalMarks().Clear();
    Refresh();
}

int LyPlayerControl::GetGlobalTimeMarkCount() { return T().GlobalMarks().Count(); }

LyTime LyPlayerControl::GetGlobalTimeMarkTime(int index) {
    const velora::TimeMark* m = Mark(index);
    return LyTime(m ? m->time : 0);
}

int LyPlayerControl::SetGlobalTimeMarkTime(int index, LyTime time) {
    const int moved = T().GlobalMarks().SetTime(index, time.Get());
    if (moved >= 0) Refresh();
    return moved;
}

const char* LyPlayerControl::GetGlobalTimeMarkName(int index) {
    const velora::TimeMark* m = Mark(index);
    return m ? m->name.c_str() : nullptr;
}

bool LyPlayerControl::SetGlobalTimeMarkName(int index, const char* name) {
    if (!T().GlobalMarks().SetName(index, name)) return false;
    Refresh();
    return true;
}

LyTimeMarkAction LyPlayerControl::GetGlobalTimeMarkAction(int index) {
    const velora::TimeMark* m = Mark(index);
    return static_cast<LyTimeMarkAction>(m ? m->action : 0);
}

bool LyPlayerControl::SetGlobalTimeMarkAction(int index, LyTimeMarkAction action) {
    if (!T().GlobalMarks().SetAction(index, action)) return false;
    Refresh();
    return true;
}

LyColor LyPlayerControl::GetGlobalTimeMarkColor(int index) {
    const velora::TimeMark* m = Mark(index);
    return m ? LyColor(m->color[0], m->color[1], m->color[2]) : LyColor();
}

bool LyPlayerControl::SetGlobalTimeMarkColor(int index, const LyColor& color) {
    const double rgb[3] = {color[0], color[1], color[2]};
    if (!T().GlobalMarks().SetColor(index, rgb)) return false;
    Refresh();
    return true;
}

bool LyPlayerControl::GetGlobalTimeMarkLock(int index) {
    const velora::TimeMark* m = Mark(index);
    return m && m->locked;
}

bool LyPlayerControl::SetGlobalTimeMarkLock(int index, bool lock) {
    if (!T().GlobalMarks().SetLocked(index, lock)) return false;
    Refresh();
    return true;
}

void LyPlayerControl::SetAllGlobalTimeMarkLock(bool lock) {
    T().GlobalMarks().SetAllLocked(lock);
    Refresh();
}

int LyPlayerControl::GetNextGlobalTimeMarkIndex() { return T().GlobalMarks().Next(Now()); }
int LyPlayerControl::GetPreviousGlobalTimeMarkIndex() { return T().GlobalMarks().Previous(Now()); }

LYSDK_END_NAMESPACE
