#ifndef VELORA_UNDO_H
#define VELORA_UNDO_H

// The undo stack: named transactions of entries that undo and redo scene
// changes.
//
// Transactions. Begin opens a transaction; a Begin while one is open nests
// (the inner name is dropped, everything joins the outermost transaction),
// and End closes one level. When the outermost level closes, a transaction
// that holds entries goes on top of the undo list (and the redo list is
// cleared); an empty one leaves no trace. End(false) closes a level without
// committing it: the entries recorded since its Begin are discarded
// (nothing is undone: a failed edit that changed nothing leaves the stack as
// it was). The undo list keeps the last Limit() transactions.
//
// Recording. Every Add... records into the open transaction what is needed
// to take the change back, and answers false (recording nothing) when no
// transaction is open, while an undo or redo runs, or for a bad argument:
//   AddProperty            the property's value as it is now
//   AddEvaluationProperty  the value, the animated state and, for an
//                          animated property, every member curve
//   AddCurve               a curve's keys, extrapolation and default
//   AddAnimationNode       every member curve of a node, once per
//                          transaction (later calls answer true and add
//                          nothing)
//   AddObjectsDestroyed    objects about to be destroyed: undo brings them
//                          back (class, name, namespace, flags, properties
//                          with values and animation, parent model and
//                          place in the scene), redo destroys them again
//   AddObjectsCreated      objects just created: undo destroys them, redo
//                          brings them back
//   Add                    any UndoEntry; the stack owns it from then on
// Undo takes the transaction on top of the undo list, runs its entries
// backwards and moves it to the redo list; Redo runs one forwards and moves
// it back. Before either runs a transaction, its dependency check drops
// (destroys, without running) every entry whose DependencyLost() answers
// true: an entry whose objects died has nothing left to act on.
//
// Objects brought back are new host objects. Entries recorded against the
// object that died find the one brought back in its place, so undoing
// further back still reaches it.
//
// Entries are destroyed with Destroy() and then deleted; a discarded or
// cleared entry is never run. The stack is used from the thread that runs
// the scene operations.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"
#include "velora/plug.h"

namespace velora {

class AnimationNode;
class FCurve;
class Object;
class Property;

/// The interface id of undo entries.
constexpr std::uint32_t kIdUndoEntry = 0x904C51u;

/// An entry of a transaction. The slot order after IQuery and Destroy is
/// part of the contract with libraries that implement entries:
/// DependencyLost, Reserved, Undo, Redo, Name, then the destructor.
class VELORA_API UndoEntry : public lyiface::IObject {
public:
    /// Itself for kIdSelf and kIdUndoEntry; null otherwise.
    lyiface::IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// Lets go of what the entry holds for others, before it is deleted.
    void Destroy(int mode = 0) override;
    /// True when something the entry acts on is gone for good.
    virtual bool DependencyLost();
    virtual void Reserved();
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual const char* Name();
    virtual ~UndoEntry();
};

/// Saves and puts back a property's value (not its animation).
class VELORA_API PropertyValue {
public:
    /// False for a null property or one of a type without a value.
    bool Save(const Property* property);
    bool Restore(Property* property) const;

private:
    int type_ = 0;
    std::string text_;             // text and string-list values
    std::vector<PlugHandle> list_; // object values
    unsigned char raw_[32] = {};
};

class VELORA_API UndoStack {
public:
    static UndoStack& Instance();

    /// Opens a transaction (or one more level of the open one).
    bool Begin(const char* name);
    /// Closes one level; false when none is open.
    bool End(bool commit = true);
    bool IsOpen() const { return depth_ > 0; }
    int Depth() const { return depth_; }
    /// The open transaction's name ("" when none).
    const char* OpenName() const;

    bool Add(UndoEntry* entry);
    bool AddProperty(Property* property);
    bool AddEvaluationProperty(Property* property);
    bool AddCurve(FCurve* curve);
    bool AddAnimationNode(AnimationNode* node);
    bool AddObjectsDestroyed(const std::vector<Object*>& objects);
    bool AddObjectsCreated(const std::vector<Object*>& objects);

    /// Undoes the transaction on top; with `discard` it does not go to the
    /// redo list. False when there is nothing to undo or a transaction is
    /// open.
    bool Undo(bool discard = false);
    bool Redo();
    /// Drops the redo list, and with `all` the undo list too (the open
    /// transaction, if any, stays open and keeps its entries).
    bool Clear(bool all = true);
    /// True while an undo or redo runs.
    bool InUndoRedo() const { return running_; }

    int UndoCount() const { return static_cast<int>(undo_.size()); }
    int RedoCount() const { return static_cast<int>(redo_.size()); }
    /// Name of undo (redo) transaction i, 0 being the next one to run; null
    /// outside.
    const char* UndoName(int i) const;
    const char* RedoName(int i) const;
    /// Entries of undo transaction i (0: the top).
    int UndoEntryCount(int i) const;

    int Limit() const { return limit_; }
    /// At least 1.
    void SetLimit(int transactions);

    /// The living plug a handle stands for: the plug itself, or the object
    /// brought back in place of the one that died (followed through every
    /// revival). Null when neither lives.
    Plug* Resolve(const PlugHandle& handle) const;
    /// Records that `revived` stands for the object that `dead` held.
    void Revived(const PlugHandle& dead, Object* revived);

private:
    UndoStack() = default;
    struct Transaction {
        std::string name;
        std::vector<UndoEntry*> entries;
    };
    static void Free(Transaction& t);
    void Trim();
    void CheckDependencies(Transaction& t);
    bool Recording() const { return depth_ > 0 && !running_; }

    int depth_ = 0;
    bool running_ = false;
    int limit_ = 100;
    Transaction open_;
    std::vector<std::size_t> levelStarts_;
    // Nodes recorded in open_: identity and the index of their first entry.
    std::vector<std::pair<PlugHandle, std::size_t>> recordedNodes_;
    std::vector<Transaction> undo_;           // oldest first
    std::vector<Transaction> redo_;           // next to redo last
    std::unordered_map<const void*, PlugHandle> revived_;
    std::vector<PlugHandle> deadKeep_;
};

}  // namespace velora

#endif  // VELORA_UNDO_H
