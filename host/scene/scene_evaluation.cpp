// Evaluation of the main scene, one frame at a time.

#include "velora/scene_evaluation.h"

#include <atomic>
#include <cstring>

#include "velora/animation.h"
#include "velora/evaluation.h"
#include "velora/property.h"
#include "velora/scene.h"

namespace velora {

namespace {

std::atomic<AnimatedPropertyEvaluator> gEvaluator{nullptr};

}  // namespace

AnimatedPropertyEvaluator SetAnimatedPropertyEvaluator(AnimatedPropertyEvaluator evaluator) {
    return gEvaluator.exchange(evaluator);
}


void SceneEvaluator::NotifyPointCaches() { ++stats_.pointCacheNotifications; }

bool SceneEvaluator::EvaluateAndResolveCandidates(long long time) {
    ++stats_.candidateResolves;
    stats_.lastCandidateTime = time;
    return true;
}

void SceneEvaluator::SyncNodeAttributes() { ++stats_.attributeSyncs; }

namespace {

// Deformable meshes live in the hierarchy; one walk reaches them all.
void SyncBranch(Model* model) {
    if (model->IsA(kClassModelMesh)) static_cast<MeshModel*>(model)->SyncDeformation();
    for (int i = 0, n = model->ChildCount(); i < n; ++i)
        if (Model* child = model->ChildModel(i)) SyncBranch(child);
}

}  // namespace

void SceneEvaluator::SyncDeformables() {
    ++stats_.deformableSyncs;
    if (Model* global = scene_.GlobalRootModel()) SyncBranch(global);
}

namespace {

void UpdateBranch(Model* model, const double* parentGlobal) {
    model->UpdateGlobal(parentGlobal);
    for (int i = 0; i < model->ChildCount(); ++i)
        if (Model* child = model->ChildModel(i)) UpdateBranch(child, model->GlobalMatrix());
}

}  // namespace

void SceneEvaluator::UpdateTransformHierarchy() {
    ++stats_.transformUpdates;
    if (Model* global = scene_.GlobalRootModel()) UpdateBranch(global, nullptr);
}

namespace {

// Without an installed evaluator an animated property reads its curves: the
// value at `time` becomes its stored value, which is what transforms and
// every later read of the frame see.
bool EvaluateCurves(Property* property, long long time) {
    EvaluationContext context;
    context.time = time;
    alignas(double) unsigned char value[64];
    if (property->Type()->ValueSize() > sizeof value) return false;
    if (EvaluateProperty(property, value, &context) < 0) return false;
    void* stored = property->ValuePtr();
    if (!stored) return false;
    std::memcpy(stored, value, property->Type()->ValueSize());
    return true;
}

}  // namespace

void SceneEvaluator::EvaluateModel(Model* model, const double* parentGlobal, long long time) {
    AnimatedPropertyEvaluator evaluate = gEvaluator.load(std::memory_order_relaxed);
    if (!evaluate) evaluate = &EvaluateCurves;
    for (int i = 0, n = model->PropertyCount(); i < n; ++i) {
        Property* property = model->PropertyAt(i);
        if (property->HasFlag(kPropertyAnimated) && evaluate(property, time)) ++stats_.propertiesEvaluated;
    }
    model->UpdateGlobal(parentGlobal);
    for (int i = 0, n = model->ChildCount(); i < n; ++i)
        if (Model* child = model->ChildModel(i)) EvaluateModel(child, model->GlobalMatrix(), time);
}

void SceneEvaluator::EvaluateAt(long long time) {
    EvaluationManager& manager = EvaluationManager::Instance();
    manager.Raise(kTimingEvaluationBegin);
    manager.Raise(kTimingDevicesEvaluated);
    if (Model* global = scene_.GlobalRootModel()) EvaluateModel(global, nullptr, time);
    manager.Raise(kTimingSceneEvaluated);
    ++frameStamp_;
    ++stats_.evaluations;
    stats_.lastEvaluatedTime = time;
    manager.Raise(kTimingEvaluationEnd);
}

}  // namespace velora
