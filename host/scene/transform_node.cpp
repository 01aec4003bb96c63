// The transform node of models: its values, the kept global matrix and
// what brings it up to date, the matrix and vector queries, and the
// attribute setter.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "scene/transform_math.h"
#include "velora/animation.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/string_list.h"
#include "velora/undo.h"

namespace velora {

namespace {

// Indices of the transform values (see velora/model.h).
enum Value : int {
    kVisibility = 0,
    kVisibilityInheritance,
    kTranslation,
    kRotation,
    kScaling,
    kGeometricTranslation,
    kGeometricRotation,
    kGeometricScaling,
    kShow,
    kPickable,
    kTransformable,
    kCastsShadows,
    kReceiveShadows,
    kPrimaryVisibility,
    kInheritScaling,
    kTranslationActive,
    kRotationActive,
    kTranslationMin,
    kTranslationMax,
    kRotationMin,
    kRotationMax,
    kTranslationMinX,  // .. kTranslationMaxZ = 26
    kShowLimits = 27,
    kPreRotation,
    kPostRotation,
    kRotationMinX,  // .. kRotationMaxZ = 35
    kRotationOrder = 36,
};

// The values that shape the matrix besides translation, rotation and
// scaling: their writes are taken by the node.
bool IsShapeValue(int i) {
    return (i >= kGeometricTranslation && i <= kGeometricScaling) || (i >= kInheritScaling && i != kShowLimits);
}

struct ValueSpec {
    const char* name;
    int type;
    bool animatable;
    double initial;  // bools and every member of a vector
};

constexpr ValueSpec kValues[Model::kTransformValueCount] = {
    {"Visibility", kDataBool, true, 1},
    {"Visibility Inheritance", kDataBool, false, 1},
    {"Lcl Translation", kDataVector, true, 0},
    {"Lcl Rotation", kDataVector, true, 0},
    {"Lcl Scaling", kDataVector, true, 1},
    {"GeometricTranslation", kDataVector, false, 0},
    {"GeometricRotation", kDataVector, false, 0},
    {"GeometricScaling", kDataVector, false, 1},
    {"Show", kDataBool, false, 1},
    {"Pickable", kDataBool, false, 1},
    {"Transformable", kDataBool, false, 1},
    {"Casts Shadows", kDataBool, false, 1},
    {"Receive Shadows", kDataBool, false, 1},
    {"Primary Visibility", kDataBool, false, 1},
    {"Inherit Scaling", kDataBool, false, 1},
    {"TranslationActive", kDataBool, false, 0},
    {"RotationActive", kDataBool, false, 0},
    {"TranslationMin", kDataVector, false, 0},
    {"TranslationMax", kDataVector, false, 0},
    {"RotationMin", kDataVector, false, 0},
    {"RotationMax", kDataVector, false, 0},
    {"TranslationMinX", kDataBool, false, 0},
    {"TranslationMinY", kDataBool, false, 0},
    {"TranslationMinZ", kDataBool, false, 0},
    {"TranslationMaxX", kDataBool, false, 0},
    {"TranslationMaxY", kDataBool, false, 0},
    {"TranslationMaxZ", kDataBool, false, 0},
    {"Show Limits", kDataBool, false, 0},
    {"PreRotation", kDataVector, false, 0},
    {"PostRotation", kDataVector, false, 0},
    {"RotationMinX", kDataBool, false, 0},
    {"RotationMinY", kDataBool, false, 0},
    {"RotationMinZ", kDataBool, false, 0},
    {"RotationMaxX", kDataBool, false, 0},
    {"RotationMaxY", kDataBool, false, 0},
    {"RotationMaxZ", kDataBool, false, 0},
    {"RotationOrder", kDataEnum, false, 0},
};

constexpr const char* kOrderTexts[] = {"XYZ", "XZY", "YZX", "YXZ", "ZXY", "ZYX", "Spheric XYZ"};

// Stamps of recomputed matrices are unique in the process, so a matrix
// never takes a stale one for current because another model took its
// place: each thread draws them from blocks of its own.
std::atomic<std::uint64_t> gStampBlocks{0};
constexpr std::uint64_t kStampBlock = 1u << 16;

std::uint64_t NextStamp() {
    thread_local std::uint64_t next = 0, end = 0;
    if (next == end) {
        next = gStampBlocks.fetch_add(1, std::memory_order_relaxed) * kStampBlock + 1;
        end = next + kStampBlock - 1;
    }
    return next++;
}

bool ReadBool(const Property* p) {
    bool on = false;
    return p && p->GetRaw(&on) && on;
}

void ReadVector(const Property* p, double* out) {
    if (!p || !p->GetRaw(out)) out[0] = out[1] = out[2] = 0.0;
}

bool IsZero(const double* v) { return v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0; }

// r = a . b over the 3 x 3 parts (r may not be a or b).
void Multiply3(double* r, const double* a, const double* b) {
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 3; ++i)
            r[4 * c + i] = a[i] * b[4 * c] + a[4 + i] * b[4 * c + 1] + a[8 + i] * b[4 * c + 2];
}

void Transpose3(double* m) {
    std::swap(m[1], m[4]);
    std::swap(m[2], m[8]);
    std::swap(m[6], m[9]);
}

}  // namespace

