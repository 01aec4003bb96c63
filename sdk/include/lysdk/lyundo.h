#ifndef LYSDK_LYUNDO_H
#define LYSDK_LYUNDO_H

// Undo: making extension changes undoable.
//
// LyUndoManager opens and closes transactions on the host's undo stack and
// records into the open one: property values, a model's local transform,
// an object about to be destroyed, or an undo entry of the extension's own
// (a subclass of LyUndo). Every TransactionAdd... outside an open
// transaction is refused with false.
//
//     class Renamed : public LyUndo {
//     public:
//         void Undo() override { ... }
//         void Redo() override { ... }
//     };
//     LyUndoManager& undo = LyUndoManager::TheOne();
//     undo.TransactionBegin("Rename");
//     undo.TransactionAdd(new Renamed);   // the host owns it from here
//     undo.TransactionEnd();
//
// An entry given to TransactionAdd belongs to the host once the call
// answers true: the host deletes it when it discards the entry (history
// cleared, stack trimmed). When the call answers false the extension still
// owns it. An entry whose dependencies (the plugs given with it) have been
// destroyed is dropped by the host before it would run.

#include "lysdk/lyarray.h"
#include "lysdk/lycomponent.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;

class LYSDK_API LyUndo {
public:
    virtual ~LyUndo();
    /// Takes the change back; nothing by default.
    virtual void Undo();
    /// Makes the change again; nothing by default.
    virtual void Redo();
    /// The entry's display name; "Custom VELSDK Action" by default.
    virtual const char* GetName();
};

class LYSDK_API LyUndoManager : public LyComponent {
    LYSDK_CLASS_DECLARE(LyUndoManager, LyComponent)
public:
    static LyUndoManager& TheOne();
    LyUndoManager(const LyUndoManager&) = delete;
    LyUndoManager& operator=(const LyUndoManager&) = delete;

    bool TransactionBegin(const char* name);
    bool TransactionEnd();
    bool TransactionIsOpen();
    /// Puts `undo` into the open transaction; with dependencies, the entry
    /// is dropped once any of those plugs is destroyed.
    bool TransactionAdd(LyUndo* undo, LyArrayTemplate<LyPlug*>* dependencies = nullptr);
    /// Records the model's local translation, rotation and scaling (all
    /// three, even when one fails); true when all three were recorded.
    bool TransactionAddModelTRS(LyModel* model);
    /// Records an object about to be destroyed, so that undo brings it back.
    bool TransactionAddObjectDestroy(LyComponent* object);
    /// Records a property's value (and animation, for an evaluated one).
    bool TransactionAddProperty(LyProperty* property);
    /// Undoes the last transaction; with `flag` it cannot be redone.
    bool Undo(bool flag = false);
    bool Redo();
    /// Clears the whole history.
    bool Clear();
    /// True while the host is undoing or redoing.
    bool ActiveOperation();

private:
    LyUndoManager();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYUNDO_H
