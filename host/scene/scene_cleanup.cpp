// The scene's clean-ups.

#include "velora/scene_cleanup.h"

#include <vector>

#include "scene/scene_objects.h"
#include "velora/property.h"
#include "velora/scene.h"

namespace velora {


int SceneCleanup::EmptyGroups() {
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kSceneGroups); ++i)
        if (Object* group = scene_.ObjectAt(kSceneGroups, i); group->SrcCount() == 0) doomed.push_back(group);
    return DeleteSceneObjects(doomed);
}

int SceneCleanup::EmptySets() {
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kSceneSets); ++i)
        if (Object* set = scene_.ObjectAt(kSceneSets, i); set->SrcCount() == 0) doomed.push_back(set);
    return DeleteSceneObjects(doomed);
}

namespace {

// The boxes of a relation constraint are the objects it owns.
std::vector<Object*> OwnedBoxes(Object* relation) {
    std::vector<Object*> boxes;
    for (int i = 0; i < relation->OwnedCount(); ++i)
        if (Object* box = AsObject(relation->Owned(i)); box && box->IsA(kClassBox)) boxes.push_back(box);
    return boxes;
}

}  // namespace

int SceneCleanup::EmptyRelationConstraints() {
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = scene_.ObjectAt(kSceneConstraints, i);
        if (constraint->IsA(kClassConstraintRelation) && OwnedBoxes(constraint).empty())
            doomed.push_back(constraint);
    }
    return DeleteSceneObjects(doomed);
}

int SceneCleanup::InactiveConstraints() {
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = scene_.ObjectAt(kSceneConstraints, i);
        // A constraint without an "Active" switch cannot be turned off.
        Property* active = constraint->FindProperty("Active");
        bool on = true;
        if (active && active->TypeId() == kDataBool) active->GetRaw(&on);
        if (!on) doomed.push_back(constraint);
    }
    return DeleteSceneObjects(doomed);
}

int SceneCleanup::RelationConstraintsUnusedBoxes() {
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kSceneConstraints); ++i) {
        Object* constraint = scene_.ObjectAt(kSceneConstraints, i);
        if (!constraint->IsA(kClassConstraintRelation)) continue;
        for (Object* box : OwnedBoxes(constraint))
            if (box->SrcCount() == 0 && box->DstCount() == 0) doomed.push_back(box);
    }
    return DeleteSceneObjects(doomed);
}

int SceneCleanup::Unused(int kind) {
    if (kind < 0 || kind >= kSceneKindCount) return 0;
    std::vector<Object*> doomed;
    for (int i = 0; i < scene_.ObjectCount(kind); ++i) {
        Object* object = scene_.ObjectAt(kind, i);
        // Used: connected to anything besides the scene that lists it.
        bool used = object->SrcCount() > 0;
        for (int d = 0; !used && d < object->DstCount(); ++d) used = object->Dst(d) != &scene_;
        if (!used) doomed.push_back(object);
    }
    return DeleteSceneObjects(doomed);
}

}  // namespace velora
