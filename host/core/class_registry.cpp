#include "velora/class_registry.h"

#include <cassert>
#include <mutex>
#include <cstring>

#include "velora/trace.h"

namespace velora {

namespace {

struct BuiltinRow {
    BuiltinClass id;
    const char* name;
    BuiltinClass parent;
    const char* group;
};

// The host's own classes, in id order. The group is the prefix of full names.
constexpr BuiltinRow kBuiltins[] = {
    {kClassPlug, "Plug", kClassNone, ""},
    {kClassObject, "Object", kClassPlug, "Object"},
    {kClassProperty, "Property", kClassPlug, ""},
    {kClassConnector, "Connector", kClassPlug, ""},
    {kClassAnimationNode, "AnimationNode", kClassObject, "AnimationNode"},
    {kClassFCurve, "FCurve", kClassObject, "FCurve"},
    {kClassFolder, "Folder", kClassObject, "Folder"},
    {kClassNamespace, "Namespace", kClassObject, "Namespace"},
    {kClassFileReference, "FileReference", kClassNamespace, "FileReference"},
    {kClassScene, "Scene", kClassObject, "Scene"},
    {kClassTake, "Take", kClassObject, "Take"},
    {kClassManager, "Manager", kClassObject, "Manager"},
    {kClassBox, "Box", kClassObject, "Box"},
    {kClassBoxPlaceholder, "BoxPlaceholder", kClassBox, nullptr},
    {kClassModelPlaceholder, "ModelPlaceholder", kClassBox, nullptr},
    {kClassModel, "Model", kClassBox, "Model"},
    {kClassModelNull, "ModelNull", kClassModel, nullptr},
    {kClassModelRoot, "ModelRoot", kClassModel, nullptr},
    {kClassModelSkeleton, "ModelSkeleton", kClassModel, nullptr},
    {kClassModelMarker, "ModelMarker", kClassModel, nullptr},
    {kClassModelOptical, "ModelOptical", kClassModel, nullptr},
    {kClassModelMarkerOptical, "ModelMarkerOptical", kClassModelMarker, nullptr},
    {kClassModelPath3D, "ModelPath3D", kClassModel, nullptr},
    {kClassModelMesh, "ModelMesh", kClassModel, nullptr},
    {kClassCamera, "Camera", kClassModel, nullptr},
    {kClassCameraStereo, "CameraStereo", kClassCamera, nullptr},
    {kClassCameraSwitcher, "CameraSwitcher", kClassModel, nullptr},
    {kClassLight, "Light", kClassModel, nullptr},
    {kClassDevice, "Device", kClassBox, "Device"},
    {kClassDeviceOptical, "DeviceOptical", kClassDevice, nullptr},
    {kClassConstraint, "Constraint", kClassBox, "Constraint"},
    {kClassConstraintSolver, "ConstraintSolver", kClassConstraint, nullptr},
    {kClassConstraintRelation, "ConstraintRelation", kClassConstraint, nullptr},
    {kClassSolver, "Solver", kClassObject, "Solver"},
    {kClassCharacterSolver, "CharacterSolver", kClassConstraint, nullptr},
    {kClassShader, "Shader", kClassBox, "Shader"},
    {kClassTexture, "Texture", kClassBox, "Texture"},
    {kClassLayeredTexture, "LayeredTexture", kClassTexture, nullptr},
    {kClassMaterial, "Material", kClassBox, "Material"},
    {kClassRendererCallback, "RendererCallback", kClassObject, "RendererCallback"},
    {kClassManipulator, "Manipulator", kClassObject, "Manipulator"},
    {kClassHUDElement, "HUDElement", kClassObject, "HUDElement"},
    {kClassPhysicalProperties, "PhysicalProperties", kClassObject, "PhysicalProperties"},
    {kClassApplyManagerRule, "ApplyManagerRule", kClassObject, "ApplyManagerRule"},
    {kClassUserObjectRule, "UserObjectRule", kClassApplyManagerRule, nullptr},
    {kClassUserObjectFilter, "UserObjectFilter", kClassObject, "Filter"},
    {kClassAssetManager, "AssetManager", kClassObject, "AssetManager"},
    {kClassAssetItem, "AssetItem", kClassObject, "AssetItem"},
    {kClassCommand, "Command", kClassObject, "Command"},
    {kClassVideoDeck, "VideoDeck", kClassObject, "Deck"},
    {kClassDataFilter, "DataFilter", kClassObject, "Filter"},
    {kClassView, "View", kClassObject, "View"},
    {kClassWidgetHolder, "WidgetHolder", kClassObject, "WidgetHolder"},
    {kClassToolWindow, "ToolWindow", kClassObject, "Tool"},
    {kClassModelCube, "ModelCube", kClassModelMesh, nullptr},
    {kClassModelPlane, "ModelPlane", kClassModelMesh, nullptr},
    {kClassAnimationLayer, "AnimationLayer", kClassObject, "AnimationLayer"},
};
static_assert(sizeof kBuiltins / sizeof kBuiltins[0] == kClassBuiltinCount - 1,
              "every builtin class needs a row");

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

ClassRegistry& ClassRegistry::Instance() {
    static ClassRegistry registry;
    return registry;
}

ClassRegistry::ClassRegistry() {
    for (const BuiltinRow& row : kBuiltins) {
        const int id = Register(row.name, row.parent, row.group);
        assert(id == row.id);
        (void)id;
    }
}

int ClassRegistry::Register(const char* name, int parentId, const char* group) {
    if (!name || !*name) return 0;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    if (int existing = FindLocked(name)) return existing;
    if (parentId < 0 || parentId > static_cast<int>(entries_.size())) return 0;
    entries_.push_back(Entry{name, group ? group : "", parentId});
    const int id = static_cast<int>(entries_.size());
    byName_.emplace(name, id);
    return id;
}

int ClassRegistry::FindLocked(const char* name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? 0 : it->second;
}

int ClassRegistry::Find(const char* name) const {
    if (!name) return 0;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return FindLocked(name);
}

const char* ClassRegistry::Name(int id) const {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    if (id < 1 || id > static_cast<int>(entries_.size())) return nullptr;
    return entries_[id - 1].name.c_str();
}

int ClassRegistry::Parent(int id) const {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    if (id < 1 || id > static_cast<int>(entries_.size())) return 0;
    return entries_[id - 1].parent;
}

const char* ClassRegistry::Group(int id) const {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    while (id >= 1 && id <= static_cast<int>(entries_.size())) {
        const Entry& e = entries_[id - 1];
        if (!e.group.empty()) return e.group.c_str();
        id = e.parent;
    }
    return "";
}

bool ClassRegistry::IsA(int id, int baseId) const {
    if (baseId <= 0) return false;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    // Parents are always registered before their children, so the walk is
    // strictly decreasing and ends.
    while (id >= 1 && id <= static_cast<int>(entries_.size())) {
        if (id == baseId) return true;
        id = entries_[id - 1].parent;
    }
    return false;
}

int ClassRegistry::Count() const {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return static_cast<int>(entries_.size());
}

void ClassRegistry::Print(Trace& out) const {
    const int count = Count();
    for (int id = 1; id <= count; ++id) {
        const int parent = Parent(id);
        out.Printf(0, "%4d %s : %s\n", id, Name(id), parent ? Name(parent) : "-");
    }
}

}  // namespace velora
