// One "now": the timing manager's local time is the display evaluation time.

#include <gtest/gtest.h>

#include <velora/animation.h>
#include <velora/timing.h>

TEST(CurrentTime, TimingManagerAndDisplayEvaluationShareOneNow) {
    velora::TimingManager& timing = velora::TimingManager::Instance();
    const long long before = timing.LocalTime();
    const unsigned evaluation = velora::GlobalDisplayContext().evaluationId;

    timing.SetLocalTime(141120000 * 3);
    EXPECT_EQ(velora::CurrentTime(), 141120000LL * 3);
    EXPECT_NE(velora::GlobalDisplayContext().evaluationId, evaluation);  // a new evaluation

    velora::SetCurrentTime(-5);
    EXPECT_EQ(timing.LocalTime(), -5);
    EXPECT_EQ(velora::GlobalDisplayContext().time, -5);
    timing.SetLocalTime(before);
}
