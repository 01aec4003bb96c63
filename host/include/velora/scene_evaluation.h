#ifndef VELORA_SCENE_EVALUATION_H
#define VELORA_SCENE_EVALUATION_H

// Evaluation of the main scene, one frame at a time, in this order: the
// point-cache manager is told; pending candidates are evaluated and
// resolved up to a time; node attributes and deformable models are
// synchronised; the transform hierarchy is updated; the current local time
// is read from the timing manager; the scene is evaluated at that time
// (devices, then every model's animated properties from their curves, the
// boxes of the active relations, then every model's transform, parents
// before children, then the active constraints, sources first; then the
// meshes' deformers), and the call returns when that evaluation is done.
// The stages raise the evaluation manager's timings on the calling thread
// (velora/evaluation.h gives the whole cycle of a frame).
//
// Schedules. The evaluator keeps a flat plan of the scene: the models in
// hierarchy order with their animated properties and the curves behind each
// member, and the groups of boxes of the relations. It is rebuilt when the
// structure of the plug graph changed (StructureVersion: a model joined,
// left or moved, a property became animated or not, an object ended, a
// connection changed) or the evaluation manager's graph was invalidated.
// Each frame then reads curves straight from the plan.
//
// Threads. With the manager's parallel schedule, the stages run the
// independent parts (each top-level model hierarchy; each group of
// connected boxes) on the host's evaluation threads (velora/parallel.h);
// the calling thread waits for each stage before the next, and raises every
// timing itself.

#include <cstdint>
#include <memory>

#include "velora/export.h"

namespace velora {

class Property;
class Model;
struct EvaluationContext;
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
    explicit SceneEvaluator(Scene& scene);
    ~SceneEvaluator();
    SceneEvaluator(const SceneEvaluator&) = delete;
    SceneEvaluator& operator=(const SceneEvaluator&) = delete;

    void NotifyPointCaches();
    /// Evaluates and resolves the candidates pending up to `time`.
    bool EvaluateAndResolveCandidates(long long time);
    void SyncNodeAttributes();
    void SyncDeformables();
    /// Brings every model's global matrix up to date, parents first: a
    /// model whose local values and parent did not move since its last
    /// update keeps its matrix.
    void UpdateTransformHierarchy();
    /// Evaluates the scene at `time` (timings 0, 1, 2, 6, 7); returns once
    /// the evaluation is done.
    void EvaluateAt(long long time);
    /// The synchronisation point and the render stages (timings 3, 4, 5).
    void RenderFrame();
    /// One whole frame at `time`: EvaluateAt, then RenderFrame.
    void EvaluateFrame(long long time);
    /// Whether the last evaluation ran its stages on several threads.
    bool LastRunParallel() const { return lastParallel_; }
    /// Evaluates the scene's active constraints at `time` on the models'
    /// current matrices (EvaluateAt runs it after the transforms).
    void EvaluateConstraints(long long time);
    /// Constraints the plan orders (active or not).
    int ScheduledConstraints() const;
    /// Boxes the last evaluation scheduled, and their independent groups.
    int ScheduledBoxes() const;
    int ScheduledGroups() const;
    /// The frame stamp of the last evaluation (0 before the first).
    std::uint64_t FrameStamp() const { return frameStamp_; }
    const SceneEvaluationStats& Stats() const { return stats_; }

    /// The flat plan (defined where it is used).
    struct Plan;

private:
    Plan& CurrentPlan();
    void BuildConstraintSteps(Plan& plan);
    void EvaluateConstraints(Plan& plan, const EvaluationContext& context);
    /// The models' curves and/or matrices, hierarchy by hierarchy.
    void EvaluateModels(Plan& plan, long long time, bool parallel, bool channels, bool transforms);

    Scene& scene_;
    SceneEvaluationStats stats_;
    std::uint64_t frameStamp_ = 0;
    std::unique_ptr<Plan> plan_;
    bool lastParallel_ = false;
};

}  // namespace velora

#endif  // VELORA_SCENE_EVALUATION_H
