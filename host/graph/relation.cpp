// Relations and the schedule that evaluates boxes in independent groups.

#include "velora/relation.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "velora/model.h"
#include "velora/parallel.h"
#include "velora/scene.h"
#include "velora/scene_storage.h"

namespace velora {

// ---------------------------------------------------------------------------
// Relation

Relation* Relation::Create(const char* name) {
    return new Relation(name ? name : "Relation", kClassConstraintRelation);
}

Relation::Relation(const char* name, int classId) : Constraint(name, classId) { SetActive(true); }

bool Relation::SetBoxPosition(Box* box, int x, int y) {
    if (!box || box->Owner() != this) return false;
    box->SetViewLayout(x, y, box->ViewLayout()[2]);
    viewChanged_ = true;
    return true;
}

bool Relation::AddBox(Box* box) {
    if (!box || box == this || box->IsEnding() || box->Owner() || box->IsA(kClassConstraintRelation) ||
        box->IsA(kClassModel))
        return false;
    box->SetOwner(this);
    return box->Owner() == this;
}

bool Relation::RemoveBox(Box* box) {
    if (!box || box->Owner() != this) return false;
    box->Destroy(0);
    return true;
}

int Relation::BoxCount() const {
    int count = 0;
    for (int i = 0, n = OwnedCount(); i < n; ++i)
        if (Owned(i)->IsA(kClassBox)) ++count;
    return count;
}

Box* Relation::BoxAt(int i) const {
    if (i < 0) return nullptr;
    for (int k = 0, n = OwnedCount(); k < n; ++k) {
        Plug* plug = Owned(k);
        if (plug->IsA(kClassBox) && i-- == 0) return static_cast<Box*>(plug);
    }
    return nullptr;
}

void Relation::CollectBoxes(std::vector<Box*>* out) const {
    if (!out) return;
    for (int k = 0, n = OwnedCount(); k < n; ++k) {
        Plug* plug = Owned(k);
        if (plug->IsA(kClassBox)) out->push_back(static_cast<Box*>(plug));
    }
}

ModelPlaceholder* Relation::AddModelPlaceholder(Model* model) {
    ModelPlaceholder* placeholder = ModelPlaceholder::Create(model ? model->Name() : nullptr, model);
    AddBox(placeholder);
    return placeholder;
}

BoxPlaceholder* Relation::AddBoxPlaceholder(Box* box) {
    BoxPlaceholder* placeholder = BoxPlaceholder::Create(box ? box->Name() : nullptr, box);
    AddBox(placeholder);
    return placeholder;
}

void Relation::EvaluateBoxes(const EvaluationContext& context) {
    std::vector<Box*> boxes;
    CollectBoxes(&boxes);
    for (Box* box : boxes) box->Evaluate(context);
}

// ---------------------------------------------------------------------------
// GraphSchedule

namespace {

// What a placeholder stands for (the box of a box placeholder, the model of
// a model placeholder), or null.
Object* StandsFor(Box* box) {
    if (box->ClassId() == kClassBoxPlaceholder) return static_cast<BoxPlaceholder*>(box)->Target();
    if (box->ClassId() == kClassModelPlaceholder) return static_cast<ModelPlaceholder*>(box)->TargetModel();
    return nullptr;
}

Box* BoxOf(Plug* plug) {
    return plug && plug->ClassId() == kClassAnimationNode
               ? Box::OfConnector(static_cast<AnimationNode*>(plug))
               : nullptr;
}

// The boxes that `box` reads from (its inputs' sources, the box it mirrors).
template <class F>
void ForEachUpstream(Box* box, F&& f) {
    for (int i = 0; i < box->InConnectorCount(); ++i)
        if (AnimationNode* source = box->InConnector(i)->SourceConnector()) f(source->OwnerBox());
    if (box->ClassId() == kClassBoxPlaceholder)
        if (Box* target = static_cast<BoxPlaceholder*>(box)->Target()) f(target);
}

template <class F>
void ForEachDownstream(Box* box, F&& f) {
    for (int o = 0; o < box->OutConnectorCount(); ++o) {
        AnimationNode* output = box->OutConnector(o);
        for (int d = 0, n = output->DstCount(); d < n; ++d)
            if (Box* next = BoxOf(output->Dst(d))) f(next);
    }
}

struct DisjointSets {
    std::vector<int> parent;
    int Find(int i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    }
    void Join(int a, int b) {
        a = Find(a);
        b = Find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
};

}  // namespace

bool GraphSchedule::Stale(const std::vector<Box*>& roots) const {
    if (version_ != StructureVersion() || roots != roots_) return true;
    for (const auto& [placeholder, target] : targets_)
        if (StandsFor(placeholder) != target) return true;
    return false;
}

void GraphSchedule::Update(const std::vector<Box*>& roots) {
    if (builds_ == 0 || Stale(roots)) Build(roots);
}

void GraphSchedule::Build(const std::vector<Box*>& roots) {
    ++builds_;
    version_ = StructureVersion();
    roots_ = roots;
    groups_.clear();
    targets_.clear();

    // Every box reachable from the roots, in discovery order.
    std::vector<Box*> boxes;
    std::unordered_map<Box*, int> index;
    auto visit = [&](Box* box) {
        if (!box || box->IsEnding() || index.count(box)) return;
        index.emplace(box, static_cast<int>(boxes.size()));
        boxes.push_back(box);
    };
    for (Box* root : roots) visit(root);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        ForEachUpstream(boxes[i], visit);
        ForEachDownstream(boxes[i], visit);
    }
    boxCount_ = static_cast<int>(boxes.size());

