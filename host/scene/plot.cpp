// Plotting, merging layers, deleting and offsetting animation.

#include "velora/plot.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <lymath/euler.h>
#include <lymath/matrix.h>

#include "velora/animation.h"
#include "velora/constraint.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/time.h"
#include "velora/timing.h"
#include "velora/transport.h"
#include "velora/undo.h"

namespace velora {

std::uint32_t PlotKeyFlags(int tangentMode, std::uint32_t nodeDefault) {
    switch (tangentMode) {
        case kPlotTangentSmoothClamp: return kKeyCubic | kTangentAuto | kTangentClamp;
        case kPlotTangentSpline: return kKeyCubic | kTangentAuto | kTangentTimeIndependent;
        case kPlotTangentSplineClamp: return kKeyCubic | kTangentAuto | kTangentClampProgressive;
        case kPlotTangentAuto: return nodeDefault;
        default: return kKeyCubic | kTangentAuto;
    }
}

namespace {

double Wrap180(double a) {
    a = std::fmod(a + 180.0, 360.0);
    if (a < 0) a += 360.0;
    return a - 180.0;
}

double Distance(const double* a, const double* b) {
    double d = 0;
    for (int k = 0; k < 3; ++k) {
        const double x = Wrap180(a[k] - b[k]);
        d += x * x;
    }
    return d;
}

}  // namespace

void FilterRotations(double* r, int frames, int filter) {
    if (!r || frames < 2 || filter == kRotationFilterNone) return;
    if (filter == kRotationFilterGimbalKiller) {
        for (int f = 1; f < frames; ++f) {
            double* now = r + f * 3;
            const double other[3] = {now[0] + 180.0, 180.0 - now[1], now[2] + 180.0};
            if (Distance(other, now - 3) < Distance(now, now - 3)) std::memcpy(now, other, sizeof other);
        }
    }
    // Whole turns are added so each member moves by at most half a turn.
    for (int f = 1; f < frames; ++f)
        for (int k = 0; k < 3; ++k) {
            double& v = r[f * 3 + k];
            const double previous = r[(f - 1) * 3 + k];
            v = previous + Wrap180(v - previous);
        }
}

void PlotPropertiesOf(Object* object, std::vector<Property*>* out) {
    if (!object || !out) return;
    if (Model* model = AsModel(object)) {
        out->push_back(model->TranslationProperty());
        out->push_back(model->RotationProperty());
        out->push_back(model->ScalingProperty());
        return;
    }
    for (int i = 0; i < object->PropertyCount(); ++i)
        if (CanAnimate(object->PropertyAt(i))) out->push_back(object->PropertyAt(i));
}

void AnimatedPropertiesOf(const std::vector<Object*>& objects, std::vector<Property*>* out) {
    if (!out) return;
    for (Object* object : objects)
        if (object)
            for (int i = 0; i < object->PropertyCount(); ++i)
                if (object->PropertyAt(i)->HasFlag(kPropertyAnimated)) out->push_back(object->PropertyAt(i));
}

namespace {

double det3(const double* m) {
    auto M = [m](int row, int col) { return m[lymath::At(row, col)]; };
    return M(0, 0) * (M(1, 1) * M(2, 2) - M(1, 2) * M(2, 1)) - M(0, 1) * (M(1, 0) * M(2, 2) - M(1, 2) * M(2, 0)) +
           M(0, 2) * (M(1, 0) * M(2, 1) - M(1, 1) * M(2, 0));
}

// Which part of its model's transform a property is: 0 translation, 1
// rotation, 2 scaling; -1 for any other property.
int TransformPart(const Property* p, Model** model) {
    *model = p && p->OwnerObject() ? AsModel(p->OwnerObject()) : nullptr;
    if (!*model) return -1;
    if ((*model)->TranslationProperty() == p) return 0;
    if ((*model)->RotationProperty() == p) return 1;
    if ((*model)->ScalingProperty() == p) return 2;
    return -1;
}

// A model's local transform as the scene evaluated it, as translation,
// rotation (degrees, X then Y then Z) and scaling. A constraint moves a
// model's global matrix and leaves its local properties alone, so the
// local transform comes from the global matrices of the model and its
// parent; where those agree with the properties (nothing constrains the
// model) the properties' own values are kept, exactly.
void EvaluatedLocal(const Model* model, double trs[9]) {
    const double* t = static_cast<const double*>(model->TranslationProperty()->ValuePtr());
    const double* r = static_cast<const double*>(model->RotationProperty()->ValuePtr());
    const double* s = static_cast<const double*>(model->ScalingProperty()->ValuePtr());
    for (int k = 0; k < 3; ++k) {
        trs[k] = t[k];
        trs[3 + k] = r[k];
        trs[6 + k] = s[k];
    }
    const double* g = model->GlobalMatrix();
    double local[16];
    if (const Model* parent = model->Parent()) {
        // The inverse of the parent's affine matrix: the inverse of its 3 x 3
        // part by cofactors, and the translation taken back through it.
        const double* p = parent->GlobalMatrix();
        auto P = [p](int row, int col) { return p[lymath::At(row, col)]; };
        double inv[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        const double c00 = P(1, 1) * P(2, 2) - P(1, 2) * P(2, 1);
        const double c01 = P(1, 2) * P(2, 0) - P(1, 0) * P(2, 2);
        const double c02 = P(1, 0) * P(2, 1) - P(1, 1) * P(2, 0);
        const double det = P(0, 0) * c00 + P(0, 1) * c01 + P(0, 2) * c02;
        if (std::fabs(det) < 1e-300) return;
        const double d = 1.0 / det;
        inv[lymath::At(0, 0)] = c00 * d;
        inv[lymath::At(1, 0)] = c01 * d;
        inv[lymath::At(2, 0)] = c02 * d;
        inv[lymath::At(0, 1)] = (P(0, 2) * P(2, 1) - P(0, 1) * P(2, 2)) * d;
        inv[lymath::At(1, 1)] = (P(0, 0) * P(2, 2) - P(0, 2) * P(2, 0)) * d;
        inv[lymath::At(2, 1)] = (P(0, 1) * P(2, 0) - P(0, 0) * P(2, 1)) * d;
        inv[lymath::At(0, 2)] = (P(0, 1) * P(1, 2) - P(0, 2) * P(1, 1)) * d;
        inv[lymath::At(1, 2)] = (P(0, 2) * P(1, 0) - P(0, 0) * P(1, 2)) * d;
        inv[lymath::At(2, 2)] = (P(0, 0) * P(1, 1) - P(0, 1) * P(1, 0)) * d;
        for (int row = 0; row < 3; ++row)
            inv[lymath::At(row, 3)] = -(inv[lymath::At(row, 0)] * P(0, 3) + inv[lymath::At(row, 1)] * P(1, 3) +
                                        inv[lymath::At(row, 2)] * P(2, 3));
        lymath::MultiplyAffine(local, inv, g);
    } else {
        std::copy(g, g + 16, local);
    }
    double fromProperties[16];
    lymath::ComposeTRS(fromProperties, t, r, s);
    double scale = 1.0, diff = 0.0;
    for (int k = 0; k < 16; ++k) {
        scale = std::max(scale, std::fabs(local[k]));
        diff = std::max(diff, std::fabs(local[k] - fromProperties[k]));
    }
    if (diff <= 1e-9 * scale) return;
    // Scaling: the axes' lengths (one of them negative for a mirror);
    // rotation: the axes made unit.
    double axes[16];
    std::copy(local, local + 16, axes);
    const double mirror = det3(local) < 0 ? -1.0 : 1.0;
    for (int col = 0; col < 3; ++col) {
        double len = 0;
        for (int row = 0; row < 3; ++row) len += local[lymath::At(row, col)] * local[lymath::At(row, col)];
        len = std::sqrt(len) * (col == 0 ? mirror : 1.0);
        trs[6 + col] = len;
        for (int row = 0; row < 3; ++row) axes[lymath::At(row, col)] = len != 0 ? local[lymath::At(row, col)] / len : 0;
        trs[col] = local[lymath::At(col, 3)];
    }
    double rotation[3];
    lymath::AxesToEuler(rotation, axes, lymath::EulerAxesOf(0), 1e-12);
    // The same rotation nearest the properties' angles.
    for (int k = 0; k < 3; ++k) {
        const double near = r[k] + std::remainder(rotation[k] - r[k], 360.0);
        trs[3 + k] = near;
    }
}

// The plot times over [start, stop].
std::vector<long long> PlotTimes(long long start, long long stop, const PlotOptions& options) {
    std::vector<long long> times;
    const long long period = options.period > 0 ? options.period : kTicksPerSecond / 30;
    if (stop < start) return times;
    const int mode = TimeSettings::DefaultMode();
    times.reserve(static_cast<std::size_t>((stop - start) / period + 2));
    for (long long t = start;; t += period) {
        long long at = t > stop ? stop : t;
        if (options.onFrames) at = FrameToTime(TimeToFrame(at + FrameToTime(1, mode) / 2, mode), mode);
        if (times.empty() || at > times.back()) times.push_back(at);
        if (t >= stop) break;
    }
    return times;
}

// Replaces the keys of [times.front(), times.back()] of `curve` with one
// key per time from `values` (stride `stride`); returns how many keys it
// wrote.
long long WriteKeys(FCurve* curve, const std::vector<long long>& times, const double* values, std::size_t stride,
               std::uint32_t flags, const PlotOptions& options, std::vector<FCurveKey>* buffer) {
    const long long start = times.front(), stop = times.back();
    std::vector<FCurveKey>& keys = *buffer;
    const int count = curve->KeyCount();
    // Exactly what the new keys need: the buffer (the curve's previous
    // keys after the swap below) is reused without a new allocation when
    // the same span is plotted again.
    int kept = 0;
    for (int k = 0; k < count; ++k) kept += curve->KeyAt(k).time < start || curve->KeyAt(k).time > stop;
    keys.clear();
    keys.reserve(static_cast<std::size_t>(kept) + times.size());
    int i = 0;
    for (; i < count && curve->KeyAt(i).time < start; ++i) keys.push_back(curve->KeyAt(i));
    FCurveKey key;
    key.flags = flags;
    const std::size_t n = times.size();
    bool flat = true;
    for (std::size_t f = 0; f < n; ++f) flat = flat && static_cast<float>(values[f * stride]) == static_cast<float>(values[0]);
    const std::size_t first = keys.size();
    for (std::size_t f = 0; f < n; ++f) {
        const float value = static_cast<float>(values[f * static_cast<std::size_t>(stride)]);
        if (options.reduceKeys && f > 0 && f + 1 < n &&
            value == static_cast<float>(values[(f - 1) * stride]) &&
            value == static_cast<float>(values[(f + 1) * stride]))
            continue;
        if (options.keepOneKey && flat && keys.size() > first) break;
        key.time = times[f];
        key.value = value;
        keys.push_back(key);
    }
    const long long written = static_cast<long long>(keys.size() - first);
    while (i < count && curve->KeyAt(i).time <= stop) ++i;
    for (; i < count; ++i) keys.push_back(curve->KeyAt(i));
    return curve->SwapKeys(&keys) ? written : 0;
}

bool PlotOne(Take* take, const std::vector<Property*>& properties, const PlotOptions& options,
             const ProgressFn& progress, long long* written) {
    Scene& scene = Scene::Main();
    Transport& transport = Transport::Instance();
    const long long start = options.useLoopRange ? transport.LoopStart() : take->LocalStart();
    const long long stop = options.useLoopRange ? transport.LoopStop() : take->LocalStop();
    const std::vector<long long> times = PlotTimes(start, stop, options);
    if (times.empty()) return false;
    const std::size_t n = times.size();
    // The models a constraint moves: their local transforms come from their
    // matrices; every other property is read as evaluated.
    std::vector<const Model*> constrained;
    for (int i = 0, count = scene.SrcCount(); i < count; ++i) {
        const Constraint* constraint = AsConstraint(AsObject(scene.Src(i)));
        if (!constraint || constraint->IsA(kClassConstraintRelation)) continue;
        for (int g = 0; g < constraint->ReferenceGroupCount(); ++g)
            for (int r = 0; r < constraint->ReferenceCount(g); ++r)
                if (const Model* model = AsModel(constraint->Reference(g, r))) constrained.push_back(model);
    }
    std::sort(constrained.begin(), constrained.end());
    struct Target {
        Property* property;
        int members;
        const Model* model;  // when its transform comes from its matrices
        int part;            // of the model's transform, or -1
        std::size_t offset;  // of its first member in a row of samples
    };
    std::vector<Target> targets;
    targets.reserve(properties.size());
    std::size_t row = 0;
    for (Property* p : properties) {
        if (!CanAnimate(p) || !AnimatedPerTake(p)) continue;
        Model* model = nullptr;
        Target t{p, std::min(p->MemberCount(), 4), nullptr, TransformPart(p, &model), row};
        if (t.part >= 0 && t.members == 3 && std::binary_search(constrained.begin(), constrained.end(), model))
            t.model = model;
        row += static_cast<std::size_t>(t.members);
        targets.push_back(t);
    }
    if (targets.empty()) return false;
    // One row of samples per frame, every target's members side by side, so
    // that a frame's reads land in one place.
    std::vector<double> samples(n * row);
    SceneEvaluator& evaluator = scene.Evaluator();
    for (std::size_t f = 0; f < n; ++f) {
        SetCurrentTime(times[f]);
        evaluator.EvaluateAt(times[f]);
        const Model* decomposed = nullptr;
        double trs[9];
        double* line = samples.data() + f * row;
        for (const Target& t : targets) {
            double* out = line + t.offset;
            if (t.model) {
                if (decomposed != t.model) {
                    EvaluatedLocal(t.model, trs);
                    decomposed = t.model;
                }
                std::memcpy(out, trs + 3 * t.part, sizeof(double) * 3);
            } else if (t.property->Type()->IsDoubles()) {
                std::memcpy(out, t.property->ValuePtr(), sizeof(double) * static_cast<std::size_t>(t.members));
            } else {
                alignas(8) unsigned char raw[64];
                if (t.property->GetRaw(raw)) ValueToDoubles(t.property->Type(), raw, out);
            }
        }
        if (progress && (f % 16 == 15 || f + 1 == n)) progress(static_cast<long long>(f + 1), static_cast<long long>(n));
    }
    AnimationLayer* layer = options.toCurrentLayer ? take->CurrentLayer() : take->BaseLayer();
    std::vector<FCurveKey> buffer;
    std::vector<double> rotations;
    for (const Target& t : targets) {
        const double* values = samples.data() + t.offset;
        std::size_t stride = row;
        if (t.part == 1 && t.members == 3 && options.rotationFilter != kRotationFilterNone) {
            rotations.resize(n * 3);
            for (std::size_t f = 0; f < n; ++f) std::memcpy(&rotations[f * 3], values + f * row, sizeof(double) * 3);
            FilterRotations(rotations.data(), static_cast<int>(n), options.rotationFilter);
            values = rotations.data();
            stride = 3;
        }
        AnimationNode* node = EnsureLayerNode(t.property, layer);
        if (!node) continue;
        const std::uint32_t locks = options.honourLocks ? PropertyLockMask(t.property) : 0u;
        const std::uint32_t flags = PlotKeyFlags(options.tangentMode, node->NodeSettings().defaultKeyFlags);
        for (int m = 0; m < t.members; ++m)
            if (!((locks >> m) & 1u))
                if (FCurve* curve = node->Curve(m)) *written += WriteKeys(curve, times, values + m, stride, flags, options, &buffer);
        if (options.clearLayers) {
            std::vector<LayerNodeRef> nodes;
            TakeNodesOf(t.property, take, &nodes);
            for (const LayerNodeRef& ref : nodes)
                if (ref.layer != layer && ref.index != 0) ref.node->Destroy();
        }
    }
    return true;
}

}  // namespace

bool PlotProperties(Take* take, const std::vector<Property*>& properties, const PlotOptions& options,
                    const ProgressFn& progress, long long* keysWritten) {
    long long written = 0;
    Scene& scene = Scene::Main();
    Take* before = CurrentTake(false);
    if (!take) take = CurrentTake(true);
    std::vector<Take*> takes;
    if (options.allTakes) {
        for (int i = 0; i < scene.ObjectCount(kSceneTakes); ++i)
            if (Object* t = scene.ObjectAt(kSceneTakes, i); t->ClassId() == kClassTake)
                takes.push_back(static_cast<Take*>(t));
    } else {
        takes.push_back(take);
    }
    Transport& transport = Transport::Instance();
    transport.Stop();
    const long long now = TimingManager::Instance().LocalTime();
    transport.SetPlotting(true);
    bool plotted = false;
    for (Take* t : takes) {
        scene.SetCurrentTake(t);
        plotted = PlotOne(t, properties, options, progress, &written) || plotted;
    }
    transport.SetPlotting(false);
    if (before) scene.SetCurrentTake(before);
    SetCurrentTime(now);
    transport.EvaluateNow();
    if (keysWritten) *keysWritten = written;
    return plotted;
}

// ---------------------------------------------------------------------------
// Merging

namespace {

bool SelectedProperty(const Property* p) {
    const KeyingSelection& focus = KeyingSelection::Instance();
    if (focus.IsFocused(p)) return true;
    for (int m = 0; m < p->MemberCount() && m < 4; ++m)
        if (focus.IsMemberFocused(p, m)) return true;
    return false;
}

}  // namespace

bool MergeLayers(Take* take, int scope, bool deleteMerged, int mode, bool mergeLocked) {
    if (!take || scope < kMergeSelectedLayersSelectedProperties || scope > kMergeAllLayersCompleteScene) return false;
    const bool allLayers = scope % 2 == 0;
    std::vector<char> include(static_cast<std::size_t>(take->LayerCount()), 0);
    int count = 0;
    int destination = -1;
    for (int i = 0; i < take->LayerCount(); ++i) {
        AnimationLayer* layer = take->Layer(i);
        if ((allLayers || layer->IsSelected()) && (mergeLocked || !layer->IsLocked())) {
            include[static_cast<std::size_t>(i)] = 1;
            ++count;
            if (destination < 0) destination = i;
        }
    }
    if (count < 2) return false;
    AnimationLayer* into = take->Layer(destination);
    // The properties: every one animated on a merged layer, narrowed to the
    // selected ones or those of selected objects.
    std::vector<Property*> properties;
    for (int i = 0; i < take->LayerCount(); ++i) {
        if (!include[static_cast<std::size_t>(i)]) continue;
        std::vector<AnimationNode*> nodes;
        take->Layer(i)->CollectNodes(&nodes);
        for (AnimationNode* node : nodes) {
            Property* p = node->ConnectedProperty();
            if (!p || std::find(properties.begin(), properties.end(), p) != properties.end()) continue;
            const bool wanted = scope <= kMergeAllLayersSelectedProperties ? SelectedProperty(p)
                                : scope <= kMergeAllLayersAllProperties ? p->OwnerObject() && p->OwnerObject()->IsSelected()
                                                                       : true;
            if (wanted) properties.push_back(p);
        }
    }
    const int outMode = destination == 0 ? kLayerModeOverride
                        : mode == kMergeModeOverride ? kLayerModeOverride
                                                     : kLayerModeAdditive;
    std::vector<FCurveKey> buffer;
    std::vector<LayerNodeRef> nodes;
    for (Property* p : properties) {
        TakeNodesOf(p, take, &nodes);
        std::vector<long long> times;
        for (const LayerNodeRef& ref : nodes) {
            if (!include[static_cast<std::size_t>(ref.index)]) continue;
            for (int m = 0; m < ref.node->Channels(); ++m)
                if (FCurve* c = ref.node->Curve(m))
                    for (int k = 0; k < c->KeyCount(); ++k) times.push_back(c->KeyAt(k).time);
        }
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        if (times.empty()) continue;
        const int members = std::min(p->MemberCount(), 4);
        double stored[4] = {0, 0, 0, 0};
        alignas(8) unsigned char raw[64];
        if (outMode == kLayerModeOverride && p->GetRaw(raw)) ValueToDoubles(p->Type(), raw, stored);
        // Into an upper layer the merged layers' sum is kept (additive), or
        // the whole result from the base up (override).
        std::vector<char> blendSet = include;
        if (destination > 0 && outMode == kLayerModeOverride)
            for (int i = 0; i < destination; ++i) blendSet[static_cast<std::size_t>(i)] = 1;
        std::vector<double> values(times.size() * static_cast<std::size_t>(members));
        for (std::size_t f = 0; f < times.size(); ++f) {
            double out[4];
            BlendTakeLayers(p, take, times[f], stored, out, 0, false, false, &blendSet);
            for (int m = 0; m < members; ++m) values[f * static_cast<std::size_t>(members) + static_cast<std::size_t>(m)] = out[m];
        }
        AnimationNode* node = EnsureLayerNode(p, into);
        if (!node) continue;
        PlotOptions keys;
        for (int m = 0; m < members; ++m)
            if (FCurve* c = node->Curve(m)) {
                c->KeyClear();
                WriteKeys(c, times, values.data() + m, members, node->NodeSettings().defaultKeyFlags, keys, &buffer);
            }
        TakeNodesOf(p, take, &nodes);
        for (const LayerNodeRef& ref : nodes)
            if (ref.index != destination && include[static_cast<std::size_t>(ref.index)]) ref.node->Destroy();
    }
    if (destination > 0) {
        into->SetMode(outMode);
        const double full = 100.0;
        if (!into->WeightProperty()->HasFlag(kPropertyAnimated)) into->WeightProperty()->SetRaw(&full);
    }
    if (deleteMerged)
        for (int i = take->LayerCount() - 1; i > destination; --i)
            if (include[static_cast<std::size_t>(i)] && take->Layer(i)->NodeCount() == 0) take->RemoveLayer(i);
    BumpStructureVersion();
    return true;
}

// ---------------------------------------------------------------------------
// Deleting and offsetting

bool EditTakeAnimation(Take* take, const std::vector<Property*>& properties, long long start, long long stop,
                       bool inclusive, int layer, bool includeLocked, std::uint32_t memberMask, bool move,
                       long long offset) {
    if (!take) return false;
    UndoStack& undo = UndoStack::Instance();
    undo.Begin(move ? "KeyOffset" : "KeyDelete");
    bool changed = false;
    std::vector<LayerNodeRef> nodes;
    for (Property* p : properties) {
        TakeNodesOf(p, take, &nodes);
        const std::uint32_t locks = includeLocked ? 0u : PropertyLockMask(p);
        for (const LayerNodeRef& ref : nodes) {
            if (layer >= 0 && ref.index != layer) continue;
            if (!includeLocked && ref.layer->IsLocked()) continue;
            undo.AddAnimationNode(ref.node);
            for (int m = 0; m < ref.node->Channels(); ++m) {
                FCurve* curve = ref.node->Curve(m);
                if (!curve || !((memberMask >> m) & 1u) || ((locks >> m) & 1u)) continue;
                changed = (move ? curve->KeyOffset(offset, start, stop, inclusive)
                                : curve->KeyDelete(start, stop, inclusive)) || changed;
            }
        }
    }
    undo.End(changed);
    return changed;
}

}  // namespace velora
