#ifndef VELORA_SCENE_H
#define VELORA_SCENE_H

// The main scene: the host object that holds everything the user works on.
//
// Hierarchy. Two root models exist for the whole process: the global root,
// which holds the system models and, as its first child, the scene root;
// the scene's own models hang below the scene root. Adding a model to the
// scene puts it in the entity's list of scene models and, when it has no
// parent yet, under the scene root.
//
// Object lists. Every other kind of scene object (takes, devices,
// constraints, materials, ...) joins the scene as one of its sources; the
// list of a kind is the scene's sources of that kind's class, in the order
// they joined. SceneKind names the kinds; kinds the host does not build yet
// still have a class, so their lists exist and are empty.
//
// Namespaces, clean-ups and evaluation have their own classes
// (velora/scene_namespaces.h, scene_cleanup.h, scene_evaluation.h); the scene
// holds one of each. Its edits are undone through the undo stack
// (velora/undo.h).
//
// Everything here runs on the thread that runs the scene operations.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/event_source.h"
#include "velora/model.h"
#include "velora/scene_cleanup.h"
#include "velora/scene_evaluation.h"
#include "velora/scene_namespaces.h"

namespace velora {

class FileReference;
class Namespace;
class Property;

/// The kinds of scene objects listed by the scene, in the SDK's list order.
enum SceneKind : int {
    kSceneTakes = 0,
    kSceneDevices,
    kSceneConstraints,
    kSceneNotes,
    kScenePoses,
    kSceneObjectPoses,
    kSceneActors,
    kSceneActorFaces,
    kSceneMarkerSets,
    kSceneCharacterMarkerSets,
    kSceneControlSets,
    kSceneCharacters,
    kSceneCharacterFaces,
    kSceneCharacterExtensions,
    kSceneCharacterPoses,
    kSceneHandles,
    kSceneHUDs,
    kSceneGroups,
    kSceneSets,
    kSceneNamespaces,
    kSceneFileReferences,
    kSceneComponents,  ///< every object of the scene
    kSceneMaterials,
    kSceneTextures,
    kSceneShaders,
    kSceneLights,
    kSceneDeformers,
    kSceneFolders,
    kSceneAudioClips,
    kSceneVideoClips,
    kSceneMotionClips,
    kSceneCameras,
    kSceneConstraintSolvers,
    kScenePhysicalProperties,
    kSceneUserObjects,
    kSceneKeyingGroups,
    kSceneModelSkeletons,
    kSceneModelOpticals,
    kSceneScripts,
    kSceneAudioInputs,
    kSceneAudioOutputs,
    kSceneVideoInputs,
    kSceneVideoOutputs,
    kSceneKindCount
};

/// The host class of a kind's objects (registered on first use for kinds
/// the host has no class of its own for yet); 0 outside the kinds.
VELORA_API int SceneKindClass(int kind);
/// The name of a kind's list ("Takes", "Devices", ...); null outside.
VELORA_API const char* SceneKindName(int kind);

/// The main scene keeps one property of its own, "Comments" (text).
class VELORA_API Scene : public Object {
public:
    /// The main scene, made on first use; it lives until the process ends.
    static Scene& Main();
    /// The scene root (the parent of the scene's top-level models).
    Model* RootModel() const { return static_cast<Model*>(root_.Get()); }
    /// The root of the global model set.
    Model* GlobalRootModel() const { return static_cast<Model*>(globalRoot_.Get()); }

    // Scene-node functions. AddModel joins the entity's scene models and
    // goes under the scene root when parentless; RemoveModel leaves the
    // scene models and the hierarchy (its children go up to its parent).
    bool AddModel(Model* model);
    bool RemoveModel(Model* model);

    // Object lists.
    bool AddObject(Object* object);
    bool RemoveObject(Object* object);
    int ObjectCount(int kind) const;
    Object* ObjectAt(int kind, int i) const;
    /// The first living object, scene member or not, whose full name is
    /// `fullName`.
    Object* FindObject(const char* fullName) const;

    // Takes. The current take must be one of the scene's takes.
    Object* CurrentTake() const { return static_cast<Object*>(currentTake_.Get()); }
    bool SetCurrentTake(Object* take);
    /// Scene changes (type 1; sub-type 1: an object joined, 2: one left)
    /// and take changes (type 1, sub-type 1: a take was made current).
    EventSource& ChangeEvents() { return changeEvents_; }
    EventSource& TakeChangeEvents() { return takeEvents_; }

    SceneNamespaces& Namespaces() { return namespaces_; }
    const SceneNamespaces& Namespaces() const { return namespaces_; }
    SceneCleanup& Cleanup() { return cleanup_; }
    SceneEvaluator& Evaluator() { return evaluator_; }
    const SceneEvaluator& Evaluator() const { return evaluator_; }

    /// The new-file operation: deletes the scene's deletable objects and
    /// models (system objects stay when `keepSystem`). Without a user the
    /// prompt is not shown: `prompt` only tells the trace.
    void NewFile(bool prompt, bool keepSystem);

    /// The construction history's state (0: idle, 1: recording a change).
    int ConstructionHistoryState() const { return historyState_; }
    void SetConstructionHistoryState(int state) { historyState_ = state; }

private:
    Scene();
    void EnsureRoots();

    PlugHandle root_;
    PlugHandle globalRoot_;
    PlugHandle currentTake_;
    EventSource changeEvents_;
    EventSource takeEvents_;
    SceneNamespaces namespaces_{*this};
    SceneCleanup cleanup_{*this};
    SceneEvaluator evaluator_{*this};
    int historyState_ = 0;
};

}  // namespace velora

#endif  // VELORA_SCENE_H
