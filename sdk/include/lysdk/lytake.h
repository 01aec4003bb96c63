#ifndef LYSDK_LYTAKE_H
#define LYSDK_LYTAKE_H

// Takes, animation layers and plotting.
//
// A take is a named version of the scene's animation with its own time
// spans, comments, time marks and layers. Layer 0 is the base layer; the
// others blend on top of it in order (additive, override, or override with
// the layers below passing through as the weight falls). Making a take
// current (LySystem::CurrentTake) switches what the scene plays.
//
// Plotting bakes what the scene evaluates (constraints, relations and
// layers included) into keys on the take's base layer, one every plot
// period over the take's span; see LyPlotOptions.

#include "lysdk/lyarray.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyevent.h"
#include "lysdk/lyplayercontrol.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lytime.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LyBox;
class LyAnimationLayer;

enum LyLayerMode {
    kLyLayerModeInvalidIndex = 0,
    kLyLayerModeAdditive,
    kLyLayerModeOverride,
    kLyLayerModeOverridePassthrough,
};
LYSDK_ENUM_TEXTS(LyLayerMode);

enum LyLayerRotationMode {
    kLyLayerRotationModeInvalidIndex = 0,
    kLyLayerRotationModeEulerRotation,
    kLyLayerRotationModeQuaternionRotation,
};
LYSDK_ENUM_TEXTS(LyLayerRotationMode);

enum LyRotationFilter {
    kLyRotationFilterNone = 0,
    kLyRotationFilterGimbleKiller,
    kLyRotationFilterUnroll,
};
LYSDK_ENUM_TEXTS(LyRotationFilter);

enum LyPlotTangentMode {
    kLyPlotTangentModeSmooth = 0,
    kLyPlotTangentModeSmoothClamp,
    kLyPlotTangentModeSpline,
    kLyPlotTangentModeSplineClamp,
    kLyPlotTangentModeAuto,
};
LYSDK_ENUM_TEXTS(LyPlotTangentMode);

/// Which layers and properties MergeLayers takes: the selected layers or
/// all of them, with the keying selection's properties, every property of
/// the selected objects, or every property of the scene.
enum LyAnimationLayerMergeOptions {
    kLyAnimationLayerMergeSelectedLayersSelectedProperties = 0,
    kLyAnimationLayerMergeAllLayersSelectedProperties,
    kLyAnimationLayerMergeSelectedLayersAllProperties,
    kLyAnimationLayerMergeAllLayersAllProperties,
    kLyAnimationLayerMergeSelectedLayersCompleteScene,
    kLyAnimationLayerMergeAllLayersCompleteScene,
};
LYSDK_ENUM_TEXTS(LyAnimationLayerMergeOptions);

/// The mode of the layer a merge lands on (when it is not the base layer):
/// automatic keeps the sum of the merged layers as additive.
enum LyMergeLayerMode {
    kLyMergeLayerModeAutomatic = 0,
    kLyMergeLayerModeAdditive,
    kLyMergeLayerModeOverride,
};
LYSDK_ENUM_TEXTS(LyMergeLayerMode);

/// The members of a property an edit touches.
enum LyPropertyComponents {
    kLyPropertyComponentX = 1,
    kLyPropertyComponentY = 2,
    kLyPropertyComponentZ = 4,
    kLyPropertyComponentW = 8,
    kLyPropertyComponentAll = 15,
};
LYSDK_ENUM_TEXTS(LyPropertyComponents);

