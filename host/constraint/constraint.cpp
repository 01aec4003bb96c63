// The constraint base: reference groups, switches, connectors, evaluation,
// deformer binding and storage.

#include "velora/constraint.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "constraint/constraint_math.h"
#include "velora/data_type.h"
#include "velora/model.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/scene_storage.h"

namespace velora {

namespace {

std::atomic<int> gSetupIgnored{0};

const char* const kAttributeNames[3] = {"Translation", "Rotation", "Scaling"};

}  // namespace

int ConstraintAttributeByName(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < 3; ++i) {
        if (std::strcmp(name, kAttributeNames[i]) == 0) return i;
        if (std::strncmp(name, "Lcl ", 4) == 0 && std::strcmp(name + 4, kAttributeNames[i]) == 0) return i;
    }
    return -1;
}

Constraint* AsConstraint(Object* object) {
    return object && object->IsA(kClassConstraint) && !object->IsEnding() ? static_cast<Constraint*>(object)
                                                                            : nullptr;
}

Constraint* Constraint::Create(const char* name, int classId) {
    if (!ClassRegistry::Instance().IsA(classId, kClassConstraint)) classId = kClassConstraint;
    return new Constraint(name ? name : "Constraint", classId);
}

Constraint::Constraint(const char* name, int classId) : Box(name, classId) {
    active_ = CreateProperty("Active", kDataBool);
    lock_ = CreateProperty("Lock", kDataBool);
    snap_ = CreateProperty("Snap", kDataAction);
    weight_ = CreateProperty("Weight", kDataNumber, kCreateAnimatable);
    const double full = 100.0;
    weight_->SetRaw(&full);
    weight_->Definition().SetMin(0.0, true);
    weight_->Definition().SetMax(100.0, true);
}

void Constraint::Teardown() {
    // Meshes forget a deformer that ends.
    for (PlugHandle& handle : deformed_)
        if (Model* model = AsModel(static_cast<Object*>(handle.Get())))
            if (model->IsA(kClassModelMesh)) static_cast<MeshModel*>(model)->RemoveDeformer(this);
    deformed_.clear();
    Box::Teardown();
}

// ---------------------------------------------------------------------------
// Groups and references

int Constraint::AddReferenceGroup(const char* name, int maxCount) {
    groups_.push_back(Group{name ? name : "", maxCount < 0 ? -1 : maxCount, {}});
    return static_cast<int>(groups_.size()) - 1;
}

const char* Constraint::ReferenceGroupName(int group) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) ? groups_[static_cast<std::size_t>(group)].name.c_str()
                                                                   : nullptr;
}

int Constraint::ReferenceGroupMaxCount(int group) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) ? groups_[static_cast<std::size_t>(group)].maxCount
                                                                  : -1;
}

bool Constraint::AddReference(int group, Object* object) {
    if (IsLocked() || group < 0 || group >= ReferenceGroupCount() || !object || object == this ||
        object->IsEnding())
        return false;
    // Groups a subclass answers beyond its own table have no list here.
    if (group >= static_cast<int>(groups_.size())) return false;
    Group& g = groups_[static_cast<std::size_t>(group)];
    g.refs.erase(std::remove_if(g.refs.begin(), g.refs.end(), [](const PlugHandle& h) { return !h.Get(); }),
                 g.refs.end());
    if (ReferenceIndex(group, object) >= 0) return false;
    const int max = ReferenceGroupMaxCount(group);
    if (max >= 0 && static_cast<int>(g.refs.size()) >= max) return false;
    if (!ReferenceAddRequest(group, object)) return false;
    g.refs.emplace_back(object);
    ReferencesChanged();
    return true;
}

bool Constraint::RemoveReference(int group, int index) {
    if (IsLocked()) return false;
    Object* object = Reference(group, index);
    if (!object || !ReferenceRemoveRequest(group, object)) return false;
    auto& refs = groups_[static_cast<std::size_t>(group)].refs;
    refs.erase(refs.begin() + index);
    ReferencesChanged();
    return true;
}

int Constraint::ReferenceCount(int group) const {
    if (group < 0 || group >= static_cast<int>(groups_.size())) return 0;
    int count = 0;
    for (const PlugHandle& h : groups_[static_cast<std::size_t>(group)].refs)
        if (h.Get()) ++count;
    return count;
}

