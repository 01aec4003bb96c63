#include "lysdk/lytime.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include <velora/time.h>

LYSDK_BEGIN_NAMESPACE

// The modes are handed to the host unchanged, so both tables must agree.
static_assert(int(kLyTimeModeDefault) == velora::kTimeModeDefault && int(kLyTimeMode1000Frames) == velora::kTimeMode1000 &&
                  int(kLyTimeMode11988Frames) == velora::kTimeMode11988 &&
                  int(kLyTimeMode5994Frames) == velora::kTimeMode5994 &&
                  int(kLyTimeMode2997Frames_Drop) == velora::kTimeMode2997Drop &&
                  int(kLyTimeMode2997Frames) == velora::kTimeMode2997 &&
                  int(kLyTimeMode23976Frames) == velora::kTimeMode23976 &&
                  int(kLyTimeModeCustom) == velora::kTimeModeCustom,
              "LyTimeMode and the host's modes differ");
static_assert(int(LyTime::eFrame) == velora::kTimeFormatFrame && int(LyTime::eClock) == velora::kTimeFormatClock &&
                  int(LyTime::eStandard) == velora::kTimeFormatStandard &&
                  int(LyTime::eSeconds) == velora::kTimeFormatSeconds &&
                  int(LyTime::eTimecode) == velora::kTimeFormatTimecode,
              "LyTime::ETimeFormats and the host's formats differ");
static_assert(sizeof(LyTime) == sizeof(long long) && std::is_trivially_copyable<LyTime>::value,
              "LyTime is one plain tick count");

namespace {

constexpr long long kMax = std::numeric_limits<long long>::max();

// The decimals that the library asks of the host's text routines.
constexpr int kTextDecimals = 5;

// Integer arithmetic wraps as two's complement, done in unsigned so that
// an overflow is arithmetic rather than undefined behaviour.
long long Add(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) + static_cast<unsigned long long>(b));
}
long long Sub(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) - static_cast<unsigned long long>(b));
}
long long Mul(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) * static_cast<unsigned long long>(b));
}
long long Div(long long a, long long b) {
    if (b == 0) return a > 0 ? kMax : (a < 0 ? -kMax : 0);
    if (b == -1) return Sub(0, a);  // the smallest count wraps to itself
    return a / b;
}

// Truncation toward zero of a double into the count's range.
long long Truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775808.0) return kMax;
    if (value <= -9223372036854775808.0) return -kMax;
    return static_cast<long long>(value);
}

}  // namespace

const LyTime LyTime::Zero(0);
const LyTime LyTime::Epsilon(1);
const LyTime LyTime::OneSecond(velora::kTicksPerSecond);
const LyTime LyTime::OneMinute(velora::kTicksPerMinute);
const LyTime LyTime::OneHour(velora::kTicksPerHour);
const LyTime LyTime::Infinity(kMax);
const LyTime LyTime::MinusInfinity(-kMax);

LyTime::LyTime(int hours, int minutes, int seconds, int frames, int field, LyTimeMode mode) : mTime(0) {
    SetTime(hours, minutes, seconds, frames, field, mode);
}

long long LyTime::Get() const { return mTime; }
void LyTime::Set(long long ticks) { mTime = ticks; }

long long LyTime::GetMilliSeconds() const { return mTime / velora::kTicksPerMillisecond; }
void LyTime::SetMilliSeconds(long long milliseconds) { mTime = Mul(milliseconds, velora::kTicksPerMillisecond); }

double LyTime::GetSecondDouble() const { return velora::TicksToSeconds(mTime); }
void LyTime::SetSecondDouble(double seconds) { mTime = velora::SecondsToTicks(seconds); }

long long LyTime::GetFrame(LyTimeMode mode) const { return velora::TimeToFrame(mTime, mode); }
void LyTime::SetFrame(long long frame, LyTimeMode mode) { mTime = velora::FrameToTime(frame, mode); }
bool LyTime::IsExactlyOnFrame(LyTimeMode mode) const { return velora::IsOnFrame(mTime, mode); }

void LyTime::SetTime(int hours, int minutes, int seconds, int frames, int field, LyTimeMode mode) {
    mTime = velora::ClockToTicks(hours, minutes, seconds, frames, field, mode);
}

bool LyTime::GetTime(int& hours, int& minutes, int& seconds, int& frames, int& field, int& milliseconds,
                     LyTimeMode mode) const {
    velora::ClockFields f;
    const bool ok = velora::TicksToClock(mTime, mode, &f);
    hours = f.hours;
    minutes = f.minutes;
    seconds = f.seconds;
    frames = f.frames;
    field = f.field;
    milliseconds = f.milliseconds;
    return ok;
}

