#ifndef VELORA_SCENE_SCENE_OBJECTS_H
#define VELORA_SCENE_SCENE_OBJECTS_H

// Deleting groups of scene objects, shared by the namespace operations and
// the clean-ups. Private to the host core.

#include <vector>

namespace velora {

class Object;

/// Whether scene operations may delete `object`: alive, deletable, not
/// locked and not made by the host for itself.
bool SceneMayDelete(const Object* object);
/// Deletes those of `doomed` that SceneMayDelete allows; objects that end
/// along the way (owned by another one of them) are skipped. Returns how
/// many were deleted.
int DeleteSceneObjects(const std::vector<Object*>& doomed);

}  // namespace velora

#endif  // VELORA_SCENE_SCENE_OBJECTS_H
