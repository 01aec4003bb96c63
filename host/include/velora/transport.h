#ifndef VELORA_TRANSPORT_H
#define VELORA_TRANSPORT_H

// The transport: playback, stepping, going to a time, recording, the loop
// range and zoom window, snapping, the frame rate, the play speed and the
// global time marks. It moves the timing manager's local time
// (velora/timing.h) and, after every move, evaluates the scene at the new
// time before it returns, so that reads right after a move see the new
// pose.
//
// Playback. Play starts the transport forward or backward (optionally only
// up to the next or previous time mark of the current take); each Update
// then moves the time and evaluates the scene:
//   - in real time, to where the steady clock says: the time playback
//     started from plus the clock's elapsed time times the play speed
//     (whole frames only when snapping plays on frames);
//   - in batch (SetRealTime(false), or the "all frames" speed preset), by
//     one frame of the current time mode, as fast as the caller asks.
// Playback runs within the loop range. At its end: without looping the
// transport stops there; looping the current take it goes round to the
// other end; looping through all takes it moves on to the next take (the
// first after the last) and its start. A time mark with the stop action
// stops playback on it; one with the loop action sends playback back to the
// previous mark (or the loop range's start).
//
// The clock is the steady clock unless a test installs its own.
//
// Change events (ChangeEvents, type 1) carry the change as subType: 1 play,
// 2 play backward, 3 stop, 4 step forward, 5 step backward, 6 go to, 7
// record on, 8 record off.
//
// Everything runs on the thread of the scene operations.

#include <functional>

#include "velora/event_source.h"
#include "velora/export.h"
#include "velora/take.h"

namespace velora {

enum LoopMode : int { kLoopNone = 0, kLoopCurrentTake = 1, kLoopAllTakes = 2 };
enum SnapMode : int { kSnapNone = 0, kSnapOnFrames = 1, kSnapPlayOnFrames = 2, kSnapAndPlayOnFrames = 3 };
enum TimeReferential : int { kReferentialAction = 0, kReferentialEdit = 2 };

/// Play speed presets, in order; kSpeedCustom is whatever SetPlaySpeed set.
enum PlaySpeedPreset : int {
    kSpeedTenth = 0,
    kSpeedFifth,
    kSpeedQuarter,
    kSpeedThird,
    kSpeedHalf,
    kSpeedNormal,
    kSpeedDouble,
    kSpeedTriple,
    kSpeedQuadruple,
    kSpeedFivefold,
    kSpeedTenfold,
    kSpeedAllFrames,  ///< every frame, as fast as possible (batch)
    kSpeedCustom = 12,
    kSpeedPresetCount
};
/// The factor of a preset (1 for all frames); 0 for custom and others.
VELORA_API double PresetSpeed(int preset);

/// Transport change sub-types.
enum TransportChange : int {
    kTransportChangeNone = 0,
    kTransportChangePlay,
    kTransportChangePlayBackward,
    kTransportChangeStop,
    kTransportChangeStepForward,
    kTransportChangeStepBackward,
    kTransportChangeGoto,
    kTransportChangeRecordOn,
    kTransportChangeRecordOff,
};

class VELORA_API Transport {
public:
    static Transport& Instance();

    // Moves. Each stops playback, moves the local time and evaluates the
    // scene there.
    /// Snapped to a frame when snapping is on.
    void Goto(long long time);
    /// The zoom window's start / stop.
    void GotoStart();
    void GotoEnd();
    /// One frame of the current time mode from the current frame.
    void StepForward();
    void StepBackward();

    // Playback.
    void Play(bool forward = true, bool toMarker = false);
    void Stop();
    bool IsPlaying() const { return direction_ != 0; }
    /// 1 forward, -1 backward, 0 stopped.
    int Direction() const { return direction_; }
    /// Moves playback on (see above) and evaluates the scene; false once
    /// playback is stopped.
    bool Update();
    bool RealTime() const { return realTime_; }
    void SetRealTime(bool on) { realTime_ = on; }
    /// Whether Update moves one frame at a time.
    bool IsBatch() const { return !realTime_ || speedPreset_ == kSpeedAllFrames; }
    /// How long (ticks of the clock) until the next frame is due in real
    /// time; 0 when it is due now or in batch.
    long long TimeToNextFrame() const;

