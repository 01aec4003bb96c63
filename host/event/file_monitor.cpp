// The file-monitoring manager over inotify.

#include "velora/file_monitor.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <vector>

#include "velora/event_records.h"
#include "velora/object.h"

namespace velora {

namespace {

// The directory and the name of a path ("a/b/c" -> "a/b", "c"; "c" -> ".").
void Split(const std::string& path, std::string* directory, std::string* name) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        *directory = ".";
        *name = path;
    } else {
        *directory = slash == 0 ? "/" : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

constexpr std::uint32_t kWatchMask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;

}  // namespace

FileMonitor& FileMonitor::Instance() {
    // Kept for the process: the descriptor goes with it.
    alignas(FileMonitor) static unsigned char storage[sizeof(FileMonitor)];
    static FileMonitor* instance = new (storage) FileMonitor();
    return *instance;
}

Object* FileMonitor::HostObject() {
    if (!object_) {
        object_ = Object::Create("FileMonitoringManager", kClassManager);
        object_->SetObjectFlags(kObjectSystem);
    }
    return object_;
}

int FileMonitor::Descriptor() {
    if (fd_ < 0) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd_;
}

int FileMonitor::WatchDirectory(const std::string& directory) {
    for (const auto& [watch, name] : directories_)
        if (name == directory) return watch;
    const int fd = Descriptor();
    if (fd < 0) return -1;
    const int watch = inotify_add_watch(fd, directory.c_str(), kWatchMask);
    if (watch >= 0) directories_[watch] = directory;
    return watch;
}

void FileMonitor::Unwatch(int directory) {
    for (const auto& entry : files_)
        if (entry.second.directory == directory) return;  // still in use
    if (fd_ >= 0) inotify_rm_watch(fd_, directory);
    directories_.erase(directory);
}

bool FileMonitor::AddFile(const std::string& path, unsigned type) {
    if (path.empty() || type < kFileMainScene || type > kFilePythonEditorScript) return false;
    std::string directory, name;
    Split(path, &directory, &name);
    if (name.empty()) return false;
    const int watch = WatchDirectory(directory);
    if (watch < 0) return false;
    files_[path] = Watched{type, watch, name};
    return true;
}

bool FileMonitor::RemoveFile(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end()) return false;
    const int directory = it->second.directory;
    files_.erase(it);
    Unwatch(directory);
    return true;
}

bool FileMonitor::IsWatched(const std::string& path) const { return files_.count(path) != 0; }

void FileMonitor::Drain(bool report, std::map<std::string, unsigned>* changed) {
    if (fd_ < 0) return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0) return;  // EAGAIN: nothing more for now
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (!report || event->len == 0) continue;
            const std::string name(event->name);
            for (const auto& [path, watched] : files_)
                if (watched.directory == event->wd && watched.name == name) (*changed)[path] = watched.type;
        }
    }
}

void FileMonitor::Clean(bool forgetFiles) {
    Drain(false, nullptr);
    if (!forgetFiles) return;
    for (const auto& [watch, directory] : directories_)
        if (fd_ >= 0) inotify_rm_watch(fd_, watch);
    directories_.clear();
    files_.clear();
}

int FileMonitor::Poll() {
    std::map<std::string, unsigned> changed;
    Drain(!paused_, &changed);
    int raised = 0;
    for (const auto& [path, type] : changed) {
        FileChangeRecord record;
        record.type = kEventFileChange;
        record.subType = static_cast<int>(type);
        record.path = path;
        events_.Raise(record);
        ++raised;
    }
    return raised;
}

}  // namespace velora
