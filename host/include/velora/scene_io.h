#ifndef VELORA_SCENE_IO_H
#define VELORA_SCENE_IO_H

// Opening and saving the host's scene as a ".dsx" file.
//
// Both run the storage passes of velora/scene_storage.h over the objects
// they keep, and every object stores and retrieves itself through its own
// Object::Store / Object::Retrieve (a bridge hands the store on to its
// extension).
//
// Saving keeps every living object that the host did not make for itself
// (no system flag) and that no other object owns: objects of the host's own
// classes, and objects made by a plug-in class that is also registered
// under a "DsxStorable/..." group (they carry that entry, and a custom model,
// material or texture also needs its kind's storable-custom flag; otherwise it is kept as its host class, or
// left out with a warning). Each property is stored with its own type.
//
// Opening creates one host object per file object, through its registry
// entry or its host class, named after the file object's name; one whose
// name the scene already has is not created (references in the file then
// find the scene's). Every object is made before any field or property is
// read, and object and reference values resolve after all are made. What
// cannot be kept (an unknown class, a property whose type differs from the
// object's own, a reference that finds nothing, flags a file may not set) is
// reported as a warning and counted; nothing is dropped silently. A file
// that does not read creates nothing.

#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

namespace dsx {
class Document;
}

struct SceneCounts {
    int objects = 0;     ///< objects saved or created
    int properties = 0;  ///< properties saved or set
    int skipped = 0;     ///< objects left out (unknown class, name in use)
    /// What could not be kept, one message each (also printed as warnings).
    std::vector<std::string> warnings;
};

/// Saves atomically; false with a message when the file cannot be written.
VELORA_API bool SaveScene(const std::string& path, bool binary, std::string* error,
                          SceneCounts* counts = nullptr);
/// Opens a scene into the current one; false with a message when the file
/// does not read.
VELORA_API bool OpenScene(const std::string& path, std::string* error,
                          SceneCounts* counts = nullptr);

/// The same two without a file: the scene into a document (replacing its
/// content), and a document into the scene.
VELORA_API void StoreScene(dsx::Document* document, SceneCounts* counts = nullptr);
VELORA_API void RetrieveScene(const dsx::Document& document, SceneCounts* counts = nullptr);

}  // namespace velora

#endif  // VELORA_SCENE_IO_H