// What shapes the matrix besides the three animated values, read from the
// values when one of them was written (or the graph changed, for targets).
struct Model::Shape {
    // What every refresh reads first.
    std::uint32_t version = 0;
    std::uint64_t structure = 0;
    const Model* targets[2] = {nullptr, nullptr};  // look-at, up-vector
    int order = 0;
    bool plain = true;  // no limits, no pre- or post-rotation
    bool inheritScaling = true;
    bool hasPre = false, hasPost = false;
    double pre[16];
    double postInverse[16];
    bool translationActive = false, rotationActive = false;
    bool translationBound[6] = {};  // min x y z, max x y z
    bool rotationBound[6] = {};
    double translationMin[3], translationMax[3], rotationMin[3], rotationMax[3];
    bool geometricIdentity = true;
    double geometric[16];
};

namespace {

void Limit(double* out, const double* v, bool active, const bool* bound, const double* min, const double* max) {
    for (int k = 0; k < 3; ++k) {
        double x = v[k];
        if (active && bound[k] && x < min[k]) x = min[k];
        if (active && bound[3 + k] && x > max[k]) x = max[k];
        out[k] = x;
    }
}

}  // namespace

// The steps of the matrices, as free functions over a shape so that the
// kept path and the computed-now paths share them.
struct TransformAccess {
    using Shape = Model::Shape;

    static void ReadShape(const Model& model, Shape& shape) {
        const Property* const* v = model.values_;
        shape.order = model.RotationOrder();
        shape.inheritScaling = ReadBool(v[kInheritScaling]);
        double pre[3], post[3];
        ReadVector(v[kPreRotation], pre);
        ReadVector(v[kPostRotation], post);
        shape.hasPre = !IsZero(pre);
        shape.hasPost = !IsZero(post);
        if (shape.hasPre) tm::Rotation(shape.pre, pre, 0);
        if (shape.hasPost) {
            tm::Rotation(shape.postInverse, post, 0);
            Transpose3(shape.postInverse);
        }
        shape.translationActive = ReadBool(v[kTranslationActive]);
        shape.rotationActive = ReadBool(v[kRotationActive]);
        bool anyBound = false;
        for (int k = 0; k < 6; ++k) {
            shape.translationBound[k] = ReadBool(v[kTranslationMinX + k]);
            shape.rotationBound[k] = ReadBool(v[kRotationMinX + k]);
            anyBound = anyBound || (shape.translationActive && shape.translationBound[k]) ||
                       (shape.rotationActive && shape.rotationBound[k]);
        }
        ReadVector(v[kTranslationMin], shape.translationMin);
        ReadVector(v[kTranslationMax], shape.translationMax);
        ReadVector(v[kRotationMin], shape.rotationMin);
        ReadVector(v[kRotationMax], shape.rotationMax);
        shape.plain = !anyBound && !shape.hasPre && !shape.hasPost;
        double gt[3], gr[3], gs[3];
        ReadVector(v[kGeometricTranslation], gt);
        ReadVector(v[kGeometricRotation], gr);
        if (!v[kGeometricScaling] || !v[kGeometricScaling]->GetRaw(gs)) gs[0] = gs[1] = gs[2] = 1.0;
        shape.geometricIdentity = IsZero(gt) && IsZero(gr) && gs[0] == 1.0 && gs[1] == 1.0 && gs[2] == 1.0;
        lymath::EulerToAxes(shape.geometric, gr, lymath::EulerAxesOf(0), gs);
        lymath::SetTranslation(shape.geometric, gt[0], gt[1], gt[2]);
        shape.targets[0] = model.Target(model.lookAt_);
        shape.targets[1] = model.Target(model.upVector_);
        shape.structure = StructureVersion();
    }

