// Replays the property text fuzz target's seed corpus and every saved crash
// input through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../../fuzz/property_text_target.h"

namespace fs = std::filesystem;

namespace {

fs::path FuzzDirectory() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz"; }

int ReplayDirectory(const fs::path& directory) {
    int replayed = 0;
    if (!fs::is_directory(directory)) return 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        SCOPED_TRACE(entry.path().string());
        lysdk_fuzz::PropertyText(data.data(), data.size());
        ++replayed;
    }
    return replayed;
}

TEST(PropertyFuzzReplay, SeedCorpus) {
    const fs::path corpus = FuzzDirectory() / "corpus" / "fuzz_property_text";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    EXPECT_GE(ReplayDirectory(corpus), 20);
}

TEST(PropertyFuzzReplay, SavedFindings) {
    ReplayDirectory(FuzzDirectory() / "regressions" / "fuzz_property_text");
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
