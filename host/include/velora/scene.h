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
// Evaluation of a frame, in this order: the point-cache manager is told;
// pending candidates are evaluated and resolved up to a time; node
// attributes and deformable models are synchronised; the transform
// hierarchy is updated; the current local time is read from the timing
// manager; the scene is evaluated at that time (devices, then every model's
// animated properties from their curves and its transform, parents before
// children), and the call returns when that evaluation is done. Evaluation
// stages raise the evaluation manager's timings on the calling thread.
//
// Everything here runs on the thread that runs the scene operations.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/event_source.h"
#include "velora/model.h"

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

/// Evaluates an animated property at a time: writes the property's value
/// at `time` into its stored value; false means the property had nothing to
/// evaluate (its stored value stands). By default the scene reads the
/// property's function curves (velora/animation.h); a different evaluator
/// (a device's live data, a test's stand-in) may be installed instead.
using AnimatedPropertyEvaluator = bool (*)(Property* property, long long time);
/// Installs the evaluator (null: the curves again); returns the previous one.
VELORA_API AnimatedPropertyEvaluator SetAnimatedPropertyEvaluator(AnimatedPropertyEvaluator evaluator);

/// Counters of the evaluation steps, for diagnostics and tests.
struct SceneEvaluationStats {
    std::uint64_t pointCacheNotifications = 0;
    std::uint64_t candidateResolves = 0;
    std::uint64_t attributeSyncs = 0;
    std::uint64_t deformableSyncs = 0;
    std::uint64_t transformUpdates = 0;
    std::uint64_t evaluations = 0;
    long long lastCandidateTime = 0;
    long long lastEvaluatedTime = 0;
    std::uint64_t propertiesEvaluated = 0;
};

/// A named undo transaction and the descriptions of its records.
struct UndoTransactionRecord {
    std::string name;
    std::vector<std::string> records;
};

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

    // Namespaces. Content of a namespace: the living objects whose namespace
    // part is its name (and, with `recursive`, those of its sub-namespaces),
    // namespace objects excepted. Filters: `modFlags` keeps objects whose
    // modification word has one of those bits (0: all); `classId` keeps
    // objects of that class (0: all), exactly or, with `derived`, also of
    // derived classes.
    bool NamespaceExists(const char* name) const;
    /// True for a namespace without content (sub-namespaces included).
    bool NamespaceEmpty(const char* name) const;
    /// Deletes every namespace without content or sub-namespaces, repeating
    /// until none is left; returns how many went.
    int NamespaceCleanup();
    Namespace* GetNamespace(const char* name) const;
    /// The file reference the namespace belongs to: itself when it is one,
    /// else its nearest enclosing file reference; null when none.
    FileReference* NamespaceOwnerFileReference(const char* name) const;
    /// Appends the names of the sub-namespaces (direct ones, or all with
    /// `recursive`) in creation order; returns how many were appended.
    int NamespaceChildren(const char* name, bool recursive, std::vector<std::string>* out) const;
    int NamespaceContent(const char* name, std::uint32_t modFlags, bool recursive, int classId,
                         bool derived, std::vector<Object*>* out) const;
    /// Deletes the deletable content, sub-namespaces and the namespace
    /// itself; false when there is no such namespace.
    bool NamespaceDelete(const char* name);
    /// Deletes the deletable content the filters keep; false when there is
    /// no such namespace.
    bool NamespaceDeleteContent(const char* name, std::uint32_t modFlags, bool recursive,
                                int classId, bool derived);
    /// Moves the content the filters keep (and, with `recursive`, the
    /// sub-namespaces) from `oldName` to `newName`, making it when needed.
    bool NamespaceRename(const char* oldName, const char* newName, bool recursive, int classId,
                         bool derived);
    void NamespaceSelectContent(const char* name, bool select, std::uint32_t modFlags,
                                bool recursive, int classId, bool derived);
    /// Writes the content's class and plain name, one object a line, to
    /// `path`; with `recursive`, sub-namespaces' content too.
    bool NamespaceExport(const char* name, const char* path, bool recursive) const;
    /// Copies the content of `objectNamespace` into every target namespace
    /// (made when missing): same class and plain name, models keeping their
    /// parents among the copies. With `skipExisting`, a target that already
    /// holds an object of that name keeps it. False when the object
    /// namespace does not exist or a target name is not valid.
    bool NamespaceImport(const std::vector<std::string>& targets, const char* objectNamespace,
                         bool skipExisting);

    // Clean-ups: each deletes the deletable objects of its kind that
    // nothing uses and returns how many went.
    int CleanEmptyGroups();
    int CleanEmptySets();
    int CleanEmptyRelationConstraints();
    int CleanInactiveConstraints();
    int CleanRelationConstraintsUnusedBoxes();
    int CleanUnused(int kind);

    // Evaluation.
    void NotifyPointCaches();
    /// Evaluates and resolves the candidates pending up to `time`.
    bool EvaluateAndResolveCandidates(long long time);
    void SyncNodeAttributes();
    void SyncDeformables();
    /// Recomputes every model's global matrix, parents first.
    void UpdateTransformHierarchy();
    /// Evaluates the scene at `time`; returns once the evaluation is done.
    void EvaluateAt(long long time);
    /// The frame stamp of the last evaluation (0 before the first).
    std::uint64_t FrameStamp() const { return frameStamp_; }
    const SceneEvaluationStats& Stats() const { return stats_; }

    /// The new-file operation: deletes the scene's deletable objects and
    /// models (system objects stay when `keepSystem`). Without a user the
    /// prompt is not shown: `prompt` only tells the trace.
    void NewFile(bool prompt, bool keepSystem);

    /// The construction history's state (0: idle, 1: recording a change).
    int ConstructionHistoryState() const { return historyState_; }
    void SetConstructionHistoryState(int state) { historyState_ = state; }

    /// The undo journal: transactions opened and closed by scene edits.
    void BeginUndo(const char* name);
    void AddUndoRecord(const char* description);
    void EndUndo();
    const std::vector<UndoTransactionRecord>& UndoJournal() const { return undo_; }

private:
    Scene();
    void EnsureRoots();
    void EvaluateModel(Model* model, const double* parentGlobal, long long time);
    int DeleteAll(std::vector<Object*>& doomed);

    PlugHandle root_;
    PlugHandle globalRoot_;
    PlugHandle currentTake_;
    EventSource changeEvents_;
    EventSource takeEvents_;
    SceneEvaluationStats stats_;
    std::uint64_t frameStamp_ = 0;
    int historyState_ = 0;
    int undoDepth_ = 0;
    std::vector<UndoTransactionRecord> undo_;
};

}  // namespace velora

#endif  // VELORA_SCENE_H
