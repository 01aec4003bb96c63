// The host's own constraint types: position, rotation, scale, parent-child
// and aim. Each drives the global transform of its constrained object
// (reference 0 of group 0) from its sources, with offsets that a snap takes
// so that the object stays where it was, and that a zero request clears.
// The offsets are properties of the constraint, so they are shown, animated
// and saved like any other value.

#include <cstring>
#include <vector>

#include "constraint/constraint_math.h"
#include "velora/constraint.h"
#include "velora/data_type.h"
#include "velora/model.h"
#include "velora/object_registry.h"
#include "velora/property.h"
#include "velora/relation.h"
#include "velora/string_list.h"

namespace velora {

namespace {

using cmath::Decompose;

// A vector property with a default value; its value pointer stays valid
// for the life of the property.
const double* VectorProperty(Object* owner, const char* name, double x, double y, double z,
                             bool animatable = true) {
    Property* p = owner->CreateProperty(name, kDataVector, animatable ? std::uint32_t{kCreateAnimatable} : 0u);
    const double v[3] = {x, y, z};
    p->SetRaw(v);
    return static_cast<const double*>(p->ValuePtr());
}

void SetVector(Object* owner, const char* name, const double* v) {
    if (Property* p = owner->FindProperty(name)) p->SetRaw(v);
}

// The common frame: one constrained object and a group of sources whose
// global positions (or matrices) the type reads.
class TransformConstraint : public Constraint {
public:
    TransformConstraint(const char* name, int classId, const char* type, const char* sourceGroup, int maxSources)
        : Constraint(name, classId), type_(type) {
        AddReferenceGroup("Constrained Object", 1);
        AddReferenceGroup(sourceGroup, maxSources);
    }
    const char* TypeName() const override { return type_; }

protected:
    /// Calls `visit` with each model of group `group`; the number visited.
    template <class Visit>
    int ForEachSource(int group, Visit visit) const {
        int n = 0;
        for (int i = 0, count = ReferenceCount(group); i < count; ++i)
            if (const Model* model = AsModel(Reference(group, i))) {
                visit(*model, n);
                ++n;
            }
        return n;
    }

    /// The mean global position of group `group`'s models; false for none.
    bool SourcePosition(int group, double* out) const {
        out[0] = out[1] = out[2] = 0.0;
        const int n = ForEachSource(group, [out](const Model& model, int) {
            const double* m = model.GlobalMatrix();
            for (int k = 0; k < 3; ++k) out[k] += m[12 + k];
        });
        if (!n) return false;
        for (int k = 0; k < 3; ++k) out[k] /= n;
        return true;
    }

    /// An offset: a vector property that a snap sets and that a zero
    /// request puts back to its default.
    const double* OffsetProperty(const char* name, double x, double y, double z) {
        offsets_.push_back({name, {x, y, z}});
        return VectorProperty(this, name, x, y, z);
    }
    void ZeroOffsets() override {
        for (const Offset& offset : offsets_) SetVector(this, offset.name, offset.rest);
    }

    /// The first source's global matrix, or null.
    const Model* FirstSource(int group = 1) const {
        for (int i = 0, n = ReferenceCount(group); i < n; ++i)
            if (const Model* model = AsModel(Reference(group, i))) return model;
        return nullptr;
    }

    void Solve(const EvaluationContext& context, ConstraintInfo&) override {
        Model* model = ConstrainedModel();
        if (!model) return;
        double global[16];
        if (Compute(model->GlobalMatrix(), global)) ApplyGlobal(model, global, Weight(&context));
    }
    void TakeOffsets(const EvaluationContext&) override {
        if (const Model* model = ConstrainedModel()) Snap(model->GlobalMatrix());
    }