    // The translation and rotation as applied: held to their limits.
    static void Effective(const Shape& shape, const double* t, const double* r, double* tOut, double* rOut) {
        Limit(tOut, t, shape.translationActive, shape.translationBound, shape.translationMin, shape.translationMax);
        Limit(rOut, r, shape.rotationActive, shape.rotationBound, shape.rotationMin, shape.rotationMax);
    }

    // R = Pre . R . Post^-1, and back: the rotation degrees of freedom
    // between the fixed pre- and post-rotation (3 x 3 parts only).
    static void AddPrePost(const Shape& shape, double* R) {
        double T[16];
        if (shape.hasPre) {
            Multiply3(T, shape.pre, R);
            std::memcpy(R, T, sizeof T);
        }
        if (shape.hasPost) {
            Multiply3(T, R, shape.postInverse);
            std::memcpy(R, T, sizeof T);
        }
    }
    static void RemovePrePost(const Shape& shape, double* R) {
        double T[16], M[16];
        if (shape.hasPre) {
            tm::Copy(M, shape.pre);
            Transpose3(M);
            Multiply3(T, M, R);
            std::memcpy(R, T, sizeof T);
        }
        if (shape.hasPost) {
            tm::Copy(M, shape.postInverse);
            Transpose3(M);
            Multiply3(T, R, M);
            std::memcpy(R, T, sizeof T);
        }
    }

    static void Local(double* L, const double* t, const double* r, const double* s, const Shape& shape) {
        if (shape.plain) {
            lymath::EulerToAxes(L, r, tm::AxesOf(shape.order), s);
            lymath::SetTranslation(L, t[0], t[1], t[2]);
            return;
        }
        double tt[3], rr[3];
        Effective(shape, t, r, tt, rr);
        double R[16];
        lymath::EulerToAxes(R, rr, tm::AxesOf(shape.order), tm::kOnes);
        AddPrePost(shape, R);
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 3; ++i) L[4 * c + i] = R[4 * c + i] * s[c];
        lymath::SetTranslation(L, tt[0], tt[1], tt[2]);
    }

    // G = P . L, or P . Sp^-1 . L when the parent's own scaling is left out.
    static void Global(double* G, const double* parent, const double* parentScaling, const double* L) {
        if (!parent) {
            tm::Copy(G, L);
            return;
        }
        if (!parentScaling) {
            lymath::Multiply(G, parent, L);
            return;
        }
        double P[16];
        tm::Copy(P, parent);
        for (int c = 0; c < 3; ++c) {
            const double s = parentScaling[c] != 0.0 ? 1.0 / parentScaling[c] : 1.0;
            for (int i = 0; i < 3; ++i) P[4 * c + i] *= s;
        }
        lymath::Multiply(G, P, L);
    }

    // Turns the axes of G towards the targets' world positions (null: none).
    static void Aim(double* G, const double* lookAt, const double* up) {
        if (!lookAt && !up) return;
        const double p[3] = {G[12], G[13], G[14]};
        double scale[3];
        tm::Scaling(scale, G);
        double X[3] = {G[0], G[1], G[2]}, Y[3], Z[3];
        if (!tm::Normalize(X)) X[0] = 1.0, X[1] = X[2] = 0.0;
        if (lookAt) {
            double aim[3] = {lookAt[0] - p[0], lookAt[1] - p[1], lookAt[2] - p[2]};
            if (!tm::Normalize(aim)) return;  // the target sits on the model
            std::memcpy(X, aim, sizeof X);
            double u[3] = {0.0, 1.0, 0.0};
            if (up) {
                double towards[3] = {up[0] - p[0], up[1] - p[1], up[2] - p[2]};
                if (tm::Normalize(towards)) std::memcpy(u, towards, sizeof u);
            }
            tm::Cross(Z, X, u);
            if (!tm::Normalize(Z)) {
                // Up along the aim: any perpendicular will do, chosen steadily.
                const double other[3] = {std::fabs(X[2]) < 0.9 ? 0.0 : 1.0, 0.0, std::fabs(X[2]) < 0.9 ? 1.0 : 0.0};
                tm::Cross(Z, X, other);
                tm::Normalize(Z);
            }
            tm::Cross(Y, Z, X);
        } else {
            double towards[3] = {up[0] - p[0], up[1] - p[1], up[2] - p[2]};
            if (!tm::Normalize(towards)) return;
            std::memcpy(Y, towards, sizeof Y);
            tm::Cross(Z, X, Y);
            if (!tm::Normalize(Z)) return;  // X already points at the up target
            tm::Cross(X, Y, Z);
        }
        const double* axes[3] = {X, Y, Z};
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 3; ++i) G[4 * c + i] = axes[c][i] * scale[c];
    }

    // The values of `model` in `context`: stored (null) or evaluated.
    static void ValuesAt(const Model& model, const EvaluationContext* context, double* t, double* r, double* s) {
        if (!context) {
            std::memcpy(t, model.t_, 3 * sizeof(double));
            std::memcpy(r, model.r_, 3 * sizeof(double));
            std::memcpy(s, model.s_, 3 * sizeof(double));
            return;
        }
        if (EvaluateProperty(model.translation_, t, context) < 0) std::memcpy(t, model.t_, 3 * sizeof(double));
        if (EvaluateProperty(model.rotation_, r, context) < 0) std::memcpy(r, model.r_, 3 * sizeof(double));
        if (EvaluateProperty(model.scaling_, s, context) < 0) std::memcpy(s, model.s_, 3 * sizeof(double));
    }

    // The global matrix computed now from the values in `context` (null:
    // stored), touching no kept matrix. `depth` bounds the walk through
    // targets, so even a cycle of targets ends.
    static void ComputeNow(const Model& model, double* out, const EvaluationContext* context, int depth) {
        std::vector<const Model*> chain;
        for (const Model* m = &model; m; m = m->parent_) chain.push_back(m);
        double G[16];
        double parentScaling[3] = {1.0, 1.0, 1.0};
        bool first = true;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const Model& m = **it;
            Shape shape;
            ReadShape(m, shape);
            double t[3], r[3], s[3], L[16];
            ValuesAt(m, context, t, r, s);
            Local(L, t, r, s, shape);
            Global(G, first ? nullptr : G, shape.inheritScaling ? nullptr : parentScaling, L);
            first = false;
            double positions[2][3];
            const double* aim[2] = {nullptr, nullptr};
            for (int k = 0; k < 2; ++k) {
                if (!shape.targets[k] || depth >= 16) continue;
                double T[16];
                ComputeNow(*shape.targets[k], T, context, depth + 1);
                std::memcpy(positions[k], T + 12, sizeof positions[k]);
                aim[k] = positions[k];
            }
            Aim(G, aim[0], aim[1]);
            std::memcpy(parentScaling, s, sizeof parentScaling);
        }
        tm::Copy(out, G);
    }
};

