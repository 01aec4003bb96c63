// The application's settings and process facts.

#include "velora/application.h"

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace velora {

namespace {

// The build this core reports: the project's version, handed over by the
// build.
constexpr const char* kBuildVersion = VELORA_VERSION;
constexpr const char* kBuildId = "velora-" VELORA_VERSION "-headless";

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string dir(path);
    const auto slash = dir.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : dir.substr(0, slash);
}

std::string DefaultUserConfig() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/velora";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/velora";
    return ".velora";
}

}  // namespace

struct Application::State {
    mutable std::mutex mutex;
    std::string application;
    std::string config;
    std::string userConfig;
    std::string resources;
    std::vector<std::string> pluginPaths;
    std::vector<std::string> scriptPaths;
    std::vector<std::string> commandLine;
    int desktopWidth = 1920;
    int desktopHeight = 1080;
    double frameRate = 0.0;
    bool fullScreen = false;
    int toggles = 0;
};

Application& Application::Instance() {
    static Application application;
    return application;
}

Application::Application() : state_(new State) {
    state_->application = ExecutableDirectory();
    state_->config = state_->application + "/config";
    state_->resources = state_->application + "/resources";
    state_->userConfig = DefaultUserConfig();
}

#define VELORA_GET(member)                              \
    std::lock_guard<std::mutex> lock(state_->mutex); \
    return state_->member

std::string Application::ConfigPath() const { VELORA_GET(config); }
std::string Application::UserConfigPath() const { VELORA_GET(userConfig); }
std::string Application::ApplicationPath() const { VELORA_GET(application); }
std::string Application::ResourcePath() const { VELORA_GET(resources); }
std::vector<std::string> Application::PluginPaths() const { VELORA_GET(pluginPaths); }
std::vector<std::string> Application::ScriptStartupPaths() const { VELORA_GET(scriptPaths); }
std::vector<std::string> Application::CommandLine() const { VELORA_GET(commandLine); }
double Application::DisplayFrameRate() const { VELORA_GET(frameRate); }
bool Application::FullScreenViewer() const { VELORA_GET(fullScreen); }
int Application::FullScreenToggleCount() const { VELORA_GET(toggles); }

#undef VELORA_GET

#define VELORA_SET(member, value)                      \
    std::lock_guard<std::mutex> lock(state_->mutex); \
    state_->member = value

void Application::SetConfigPath(const char* path) { VELORA_SET(config, path ? path : ""); }
void Application::SetUserConfigPath(const char* path) { VELORA_SET(userConfig, path ? path : ""); }
void Application::SetApplicationPath(const char* path) { VELORA_SET(application, path ? path : ""); }
void Application::SetResourcePath(const char* path) { VELORA_SET(resources, path ? path : ""); }
void Application::SetDisplayFrameRate(double framesPerSecond) { VELORA_SET(frameRate, framesPerSecond); }

#undef VELORA_SET

void Application::AddPluginPath(const char* path) {
    if (!path) return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->pluginPaths.emplace_back(path);
}

void Application::ClearPluginPaths() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->pluginPaths.clear();
}

void Application::AddScriptStartupPath(const char* path) {
    if (!path) return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->scriptPaths.emplace_back(path);
}

void Application::ClearScriptStartupPaths() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->scriptPaths.clear();
}

void Application::SetCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 0; argv && i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->commandLine.swap(args);
}

const char* Application::BuildId() const { return kBuildId; }
const char* Application::BuildVersion() const { return kBuildVersion; }

std::string Application::TempPath() {
    std::string path;
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
        path = tmp;
    else
        path = P_tmpdir;
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string Application::CurrentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string Application::FullPath(const char* path) {
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

std::string Application::ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::string();
    name[255] = 0;
    return name;
}

double Application::ProcessMemory() {
    long pages = 0, resident = 0;
    if (FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(file);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double Application::ProcessMemoryPeak() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0.0;
    return static_cast<double>(usage.ru_maxrss) * 1024.0;  // kilobytes on Linux
}

void Application::DesktopSize(int* width, int* height) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (width) *width = state_->desktopWidth;
    if (height) *height = state_->desktopHeight;
}

void Application::SetDesktopSize(int width, int height) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->desktopWidth = width;
    state_->desktopHeight = height;
}

void Application::ToggleFullScreenViewer() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->fullScreen = !state_->fullScreen;
    ++state_->toggles;
}

}  // namespace velora
