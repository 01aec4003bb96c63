// LyScene and the model searches: thin forwards to the host's scene.

#include "lysdk/lyscene.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <velora/entity.h>
#include <velora/file_reference.h>
#include <velora/model.h>
#include <velora/namespace.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/undo.h>
#include <velora/timing.h>

#include "core/host_access.h"
#include "lysdk/lysystem.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyScene, velora::kClassScene);

namespace {

velora::Scene& Main() { return velora::Scene::Main(); }

LyModel* ModelWrapper(velora::Object* object) {
    LyComponent* component = object ? LyGetLyComponent(object, true) : nullptr;
    return component && component->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(component) : nullptr;
}

velora::Model* HostModel(const LyPlug* plug) { return velora::AsModel(__LyHostObject(plug)); }

// The main scene, when this wrapper is over it; other scene objects only
// have their object lists.
velora::Scene* HostScene(const LyScene* scene) {
    return __LyHostObject(scene) == &Main() ? &Main() : nullptr;
}

LyModel* GetRootModel(void* self) {
    velora::Scene* scene = HostScene(static_cast<LyScene*>(self));
    return scene ? ModelWrapper(scene->RootModel()) : nullptr;
}

LyRenderer* GetRenderer(void*) { return nullptr; }  // the host has no renderer object yet

int HostClass(int typeId) { return typeId ? __LyGetInternalClassId(typeId) : 0; }

std::vector<std::string> ToVector(const LyStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i) {
        const char* item = list.GetAt(i);
        out.emplace_back(item ? item : "");
    }
    return out;
}

}  // namespace

LyScene::LyScene(HIObject object)
    : LyComponent(object ? object : static_cast<IObject*>(&velora::Scene::Main())) {
    IObject* host = GetHIObject();
    InitList(Takes, velora::kSceneTakes);
    InitList(Devices, velora::kSceneDevices);
    velora::Object* hostObject = __LyHostObject(this);
    if (velora::Property* comments = hostObject ? hostObject->FindProperty("Comments") : nullptr)
        Comments.SetInternal(comments);
    else
        Comments.Init(this, "Comments");
    PropertyAdd(&Comments);
    // Sub-type 0 hears every change (added, removed, made current).
    velora::Scene* scene = HostScene(this);
    OnChange.Init(this, scene ? &scene->ChangeEvents() : nullptr, "OnChange", 1, 0);
    PropertyAdd(&OnChange);
    OnTakeChange.Init(this, scene ? &scene->TakeChangeEvents() : nullptr, "OnTakeChange", 1, 0);
    PropertyAdd(&OnTakeChange);
    RootModel.Init(this, "RootModel", &GetRootModel);
    PropertyAdd(&RootModel);
    Renderer.Init(this, "Renderer", &GetRenderer);
    PropertyAdd(&Renderer);
    LyPropertyListComponent* lists[] = {
        &Constraints, &Notes, &Poses, &ObjectPoses, &Actors, &ActorFaces, &MarkerSets,
        &CharacterMarkerSets, &ControlSets, &Characters, &CharacterFaces, &CharacterExtensions,
        &CharacterPoses, &Handles, &HUDs, &Groups, &Sets, &Namespaces, &FileReferences,
        &Components, &Materials, &Textures, &Shaders, &Lights, &Deformers, &Folders, &AudioClips,
        &VideoClips, &MotionClips, &Cameras, &ConstraintSolvers, &PhysicalProperties,
        &UserObjects, &KeyingGroups, &ModelSkeletons, &ModelOpticals};
    int kind = velora::kSceneConstraints;
    for (LyPropertyListComponent* list : lists) InitList(*list, kind++);
    (void)host;
}

void LyScene::InitList(LyPropertyListComponent& list, int kind) {
    list.Init(GetHIObject(), velora::SceneKindName(kind));
    list.SetClassId(velora::SceneKindClass(kind));
    PropertyAdd(&list);
}

bool LyScene::Evaluate() {
    velora::Scene& scene = Main();
    scene.Evaluator().NotifyPointCaches();
    scene.Evaluator().EvaluateAndResolveCandidates(LLONG_MAX);
    scene.Evaluator().SyncNodeAttributes();
    scene.Evaluator().SyncDeformables();
    scene.Evaluator().UpdateTransformHierarchy();
    const long long now = velora::TimingManager::Instance().LocalTime();
    scene.Evaluator().EvaluateAt(now);
    return true;
}

bool LyScene::CandidateEvaluationAndResolve() { return Main().Evaluator().EvaluateAndResolveCandidates(LLONG_MAX); }

namespace {

void DeformBranch(velora::Model* model, std::uint64_t stamp) {
    if (model->IsA(velora::kClassModelMesh)) {
        auto* mesh = static_cast<velora::MeshModel*>(model);
        if (mesh->IsDeformable()) {
            mesh->SyncDeformation();
            double box[6];
            mesh->EvaluateLinks(box);
            mesh->SetFrameStamp(stamp);
            mesh->UpdateDeformationData();
            if (mesh->NeedsLinkRecompute()) mesh->RecomputeLinks();
        }
    }
    for (int i = 0; i < model->ChildCount(); ++i)
        if (velora::Model* child = model->ChildModel(i)) DeformBranch(child, stamp);
}

}  // namespace