struct Model::Branch {
    std::uint64_t structure[2] = {~std::uint64_t(0), ~std::uint64_t(0)};
    std::vector<const Model*> models[2];  // depth first, breadth first
};

Model::~Model() {
    delete shape_;
    delete branch_;
}

// ---------------------------------------------------------------------------
// Values

void Model::MakeTransformValues() {
    for (int i = 0; i < kTransformValueCount; ++i) {
        const ValueSpec& spec = kValues[i];
        Property* p = CreateProperty(spec.name, spec.type, spec.animatable ? static_cast<std::uint32_t>(kCreateAnimatable) : 0u);
        values_[i] = p;
        if (spec.type == kDataBool) {
            const bool on = spec.initial != 0.0;
            p->SetRaw(&on);
        } else if (spec.type == kDataVector) {
            const double v[3] = {spec.initial, spec.initial, spec.initial};
            p->SetRaw(v);
        } else if (spec.type == kDataEnum) {
            StringList* texts = p->Definition().EnumList(true);
            for (const char* text : kOrderTexts) texts->Add(text, 0);
        }
        if (IsShapeValue(i)) p->Definition().SetExternalHandlers(this, nullptr, &Model::TakeShape);
    }
    translation_ = values_[kTranslation];
    rotation_ = values_[kRotation];
    scaling_ = values_[kScaling];
    t_ = static_cast<const double*>(translation_->ValuePtr());
    r_ = static_cast<const double*>(rotation_->ValuePtr());
    s_ = static_cast<const double*>(scaling_->ValuePtr());
    lookAt_ = CreateProperty("LookAt", kDataObject, 0);
    upVector_ = CreateProperty("UpVector", kDataObject, 0);
    for (Property* target : {lookAt_, upVector_}) target->Definition().SetConnectionFilter(kClassModel);
}

void Model::TakeShape(IObject* self) {
    if (Model* model = AsModel(AsObject(self))) ++model->shapeVersion_;
}

Property* Model::TransformValue(int i) const {
    return i >= 0 && i < kTransformValueCount ? values_[i] : nullptr;
}

int Model::RotationOrder() const {
    int order = 0;
    if (!values_[kRotationOrder] || !values_[kRotationOrder]->GetInt(&order)) return 0;
    return order >= 0 && order <= kRotationSphericXYZ ? order : 0;
}

