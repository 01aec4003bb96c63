#ifndef VELORA_RELATION_H
#define VELORA_RELATION_H

// Relations: the host objects that hold boxes (operators, placeholders for
// models and for boxes outside) wired together. A relation is a constraint,
// so itself a box. When it is a member of the main scene and its "Active"
// property is true, the scene evaluates its boxes once per frame (velora/
// scene_evaluation.h).
//
// GraphSchedule turns a set of boxes into an evaluation plan: the boxes
// reached through connections (and what placeholders stand for) are split
// into independent groups that share nothing, each in an order where every
// box comes after the boxes it reads. Groups may run on different threads;
// two placeholders of models in one hierarchy, and a box placeholder and its
// box, always land in the same group. The schedule rebuilds itself when the
// structure of the plug graph changed (StructureVersion) or a placeholder
// was pointed elsewhere.

#include <cstdint>
#include <vector>

#include "velora/constraint.h"

namespace velora {

class Model;

class VELORA_API Relation : public Constraint {
public:
    static Relation* Create(const char* name);
    const char* TypeName() const override { return "Relation"; }

    /// Takes `box` into the relation (the relation owns it from then on).
    /// False for null, a relation, a model, or a box already owned.
    bool AddBox(Box* box);
    /// Ends a box of the relation (its connections drop first).
    bool RemoveBox(Box* box);
    int BoxCount() const;
    Box* BoxAt(int i) const;
    /// Appends every box of the relation to `out`, in the order they joined.
    void CollectBoxes(std::vector<Box*>* out) const;
    /// Conveniences: a new placeholder in the relation.
    ModelPlaceholder* AddModelPlaceholder(Model* model);
    BoxPlaceholder* AddBoxPlaceholder(Box* box);

    /// Places `box` (one of the relation's) in the relation's view at
    /// (x, y), keeping its third layout value; false for another box.
    bool SetBoxPosition(Box* box, int x, int y);

    /// Evaluates every box of the relation once for `context`, on the
    /// calling thread.
    void EvaluateBoxes(const EvaluationContext& context);

    /// Whether the relation's view changed since the flag was taken.
    bool TakeViewChanged() {
        const bool was = viewChanged_;
        viewChanged_ = false;
        return was;
    }

protected:
    Relation(const char* name, int classId);

private:
    bool viewChanged_ = false;
};

class VELORA_API GraphSchedule {
public:
    /// Rebuilds from `roots` when they, or the graph, changed since the last
    /// build; cheap otherwise.
    void Update(const std::vector<Box*>& roots);
    /// Independent groups, each in evaluation order.
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    const std::vector<Box*>& Group(int i) const { return groups_[static_cast<std::size_t>(i)]; }
    int BoxCount() const { return boxCount_; }
    /// Evaluates every group for `context`: on several threads when
    /// `parallel` and there is more than one group.
    void Run(const EvaluationContext& context, bool parallel) const;
    /// How many times it was rebuilt (diagnostics).
    std::uint64_t Builds() const { return builds_; }

private:
    void Build(const std::vector<Box*>& roots);
    bool Stale(const std::vector<Box*>& roots) const;

    std::vector<std::vector<Box*>> groups_;
    std::vector<Box*> roots_;
    std::vector<std::pair<Box*, Object*>> targets_;  // placeholder, what it stood for
    std::uint64_t version_ = 0;
    std::uint64_t builds_ = 0;
    int boxCount_ = 0;
};

}  // namespace velora

#endif  // VELORA_RELATION_H
