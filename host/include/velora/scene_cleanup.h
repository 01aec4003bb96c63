#ifndef VELORA_SCENE_CLEANUP_H
#define VELORA_SCENE_CLEANUP_H

// The scene's clean-ups: each deletes the deletable objects of its kind
// that nothing uses and returns how many went.

#include "velora/export.h"

namespace velora {

class Scene;

class VELORA_API SceneCleanup {
public:
    explicit SceneCleanup(Scene& scene) : scene_(scene) {}
    SceneCleanup(const SceneCleanup&) = delete;
    SceneCleanup& operator=(const SceneCleanup&) = delete;

    int EmptyGroups();
    int EmptySets();
    /// Relation constraints that hold no box.
    int EmptyRelationConstraints();
    /// Constraints whose "Active" switch is off.
    int InactiveConstraints();
    /// Boxes of relation constraints connected to nothing.
    int RelationConstraintsUnusedBoxes();
    /// Objects of a scene kind (SceneKind) connected to nothing besides the
    /// scene that lists them.
    int Unused(int kind);

private:
    Scene& scene_;
};

}  // namespace velora

#endif  // VELORA_SCENE_CLEANUP_H
