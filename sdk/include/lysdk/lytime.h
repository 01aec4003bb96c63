#ifndef LYSDK_LYTIME_H
#define LYSDK_LYTIME_H

// LyTime, LyTimeSpan and the frame-rate modes.
//
// A time is an exact count of ticks, 141,120,000 per second (141,120 per
// millisecond), held in one signed 64-bit integer. Every frame rate that
// the modes name starts its frames on whole ticks, so frame numbers convert
// to times and back without loss, below zero as well.
//
// Arithmetic between two times works on the counts, so LyTime(10) *
// LyTime(3) has count 30: the counts are multiplied, not the durations.
// Sums, differences and products that leave the 64-bit range wrap around.
//
// The operators that take a double differ in when they truncate:
//   - the two-operand forms (t + d, t - d, t * d, t / d) turn the count into
//     a double, compute in floating point, then truncate toward zero:
//     LyTime(7) + 0.9 has count 7, LyTime(7) * 2.5 has 17, LyTime(-7) / 2.0
//     has -3;
//   - the in-place forms (t += d, ...) truncate d toward zero first and then
//     use integer arithmetic: a time of 7 stays 7 after += 0.9, and becomes
//     14 after *= 2.5;
//   - assigning a double truncates it toward zero.
// A double result beyond the count's range becomes Infinity or
// MinusInfinity by its sign, and NaN becomes Zero. Note that a plain
// integer operand (t + 5, t = n) picks the double forms, which are exact
// only up to 2^53 ticks; write LyTime(n) for integer arithmetic.
//
// Dividing by zero (a zero time, or an in-place double that truncates to
// zero) has no meaningful answer; rather than trapping, the quotient is
// Infinity for a positive count, MinusInfinity for a negative one and Zero
// for zero. The smallest count divided by -1 wraps to itself.
//
// Conversions that depend on a frame rate take a LyTimeMode; the default
// mode stands for the application's current mode and kLyTimeModeCustom for
// its custom rate. A time belongs to the frame whose start is the last one
// at or before it, so one tick before zero is in frame -1.

#include "lysdk/lyexport.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lystring.h"

LYSDK_BEGIN_NAMESPACE

/// Frame-rate modes. The values are fixed.
enum LyTimeMode {
    kLyTimeModeDefault = 0,           ///< the application's current mode
    kLyTimeMode1000Frames = 1,        ///< 1000 frames per second
    kLyTimeMode120Frames = 2,         ///< 120
    kLyTimeMode11988Frames = 3,       ///< 119.88 (120000/1001)
    kLyTimeMode100Frames = 4,         ///< 100
    kLyTimeMode96Frames = 5,          ///< 96
    kLyTimeMode72Frames = 6,          ///< 72
    kLyTimeMode60Frames = 7,          ///< 60
    kLyTimeMode5994Frames = 8,        ///< 59.94 (60000/1001)
    kLyTimeMode50Frames = 9,          ///< 50
    kLyTimeMode48Frames = 10,         ///< 48
    kLyTimeMode30Frames = 11,         ///< 30
    kLyTimeMode2997Frames_Drop = 12,  ///< 29.97 (30000/1001), drop-frame labels
    kLyTimeMode2997Frames = 13,       ///< 29.97 (30000/1001)
    kLyTimeMode25Frames = 14,         ///< 25
    kLyTimeMode24Frames = 15,         ///< 24
    kLyTimeMode23976Frames = 16,      ///< 23.976 (24000/1001)
    kLyTimeModeCustom = 17,           ///< the application's custom rate
};
LYSDK_ENUM_TEXTS(LyTimeMode);

class LYSDK_API LyTime {
public:
    /// Text forms of a time (see GetTimeString).
    enum ETimeFormats {
        /// "F": the number of the frame holding the time ("42", "-3").
        eFrame = 0,
        /// "H:MM:SS:FF": real hours, minutes and seconds, then whole frames
        /// since the start of that second ("0:01:05:12"). Drops what lies
        /// inside a frame.
        eClock = 1,
        /// "F" when a frame starts at the time, else "F+R": frame F plus R
        /// ticks ("42", "42+2352000", "-1+4703999"). Exact: reading the text
        /// gives the same count. Property values use this form.
        eStandard = 2,
        /// Seconds with five decimals ("1.50000"); reading rounds to the
        /// nearest tick.
        eSeconds = 3,
        /// "HH:MM:SS:FF": the timecode label of the frame holding the time,
        /// counted at the label rate (30 for 29.97, 24 for 23.976); the
        /// drop-frame mode writes ';' before the frames ("00:01:00;02").
        eTimecode = 4,
    };

