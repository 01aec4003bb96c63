#ifndef VELORA_SCENE_EVALUATION_H
#define VELORA_SCENE_EVALUATION_H

// Evaluation of the main scene, one frame at a time, in this order: the
// point-cache manager is told; pending candidates are evaluated and
// resolved up to a time; node attributes and deformable models are
// synchronised; the transform hierarchy is updated; the current local time
// is read from the timing manager; the scene is evaluated at that time
// (devices, then every model's animated properties from their curves and
// its transform, parents before children), and the call returns when that
// evaluation is done. Evaluation stages raise the evaluation manager's
// timings on the calling thread.

#include <cstdint>

#include "velora/export.h"

namespace velora {

class Property;
class Model;
class Scene;

/// Evaluates an animated property at a time: writes the property's value
/// at `time` into its stored value; false means the property had nothing to
/// evaluate (its stored value stands). By default the scene reads the
/// property's function curves (velora/animation.h); a different evaluator
/// (a device's live data, a test's stand-in) may be installed instead.
using AnimatedPropertyEvaluator = bool (*)(Property* property, long long time);
/// Installs the evaluator (null: the curves again); returns the previous one.
VELORA_API AnimatedPropertyEvaluator SetAnimatedPropertyEvaluator(AnimatedPropertyEvaluator evaluator);

/// Counters of the evaluation steps, for diagnostics and tests.
struct SceneEvaluationStats {
    std::uint64_t pointCacheNotifications = 0;
    std::uint64_t candidateResolves = 0;
    std::uint64_t attributeSyncs = 0;
    std::uint64_t deformableSyncs = 0;
    std::uint64_t transformUpdates = 0;
    std::uint64_t evaluations = 0;
    long long lastCandidateTime = 0;
    long long lastEvaluatedTime = 0;
    std::uint64_t propertiesEvaluated = 0;
};

class VELORA_API SceneEvaluator {
public:
    explicit SceneEvaluator(Scene& scene) : scene_(scene) {}
    SceneEvaluator(const SceneEvaluator&) = delete;
    SceneEvaluator& operator=(const SceneEvaluator&) = delete;

    void NotifyPointCaches();
    /// Evaluates and resolves the candidates pending up to `time`.
    bool EvaluateAndResolveCandidates(long long time);
    void SyncNodeAttributes();
    void SyncDeformables();
    /// Recomputes every model's global matrix, parents first.
    void UpdateTransformHierarchy();
    /// Evaluates the scene at `time`; returns once the evaluation is done.
    void EvaluateAt(long long time);
    /// The frame stamp of the last evaluation (0 before the first).
    std::uint64_t FrameStamp() const { return frameStamp_; }
    const SceneEvaluationStats& Stats() const { return stats_; }

private:
    void EvaluateModel(Model* model, const double* parentGlobal, long long time);

    Scene& scene_;
    SceneEvaluationStats stats_;
    std::uint64_t frameStamp_ = 0;
};

}  // namespace velora

#endif  // VELORA_SCENE_EVALUATION_H
