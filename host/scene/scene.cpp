// The main scene: roots, object lists, takes, namespaces, clean-ups and
// evaluation.

#include "velora/scene.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>

#include "velora/animation.h"
#include "velora/class_registry.h"
#include "velora/data_type.h"
#include "velora/entity.h"
#include "velora/evaluation.h"
#include "velora/event_records.h"
#include "velora/file_reference.h"
#include "velora/namespace.h"
#include "velora/object_directory.h"
#include "velora/property.h"
#include "velora/timing.h"
#include "velora/trace.h"

namespace velora {

namespace {

// Each kind: its list name, the host class when the host has one, or the
// class to register (name, parent, full-name group) for kinds whose objects
// later parts of the host build.
struct KindInfo {
    const char* list;
    int builtin;
    const char* className;
    int parent;
    const char* group;
};

const KindInfo kKinds[kSceneKindCount] = {
    {"Takes", kClassTake, nullptr, 0, nullptr},
    {"Devices", kClassDevice, nullptr, 0, nullptr},
    {"Constraints", kClassConstraint, nullptr, 0, nullptr},
    {"Notes", 0, "Note", kClassBox, "Note"},
    {"Poses", 0, "Pose", kClassObject, "Pose"},
    {"ObjectPoses", 0, "ObjectPose", kClassObject, "ObjectPose"},
    {"Actors", 0, "Actor", kClassBox, "Actor"},
    {"ActorFaces", 0, "ActorFace", kClassBox, "ActorFace"},
    {"MarkerSets", 0, "MarkerSet", kClassBox, "MarkerSet"},
    {"CharacterMarkerSets", 0, "CharacterMarkerSet", kClassBox, "CharacterMarkerSet"},
    {"ControlSets", 0, "ControlSet", kClassBox, "ControlSet"},
    {"Characters", 0, "Character", kClassConstraint, "Character"},
    {"CharacterFaces", 0, "CharacterFace", kClassConstraint, "CharacterFace"},
    {"CharacterExtensions", 0, "CharacterExtension", kClassBox, "CharacterExtension"},
    {"CharacterPoses", 0, "CharacterPose", kClassObject, "CharacterPose"},
    {"Handles", 0, "Handle", kClassBox, "Handle"},
    {"HUDs", 0, "HUD", kClassBox, "HUD"},
    {"Groups", 0, "Group", kClassBox, "Group"},
    {"Sets", 0, "Set", kClassBox, "Set"},
    {"Namespaces", kClassNamespace, nullptr, 0, nullptr},
    {"FileReferences", kClassFileReference, nullptr, 0, nullptr},
    {"Components", kClassObject, nullptr, 0, nullptr},
    {"Materials", kClassMaterial, nullptr, 0, nullptr},
    {"Textures", kClassTexture, nullptr, 0, nullptr},
    {"Shaders", kClassShader, nullptr, 0, nullptr},
    {"Lights", kClassLight, nullptr, 0, nullptr},
    {"Deformers", 0, "Deformer", kClassBox, "Deformer"},
    {"Folders", kClassFolder, nullptr, 0, nullptr},
    {"AudioClips", 0, "AudioClip", kClassObject, "AudioClip"},
    {"VideoClips", 0, "VideoClip", kClassObject, "VideoClip"},
    {"MotionClips", 0, "MotionClip", kClassObject, "MotionClip"},
    {"Cameras", kClassCamera, nullptr, 0, nullptr},
    {"ConstraintSolvers", kClassConstraintSolver, nullptr, 0, nullptr},
    {"PhysicalProperties", kClassPhysicalProperties, nullptr, 0, nullptr},
    {"UserObjects", 0, "UserObject", kClassObject, "UserObject"},
    {"KeyingGroups", 0, "KeyingGroup", kClassBox, "KeyingGroup"},
    {"ModelSkeletons", kClassModelSkeleton, nullptr, 0, nullptr},
    {"ModelOpticals", kClassModelOptical, nullptr, 0, nullptr},
    {"Scripts", 0, "Script", kClassObject, "Script"},
    {"AudioInputs", 0, "AudioIn", kClassObject, "AudioIn"},
    {"AudioOutputs", 0, "AudioOut", kClassObject, "AudioOut"},
    {"VideoInputs", 0, "VideoIn", kClassObject, "VideoIn"},
    {"VideoOutputs", 0, "VideoOut", kClassObject, "VideoOut"},
};

std::atomic<AnimatedPropertyEvaluator> gEvaluator{nullptr};

bool Deletable(const Object* object) {
    return object && !object->IsEnding() && object->IsDeletable() && !object->HasObjectFlags(kObjectSystem);
}

// Whether an object belongs to namespace `name` (or below it, when
// recursive) and passes the content filters.
bool InNamespace(const Object* object, const std::string& name, bool recursive) {
    const char* part = object->NamespacePart();
    if (name == part) return true;
    return recursive && std::strncmp(part, name.c_str(), name.size()) == 0 && part[name.size()] == ':';
}

bool PassesFilters(const Object* object, std::uint32_t modFlags, int classId, bool derived) {
    if (modFlags && !(object->ModFlags() & modFlags)) return false;
    if (classId) {
        if (derived ? !ClassRegistry::Instance().IsA(object->ClassId(), classId)
                    : object->ClassId() != classId)
            return false;
    }
    return true;
}

bool IsNamespaceObject(const Object* object) {
    return ClassRegistry::Instance().IsA(object->ClassId(), kClassNamespace);
}

}  // namespace

int SceneKindClass(int kind) {
    if (kind < 0 || kind >= kSceneKindCount) return 0;
    const KindInfo& info = kKinds[kind];
    if (info.builtin) return info.builtin;
    return ClassRegistry::Instance().Register(info.className, info.parent, info.group);
}

const char* SceneKindName(int kind) {
    return kind < 0 || kind >= kSceneKindCount ? nullptr : kKinds[kind].list;
}

AnimatedPropertyEvaluator SetAnimatedPropertyEvaluator(AnimatedPropertyEvaluator evaluator) {
    return gEvaluator.exchange(evaluator);
}

// ---------------------------------------------------------------------------

Scene& Scene::Main() {
    // Never destroyed: objects ending at process exit may still leave it.
    static Scene* scene = new Scene;
    return *scene;
}

Scene::Scene() : Object("Scene", kClassScene) {
    SetObjectFlags(kObjectSystem | kObjectLocked);
    CreateProperty("Comments", kDataString, 0);
    EnsureRoots();
}

void Scene::EnsureRoots() {
    if (!globalRoot_.Get()) {
        Model* global = Model::Create("Global Root", kClassModelRoot);
        global->SetObjectFlags(kObjectSystem);
        globalRoot_.Reset(global);
    }
    if (!root_.Get()) {
        Model* root = Model::Create("Scene Root", kClassModelRoot);
        root->SetObjectFlags(kObjectSystem);
        root->SetParent(GlobalRootModel(), 0);
        root_.Reset(root);
    }
}

bool Scene::AddModel(Model* model) {
    if (!model || model->IsEnding()) return false;
    if (model == RootModel() || model == GlobalRootModel()) return false;
    const bool added = MainEntity::Instance().AddModelToScene(model);
    if (!model->Parent()) model->SetParent(RootModel());
    if (added) {
        SceneChangeRecord record;
        record.type = 1;
        record.subType = 1;
        record.subject = this;
        record.component = model;
        record.child = model->Parent();
        changeEvents_.Raise(record);
    }
    return added;
}

bool Scene::RemoveModel(Model* model) {
    if (!model || !MainEntity::Instance().RemoveModelFromScene(model)) return false;
    Model* parent = model->Parent();
    int at = model->IndexInParent();
    while (model->ChildCount() > 0) {
        Model* child = model->ChildModel(0);
        if (!child) break;
        child->SetParent(parent, parent ? at++ : -1);
    }
    model->SetParent(nullptr);
    SceneChangeRecord record;
    record.type = 1;
    record.subType = 2;
    record.subject = this;
    record.component = model;
    changeEvents_.Raise(record);
    return true;
}

bool Scene::AddObject(Object* object) {
    if (!object || object == this || object->IsEnding() || AsModel(object)) return false;
    if (!ConnectSrc(object)) return false;
    SceneChangeRecord record;
    record.type = 1;
    record.subType = 1;
    record.subject = this;
    record.component = object;
    changeEvents_.Raise(record);
    return true;
}

bool Scene::RemoveObject(Object* object) {
    if (!object || !DisconnectSrc(object)) return false;
    if (currentTake_.Get() == object) currentTake_ = PlugHandle();
    SceneChangeRecord record;
    record.type = 1;
    record.subType = 2;
    record.subject = this;
    record.component = object;
    changeEvents_.Raise(record);
    return true;
}

int Scene::ObjectCount(int kind) const {
    const int classId = SceneKindClass(kind);
    if (!classId) return 0;
    int count = 0;
    for (int i = 0; i < SrcCount(); ++i)
        if (Src(i)->IsA(classId)) ++count;
    return count;
}

Object* Scene::ObjectAt(int kind, int i) const {
    const int classId = SceneKindClass(kind);
    if (!classId || i < 0) return nullptr;
    for (int s = 0; s < SrcCount(); ++s) {
        Plug* plug = Src(s);
        if (plug->IsA(classId) && i-- == 0) return AsObject(plug);
    }
    return nullptr;
}

Object* Scene::FindObject(const char* fullName) const {
    return fullName ? ObjectDirectory::Instance().FindByFullName(fullName) : nullptr;
}

bool Scene::SetCurrentTake(Object* take) {
    if (!take || !take->IsA(kClassTake) || SrcIndex(take) < 0) return false;
    if (currentTake_.Get() == take) return true;
    currentTake_.Reset(take);
    TakeChangeRecord record;
    record.type = 1;
    record.subType = 1;
    record.subject = this;
    record.take = take;
    takeEvents_.Raise(record);
    return true;
}

// ---------------------------------------------------------------------------
// Namespaces

bool Scene::NamespaceExists(const char* name) const { return GetNamespace(name) != nullptr; }

Namespace* Scene::GetNamespace(const char* name) const { return Namespace::Find(name); }

bool Scene::NamespaceEmpty(const char* name) const {
    if (!NamespaceExists(name)) return false;
    std::vector<Object*> content;
    return NamespaceContent(name, 0, true, 0, true, &content) == 0;
}

int Scene::NamespaceCleanup() {
    int removed = 0;
    for (bool again = true; again;) {
        again = false;
        for (Object* object : ObjectDirectory::Instance().Livings()) {
            if (!IsNamespaceObject(object) || !Deletable(object)) continue;
            std::vector<std::string> children;
            if (NamespaceEmpty(object->LabelName()) &&
                NamespaceChildren(object->LabelName(), false, &children) == 0) {
                object->Destroy(0);
                ++removed;
                again = true;
                break;  // the living list changed
            }
        }
    }
    return removed;
}

FileReference* Scene::NamespaceOwnerFileReference(const char* name) const {
    if (!name) return nullptr;
    std::string path = name;
    while (!path.empty()) {
        Namespace* ns = Namespace::Find(path.c_str());
        if (ns && ns->IsA(kClassFileReference)) return static_cast<FileReference*>(ns);
        const auto colon = path.rfind(':');
        if (colon == std::string::npos) break;
        path.resize(colon);
    }
    return nullptr;
}

int Scene::NamespaceChildren(const char* name, bool recursive, std::vector<std::string>* out) const {
    if (!name || !out) return 0;
    const std::string prefix = std::string(name) + ":";
    int count = 0;
    for (Object* object : ObjectDirectory::Instance().Livings()) {
        if (!IsNamespaceObject(object)) continue;
        const char* label = object->LabelName();
        if (std::strncmp(label, prefix.c_str(), prefix.size()) != 0) continue;
        if (!recursive && std::strchr(label + prefix.size(), ':')) continue;
        out->emplace_back(label);
        ++count;
    }
    return count;
}

int Scene::NamespaceContent(const char* name, std::uint32_t modFlags, bool recursive, int classId,
                            bool derived, std::vector<Object*>* out) const {
    if (!name || !*name || !out) return 0;
    const std::string ns = name;
    int count = 0;
    for (Object* object : ObjectDirectory::Instance().Livings()) {
        if (object->IsEnding() || IsNamespaceObject(object)) continue;
        if (!InNamespace(object, ns, recursive) || !PassesFilters(object, modFlags, classId, derived))
            continue;
        out->push_back(object);
        ++count;
    }
    return count;
}

int Scene::DeleteAll(std::vector<Object*>& doomed) {
    // Handles first: ending one object may end others (owned plugs).
    std::vector<PlugHandle> handles;
    for (Object* object : doomed) handles.emplace_back(object);
    int count = 0;
    for (PlugHandle& handle : handles) {
        Object* object = AsObject(handle.Get());
        if (!Deletable(object)) continue;
        object->Destroy(0);
        ++count;
    }
    return count;
}

bool Scene::NamespaceDelete(const char* name) {
    Namespace* ns = GetNamespace(name);
    if (!ns) return false;
    const std::string path = name;
    std::vector<Object*> doomed;
    NamespaceContent(path.c_str(), 0, true, 0, true, &doomed);
    std::vector<std::string> children;
    NamespaceChildren(path.c_str(), true, &children);
    // The deepest namespaces go first, so no namespace outlives its parent.
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (Namespace* child = Namespace::Find(it->c_str())) doomed.push_back(child);
    doomed.push_back(ns);
    DeleteAll(doomed);
    return true;
}

bool Scene::NamespaceDeleteContent(const char* name, std::uint32_t modFlags, bool recursive,
                                   int classId, bool derived) {
    if (!NamespaceExists(name)) return false;
    std::vector<Object*> doomed;
    NamespaceContent(name, modFlags, recursive, classId, derived, &doomed);
    DeleteAll(doomed);
    return true;
}

bool Scene::NamespaceRename(const char* oldName, const char* newName, bool recursive, int classId,
                            bool derived) {
    if (!NamespaceExists(oldName) || !IsValidNamespaceName(newName)) return false;
    const std::string from = oldName, to = newName;
    if (from == to) return true;
    if (!Namespace::Find(to.c_str()) && !Namespace::Create(to.c_str())) return false;
    std::vector<Object*> content;
    NamespaceContent(from.c_str(), 0, recursive, classId, derived, &content);
    std::vector<std::string> children;
    if (recursive) NamespaceChildren(from.c_str(), true, &children);
    BeginRenameTransaction();
    for (Object* object : content)
        ApplyNamespaceAction(object, kNamespaceReplace, from.c_str(), to.c_str(), false, false);
    for (const std::string& child : children) {
        const std::string renamed = to + child.substr(from.size());
        if (!Namespace::Find(renamed.c_str())) Namespace::Create(renamed.c_str());
    }
    EndRenameTransaction();
    return true;
}

void Scene::NamespaceSelectContent(const char* name, bool select, std::uint32_t modFlags,
                                   bool recursive, int classId, bool derived) {
    std::vector<Object*> content;
    NamespaceContent(name, modFlags, recursive, classId, derived, &content);
    for (Object* object : content) object->Select(select);
}

bool Scene::NamespaceExport(const char* name, const char* path, bool recursive) const {
    if (!NamespaceExists(name) || !path || !*path) return false;
    std::vector<Object*> content;
    NamespaceContent(name, 0, recursive, 0, true, &content);
    FILE* file = std::fopen(path, "w");
    if (!file) return false;
    std::fprintf(file, "velora namespace %s\n", name);
    for (const Object* object : content)
        std::fprintf(file, "%s\t%s\t%s\n", ClassRegistry::Instance().Name(object->ClassId()),
                     object->NamespacePart(), object->Name());
    return std::fclose(file) == 0;
}

bool Scene::NamespaceImport(const std::vector<std::string>& targets, const char* objectNamespace,
                            bool skipExisting) {
    if (!NamespaceExists(objectNamespace)) return false;
    for (const std::string& target : targets)
        if (!IsValidNamespaceName(target.c_str())) return false;
    std::vector<Object*> content;
    NamespaceContent(objectNamespace, 0, false, 0, true, &content);
    for (const std::string& target : targets) {
        if (!Namespace::Find(target.c_str()) && !Namespace::Create(target.c_str())) return false;
        std::map<Object*, Object*> copies;
        for (Object* object : content) {
            const std::string label = target + ":" + object->Name();
            const std::string full =
                std::string(ClassRegistry::Instance().Group(object->ClassId())) + "::" + label;
            if (Object* existing = FindObject(full.c_str()); existing && skipExisting) {
                copies[object] = existing;
                continue;
            }
            Object* copy = AsModel(object) ? static_cast<Object*>(Model::Create(label.c_str(), object->ClassId()))
                                           : Object::Create(label.c_str(), object->ClassId());
            copy->SetOwnerNamespace(Namespace::Find(target.c_str()));
            copies[object] = copy;
        }
        // Models keep their parents among the copies; the others join the
        // scene's top level.
        for (auto& [original, copy] : copies) {
            Model* model = AsModel(copy);
            if (!model || MainEntity::Instance().InScene(model)) continue;
            Model* parent = AsModel(original)->Parent();
            auto found = parent ? copies.find(parent) : copies.end();
            if (found != copies.end()) model->SetParent(AsModel(found->second));
            AddModel(model);
        }
        for (auto& [original, copy] : copies)
            if (!AsModel(copy) && SrcIndex(copy) < 0 && SrcIndex(original) >= 0) AddObject(copy);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Clean-ups

int Scene::CleanEmptyGroups() {
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kSceneGroups); ++i)
        if (Object* group = ObjectAt(kSceneGroups, i); group->SrcCount() == 0) doomed.push_back(group);
    return DeleteAll(doomed);
}

int Scene::CleanEmptySets() {
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kSceneSets); ++i)
        if (Object* set = ObjectAt(kSceneSets, i); set->SrcCount() == 0) doomed.push_back(set);
    return DeleteAll(doomed);
}