/// How a plot runs. The defaults plot every 1/30 s with the unroll filter
/// and smooth keys.
struct LYSDK_API LyPlotOptions {
    LyPlotOptions();
    /// Every take of the scene instead of this one.
    bool mPlotAllTakes;
    /// Plot times fall on whole frames of the transport's time mode.
    bool mPlotOnFrame;
    LyTime mPlotPeriod;
    LyRotationFilter mRotationFilterToApply;
    LyPlotTangentMode mPlotTangentMode;
    /// Locked members keep their keys.
    bool mPlotLockedProperties;
    /// Keys that repeat both neighbours are dropped.
    bool mUseConstantKeyReducer;
    /// A curve plotted flat keeps a single key.
    bool mConstantKeyReducerKeepOneKey;
    /// Plot onto the current layer instead of the base layer.
    bool mPlotToCurrentLayer;
    /// The transport's loop range instead of the take's span.
    bool mPlotLoopRange;
    /// The plotted properties' curves on the other layers are cleared.
    bool mClearOtherLayers;
    bool mEvaluateDeformation;
};

/// An animation layer of a take. Built from its name, id (position) and
/// host layer.
class LYSDK_API LyAnimationLayer : public LyComponent {
    LYSDK_CLASS_DECLARE(LyAnimationLayer, LyComponent)
public:
    LyAnimationLayer(const char* name, int layerId, HIObject object = nullptr);

    /// A new layer of the same take made a child of this one.
    void AddChildLayer(LyAnimationLayer* layer);
    int GetChildCount();
    LyAnimationLayer* GetChildLayer(int index);
    /// Appends every layer below this one, depth first.
    void GetCompleteChildHierarchy(LyArrayTemplate<LyAnimationLayer*>* children);
    LyAnimationLayer* GetParentLayer();
    void SetParentLayer(LyAnimationLayer* parent);
    /// The layer's position in its take; -1 without a host layer.
    int GetLayerIndex();
    bool IsSelected();
    /// With both flags true the layer also becomes current and the only
    /// selected layer of its take.
    void SelectLayer(bool select, bool exclusive);
    /// Removes the layer (and its animation) from its take.
    void LyDelete() override;

    LyPropertyColor Color;
    LyPropertyBool Solo;
    LyPropertyBool Mute;
    LyPropertyBool Lock;
    /// In percent.
    LyPropertyAnimatableDouble Weight;
    LyPropertyBaseEnum<LyLayerMode> LayerMode;
    LyPropertyBaseEnum<LyLayerRotationMode> LayerRotationMode;

private:
    int mLayerId;
};

class LYSDK_API LyTake : public LyComponent {
    LYSDK_CLASS_DECLARE(LyTake, LyComponent)
public:
    /// Wraps `object`; without one, the scene makes a take named `name`.
    explicit LyTake(const char* name, HIObject object = nullptr);

    /// A copy of this take (layers and animation) named `name`.
    LyTake* CopyTake(const char* name);
    /// Removes the take from the scene.
    void LyDelete() override;

    // Layers (ids are positions, 0 being the base layer).
    void CreateNewLayer();
    void RemoveLayer(int index);
    int GetLayerCount();
    LyAnimationLayer* GetLayer(int id);
    /// Whatever the letter case.
    LyAnimationLayer* GetLayerByName(const char* name);
    int GetCurrentLayer();
    void SetCurrentLayer(int index);
    bool MoveCurrentLayerUp();
    bool MoveCurrentLayerDown();
    void DuplicateSelectedLayers();
    void MergeLayers(LyAnimationLayerMergeOptions options, bool deleteMergedLayers, LyMergeLayerMode mode,
                     bool mergeLockedProperties = false);
    /// The selected layers' ids, the lowest first.
    void GetLayerRealSelection(LyArrayTemplate<int>* ids);
    /// Selects (or deselects) every layer.
    void SetLayerRealSelection(bool select);

    /// Removes the animation of every object on this take: of the selected
    /// objects only (`selectedOnly`), on every layer or the current one.
    void ClearAllProperties(bool selectedOnly, bool currentLayerOnly = false);
    void ClearAllPropertiesOnCurrentLayer();

