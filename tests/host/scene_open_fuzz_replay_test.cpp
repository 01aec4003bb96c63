// Replays the whole-open fuzz target's seed corpus and every saved finding
// through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include "common/fuzz_replay.h"

#include "../../fuzz/scene_open_target.h"

namespace {

TEST(SceneOpenFuzzReplay, SeedsAndSavedFindings) {
    const auto fuzz = lysdk_test::FuzzDirectory();
    auto run = [](const std::vector<std::uint8_t>& data) {
        lysdk_fuzz::SceneOpen(data.data(), data.size());
    };
    EXPECT_GE(lysdk_test::ReplayDirectory(fuzz / "corpus" / "fuzz_scene_open", run), 2);
    lysdk_test::ReplayDirectory(fuzz / "regressions" / "fuzz_scene_open", run);
}

}  // namespace
