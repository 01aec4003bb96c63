// The main scene: roots, object lists and takes.

#include "velora/scene.h"

#include <vector>

#include "scene/scene_objects.h"
#include "velora/class_registry.h"
#include "velora/data_type.h"
#include "velora/entity.h"
#include "velora/event_records.h"
#include "velora/object_directory.h"
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

}  // namespace

bool SceneMayDelete(const Object* object) {
    return object && !object->IsEnding() && object->IsDeletable() && !object->HasObjectFlags(kObjectSystem);
}

int DeleteSceneObjects(const std::vector<Object*>& doomed) {
    // Handles first: ending one object may end others (owned plugs).
    std::vector<PlugHandle> handles;
    for (Object* object : doomed) handles.emplace_back(object);
    int count = 0;
    for (PlugHandle& handle : handles) {
        Object* object = AsObject(handle.Get());
        if (!SceneMayDelete(object)) continue;
        object->Destroy(0);
        ++count;
    }
    return count;
}

int SceneKindClass(int kind) {
    if (kind < 0 || kind >= kSceneKindCount) return 0;
    const KindInfo& info = kKinds[kind];
    if (info.builtin) return info.builtin;
    return ClassRegistry::Instance().Register(info.className, info.parent, info.group);
}

const char* SceneKindName(int kind) {
    return kind < 0 || kind >= kSceneKindCount ? nullptr : kKinds[kind].list;
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
    if (!iconRoot_.Get()) {
        Model* icons = Model::Create("3D Icons Root", kClassModelRoot);
        icons->SetObjectFlags(kObjectSystem);
        icons->SetParent(GlobalRootModel());
        iconRoot_.Reset(icons);
    }
}

bool Scene::AddModel(Model* model) {
    if (!model || model->IsEnding()) return false;
    if (model == RootModel() || model == GlobalRootModel() || model == IconRootModel()) return false;
    const bool added = MainEntity::Instance().AddModelToScene(model);
    if (!model->Parent()) model->SetParent(model->IsIcon3D() ? IconRootModel() : RootModel());
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
    BumpStructureVersion();  // the scene now evaluates this take's curves
    TakeChangeRecord record;
    record.type = 1;
    record.subType = 1;
    record.subject = this;
    record.take = take;
    takeEvents_.Raise(record);
    return true;
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

}  // namespace velora