LyString LyTime::GetTimeString(LyTimeMode mode, ETimeFormats format) const {
    char text[128];
    velora::FormatTime(mTime, mode, format, kTextDecimals, false, text, sizeof text);
    return LyString(text);
}

bool LyTime::SetTimeString(const char* text) {
    if (!text) return false;
    return velora::ParseTime(text, std::strlen(text), kLyTimeModeDefault, eStandard, &mTime);
}

LyTime LyTime::operator+(const LyTime& other) const { return LyTime(Add(mTime, other.mTime)); }
LyTime LyTime::operator-(const LyTime& other) const { return LyTime(Sub(mTime, other.mTime)); }
LyTime LyTime::operator*(const LyTime& other) const { return LyTime(Mul(mTime, other.mTime)); }
LyTime LyTime::operator/(const LyTime& other) const { return LyTime(Div(mTime, other.mTime)); }

LyTime LyTime::operator+(double value) const { return LyTime(Truncate(static_cast<double>(mTime) + value)); }
LyTime LyTime::operator-(double value) const { return LyTime(Truncate(static_cast<double>(mTime) - value)); }
LyTime LyTime::operator*(double value) const { return LyTime(Truncate(static_cast<double>(mTime) * value)); }
LyTime LyTime::operator/(double value) const { return LyTime(Truncate(static_cast<double>(mTime) / value)); }

LyTime& LyTime::operator+=(const LyTime& other) {
    mTime = Add(mTime, other.mTime);
    return *this;
}
LyTime& LyTime::operator-=(const LyTime& other) {
    mTime = Sub(mTime, other.mTime);
    return *this;
}
LyTime& LyTime::operator*=(const LyTime& other) {
    mTime = Mul(mTime, other.mTime);
    return *this;
}
LyTime& LyTime::operator/=(const LyTime& other) {
    mTime = Div(mTime, other.mTime);
    return *this;
}

LyTime& LyTime::operator+=(double value) {
    mTime = Add(mTime, Truncate(value));
    return *this;
}
LyTime& LyTime::operator-=(double value) {
    mTime = Sub(mTime, Truncate(value));
    return *this;
}
LyTime& LyTime::operator*=(double value) {
    mTime = Mul(mTime, Truncate(value));
    return *this;
}
LyTime& LyTime::operator/=(double value) {
    mTime = Div(mTime, Truncate(value));
    return *this;
}

LyTime& LyTime::operator=(double value) {
    mTime = Truncate(value);
    return *this;
}

bool LyTime::operator==(const LyTime& other) const { return mTime == other.mTime; }
bool LyTime::operator!=(const LyTime& other) const { return mTime != other.mTime; }
bool LyTime::operator<(const LyTime& other) const { return mTime < other.mTime; }
bool LyTime::operator<=(const LyTime& other) const { return mTime <= other.mTime; }
bool LyTime::operator>(const LyTime& other) const { return mTime > other.mTime; }
bool LyTime::operator>=(const LyTime& other) const { return mTime >= other.mTime; }

// ---------------------------------------------------------------------------

LyTimeSpan::LyTimeSpan(LyTime start, LyTime stop) : mStart(start), mStop(stop) {}

void LyTimeSpan::Set(LyTime start, LyTime stop) {
    mStart = start;
    mStop = stop;
}

LyTime& LyTimeSpan::GetStart() { return mStart; }
LyTime& LyTimeSpan::GetStop() { return mStop; }
const LyTime& LyTimeSpan::GetStart() const { return mStart; }
const LyTime& LyTimeSpan::GetStop() const { return mStop; }

int LyTimeSpan::GetDirection() const { return mStop >= mStart ? 1 : -1; }

LyTime LyTimeSpan::GetDuration() const { return mStop > mStart ? mStop - mStart : mStart - mStop; }

LyTime LyTimeSpan::GetSignedDuration() const { return mStop - mStart; }

LyTimeSpan LyTimeSpan::operator&(const LyTimeSpan& other) const {
    long long start = 0;
    long long stop = 0;
    velora::IntersectSpans(mStart.Get(), mStop.Get(), other.mStart.Get(), other.mStop.Get(), &start, &stop);
    return LyTimeSpan(start, stop);
}

bool LyTimeSpan::operator&(const LyTime& time) const {
    return velora::SpanContains(mStart.Get(), mStop.Get(), time.Get());
}

LYSDK_END_NAMESPACE