namespace {

// The boxes of a relation constraint are the objects it owns.
std::vector<Object*> OwnedBoxes(Object* relation) {
    std::vector<Object*> boxes;
    for (int i = 0; i < relation->OwnedCount(); ++i)
        if (Object* box = AsObject(relation->Owned(i)); box && box->IsA(kClassBox)) boxes.push_back(box);
    return boxes;
}

}  // namespace

int Scene::CleanEmptyRelationConstraints() {
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = ObjectAt(kSceneConstraints, i);
        if (constraint->IsA(kClassConstraintRelation) && OwnedBoxes(constraint).empty())
            doomed.push_back(constraint);
    }
    return DeleteAll(doomed);
}

int Scene::CleanInactiveConstraints() {
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = ObjectAt(kSceneConstraints, i);
        // A constraint without an "Active" switch cannot be turned off.
        Property* active = constraint->FindProperty("Active");
        bool on = true;
        if (active && active->TypeId() == kDataBool) active->GetRaw(&on);
        if (!on) doomed.push_back(constraint);
    }
    return DeleteAll(doomed);
}

int Scene::CleanRelationConstraintsUnusedBoxes() {
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = ObjectAt(kSceneConstraints, i);
        if (!constraint->IsA(kClassConstraintRelation)) continue;
        for (Object* box : OwnedBoxes(constraint))
            if (box->SrcCount() == 0 && box->DstCount() == 0) doomed.push_back(box);
    }
    return DeleteAll(doomed);
}