    // Groups: connected boxes, a box placeholder with its box, and model
    // placeholders whose models share a top-level ancestor.
    DisjointSets sets;
    sets.parent.resize(boxes.size());
    std::iota(sets.parent.begin(), sets.parent.end(), 0);
    std::unordered_map<const Model*, int> hierarchies;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        Box* box = boxes[i];
        const int me = static_cast<int>(i);
        ForEachUpstream(box, [&](Box* up) { sets.Join(me, index.at(up)); });
        Object* target = StandsFor(box);
        if (box->ClassId() == kClassBoxPlaceholder || box->ClassId() == kClassModelPlaceholder)
            targets_.emplace_back(box, target);
        if (const Model* model = target ? AsModel(target) : nullptr) {
            const Model* top = model;
            while (top->Parent()) top = top->Parent();
            auto [it, fresh] = hierarchies.emplace(top, me);
            if (!fresh) sets.Join(me, it->second);
        }
    }

    // Each group in an order where a box follows what it reads (Kahn).
    std::vector<int> pending(boxes.size(), 0);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        ForEachUpstream(boxes[i], [&](Box*) { ++pending[i]; });
    std::unordered_map<int, int> groupOf;  // set representative -> group index
    std::vector<int> ready;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (pending[i] == 0) ready.push_back(static_cast<int>(i));
    std::vector<bool> placed(boxes.size(), false);
    auto place = [&](int i) {
        const int rep = sets.Find(i);
        auto [it, fresh] = groupOf.emplace(rep, static_cast<int>(groups_.size()));
        if (fresh) groups_.emplace_back();
        groups_[static_cast<std::size_t>(it->second)].push_back(boxes[static_cast<std::size_t>(i)]);
        placed[static_cast<std::size_t>(i)] = true;
    };
    for (std::size_t r = 0; r < ready.size(); ++r) {
        const int i = ready[r];
        place(i);
        ForEachDownstream(boxes[static_cast<std::size_t>(i)], [&](Box* next) {
            const int n = index.at(next);
            if (--pending[static_cast<std::size_t>(n)] == 0) ready.push_back(n);
        });
        // A box placeholder waits for the box it mirrors, which is not a
        // connection: release it when that box is placed.
        for (const auto& [placeholder, target] : targets_)
            if (target == boxes[static_cast<std::size_t>(i)] &&
                --pending[static_cast<std::size_t>(index.at(placeholder))] == 0)
                ready.push_back(index.at(placeholder));
    }
    // Whatever is left (nothing in an acyclic graph) still gets evaluated;
    // pulls order it.
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (!placed[i]) place(static_cast<int>(i));
}

void GraphSchedule::Run(const EvaluationContext& context, bool parallel) const {
    struct Work {
        const GraphSchedule* self;
        const EvaluationContext* context;
        void operator()(int begin, int end) const {
            // Boxes are scattered over the heap: each is announced a few
            // boxes ahead (Box::Prefetch): its own fields, then its
            // connector lists and wrapper. Deeper stages were measured to
            // cost as much as they saved: their own reads miss.
            constexpr int kAhead[2] = {16, 8};
            constexpr int kStages = 2;
            for (int g = begin; g < end; ++g) {
                const std::vector<Box*>& group = self->groups_[static_cast<std::size_t>(g)];
                const int n = static_cast<int>(group.size());
                for (int i = 0; i < n; ++i) {
                    for (int stage = 0; stage < kStages; ++stage)
                        if (i + kAhead[stage] < n) group[static_cast<std::size_t>(i + kAhead[stage])]->Prefetch(stage);
                    group[static_cast<std::size_t>(i)]->Evaluate(*context);
                }
            }
        }
    } work{this, &context};
    ParallelRanges(GroupCount(), 1, parallel && GroupCount() > 1, work);
}

}  // namespace velora