bool Model::SetRotationOrder(int order) {
    if (order < 0 || order > kRotationSphericXYZ) return false;
    return values_[kRotationOrder]->SetInt(order);
}

void Model::ReadShape() const {
    if (!shape_) shape_ = new Shape;
    TransformAccess::ReadShape(*this, *shape_);
    shape_->version = shapeVersion_;
}

const Model::Shape& Model::CurrentShape() const {
    if (!shape_ || shape_->version != shapeVersion_ || shape_->structure != StructureVersion()) ReadShape();
    return *shape_;
}

// ---------------------------------------------------------------------------
// Targets

Model* Model::Target(const Property* property) const {
    if (!property) return nullptr;
    Model* target = AsModel(AsObject(property->Links().At(0)));
    return target && !target->IsEnding() && target != this ? target : nullptr;
}

Model* Model::LookAt() const { return Target(lookAt_); }
Model* Model::UpVector() const { return Target(upVector_); }

bool Model::DependsOn(const Model* other) const {
    if (!other) return false;
    // Ancestors and, through each, the targets, each model once.
    std::vector<const Model*> pending{this};
    std::vector<const Model*> seen;
    while (!pending.empty()) {
        const Model* m = pending.back();
        pending.pop_back();
        for (; m; m = m->parent_) {
            if (m == other) return true;
            if (std::find(seen.begin(), seen.end(), m) != seen.end()) break;
            seen.push_back(m);
            for (const Model* t : {m->LookAt(), m->UpVector()})
                if (t) pending.push_back(t);
        }
    }
    return false;
}

bool Model::SetTarget(Property* property, Model* target) {
    if (!property || IsEnding()) return false;
    if (target && (target->IsEnding() || target->DependsOn(this))) return false;
    if (Target(property) == target) return true;
    property->Links().Clear();
    if (target && !property->Links().Add(target)) return false;
    ++shapeVersion_;
    return true;
}

bool Model::SetLookAt(Model* target) { return SetTarget(lookAt_, target); }
bool Model::SetUpVector(Model* target) { return SetTarget(upVector_, target); }

// ---------------------------------------------------------------------------
// The kept matrix

bool Model::Refresh(const Model* parent) const {
    // A target cycle keeps what there is; so does a constraint's matrix
    // until the next transform stage.
    if (refreshing_ || overridden_) return false;
    const Shape& shape = CurrentShape();
    bool stale = stamp_ == 0 || parent != parentSeen_ || (parent && parent->stamp_ != parentStampSeen_) ||
                 shapeSeen_ != shapeVersion_ || std::memcmp(t_, seen_, 3 * sizeof(double)) != 0 ||
                 std::memcmp(r_, seen_ + 3, 3 * sizeof(double)) != 0 ||
                 std::memcmp(s_, seen_ + 6, 3 * sizeof(double)) != 0;
    const Model* targets[2] = {shape.targets[0], shape.targets[1]};
    if (targets[0] || targets[1] || targetSeen_[0] || targetSeen_[1]) {
        refreshing_ = true;
        for (int k = 0; k < 2; ++k) {
            if (targets[k]) targets[k]->EnsureGlobal();
            stale = stale || targets[k] != targetSeen_[k] || (targets[k] && targets[k]->stamp_ != targetStampSeen_[k]);
        }
        refreshing_ = false;
    }
    if (!stale) return false;

    std::memcpy(seen_, t_, 3 * sizeof(double));
    std::memcpy(seen_ + 3, r_, 3 * sizeof(double));
    std::memcpy(seen_ + 6, s_, 3 * sizeof(double));
    double L[16];
    TransformAccess::Local(L, seen_, seen_ + 3, seen_ + 6, shape);
    TransformAccess::Global(global_, parent ? parent->global_ : nullptr,
                            parent && !shape.inheritScaling ? parent->seen_ + 6 : nullptr, L);
    if (targets[0] || targets[1])
        TransformAccess::Aim(global_, targets[0] ? targets[0]->global_ + 12 : nullptr,
                             targets[1] ? targets[1]->global_ + 12 : nullptr);
    parentSeen_ = parent;
    parentStampSeen_ = parent ? parent->stamp_ : 0;
    for (int k = 0; k < 2; ++k) {
        targetSeen_[k] = targets[k];
        targetStampSeen_[k] = targets[k] ? targets[k]->stamp_ : 0;
    }
    shapeSeen_ = shapeVersion_;
    stamp_ = NextStamp();
    ++computes_;
    return true;
}