bool LyScene::EvaluateDeformations() {
    LyModel* root = RootModel;
    if (velora::Model* model = HostModel(root)) DeformBranch(model, Main().Evaluator().FrameStamp());
    return true;
}

void LyScene::Clear() { Main().NewFile(false, true); }

int LyScene::CleanEmptyGroups() { return Main().Cleanup().EmptyGroups(); }
int LyScene::CleanEmptySets() { return Main().Cleanup().EmptySets(); }
int LyScene::CleanEmptyRelationConstraints() { return Main().Cleanup().EmptyRelationConstraints(); }
int LyScene::CleanInactiveConstraints() { return Main().Cleanup().InactiveConstraints(); }
int LyScene::CleanRelationConstraintsUnusedBoxes() { return Main().Cleanup().RelationConstraintsUnusedBoxes(); }
int LyScene::CleanUnusedAudioClips() { return Main().Cleanup().Unused(velora::kSceneAudioClips); }
int LyScene::CleanUnusedMaterials() { return Main().Cleanup().Unused(velora::kSceneMaterials); }
int LyScene::CleanUnusedShaders() { return Main().Cleanup().Unused(velora::kSceneShaders); }
int LyScene::CleanUnusedTextures() { return Main().Cleanup().Unused(velora::kSceneTextures); }
int LyScene::CleanUnusedVideoClips() { return Main().Cleanup().Unused(velora::kSceneVideoClips); }

bool LyScene::NamespaceExist(const char* name) { return Main().Namespaces().Exists(name); }
bool LyScene::NamespaceEmpty(const char* name) { return Main().Namespaces().Empty(name); }

bool LyScene::NamespaceCleanup() {
    Main().Namespaces().Cleanup();
    return true;
}

LyNamespace* LyScene::NamespaceGet(const char* name) {
    velora::Namespace* ns = Main().Namespaces().Get(name);
    return reinterpret_cast<LyNamespace*>(ns ? LyGetLyComponent(ns, true) : nullptr);
}

LyFileReference* LyScene::NamespaceGetOwnerFileReference(const char* name) {
    velora::FileReference* reference = Main().Namespaces().OwnerFileReference(name);
    return reinterpret_cast<LyFileReference*>(reference ? LyGetLyComponent(reference, true) : nullptr);
}

int LyScene::NamespaceGetChildrenList(LyStringList& children, const char* name, bool recursive) {
    std::vector<std::string> names;
    Main().Namespaces().Children(name, recursive, &names);
    for (const std::string& child : names) children.Add(child.c_str());
    return children.GetCount();
}

void LyScene::NamespaceGetContentList(LyArrayTemplate<LyComponent*>& content, const char* name,
                                      LyPlugModificationFlag modFlags, bool recursive, int typeId,
                                      bool derived) {
    content.Clear();
    std::vector<velora::Object*> objects;
    Main().Namespaces().Content(name, modFlags, recursive, HostClass(typeId), derived, &objects);
    for (velora::Object* object : objects)
        if (LyComponent* component = LyGetLyComponent(object, true)) content.Add(component);
}

bool LyScene::NamespaceDelete(const char* name) {
    velora::Scene& scene = Main();
    velora::Namespace* ns = scene.Namespaces().Get(name);
    if (ns && ns->IsA(velora::kClassFileReference) && scene.ConstructionHistoryState() != 1) {
        // Deleting a reference can be undone: the record brings the
        // reference back with everything it held.
        std::vector<velora::Object*> doomed;
        scene.Namespaces().DeletionSet(name, &doomed);
        velora::UndoStack& undo = velora::UndoStack::Instance();
        undo.Begin("Delete References");
        undo.AddObjectsDestroyed(doomed);
        undo.End();
    }
    return scene.Namespaces().Delete(name);
}

bool LyScene::NamespaceDeleteContent(const char* name, LyPlugModificationFlag modFlags,
                                     bool recursive, int typeId, bool derived) {
    return Main().Namespaces().DeleteContent(name, modFlags, recursive, HostClass(typeId), derived);
}

bool LyScene::NamespaceRename(const char* oldName, const char* newName, bool recursive, int typeId,
                              bool derived) {
    return Main().Namespaces().Rename(oldName, newName, recursive, HostClass(typeId), derived);
}

void LyScene::NamespaceSelectContent(const char* name, bool select, LyPlugModificationFlag modFlags,
                                     bool recursive, int typeId, bool derived) {
    Main().Namespaces().SelectContent(name, select, modFlags, recursive, HostClass(typeId), derived);
}

bool LyScene::NamespaceExport(const char* name, const char* path, bool recursive) {
    return Main().Namespaces().Export(name, path, recursive);
}

bool LyScene::NamespaceImport(const char* targets, const char* objectNamespace, bool skipExisting) {
    if (!targets) return false;
    return Main().Namespaces().Import(ToVector(LyStringList(targets, '~')), objectNamespace, skipExisting);
}

