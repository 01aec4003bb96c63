#ifndef VELORA_APPLICATION_H
#define VELORA_APPLICATION_H

// The application's settings and process facts: its directories, the
// plug-in and script search paths, the command-line arguments handed to the
// SDK, its build identity, the machine and process it runs in, and the
// viewer's display state.
//
// Directories start from where the program is installed:
//   application  the directory of the running executable
//   config       <application>/config
//   user config  $XDG_CONFIG_HOME/velora, else $HOME/.config/velora
//   resources    <application>/resources (images and meshes alike)
// and any of them may be set by the program (velora's options, tests).
// The temporary directory is asked of the operating system at every read
// ($TMPDIR, else the system's default), and always ends with '/'.
//
// Every accessor is safe on any thread: settings are read by plug-ins from
// their own threads while the main thread may still be setting them up.

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
    /// The operating system's temporary directory, with a trailing '/'.
    static std::string TempPath();

    /// The process's current directory ("" if it cannot be read).
    static std::string CurrentDirectory();
    /// `path` made absolute (against the current directory) and cleaned of
    /// "." and ".." parts and repeated '/'; the file need not exist.
    /// "" for null.
    static std::string FullPath(const char* path);

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

    /// The machine's name (at most 255 characters).
    static std::string ComputerName();
    /// Resident memory of the process now, and its peak, in bytes.
    static double ProcessMemory();
    static double ProcessMemoryPeak();

    // Viewer and display. The host is headless: the desktop has the size it
    // is given (1920 x 1080 at start), the display frame rate is the one the
    // last redraw loop reported.
    void DesktopSize(int* width, int* height) const;
    void SetDesktopSize(int width, int height);
    double DisplayFrameRate() const;
    void SetDisplayFrameRate(double framesPerSecond);
    bool FullScreenViewer() const;
    /// Switches the viewer between windowed and full screen.
    void ToggleFullScreenViewer();
    /// How many times the viewer switched so far.
    int FullScreenToggleCount() const;

private:
    Application();
    struct State;
    State* state_;
};

}  // namespace velora

#endif  // VELORA_APPLICATION_H
