// The transport, through LyPlayerControl and the host's clock-driven play.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/animation.h>
#include <velora/take.h>
#include <velora/time.h>
#include <velora/timing.h>
#include <velora/transport.h>

using namespace VELSDK2025;

namespace {

constexpr long long kSecond = 141120000;

long long gClock = 0;
long long TestClock() { return gClock; }

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        velora::Transport::Instance().Reset();
        velora::TimeSettings::SetDefaultMode(velora::kTimeMode30);
        velora::SetCurrentTime(0);
    }
    void TearDown() override {
        velora::Transport::Instance().Reset();
        velora::TimeSettings::SetDefaultMode(velora::kTimeMode30);
        velora::SetCurrentTime(0);
    }
    static long long Now() { return LyTime(LySystem::TheOne().LocalTime).Get(); }
    LyPlayerControl& pc = LyPlayerControl::TheOne();
};

// A step stops a playing transport and moves exactly one frame of the mode,
// from a time between two frames as well.
TEST_F(TransportTest, AStepStopsPlaybackAndMovesOneFrameOfTheMode) {
    struct Case {
        LyTimeMode mode;
        long long from;
    } cases[] = {{kLyTimeMode30Frames, 0},
                 {kLyTimeMode24Frames, 5 * kSecond / 24},
                 {kLyTimeMode60Frames, kSecond / 120},  // half a frame in
                 {kLyTimeMode2997Frames, kSecond}};
    for (const Case& c : cases) {
        pc.SetTransportFps(c.mode);
        const double fps = pc.GetTransportFpsValue(kLyTimeModeDefault);
        ASSERT_DOUBLE_EQ(fps, pc.GetTransportFpsValue(c.mode));
        pc.Goto(LyTime(c.from));
        const long long start = Now();
        pc.Play();
        ASSERT_TRUE(pc.IsPlaying);
        pc.StepForward();
        EXPECT_FALSE(pc.IsPlaying) << fps;
        const long long frame = static_cast<long long>(kSecond / fps + 0.5);
        const long long base = static_cast<long long>(static_cast<double>(start) * fps / kSecond) * kSecond / fps;
        EXPECT_NEAR(static_cast<double>(Now()), static_cast<double>(base + frame), 2.0) << fps;
        pc.StepBackward();
        EXPECT_NEAR(static_cast<double>(Now()), static_cast<double>(base), 2.0) << fps;
    }
}

TEST_F(TransportTest, GotoStartAndEndFollowTheZoomWindowNotTheLoopRange) {
    pc.LoopStart = LyTime(0);
    pc.LoopStop = LyTime(20 * kSecond);
    pc.ZoomWindowStart = LyTime(kSecond);
    pc.ZoomWindowStop = LyTime(4 * kSecond);
    pc.GotoEnd();
    EXPECT_EQ(Now(), 4 * kSecond);
    pc.GotoStart();
    EXPECT_EQ(Now(), kSecond);
}

TEST_F(TransportTest, ReferentialsSpeedsAndRefusals) {
    const struct {
        LyTimeReferential set, read;
    } referentials[] = {{kLyTimeReferentialEdit, kLyTimeReferentialEdit},
                        {kLyTimeReferentialShot, kLyTimeReferentialAction},
                        {kLyTimeReferentialAction, kLyTimeReferentialAction}};
    for (const auto& r : referentials) {
        pc.SetTimeReferential(kLyTimeReferentialEdit);
        pc.SetTimeReferential(r.set);
        EXPECT_EQ(pc.GetTimeReferential(), r.read) << r.set;
    }

    pc.SetPlaySpeedMode(kLySpeed_2x);
    EXPECT_DOUBLE_EQ(pc.GetPlaySpeed(), 2.0);
    pc.SetPlaySpeed(1.5);
    EXPECT_EQ(pc.GetPlaySpeedMode(), kLySpeed_Custom);
    static std::string trace;
    trace.clear();
    LyTraceStubFct stub = [](unsigned int, const char* text) { trace += text; };
    LyRegisterTraceStubFct(stub);
    pc.SetPlaySpeedMode(kLySpeed_Custom);
    LyUnRegisterTraceStubFct(stub);
    EXPECT_DOUBLE_EQ(pc.GetPlaySpeed(), 1.5);
    EXPECT_NE(trace.find("Doesn't make sense to set play speed by kLySpeed_Custom. To set the custom speed, use "
                         "SetPlaySpeed() function directly."),
              std::string::npos)
        << trace;
}

// Real-time play reads the clock: the time moves by the elapsed time times
// the play speed, snapped to frames; the range's end stops it or loops.
TEST_F(TransportTest, PlayFollowsTheClockAtThePlaySpeedAndLoops) {
    velora::Transport& t = velora::Transport::Instance();
    gClock = 0;
    t.SetClock(&TestClock);
    t.SetLoop(0, kSecond);
    t.SetPlaySpeed(2.0);
    t.Play();
    gClock = kSecond / 10;  // 0.2 s of scene time: frame 6
    ASSERT_TRUE(t.Update());
    EXPECT_EQ(velora::TimingManager::Instance().LocalTime(), 6 * kSecond / 30);
    gClock = kSecond;  // past the end: no loop stops there
    EXPECT_FALSE(t.Update());
    EXPECT_EQ(velora::TimingManager::Instance().LocalTime(), kSecond);

    t.SetLoopMode(velora::kLoopCurrentTake);
    t.SetPlaySpeed(1.0);
    t.Play(false);  // backward from the end goes round to it again
    gClock += kSecond + kSecond / 2;
    EXPECT_TRUE(t.Update());
    EXPECT_EQ(velora::TimingManager::Instance().LocalTime(), kSecond);
    t.Stop();

    // Batch: a frame per update, and the next mark stops a play to it.
    velora::Take* take = velora::CurrentTake(true);
    take->TimeMarks().Add(3 * kSecond / 30, "cue");
    t.SetRealTime(false);
    t.Goto(0);
    t.Play(true, true);
    int updates = 1;
    while (t.Update()) ++updates;
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(velora::TimingManager::Instance().LocalTime(), 3 * kSecond / 30);
    take->TimeMarks().Clear();
}

TEST_F(TransportTest, GlobalTimeMarksStayInTimeOrder) {
    pc.DeleteAllGlobalTimeMarks();
    EXPECT_EQ(pc.AddGlobalTimeMark(LyTime(2 * kSecond), "b"), 0);
    EXPECT_EQ(pc.AddGlobalTimeMark(LyTime(kSecond), "a"), 0);
    EXPECT_STREQ(pc.GetGlobalTimeMarkName(1), "b");
    EXPECT_TRUE(pc.SetGlobalTimeMarkLock(0, true));
    EXPECT_EQ(pc.SetGlobalTimeMarkTime(0, LyTime(3 * kSecond)), -1);  // locked
    EXPECT_EQ(pc.SetGlobalTimeMarkTime(1, LyTime(0)), 0);
    pc.Goto(LyTime(kSecond));
    EXPECT_EQ(pc.GetNextGlobalTimeMarkIndex(), -1);
    EXPECT_EQ(pc.GetPreviousGlobalTimeMarkIndex(), 0);
    EXPECT_FALSE(pc.DeleteGlobalTimeMark(5));
    EXPECT_EQ(pc.GetGlobalTimeMarkCount(), 2);
    pc.DeleteAllGlobalTimeMarks();
}

}  // namespace
