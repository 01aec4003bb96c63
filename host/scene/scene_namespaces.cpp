// Namespace operations over the whole scene.

#include "velora/scene_namespaces.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "scene/scene_objects.h"
#include "velora/class_registry.h"
#include "velora/entity.h"
#include "velora/file_reference.h"
#include "velora/namespace.h"
#include "velora/object_directory.h"
#include "velora/scene.h"

namespace velora {

namespace {

// Whether an object belongs to namespace `name` (or below it, when
// recursive).
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


bool SceneNamespaces::Exists(const char* name) const { return Get(name) != nullptr; }

Namespace* SceneNamespaces::Get(const char* name) const { return Namespace::Find(name); }

bool SceneNamespaces::Empty(const char* name) const {
    if (!Exists(name)) return false;
    std::vector<Object*> content;
    return Content(name, 0, true, 0, true, &content) == 0;
}

int SceneNamespaces::Cleanup() {
    int removed = 0;
    for (bool again = true; again;) {
        again = false;
        for (Object* object : ObjectDirectory::Instance().Livings()) {
            if (!IsNamespaceObject(object) || !SceneMayDelete(object)) continue;
            std::vector<std::string> children;
            if (Empty(object->LabelName()) &&
                Children(object->LabelName(), false, &children) == 0) {
                object->Destroy(0);
                ++removed;
                again = true;
                break;  // the living list changed
            }
        }
    }
    return removed;
}

FileReference* SceneNamespaces::OwnerFileReference(const char* name) const {
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

int SceneNamespaces::Children(const char* name, bool recursive, std::vector<std::string>* out) const {
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

int SceneNamespaces::Content(const char* name, std::uint32_t modFlags, bool recursive, int classId,
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

bool SceneNamespaces::DeletionSet(const char* name, std::vector<Object*>* out) const {
    Namespace* ns = Get(name);
    if (!ns || !out) return false;
    const std::string path = name;
    std::vector<Object*> doomed;
    Content(path.c_str(), 0, true, 0, true, &doomed);
    std::vector<std::string> children;
    Children(path.c_str(), true, &children);
    // The deepest namespaces go first, so no namespace outlives its parent.
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (Namespace* child = Namespace::Find(it->c_str())) doomed.push_back(child);
    doomed.push_back(ns);
    for (Object* object : doomed)
        if (SceneMayDelete(object)) out->push_back(object);
    return true;
}

bool SceneNamespaces::Delete(const char* name) {
    std::vector<Object*> doomed;
    if (!DeletionSet(name, &doomed)) return false;
    DeleteSceneObjects(doomed);
    return true;
}

bool SceneNamespaces::DeleteContent(const char* name, std::uint32_t modFlags, bool recursive,
                                   int classId, bool derived) {
    if (!Exists(name)) return false;
    std::vector<Object*> doomed;
    Content(name, modFlags, recursive, classId, derived, &doomed);
    DeleteSceneObjects(doomed);
    return true;
}

bool SceneNamespaces::Rename(const char* oldName, const char* newName, bool recursive, int classId,
                            bool derived) {
    if (!Exists(oldName) || !IsValidNamespaceName(newName)) return false;
    const std::string from = oldName, to = newName;
    if (from == to) return true;
    if (!Namespace::Find(to.c_str()) && !Namespace::Create(to.c_str())) return false;
    std::vector<Object*> content;
    Content(from.c_str(), 0, recursive, classId, derived, &content);
    std::vector<std::string> children;
    if (recursive) Children(from.c_str(), true, &children);
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

void SceneNamespaces::SelectContent(const char* name, bool select, std::uint32_t modFlags,
                                   bool recursive, int classId, bool derived) {
    std::vector<Object*> content;
    Content(name, modFlags, recursive, classId, derived, &content);
    for (Object* object : content) object->Select(select);
}

bool SceneNamespaces::Export(const char* name, const char* path, bool recursive) const {
    if (!Exists(name) || !path || !*path) return false;
    std::vector<Object*> content;
    Content(name, 0, recursive, 0, true, &content);
    FILE* file = std::fopen(path, "w");
    if (!file) return false;
    std::fprintf(file, "velora namespace %s\n", name);
    for (const Object* object : content)
        std::fprintf(file, "%s\t%s\t%s\n", ClassRegistry::Instance().Name(object->ClassId()),
                     object->NamespacePart(), object->Name());
    return std::fclose(file) == 0;
}

bool SceneNamespaces::Import(const std::vector<std::string>& targets, const char* objectNamespace,
                            bool skipExisting) {
    if (!Exists(objectNamespace)) return false;
    for (const std::string& target : targets)
        if (!IsValidNamespaceName(target.c_str())) return false;
    std::vector<Object*> content;
    Content(objectNamespace, 0, false, 0, true, &content);
    for (const std::string& target : targets) {
        if (!Namespace::Find(target.c_str()) && !Namespace::Create(target.c_str())) return false;
        std::map<Object*, Object*> copies;
        for (Object* object : content) {
            const std::string label = target + ":" + object->Name();
            const std::string full =
                std::string(ClassRegistry::Instance().Group(object->ClassId())) + "::" + label;
            if (Object* existing = scene_.FindObject(full.c_str()); existing && skipExisting) {
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
            scene_.AddModel(model);
        }
        for (auto& [original, copy] : copies)
            if (!AsModel(copy) && scene_.SrcIndex(copy) < 0 && scene_.SrcIndex(original) >= 0)
                scene_.AddObject(copy);
    }
    return true;
}

}  // namespace velora