int Scene::CleanUnused(int kind) {
    if (kind < 0 || kind >= kSceneKindCount) return 0;
    std::vector<Object*> doomed;
    for (int i = 0; i < ObjectCount(kind); ++i) {
        Object* object = ObjectAt(kind, i);
        // Used: connected to anything besides the scene that lists it.
        bool used = object->SrcCount() > 0;
        for (int d = 0; !used && d < object->DstCount(); ++d) used = object->Dst(d) != this;
        if (!used) doomed.push_back(object);
    }
    return DeleteAll(doomed);
}

// ---------------------------------------------------------------------------
// Evaluation

void Scene::NotifyPointCaches() { ++stats_.pointCacheNotifications; }

bool Scene::EvaluateAndResolveCandidates(long long time) {
    ++stats_.candidateResolves;
    stats_.lastCandidateTime = time;
    return true;
}

void Scene::SyncNodeAttributes() { ++stats_.attributeSyncs; }

namespace {

// Deformable meshes live in the hierarchy; one walk reaches them all.
void SyncBranch(Model* model) {
    if (model->IsA(kClassModelMesh)) static_cast<MeshModel*>(model)->SyncDeformation();
    for (int i = 0, n = model->ChildCount(); i < n; ++i)
        if (Model* child = model->ChildModel(i)) SyncBranch(child);
}

}  // namespace

