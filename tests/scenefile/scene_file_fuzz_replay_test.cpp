// Replays the scene-file fuzz target's seed corpus and every saved crash
// input through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../../fuzz/scene_file_target.h"

namespace fs = std::filesystem;

namespace {

fs::path FuzzDirectory() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz"; }

std::vector<std::uint8_t> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

int ReplayDirectory(const fs::path& directory, int* accepted = nullptr) {
    int replayed = 0;
    if (!fs::is_directory(directory)) return 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        const std::vector<std::uint8_t> data = Bytes(entry.path());
        SCOPED_TRACE(entry.path().string());
        lysdk_fuzz::SceneFile(data.data(), data.size());
        if (accepted) {
            velora::dsx::Document doc;
            std::string error;
            if (velora::dsx::DecodeDocument(data.data(), data.size(), &doc, &error)) ++*accepted;
        }
        ++replayed;
    }
    return replayed;
}

TEST(SceneFileFuzzReplay, SeedCorpus) {
    const fs::path corpus = FuzzDirectory() / "corpus" / "fuzz_scene_file";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    int accepted = 0;
    const int replayed = ReplayDirectory(corpus, &accepted);
    EXPECT_GE(replayed, 10);
    // The seeds are valid files: a corpus of refusals would steer the fuzzer
    // away from everything past the parser.
    EXPECT_EQ(accepted, replayed);
}

TEST(SceneFileFuzzReplay, SavedFindings) {
    ReplayDirectory(FuzzDirectory() / "regressions" / "fuzz_scene_file");
}

TEST(SceneFileFuzzReplay, CutSeedsThroughTheTarget) {
    // Every prefix of every seed runs through the target's checks.
    for (const fs::directory_entry& entry : fs::directory_iterator(FuzzDirectory() / "corpus" / "fuzz_scene_file")) {
        const std::vector<std::uint8_t> data = Bytes(entry.path());
        for (std::size_t n = 0; n <= data.size(); n += 1 + n / 16) lysdk_fuzz::SceneFile(data.data(), n);
    }
}

}  // namespace
