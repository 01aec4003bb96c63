#ifndef VELORA_APPLICATION_H
#define VELORA_APPLICATION_H

// The application's settings: its directories, the plug-in and script
// search paths, the command-line arguments handed to the SDK and its build
// identity. The machine and process it runs in are velora/process.h's; the
// viewer's display state is Viewer's, below.
//
// Directories start from where the program is installed:
//   application  the directory of the running executable
//   config       <application>/config
//   user config  $XDG_CONFIG_HOME/velora, else $HOME/.config/velora
//   resources    <application>/resources (images and meshes alike)
// and any of them may be set by the program (velora's options, tests).
//
// Every accessor is safe on any thread: settings are read by plug-ins from
// their own threads while the main thread may still be setting them up.

#include <mutex>
#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

class VELORA_API Application {
public:
    static Application& Instance();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Directories. Setters take the text as it is; null clears.
    std::string ConfigPath() const;
    std::string UserConfigPath() const;
    std::string ApplicationPath() const;
    std::string ResourcePath() const;
    void SetConfigPath(const char* path);
    void SetUserConfigPath(const char* path);
    void SetApplicationPath(const char* path);
    void SetResourcePath(const char* path);
    /// Directories searched for plug-ins, in search order.
    std::vector<std::string> PluginPaths() const;
    void AddPluginPath(const char* path);
    void ClearPluginPaths();
    /// Directories whose scripts run at start-up, in order.
    std::vector<std::string> ScriptStartupPaths() const;
    void AddScriptStartupPath(const char* path);
    void ClearScriptStartupPaths();

    /// The command-line arguments the program hands to the SDK (the program
    /// name first, as the program received them).
    void SetCommandLine(int argc, const char* const* argv);
    std::vector<std::string> CommandLine() const;

    const char* BuildId() const;
    const char* BuildVersion() const;
    /// The embedded script interpreter's version number (major * 100 +
    /// minor); 0 because this host embeds none.
    int PythonVersion() const { return 0; }

private:
    Application();
    struct State;
    State* state_;
};

/// The viewer's display state. The host is headless: the desktop has the
/// size it is given (1920 x 1080 at start), the display frame rate is the
/// one the last redraw loop reported. Safe on any thread.
class VELORA_API Viewer {
public:
    static Viewer& Instance();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    void DesktopSize(int* width, int* height) const;
    void SetDesktopSize(int width, int height);
    double DisplayFrameRate() const;
    void SetDisplayFrameRate(double framesPerSecond);
    bool FullScreen() const;
    /// Switches the viewer between windowed and full screen.
    void ToggleFullScreen();
    /// How many times the viewer switched so far.
    int FullScreenToggleCount() const;

private:
    Viewer() = default;
    mutable std::mutex mutex_;
    int width_ = 1920;
    int height_ = 1080;
    double frameRate_ = 0.0;
    bool fullScreen_ = false;
    int toggles_ = 0;
};

}  // namespace velora

#endif  // VELORA_APPLICATION_H
