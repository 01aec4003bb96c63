#include "lysdk/lytimecode.h"

#include <cstring>

#include <velora/time.h>

LYSDK_BEGIN_NAMESPACE

static_assert(sizeof(LyTimeCode) == sizeof(velora::Timecode), "LyTimeCode holds the host's three values");

namespace {

// The decimals that the library asks of the host's text routines.
constexpr int kTextDecimals = 5;

velora::Timecode ToHost(double frame, double second, double rate) {
    velora::Timecode code;
    code.frame = frame;
    code.second = second;
    code.rate = rate;
    return code;
}

}  // namespace

const float LyTimeCode::FILM_23976 = velora::kTimecodeFilm23976;
const float LyTimeCode::FILM_24 = velora::kTimecodeFilm24;
const float LyTimeCode::FRAMES_11988 = velora::kTimecodeFrames11988;
const float LyTimeCode::FRAMES_30 = velora::kTimecodeFrames30;
const float LyTimeCode::FRAMES_5994 = velora::kTimecodeFrames5994;
const float LyTimeCode::MPAL_30 = velora::kTimecodeMPal30;
const float LyTimeCode::NTSC_DROP = velora::kTimecodeNtscDrop;
const float LyTimeCode::NTSC_FULL = velora::kTimecodeNtscFull;
const float LyTimeCode::PAL_25 = velora::kTimecodePal25;

LyTimeCode::LyTimeCode(float rate) : mFrame(0.0), mSecond(0.0), mRate(rate) {}

double LyTimeCode::GetFrame() const { return velora::TimecodeFrame(ToHost(mFrame, mSecond, mRate)); }

void LyTimeCode::SetFrame(double frame) {
    velora::Timecode code = ToHost(mFrame, mSecond, mRate);
    velora::TimecodeSetFrame(&code, frame);
    mFrame = code.frame;
    mSecond = code.second;
}

float LyTimeCode::GetFrameRate() const { return static_cast<float>(mRate); }
double LyTimeCode::GetRawFrame() const { return mFrame; }
double LyTimeCode::GetRawRate() const { return mRate; }
double LyTimeCode::GetRawSecond() const { return mSecond; }

LyTime LyTimeCode::GetTime() const { return LyTime(velora::TimecodeTicks(ToHost(mFrame, mSecond, mRate))); }

void LyTimeCode::SetTime(LyTime time) {
    velora::Timecode code = ToHost(mFrame, mSecond, mRate);
    velora::TimecodeSetTicks(&code, time.Get());
    mFrame = code.frame;
    mSecond = code.second;
}

void LyTimeCode::SetTimeCode(int hours, int minutes, int seconds, float frames) {
    velora::Timecode code = ToHost(mFrame, mSecond, mRate);
    velora::TimecodeSetFields(&code, hours, minutes, seconds, frames);
    mFrame = code.frame;
    mSecond = code.second;
}

LyString LyTimeCode::GetTimeCodeString(LyTime::ETimeFormats format) const {
    char text[128];
    velora::FormatTimecode(ToHost(mFrame, mSecond, mRate), format, kTextDecimals, text, sizeof text);
    return LyString(text);
}

bool LyTimeCode::SetTimeCodeString(const char* text, LyTime::ETimeFormats format) {
    if (!text) return false;
    velora::Timecode code = ToHost(mFrame, mSecond, mRate);
    if (!velora::ParseTimecode(text, std::strlen(text), format, &code)) return false;
    mFrame = code.frame;
    mSecond = code.second;
    return true;
}

bool LyTimeCode::operator==(const LyTimeCode& other) const {
    return mFrame == other.mFrame && mSecond == other.mSecond && mRate == other.mRate;
}

bool LyTimeCode::operator!=(const LyTimeCode& other) const { return !(*this == other); }

LYSDK_END_NAMESPACE