Object* Constraint::Reference(int group, int index) const {
    if (group < 0 || group >= static_cast<int>(groups_.size()) || index < 0) return nullptr;
    const auto& refs = groups_[static_cast<std::size_t>(group)].refs;
    if (index >= static_cast<int>(refs.size())) return nullptr;
    return static_cast<Object*>(refs[static_cast<std::size_t>(index)].Get());
}

int Constraint::ReferenceIndex(int group, const Object* object) const {
    if (group < 0 || group >= static_cast<int>(groups_.size()) || !object) return -1;
    const auto& refs = groups_[static_cast<std::size_t>(group)].refs;
    for (std::size_t i = 0; i < refs.size(); ++i)
        if (refs[i].Get() == object) return static_cast<int>(i);
    return -1;
}

void Constraint::RemoveAllReferences() {
    bool any = false;
    for (Group& g : groups_) {
        any = any || !g.refs.empty();
        g.refs.clear();
    }
    if (any) ReferencesChanged();
}

Model* Constraint::ConstrainedModel() const { return AsModel(Reference(0, 0)); }

bool Constraint::ReferenceAddRequest(int, Object*) { return true; }
bool Constraint::ReferenceRemoveRequest(int, Object*) { return true; }

void Constraint::ReferencesChanged() {
    // The scene orders its constraints by what they read and drive.
    BumpStructureVersion();
    RemoveAllConnectors();
    SetupAllConnectors(false);
}

void Constraint::CollectDriven(std::vector<Model*>* out) const {
    if (!out) return;
    for (int i = 0, n = ReferenceCount(0); i < n; ++i)
        if (Model* model = AsModel(Reference(0, i))) out->push_back(model);
    for (const ModelLink& link : links_)
        if (link.output)
            if (Model* model = static_cast<Model*>(link.model.Get())) out->push_back(model);
}

void Constraint::CollectSources(std::vector<Model*>* out) const {
    if (!out) return;
    for (int g = 1; g < static_cast<int>(groups_.size()); ++g)
        for (int i = 0, n = static_cast<int>(groups_[static_cast<std::size_t>(g)].refs.size()); i < n; ++i)
            if (Model* model = AsModel(Reference(g, i))) out->push_back(model);
    for (const ModelLink& link : links_)
        if (!link.output)
            if (Model* model = static_cast<Model*>(link.model.Get())) out->push_back(model);
}

// ---------------------------------------------------------------------------
// Switches

namespace {

bool ReadBool(const Property* property) {
    bool on = false;
    return property && property->GetRaw(&on) && on;
}

}  // namespace

bool Constraint::IsActive() const { return ReadBool(active_); }
bool Constraint::IsLocked() const { return ReadBool(lock_); }

void Constraint::SetLocked(bool on) { lock_->SetRaw(&on); }

bool Constraint::EnableObject(Object* object) { return object && Reference(0, 0) == object; }
bool Constraint::DisableObject(Object* object) { return object && Reference(0, 0) == object; }

void Constraint::SetActive(bool on) {
    if (settingActive_) return;
    settingActive_ = true;
    if (on && !IsActive()) {
        // Each constrained object is asked; one refusal keeps the
        // constraint off.
        for (int i = 0, n = ReferenceCount(0); i < n && on; ++i)
            if (Object* object = Reference(0, i)) on = EnableObject(object);
    } else if (!on && IsActive()) {
        for (int i = 0, n = ReferenceCount(0); i < n; ++i)
            if (Object* object = Reference(0, i)) DisableObject(object);
    }
    const bool was = IsActive();
    active_->SetRaw(&on);
    settingActive_ = false;
    if (was != on) ActiveChanged();
}

double Constraint::Weight(const EvaluationContext* context) const {
    double value = 100.0;
    if (weight_->HasFlag(kPropertyAnimated) && context)
        EvaluateProperty(weight_, &value, context);
    else
        weight_->GetRaw(&value);
    return std::clamp(value, 0.0, 100.0) / 100.0;
}

bool Constraint::RequestSnap() {
    if (IsLocked()) return false;
    snapPending_ = true;
    SetActive(true);
    return true;
}