void Model::EnsureGlobal() const {
    // The chain from the top down, each model against its fresh parent.
    const Model* inline_[32];
    std::vector<const Model*> deep;
    int n = 0;
    for (const Model* m = this; m; m = m->parent_) {
        if (n < 32) {
            inline_[n++] = m;
            continue;
        }
        if (deep.empty()) deep.assign(inline_, inline_ + 32);
        deep.push_back(m);
    }
    if (deep.empty()) {
        for (int i = n - 1; i >= 0; --i) inline_[i]->Refresh(inline_[i]->parent_);
    } else {
        for (auto it = deep.rbegin(); it != deep.rend(); ++it) (*it)->Refresh((*it)->parent_);
    }
}

void Model::SetGlobalMatrix(const double* m) {
    if (!m) return;
    EnsureGlobal();  // what the values give is the base the next frame compares with
    tm::Copy(global_, m);
    overridden_ = true;
    stamp_ = NextStamp();
    ++computes_;
}

bool Model::RefreshTransform(const Model* parent, unsigned evaluationId) {
    if (overridden_) {
        overridden_ = false;
        stamp_ = 0;  // computed again from the values
    }
    const bool computed = Refresh(parent);
    evaluatedId_ = evaluationId;
    return computed;
}

const double* Model::GlobalMatrix() const {
    EnsureGlobal();
    return global_;
}

namespace {

bool IsDisplayTime(const EvaluationContext* context) {
    return !context || context == &GlobalDisplayContext() || context->time == GlobalDisplayContext().time;
}

}  // namespace

void Model::GlobalMatrixAt(double* out, const EvaluationContext* context) const {
    if (!out) return;
    if (IsDisplayTime(context)) {
        tm::Copy(out, GlobalMatrix());
        return;
    }
    TransformAccess::ComputeNow(*this, out, context, 0);
}

void Model::ComputeGlobalMatrix(double* out) const {
    if (out) TransformAccess::ComputeNow(*this, out, nullptr, 0);
}

void Model::LocalMatrix(double* out) const {
    if (!out) return;
    TransformAccess::Local(out, t_, r_, s_, CurrentShape());
}

void Model::LocalMatrixAt(double* out, const EvaluationContext* context) const {
    if (!out) return;
    if (IsDisplayTime(context)) {
        LocalMatrix(out);
        return;
    }
    double t[3], r[3], s[3];
    TransformAccess::ValuesAt(*this, context, t, r, s);
    TransformAccess::Local(out, t, r, s, CurrentShape());
}

void Model::GlobalInverseMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    if (!IsDisplayTime(context)) {
        double G[16];
        GlobalMatrixAt(G, context);
        if (!tm::InvertAffine(out, G)) tm::Copy(out, tm::kIdentity);
        return;
    }
    EnsureGlobal();
    if (inverseStamp_ != stamp_) {
        if (!tm::InvertAffine(inverse_, global_)) tm::Copy(inverse_, tm::kIdentity);
        inverseStamp_ = stamp_;
    }
    tm::Copy(out, inverse_);
}

void Model::GeometricMatrix(double* out) const {
    if (!out) return;
    Shape shape;
    TransformAccess::ReadShape(*this, shape);
    tm::Copy(out, shape.geometric);
}

void Model::GlobalGeometricMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    double G[16], geometric[16];
    GlobalMatrixAt(G, context);
    GeometricMatrix(geometric);
    lymath::Multiply(out, G, geometric);
}

void Model::GlobalRotationMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    GlobalMatrixAt(out, context);
    lymath::Orthonormalize(out);
    lymath::SetNoTranslation(out);
}

void Model::GlobalScalingMatrix(double* out, const EvaluationContext* context) const {
    if (!out) return;
    double G[16], s[3];
    GlobalMatrixAt(G, context);
    tm::Scaling(s, G);
    tm::Copy(out, tm::kIdentity);
    out[0] = s[0];
    out[5] = s[1];
    out[10] = s[2];
}

void Model::LocalScalingMatrix(double* out) const {
    if (!out) return;
    tm::Copy(out, tm::kIdentity);
    out[0] = s_[0];
    out[5] = s_[1];
    out[10] = s_[2];
}

void Model::LocalRotationFromDof(double* out, const double* dof) const {
    if (!out || !dof) return;
    double R[16];
    tm::Rotation(R, dof, RotationOrder());
    TransformAccess::AddPrePost(CurrentShape(), R);
    tm::Copy(out, R);
    lymath::SetNoTranslation(out);
}

