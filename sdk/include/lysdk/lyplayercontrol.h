#ifndef LYSDK_LYPLAYERCONTROL_H
#define LYSDK_LYPLAYERCONTROL_H

// LyPlayerControl: the process-wide transport.
//
// Every move (Goto, GotoStart, GotoEnd, StepForward, StepBackward) stops
// playback, moves the scene's local time and evaluates the scene there
// before it returns, so values read right after a move are those of the
// new time. GotoStart and GotoEnd go to the zoom window's ends (not the
// loop range's). Steps move one frame of the current time mode.
//
// The edit (story) timeline and the action timeline are the two time
// referentials; the shot referential reads as the action one.

#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyevent.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lytime.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

enum LyTransportLoopMode {
    kLyTransportNoLoop = 0,
    kLyTransportLoopCurrentTake,
    kLyTransportLoopThroughAllTakes,
};
LYSDK_ENUM_TEXTS(LyTransportLoopMode);

enum LyTransportSnapMode {
    kLyTransportSnapModeNoSnap = 0,
    kLyTransportSnapModeSnapOnFrames,
    kLyTransportSnapModePlayOnFrames,
    kLyTransportSnapModeSnapAndPlayOnFrames,
};
LYSDK_ENUM_TEXTS(LyTransportSnapMode);

enum LyTransportTimeFormat {
    kLyTimeFormatTimecode = 0,
    kLyTimeFormatFrame,
};
LYSDK_ENUM_TEXTS(LyTransportTimeFormat);

enum LyTimeReferential {
    kLyTimeReferentialAction = 0,
    kLyTimeReferentialShot,
    kLyTimeReferentialEdit,
};
LYSDK_ENUM_TEXTS(LyTimeReferential);

enum LyPlayerControlChangeType {
    kLyPlayerControlNone = 0,
    kLyPlayerControlPlay,
    kLyPlayerControlPlayReverse,
    kLyPlayerControlStop,
    kLyPlayerControlStepForward,
    kLyPlayerControlStepBackward,
    kLyPlayerControlGoto,
    kLyPlayerControlRecordModeOn,
    kLyPlayerControlRecordModeOff,
};
LYSDK_ENUM_TEXTS(LyPlayerControlChangeType);

/// The preset play speeds; kLySpeed_AllFrames plays every frame as fast as
/// the host can, kLySpeed_Custom stands for a speed set with SetPlaySpeed.
enum LyTransportPlaySpeed {
    kLySpeed_1_10x = 0,
    kLySpeed_1_5x,
    kLySpeed_1_4x,
    kLySpeed_1_3x,
    kLySpeed_1_2x,
    kLySpeed_1x,
    kLySpeed_2x,
    kLySpeed_3x,
    kLySpeed_4x,
    kLySpeed_5x,
    kLySpeed_10x,
    kLySpeed_AllFrames,
    kLySpeed_Custom,
};
LYSDK_ENUM_TEXTS(LyTransportPlaySpeed);

/// What playback does on reaching a time mark.
enum LyTimeMarkAction {
    kLyTimeMarkActionNone = 0,
    kLyTimeMarkActionStop,
    kLyTimeMarkActionLoop,
};
LYSDK_ENUM_TEXTS(LyTimeMarkAction);

class LYSDK_API LyPlayerControl : public LyComponent {
    LYSDK_CLASS_DECLARE(LyPlayerControl, LyComponent)
public:
    /// The process-wide instance, built on first use.
    static LyPlayerControl& TheOne();
    LyPlayerControl(const LyPlayerControl&) = delete;
    LyPlayerControl& operator=(const LyPlayerControl&) = delete;

