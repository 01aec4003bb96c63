#ifndef LYTESTING_LYTESTING_H
#define LYTESTING_LYTESTING_H

// lysdk::testing: unit tests of a plug-in, run against the reference host
// inside the test program.
//
//     #include <lytesting/lytesting.h>
//     using namespace VELSDK2025;
//
//     class HelloTest : public LyPluginTest {};
//
//     TEST_F(HelloTest, CreatesItsComponent) {
//         ASSERT_TRUE(Host().LoadPlugin(LYSDK_TEST_PLUGIN)) << Host().LastError();
//         LyComponent* hello = Host().Create("Browsing/Templates/Samples", "Hello", "Greeter");
//         ASSERT_NE(hello, nullptr) << Host().LastError();
//         EXPECT_STREQ(hello->ClassName(), "HelloComponent");
//     }
//
// LyTestHost loads plug-ins the way velora does (the file is checked, the
// library probed, its entry and registrations run, failures reported with
// the reason), fires the library lifecycle, creates objects from registry
// entries and evaluates the scene at a given time. Its end is the end of a
// velora run: objects of plug-in classes end, the libraries hear close and
// release and are unloaded, and the scene is cleared for the next test.
// One host lives at a time. The CMake function lysdk_add_plugin_test()
// builds such a test program and defines LYSDK_TEST_PLUGIN.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>

LYSDK_BEGIN_NAMESPACE

class LyTestHost {
public:
    /// Starts the host: the loaded SDK's version becomes the one plug-ins
    /// must match, and the trace is recorded (see TraceLines).
    LyTestHost();
    /// Shutdown, if not done yet.
    ~LyTestHost();
    LyTestHost(const LyTestHost&) = delete;
    LyTestHost& operator=(const LyTestHost&) = delete;

    /// Loads the plug-in at `path`; false with LastError() when it does not
    /// load (missing, not a plug-in, built for another SDK, entry refused
    /// or threw, ...).
    bool LoadPlugin(const char* path);
    /// Fires "LIBRARY_OPEN" then "LIBRARY_READY", once; Create, Evaluate and
    /// OpenScene do it first when it has not been done.
    void Open();
    bool IsOpen() const { return mOpen; }

    /// Creates an instance from the registry entry `entry` of `group`, named
    /// `name` (the entry's name when null), and returns its wrapper: for a
    /// plug-in class, the plug-in's own object. Null with LastError() when
    /// there is no such entry or its creator fails. The host owns the
    /// object; it ends at Shutdown at the latest.
    LyComponent* Create(const char* group, const char* entry, const char* name = nullptr);

    /// Makes `time` the current local time and evaluates the scene.
    bool Evaluate(const LyTime& time);

    /// Plays the transport from `start` in real time for `length`, with
    /// the transport recording when `record` is true: online devices run
    /// their cycles meanwhile (and record), and the scene is evaluated once
    /// per `framePeriod` (1/30 s by default). The transport stops at the
    /// end and the scene is evaluated once more at the stop time.
    bool Play(const LyTime& start, const LyTime& length, bool record,
              const LyTime& framePeriod = LyTime(141120000 / 30));

    /// Opens a .dsx scene into the current one, or saves the scene, between
    /// the application's file events ("PreFileOpen"/"FileOpen",
    /// "PreFileSave"/"FileSave"); false with LastError().
    bool OpenScene(const char* path);
    bool SaveScene(const char* path, bool binary = false);

    /// Queues the answer of the next message box: the button pressed (1 to
    /// 3), the check-box state to leave (0, 1, or -1 to keep it) and, for a
    /// value dialog, the value as text (null: none). Boxes without a queued
    /// answer answer their default button. The queue ends with the host.
    void AnswerMessageBox(int button, int check = -1, const char* value = nullptr);

    /// Why the last failing call failed.
    const char* LastError() const { return mError.c_str(); }
    /// Every trace line written since the host started.
    const std::vector<std::string>& TraceLines() const;
    /// Whether a trace line contains `text`.
    bool TraceContains(const char* text) const;

    /// Ends the objects this host created and every object of a plug-in
    /// class, fires "LIBRARY_CLOSE" and "LIBRARY_RELEASE", unloads the
    /// plug-ins (the last loaded first) and clears the scene.
    void Shutdown();

private:
    bool Fail(const std::string& error);
    bool mOpen = false;
    bool mDown = false;
    std::string mError;
    std::vector<HdlLyPlug> mCreated;
};

/// A GoogleTest fixture with a fresh host for every test.
class LyPluginTest : public ::testing::Test {
protected:
    LyTestHost& Host() { return *mHost; }
    void SetUp() override { mHost = std::make_unique<LyTestHost>(); }
    void TearDown() override { mHost.reset(); }

private:
    std::unique_ptr<LyTestHost> mHost;
};

LYSDK_END_NAMESPACE

#endif  // LYTESTING_LYTESTING_H
