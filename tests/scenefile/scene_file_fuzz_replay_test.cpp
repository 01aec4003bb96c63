// Replays the scene-file fuzz target's seed corpus and every saved crash
// input through the target's own checks on each ordinary test run.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/fuzz_replay.h"

#include "../../fuzz/scene_file_target.h"

namespace fs = std::filesystem;

namespace {

int ReplayDirectory(const fs::path& directory, int* accepted = nullptr) {
    return lysdk_test::ReplayDirectory(directory, [accepted](const std::vector<std::uint8_t>& data) {
        lysdk_fuzz::SceneFile(data.data(), data.size());
        if (!accepted) return;
        velora::dsx::Document doc;
        std::string error;
        if (velora::dsx::DecodeDocument(data.data(), data.size(), &doc, &error)) ++*accepted;
    });
}

TEST(SceneFileFuzzReplay, SeedCorpus) {
    const fs::path corpus = lysdk_test::FuzzDirectory() / "corpus" / "fuzz_scene_file";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    int accepted = 0;
    const int replayed = ReplayDirectory(corpus, &accepted);
    EXPECT_GE(replayed, 10);
    // The seeds are valid files: a corpus of refusals would steer the fuzzer
    // away from everything past the parser.
    EXPECT_EQ(accepted, replayed);
}

TEST(SceneFileFuzzReplay, SavedFindings) {
    ReplayDirectory(lysdk_test::FuzzDirectory() / "regressions" / "fuzz_scene_file");
}

TEST(SceneFileFuzzReplay, CutSeedsThroughTheTarget) {
    // Every prefix of every seed runs through the target's checks.
    for (const fs::directory_entry& entry : fs::directory_iterator(lysdk_test::FuzzDirectory() / "corpus" / "fuzz_scene_file")) {
        const std::vector<std::uint8_t> data = lysdk_test::FileBytes(entry.path());
        for (std::size_t n = 0; n <= data.size(); n += 1 + n / 16) lysdk_fuzz::SceneFile(data.data(), n);
    }
}

}  // namespace