void Scene::SyncDeformables() {
    ++stats_.deformableSyncs;
    if (Model* global = GlobalRootModel()) SyncBranch(global);
}

namespace {

void UpdateBranch(Model* model, const double* parentGlobal) {
    model->UpdateGlobal(parentGlobal);
    for (int i = 0; i < model->ChildCount(); ++i)
        if (Model* child = model->ChildModel(i)) UpdateBranch(child, model->GlobalMatrix());
}

}  // namespace

void Scene::UpdateTransformHierarchy() {
    ++stats_.transformUpdates;
    if (Model* global = GlobalRootModel()) UpdateBranch(global, nullptr);
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

void Scene::EvaluateModel(Model* model, const double* parentGlobal, long long time) {
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

void Scene::EvaluateAt(long long time) {
    EvaluationManager& manager = EvaluationManager::Instance();
    manager.Raise(kTimingEvaluationBegin);
    manager.Raise(kTimingDevicesEvaluated);
    if (Model* global = GlobalRootModel()) EvaluateModel(global, nullptr, time);
    manager.Raise(kTimingSceneEvaluated);
    ++frameStamp_;
    ++stats_.evaluations;
    stats_.lastEvaluatedTime = time;
    manager.Raise(kTimingEvaluationEnd);
}

// ---------------------------------------------------------------------------

void Scene::NewFile(bool prompt, bool keepSystem) {
    Trace::Instance().Printf(0, "New scene%s\n", prompt ? " (no one to ask: not prompted)" : "");
    std::vector<PlugHandle> doomed;
    MainEntity& entity = MainEntity::Instance();
    for (int i = 0; i < entity.SceneModelCount(); ++i) doomed.emplace_back(entity.SceneModel(i));
    for (int i = 0; i < SrcCount(); ++i) doomed.emplace_back(Src(i));
    for (PlugHandle& handle : doomed) {
        Object* object = AsObject(handle.Get());
        if (!object || object->IsEnding()) continue;
        if (keepSystem && object->HasObjectFlags(kObjectSystem)) continue;
        if (!object->IsDeletable()) continue;
        object->Destroy(0);
    }
    currentTake_ = PlugHandle();
    EnsureRoots();
}

void Scene::BeginUndo(const char* name) {
    if (undoDepth_++ == 0) undo_.push_back(UndoTransactionRecord{name ? name : "", {}});
}

void Scene::AddUndoRecord(const char* description) {
    if (undoDepth_ > 0) undo_.back().records.emplace_back(description ? description : "");
}

void Scene::EndUndo() {
    if (undoDepth_ > 0) --undoDepth_;
}

}  // namespace velora
