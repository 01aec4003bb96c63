#ifndef VELORA_SESSION_H
#define VELORA_SESSION_H

// One run of the host with plug-ins, as the velora program and the plug-in
// test library drive it:
//
//   LoadPluginDirectories   every plug-in of the search path, reported one
//                           by one
//   FireLibraryOpen         "LIBRARY_OPEN", "LIBRARY_READY"
//   OpenSceneFile, CreateFromRegistry, SaveSceneFile, ... in any order
//   EndSession              the plug-ins' objects end, "LIBRARY_CLOSE",
//                           "LIBRARY_RELEASE", the libraries are freed
//
// Opening and saving raise the application's named events around the work:
// "PreFileOpen" before a scene is read and "FileOpen" once it is open;
// "PreFileSave" and "FileSave" around a save. A plug-in hears a scene being
// opened by adding a callback to the global event "FileOpen".

#include <functional>
#include <string>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"
#include "velora/scene_io.h"

namespace velora {

/// What became of one plug-in file, or of a plug-in folder that could not
/// be searched (then `folder` is true and `loaded` false).
struct PluginLoadReport {
    std::string path;
    bool folder = false;
    bool loaded = false;
    std::string reason;  ///< why it was not loaded
};

/// Loads the plug-ins of `directories` in order (files of a directory in
/// name order); a library found twice, under any name, loads once. `each`,
/// when given, hears every report as it is made (so that what the libraries
/// write while loading comes after the report of the one before).
VELORA_API std::vector<PluginLoadReport> LoadPluginDirectories(
    const std::vector<std::string>& directories,
    const std::function<void(const PluginLoadReport&)>& each = nullptr);

/// A registry entry named "Group/Path/Entry" (the group is everything
/// before the last '/'), with the instance name after an optional '='.
struct EntrySpec {
    std::string group;
    std::string entry;
    std::string name;  ///< the entry's name when none is given
};
/// False with a reason when `spec` has no '/' or an empty part.
VELORA_API bool ParseEntrySpec(const std::string& spec, EntrySpec* out, std::string* error);

/// Creates an instance from a registry entry through its creator (guarded:
/// see CallCreator). Null with a reason naming the library when there is no
/// such entry, no creator, or the creator fails. `library` receives the
/// entry's library ("the host" for the host's own entries).
VELORA_API lyiface::IObject* CreateFromRegistry(const EntrySpec& spec, std::string* error,
                                       std::string* library = nullptr);

/// OpenScene and SaveScene between the application's file events.
VELORA_API bool OpenSceneFile(const std::string& path, std::string* error,
                              SceneCounts* counts = nullptr);
VELORA_API bool SaveSceneFile(const std::string& path, bool binary, std::string* error,
                              SceneCounts* counts = nullptr);

/// Ends the plug-ins' objects, fires the closing lifecycle events and frees
/// every plug-in, the last loaded first.
VELORA_API void EndSession();

}  // namespace velora

#endif  // VELORA_SESSION_H
