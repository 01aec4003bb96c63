#ifndef VELORA_SCENE_IO_H
#define VELORA_SCENE_IO_H

// Opening and saving the host's scene as a ".dsx" file.
//
// Saving writes every living object of a host class (the host's own
// classes, not the classes libraries register, whose objects are stored by
// their extensions) that the host did not make for itself (no system flag),
// with its flags and its properties' values. Each property keeps its host
// data type name in the object's "PropertyTypes" field, in order, so that a
// colour comes back a colour and not a plain vector.
//
// Opening creates one host object per file object whose class the host
// knows and whose name is free, with its properties; models join the scene.
// File objects of other classes are skipped and counted. A file that does
// not read creates nothing.

#include <string>

#include "velora/export.h"

namespace velora {

struct SceneCounts {
    int objects = 0;     ///< objects saved or created
    int properties = 0;  ///< properties saved or set
    int skipped = 0;     ///< objects left out (unknown class, name in use)
};

/// Saves atomically; false with a message when the file cannot be written.
VELORA_API bool SaveScene(const std::string& path, bool binary, std::string* error,
                          SceneCounts* counts = nullptr);
/// Opens a scene into the current one; false with a message when the file
/// does not read.
VELORA_API bool OpenScene(const std::string& path, std::string* error,
                          SceneCounts* counts = nullptr);

}  // namespace velora

#endif  // VELORA_SCENE_IO_H
