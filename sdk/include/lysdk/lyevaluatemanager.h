#ifndef LYSDK_LYEVALUATEMANAGER_H
#define LYSDK_LYEVALUATEMANAGER_H

// System-wide event managers and transactions.
//
// LyEvaluateManager hooks plain functions into the host's evaluation cycle,
// one timing at a time (lyevent.h lists the timings; a frame passes 0, 1,
// 2, 6, 7, then the synchronisation point 3 and the render stages 4 and 5).
// Its properties are the host manager's: "ParallelScheduleType" (0 serial,
// 1 parallel evaluation of the independent parts of the scene) and
// "InteractiveMode".
//
//     static void AfterScene(LyEvaluateInfo* info) { ... }
//     LyEvaluateManager::TheOne().RegisterEvaluationGlobalFunction(
//         &AfterScene, kLyGlobalEvalCallbackAfterSceneEvaluation);
//
// Functions registered for evaluation timings may run on the host's
// evaluation thread (not the main thread).
//
// LyFileMonitoringManager watches files on disk: its four events fire when a
// watched file of their type changes (read the record with
// LyEventFileChange). The host checks once per frame.
//
// The brackets below are passed straight to the host, which nests them;
// callers balance every begin with an end.

#include "lysdk/lycomponent.h"
#include "lysdk/lyevent.h"

LYSDK_BEGIN_NAMESPACE

/// A function the evaluation manager calls at a timing.
using LyEvaluationGlobalFunction = void (*)(LyEvaluateInfo* info);

class LYSDK_API LyEvaluateManager : public LyComponent {
    LYSDK_CLASS_DECLARE(LyEvaluateManager, LyComponent)
public:
    /// The one manager, made on the first call (safe from several threads).
    static LyEvaluateManager& TheOne();

    /// Registers `function` at `timing` (0 to 7); the same function may be
    /// registered at several timings. False for a null function or a timing
    /// outside 0..7.
    bool RegisterEvaluationGlobalFunction(LyEvaluationGlobalFunction function, LyGlobalEvalCallbackTiming timing);
    /// Removes one registration; false when there was none.
    bool UnregisterEvaluationGlobalFunction(LyEvaluationGlobalFunction function, LyGlobalEvalCallbackTiming timing);
    /// Marks the evaluation graph invalid: the next evaluation rebuilds its
    /// schedules.
    void InvalidateDAG();
    bool IsInteractiveMode() const;

    /// 0: serial, 1: parallel.
    LyPropertyInt ParallelScheduleType;
    LyPropertyBool InteractiveMode;

private:
    LyEvaluateManager();
};

class LYSDK_API LyFileMonitoringManager : public LyComponent {
    LYSDK_CLASS_DECLARE(LyFileMonitoringManager, LyComponent)
public:
    static LyFileMonitoringManager& TheOne();

    /// File types.
    enum {
        kLyFileMainScene = 1,
        kLyFileAnimationClip = 2,
        kLyFileFileReference = 3,
        kLyFilePythonEditorScript = 4,
    };

    /// Watches `path` as a file of `type`.
    void AddFileToMonitor(const LyString& path, unsigned int type);
    void RemoveFileFromMonitor(const LyString& path);
    /// While paused, changes are not reported (they are dropped).
    void PauseFileMonitoring(bool pause);
    /// Drops the changes not yet reported; with `removeAll`, also stops
    /// watching every file.
    void CleanFileMonitoring(bool removeAll);

    LyPropertyEvent OnFileChangeMainScene;
    LyPropertyEvent OnFileChangeAnimationClip;
    LyPropertyEvent OnFileChangeFileReference;
    LyPropertyEvent OnFileChangePythonEditorScript;

private:
    LyFileMonitoringManager();
};

/// The all-models transaction (the one LyDeleteObjectsByName uses).
LYSDK_API void LyBeginChangeAllModels();
LYSDK_API void LyEndChangeAllModels();
/// A model transaction on the main scene.
LYSDK_API void LyModelTransactionBegin();
LYSDK_API void LyModelTransactionEnd();
/// The merge of a file into the scene.
LYSDK_API void LyMergeTransactionBegin();
LYSDK_API void LyMergeTransactionEnd();
/// Suspends and resumes the refresh of the user interface.
LYSDK_API void LyPreventUIUpdateBegin();
LYSDK_API void LyPreventUIUpdateEnd();
LYSDK_API bool LyPreventUIUpdateIsOn();

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYEVALUATEMANAGER_H
