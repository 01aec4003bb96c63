#ifndef LYSDK_FUZZ_TIME_TEXT_TARGET_H
#define LYSDK_FUZZ_TIME_TEXT_TARGET_H

// The time and timecode text readers under arbitrary input.
//
// Shared by the libFuzzer target and by the unit test that replays the
// committed corpus and every saved crash, so a fault found once stays
// covered by the ordinary test run.
//
// Input: byte 0 picks the mode and the format (including one invalid value
// of each), byte 1 picks the custom rate and the timecode rate; the rest is
// the text. Beyond "no crash, no sanitizer report", each reader is held to
// what its documentation promises: text it accepts must format back into
// text that reads as the same value, and the SDK's string entry points must
// agree with the host routines they forward to.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <lysdk/lytime.h>
#include <lysdk/lytimecode.h>
#include <velora/time.h>

namespace lysdk_fuzz {

// A broken promise is reported as a crash so that libFuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

inline void TimeTextRoundTrip(const char* text, std::size_t length, int mode, int format) {
    long long ticks = 0;
    if (!velora::ParseTime(text, length, mode, format, &ticks)) return;
    // Nine decimals put the seconds form within 0.07 tick of the count, so
    // every format reads back exactly what it wrote.
    char out[128];
    const std::size_t written = velora::FormatTime(ticks, mode, format, 9, false, out, sizeof out);
    Check(written > 0 && written < sizeof out && std::strlen(out) == written);
    long long again = 0;
    Check(velora::ParseTime(out, written, mode, format, &again));
    Check(again == ticks);
}

inline void TicksRoundTrip(long long ticks, int mode) {
    char out[128];
    const std::size_t written = velora::FormatTime(ticks, mode, velora::kTimeFormatStandard, 5, false, out, sizeof out);
    const velora::FrameGrid grid = velora::GridForMode(mode);
    if (!grid.Valid()) {
        Check(written == 0);
        return;
    }
    long long again = 0;
    Check(written > 0 && velora::ParseTime(out, written, mode, velora::kTimeFormatStandard, &again));
    Check(again == ticks);
    const long long frame = velora::FrameAt(grid, ticks);
    const long long start = velora::FrameStart(grid, frame);
    // Unless the frame's start lies below the smallest count (and wrapped),
    // it is at or before the time and maps back to the same frame.
    if (start <= ticks) Check(velora::FrameAt(grid, start) == frame);
}

inline void TimecodeTextRoundTrip(const char* text, std::size_t length, int format, double rate) {
    velora::Timecode code;
    code.rate = rate;
    if (!velora::ParseTimecode(text, length, format, &code)) return;
    Check(code.rate == rate);
    if (format == velora::kTimeFormatFrame) return;  // any decimal number: no exact form to compare
    char out[128];
    const std::size_t written = velora::FormatTimecode(code, format, 9, out, sizeof out);
    Check(written > 0 && written < sizeof out);
    velora::Timecode again;
    again.rate = rate;
    Check(velora::ParseTimecode(out, written, format, &again));
    if (format == velora::kTimeFormatSeconds) {
        Check(velora::TimecodeFrame(again) == velora::TimecodeFrame(code));
    } else {
        Check(again.frame == code.frame && again.second == code.second);
    }
}

inline int TimeText(const std::uint8_t* data, std::size_t size) {
    static const double kCustomRates[] = {30.0, 12.5, 7.3, 29.97, 0.01, 1000000.0, 1234.567, 59.94005994};
    static const double kTimecodeRates[] = {
        velora::kTimecodeNtscDrop, velora::kTimecodeNtscFull, velora::kTimecodeFilm24, velora::kTimecodePal25,
        velora::kTimecodeFrames30, velora::kTimecodeFilm23976, velora::kTimecodeFrames5994, 12.5};
    if (size < 2) return 0;
    const int mode = data[0] % (velora::kTimeModeCount + 1);  // the last value is invalid
    const int format = data[0] / (velora::kTimeModeCount + 1) % 6;  // 5 is invalid
    velora::TimeSettings::SetCustomRate(kCustomRates[data[1] & 7]);
    const double timecodeRate = kTimecodeRates[(data[1] >> 3) & 7];
    const char* text = reinterpret_cast<const char*>(data + 2);
    const std::size_t length = size - 2;

    // The host readers get the bytes with their exact length: no terminator
    // to stop at, so reading one byte too far is an ASan report.
    TimeTextRoundTrip(text, length, mode, format);
    TimecodeTextRoundTrip(text, length, format, timecodeRate);

    // Any eight bytes are a tick count: its exact form must read back.
    if (length >= 8) {
        long long ticks = 0;
        std::memcpy(&ticks, text, sizeof ticks);
        TicksRoundTrip(ticks, mode);
    }

    // The SDK forwards terminated strings; stop at an embedded zero as a
    // caller's string would.
    const std::string terminated(text, strnlen(text, length));
    VELSDK2025::LyTime time(-12345);
    long long expected = -12345;
    const bool read = velora::ParseTime(terminated.c_str(), terminated.size(), velora::kTimeModeDefault,
                                        velora::kTimeFormatStandard, &expected);
    Check(time.SetTimeString(terminated.c_str()) == read);
    Check(time.Get() == expected);

    VELSDK2025::LyTimeCode code(static_cast<float>(timecodeRate));
    const VELSDK2025::LyTimeCode before = code;
    if (!code.SetTimeCodeString(terminated.c_str(), static_cast<VELSDK2025::LyTime::ETimeFormats>(format))) {
        Check(code == before);
    }
    return 0;
}

}  // namespace lysdk_fuzz

#endif  // LYSDK_FUZZ_TIME_TEXT_TARGET_H