void Model::DofFromLocalRotation(double* dof, const double* m) const {
    if (!dof || !m) return;
    double R[16];
    tm::Copy(R, m);
    lymath::Orthonormalize(R);
    TransformAccess::RemovePrePost(CurrentShape(), R);
    tm::Angles(dof, R, RotationOrder());
}

// ---------------------------------------------------------------------------
// Vectors and the attribute setter

void Model::TransformVector(int kind, bool global, double* out, const EvaluationContext* context) const {
    if (!out) return;
    if (global) {
        double G[16];
        GlobalMatrixAt(G, context);
        if (kind == kTransformRotation) {
            lymath::Orthonormalize(G);
            tm::Angles(out, G, 0);
        } else if (kind == kTransformScaling) {
            tm::Scaling(out, G);
        } else {
            std::memcpy(out, G + 12, 3 * sizeof(double));
        }
        return;
    }
    double t[3], r[3], s[3];
    TransformAccess::ValuesAt(*this, IsDisplayTime(context) ? nullptr : context, t, r, s);
    const Shape& shape = CurrentShape();
    double tt[3], rr[3];
    TransformAccess::Effective(shape, t, r, tt, rr);
    if (kind == kTransformScaling) {
        std::memcpy(out, s, sizeof s);
    } else if (kind == kTransformRotation) {
        if (shape.order == kRotationXYZ || shape.order == kRotationSphericXYZ) {
            std::memcpy(out, rr, sizeof rr);
        } else {
            double R[16];
            tm::Rotation(R, rr, shape.order);
            tm::Angles(out, R, 0);
        }
    } else {
        std::memcpy(out, tt, sizeof tt);
    }
}

namespace {

// One value written as a user would: recorded for undo when asked, and for
// an animated value proposed as the candidate at the context's time.
bool WriteValue(Property* p, const double* v, bool undo, const EvaluationContext* context) {
    if (!p || p->IsReadOnly()) return false;
    if (undo && !UndoStack::Instance().InUndoRedo()) {
        UndoStack& stack = UndoStack::Instance();
        const bool open = stack.IsOpen();
        if (!open) stack.Begin("Transform");
        stack.AddProperty(p);
        if (!open) stack.End();
    }
    if (!IsDisplayTime(context) && p->HasFlag(kPropertyAnimated)) return SetPropertyCandidate(p, v, context);
    return WritePropertyValue(p, v);
}

}  // namespace

bool Model::SetTransformVector(int kind, bool global, const double* values, int count, bool undo,
                               const EvaluationContext* context) {
    if (!values || count != 1 || IsEnding()) return false;
    if (kind != kTransformRotation && kind != kTransformScaling) kind = kTransformTranslation;
    const Shape& shape = CurrentShape();
    // A local value in the model's own order goes in as it is.
    if (!global && (kind != kTransformRotation || shape.order == kRotationXYZ || shape.order == kRotationSphericXYZ))
        return WriteValue(kind == kTransformTranslation ? translation_ : kind == kTransformRotation ? rotation_ : scaling_,
                          values, undo, context);
    // The frame the local values apply in: the parent's matrix, less the
    // parent's own scaling where that is not inherited.
    double frame[16];
    tm::Copy(frame, tm::kIdentity);
    if (global && parent_) {
        parent_->GlobalMatrixAt(frame, context);
        if (!shape.inheritScaling) {
            double pt[3], pr[3], s[3];
            TransformAccess::ValuesAt(*parent_, IsDisplayTime(context) ? nullptr : context, pt, pr, s);
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 3; ++i) frame[4 * c + i] *= s[c] != 0.0 ? 1.0 / s[c] : 1.0;
        }
    }
    double local[3] = {values[0], values[1], values[2]};
    if (kind == kTransformTranslation) {
        if (global) {
            double inverse[16];
            if (!tm::InvertAffine(inverse, frame)) return false;
            tm::TransformPoint(local, inverse, values);
        }
        return WriteValue(translation_, local, undo, context);
    }
    if (kind == kTransformScaling) {
        if (global) {
            double ps[3];
            tm::Scaling(ps, frame);
            for (int k = 0; k < 3; ++k) local[k] = ps[k] != 0.0 ? values[k] / ps[k] : values[k];
        }
        return WriteValue(scaling_, local, undo, context);
    }
    // Rotation: the XYZ angles to a matrix, through the frame and the pre-
    // and post-rotation when global, then to angles of the model's order.
    double R[16];
    tm::Rotation(R, values, 0);
    if (global) {
        double frameRotation[16], toLocal[16];
        tm::Copy(frameRotation, frame);
        lymath::Orthonormalize(frameRotation);
        Transpose3(frameRotation);
        Multiply3(toLocal, frameRotation, R);
        std::memcpy(R, toLocal, sizeof R);
        TransformAccess::RemovePrePost(shape, R);
        lymath::Orthonormalize(R);
    }
    if (global || (shape.order != kRotationXYZ && shape.order != kRotationSphericXYZ))
        tm::Angles(local, R, shape.order);
    return WriteValue(rotation_, local, undo, context);
}

