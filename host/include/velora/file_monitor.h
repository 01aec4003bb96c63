#ifndef VELORA_FILE_MONITOR_H
#define VELORA_FILE_MONITOR_H

// The file-monitoring manager: files on disk that the host watches (the
// open scene, animation clips, referenced files, scripts), and the event
// raised when one of them changes.
//
// Each watched file has a type (FileMonitorType). The manager watches the
// directory of each file through the kernel's inotify interface, so a file
// that an editor replaces (writes a new file and renames it over the old
// one) is still heard. Changes are collected by Poll, which the host calls
// once per frame (SceneEvaluator::EvaluateFrame) and anyone may call; Poll
// raises, on the calling thread, one event per changed file:
//   type kEventFileChange, sub-type the file's type, subject null, and a
//   FileChangeRecord whose path is the path as it was added.
// Several changes of one file between two polls give one event.
//
// Pause(true) stops the reports: changes that happen while paused are
// dropped (the host pauses while it writes a watched file itself).
// Clean(false) drops the changes not yet reported; Clean(true) also stops
// watching every file.
//
// Everything here runs on the main thread.

#include <map>
#include <string>

#include "velora/event_source.h"
#include "velora/export.h"

namespace velora {

class Object;

/// The event type of file changes at the manager's event source.
constexpr int kEventFileChange = 1347585337;

enum FileMonitorType : unsigned {
    kFileMainScene = 1,
    kFileAnimationClip = 2,
    kFileFileReference = 3,
    kFilePythonEditorScript = 4,
};

class VELORA_API FileMonitor {
public:
    static FileMonitor& Instance();
    FileMonitor(const FileMonitor&) = delete;
    FileMonitor& operator=(const FileMonitor&) = delete;

    /// Watches `path` under `type` (adding it again changes its type).
    /// False for an empty path, a type outside 1..4, or a directory that
    /// cannot be watched.
    bool AddFile(const std::string& path, unsigned type);
    /// False when the file was not watched.
    bool RemoveFile(const std::string& path);
    bool IsWatched(const std::string& path) const;
    int WatchedCount() const { return static_cast<int>(files_.size()); }

    void Pause(bool on) { paused_ = on; }
    bool IsPaused() const { return paused_; }
    void Clean(bool forgetFiles);

    /// Reads what the kernel reported and raises the events; returns how
    /// many were raised.
    int Poll();
    /// The source of the change events.
    EventSource& Events() { return events_; }
    /// The manager's host object (class "Manager", "FileMonitoringManager").
    Object* HostObject();

private:
    FileMonitor() = default;
    ~FileMonitor() = default;
    struct Watched {
        unsigned type;
        int directory;  // inotify watch of its directory
        std::string name;
    };
    int Descriptor();
    void Drain(bool report, std::map<std::string, unsigned>* changed);
    int WatchDirectory(const std::string& directory);
    void Unwatch(int directory);

    int fd_ = -1;
    std::map<std::string, Watched> files_;
    std::map<int, std::string> directories_;  // watch -> directory
    EventSource events_;
    Object* object_ = nullptr;
    bool paused_ = false;
};

}  // namespace velora

#endif  // VELORA_FILE_MONITOR_H
