// Model templates: the shape of models a device drives, bound to scene
// models; the host's hand for gloves.

#include <algorithm>
#include <cstring>

#include "velora/device.h"
#include "velora/entity.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/scene.h"

namespace velora {

namespace {

// Names are compared without the namespace: a character brought in under
// "Take1:" still has an "Elbow".
bool SameName(const Object* object, const char* name) {
    return object && name && std::strcmp(object->Name(), name) == 0;
}

Model* ChildNamed(Model* model, const char* name) {
    for (int i = 0, n = model ? model->ChildCount() : 0; i < n; ++i)
        if (Model* child = model->ChildModel(i); SameName(child, name)) return child;
    return nullptr;
}

}  // namespace

int ModelTemplate::ClassIdOf() {
    static const int id = ClassRegistry::Instance().Register("ModelTemplate", kClassObject, "ModelTemplate");
    return id;
}

ModelTemplate* ModelTemplate::Create(const char* name, int kind) {
    return new ModelTemplate(name ? name : "Template", kind);
}

ModelTemplate::ModelTemplate(const char* name, int kind) : Object(name, ClassIdOf()), kind_(kKindNull) {
    SetKind(kind);
}

void ModelTemplate::Teardown() {
    if (ModelTemplate* parent = ParentTemplate()) parent->RemoveChild(this);
    children_.clear();
    bindings_.clear();
    Object::Teardown();
}

int ModelTemplate::ChildCount() const { return static_cast<int>(children_.size()); }

ModelTemplate* ModelTemplate::ChildTemplate(int i) const {
    return i >= 0 && i < ChildCount() ? static_cast<ModelTemplate*>(children_[static_cast<std::size_t>(i)].Get())
                                      : nullptr;
}

bool ModelTemplate::AddChild(ModelTemplate* child) {
    if (!child || child->IsEnding() || IsEnding()) return false;
    for (const ModelTemplate* up = this; up; up = up->ParentTemplate())
        if (up == child) return false;
    if (ModelTemplate* previous = child->ParentTemplate()) previous->RemoveChild(child);
    children_.emplace_back(child);
    child->parent_ = PlugHandle(this);
    child->SetOwner(this);
    return true;
}

bool ModelTemplate::RemoveChild(ModelTemplate* child) {
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->Get() != child) continue;
        children_.erase(it);
        child->parent_ = PlugHandle();
        if (child->Owner() == this && !child->IsEnding()) child->SetOwner(nullptr);
        return true;
    }
    return false;
}

ModelTemplate* ModelTemplate::Find(const char* name) {
    if (SameName(this, name)) return this;
    for (int i = 0; i < ChildCount(); ++i)
        if (ModelTemplate* found = ChildTemplate(i) ? ChildTemplate(i)->Find(name) : nullptr) return found;
    return nullptr;
}

int ModelTemplate::BindingCount() const { return static_cast<int>(bindings_.size()); }

AnimationNode* ModelTemplate::Binding(int i) const {
    return i >= 0 && i < BindingCount() ? static_cast<AnimationNode*>(bindings_[static_cast<std::size_t>(i)].Get())
                                        : nullptr;
}

bool ModelTemplate::AddBinding(AnimationNode* node) {
    if (!node || !node->IsOutput() || node->IsEnding()) return false;
    for (int i = 0; i < BindingCount(); ++i)
        if (Binding(i) == node) return false;
    bindings_.emplace_back(node);
    return true;
}

bool ModelTemplate::RemoveBinding(AnimationNode* node) {
    for (auto it = bindings_.begin(); it != bindings_.end(); ++it)
        if (it->Get() == node) {
            bindings_.erase(it);
            return true;
        }
    return false;
}

Property* ModelTemplate::BoundProperty(AnimationNode* node, Model* model) {
    if (!node || !model) return nullptr;
    const std::string& label = node->NodeSettings().label;
    Property* property = model->FindProperty(label.empty() ? node->Name() : label.c_str());
    return property && property->Type() && property->Type()->IsDoubles() &&
                   property->MemberCount() == node->Channels()
               ? property
               : nullptr;
}

Model* ModelTemplate::BoundModel() const { return static_cast<Model*>(model_.Get()); }

Model* ModelTemplate::Build(Model* parent) {
    const int classId = kind_ == kKindSkeleton ? kClassModelSkeleton : kind_ == kKindRoot ? kClassModelRoot : kClassModelNull;
    Model* model = Model::Create(Name(), classId);
    model->TranslationProperty()->SetRaw(defaults_[0]);
    model->RotationProperty()->SetRaw(defaults_[1]);
    model->ScalingProperty()->SetRaw(defaults_[2]);
    if (parent) model->SetParent(parent);
    Scene::Main().AddModel(model);
    return model;
}

bool ModelTemplate::Match(Model* model) {
    if (model && model->IsEnding()) return false;
    if (!model) model = Build(nullptr);
    model_ = PlugHandle(model);
    for (int i = 0; i < ChildCount(); ++i) {
        ModelTemplate* child = ChildTemplate(i);
        if (!child) continue;
        Model* match = ChildNamed(model, child->Name());
        if (match) {
            child->Match(match);
        } else if (!BoundModel() || model == BoundModel()) {
            // Building: the missing part is made below its parent.
            child->model_ = PlugHandle(child->Build(model));
            child->Match(child->BoundModel());
        }
    }
    return true;
}

void ModelTemplate::Unbind() {
    model_ = PlugHandle();
    for (int i = 0; i < ChildCount(); ++i)
        if (ModelTemplate* child = ChildTemplate(i)) child->Unbind();
}

