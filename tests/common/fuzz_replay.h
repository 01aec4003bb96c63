#ifndef LYSDK_TESTS_COMMON_FUZZ_REPLAY_H
#define LYSDK_TESTS_COMMON_FUZZ_REPLAY_H

// Replays a fuzz target's inputs (its seed corpus, its saved findings) on
// every ordinary, sanitized test run, so each past finding stays fixed.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace lysdk_test {

/// The fuzz directory of the source tree, found from this header's path.
inline std::filesystem::path FuzzDirectory() {
    return std::filesystem::path(LYSDK_SOURCE_DIR) / "fuzz";
}

/// The bytes of a file, in an exactly sized buffer: a read past the input
/// is a sanitizer report.
inline std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

/// Runs `target` on every file of `directory`; returns how many ran (0 when
/// the directory does not exist).
inline int ReplayDirectory(const std::filesystem::path& directory,
                           const std::function<void(const std::vector<std::uint8_t>&)>& target) {
    int replayed = 0;
    if (!std::filesystem::is_directory(directory)) return 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        const std::vector<std::uint8_t> data = FileBytes(entry.path());
        SCOPED_TRACE(entry.path().string());
        target(data);
        ++replayed;
    }
    return replayed;
}

/// Replays the seed corpus of the fuzz target `name` (which must hold at
/// least `minimumSeeds` files) and then its saved findings (none until the
/// fuzzer finds something; each one is then kept); returns the seed count.
inline int ReplaySeedsAndFindings(const char* name, int minimumSeeds,
                                  const std::function<void(const std::vector<std::uint8_t>&)>& target) {
    const std::filesystem::path corpus = FuzzDirectory() / "corpus" / name;
    EXPECT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    const int seeds = ReplayDirectory(corpus, target);
    EXPECT_GE(seeds, minimumSeeds) << corpus;
    ReplayDirectory(FuzzDirectory() / "regressions" / name, target);
    return seeds;
}

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_COMMON_FUZZ_REPLAY_H
