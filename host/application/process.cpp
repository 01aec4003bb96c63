// Facts of the machine and the process, asked of the operating system.

#include "velora/process.h"

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velora {
namespace process {

std::string TempPath() {
    std::string path;
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
        path = tmp;
    else
        path = P_tmpdir;
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string FullPath(const char* path) {
    if (!path) return std::string();
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') whole = CurrentDirectory() + "/" + whole;
    // Lexical clean-up: the file need not exist, so no symbolic links are
    // resolved; ".." at the root stays at the root.
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= whole.size()) {
        std::size_t next = whole.find('/', at);
        if (next == std::string::npos) next = whole.size();
        const std::string part = whole.substr(at, next - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = next + 1;
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::string();
    name[255] = 0;
    return name;
}

double Memory() {
    long pages = 0, resident = 0;
    if (FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(file);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double MemoryPeak() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0.0;
    return static_cast<double>(usage.ru_maxrss) * 1024.0;  // kilobytes on Linux
}

}  // namespace process
}  // namespace velora