    // Deleting and offsetting keys between `start` and `stop`; `layer` is a
    // layer id or -1 for every layer; `locked` edits locked members too.
    bool DeleteAnimation(LyTime start = LyTime::MinusInfinity, LyTime stop = LyTime::Infinity, bool inclusive = true,
                         int layer = -1, bool locked = false);
    bool DeleteAnimationOnObjects(LyArrayTemplate<LyBox*>* objects, LyTime start = LyTime::MinusInfinity,
                                  LyTime stop = LyTime::Infinity, bool inclusive = true, int layer = -1,
                                  bool locked = false);
    bool DeleteAnimationOnProperties(LyArrayTemplate<LyProperty*>* properties, LyTime start = LyTime::MinusInfinity,
                                     LyTime stop = LyTime::Infinity, bool inclusive = true, int layer = -1,
                                     bool locked = false, LyPropertyComponents components = kLyPropertyComponentAll);
    bool OffsetAnimation(LyTime offset, LyTime start = LyTime::MinusInfinity, LyTime stop = LyTime::Infinity,
                         bool inclusive = true, int layer = -1, bool locked = false);
    bool OffsetAnimationOnObjects(LyArrayTemplate<LyBox*>* objects, LyTime offset,
                                  LyTime start = LyTime::MinusInfinity, LyTime stop = LyTime::Infinity,
                                  bool inclusive = true, int layer = -1, bool locked = false);
    bool OffsetAnimationOnProperties(LyArrayTemplate<LyProperty*>* properties, LyTime offset,
                                     LyTime start = LyTime::MinusInfinity, LyTime stop = LyTime::Infinity,
                                     bool inclusive = true, int layer = -1, bool locked = false,
                                     LyPropertyComponents components = kLyPropertyComponentAll);

    // Plotting. Null options plot nothing.
    void PlotTakeOnSelected(LyPlotOptions* options);
    void PlotTakeOnSelected(LyTime period);
    void PlotTakeOnSelectedProperties(LyPlotOptions* options);
    void PlotTakeOnSelectedProperties(LyTime period);
    void PlotTakeOnObjects(LyPlotOptions* options, LyArrayTemplate<LyBox*>* objects);
    void PlotTakeOnObjects(LyTime period, LyArrayTemplate<LyBox*>* objects);
    void PlotTakeOnProperties(LyPlotOptions* options, LyArrayTemplate<LyProperty*>* properties);
    void PlotTakeOnProperties(LyTime period, LyArrayTemplate<LyProperty*>* properties);
    void PlotAllTakesOnSelected(LyTime period);
    void PlotAllTakesOnSelectedProperties(LyTime period);
    void PlotAllTakesOnObjects(LyTime period, LyArrayTemplate<LyBox*>* objects);
    void PlotAllTakesOnProperties(LyTime period, LyArrayTemplate<LyProperty*>* properties);

    // Time marks of this take.
    int AddTimeMark(LyTime time, const char* name = nullptr);
    bool DeleteTimeMark(int index);
    void DeleteAllTimeMarks();
    int GetTimeMarkCount();
    LyTime GetTimeMarkTime(int index);
    int SetTimeMarkTime(int index, LyTime time);
    const char* GetTimeMarkName(int index);
    bool SetTimeMarkName(int index, const char* name);
    LyTimeMarkAction GetTimeMarkAction(int index);
    bool SetTimeMarkAction(int index, LyTimeMarkAction action);
    LyColor GetTimeMarkColor(int index);
    bool SetTimeMarkColor(int index, const LyColor& color);
    bool GetTimeMarkLock(int index);
    bool SetTimeMarkLock(int index, bool lock);
    void SetAllTimeMarkLock(bool lock);
    int GetNextTimeMarkIndex();
    int GetPreviousTimeMarkIndex();

    // Name: the component's own (the take's name).
    LyPropertyTimeSpan ReferenceTimeSpan;
    LyPropertyTimeSpan LocalTimeSpan;
    LyPropertyString Comments;

private:
    void InitTakeProperties();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYTAKE_H
