#ifndef LYSDK_LYSCENE_H
#define LYSDK_LYSCENE_H

// LyScene: the wrapper of the host's scene, with a list property for every
// kind of scene object, the scene-wide operations (evaluation, clean-ups,
// namespaces) and the free functions that search the model hierarchy.

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyarray.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyevent.h"
#include "lysdk/lymodel.h"
#include "lysdk/lyobjectservices.h"
#include "lysdk/lystringlist.h"

LYSDK_BEGIN_NAMESPACE

class LyRenderer;
class LyNamespace;
class LyFileReference;

/// Bits of a plug's modification word, as filters of the namespace
/// operations: an object passes when its word has any of the bits; 0 lets
/// every object pass.
enum LyPlugModificationFlag : unsigned int {
    kLyPlugModificationNone = 0,
    kLyPlugModificationSelfProperty = 0x100,
    kLyPlugModificationContentProperty = 0x200,
    kLyPlugModificationSelfConnection = 0x400,
    kLyPlugModificationContentConnection = 0x800,
    kLyPlugModificationSelfName = 0x1000,
    kLyPlugModificationContentAnimation = 0x2000,
    kLyPlugModificationSelfFlags = 0x4000,
    kLyPlugModificationSelfValue = 0x10000,
    kLyPlugModificationSelfAnimation = 0x20000,
    kLyPlugModificationContentChild = 0x40000,
    kLyPlugModificationSelfOther = 0x80000,
    kLyPlugModificationContentOther = 0x100000,
};
LYSDK_ENUM_TEXTS(LyPlugModificationFlag);

class LYSDK_API LyScene : public LyComponent {
    LYSDK_CLASS_DECLARE(LyScene, LyComponent)
public:
    /// Wraps the host scene `object`; null wraps the main scene.
    explicit LyScene(HIObject object = nullptr);

    /// Brings the whole scene up to the current local time; true.
    bool Evaluate();
    /// Brings every deformable mesh below RootModel up to date; true.
    bool EvaluateDeformations();
    /// Evaluates and resolves every pending candidate; the host's answer.
    bool CandidateEvaluationAndResolve();
    /// Starts a new, empty scene (no prompt; system objects stay).
    void Clear();

    /// Each deletes the objects of its kind that nothing uses; returns how
    /// many went.
    int CleanEmptyGroups();
    int CleanEmptySets();
    int CleanEmptyRelationConstraints();
    int CleanInactiveConstraints();
    int CleanRelationConstraintsUnusedBoxes();
    int CleanUnusedAudioClips();
    int CleanUnusedMaterials();
    int CleanUnusedShaders();
    int CleanUnusedTextures();
    int CleanUnusedVideoClips();

    // Namespaces of the main scene. `typeId` is an SDK type id (0: any);
    // `recursive` takes sub-namespaces in, `derived` lets objects of derived
    // classes pass the type filter.
    bool NamespaceExist(const char* name);
    bool NamespaceEmpty(const char* name);
    /// Deletes the namespaces left without content; true.
    bool NamespaceCleanup();
    LyNamespace* NamespaceGet(const char* name);
    LyFileReference* NamespaceGetOwnerFileReference(const char* name);
    int NamespaceGetChildrenList(LyStringList& children, const char* name, bool recursive = false);
    void NamespaceGetContentList(LyArrayTemplate<LyComponent*>& content, const char* name,
                                 LyPlugModificationFlag modFlags = kLyPlugModificationNone,
                                 bool recursive = false, int typeId = 0, bool derived = true);
    bool NamespaceDelete(const char* name);
    bool NamespaceDeleteContent(const char* name,
                                LyPlugModificationFlag modFlags = kLyPlugModificationNone,
                                bool recursive = false, int typeId = 0, bool derived = true);
    bool NamespaceRename(const char* oldName, const char* newName, bool recursive = false,
                         int typeId = 0, bool derived = true);
    void NamespaceSelectContent(const char* name, bool select,
                                LyPlugModificationFlag modFlags = kLyPlugModificationNone,
                                bool recursive = false, int typeId = 0, bool derived = true);
    bool NamespaceExport(const char* name, const char* path, bool recursive = false);
    /// `targets` lists target namespaces separated by "~".
    bool NamespaceImport(const char* targets, const char* objectNamespace, bool skipExisting = false);
    /// With `undoable`, the import is recorded as an undo transaction.
    bool NamespaceImportToMultiple(const LyStringList& targets, const char* objectNamespace,
                                   bool undoable = true);

