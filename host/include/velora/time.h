#ifndef VELORA_TIME_H
#define VELORA_TIME_H

// The host's time routines: frame grids of the frame-rate modes, the
// application's default and custom modes, seconds, clock fields, timecode
// labels (with SMPTE drop-frame numbering), time spans, and the text forms
// of times and timecodes.
//
// Times are signed 64-bit tick counts, 141,120,000 ticks per second. Every
// frame-rate mode has an exact frame grid: a frame lasts ticks/frames ticks,
// a rational number. The whole-number rates and the four 1000/1001 rates
// (119.88, 59.94, 29.97, 23.976) all last a whole number of ticks, so their
// frames start exactly on ticks and nothing is rounded; only a custom rate
// can give frames a fractional length, and then each frame starts on the
// tick nearest to its exact start (halves rounded up). Frame numbers and
// frame starts are computed by the same rounding in both directions, so a
// frame number converted to ticks and back is always unchanged, negative
// numbers included.
//
// A time belongs to the frame whose start is the last one at or before it
// (floor, also below zero: one tick before zero is in frame -1).
//
// Text formats (the `format` argument of FormatTime and ParseTime):
//
//   0 kTimeFormatFrame     "F": the number of the frame that holds the time,
//                          e.g. "42", "-3". Parsing gives the frame's start.
//   1 kTimeFormatClock     "H:MM:SS:FF": clock fields (real hours, minutes and
//                          seconds, then whole frames since the start of the
//                          second), e.g. "0:01:05:12"; a negative time has a
//                          leading '-'. Fields and sub-frame rest are dropped.
//   2 kTimeFormatStandard  "F" when the time starts frame F, else "F+R": frame
//                          F plus R ticks (0 < R < the frame's length), e.g.
//                          "42", "42+2352000", "-1+4703999". Exact: parsing
//                          the text gives back the same tick count. This is
//                          the form that property values use.
//   3 kTimeFormatSeconds   "S.ddd": seconds with `decimals` digits (0 to 9,
//                          rounded half away from zero), e.g. "1.50000".
//                          Parsing rounds to the nearest tick.
//   4 kTimeFormatTimecode  "HH:MM:SS:FF": the timecode label of the frame that
//                          holds the time, counted at the label rate (30 for
//                          29.97, 24 for 23.976 and so on); drop-frame modes
//                          write ';' before the frames ("00:01:00;02").
//                          Hours are at least two digits and never wrap.
//
// Every format accepts an optional sign and surrounding spaces or tabs when
// parsed. Parsing never reads past `length` bytes, and refuses (returns
// false, leaves the result alone) any text that does not follow the format
// exactly, any field out of its range (minutes or seconds above 59, frames at
// or above the label rate or above the frames of a clock second, a label that
// drop-frame numbering skips) and any value outside the tick range.

#include <cstddef>

#include "velora/export.h"

namespace velora {

constexpr long long kTicksPerSecond = 141120000;
constexpr long long kTicksPerMillisecond = 141120;
constexpr long long kTicksPerMinute = kTicksPerSecond * 60;
constexpr long long kTicksPerHour = kTicksPerMinute * 60;

/// The frame-rate modes; their values are part of the SDK's interface.
enum TimeMode : int {
    kTimeModeDefault = 0,  ///< the application's current mode
    kTimeMode1000 = 1,
    kTimeMode120 = 2,
    kTimeMode11988 = 3,
    kTimeMode100 = 4,
    kTimeMode96 = 5,
    kTimeMode72 = 6,
    kTimeMode60 = 7,
    kTimeMode5994 = 8,
    kTimeMode50 = 9,
    kTimeMode48 = 10,
    kTimeMode30 = 11,
    kTimeMode2997Drop = 12,  ///< 29.97 with drop-frame labels
    kTimeMode2997 = 13,
    kTimeMode25 = 14,
    kTimeMode24 = 15,
    kTimeMode23976 = 16,
    kTimeModeCustom = 17,  ///< the application's custom rate
};
constexpr int kTimeModeCount = 18;

enum TimeFormat : int {
    kTimeFormatFrame = 0,
    kTimeFormatClock = 1,
    kTimeFormatStandard = 2,
    kTimeFormatSeconds = 3,
    kTimeFormatTimecode = 4,
};

/// The frames of one rate. A frame lasts `ticks / frames` ticks. Labels
/// count `labelRate` frames per second, with drop-frame numbering when
/// `drop` is set. A default grid (frames 0) is the answer for a mode or
/// rate that has none.
struct FrameGrid {
    long long ticks = 0;
    long long frames = 0;
    int labelRate = 0;
    bool drop = false;

