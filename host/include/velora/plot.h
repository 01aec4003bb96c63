#ifndef VELORA_PLOT_H
#define VELORA_PLOT_H

// Plotting, layer merging, and deleting or offsetting animation.
//
// Plotting bakes what the scene evaluates into keys: for each take plotted
// (made current for the while), the scene is evaluated at every plot
// period over the take's local span, the chosen properties' values are
// read, rotations are filtered, and the values become keys on the take's
// base layer (or its current layer), replacing the keys of the span there.
// Since the baked motion already holds what the other layers added, the
// plotted properties' curves on the other layers are cleared. The scene
// ends at the time it started from, with the take that was current.
//
// Rotation filters (on a model's rotation, in degrees, X Y Z read as the
// model does): the gimbal killer picks, frame by frame, whichever of the
// two Euler triples of the same rotation, (x, y, z) or (x + 180, 180 - y,
// z + 180), lies closer to the previous frame's; unroll then adds whole
// turns to each member so that no frame jumps more than half a turn.
//
// Plot tangent modes give the plotted keys their shape: smooth (cubic,
// auto tangents), smooth clamped (the same, clamped), spline (cubic,
// time-independent), spline clamped (clamp-progressive), and auto (the
// node's own default key flags, as keying makes).
//
// Merging blends chosen layers of a take into the lowest of them, at the
// key times of the merged curves, and clears the others.

#include <cstdint>
#include <functional>
#include <vector>

#include "velora/export.h"
#include "velora/take.h"

namespace velora {

class Object;
class Property;

enum RotationFilter : int {
    kRotationFilterNone = 0,
    kRotationFilterGimbalKiller = 1,
    kRotationFilterUnroll = 2,
};

enum PlotTangent : int {
    kPlotTangentSmooth = 0,
    kPlotTangentSmoothClamp,
    kPlotTangentSpline,
    kPlotTangentSplineClamp,
    kPlotTangentAuto,
};

struct PlotOptions {
    bool allTakes = false;
    bool onFrames = true;  ///< plot times fall on whole frames of the time mode
    long long period = 141120000 / 30;
    int rotationFilter = kRotationFilterUnroll;
    int tangentMode = kPlotTangentSmooth;
    bool honourLocks = true;      ///< locked members keep their keys
    bool reduceKeys = false;      ///< drop keys that repeat both neighbours
    bool keepOneKey = false;      ///< a curve plotted flat keeps one key
    bool toCurrentLayer = false;  ///< plot onto the current layer, not the base
    bool evaluateAll = true;      ///< always set: the whole scene evaluates
    bool useLoopRange = false;    ///< the transport's loop range, not the take's span
    bool clearLayers = true;      ///< clear the plotted curves on the other layers
    bool plotDeformations = false;
};

/// The flags of a plotted key (kPlotTangentAuto: `nodeDefault`).
VELORA_API std::uint32_t PlotKeyFlags(int tangentMode, std::uint32_t nodeDefault);
/// Filters `frames` rotations (three degrees each, in place).
VELORA_API void FilterRotations(double* rotations, int frames, int filter);

/// The properties plotting `object` covers: a model's translation,
/// rotation and scaling; another object's animatable properties.
VELORA_API void PlotPropertiesOf(Object* object, std::vector<Property*>* out);
/// Progress of a long operation: done out of total.
using ProgressFn = std::function<void(long long done, long long total)>;
/// Plots `properties` on `take` (the current take when null; every take of
/// the scene with options.allTakes); `keysWritten` (may be null) gets how
/// many keys the plot wrote. False when there was nothing to plot.
VELORA_API bool PlotProperties(Take* take, const std::vector<Property*>& properties, const PlotOptions& options,
                               const ProgressFn& progress = nullptr, long long* keysWritten = nullptr);

/// Which layers and properties a merge takes (1 to 6).
enum MergeScope : int {
    kMergeSelectedLayersSelectedProperties = 1,
    kMergeAllLayersSelectedProperties,
    kMergeSelectedLayersAllProperties,
    kMergeAllLayersAllProperties,
    kMergeSelectedLayersCompleteScene,
    kMergeAllLayersCompleteScene,
};
enum MergeMode : int { kMergeModeAutomatic = 0, kMergeModeAdditive, kMergeModeOverride };
/// Merges per `scope`; with `deleteMerged` the merged layers that are left
/// empty go. `mergeLocked` merges the layers that are locked as well. False
/// when fewer than two layers take part.
VELORA_API bool MergeLayers(Take* take, int scope, bool deleteMerged, int mode, bool mergeLocked);

/// Deletes (offset == 0 and !move) or moves by `offset` the keys between
/// `start` and `stop` of `properties` on `take`: on layer `layer`, or every
/// layer for -1; members outside `memberMask` (bit i: member i) are left;
/// locked members too unless `includeLocked`. Runs as one undo transaction.
/// False when no key changed.
VELORA_API bool EditTakeAnimation(Take* take, const std::vector<Property*>& properties, long long start,
                                  long long stop, bool inclusive, int layer, bool includeLocked,
                                  std::uint32_t memberMask, bool move, long long offset);
/// Every animated property of the objects.
VELORA_API void AnimatedPropertiesOf(const std::vector<Object*>& objects, std::vector<Property*>* out);

}  // namespace velora

#endif  // VELORA_PLOT_H
