// Replays the property text fuzz target's seed corpus and every saved crash
// input through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/fuzz_replay.h"

#include "../../fuzz/property_text_target.h"

namespace {

TEST(PropertyFuzzReplay, SeedsAndSavedFindings) {
    lysdk_test::ReplaySeedsAndFindings("fuzz_property_text", 20, [](const std::vector<std::uint8_t>& data) {
        lysdk_fuzz::PropertyText(data.data(), data.size());
    });
}

// Every type with text that it must refuse, and text that it must take.
TEST(PropertyFuzzReplay, EveryTypeThroughTheTarget) {
    for (int type = 0; type < 64; ++type) {
        for (const char* text : {"", "1", "-1 2, 3 4", "true", "abc~def", "#2", "nan", "1e400", "  "}) {
            std::vector<std::uint8_t> data(1, static_cast<std::uint8_t>(type));
            data.insert(data.end(), text, text + std::strlen(text));
            lysdk_fuzz::PropertyText(data.data(), data.size());
        }
    }
}

}  // namespace