bool ModelTemplate::Fits(const Model* model) const {
    if (!model || model->IsEnding()) return false;
    for (int i = 0; i < ChildCount(); ++i) {
        const ModelTemplate* child = ChildTemplate(i);
        if (!child) continue;
        const Model* match = ChildNamed(const_cast<Model*>(model), child->Name());
        if (!match || !child->Fits(match)) return false;
    }
    return true;
}

std::vector<Model*> ModelTemplate::Candidates(int limit) const {
    std::vector<Model*> out;
    if (limit <= 0) return out;
    MainEntity& entity = MainEntity::Instance();
    for (int i = 0, n = entity.SceneModelCount(); i < n; ++i) {
        Model* model = AsModel(entity.SceneModel(i));
        if (!model || !Fits(model)) continue;
        out.push_back(model);
        if (static_cast<int>(out.size()) >= limit) break;
    }
    return out;
}

int ModelTemplate::ApplyBindings() {
    int written = 0;
    if (Model* model = BoundModel()) {
        for (int i = 0; i < BindingCount(); ++i) {
            AnimationNode* node = Binding(i);
            Property* property = BoundProperty(node, model);
            if (!property || node->IsDisabled()) continue;
            if (property->SetRaw(node->LiveData())) ++written;
        }
    }
    for (int i = 0; i < ChildCount(); ++i)
        if (ModelTemplate* child = ChildTemplate(i)) written += child->ApplyBindings();
    return written;
}

// ---------------------------------------------------------------------------
// The hand

namespace {

const char* const kPartNames[HandModel::kPartCount] = {
    "Palm",    "Wrist",   "Thumb1",  "Thumb2", "Thumb3", "Thumb4", "Index1", "Index2",
    "Index3",  "Index4",  "Middle1", "Middle2", "Middle3", "Middle4", "Ring1", "Ring2",
    "Ring3",   "Ring4",   "Pinky1",  "Pinky2", "Pinky3", "Pinky4"};

// Where each finger starts on the palm (right hand, centimetres) and how
// long its joints are.
const double kFingerBase[5][3] = {{-3.0, 0.5, 2.0}, {-2.5, 9.0, 0.0}, {-0.5, 9.5, 0.0}, {1.5, 9.0, 0.0}, {3.2, 8.0, 0.0}};
const double kJointLength[5] = {3.5, 4.0, 4.5, 4.2, 3.2};

}  // namespace

const char* HandModel::PartName(int part) { return part >= 0 && part < kPartCount ? kPartNames[part] : nullptr; }

ModelTemplate* HandModel::Build(Device* device, const char* name, bool left) {
    if (!device) return nullptr;
    ModelTemplate* hand = ModelTemplate::Create(name, ModelTemplate::kKindSkeleton);
    std::vector<ModelTemplate*> parts(kPartCount, nullptr);
    for (int p = 0; p < kPartCount; ++p) {
        ModelTemplate* part = p == 0 ? hand : ModelTemplate::Create(kPartNames[p], ModelTemplate::kKindSkeleton);
        parts[static_cast<std::size_t>(p)] = part;
        // The palm is the hand's root; the wrist and each finger's first
        // joint hang below it, each later joint below the one before.
        if (p == 1 || (p >= 2 && (p - 2) % 4 == 0)) hand->AddChild(part);
        else if (p > 2) parts[static_cast<std::size_t>(p - 1)]->AddChild(part);
        const std::string output = std::string(kPartNames[p]) + " Rotation";
        if (AnimationNode* node = device->CreateOutConnector(static_cast<std::uint64_t>(p), output.c_str(),
                                                             DataType::Get(kDataVector), true)) {
            node->NodeSettings().label = "Lcl Rotation";
            part->AddBinding(node);
        }
    }
    SetGeometry(hand, left);
    return hand;
}

void HandModel::SetGeometry(ModelTemplate* hand, bool left) {
    if (!hand) return;
    const double side = left ? -1.0 : 1.0;
    for (int finger = 0; finger < 5; ++finger)
        for (int joint = 0; joint < 4; ++joint) {
            ModelTemplate* part = hand->Find(kPartNames[2 + finger * 4 + joint]);
            if (!part) continue;
            double* t = part->DefaultTransform(0);
            if (joint == 0) {
                t[0] = side * kFingerBase[finger][0];
                t[1] = kFingerBase[finger][1];
                t[2] = kFingerBase[finger][2];
            } else {
                t[0] = 0.0;
                t[1] = kJointLength[finger] * (1.0 - 0.15 * joint);
                t[2] = 0.0;
            }
        }
    if (ModelTemplate* wrist = hand->Find("Wrist")) {
        double* t = wrist->DefaultTransform(0);
        t[0] = 0.0;
        t[1] = -2.0;
        t[2] = 0.0;
    }
}

bool HandModel::ProcessPartAngles(int part, double* angles) {
    if (part < 0 || part >= kPartCount || !angles) return false;
    struct Range {
        double lo[3];
        double hi[3];
    };
    // Palm: free. Wrist: flexion, deviation and twist. Thumb: two axes.
    // Other fingers: the first joint spreads a little, the rest only bend.
    Range range{{-180, -180, -180}, {180, 180, 180}};
    if (part == 1) range = {{-70, -30, -90}, {80, 20, 90}};
    else if (part >= 2 && part <= 5) range = {{-20, -30, 0}, {60, 40, 0}};
    else if (part >= 6) range = (part - 6) % 4 == 0 ? Range{{-20, 0, -15}, {90, 0, 15}} : Range{{0, 0, 0}, {100, 0, 0}};
    for (int i = 0; i < 3; ++i) angles[i] = std::clamp(angles[i], range.lo[i], range.hi[i]);
    return true;
}

}  // namespace velora