    /// Appends the path of every script object of the scene.
    void GetScriptsPaths(LyStringList& paths);

    LyPropertyListComponent Takes;
    LyPropertyListComponent Devices;
    /// The host scene's own text property.
    LyPropertyString Comments;
    LyPropertyEvent OnChange;
    LyPropertyEvent OnTakeChange;
    LyPropertyBaseComponent<LyModel*> RootModel;
    LyPropertyBaseComponent<LyRenderer*> Renderer;
    LyPropertyListComponent Constraints;
    LyPropertyListComponent Notes;
    LyPropertyListComponent Poses;
    LyPropertyListComponent ObjectPoses;
    LyPropertyListComponent Actors;
    LyPropertyListComponent ActorFaces;
    LyPropertyListComponent MarkerSets;
    LyPropertyListComponent CharacterMarkerSets;
    LyPropertyListComponent ControlSets;
    LyPropertyListComponent Characters;
    LyPropertyListComponent CharacterFaces;
    LyPropertyListComponent CharacterExtensions;
    LyPropertyListComponent CharacterPoses;
    LyPropertyListComponent Handles;
    LyPropertyListComponent HUDs;
    LyPropertyListComponent Groups;
    LyPropertyListComponent Sets;
    LyPropertyListComponent Namespaces;
    LyPropertyListComponent FileReferences;
    LyPropertyListComponent Components;
    LyPropertyListComponent Materials;
    LyPropertyListComponent Textures;
    LyPropertyListComponent Shaders;
    LyPropertyListComponent Lights;
    LyPropertyListComponent Deformers;
    LyPropertyListComponent Folders;
    LyPropertyListComponent AudioClips;
    LyPropertyListComponent VideoClips;
    LyPropertyListComponent MotionClips;
    LyPropertyListComponent Cameras;
    LyPropertyListComponent ConstraintSolvers;
    LyPropertyListComponent PhysicalProperties;
    LyPropertyListComponent UserObjects;
    LyPropertyListComponent KeyingGroups;
    LyPropertyListComponent ModelSkeletons;
    LyPropertyListComponent ModelOpticals;

private:
    void InitList(LyPropertyListComponent& list, int kind);
};

/// A list of scenes: an added scene becomes a source of the list's owner.
class LyPropertyListScene : public LyPropertyListOf<LyScene> {};

/// The model whose label name ("namespace:name" or "name") is `label`.
LYSDK_API LyModel* LyFindModelByLabelName(const char* label);
/// The model drawn with picking colour `color` (components 0 to 1, each
/// turned into a byte by truncation); `subItem` (may be null) receives the
/// sub-item index.
LYSDK_API LyModel* LyFindModelByUniqueColorId(const LyColor& color, int* subItem);
/// Every model of type `typeId` below `parent` (the global root when null),
/// parent included: each model after its descendants, siblings in order.
LYSDK_API void LyFindModelsOfType(LyArrayTemplate<LyModel*>& list, int typeId, LyModel* parent = nullptr);
/// Appends the models below `parent` (the scene root when null), parent
/// included, whose selection state is `selected`: each model before its
/// descendants, children last first. With `sortBySelectionOrder`, the one
/// selected last comes first.
LYSDK_API void LyGetSelectedModels(LyArrayTemplate<LyModel*>& list, LyModel* parent = nullptr,
                                   bool selected = true, bool sortBySelectionOrder = false);
LYSDK_API LyModel* LyGetLastSelectedModel();
/// Null is ignored.
LYSDK_API void LySetLastSelectedModel(LyModel* model);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYSCENE_H
