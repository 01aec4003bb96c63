// Saving and loading whole scene files.
//
// A save never writes into the target itself. It writes a temporary file in
// the same directory (so that the final rename stays on one file system and
// is atomic), fsyncs it, renames it over the target and fsyncs the
// directory so that the rename itself is durable. Until the rename the old
// file is untouched; after it the new one is complete. Every failure on the
// way removes the temporary.
//
// The target must be a regular file or not exist yet: renaming over a
// device, a FIFO or a socket would replace the node with a plain file (as
// root, "saving" to /dev/null would destroy the device). A symbolic link is
// followed, so the same holds for what it names.
//
// The temporary is named ".<name>.tmp-<pid>-XXXXXX", its name cut to the
// file system's name limit. A process killed half-way leaves one behind;
// the next save of the same file removes those whose writing process is
// gone.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "velora/scene_file.h"

namespace velora {
namespace dsx {

namespace {

std::atomic<SaveFaultHook> gFaultHook{nullptr};

constexpr std::size_t kChunk = 64 * 1024;

bool Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

std::string SystemError(const std::string& what, const std::string& path, int code) {
    return "cannot " + what + " '" + path + "': " + std::strerror(code);
}

// Whether the hook lets `step` go ahead; a refusal poses as EIO.
bool Allowed(SaveStep step, std::size_t written) {
    SaveFaultHook hook = gFaultHook.load();
    if (!hook || hook(step, written)) return true;
    errno = EIO;
    return false;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a file system node is, for a message.
const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// The longest file name the target's directory takes.
std::size_t NameLimit(const std::string& directory) {
    const long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

// ".<name>.tmp-": the start of every temporary of `target`, with the name
// cut (at a UTF-8 character boundary) so that the whole temporary name,
// "<pid>-XXXXXX" included, stays within the name limit.
std::string TempPrefix(const std::string& target) {
    constexpr std::size_t kTail = sizeof(".tmp-") - 1 + 10 + sizeof("-XXXXXX") - 1;  // pid <= 10 digits
    std::string base = BaseOf(target);
    const std::size_t limit = NameLimit(DirectoryOf(target));
    const std::size_t room = limit > kTail + 1 ? limit - kTail - 1 : 0;
    if (base.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
        base.resize(cut);
    }
    return "." + base + ".tmp-";
}

// Removes the temporaries of earlier saves of `target` whose writer is gone:
// names that start with the target's prefix followed by "<pid>-" and six
// characters, regular files only, and only when no process `pid` lives.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string directory = DirectoryOf(target);
    const std::string prefix = TempPrefix(target);
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string tail = name.substr(prefix.size());
        const std::size_t dash = tail.find('-');
        if (dash == 0 || dash == std::string::npos || tail.size() != dash + 7 ||
            tail.find_first_not_of("0123456789") != dash)
            continue;
        const long pid = std::strtol(tail.c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
        stale.push_back(directory + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& path : stale) {
        struct stat info;
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
    }
}

// Owns the temporary file until it has been renamed into place.
class TempFile {
public:
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    bool Create(const std::string& target, std::string* error) {
        std::string pattern =
            DirectoryOf(target) + "/" + TempPrefix(target) + std::to_string(::getpid()) + "-XXXXXX";
        if (!Allowed(SaveStep::kCreate, 0))
            return Fail(error, SystemError("create a temporary file beside", target, errno));
        fd_ = ::mkstemp(pattern.data());
        if (fd_ < 0) return Fail(error, SystemError("create a temporary file beside", target, errno));
        path_ = pattern;
        // mkstemp makes the file private; give the new file the old one's
        // permissions, or owner read-write and read for the others. (Reading
        // the umask would mean setting it, which races with other threads.)
        struct stat old;
        const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
        ::fchmod(fd_, mode);
        return true;
    }

    bool Write(const std::string& bytes, std::string* error) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t want = bytes.size() - done < kChunk ? bytes.size() - done : kChunk;
            if (!Allowed(SaveStep::kWrite, done)) return Fail(error, SystemError("write", path_, errno));
            const ssize_t n = ::write(fd_, bytes.data() + done, want);
            if (n < 0) {
                if (errno == EINTR) continue;
                return Fail(error, SystemError("write", path_, errno));
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool SyncAndClose(std::string* error) {
        if (!Allowed(SaveStep::kSync, 0) || ::fsync(fd_) != 0)
            return Fail(error, SystemError("flush", path_, errno));
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return Fail(error, SystemError("close", path_, errno));
        return true;
    }

    bool RenameTo(const std::string& target, std::string* error) {
        if (!Allowed(SaveStep::kRename, 0) || ::rename(path_.c_str(), target.c_str()) != 0)
            return Fail(error, SystemError("replace", target, errno));
        path_.clear();  // it is the target now
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

void SyncDirectory(const std::string& target) {
    // Best effort: the data is already safe in the renamed file; this makes
    // the new name survive a power cut too.
    const int fd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A save through a symbolic link replaces the file it points to and keeps
// the link (renaming over the link itself would turn it into a plain file).
// A link that points nowhere is replaced like a file.
std::string ResolveLink(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

}  // namespace

void SetSaveFaultHook(SaveFaultHook hook) { gFaultHook.store(hook); }

bool SaveDocument(const Document& document, const std::string& path, Encoding encoding,
                  std::string* error) {
    try {
        if (path.empty()) return Fail(error, "cannot save: no file name");
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return Fail(error, "cannot save '" + path + "': it is a directory");
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            return Fail(error, "cannot save '" + path + "': it is " + KindOf(info.st_mode) +
                                   ", not a regular file, and a save only replaces regular files");
        std::string bytes;
        if (!EncodeDocument(document, encoding, &bytes, error)) return false;
        const std::string target = ResolveLink(path);
        RemoveStaleTemporaries(target);
        TempFile temp;
        if (!temp.Create(target, error) || !temp.Write(bytes, error) || !temp.SyncAndClose(error) ||
            !temp.RenameTo(target, error))
            return false;
        SyncDirectory(target);
        return true;
    } catch (const std::exception& e) {
        return Fail(error, std::string("cannot save '") + path + "': " + e.what());
    }
}

bool LoadDocument(const std::string& path, Document* out, std::string* error, Encoding* encoding) {
    if (!out) return Fail(error, "no document to read into");
    out->Clear();
    try {
        // Refuse what is not a regular file before opening it: opening a
        // FIFO without a writer would wait forever. The open itself does
        // not block either, should the file be swapped for one meanwhile.
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            return Fail(error, "cannot read '" + path + "': not a regular file (" + KindOf(info.st_mode) + ")");
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return Fail(error, SystemError("open", path, errno));
        if (::fstat(fd, &info) != 0) {
            const int code = errno;
            ::close(fd);
            return Fail(error, SystemError("read", path, code));
        }
        if (!S_ISREG(info.st_mode)) {
            ::close(fd);
            return Fail(error, "cannot read '" + path + "': not a regular file");
        }
        if (static_cast<std::uint64_t>(info.st_size) > kMaxFileBytes) {
            ::close(fd);
            return Fail(error, "cannot read '" + path + "': larger than " +
                                   std::to_string(kMaxFileBytes) + " bytes");
        }
        std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // the file shrank under us: decode what is there
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        bytes.resize(done);
        if (!DecodeDocument(bytes.data(), bytes.size(), out, error, encoding)) {
            if (error) error->insert(0, "'" + path + "': ");
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        out->Clear();
        return Fail(error, "cannot read '" + path + "': " + e.what());
    }
}

}  // namespace dsx
}  // namespace velora
