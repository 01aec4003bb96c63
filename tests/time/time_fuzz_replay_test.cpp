// Replays the time text fuzz target's seed corpus and every saved crash
// input through the target's own checks, so an ordinary (sanitized) test run
// keeps each past finding fixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../fuzz/time_text_target.h"

namespace fs = std::filesystem;

namespace {

// The fuzz directory of the source tree, found from this file's own path.
fs::path FuzzDirectory() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz"; }

// The target picks the custom rate per input; put the application's back.
class CustomRateGuard {
public:
    ~CustomRateGuard() { velora::TimeSettings::SetCustomRate(rate_); }

private:
    double rate_ = velora::TimeSettings::CustomRate();
};

int ReplayDirectory(const fs::path& directory) {
    CustomRateGuard guard;
    int replayed = 0;
    if (!fs::is_directory(directory)) return 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // An exactly sized copy: a read past the input is a sanitizer report.
        std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        SCOPED_TRACE(entry.path().string());
        lysdk_fuzz::TimeText(data.data(), data.size());
        ++replayed;
    }
    return replayed;
}

TEST(TimeFuzzReplay, SeedCorpus) {
    const fs::path corpus = FuzzDirectory() / "corpus" / "fuzz_time_text";
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    EXPECT_GT(ReplayDirectory(corpus), 10);
}

TEST(TimeFuzzReplay, SavedFindings) {
    // Empty until the fuzzer finds something; each file is then kept.
    ReplayDirectory(FuzzDirectory() / "regressions" / "fuzz_time_text");
}

TEST(TimeFuzzReplay, HandMadeInputs) {
    CustomRateGuard guard;
    const std::string inputs[] = {
        std::string("\x0b\x00", 2) + "00:01:00;02",
        std::string("\x0c\x00", 2) + "-00:01:00;00",
        std::string("\x50\x00", 2) + "18446744073709551616",
        std::string("\x2a\x07", 2) + std::string(200, '9'),
        std::string("\xff\xff", 2) + "\x00\x00\x00\x00\x00\x00\x00\x80",
    };
    for (const std::string& input : inputs) {
        std::vector<std::uint8_t> data(input.begin(), input.end());
        lysdk_fuzz::TimeText(data.data(), data.size());
    }
}

}  // namespace
