#ifndef VELORA_CLASS_REGISTRY_H
#define VELORA_CLASS_REGISTRY_H

// The host's class registry: every host class, built in or registered by a
// library at load time, has a name, a parent and an integer id.

#include <deque>
#include <string>
#include <unordered_map>

#include "velora/export.h"

namespace velora {

class Trace;

/// Ids of the classes the host itself defines. They are registered in this
/// order when the registry is first used, so the values are stable.
enum BuiltinClass : int {
    kClassNone = 0,
    kClassPlug = 1,
    kClassObject,
    kClassProperty,
    kClassConnector,          ///< an animation node's connector (a bare plug)
    kClassAnimationNode,
    kClassFCurve,
    kClassFolder,
    kClassNamespace,
    kClassFileReference,
    kClassScene,
    kClassTake,
    kClassManager,
    kClassBox,
    kClassBoxPlaceholder,
    kClassModelPlaceholder,
    kClassModel,
    kClassModelNull,
    kClassModelRoot,
    kClassModelSkeleton,
    kClassModelMarker,
    kClassModelOptical,
    kClassModelMarkerOptical,
    kClassModelPath3D,
    kClassModelMesh,          ///< polygon mesh model
    kClassCamera,
    kClassCameraStereo,
    kClassCameraSwitcher,
    kClassLight,
    kClassDevice,             ///< recording device
    kClassDeviceOptical,
    kClassConstraint,
    kClassConstraintSolver,
    kClassConstraintRelation,
    kClassSolver,
    kClassCharacterSolver,
    kClassShader,
    kClassTexture,
    kClassLayeredTexture,
    kClassMaterial,
    kClassRendererCallback,
    kClassManipulator,
    kClassHUDElement,
    kClassPhysicalProperties,
    kClassApplyManagerRule,
    kClassUserObjectRule,
    kClassUserObjectFilter,
    kClassAssetManager,
    kClassAssetItem,
    kClassCommand,
    kClassVideoDeck,
    kClassDataFilter,
    kClassView,
    kClassWidgetHolder,
    kClassToolWindow,
    kClassModelCube,          ///< a mesh that builds the unit cube
    kClassModelPlane,         ///< a mesh that builds the unit plane
    kClassAnimationLayer,     ///< a layer of a take (velora/take.h)
    kClassBuiltinCount
};

class VELORA_API ClassRegistry {
public:
    static ClassRegistry& Instance();

    /// Registers a class under `name` with parent `parentId`, or returns the
    /// id it already has. `group` is the prefix of its objects' full names
    /// ("Model" gives "Model::Cube"); empty inherits the parent's.
    /// Returns 0 for an empty name or an unknown parent.
    int Register(const char* name, int parentId, const char* group = nullptr);

    /// Id of the class called `name`, or 0.
    int Find(const char* name) const;
    /// Name of class `id`, or null for an unknown id.
    const char* Name(int id) const;
    /// Parent of class `id`, or 0.
    int Parent(int id) const;
    /// Group prefix of class `id` (inherited from the parent when unset).
    const char* Group(int id) const;
    /// True when `id` is `baseId` or derives from it.
    bool IsA(int id, int baseId) const;
    /// Number of registered classes; ids run 1..Count().
    int Count() const;
    /// Writes one line per class ("id name : parent") to the trace output.
    void Print(Trace& out) const;

private:
    ClassRegistry();
    struct Entry {
        std::string name;
        std::string group;
        int parent;
    };
    int FindLocked(const char* name) const;
    std::deque<Entry> entries_;  // index = id - 1; a deque keeps names in place
    std::unordered_map<std::string, int> byName_;
};

}  // namespace velora

#endif  // VELORA_CLASS_REGISTRY_H