void Constraint::Freeze(Model* model, bool scaling, bool rotation, bool translation, const EvaluationContext*) {
    if (!model) return;
    double local[16];
    const Model* parent = model->Parent();
    std::memcpy(local, model->GlobalMatrix(), sizeof local);
    if (parent) {
        double inverse[16];
        if (!cmath::Inverse(inverse, parent->GlobalMatrix())) return;
        cmath::Mult(local, inverse, local);
    }
    double t[3], rot[16], s[3], r[3];
    cmath::Decompose(local, t, rot, s);
    cmath::MatrixToEuler(r, rot);
    if (translation) model->TranslationProperty()->SetRaw(t);
    if (rotation) model->RotationProperty()->SetRaw(r);
    if (scaling) model->ScalingProperty()->SetRaw(s);
}

// ---------------------------------------------------------------------------
// Evaluation

void Constraint::UnconstrainedGlobal(const Model* model, double* out) {
    double local[16];
    model->LocalMatrix(local);
    if (const Model* parent = model->Parent())
        cmath::Mult(out, parent->GlobalMatrix(), local);
    else
        std::memcpy(out, local, sizeof local);
}

void Constraint::ApplyGlobal(Model* model, const double* global, double weight) {
    if (!model || !global) return;
    if (weight >= 1.0) {
        model->SetGlobalMatrix(global);
        return;
    }
    if (weight <= 0.0) return;
    double blended[16];
    cmath::Blend(blended, model->GlobalMatrix(), global, weight);
    model->SetGlobalMatrix(blended);
}

void Constraint::EvaluateConstraint(const EvaluationContext& context) {
    ConstraintInfo info;
    // The "Snap" action is a request that the evaluation takes.
    if (ReadBool(snap_)) {
        const bool off = false;
        snap_->SetRaw(&off);
        if (!IsLocked()) snapPending_ = true;
    }
    info.snapRequested = snapPending_ ? 1 : 0;
    info.zeroRequested = zeroPending_ ? 1 : 0;
    snapPending_ = zeroPending_ = false;
    if (info.zeroRequested) ZeroOffsets();
    if (info.snapRequested) TakeOffsets(context);
    Solve(context, info);
}

bool Constraint::EvaluateConstraintConnector(AnimationNode*, const EvaluationContext&, ConstraintInfo*) {
    return false;
}

void Constraint::Solve(const EvaluationContext& context, ConstraintInfo& info) {
    // The inputs read the models' current transforms.
    for (const ModelLink& link : links_) {
        const Model* model = static_cast<const Model*>(link.model.Get());
        if (link.output || !model) continue;
        double t[3], rot[16], s[3], values[3];
        cmath::Decompose(model->GlobalMatrix(), t, rot, s);
        switch (link.attribute) {
            case kConstraintTranslation: std::memcpy(values, t, sizeof t); break;
            case kConstraintRotation: cmath::MatrixToEuler(values, rot); break;
            default: std::memcpy(values, s, sizeof s); break;
        }
        link.node->WriteData(values, &context);
    }
    EvaluateConnectors(context);
    // Each driven model takes the attributes written for it, the others
    // staying as they are.
    const double weight = Weight(&context);
    for (std::size_t i = 0; i < links_.size(); ++i) {
        const ModelLink& link = links_[i];
        if (!link.output || !link.model.Get()) continue;
        EvaluateConstraintConnector(link.node, context, &info);
    }
    std::vector<Model*> done;
    for (const ModelLink& link : links_) {
        Model* model = static_cast<Model*>(link.model.Get());
        if (!link.output || !model || std::find(done.begin(), done.end(), model) != done.end()) continue;
        done.push_back(model);
        double t[3], rot[16], s[3];
        cmath::Decompose(model->GlobalMatrix(), t, rot, s);
        bool any = false;
        for (const ModelLink& other : links_) {
            if (!other.output || other.model.Get() != model || other.node->WrittenId() != context.evaluationId)
                continue;
            any = true;
            const double* v = other.node->LiveData();
            if (other.attribute == kConstraintTranslation) std::memcpy(t, v, sizeof t);
            if (other.attribute == kConstraintRotation) cmath::EulerToMatrix(rot, v);
            if (other.attribute == kConstraintScaling) std::memcpy(s, v, sizeof s);
        }
        if (!any) continue;
        double global[16];
        cmath::Compose(global, t, rot, s);
        ApplyGlobal(model, global, weight);
    }
}

// ---------------------------------------------------------------------------
// Connectors