    /// Forward (backward); with `toMarker`, up to the next (previous) time
    /// mark of the current take. True.
    bool Play(bool toMarker = false);
    bool PlayReverse(bool toMarker = false);
    bool Stop();
    bool Goto(LyTime time, LyTimeReferential referential = kLyTimeReferentialAction);
    bool GotoStart(LyTimeReferential referential = kLyTimeReferentialAction);
    bool GotoEnd(LyTimeReferential referential = kLyTimeReferentialAction);
    bool StepForward(LyTimeReferential referential = kLyTimeReferentialAction);
    bool StepBackward(LyTimeReferential referential = kLyTimeReferentialAction);
    /// To the next (previous) key of the keying selection's curves, or of
    /// every animated property of the selected models; false when none.
    bool GotoNextKey();
    bool GotoPreviousKey();
    /// Evaluates the scene at the current time, then keys the keying
    /// selection (or the selected models' transforms) there.
    bool Key();
    /// Switches recording off when it is on (true); else switches it on and
    /// answers true.
    bool Record(bool overrideTake = false, bool copyData = true);
    void LockTransport(bool lock);
    bool IsLocked();
    void EvaluationPause();
    void EvaluationResume();

    LyTimeMode GetTransportFps();
    void SetTransportFps(LyTimeMode mode, double customRate = 0.0);
    /// Frames per second of `mode` (kLyTimeModeDefault: the current mode).
    double GetTransportFpsValue(LyTimeMode mode = kLyTimeModeDefault);

    double GetPlaySpeed();
    /// Any positive factor; also raises the application event "TimingRatio".
    void SetPlaySpeed(double speed);
    LyTransportPlaySpeed GetPlaySpeedMode();
    /// kLySpeed_Custom is refused with a trace line.
    void SetPlaySpeedMode(LyTransportPlaySpeed mode);
    /// 0 to 23; 3 for any other host value.
    int GetTransportMode();

    LyTimeReferential GetTimeReferential();
    void SetTimeReferential(LyTimeReferential referential);

    LyTime GetEditCurrentTime();
    LyTime GetEditStart();
    LyTime GetEditStop();
    LyTime GetEditZoomStart();
    LyTime GetEditZoomStop();
    void SetEditStart(LyTime time);
    void SetEditStop(LyTime time);
    void SetEditZoomStart(LyTime time);
    void SetEditZoomStop(LyTime time);

    // Global time marks (not attached to a take).
    int AddGlobalTimeMark(LyTime time, const char* name = nullptr);
    bool DeleteGlobalTimeMark(int index);
    void DeleteAllGlobalTimeMarks();
    int GetGlobalTimeMarkCount();
    LyTime GetGlobalTimeMarkTime(int index);
    /// The mark's new index, or -1.
    int SetGlobalTimeMarkTime(int index, LyTime time);
    const char* GetGlobalTimeMarkName(int index);
    bool SetGlobalTimeMarkName(int index, const char* name);
    LyTimeMarkAction GetGlobalTimeMarkAction(int index);
    bool SetGlobalTimeMarkAction(int index, LyTimeMarkAction action);
    LyColor GetGlobalTimeMarkColor(int index);
    bool SetGlobalTimeMarkColor(int index, const LyColor& color);
    bool GetGlobalTimeMarkLock(int index);
    bool SetGlobalTimeMarkLock(int index, bool lock);
    void SetAllGlobalTimeMarkLock(bool lock);
    int GetNextGlobalTimeMarkIndex();
    int GetPreviousGlobalTimeMarkIndex();

    LyPropertyTime LoopStart;
    LyPropertyTime LoopStop;
    LyPropertyTime ZoomWindowStart;
    LyPropertyTime ZoomWindowStop;
    LyPropertyTime NextMarker;
    LyPropertyTime PreviousMarker;
    LyPropertyBool IsRecording;
    LyPropertyBool IsPlaying;
    LyPropertyBool IsPlotting;
    LyPropertyBaseEnum<LyTransportSnapMode> SnapMode;
    LyPropertyBaseEnum<LyTransportLoopMode> LoopMode;
    LyPropertyBaseEnum<LyTransportTimeFormat> TransportTimeFormat;
    LyPropertyTime RecordingSamplingPeriod;
    LyPropertyTime PlotSamplingPeriod;
    /// Transport changes (LyEventPlayerControlChange).
    LyPropertyEvent OnChange;

private:
    LyPlayerControl();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPLAYERCONTROL_H
