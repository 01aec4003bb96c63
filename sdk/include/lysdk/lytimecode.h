#ifndef LYSDK_LYTIMECODE_H
#define LYSDK_LYTIMECODE_H

// LyTimeCode: a timecode at a frame rate.
//
// Three doubles: the raw frame (frames into the label second), the raw
// second (the label's hours * 3600 + minutes * 60 + seconds) and the rate.
// A negative timecode keeps both raw values at or below zero.
//
// The rate also selects how labels are numbered. The constants are distinct
// floats: NTSC_DROP (29.97f) numbers its labels drop-frame, while NTSC_FULL
// and MPAL_30 (30000/1001 as a float, 29.97003f) run at the same 29.97 rate
// with plain labels. FILM_23976, FRAMES_5994 and FRAMES_11988 are the exact
// 1000/1001 ratios as floats. Any other rate from 0.01 to 1,000,000 frames
// per second is a plain rate whose labels count the rate rounded up.
//
// SMPTE drop-frame numbering skips the labels ":00;00" and ":00;01" at the
// start of every minute except minutes divisible by ten, so that the labels
// keep pace with the clock at 29.97 frames per second.

#include "lysdk/lyexport.h"
#include "lysdk/lystring.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyTimeCode {
public:
    /// Raw values 0 at `rate`.
    LyTimeCode(float rate = 30.0f);

    /// The frame number the label names, plus any fraction it carries.
    double GetFrame() const;
    void SetFrame(double frame);
    float GetFrameRate() const;
    double GetRawFrame() const;
    double GetRawRate() const;
    double GetRawSecond() const;

    /// The start of the frame (plus the fraction of its length).
    LyTime GetTime() const;
    /// The frame holding `time`.
    void SetTime(LyTime time);
    /// Raw values straight from the fields, without checking them.
    void SetTimeCode(int hours, int minutes, int seconds, float frames);

    /// Text forms:
    ///   eFrame     the frame number, fraction to five decimals ("1800", "12.5");
    ///   eClock     "H:MM:SS:FF" with unpadded hours;
    ///   eStandard  "HH:MM:SS:FF" and any fraction ("00:00:01:12.5"); the
    ///              form property values use;
    ///   eSeconds   seconds of GetTime() to five decimals;
    ///   eTimecode  "HH:MM:SS:FF", the whole frame.
    /// Labels write ';' before the frames at a drop-frame rate. Empty for a
    /// rate outside the limits.
    LyString GetTimeCodeString(LyTime::ETimeFormats format = LyTime::eStandard) const;
    /// Reads text in `format`, keeping the rate. Refused (false, nothing
    /// changed): text that does not fit the form exactly, a separator other
    /// than the one the rate's numbering uses, minutes or seconds above 59,
    /// frames at or above the label rate, labels that drop-frame numbering
    /// skips, and a fraction outside eStandard.
    bool SetTimeCodeString(const char* text, LyTime::ETimeFormats format = LyTime::eStandard);

    /// All three values compared exactly; NaN never equals.
    bool operator==(const LyTimeCode& other) const;
    bool operator!=(const LyTimeCode& other) const;

    static const float FILM_23976;
    static const float FILM_24;
    static const float FRAMES_11988;
    static const float FRAMES_30;
    static const float FRAMES_5994;
    static const float MPAL_30;
    static const float NTSC_DROP;
    static const float NTSC_FULL;
    static const float PAL_25;

private:
    double mFrame;
    double mSecond;
    double mRate;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYTIMECODE_H