AnimationNode* Constraint::ModelConnector(Model* model, int attribute, bool output) {
    if (!model || attribute < 0 || attribute > 2 || IsEnding()) return nullptr;
    for (const ModelLink& link : links_)
        if (link.model.Get() == model && link.attribute == attribute && link.output == output) return link.node;
    const std::string name = std::string(model->Name()) + "." + kAttributeNames[attribute];
    const DataType* type = DataType::Get(kDataVector);
    AnimationNode* node = output ? CreateOutConnector(0, name.c_str(), type, false)
                                 : CreateInConnector(0, name.c_str(), type, false);
    if (!node) return nullptr;
    links_.push_back(ModelLink{PlugHandle(model), node, attribute, output});
    BumpStructureVersion();
    return node;
}

AnimationNode* Constraint::ModelInConnector(Model* model, int attribute) {
    return ModelConnector(model, attribute, false);
}

AnimationNode* Constraint::ModelOutConnector(Model* model, int attribute) {
    return ModelConnector(model, attribute, true);
}

void Constraint::ReleaseConnectors() {
    for (int i = OutConnectorCount() - 1; i >= 0; --i) DestroyConnector(OutConnector(i));
    for (int i = InConnectorCount() - 1; i >= 0; --i) DestroyConnector(InConnector(i));
    if (!links_.empty()) BumpStructureVersion();
    links_.clear();
}

void Constraint::SetupAllConnectors(bool) {}

bool Constraint::SetupIgnored() { return gSetupIgnored.load() > 0; }
void Constraint::SetSetupIgnored(bool on) { gSetupIgnored += on ? 1 : -1; }

bool Constraint::IsLinked() const { return Scene::Main().SrcIndex(this) >= 0; }

bool Constraint::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    const bool ok = Box::PlugNotify(action, plug, index, plug2, type, plug3);
    if (!IsEnding() && plug == &Scene::Main() && (action == kActConnectedDst || action == kActDisconnectedDst)) {
        RemoveAllConnectors();
        SetupAllConnectors(false);
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Deformers

bool Constraint::BindDeformer(Model* model, int policy) {
    if (!model || !model->IsA(kClassModelMesh) || IsEnding()) return false;
    auto* mesh = static_cast<MeshModel*>(model);
    if (policy == 1) deformer_ = true;
    if (!mesh->AddDeformer(this)) return false;
    deformed_.emplace_back(model);
    return true;
}

bool Constraint::UnbindDeformer(Model* model) {
    if (!model || !model->IsA(kClassModelMesh)) return false;
    auto it = std::find_if(deformed_.begin(), deformed_.end(), [&](const PlugHandle& h) { return h.Get() == model; });
    if (it == deformed_.end()) return false;
    deformed_.erase(it);
    static_cast<MeshModel*>(model)->RemoveDeformer(this);
    return true;
}

bool Constraint::DeformerPreNotify(Model*, const EvaluationContext*, float*, float*) { return true; }

int Constraint::DeformerNotify(Model*, const float*, float*, int, const float*, float*) { return 0; }

// ---------------------------------------------------------------------------
// Copies and storage

Constraint* Constraint::Clone() { return nullptr; }

void Constraint::CopyConstraint(const Constraint& from) {
    if (&from == this) return;
    for (int g = 0; g < std::min(ReferenceGroupCount(), from.ReferenceGroupCount()); ++g)
        for (int i = 0, n = static_cast<int>(from.groups_.size()) > g ? static_cast<int>(from.groups_[static_cast<std::size_t>(g)].refs.size()) : 0; i < n; ++i)
            if (Object* object = from.Reference(g, i)) AddReference(g, object);
    for (int i = 0, n = from.PropertyCount(); i < n; ++i) {
        const Property* source = from.PropertyAt(i);
        Property* target = FindProperty(source->Name());
        if (!target || target->TypeId() != source->TypeId() || source->Type()->ValueSize() > 64) continue;
        alignas(double) unsigned char raw[64];
        if (source->GetRaw(raw) && target != active_) target->SetRaw(raw);
    }
    deformer_ = from.deformer_;
}

bool Constraint::StoreBox(dsx::ObjectStore& store) {
    if (!Box::StoreBox(store)) return false;
    if (!(store.Pass() & dsx::kPassFields)) return true;
    // References go by full name: the reader finds them once every object
    // of the file exists.
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
        int n = 0;
        for (const PlugHandle& h : groups_[static_cast<std::size_t>(g)].refs) {
            const Object* object = static_cast<const Object*>(h.Get());
            if (!object) continue;
            char field[48];
            std::snprintf(field, sizeof field, "Reference%d_%d", g, n++);
            store.WriteString(field, object->FullName());
        }
        char count[32];
        std::snprintf(count, sizeof count, "ReferenceCount%d", g);
        store.WriteInteger(count, n);
    }
    // Whether the constraint is a member of the main scene, so that it is
    // evaluated again once opened.
    store.WriteInteger("InScene", IsLinked() ? 1 : 0);
    store.WriteInteger("Deformer", deformer_ ? 1 : 0);
    int n = 0;
    for (const PlugHandle& h : deformed_)
        if (const Object* object = static_cast<const Object*>(h.Get())) {
            char field[32];
            std::snprintf(field, sizeof field, "Deformed%d", n++);
            store.WriteString(field, object->FullName());
        }
    store.WriteInteger("DeformedCount", n);
    return true;
}