bool LyScene::NamespaceImportToMultiple(const LyStringList& targets, const char* objectNamespace,
                                        bool undoable) {
    velora::Scene& scene = Main();
    const std::vector<std::string> names = ToVector(targets);
    if (!undoable) return scene.Namespaces().Import(names, objectNamespace, false);
    // The record holds what the import made (namespaces and their
    // objects): undo removes it, redo brings it back.
    auto existing = [&](std::vector<velora::Object*>* out) {
        for (const std::string& target : names)
            scene.Namespaces().DeletionSet(target.c_str(), out);
    };
    std::vector<velora::Object*> before;
    existing(&before);
    std::vector<velora::PlugHandle> known(before.begin(), before.end());
    velora::UndoStack& undo = velora::UndoStack::Instance();
    undo.Begin("Import References");
    const bool imported = scene.Namespaces().Import(names, objectNamespace, false);
    std::vector<velora::Object*> after, made;
    existing(&after);
    for (velora::Object* object : after) {
        bool old = false;
        for (const velora::PlugHandle& handle : known) old = old || handle.Get() == object;
        if (!old) made.push_back(object);
    }
    if (!made.empty()) undo.AddObjectsCreated(made);
    undo.End();
    return imported;
}

void LyScene::GetScriptsPaths(LyStringList& paths) {
    velora::Scene& scene = Main();
    for (int i = 0; i < scene.ObjectCount(velora::kSceneScripts); ++i) {
        velora::Object* script = scene.ObjectAt(velora::kSceneScripts, i);
        velora::Property* path = script->FindProperty("Path");
        const char* text = nullptr;
        if (path && path->TypeId() == velora::kDataString) path->GetRaw(&text);
        paths.Add(text ? text : "");
    }
}

// ---------------------------------------------------------------------------
// Free functions

LyModel* LyFindModelByLabelName(const char* label) {
    if (!label) return nullptr;
    const std::string full = std::string("Model::") + label;
    return ModelWrapper(Main().FindObject(full.c_str()));
}

LyModel* LyFindModelByUniqueColorId(const LyColor& color, int* subItem) {
    auto byte = [](double component) {
        // Truncated toward zero: 0.999 is byte 254, as the picking pass
        // wrote it; values outside 0..1 are held at the ends.
        const double scaled = component * 255.0;
        if (!(scaled > 0.0)) return std::uint8_t(0);
        if (scaled >= 255.0) return std::uint8_t(255);
        return static_cast<std::uint8_t>(scaled);
    };
    int found = -1;
    velora::Model* model = velora::Model::FindByColor(byte(color[0]), byte(color[1]), byte(color[2]), 255, &found);
    if (subItem) *subItem = found;
    return ModelWrapper(model);
}

namespace {

void FindOfType(LyArrayTemplate<LyModel*>& list, int typeId, LyModel* model) {
    if (model->Is(typeId)) list.InsertAt(0, model);
    velora::Model* host = HostModel(model);
    if (!host) return;
    for (int i = host->ChildCount() - 1; i >= 0; --i)
        if (LyModel* child = ModelWrapper(host->ChildModel(i))) FindOfType(list, typeId, child);
}

void FindSelected(LyArrayTemplate<LyModel*>& list, LyModel* model, bool selected) {
    if (static_cast<bool>(model->Selected) == selected) list.Add(model);
    velora::Model* host = HostModel(model);
    if (!host) return;
    for (int i = host->ChildCount() - 1; i >= 0; --i)
        if (LyModel* child = ModelWrapper(host->ChildModel(i))) FindSelected(list, child, selected);
}

}  // namespace

void LyFindModelsOfType(LyArrayTemplate<LyModel*>& list, int typeId, LyModel* parent) {
    if (!parent) parent = LySystem::TheOne().RootModel;
    if (parent) FindOfType(list, typeId, parent);
}

void LyGetSelectedModels(LyArrayTemplate<LyModel*>& list, LyModel* parent, bool selected,
                         bool sortBySelectionOrder) {
    if (!parent) parent = LySystem::TheOne().SceneRootModel;
    if (!parent) return;
    const int first = list.GetCount();
    FindSelected(list, parent, selected);
    if (!sortBySelectionOrder || list.GetCount() - first < 2) return;
    std::vector<LyModel*> found;
    for (int i = first; i < list.GetCount(); ++i) found.push_back(list[i]);
    auto order = [](LyModel* model) {
        velora::Model* host = HostModel(model);
        return host ? host->SelectionOrder() : 0;
    };
    std::sort(found.begin(), found.end(), [&](LyModel* a, LyModel* b) { return order(a) > order(b); });
    for (int i = first; i < list.GetCount(); ++i) list.SetAt(i, found[i - first]);
}

LyModel* LyGetLastSelectedModel() { return ModelWrapper(velora::Model::LastSelected()); }

void LySetLastSelectedModel(LyModel* model) {
    if (velora::Model* host = HostModel(model)) velora::Model::SetLastSelected(host);
}

LYSDK_END_NAMESPACE
