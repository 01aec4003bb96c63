// Replays the time text fuzz target's seed corpus and every saved crash
// input through the target's own checks, so an ordinary (sanitized) test run
// keeps each past finding fixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/fuzz_replay.h"

#include "../../fuzz/time_text_target.h"

namespace {

// The target picks the custom rate per input; put the application's back.
class CustomRateGuard {
public:
    ~CustomRateGuard() { velora::TimeSettings::SetCustomRate(rate_); }

private:
    double rate_ = velora::TimeSettings::CustomRate();
};

TEST(TimeFuzzReplay, SeedsAndSavedFindings) {
    CustomRateGuard guard;
    lysdk_test::ReplaySeedsAndFindings("fuzz_time_text", 11, [](const std::vector<std::uint8_t>& data) {
        lysdk_fuzz::TimeText(data.data(), data.size());
    });
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