void Constraint::RetrieveReferences(dsx::ObjectStore& store) {
    const bool locked = IsLocked();
    const bool off = false;
    lock_->SetRaw(&off);  // a locked constraint is stored whole
    Scene& scene = Scene::Main();
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
        char count[32];
        std::snprintf(count, sizeof count, "ReferenceCount%d", g);
        std::int64_t n = 0;
        store.ReadInteger(count, &n);
        for (int i = 0; i < n; ++i) {
            char field[48];
            std::snprintf(field, sizeof field, "Reference%d_%d", g, i);
            const char* name = store.ReadString(field);
            Object* object = name ? scene.FindObject(name) : nullptr;
            if (!object || !AddReference(g, object))
                store.Session().Warn(std::string("constraint '") + FullName() + "' lost its reference '" +
                                     (name ? name : "") + "'");
        }
    }
    std::int64_t deformer = 0, deformed = 0;
    store.ReadInteger("Deformer", &deformer);
    store.ReadInteger("DeformedCount", &deformed);
    for (int i = 0; i < deformed; ++i) {
        char field[32];
        std::snprintf(field, sizeof field, "Deformed%d", i);
        const char* name = store.ReadString(field);
        BindDeformer(AsModel(name ? scene.FindObject(name) : nullptr), 0);
    }
    deformer_ = deformer != 0;
    lock_->SetRaw(&locked);
}

bool Constraint::RetrieveBox(dsx::ObjectStore& store) {
    if (!Box::RetrieveBox(store)) return false;
    std::int64_t inScene = 0;
    if ((store.Pass() & dsx::kPassFields) && store.ReadInteger("InScene", &inScene) && inScene && !IsLinked() &&
        !Scene::Main().AddObject(this))
        return false;
    if (store.Pass() & dsx::kPassReferences) RetrieveReferences(store);
    return true;
}

// ---------------------------------------------------------------------------
// Solver

ConstraintSolver* ConstraintSolver::Create(const char* name) {
    return new ConstraintSolver(name ? name : "Solver", kClassConstraintSolver);
}

ConstraintSolver::ConstraintSolver(const char* name, int classId) : Constraint(name, classId) {
    precision_ = CreateProperty("SampleRecordingPrecision", kDataInteger);
    sync_ = CreateProperty("SyncAnimationPlay", kDataBool);
    const int precision = 30;
    precision_->SetRaw(&precision);
}

// ---------------------------------------------------------------------------
// Translations

namespace {

struct Texts {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, std::string> table;
};

Texts& TextTable() {
    static Texts* texts = new Texts;  // lives until the process ends
    return *texts;
}

}  // namespace

const char* TranslatedText(const char* group, const char* key) {
    if (!key) return nullptr;
    Texts& texts = TextTable();
    std::lock_guard<std::mutex> lock(texts.mutex);
    auto it = texts.table.find({group ? group : "", key});
    return it != texts.table.end() ? it->second.c_str() : key;
}

void SetTranslatedText(const char* group, const char* key, const char* text) {
    if (!key) return;
    Texts& texts = TextTable();
    std::lock_guard<std::mutex> lock(texts.mutex);
    if (text)
        texts.table[{group ? group : "", key}] = text;
    else
        texts.table.erase({group ? group : "", key});
}

}  // namespace velora