    constexpr LyTime(long long ticks = 0) : mTime(ticks) {}
    constexpr LyTime(const LyTime& other) = default;
    /// SetTime(hours, minutes, seconds, frames, field, mode).
    LyTime(int hours, int minutes, int seconds, int frames, int field = 0, LyTimeMode mode = kLyTimeModeDefault);

    long long Get() const;
    void Set(long long ticks);

    /// Count / 141,120, truncated toward zero (-1 tick is 0 ms).
    long long GetMilliSeconds() const;
    void SetMilliSeconds(long long milliseconds);

    double GetSecondDouble() const;
    /// Rounds to the nearest tick.
    void SetSecondDouble(double seconds);

    /// The frame holding the time (0 for a mode outside the table).
    long long GetFrame(LyTimeMode mode = kLyTimeModeDefault) const;
    /// The start of `frame`.
    void SetFrame(long long frame, LyTimeMode mode = kLyTimeModeDefault);
    bool IsExactlyOnFrame(LyTimeMode mode = kLyTimeModeDefault) const;

    /// Hours, minutes and seconds, plus the start of frame `frames` counted
    /// from the start of the second, plus `field` half frames. Fields need
    /// not be in range; negative frames mirror positive ones.
    void SetTime(int hours, int minutes, int seconds, int frames, int field = 0,
                 LyTimeMode mode = kLyTimeModeDefault);
    /// The clock fields of the time: whole hours, minutes and seconds,
    /// frames since the start of the second, the field (1 in the second half
    /// of the frame) and the milliseconds of the second. A negative time
    /// gives every field negated. False only for the count -2^63.
    bool GetTime(int& hours, int& minutes, int& seconds, int& frames, int& field, int& milliseconds,
                 LyTimeMode mode = kLyTimeModeDefault) const;

    /// The time as text in `format`; empty for a mode or format outside the
    /// tables.
    LyString GetTimeString(LyTimeMode mode = kLyTimeModeDefault, ETimeFormats format = eStandard) const;
    /// Reads eStandard text in the default mode. Spaces and tabs around the
    /// text and a leading sign are allowed; anything else that does not fit
    /// the form, or a value outside the count's range, is refused: the
    /// answer is false and the time is unchanged.
    bool SetTimeString(const char* text);

    LyTime operator+(const LyTime& other) const;
    LyTime operator-(const LyTime& other) const;
    LyTime operator*(const LyTime& other) const;
    LyTime operator/(const LyTime& other) const;
    LyTime operator+(double value) const;
    LyTime operator-(double value) const;
    LyTime operator*(double value) const;
    LyTime operator/(double value) const;

    LyTime& operator+=(const LyTime& other);
    LyTime& operator-=(const LyTime& other);
    LyTime& operator*=(const LyTime& other);
    LyTime& operator/=(const LyTime& other);
    LyTime& operator+=(double value);
    LyTime& operator-=(double value);
    LyTime& operator*=(double value);
    LyTime& operator/=(double value);

    LyTime& operator=(const LyTime& other) = default;
    LyTime& operator=(double value);

    bool operator==(const LyTime& other) const;
    bool operator!=(const LyTime& other) const;
    bool operator<(const LyTime& other) const;
    bool operator<=(const LyTime& other) const;
    bool operator>(const LyTime& other) const;
    bool operator>=(const LyTime& other) const;

    static const LyTime Zero;           ///< 0
    static const LyTime Epsilon;        ///< 1 tick
    static const LyTime OneSecond;      ///< 141,120,000
    static const LyTime OneMinute;      ///< 8,467,200,000
    static const LyTime OneHour;        ///< 508,032,000,000
    static const LyTime Infinity;       ///< 2^63 - 1
    static const LyTime MinusInfinity;  ///< -(2^63 - 1): one above the smallest count

private:
    long long mTime;
};
LYSDK_ENUM_TEXTS(LyTime::ETimeFormats);

/// Two times, start then stop. Nothing orders them: a span may run
/// backwards. Both ends belong to the span.
class LYSDK_API LyTimeSpan {
public:
    LyTimeSpan(LyTime start = 0, LyTime stop = 0);

    void Set(LyTime start, LyTime stop);
    LyTime& GetStart();
    LyTime& GetStop();
    const LyTime& GetStart() const;
    const LyTime& GetStop() const;

    /// 1 when stop >= start (an empty span runs forward), else -1.
    int GetDirection() const;
    /// The length, never negative.
    LyTime GetDuration() const;
    /// stop - start.
    LyTime GetSignedDuration() const;

    /// The part both spans share, running in this span's direction; the
    /// span (0, 0) when they share nothing.
    LyTimeSpan operator&(const LyTimeSpan& other) const;
    /// Whether `time` lies in the span, ends included.
    bool operator&(const LyTime& time) const;

private:
    LyTime mStart;
    LyTime mStop;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYTIME_H