    double PlaySpeed() const { return speed_; }
    /// Any positive factor; it becomes the custom selection unless it is a
    /// preset's. False for a factor that is not positive.
    bool SetPlaySpeed(double speed);
    int PlaySpeedPreset() const { return speedPreset_; }
    /// False (nothing changes) for kSpeedCustom and unknown selections.
    bool SetPlaySpeedPreset(int preset);

    // Recording.
    bool IsRecording() const { return recording_; }
    void SetRecording(bool on);
    bool IsPlotting() const { return plotting_; }
    void SetPlotting(bool on) { plotting_ = on; }

    // Ranges.
    long long LoopStart() const { return loopStart_; }
    long long LoopStop() const { return loopStop_; }
    void SetLoop(long long start, long long stop);
    long long ZoomStart() const { return zoomStart_; }
    long long ZoomStop() const { return zoomStop_; }
    void SetZoom(long long start, long long stop);
    int LoopMode() const { return loopMode_; }
    void SetLoopMode(int mode);
    int SnapMode() const { return snapMode_; }
    void SetSnapMode(int mode);
    int TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(int format) { timeFormat_ = format; }
    int TransportMode() const { return transportMode_; }
    void SetTransportMode(int mode) { transportMode_ = mode; }

    /// The global time mode (velora/time.h); custom takes its rate.
    int TimeMode() const;
    bool SetTimeMode(int mode, double customRate = 0.0);

    int Referential() const { return referential_; }
    void SetReferential(int referential);
    bool TimelineMuted() const { return timelineMuted_; }
    void SetTimelineMuted(bool muted) { timelineMuted_ = muted; }
    /// The edit (story) timeline's times.
    long long editCurrent = 0, editStart = 0, editStop = 0, editZoomStart = 0, editZoomStop = 0;

    bool IsLocked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }
    bool EvaluationPaused() const { return evaluationPaused_; }
    void SetEvaluationPaused(bool on) { evaluationPaused_ = on; }

    long long PlotPeriod() const { return plotPeriod_; }
    void SetPlotPeriod(long long period);
    long long SamplingPeriod() const { return samplingPeriod_; }
    void SetSamplingPeriod(long long period);

    TimeMarkList& GlobalMarks() { return globalMarks_; }
    /// The time of the current take's next / previous mark relative to the
    /// local time; the local time itself when there is none.
    long long NextMarker() const;
    long long PreviousMarker() const;

    /// Evaluates the scene at the local time and returns once done.
    void EvaluateNow();
    EventSource& ChangeEvents() { return changes_; }

    /// The clock, in ticks (null: the steady clock).
    using Clock = long long (*)();
    void SetClock(Clock clock);
    long long Now() const;

    /// Back to the state of a new process (for tests and new scenes).
    void Reset();

private:
    Transport();
    void Raise(int change);
    /// Stops playback (and a device recording with it).
    void Halt();
    long long FrameTicks() const;
    long long Snap(long long time) const;
    void MoveTo(long long time, int change);
    /// Handles the end of the range and marks between `from` and `to`;
    /// returns the time playback shows.
    long long Arrive(long long from, long long to);
    void Anchor(long long time);

    int direction_ = 0;
    bool toMarker_ = false;
    long long markerTarget_ = 0;
    bool realTime_ = true;
    double speed_ = 1.0;
    int speedPreset_ = kSpeedNormal;
    long long anchorTime_ = 0;
    long long anchorClock_ = 0;
    bool recording_ = false;
    bool plotting_ = false;
    long long loopStart_ = 0;
    long long loopStop_ = 0;
    long long zoomStart_ = 0;
    long long zoomStop_ = 0;
    int loopMode_ = kLoopNone;
    int snapMode_ = kSnapAndPlayOnFrames;
    int timeFormat_ = 1;
    int transportMode_ = 3;
    int referential_ = kReferentialAction;
    bool timelineMuted_ = false;
    bool locked_ = false;
    bool evaluationPaused_ = false;
    long long plotPeriod_ = 0;
    long long samplingPeriod_ = 0;
    TimeMarkList globalMarks_;
    EventSource changes_;
    Clock clock_ = nullptr;
};

}  // namespace velora

#endif  // VELORA_TRANSPORT_H