// ---------------------------------------------------------------------------
// The branch

int Model::HierarchyWorldMatrices(double* out, int capacity, int order, const EvaluationContext* context) const {
    if (!out || capacity <= 0) return 0;
    // The branch in the order asked for, parents always before children,
    // listed again only when the hierarchy changed.
    if (!branch_) branch_ = new Branch;
    const int k = order == kHierarchyBreadthFirst ? 1 : 0;
    std::vector<const Model*>& branch = branch_->models[k];
    if (branch_->structure[k] != StructureVersion() || branch.empty()) {
        branch.assign(1, this);
        if (k == 1) {
            for (std::size_t i = 0; i < branch.size(); ++i)
                for (const Model* child : branch[i]->children_) branch.push_back(child);
        } else {
            std::vector<const Model*> stack(children_.rbegin(), children_.rend());
            while (!stack.empty()) {
                const Model* m = stack.back();
                stack.pop_back();
                branch.push_back(m);
                stack.insert(stack.end(), m->children_.rbegin(), m->children_.rend());
            }
        }
        branch_->structure[k] = StructureVersion();
    }
    const int n = std::min(capacity, static_cast<int>(branch.size()));
    if (!IsDisplayTime(context)) {
        for (int i = 0; i < n; ++i) branch[static_cast<std::size_t>(i)]->GlobalMatrixAt(out + 16 * i, context);
        return n;
    }
    EnsureGlobal();
    tm::Copy(out, global_);
    // The models are scattered over the heap: each is announced well ahead
    // of its turn, and the values it compares a few turns later, once its
    // pointers to them have arrived.
    constexpr int kModelAhead = 12, kValuesAhead = 6;
    const Model* const* list = branch.data();
    for (int i = 1; i < n; ++i) {
        if (i + kModelAhead < n) {
            const char* hot = reinterpret_cast<const char*>(&list[i + kModelAhead]->parent_);
            for (int line = 0; line < 5; ++line) __builtin_prefetch(hot + 64 * line);
        }
        if (i + kValuesAhead < n) {
            const Model* next = list[i + kValuesAhead];
            __builtin_prefetch(next->t_);
            __builtin_prefetch(next->r_);
            __builtin_prefetch(next->s_);
            __builtin_prefetch(next->shape_);
        }
        const Model* m = list[i];
        m->Refresh(m->parent_);
        tm::Copy(out + 16 * i, m->global_);
    }
    return n;
}

// ---------------------------------------------------------------------------
// Evaluation state

bool Model::IsTransformEvaluated(const EvaluationContext* context) const {
    if (context && context != &GlobalDisplayContext() && context->evaluationId != GlobalDisplayContext().evaluationId)
        return evaluatedId_ == context->evaluationId;
    // Current when no model up the chain (nor a target of one) would
    // recompute: compared without recomputing anything.
    for (const Model* m = this; m; m = m->parent_) {
        const Model* parent = m->parent_;
        if (m->stamp_ == 0 || parent != m->parentSeen_ || (parent && parent->stamp_ != m->parentStampSeen_) ||
            m->shapeSeen_ != m->shapeVersion_ || std::memcmp(m->t_, m->seen_, 3 * sizeof(double)) != 0 ||
            std::memcmp(m->r_, m->seen_ + 3, 3 * sizeof(double)) != 0 ||
            std::memcmp(m->s_, m->seen_ + 6, 3 * sizeof(double)) != 0)
            return false;
        const Model* targets[2] = {m->LookAt(), m->UpVector()};
        for (int k = 0; k < 2; ++k)
            if (targets[k] != m->targetSeen_[k] || (targets[k] && targets[k]->stamp_ != m->targetStampSeen_[k]))
                return false;
    }
    return true;
}

bool Model::IsVisible(const EvaluationContext* context) const {
    for (const Model* m = this; m; m = m->parent_) {
        bool visible = true;
        if (!ReadBool(m->values_[kShow])) return false;
        if (EvaluateProperty(m->values_[kVisibility], &visible, context) < 0 || !visible) return false;
        if (!ReadBool(m->values_[kVisibilityInheritance])) return true;
    }
    return true;
}

}  // namespace velora
