// Replays the whole-open fuzz target's seed corpus and every saved finding
// through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include "common/fuzz_replay.h"

#include "../../fuzz/scene_open_target.h"

namespace {

TEST(SceneOpenFuzzReplay, SeedsAndSavedFindings) {
    lysdk_test::ReplaySeedsAndFindings("fuzz_scene_open", 2, [](const std::vector<std::uint8_t>& data) {
        lysdk_fuzz::SceneOpen(data.data(), data.size());
    });
}

}  // namespace
