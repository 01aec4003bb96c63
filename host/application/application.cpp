// The application's settings and the viewer's display state.

#include "velora/application.h"

#include <unistd.h>

#include <climits>
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

#undef VELORA_GET

#define VELORA_SET(member, value)                      \
    std::lock_guard<std::mutex> lock(state_->mutex); \
    state_->member = value

void Application::SetConfigPath(const char* path) { VELORA_SET(config, path ? path : ""); }
void Application::SetUserConfigPath(const char* path) { VELORA_SET(userConfig, path ? path : ""); }
void Application::SetApplicationPath(const char* path) { VELORA_SET(application, path ? path : ""); }
void Application::SetResourcePath(const char* path) { VELORA_SET(resources, path ? path : ""); }

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

Viewer& Viewer::Instance() {
    static Viewer viewer;
    return viewer;
}

void Viewer::DesktopSize(int* width, int* height) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (width) *width = width_;
    if (height) *height = height_;
}

void Viewer::SetDesktopSize(int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    width_ = width;
    height_ = height;
}

double Viewer::DisplayFrameRate() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frameRate_;
}

void Viewer::SetDisplayFrameRate(double framesPerSecond) {
    std::lock_guard<std::mutex> lock(mutex_);
    frameRate_ = framesPerSecond;
}

bool Viewer::FullScreen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fullScreen_;
}

void Viewer::ToggleFullScreen() {
    std::lock_guard<std::mutex> lock(mutex_);
    fullScreen_ = !fullScreen_;
    ++toggles_;
}

int Viewer::FullScreenToggleCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return toggles_;
}

}  // namespace velora
