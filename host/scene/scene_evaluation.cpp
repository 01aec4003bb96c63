// Evaluation of the main scene, one frame at a time.

#include "velora/scene_evaluation.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "velora/animation.h"
#include "velora/device.h"
#include "velora/constraint.h"
#include "velora/evaluation.h"
#include "velora/file_monitor.h"
#include "velora/parallel.h"
#include "velora/property.h"
#include "velora/relation.h"
#include "velora/scene.h"
#include "velora/take.h"

namespace velora {

namespace {

std::atomic<AnimatedPropertyEvaluator> gEvaluator{nullptr};

}  // namespace

AnimatedPropertyEvaluator SetAnimatedPropertyEvaluator(AnimatedPropertyEvaluator evaluator) {
    return gEvaluator.exchange(evaluator);
}

// The flat plan of the scene (see the header).
struct SceneEvaluator::Plan {
    // An animated property; the curves are those of its members when the
    // value is made of doubles (the fast path), else null.
    struct Channel {
        Property* property;
        AnimationNode* node;  // the base layer's (or the only) node
        double* value;
        FCurve* curves[4];
        int members;
        bool fast;
        int upperBegin;  // the nodes of the upper layers: [upperBegin, upperEnd) of uppers
        int upperEnd;
    };
    // A node of an upper layer of the current take.
    struct Upper {
        AnimationNode* node;
        int layer;  // the layer's position: its entry in blends
        FCurve* curves[4];
    };
    std::vector<Upper> uppers;
    // The current take's layers as they blend at the frame being evaluated.
    std::vector<LayerBlend> blends;
    std::vector<AnimationLayer*> layers;
    struct Entry {
        Model* model;
        int parent;  // index in models, -1 for a root
        int channelBegin;
        int channelEnd;
    };
    std::vector<Entry> models;  // parents before children (preorder)
    std::vector<MeshModel*> meshes;  // the deformable kind, in the same order
    std::vector<Channel> channels;
    // models[0, shared) are the roots of the global set and the scene root;
    // the ranges [units[i], units[i + 1]) are the hierarchies below them,
    // each evaluated as one piece.
    int shared = 0;
    std::vector<int> units;
    // A model aimed at a target may read another hierarchy's matrices:
    // then the transforms run on one thread.
    bool aimed = false;
    std::vector<Relation*> relations;
    std::vector<std::vector<Box*>> relationBoxes;  // per relation
    std::vector<Box*> roots;                       // boxes of the active relations
    std::vector<bool> active;
    GraphSchedule boxes;
    // The constraints of the scene, each after those whose driven models
    // (or their ancestors) it reads or drives, with the plan positions of
    // the models it drives; and, per model, the end of its subtree.
    struct ConstraintStep {
        Constraint* constraint;
        std::vector<int> driven;
    };
    std::vector<ConstraintStep> constraints;
    std::vector<int> subtreeEnd;
    std::uint64_t version = 0;
    bool built = false;
};

SceneEvaluator::SceneEvaluator(Scene& scene) : scene_(scene) {}
SceneEvaluator::~SceneEvaluator() = default;

void SceneEvaluator::NotifyPointCaches() { ++stats_.pointCacheNotifications; }

bool SceneEvaluator::EvaluateAndResolveCandidates(long long time) {
    ++stats_.candidateResolves;
    stats_.lastCandidateTime = time;
    return true;
}

void SceneEvaluator::SyncNodeAttributes() { ++stats_.attributeSyncs; }

namespace {

void AddChannels(SceneEvaluator::Plan& plan, Model* model);

}  // namespace

void SceneEvaluator::SyncDeformables() {
    ++stats_.deformableSyncs;
    for (MeshModel* mesh : CurrentPlan().meshes) mesh->SyncDeformation();
}

namespace {

void AddChannels(SceneEvaluator::Plan& plan, Model* model) {
    Take* take = CurrentTake(false);
    thread_local std::vector<LayerNodeRef> nodes;
    for (int i = 0, n = model->PropertyCount(); i < n; ++i) {
        Property* property = model->PropertyAt(i);
        if (!property->HasFlag(kPropertyAnimated)) continue;
        SceneEvaluator::Plan::Channel channel{};
        channel.property = property;
        channel.upperBegin = channel.upperEnd = static_cast<int>(plan.uppers.size());
        TakeNodesOf(property, take, &nodes);
        if (nodes.empty()) {
            channel.node = PropertyAnimationNode(property);
        } else if (nodes.front().index == 0) {
            channel.node = nodes.front().node;
        }
        channel.value = static_cast<double*>(property->ValuePtr());
        channel.members = property->MemberCount();
        channel.fast = channel.node && channel.value && property->Type()->IsDoubles() &&
                       channel.members >= 1 && channel.members <= 4 && channel.node->Channels() == channel.members;
        for (const LayerNodeRef& ref : nodes) {
            if (ref.index == 0) continue;
            SceneEvaluator::Plan::Upper upper{};
            upper.node = ref.node;
            upper.layer = ref.index;
            for (int m = 0; m < 4; ++m) upper.curves[m] = m < ref.node->Channels() ? ref.node->Curve(m) : nullptr;
            plan.uppers.push_back(upper);
            if (ref.node->Channels() != channel.members) channel.fast = false;
        }
        channel.upperEnd = static_cast<int>(plan.uppers.size());
        if (channel.fast)
            for (int m = 0; m < channel.members; ++m) channel.curves[m] = channel.node->Curve(m);
        plan.channels.push_back(channel);
    }
}

SceneEvaluator::Plan::Entry MakeEntry(Model* model, int parent, int channelBegin) {
    SceneEvaluator::Plan::Entry entry{};
    entry.model = model;
    entry.parent = parent;
    entry.channelBegin = channelBegin;
    return entry;
}

void AddBranch(SceneEvaluator::Plan& plan, Model* model, int parent) {
    const int me = static_cast<int>(plan.models.size());
    SceneEvaluator::Plan::Entry entry = MakeEntry(model, parent, static_cast<int>(plan.channels.size()));
    AddChannels(plan, model);
    entry.channelEnd = static_cast<int>(plan.channels.size());
    plan.models.push_back(entry);
    for (int i = 0, n = model->ChildCount(); i < n; ++i)
        if (Model* child = model->ChildModel(i)) AddBranch(plan, child, me);
}

// Without an installed evaluator an animated property reads its curves: the
// value at `time` becomes its stored value, which is what transforms and
// every later read of the frame see.
bool EvaluateCurves(Property* property, long long time) {
    EvaluationContext context;
    context.time = time;
    alignas(double) unsigned char value[64];
    const std::size_t size = property->Type()->ValueSize();
    void* stored = property->ValuePtr();
    if (size > sizeof value || !stored) return false;
    // The current take's layers, told that the result becomes the value.
    double current[4] = {0, 0, 0, 0};
    double values[4];
    ValueToDoubles(property->Type(), stored, current);
    const std::uint32_t mutes = (property->Flags() >> 16) & 0xFu;
    if (EvaluateTakeLayers(property, time, current, values, mutes, true, true) >= 0) {
        std::memcpy(value, stored, size);
        ValueFromDoubles(property->Type(), values, value);
    } else if (EvaluateProperty(property, value, &context) < 0) {
        return false;
    }
    std::memcpy(stored, value, size);
    return true;
}

// Layers above the base blend member by member (velora/take.h).
bool EvaluateLayered(const SceneEvaluator::Plan& plan, const SceneEvaluator::Plan::Channel& c, long long time) {
    bool candidate = c.node->HasCandidate();
    for (int u = c.upperBegin; u < c.upperEnd; ++u) candidate = candidate || plan.uppers[static_cast<std::size_t>(u)].node->HasCandidate();
    if (candidate) return EvaluateCurves(c.property, time);
    const std::uint32_t mutes = (c.property->Flags() >> 16) & 0xFu;
    const SceneEvaluator::Plan::Upper* uppers = plan.uppers.data();
    const LayerBlend* blends = plan.blends.data();
    for (int m = 0; m < c.members; ++m) {
        if ((mutes >> m) & 1u) continue;
        const FCurve* curve = c.curves[m];
        bool touched = curve && curve->KeyCount() > 0;
        double v = touched ? curve->Evaluate(time) : c.node->RestValue(m, c.value[m]);
        for (int u = c.upperBegin; u < c.upperEnd; ++u) {
            const SceneEvaluator::Plan::Upper& up = uppers[u];
            const LayerBlend& blend = blends[up.layer];
            const FCurve* layer = up.curves[m];
            if (!blend.active || !layer || layer->KeyCount() == 0) continue;
            v = BlendMember(blend.mode, blend.weight, v, layer->Evaluate(time));
            touched = true;
        }
        if (!touched) continue;
        c.value[m] = v;
        c.node->NoteWritten(m, v);
    }
    return true;
}

// The plain road of the curves, member by member, straight from the plan.
// A candidate (a value being edited) or a property whose members are not
// doubles takes the general road.
inline bool EvaluateChannel(const SceneEvaluator::Plan& plan, const SceneEvaluator::Plan::Channel& c, long long time) {
    if (!c.fast) return EvaluateCurves(c.property, time);
    if (c.upperBegin != c.upperEnd) return EvaluateLayered(plan, c, time);
    if (c.node->HasCandidate()) return EvaluateCurves(c.property, time);
    const std::uint32_t mutes = (c.property->Flags() >> 16) & 0xFu;
    for (int m = 0; m < c.members; ++m) {
        const FCurve* curve = c.curves[m];
        if (curve && !((mutes >> m) & 1u) && curve->KeyCount() > 0) c.value[m] = curve->Evaluate(time);
    }
    return true;
}

}  // namespace

void SceneEvaluator::BuildConstraintSteps(Plan& plan) {
    const int count = static_cast<int>(plan.models.size());
    plan.subtreeEnd.assign(static_cast<std::size_t>(count), 0);
    for (int i = count - 1; i >= 0; --i) {
        int& end = plan.subtreeEnd[static_cast<std::size_t>(i)];
        end = std::max(end, i + 1);
        const int parent = plan.models[static_cast<std::size_t>(i)].parent;
        if (parent >= 0) plan.subtreeEnd[static_cast<std::size_t>(parent)] = std::max(plan.subtreeEnd[static_cast<std::size_t>(parent)], end);
    }
    std::unordered_map<const Model*, int> at;
    for (int i = 0; i < count; ++i) at.emplace(plan.models[static_cast<std::size_t>(i)].model, i);
    std::vector<Constraint*> found;
    for (int i = 0, n = scene_.SrcCount(); i < n; ++i) {
        Plug* source = scene_.Src(i);
        if (source->IsA(kClassConstraint) && !source->IsA(kClassConstraintRelation) && !source->IsEnding())
            found.push_back(static_cast<Constraint*>(source));
    }
    // Which constraints drive each model, and what each one reads.
    std::unordered_map<int, std::vector<int>> drivers;
    std::vector<std::vector<int>> driven(found.size()), reads(found.size());
    std::vector<Model*> models;
    for (std::size_t c = 0; c < found.size(); ++c) {
        models.clear();
        found[c]->CollectDriven(&models);
        for (Model* m : models)
            if (auto it = at.find(m); it != at.end() &&
                std::find(driven[c].begin(), driven[c].end(), it->second) == driven[c].end()) {
                driven[c].push_back(it->second);
                drivers[it->second].push_back(static_cast<int>(c));
            }
        // Parents before children, so that each subtree follows its root.
        std::sort(driven[c].begin(), driven[c].end());
        models.clear();
        found[c]->CollectSources(&models);
        for (Model* m : models)
            if (auto it = at.find(m); it != at.end()) reads[c].push_back(it->second);
    }
    // Depth first: a constraint goes after the constraints that drive a
    // model it reads (or that model's ancestors) or an ancestor of a model
    // it drives. A cycle is broken where it closes.
    std::vector<int> state(found.size(), 0);
    plan.constraints.clear();
    auto visit = [&](auto& self, int c) -> void {
        if (state[static_cast<std::size_t>(c)]) return;
        state[static_cast<std::size_t>(c)] = 1;
        auto before = [&](int model, bool self_too) {
            for (int k = self_too ? model : plan.models[static_cast<std::size_t>(model)].parent; k >= 0;
                 k = plan.models[static_cast<std::size_t>(k)].parent)
                if (auto it = drivers.find(k); it != drivers.end())
                    for (int other : it->second)
                        if (other != c) self(self, other);
        };
        for (int m : reads[static_cast<std::size_t>(c)]) before(m, true);
        for (int m : driven[static_cast<std::size_t>(c)]) before(m, false);
        plan.constraints.push_back(Plan::ConstraintStep{found[static_cast<std::size_t>(c)], driven[static_cast<std::size_t>(c)]});
    };
    for (std::size_t c = 0; c < found.size(); ++c) visit(visit, static_cast<int>(c));
}

void SceneEvaluator::EvaluateConstraints(Plan& plan, const EvaluationContext& context) {
    for (const Plan::ConstraintStep& step : plan.constraints) {
        Constraint* constraint = step.constraint;
        if (!constraint->IsActive()) continue;
        constraint->EvaluateConstraint(context);
        // The driven models' descendants follow at once; the driven models
        // compute from their own values again at the next frame.
        // A driven model inside another's subtree keeps what the constraint
        // gave it; its own descendants follow it.
        auto driven = [&step](int j) {
            return std::find(step.driven.begin(), step.driven.end(), j) != step.driven.end();
        };
        for (int d : step.driven) {
            for (int j = d + 1, end = plan.subtreeEnd[static_cast<std::size_t>(d)]; j < end; ++j) {
                if (step.driven.size() > 1 && driven(j)) continue;
                const Plan::Entry& e = plan.models[static_cast<std::size_t>(j)];
                e.model->RefreshTransform(plan.models[static_cast<std::size_t>(e.parent)].model, context.evaluationId);
            }
        }
    }
}

void SceneEvaluator::EvaluateConstraints(long long time) {
    EvaluationContext context;
    context.time = time;
    context.evaluationId = NextEvaluationId();
    EvaluateConstraints(CurrentPlan(), context);
}

int SceneEvaluator::ScheduledConstraints() const { return plan_ ? static_cast<int>(plan_->constraints.size()) : 0; }

SceneEvaluator::Plan& SceneEvaluator::CurrentPlan() {
    if (!plan_) plan_.reset(new Plan);
    Plan& plan = *plan_;
    const bool invalid = EvaluationManager::Instance().TakeDAGInvalid();
    if (plan.built && !invalid && plan.version == StructureVersion()) return plan;
    plan.built = true;
    plan.version = StructureVersion();
    plan.models.clear();
    plan.channels.clear();
    plan.uppers.clear();
    plan.layers.clear();
    if (Take* take = CurrentTake(false))
        for (int i = 0; i < take->LayerCount(); ++i) plan.layers.push_back(take->Layer(i));
    plan.blends.assign(plan.layers.size(), LayerBlend{});
    plan.units.clear();
    plan.relations.clear();
    plan.shared = 0;
    if (Model* global = scene_.GlobalRootModel()) {
        // The global root and its direct children (the scene root, system
        // models) are shared by every hierarchy; each child of those starts
        // a unit.
        plan.models.push_back(MakeEntry(global, -1, 0));
        AddChannels(plan, global);
        plan.models.back().channelEnd = static_cast<int>(plan.channels.size());
        std::vector<std::pair<Model*, int>> tops;
        for (int i = 0, n = global->ChildCount(); i < n; ++i) {
            Model* child = global->ChildModel(i);
            if (!child) continue;
            const int at = static_cast<int>(plan.models.size());
            plan.models.push_back(MakeEntry(child, 0, static_cast<int>(plan.channels.size())));
            AddChannels(plan, child);
            plan.models.back().channelEnd = static_cast<int>(plan.channels.size());
            for (int k = 0, m = child->ChildCount(); k < m; ++k)
                if (Model* top = child->ChildModel(k)) tops.emplace_back(top, at);
        }
        plan.shared = static_cast<int>(plan.models.size());
        for (const auto& [top, parent] : tops) {
            plan.units.push_back(static_cast<int>(plan.models.size()));
            AddBranch(plan, top, parent);
        }
    }
    plan.units.push_back(static_cast<int>(plan.models.size()));
    plan.meshes.clear();
    plan.aimed = false;
    for (const Plan::Entry& e : plan.models) {
        if (e.model->IsA(kClassModelMesh)) plan.meshes.push_back(static_cast<MeshModel*>(e.model));
        if (e.model->LookAt() || e.model->UpVector()) plan.aimed = true;
    }
    BuildConstraintSteps(plan);
    plan.relationBoxes.clear();
    plan.active.clear();
    plan.roots.clear();  // gathered again from the relations found now
    for (int i = 0, n = scene_.SrcCount(); i < n; ++i) {
        Plug* source = scene_.Src(i);
        if (!source->IsA(kClassConstraintRelation)) continue;
        auto* relation = static_cast<Relation*>(source);
        plan.relations.push_back(relation);
        plan.relationBoxes.emplace_back();
        relation->CollectBoxes(&plan.relationBoxes.back());
        plan.active.push_back(!relation->IsActive());  // differs: roots are gathered at the next run
    }
    if (invalid) BumpStructureVersion();  // the box schedule rebuilds as well
    return plan;
}

namespace {

// Playback walks thousands of curves scattered over the heap: each channel
// is announced ahead of its turn, its curves' own fields first and, a few
// channels later, the segments those fields point at, so that the reads find
// them in the cache.
constexpr int kStateAhead = 8;
constexpr int kSegmentAhead = 4;

inline void PrefetchChannelState(const SceneEvaluator::Plan& plan, const SceneEvaluator::Plan::Channel& c) {
    __builtin_prefetch(c.property);
    __builtin_prefetch(c.value);
    if (!c.fast) return;
    __builtin_prefetch(c.node);
    for (int m = 0; m < c.members; ++m)
        if (c.curves[m]) c.curves[m]->PrefetchState();
    // The upper layers' curves are read right after the base layer's.
    for (int u = c.upperBegin; u < c.upperEnd; ++u) {
        const SceneEvaluator::Plan::Upper& upper = plan.uppers[static_cast<std::size_t>(u)];
        __builtin_prefetch(upper.node);
        for (const FCurve* curve : upper.curves)
            if (curve) curve->PrefetchState();
    }
}

inline void PrefetchChannelSegments(const SceneEvaluator::Plan::Channel& c) {
    if (!c.fast) return;
    for (int m = 0; m < c.members; ++m)
        if (c.curves[m]) c.curves[m]->PrefetchSegment();
}

}  // namespace

namespace {

// The animated properties of models [begin, end) at `time`; returns how
// many were evaluated.
std::uint64_t ChannelsOf(const SceneEvaluator::Plan& plan, int begin, int end, long long time,
                         AnimatedPropertyEvaluator installed) {
    if (begin >= end) return 0;
    const int first = plan.models[static_cast<std::size_t>(begin)].channelBegin;
    const int last = plan.models[static_cast<std::size_t>(end - 1)].channelEnd;
    const SceneEvaluator::Plan::Channel* channels = plan.channels.data();
    std::uint64_t count = 0;
    for (int c = first; c < last && c < first + kStateAhead; ++c) PrefetchChannelState(plan, channels[c]);
    for (int c = first; c < last && c < first + kSegmentAhead; ++c) PrefetchChannelSegments(channels[c]);
    for (int c = first; c < last; ++c) {
        if (c + kStateAhead < last) PrefetchChannelState(plan, channels[c + kStateAhead]);
        if (c + kSegmentAhead < last) PrefetchChannelSegments(channels[c + kSegmentAhead]);
        const SceneEvaluator::Plan::Channel& channel = channels[c];
        if (installed ? installed(channel.property, time) : EvaluateChannel(plan, channel, time)) ++count;
    }
    return count;
}

// The global matrices of models [begin, end), parents first: each model
// computes again only when its values, its parent or a target moved.
void TransformsOf(SceneEvaluator::Plan& plan, int begin, int end, unsigned evaluationId) {
    for (int i = begin; i < end; ++i) {
        SceneEvaluator::Plan::Entry& e = plan.models[static_cast<std::size_t>(i)];
        const Model* parent = e.parent >= 0 ? plan.models[static_cast<std::size_t>(e.parent)].model : nullptr;
        e.model->RefreshTransform(parent, evaluationId);
    }
}

}  // namespace

void SceneEvaluator::EvaluateModels(Plan& plan, long long time, bool parallel, bool channels, bool transforms,
                                    unsigned evaluationId) {
    // The shared roots first (everything hangs below them), then each
    // hierarchy as one piece, on the evaluation threads when parallel.
    AnimatedPropertyEvaluator installed = gEvaluator.load(std::memory_order_relaxed);
    std::atomic<std::uint64_t> evaluated{0};
    auto models = [&](int begin, int end) {
        if (channels) evaluated.fetch_add(ChannelsOf(plan, begin, end, time, installed), std::memory_order_relaxed);
        if (transforms) TransformsOf(plan, begin, end, evaluationId);
    };
    models(0, plan.shared);
    auto units = [&](int begin, int end) {
        models(plan.units[static_cast<std::size_t>(begin)], plan.units[static_cast<std::size_t>(end)]);
    };
    ParallelRanges(static_cast<int>(plan.units.size()) - 1, 8, parallel && !(transforms && plan.aimed), units);
    stats_.propertiesEvaluated += evaluated.load(std::memory_order_relaxed);
}

void SceneEvaluator::UpdateTransformHierarchy() {
    ++stats_.transformUpdates;
    EvaluateModels(CurrentPlan(), 0, EvaluationManager::Instance().IsParallel(), false, true,
                   GlobalDisplayContext().evaluationId);
}

int SceneEvaluator::ScheduledBoxes() const { return plan_ ? plan_->boxes.BoxCount() : 0; }
int SceneEvaluator::ScheduledGroups() const { return plan_ ? plan_->boxes.GroupCount() : 0; }

void SceneEvaluator::EvaluateAt(long long time) {
    EvaluationManager& manager = EvaluationManager::Instance();
    EvaluationContext context;
    context.time = time;
    context.evaluationId = NextEvaluationId();
    // Reads without a context during this frame (the SDK's null info) see
    // the same evaluation as the boxes.
    EvaluationContext& display = GlobalDisplayContext();
    if (display.time == time) display.evaluationId = context.evaluationId;
    const bool parallel = manager.IsParallel();
    lastParallel_ = parallel && EvaluationThreadCount() > 1;

    manager.Raise(kTimingEvaluationBegin, &context);
    // Devices take their samples and write their outputs; the live ones
    // drive their models once the models' own animation has been read.
    DeviceManager& devices = manager.Devices();
    const bool devicesDrive = devices.EvaluateDevices(context);
    manager.Raise(kTimingDevicesEvaluated, &context);
    Plan& plan = CurrentPlan();
    bool activeChanged = false;
    for (std::size_t r = 0; r < plan.relations.size(); ++r) {
        const bool on = plan.relations[r]->IsActive();
        if (on != plan.active[r]) {
            plan.active[r] = on;
            activeChanged = true;
        }
    }
    if (activeChanged) {
        plan.roots.clear();
        for (std::size_t r = 0; r < plan.relations.size(); ++r)
            if (plan.active[r])
                plan.roots.insert(plan.roots.end(), plan.relationBoxes[r].begin(), plan.relationBoxes[r].end());
    }
    // Layer weights may be animated: once per frame, before the threads.
    for (std::size_t l = 1; l < plan.layers.size(); ++l) plan.blends[l] = LayerBlendAt(plan.layers[l], time);
    plan.boxes.Update(plan.roots);
    if (plan.boxes.BoxCount() == 0 && !devicesDrive) {
        // Nothing reads a model between its curves and its matrix: each
        // hierarchy goes in one piece, its values still in the cache.
        EvaluateModels(plan, time, parallel, true, true, context.evaluationId);
    } else {
        EvaluateModels(plan, time, parallel, true, false, context.evaluationId);
        if (devicesDrive) devices.ApplyBindings();
        plan.boxes.Run(context, parallel);
        EvaluateModels(plan, time, parallel, false, true, context.evaluationId);
    }
    EvaluateConstraints(plan, context);
    manager.Raise(kTimingSceneEvaluated, &context);
    // Deformable models follow: each mesh's deformers move its points, and
    // the mesh is stamped with the frame.
    ++frameStamp_;
    for (MeshModel* mesh : plan.meshes)
        if (mesh->DeformerCount() > 0) mesh->Deform(context, frameStamp_);
    ++stats_.evaluations;
    stats_.lastEvaluatedTime = time;
    manager.Raise(kTimingDeformationDone, &context);
    manager.Raise(kTimingEvaluationEnd, &context);
}

void SceneEvaluator::RenderFrame() {
    EvaluationManager& manager = EvaluationManager::Instance();
    void* context = &GlobalDisplayContext();
    manager.Raise(kTimingSynchronisation, context);
    manager.Raise(kTimingRenderBegin, context);
    manager.Raise(kTimingRenderEnd, context);
}

void SceneEvaluator::EvaluateFrame(long long time) {
    // Files that changed on disk are heard between frames, on this thread.
    FileMonitor::Instance().Poll();
    EvaluateAt(time);
    RenderFrame();
}

}  // namespace velora