    /// The constrained global matrix from the unconstrained one.
    virtual bool Compute(const double* unconstrained, double* out) const = 0;
    /// Offsets that keep `unconstrained` where it is.
    virtual void Snap(const double* unconstrained) = 0;

private:
    struct Offset {
        const char* name;
        double rest[3];
    };
    const char* type_;
    std::vector<Offset> offsets_;
};

class PositionConstraint final : public TransformConstraint {
public:
    PositionConstraint(const char* name, int classId) : TransformConstraint(name, classId, "Position", "Source", 8) {
        offset_ = OffsetProperty("Translation", 0, 0, 0);
    }

private:
    bool Compute(const double* u, double* out) const override {
        double p[3];
        if (!SourcePosition(1, p)) return false;
        std::memcpy(out, u, 16 * sizeof(double));
        for (int k = 0; k < 3; ++k) out[12 + k] = p[k] + offset_[k];
        return true;
    }
    void Snap(const double* u) override {
        double p[3], d[3];
        if (!SourcePosition(1, p)) return;
        for (int k = 0; k < 3; ++k) d[k] = u[12 + k] - p[k];
        SetVector(this, "Translation", d);
    }
    const double* offset_;
};

class RotationConstraint final : public TransformConstraint {
public:
    RotationConstraint(const char* name, int classId) : TransformConstraint(name, classId, "Rotation", "Source", 8) {
        offset_ = OffsetProperty("Rotation", 0, 0, 0);
    }

private:
    // The sources' mean rotation: their quaternions summed on one side of
    // the first, then normalised.
    bool SourceRotation(double* rot) const {
        double sum[4] = {0, 0, 0, 0}, first[4] = {0, 0, 0, 0};
        const int n = ForEachSource(1, [&sum, &first](const Model& model, int i) {
            double t[3], r[16], s[3], q[4];
            Decompose(model.GlobalMatrix(), t, r, s);
            cmath::MatrixToQuaternion(q, r);
            if (i == 0) std::memcpy(first, q, sizeof q);
            const double sign = q[0] * first[0] + q[1] * first[1] + q[2] * first[2] + q[3] * first[3] < 0 ? -1.0 : 1.0;
            for (int k = 0; k < 4; ++k) sum[k] += sign * q[k];
        });
        if (!n) return false;
        cmath::QuaternionToMatrix(rot, sum);
        return true;
    }
    bool Compute(const double* u, double* out) const override {
        double src[16], off[16], t[3], r[16], s[3];
        if (!SourceRotation(src)) return false;
        cmath::EulerToMatrix(off, offset_);
        cmath::Mult(src, src, off);
        Decompose(u, t, r, s);
        cmath::Compose(out, t, src, s);
        return true;
    }
    void Snap(const double* u) override {
        double src[16], inv[16], t[3], r[16], s[3], e[3];
        if (!SourceRotation(src) || !cmath::Inverse(inv, src)) return;
        Decompose(u, t, r, s);
        cmath::Mult(r, inv, r);
        cmath::MatrixToEuler(e, r);
        SetVector(this, "Rotation", e);
    }
    const double* offset_;
};

class ScaleConstraint final : public TransformConstraint {
public:
    ScaleConstraint(const char* name, int classId) : TransformConstraint(name, classId, "Scale", "Source", 8) {
        offset_ = OffsetProperty("Scaling", 1, 1, 1);
    }

private:
    bool SourceScaling(double* out) const {
        out[0] = out[1] = out[2] = 0.0;
        const int n = ForEachSource(1, [out](const Model& model, int) {
            double t[3], r[16], s[3];
            Decompose(model.GlobalMatrix(), t, r, s);
            for (int k = 0; k < 3; ++k) out[k] += s[k];
        });
        if (!n) return false;
        for (int k = 0; k < 3; ++k) out[k] /= n;
        return true;
    }
    bool Compute(const double* u, double* out) const override {
        double src[3], t[3], r[16], s[3];
        if (!SourceScaling(src)) return false;
        Decompose(u, t, r, s);
        for (int k = 0; k < 3; ++k) s[k] = src[k] * offset_[k];
        cmath::Compose(out, t, r, s);
        return true;
    }
    void Snap(const double* u) override {
        double src[3], t[3], r[16], s[3];
        if (!SourceScaling(src)) return;
        Decompose(u, t, r, s);
        for (int k = 0; k < 3; ++k) s[k] = src[k] != 0.0 ? s[k] / src[k] : 1.0;
        SetVector(this, "Scaling", s);
    }
    const double* offset_;
};

class ParentChildConstraint final : public TransformConstraint {
public:
    ParentChildConstraint(const char* name, int classId)
        : TransformConstraint(name, classId, "Parent-Child", "Source (Parent)", 1) {
        t_ = OffsetProperty("Translation Offset", 0, 0, 0);
        r_ = OffsetProperty("Rotation Offset", 0, 0, 0);
        s_ = OffsetProperty("Scaling Offset", 1, 1, 1);
    }

private:
    bool Compute(const double*, double* out) const override {
        const Model* parent = FirstSource();
        if (!parent) return false;
        double rot[16], offset[16];
        cmath::EulerToMatrix(rot, r_);
        cmath::Compose(offset, t_, rot, s_);
        cmath::Mult(out, parent->GlobalMatrix(), offset);
        return true;
    }
    void Snap(const double* u) override {
        const Model* parent = FirstSource();
        double inverse[16], offset[16], t[3], r[16], s[3], e[3];
        if (!parent || !cmath::Inverse(inverse, parent->GlobalMatrix())) return;
        cmath::Mult(offset, inverse, u);
        Decompose(offset, t, r, s);
        cmath::MatrixToEuler(e, r);
        SetVector(this, "Translation Offset", t);
        SetVector(this, "Rotation Offset", e);
        SetVector(this, "Scaling Offset", s);
    }
    const double* t_;
    const double* r_;
    const double* s_;
};

/// "World Up Type" values of the aim constraint.
enum WorldUpType : int { kUpScene = 0, kUpObject, kUpObjectRotation, kUpVector, kUpNone };

class AimConstraint final : public TransformConstraint {
public:
    AimConstraint(const char* name, int classId) : TransformConstraint(name, classId, "Aim", "Aim At Object", 8) {
        AddReferenceGroup("World Up Object", 1);
        aim_ = VectorProperty(this, "Aim Vector", 1, 0, 0);
        up_ = VectorProperty(this, "Up Vector", 0, 1, 0);
        worldUp_ = VectorProperty(this, "World Up Vector", 0, 1, 0);
        upType_ = CreateProperty("World Up Type", kDataEnum);
        for (const char* text : {"Scene Up", "Object Up", "Object Rotation Up", "Vector", "None"})
            upType_->Definition().EnumList(true)->Add(text, 0);
        offset_ = OffsetProperty("Rotation", 0, 0, 0);
    }

private:
    // The world rotation that aims the aim vector at the targets, before
    // the offset; false when there is no target or the frame degenerates.
    bool AimMatrix(const double* u, double* rot) const {
        double target[3], direction[3], up[3] = {0, 1, 0};
        if (!SourcePosition(1, target)) return false;
        for (int k = 0; k < 3; ++k) direction[k] = target[k] - u[12 + k];
        int type = kUpScene;
        upType_->GetRaw(&type);
        const Model* upObject = FirstSource(2);
        switch (type) {
            case kUpObject:
                if (upObject)
                    for (int k = 0; k < 3; ++k) up[k] = upObject->GlobalMatrix()[12 + k] - u[12 + k];
                break;
            case kUpObjectRotation:
                if (upObject) {
                    const double* m = upObject->GlobalMatrix();
                    for (int k = 0; k < 3; ++k) up[k] = m[k] * worldUp_[0] + m[4 + k] * worldUp_[1] + m[8 + k] * worldUp_[2];
                }
                break;
            case kUpVector:
                std::memcpy(up, worldUp_, sizeof up);
                break;
            case kUpNone:
                // The object's own up axis, as it stands unconstrained.
                for (int k = 0; k < 3; ++k) up[k] = u[k] * up_[0] + u[4 + k] * up_[1] + u[8 + k] * up_[2];
                break;
            default:
                break;
        }
        return cmath::AimRotation(rot, aim_, up_, direction, up);
    }
    bool Compute(const double* u, double* out) const override {
        double rot[16], t[3], r[16], s[3];
        if (!AimMatrix(u, rot)) return false;
        if (offset_[0] != 0.0 || offset_[1] != 0.0 || offset_[2] != 0.0) {
            double off[16];
            cmath::EulerToMatrix(off, offset_);
            cmath::Mult(rot, rot, off);
        }
        Decompose(u, t, r, s);
        cmath::Compose(out, t, rot, s);
        return true;
    }
    void Snap(const double* u) override {
        double rot[16], inv[16], t[3], r[16], s[3], e[3];
        if (!AimMatrix(u, rot) || !cmath::Inverse(inv, rot)) return;
        Decompose(u, t, r, s);
        cmath::Mult(r, inv, r);
        cmath::MatrixToEuler(e, r);
        SetVector(this, "Rotation", e);
    }
    const double* aim_;
    const double* up_;
    const double* worldUp_;
    const double* offset_;
    Property* upType_;
};

// The built-in types: their type names (translated for the user through
// "HostConstraintUIName"), their host classes, and how each is made.
struct BuiltinType {
    const char* type;
    const char* uiName;
    const char* className;
    Constraint* (*make)(const char* name, int classId);
    int classId;
};

template <class T>
Constraint* Make(const char* name, int classId) {
    return new T(name, classId);
}

Constraint* MakeRelation(const char* name, int) { return Relation::Create(name); }

BuiltinType* Builtins(int* count) {
    static BuiltinType types[] = {
        {"Position", "Position", "ConstraintPosition", &Make<PositionConstraint>, 0},
        {"Rotation", "Rotation", "ConstraintRotation", &Make<RotationConstraint>, 0},
        {"Scale", "Scale", "ConstraintScale", &Make<ScaleConstraint>, 0},
        {"Parent-Child", "Parent/Child", "ConstraintParentChild", &Make<ParentChildConstraint>, 0},
        {"Aim", "Aim", "ConstraintAim", &Make<AimConstraint>, 0},
        {"Relation", "Relation", nullptr, &MakeRelation, kClassConstraintRelation},
    };
    static const bool registered = [] {
        for (BuiltinType& t : types) {
            if (t.className) t.classId = ClassRegistry::Instance().Register(t.className, kClassConstraint);
            SetTranslatedText("HostConstraintUIName", t.type, t.uiName);
        }
        return true;
    }();
    (void)registered;
    *count = static_cast<int>(sizeof types / sizeof types[0]);
    return types;
}

// The built-in classes exist as soon as the host does, so that a scene file
// naming one can be read before any constraint was made.
[[maybe_unused]] const bool kBuiltinsRegistered = [] {
    int count = 0;
    return Builtins(&count) != nullptr;
}();

// Extension constraints: the entries of the storable constraint group.
constexpr const char* kExtensionGroup = "DsxStorable/Constraint";

}  // namespace

Constraint* CreateBuiltinConstraint(const char* typeName, const char* name) {
    int count = 0;
    BuiltinType* types = Builtins(&count);
    for (int i = 0; typeName && i < count; ++i)
        if (std::strcmp(types[i].type, typeName) == 0) return types[i].make(name ? name : typeName, types[i].classId);
    return nullptr;
}

Constraint* CreateConstraintOfClass(const char* name, int classId) {
    int count = 0;
    BuiltinType* types = Builtins(&count);
    for (int i = 0; i < count; ++i)
        if (types[i].className && types[i].classId == classId) return types[i].make(name, classId);
    if (ClassRegistry::Instance().IsA(classId, kClassConstraintSolver)) return ConstraintSolver::Create(name);
    return Constraint::Create(name, classId);
}

int ConstraintTypes::Count() {
    int count = 0;
    Builtins(&count);
    return count + ObjectRegistry::Instance().EntryCount(kExtensionGroup);
}

const char* ConstraintTypes::Name(int index) {
    int count = 0;
    BuiltinType* types = Builtins(&count);
    if (index < 0) return nullptr;
    if (index < count) return types[index].type;
    const RegistryEntry* entry = ObjectRegistry::Instance().EntryAt(kExtensionGroup, index - count);
    return entry ? entry->name.c_str() : nullptr;
}

Constraint* ConstraintTypes::Create(int index, const char* name) {
    int count = 0;
    BuiltinType* types = Builtins(&count);
    if (index < 0) return nullptr;
    if (index < count) return types[index].make(name ? name : types[index].type, types[index].classId);
    const RegistryEntry* entry = ObjectRegistry::Instance().EntryAt(kExtensionGroup, index - count);
    if (!entry) return nullptr;
    std::string error;
    IObject* made = ObjectRegistry::Instance().Create(kExtensionGroup, entry->name.c_str(), nullptr,
                                                     name ? name : entry->name.c_str(), nullptr, &error);
    Constraint* constraint = AsConstraint(AsObject(made));
    if (!constraint && made) made->Destroy(0);
    return constraint;
}

int ConstraintTypes::Find(const char* name) {
    if (!name) return -1;
    for (int i = 0, n = Count(); i < n; ++i)
        if (const char* type = Name(i); type && std::strcmp(type, name) == 0) return i;
    return -1;
}

}  // namespace velora
