#ifndef VELORA_ENTITY_H
#define VELORA_ENTITY_H

// The host's main entity: the process-wide hub that scene-wide notifications
// go through, the set of models shown in the viewer, the scene's models, the
// all-models transaction and the directory of living objects.

#include <unordered_map>
#include <vector>

#include "velora/event_source.h"
#include "velora/object.h"
#include "velora/object_directory.h"

namespace velora {

/// Entity notification codes.
enum EntityEvent : int {
    kEntityObjectFlagsChanged = 43,  ///< subject: the object whose flags changed
    /// The outermost all-models transaction opened (data: its argument, an
    /// int*) and closed; subject null.
    kEntityAllModelsBegin = 200,
    kEntityAllModelsEnd = 201,
    /// A model joined or left the scene; subject: the model.
    kEntitySceneModelAdded = 202,
    kEntitySceneModelRemoved = 203,
    /// The outermost model transaction, merge and user-interface freeze
    /// opened and closed; subject null.
    kEntityModelTransactionBegin = 204,
    kEntityModelTransactionEnd = 205,
    kEntityMergeBegin = 206,
    kEntityMergeEnd = 207,
    kEntityUIUpdatePrevented = 208,
    kEntityUIUpdateResumed = 209,
};

class VELORA_API MainEntity {
public:
    static MainEntity& Instance();

    /// Scene-wide notifications (EntityEvent codes).
    EventSource& Events() { return events_; }
    /// Raises `code` about `subject` to every registered handler.
    void Notify(int code, Object* subject);

    /// The models shown in the viewer, in the order they were added.
    bool AddToDisplaySet(Object* model);
    bool RemoveFromDisplaySet(Object* model);
    bool InDisplaySet(const Object* model) const;
    int DisplaySetCount() const;

    /// Every living host object: find by name or pattern, delete by
    /// pattern, unique ids, living count and the life log.
    ObjectDirectory& Objects() { return ObjectDirectory::Instance(); }

    /// The scene's models, in the order they joined. A model that ends
    /// leaves the list by itself. False for null, a non-model and a model
    /// already there (add), or one that is not there (remove).
    bool AddModelToScene(Object* model);
    bool RemoveModelFromScene(Object* model);
    bool InScene(const Object* model) const;
    int SceneModelCount() const;
    /// The i-th living scene model, or null out of range.
    Object* SceneModel(int i) const;

    /// The all-models transaction brackets edits of many models (such as a
    /// deletion by pattern) so that listeners wait for the end before they
    /// rebuild what depends on the scene. Transactions nest; only the
    /// outermost pair raises kEntityAllModelsBegin and kEntityAllModelsEnd.
    /// An unmatched end is ignored.
    void BeginAllModelsTransaction(int argument = 0);
    void EndAllModelsTransaction();
    /// Current nesting depth (0: none open).
    int AllModelsTransactionDepth() const { return allModelsDepth_; }
    /// How many outermost transactions were opened so far.
    int AllModelsTransactionCount() const { return allModelsCount_; }
    /// The argument of the outermost transaction opened last.
    int AllModelsTransactionArgument() const { return allModelsArgument_; }

    /// Three more brackets that nest the same way (only the outermost pair
    /// raises its begin and end codes; an unmatched end is ignored):
    ///  - the model transaction, around edits of models of the scene;
    ///  - the merge, around the merge of a file into the scene;
    ///  - the user-interface freeze, while which nothing is redrawn.
    void BeginModelTransaction() { Open(model_, kEntityModelTransactionBegin); }
    void EndModelTransaction() { Close(model_, kEntityModelTransactionEnd); }
    int ModelTransactionDepth() const { return model_.depth; }
    void BeginMerge() { Open(merge_, kEntityMergeBegin); }
    void EndMerge() { Close(merge_, kEntityMergeEnd); }
    int MergeDepth() const { return merge_.depth; }
    void BeginPreventUIUpdate() { Open(uiFreeze_, kEntityUIUpdatePrevented); }
    void EndPreventUIUpdate() { Close(uiFreeze_, kEntityUIUpdateResumed); }
    bool IsUIUpdatePrevented() const { return uiFreeze_.depth > 0; }

private:
    MainEntity() = default;
    void PruneScene() const;
    struct Bracket {
        int depth = 0;
    };
    void Open(Bracket& bracket, int code);
    void Close(Bracket& bracket, int code);

    Bracket model_;
    Bracket merge_;
    Bracket uiFreeze_;

    EventSource events_;
    std::vector<PlugHandle> displaySet_;
    mutable std::vector<PlugHandle> sceneModels_;
    // The same models by address, so that a membership test costs one
    // lookup; an entry whose handle no longer answers is stale.
    mutable std::unordered_map<const Object*, PlugHandle> sceneIndex_;
    int allModelsDepth_ = 0;
    int allModelsCount_ = 0;
    int allModelsArgument_ = 0;
};

}  // namespace velora

#endif  // VELORA_ENTITY_H