    bool Valid() const { return frames > 0; }
};

/// The application's time settings: the mode that kTimeModeDefault stands
/// for (30 frames at start-up) and the rate of kTimeModeCustom (30 at
/// start-up). Both may be read and changed from any thread.
class VELORA_API TimeSettings {
public:
    /// The lowest and highest custom rates; a custom rate is kept to
    /// millionths of a frame per second.
    static constexpr double kMinCustomRate = 0.01;
    static constexpr double kMaxCustomRate = 1000000.0;

    static int DefaultMode();
    /// False, and no change, unless `mode` is 1 to 17.
    static bool SetDefaultMode(int mode);
    static double CustomRate();
    /// False, and no change, for a rate outside the limits above or NaN.
    static bool SetCustomRate(double framesPerSecond);
};

/// The grid of a mode, resolving the default and custom modes; invalid for
/// a value outside 0 to 17.
VELORA_API FrameGrid GridForMode(int mode);
/// The grid of a plain rate in frames per second, kept to millionths; the
/// 1000/1001 rates are recognised when given to within a millionth.
/// Labels count the rate rounded up. Invalid outside the custom limits.
VELORA_API FrameGrid GridForRate(double framesPerSecond);

/// Start of `frame` (ticks, wrapping as 64-bit arithmetic when out of range).
VELORA_API long long FrameStart(const FrameGrid& grid, long long frame);
/// The frame that holds `ticks`.
VELORA_API long long FrameAt(const FrameGrid& grid, long long ticks);

/// Frames per second of a mode (0 for an invalid mode).
VELORA_API double FramesPerSecond(int mode);
/// Mode forms of FrameAt and FrameStart; 0 for an invalid mode.
VELORA_API long long TimeToFrame(long long ticks, int mode);
VELORA_API long long FrameToTime(long long frame, int mode);
/// Whether a frame of the mode starts exactly at `ticks`.
VELORA_API bool IsOnFrame(long long ticks, int mode);

VELORA_API double TicksToSeconds(long long ticks);
/// Rounds to the nearest tick (halves away from zero); NaN gives 0 and
/// values beyond the tick range give the largest count of their sign.
VELORA_API long long SecondsToTicks(double seconds);

/// Clock fields of a time. Frames count whole frames since the start of the
/// clock second, `field` is 1 in the second half of the frame, and
/// `milliseconds` are those of the second. A negative time has every field
/// negated (or zero).
struct ClockFields {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    int field = 0;
    int milliseconds = 0;
};

/// Ticks of clock fields: hours, minutes and seconds, plus the start of
/// frame `frames` of the mode counted from the second (negative frames
/// mirror positive ones), plus `field` half-frames. Fields need not be in
/// range. 0 for an invalid mode.
VELORA_API long long ClockToTicks(int hours, int minutes, int seconds, int frames, int field, int mode);
/// False (fields zeroed) for an invalid mode or the count -2^63, whose
/// magnitude has no count.
VELORA_API bool TicksToClock(long long ticks, int mode, ClockFields* fields);

/// A timecode label; a negative frame number gives the label of its
/// magnitude with `negative` set.
struct TimecodeLabel {
    bool negative = false;
    long long hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

/// Drop-frame numbering: the first labelRate/15 labels of every minute
/// (":00;00" and ":00;01" at 30) are skipped, except in minutes divisible
/// by ten. It needs a label rate that is a multiple of 30.
VELORA_API bool FrameToLabel(long long frame, int labelRate, bool drop, TimecodeLabel* label);
/// False for fields out of range, a label that drop-frame numbering skips,
/// or a frame number beyond 64 bits.
VELORA_API bool LabelToFrame(const TimecodeLabel& label, int labelRate, bool drop, long long* frame);

/// Spans are closed: both ends belong to them, and either end may be the
/// earlier one. The intersection follows the direction of the first span;
/// disjoint spans give false and the span (0, 0).
VELORA_API bool IntersectSpans(long long aStart, long long aStop, long long bStart, long long bStop,
                               long long* start, long long* stop);
VELORA_API bool SpanContains(long long start, long long stop, long long ticks);

/// Writes `ticks` in `format` (see the top of this file) into `out`, always
/// terminated when `capacity` > 0. `decimals` is the seconds format's
/// number of digits; `showSign` writes '+' before times at or after zero.
/// Returns the length written, 0 for an invalid mode or format or a buffer
/// too small (64 bytes are always enough).
VELORA_API std::size_t FormatTime(long long ticks, int mode, int format, int decimals, bool showSign, char* out,
                                  std::size_t capacity);
/// Reads `length` bytes of `text` in `format`. False, and `*ticks`
/// unchanged, for text that does not fit the format.
VELORA_API bool ParseTime(const char* text, std::size_t length, int mode, int format, long long* ticks);

// ---------------------------------------------------------------------------
// Timecodes
//
// A timecode is three doubles: the raw frame (frames into the label second),
// the raw second (label seconds, hours * 3600 + minutes * 60 + seconds) and
// the rate. A negative timecode has both raw values at or below zero. Its
// frame number is the frame that the label names, plus any fraction the raw
// values carry (both enter linearly).
//
// The rate selects the numbering. The constants below are distinct floats:
// 29.97f is drop-frame 29.97, while the exact ratio 30000/1001 rounded to a
// float (29.97003f) is the same rate with plain labels. Every other rate is
// a plain rate as in GridForRate.
//
// Timecode text formats:
//   0  the frame number, with up to `decimals` digits of any fraction ("1800",
//      "12.5"); parsing accepts a decimal number.
//   1  "H:MM:SS:FF", the label with unpadded hours.
//   2  "HH:MM:SS:FF" with any fraction of the frame after a '.'
//      ("00:00:01:12.5"); the form that property values use.
//   3  seconds of the timecode's time ("S.ddd", `decimals` digits).
//   4  "HH:MM:SS:FF", the label of the whole frame.
// Labels use ';' before the frames at a drop-frame rate and ':' otherwise;
// parsing insists on the separator that the rate calls for, accepts a
// fraction only in format 2, and refuses labels as ParseTime does.

constexpr float kTimecodeFilm23976 = 24000.0f / 1001.0f;
constexpr float kTimecodeFilm24 = 24.0f;
constexpr float kTimecodeFrames11988 = 120000.0f / 1001.0f;
constexpr float kTimecodeFrames30 = 30.0f;
constexpr float kTimecodeFrames5994 = 60000.0f / 1001.0f;
constexpr float kTimecodeMPal30 = 30000.0f / 1001.0f;  ///< PAL-M: 29.97, plain labels
constexpr float kTimecodeNtscDrop = 29.97f;
constexpr float kTimecodeNtscFull = 30000.0f / 1001.0f;
constexpr float kTimecodePal25 = 25.0f;

struct Timecode {
    double frame = 0.0;
    double second = 0.0;
    double rate = kTimecodeFrames30;
};

/// The grid of a timecode rate (see above); invalid for rates outside the
/// custom limits.
VELORA_API FrameGrid GridForTimecodeRate(double rate);
/// The frame number; 0 for an invalid rate.
VELORA_API double TimecodeFrame(const Timecode& code);
/// Sets the raw values for frame number `frame`; nothing for an invalid rate.
VELORA_API void TimecodeSetFrame(Timecode* code, double frame);
/// Start of the frame plus the fraction of its length, saturated to the tick
/// range; 0 for an invalid rate or a NaN frame.
VELORA_API long long TimecodeTicks(const Timecode& code);
/// The frame that holds `ticks`.
VELORA_API void TimecodeSetTicks(Timecode* code, long long ticks);
/// Raw values straight from clock fields, unchecked.
VELORA_API void TimecodeSetFields(Timecode* code, int hours, int minutes, int seconds, float frames);
VELORA_API std::size_t FormatTimecode(const Timecode& code, int format, int decimals, char* out, std::size_t capacity);
/// Keeps the rate; false, and nothing changed, for text that does not fit.
VELORA_API bool ParseTimecode(const char* text, std::size_t length, int format, Timecode* code);

}  // namespace velora

#endif  // VELORA_TIME_H
