#include "velora/time.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace velora {

namespace {

// Frame arithmetic runs in 128 bits: a frame number times a frame length
// can exceed 64 bits long before the result is known to be out of range.
__extension__ typedef __int128 Wide;
__extension__ typedef unsigned __int128 UWide;

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

// Custom and plain rates are kept in millionths of a frame per second.
constexpr long long kMicro = 1000000;

// Floor division for a positive divisor (C++ division truncates).
Wide FloorDiv(Wide a, Wide b) {
    Wide q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return q;
}

// Narrows with two's-complement wrapping: the conversion to an unsigned
// type is modular, and the unsigned-to-signed one is too on every compiler
// this builds with.
long long Wrap(Wide v) { return static_cast<long long>(static_cast<unsigned long long>(v)); }

bool Fits(Wide v) { return v >= kMin && v <= kMax; }

long long Gcd(long long a, long long b) {
    while (b) {
        const long long t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// Start of `frame`: the tick nearest to frame * ticks / frames, halves up.
Wide StartWide(const FrameGrid& g, Wide frame) {
    if (g.frames == 1) return frame * g.ticks;
    return FloorDiv(2 * frame * g.ticks + g.frames, 2 * static_cast<Wide>(g.frames));
}

// The last frame whose start is at or before `ticks`. With the rounding of
// StartWide, start(f) <= t  <=>  f < frames * (2t + 1) / (2 * ticks), which
// gives the closed form below; it inverts StartWide exactly whenever a
// frame lasts at least one tick.
Wide FrameAtWide(const FrameGrid& g, Wide ticks) {
    if (g.frames == 1) return FloorDiv(ticks, g.ticks);
    return FloorDiv(static_cast<Wide>(g.frames) * (2 * ticks + 1) - 1, 2 * static_cast<Wide>(g.ticks));
}

Wide FrameLength(const FrameGrid& g, Wide frame) { return StartWide(g, frame + 1) - StartWide(g, frame); }

FrameGrid WholeGrid(long long rate, bool ntsc, bool drop) {
    FrameGrid g;
    g.ticks = ntsc ? kTicksPerSecond / rate * 1001 / 1000 : kTicksPerSecond / rate;
    g.frames = 1;
    g.labelRate = static_cast<int>(rate);
    g.drop = drop;
    return g;
}

// The fixed modes, by value; 0 and 17 are resolved from the settings.
const FrameGrid kModeGrids[kTimeModeCount] = {
    FrameGrid{},
    WholeGrid(1000, false, false),
    WholeGrid(120, false, false),
    WholeGrid(120, true, false),
    WholeGrid(100, false, false),
    WholeGrid(96, false, false),
    WholeGrid(72, false, false),
    WholeGrid(60, false, false),
    WholeGrid(60, true, false),
    WholeGrid(50, false, false),
    WholeGrid(48, false, false),
    WholeGrid(30, false, false),
    WholeGrid(30, true, true),
    WholeGrid(30, true, false),
    WholeGrid(25, false, false),
    WholeGrid(24, false, false),
    WholeGrid(24, true, false),
    FrameGrid{},
};

std::atomic<int> gDefaultMode{kTimeMode30};
std::atomic<long long> gCustomMicro{30 * kMicro};

bool RateInLimits(double rate) {
    return rate >= TimeSettings::kMinCustomRate && rate <= TimeSettings::kMaxCustomRate;
}

// ---------------------------------------------------------------------------
// Text output

class Writer {
public:
    void Char(char c) {
        if (len_ + 1 < sizeof buf_) buf_[len_++] = c;
        else overflow_ = true;
    }
    void Text(const char* s) {
        while (*s) Char(*s++);
    }
    // `value` in decimal, at least `width` digits.
    void Unsigned(UWide value, int width = 1) {
        char digits[48];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + static_cast<int>(value % 10));
            value /= 10;
        } while (value);
        for (int i = n; i < width; ++i) Char('0');
        while (n) Char(digits[--n]);
    }
    void Signed(Wide value) {
        if (value < 0) {
            Char('-');
            Unsigned(static_cast<UWide>(-value));
        } else {
            Unsigned(static_cast<UWide>(value));
        }
    }
    std::size_t Finish(char* out, std::size_t capacity) const {
        if (!out || capacity == 0) return 0;
        if (overflow_ || len_ + 1 > capacity || len_ == 0) {
            out[0] = 0;
            return 0;
        }
        std::memcpy(out, buf_, len_);
        out[len_] = 0;
        return len_;
    }

private:
    char buf_[128] = {};
    std::size_t len_ = 0;
    bool overflow_ = false;
};

std::size_t Fail(char* out, std::size_t capacity) {
    if (out && capacity) out[0] = 0;
    return 0;
}

int DigitsOf(long long v) {
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

int ClampDecimals(int decimals) { return decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals); }

UWide Pow10(int n) {
    UWide p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// Seconds with `decimals` digits, rounded half away from zero.
void WriteSeconds(Writer& w, long long ticks, int decimals) {
    const bool negative = ticks < 0;
    const UWide magnitude = negative ? static_cast<UWide>(-static_cast<Wide>(ticks)) : static_cast<UWide>(ticks);
    UWide whole = magnitude / kTicksPerSecond;
    const UWide rest = magnitude % kTicksPerSecond;
    const UWide scale = Pow10(decimals);
    UWide fraction = (rest * scale * 2 + kTicksPerSecond) / (2 * kTicksPerSecond);
    if (fraction == scale) {
        ++whole;
        fraction = 0;
    }
    // No sign when every written digit is zero.
    if (negative && (whole || fraction)) w.Char('-');
    w.Unsigned(whole);
    if (decimals > 0) {
        w.Char('.');
        w.Unsigned(fraction, decimals);
    }
}

void WriteLabel(Writer& w, const TimecodeLabel& label, const FrameGrid& g, bool padHours) {
    if (label.negative) w.Char('-');
    w.Unsigned(static_cast<UWide>(label.hours), padHours ? 2 : 1);
    w.Char(':');
    w.Unsigned(static_cast<UWide>(label.minutes), 2);
    w.Char(':');
    w.Unsigned(static_cast<UWide>(label.seconds), 2);
    w.Char(g.drop ? ';' : ':');
    const int width = DigitsOf(g.labelRate - 1);
    w.Unsigned(static_cast<UWide>(label.frames), width < 2 ? 2 : width);
}

// ---------------------------------------------------------------------------
// Text input. A Scanner walks [p, end) and never looks beyond end.

class Scanner {
public:
    Scanner(const char* text, std::size_t length) : p_(text), end_(text ? text + length : text) {
        if (!text) return;
        while (p_ < end_ && IsBlank(*p_)) ++p_;
        while (end_ > p_ && IsBlank(end_[-1])) --end_;
    }

    bool AtEnd() const { return p_ == end_; }
    bool Empty() const { return p_ == nullptr || p_ == end_; }
    const char* Position() const { return p_; }

    bool Accept(char c) {
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }

    // An optional sign; true when it is '-'.
    bool Sign() {
        if (Accept('-')) return true;
        Accept('+');
        return false;
    }

    // Between `minDigits` and `maxDigits` decimal digits; more digits than
    // `maxDigits` is a refusal, not a truncation.
    bool Digits(int minDigits, int maxDigits, UWide* value, int* count = nullptr) {
        UWide v = 0;
        int n = 0;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
            if (n == maxDigits) return false;
            v = v * 10 + static_cast<unsigned>(*p_ - '0');
            ++p_;
            ++n;
        }
        if (n < minDigits) return false;
        *value = v;
        if (count) *count = n;
        return true;
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

    const char* p_;
    const char* end_;
};

// "H:MM:SS<sep>FF" after the sign; `separator` is the one the frames need.
struct ParsedLabel {
    UWide hours = 0;
    UWide minutes = 0;
    UWide seconds = 0;
    UWide frames = 0;
};

bool ReadLabel(Scanner& s, char separator, ParsedLabel* out) {
    ParsedLabel l;
    if (!s.Digits(1, 12, &l.hours) || !s.Accept(':')) return false;
    if (!s.Digits(2, 2, &l.minutes) || !s.Accept(':')) return false;
    if (!s.Digits(2, 2, &l.seconds) || !s.Accept(separator)) return false;
    if (!s.Digits(2, 7, &l.frames)) return false;
    if (l.minutes > 59 || l.seconds > 59) return false;
    *out = l;
    return true;
}

// Seconds text "S[.ddd]" after the sign, rounded to the nearest tick.
bool ReadSeconds(Scanner& s, bool negative, Wide* ticks) {
    UWide whole = 0;
    if (!s.Digits(1, 12, &whole)) return false;
    UWide fraction = 0;
    int digits = 0;
    if (s.Accept('.') && !s.Digits(1, 19, &fraction, &digits)) return false;
    const UWide scale = Pow10(digits);
    const UWide magnitude =
        whole * kTicksPerSecond + (fraction * kTicksPerSecond * 2 + scale) / (2 * scale);
    const Wide value = negative ? -static_cast<Wide>(magnitude) : static_cast<Wide>(magnitude);
    if (!Fits(value)) return false;
    *ticks = value;
    return true;
}

// A frame number that may take the whole signed 64-bit range.
bool ReadFrameNumber(Scanner& s, Wide* frame) {
    const bool negative = s.Sign();
    UWide magnitude = 0;
    if (!s.Digits(1, 19, &magnitude)) return false;
    const Wide value = negative ? -static_cast<Wide>(magnitude) : static_cast<Wide>(magnitude);
    if (!Fits(value)) return false;
    *frame = value;
    return true;
}

// Frames of the label seconds of a timecode: the label "S seconds, frame 0"
// extended linearly (drop-frame labels skipped at a minute start still
// count as the frames before them).
double LabelSecondsToFrames(double seconds, const FrameGrid& g) {
    if (!std::isfinite(seconds) || std::fabs(seconds) >= 9e15) return seconds * g.labelRate;
    const double whole = std::trunc(seconds);
    const bool negative = whole < 0;
    const Wide s = static_cast<Wide>(negative ? -whole : whole);
    Wide frames = s * g.labelRate;
    if (g.drop) {
        const Wide minutes = s / 60;
        frames -= (g.labelRate / 15) * (minutes - minutes / 10);
    }
    const double base = static_cast<double>(negative ? -frames : frames);
    return base + (seconds - whole) * g.labelRate;
}

// Digits of `fraction` (of `decimals` digits) after a '.', trailing zeros
// dropped; nothing when it is zero.
void WriteFraction(Writer& w, UWide fraction, int decimals) {
    if (!fraction) return;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    w.Char('.');
    w.Unsigned(fraction, decimals);
}

// A timecode as a sign, a label of magnitudes and a fraction of a frame.
struct LabelParts {
    bool negative = false;
    TimecodeLabel label;
    double fraction = 0.0;
};

double TimecodeFrameIn(const Timecode& code, const FrameGrid& g) {
    return LabelSecondsToFrames(code.second, g) + code.frame;
}

// Raw values that already name a label (whole seconds, frames under the
// label rate, one sign, not a skipped drop-frame label) are split as they
// stand, so text read from a label writes back exactly; anything else goes
// through its frame number.
bool SplitTimecode(const Timecode& code, const FrameGrid& g, LabelParts* parts) {
    const double s = code.second;
    const double f = code.frame;
    if (std::isfinite(s) && std::isfinite(f) && s == std::trunc(s) && std::fabs(s) < 9e15 && !(s > 0 && f < 0) &&
        !(s < 0 && f > 0) && std::fabs(f) < g.labelRate) {
        const long long seconds = static_cast<long long>(std::fabs(s));
        const double frames = std::floor(std::fabs(f));
        TimecodeLabel label;
        label.hours = seconds / 3600;
        label.minutes = static_cast<int>(seconds / 60 % 60);
        label.seconds = static_cast<int>(seconds % 60);
        label.frames = static_cast<int>(frames);
        long long ignored = 0;
        if (LabelToFrame(label, g.labelRate, g.drop, &ignored)) {
            parts->negative = s < 0 || f < 0;
            parts->label = label;
            parts->fraction = std::fabs(f) - frames;
            return true;
        }
    }
    const double frame = TimecodeFrameIn(code, g);
    if (!std::isfinite(frame) || std::fabs(frame) >= 9e15) return false;
    parts->negative = frame < 0;
    const double magnitude = std::fabs(frame);
    const double whole = std::floor(magnitude);
    FrameToLabel(static_cast<long long>(whole), g.labelRate, g.drop, &parts->label);
    parts->fraction = magnitude - whole;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Settings and grids

int TimeSettings::DefaultMode() { return gDefaultMode.load(std::memory_order_relaxed); }

bool TimeSettings::SetDefaultMode(int mode) {
    if (mode <= kTimeModeDefault || mode >= kTimeModeCount) return false;
    gDefaultMode.store(mode, std::memory_order_relaxed);
    return true;
}

double TimeSettings::CustomRate() {
    return static_cast<double>(gCustomMicro.load(std::memory_order_relaxed)) / kMicro;
}

bool TimeSettings::SetCustomRate(double framesPerSecond) {
    if (!RateInLimits(framesPerSecond)) return false;
    gCustomMicro.store(std::llround(framesPerSecond * kMicro), std::memory_order_relaxed);
    return true;
}

FrameGrid GridForRate(double framesPerSecond) {
    if (!RateInLimits(framesPerSecond)) return FrameGrid{};
    FrameGrid g;
    // A millionth cannot express N * 1000/1001, so a rate that close to one
    // is taken as that exact ratio: frames then start on whole ticks.
    // Multiples of 1001 are skipped: their ratio is a whole rate.
    const double n = std::round(framesPerSecond * 1.001);
    if (n >= 1 && std::fmod(n, 1001.0) != 0.0 && std::fabs(framesPerSecond - n * 1000.0 / 1001.0) < 1e-6) {
        const long long whole = static_cast<long long>(n);
        long long ticks = kTicksPerSecond * 1001;
        long long frames = whole * 1000;
        const long long d = Gcd(ticks, frames);
        g.ticks = ticks / d;
        g.frames = frames / d;
        g.labelRate = static_cast<int>(whole);
        return g;
    }
    const long long micro = std::llround(framesPerSecond * kMicro);
    const long long ticks = kTicksPerSecond * kMicro;
    const long long d = Gcd(ticks, micro);
    g.ticks = ticks / d;
    g.frames = micro / d;
    g.labelRate = static_cast<int>((micro + kMicro - 1) / kMicro);
    return g;
}

FrameGrid GridForMode(int mode) {
    if (mode == kTimeModeDefault) mode = TimeSettings::DefaultMode();
    if (mode == kTimeModeCustom) {
        // Building a grid takes a gcd; each thread keeps the last one.
        thread_local long long cachedMicro = 0;
        thread_local FrameGrid cached;
        const long long micro = gCustomMicro.load(std::memory_order_relaxed);
        if (micro != cachedMicro) {
            cached = GridForRate(static_cast<double>(micro) / kMicro);
            cachedMicro = micro;
        }
        return cached;
    }
    if (mode <= kTimeModeDefault || mode >= kTimeModeCount) return FrameGrid{};
    return kModeGrids[mode];
}

long long FrameStart(const FrameGrid& grid, long long frame) {
    if (!grid.Valid()) return 0;
    if (grid.frames == 1) {
        return static_cast<long long>(static_cast<unsigned long long>(frame) *
                                      static_cast<unsigned long long>(grid.ticks));
    }
    return Wrap(StartWide(grid, frame));
}

long long FrameAt(const FrameGrid& grid, long long ticks) {
    if (!grid.Valid()) return 0;
    if (grid.frames == 1) {
        long long q = ticks / grid.ticks;
        if (ticks % grid.ticks < 0) --q;
        return q;
    }
    // The closed form of FrameAtWide in 64 bits while it fits, which covers
    // the times of any ordinary scene; 128-bit division costs several times
    // more.
    long long twice = 0;
    long long scaled = 0;
    long long divisor = 0;
    if (!__builtin_mul_overflow(ticks, 2, &twice) && !__builtin_add_overflow(twice, 1, &twice) &&
        !__builtin_mul_overflow(twice, grid.frames, &scaled) && !__builtin_mul_overflow(grid.ticks, 2, &divisor)) {
        // An odd number times at most 10^12 frames is never -2^63: no overflow.
        const long long numerator = scaled - 1;
        long long q = numerator / divisor;
        if (numerator % divisor < 0) --q;
        return q;
    }
    return Wrap(FrameAtWide(grid, ticks));
}

double FramesPerSecond(int mode) {
    const FrameGrid g = GridForMode(mode);
    if (!g.Valid()) return 0.0;
    return static_cast<double>(g.frames) * kTicksPerSecond / static_cast<double>(g.ticks);
}

long long TimeToFrame(long long ticks, int mode) { return FrameAt(GridForMode(mode), ticks); }

long long FrameToTime(long long frame, int mode) { return FrameStart(GridForMode(mode), frame); }

bool IsOnFrame(long long ticks, int mode) {
    const FrameGrid g = GridForMode(mode);
    if (!g.Valid()) return false;
    return StartWide(g, FrameAtWide(g, ticks)) == ticks;
}

// ---------------------------------------------------------------------------
// Seconds and clock fields

double TicksToSeconds(long long ticks) { return static_cast<double>(ticks) / kTicksPerSecond; }

long long SecondsToTicks(double seconds) {
    if (std::isnan(seconds)) return 0;
    const double ticks = std::round(seconds * kTicksPerSecond);
    // 2^63 is the first double beyond the count's range on either side once
    // the smallest count is set aside.
    if (ticks >= 9223372036854775808.0) return kMax;
    if (ticks <= -9223372036854775808.0) return -kMax;
    return static_cast<long long>(ticks);
}

long long ClockToTicks(int hours, int minutes, int seconds, int frames, int field, int mode) {
    const FrameGrid g = GridForMode(mode);
    if (!g.Valid()) return 0;
    const Wide n = frames < 0 ? -static_cast<Wide>(frames) : static_cast<Wide>(frames);
    const Wide start = StartWide(g, n);
    const Wide half = FrameLength(g, n) / 2;
    const Wide total = static_cast<Wide>(hours) * kTicksPerHour + static_cast<Wide>(minutes) * kTicksPerMinute +
                       static_cast<Wide>(seconds) * kTicksPerSecond + (frames < 0 ? -start : start) +
                       static_cast<Wide>(field) * half;
    return Wrap(total);
}

bool TicksToClock(long long ticks, int mode, ClockFields* fields) {
    ClockFields f;
    const FrameGrid g = GridForMode(mode);
    if (!g.Valid() || ticks == kMin) {
        if (fields) *fields = f;
        return false;
    }
    const bool negative = ticks < 0;
    const long long a = negative ? -ticks : ticks;
    f.hours = static_cast<int>(a / kTicksPerHour);
    f.minutes = static_cast<int>(a / kTicksPerMinute % 60);
    f.seconds = static_cast<int>(a / kTicksPerSecond % 60);
    const long long rest = a % kTicksPerSecond;
    const Wide frame = FrameAtWide(g, rest);
    const Wide offset = rest - StartWide(g, frame);
    const Wide half = FrameLength(g, frame) / 2;
    f.frames = static_cast<int>(frame);
    f.field = (half > 0 && offset >= half) ? 1 : 0;
    f.milliseconds = static_cast<int>(rest / kTicksPerMillisecond);
    if (negative) {
        f.hours = -f.hours;
        f.minutes = -f.minutes;
        f.seconds = -f.seconds;
        f.frames = -f.frames;
        f.field = -f.field;
        f.milliseconds = -f.milliseconds;
    }
    if (fields) *fields = f;
    return true;
}

// ---------------------------------------------------------------------------
// Timecode labels

bool FrameToLabel(long long frame, int labelRate, bool drop, TimecodeLabel* label) {
    if (!label || labelRate <= 0 || (drop && labelRate % 30 != 0)) return false;
    TimecodeLabel l;
    l.negative = frame < 0;
    UWide n = l.negative ? static_cast<UWide>(-static_cast<Wide>(frame)) : static_cast<UWide>(frame);
    if (drop) {
        // Put the skipped labels back: nine skips per ten minutes, one per
        // minute after the first of the ten.
        const UWide skip = static_cast<UWide>(labelRate / 15);
        const UWide perTen = static_cast<UWide>(labelRate) * 600 - 9 * skip;
        const UWide perMinute = static_cast<UWide>(labelRate) * 60 - skip;
        const UWide tens = n / perTen;
        const UWide rest = n % perTen;
        n += 9 * skip * tens;
        if (rest >= skip) n += skip * ((rest - skip) / perMinute);
    }
    const UWide rate = static_cast<UWide>(labelRate);
    const UWide seconds = n / rate;
    l.frames = static_cast<int>(n % rate);
    l.seconds = static_cast<int>(seconds % 60);
    l.minutes = static_cast<int>(seconds / 60 % 60);
    l.hours = static_cast<long long>(seconds / 3600);
    *label = l;
    return true;
}

bool LabelToFrame(const TimecodeLabel& label, int labelRate, bool drop, long long* frame) {
    if (!frame || labelRate <= 0 || (drop && labelRate % 30 != 0)) return false;
    if (label.hours < 0 || label.minutes < 0 || label.minutes > 59 || label.seconds < 0 || label.seconds > 59 ||
        label.frames < 0 || label.frames >= labelRate)
        return false;
    const Wide skip = labelRate / 15;
    if (drop && label.seconds == 0 && label.frames < skip && label.minutes % 10 != 0) return false;
    const Wide minutes = static_cast<Wide>(label.hours) * 60 + label.minutes;
    Wide n = (minutes * 60 + label.seconds) * labelRate + label.frames;
    if (drop) n -= skip * (minutes - minutes / 10);
    if (label.negative) n = -n;
    if (!Fits(n)) return false;
    *frame = static_cast<long long>(n);
    return true;
}

// ---------------------------------------------------------------------------
// Spans

bool IntersectSpans(long long aStart, long long aStop, long long bStart, long long bStop, long long* start,
                    long long* stop) {
    const long long aLow = aStart < aStop ? aStart : aStop;
    const long long aHigh = aStart < aStop ? aStop : aStart;
    const long long bLow = bStart < bStop ? bStart : bStop;
    const long long bHigh = bStart < bStop ? bStop : bStart;
    const long long low = aLow > bLow ? aLow : bLow;
    const long long high = aHigh < bHigh ? aHigh : bHigh;
    long long first = 0;
    long long last = 0;
    const bool overlap = low <= high;
    if (overlap) {
        const bool backward = aStop < aStart;
        first = backward ? high : low;
        last = backward ? low : high;
    }
    if (start) *start = first;
    if (stop) *stop = last;
    return overlap;
}

bool SpanContains(long long start, long long stop, long long ticks) {
    return start <= stop ? (ticks >= start && ticks <= stop) : (ticks >= stop && ticks <= start);
}

// ---------------------------------------------------------------------------
// Time text

std::size_t FormatTime(long long ticks, int mode, int format, int decimals, bool showSign, char* out,
                       std::size_t capacity) {
    const FrameGrid g = GridForMode(mode);
    if (!g.Valid()) return Fail(out, capacity);
    Writer w;
    if (showSign && ticks >= 0) w.Char('+');
    switch (format) {
        case kTimeFormatFrame:
            w.Signed(FrameAtWide(g, ticks));
            break;
        case kTimeFormatClock: {
            ClockFields f;
            if (!TicksToClock(ticks, mode, &f)) return Fail(out, capacity);
            // No sign on all-zero fields: "-0:00:00:00" would read as zero anyway.
            if (ticks < 0 && (f.hours || f.minutes || f.seconds || f.frames)) w.Char('-');
            w.Unsigned(static_cast<UWide>(std::abs(f.hours)));
            w.Char(':');
            w.Unsigned(static_cast<UWide>(std::abs(f.minutes)), 2);
            w.Char(':');
            w.Unsigned(static_cast<UWide>(std::abs(f.seconds)), 2);
            w.Char(':');
            w.Unsigned(static_cast<UWide>(std::abs(f.frames)), 2);
            break;
        }
        case kTimeFormatStandard: {
            const Wide frame = FrameAtWide(g, ticks);
            const Wide rest = ticks - StartWide(g, frame);
            w.Signed(frame);
            if (rest) {
                w.Char('+');
                w.Signed(rest);
            }
            break;
        }
        case kTimeFormatSeconds:
            WriteSeconds(w, ticks, ClampDecimals(decimals));
            break;
        case kTimeFormatTimecode: {
            TimecodeLabel label;
            if (!FrameToLabel(Wrap(FrameAtWide(g, ticks)), g.labelRate, g.drop, &label)) return Fail(out, capacity);
            WriteLabel(w, label, g, true);
            break;
        }
        default:
            return Fail(out, capacity);
    }
    return w.Finish(out, capacity);
}

bool ParseTime(const char* text, std::size_t length, int mode, int format, long long* ticks) {
    const FrameGrid g = GridForMode(mode);
    if (!text || !ticks || !g.Valid()) return false;
    Scanner s(text, length);
    Wide value = 0;
    switch (format) {
        case kTimeFormatFrame: {
            Wide frame = 0;
            if (!ReadFrameNumber(s, &frame)) return false;
            value = StartWide(g, frame);
            break;
        }
        case kTimeFormatStandard: {
            Wide frame = 0;
            if (!ReadFrameNumber(s, &frame)) return false;
            value = StartWide(g, frame);
            if (s.Accept('+')) {
                UWide rest = 0;
                if (!s.Digits(1, 19, &rest)) return false;
                if (rest >= static_cast<UWide>(FrameLength(g, frame))) return false;
                value += static_cast<Wide>(rest);
            }
            break;
        }
        case kTimeFormatClock: {
            const bool negative = s.Sign();
            ParsedLabel l;
            if (!ReadLabel(s, ':', &l)) return false;
            // Only frames that start inside the second have a clock label.
            const Wide perSecond = FrameAtWide(g, kTicksPerSecond - 1) + 1;
            if (static_cast<Wide>(l.frames) >= perSecond) return false;
            const Wide magnitude = static_cast<Wide>(l.hours) * kTicksPerHour +
                                   static_cast<Wide>(l.minutes) * kTicksPerMinute +
                                   static_cast<Wide>(l.seconds) * kTicksPerSecond +
                                   StartWide(g, static_cast<Wide>(l.frames));
            // The smallest count has no clock fields, so it has no clock text.
            if (magnitude > kMax) return false;
            value = negative ? -magnitude : magnitude;
            break;
        }
        case kTimeFormatSeconds: {
            const bool negative = s.Sign();
            if (!ReadSeconds(s, negative, &value)) return false;
            break;
        }
        case kTimeFormatTimecode: {
            const bool negative = s.Sign();
            ParsedLabel l;
            if (!ReadLabel(s, g.drop ? ';' : ':', &l)) return false;
            TimecodeLabel label;
            label.negative = negative;
            label.hours = static_cast<long long>(l.hours);
            label.minutes = static_cast<int>(l.minutes);
            label.seconds = static_cast<int>(l.seconds);
            if (l.frames >= static_cast<UWide>(g.labelRate)) return false;
            label.frames = static_cast<int>(l.frames);
            long long frame = 0;
            if (!LabelToFrame(label, g.labelRate, g.drop, &frame)) return false;
            value = StartWide(g, frame);
            break;
        }
        default:
            return false;
    }
    if (!s.AtEnd() || !Fits(value)) return false;
    *ticks = static_cast<long long>(value);
    return true;
}

// ---------------------------------------------------------------------------
// Timecodes

FrameGrid GridForTimecodeRate(double rate) {
    if (rate == static_cast<double>(kTimecodeNtscDrop)) return kModeGrids[kTimeMode2997Drop];
    return GridForRate(rate);
}

double TimecodeFrame(const Timecode& code) {
    const FrameGrid g = GridForTimecodeRate(code.rate);
    if (!g.Valid()) return 0.0;
    return LabelSecondsToFrames(code.second, g) + code.frame;
}

void TimecodeSetFrame(Timecode* code, double frame) {
    if (!code) return;
    const FrameGrid g = GridForTimecodeRate(code->rate);
    if (!g.Valid()) return;
    if (!std::isfinite(frame) || std::fabs(frame) >= 9e15) {
        code->second = 0.0;
        code->frame = frame;
        return;
    }
    const bool negative = frame < 0;
    const double magnitude = negative ? -frame : frame;
    const double whole = std::floor(magnitude);
    TimecodeLabel label;
    FrameToLabel(static_cast<long long>(whole), g.labelRate, g.drop, &label);
    const double seconds = static_cast<double>(label.hours) * 3600.0 + label.minutes * 60.0 + label.seconds;
    const double frames = label.frames + (magnitude - whole);
    code->second = negative ? -seconds : seconds;
    code->frame = negative ? -frames : frames;
}

long long TimecodeTicks(const Timecode& code) {
    const FrameGrid g = GridForTimecodeRate(code.rate);
    if (!g.Valid()) return 0;
    const double frame = TimecodeFrame(code);
    if (std::isnan(frame)) return 0;
    const double whole = std::floor(frame);
    if (whole >= 9223372036854775808.0) return kMax;
    if (whole < -9223372036854775808.0) return -kMax;
    const Wide n = static_cast<Wide>(whole);
    const Wide start = StartWide(g, n);
    const double length = static_cast<double>(FrameLength(g, n));
    Wide value = start + static_cast<Wide>(std::llround((frame - whole) * length));
    if (value > kMax) value = kMax;
    if (value < -kMax) value = -kMax;
    return static_cast<long long>(value);
}

void TimecodeSetTicks(Timecode* code, long long ticks) {
    if (!code) return;
    const FrameGrid g = GridForTimecodeRate(code->rate);
    if (!g.Valid()) return;
    TimecodeSetFrame(code, static_cast<double>(FrameAt(g, ticks)));
}

void TimecodeSetFields(Timecode* code, int hours, int minutes, int seconds, float frames) {
    if (!code) return;
    code->second = hours * 3600.0 + minutes * 60.0 + seconds;
    code->frame = frames;
}

std::size_t FormatTimecode(const Timecode& code, int format, int decimals, char* out, std::size_t capacity) {
    const FrameGrid g = GridForTimecodeRate(code.rate);
    if (!g.Valid()) return Fail(out, capacity);
    decimals = ClampDecimals(decimals);
    Writer w;
    if (format == kTimeFormatSeconds) {
        WriteSeconds(w, TimecodeTicks(code), decimals);
        return w.Finish(out, capacity);
    }
    const UWide scale = Pow10(decimals);
    if (format == kTimeFormatFrame) {
        const double frame = TimecodeFrame(code);
        if (!std::isfinite(frame) || std::fabs(frame) >= 9e18) return Fail(out, capacity);
        const bool negative = frame < 0;
        const double magnitude = negative ? -frame : frame;
        UWide whole = static_cast<UWide>(std::floor(magnitude));
        UWide fraction = static_cast<UWide>(std::llround((magnitude - std::floor(magnitude)) * static_cast<double>(scale)));
        if (fraction >= scale) {
            ++whole;
            fraction = 0;
        }
        if (negative && (whole || fraction)) w.Char('-');
        w.Unsigned(whole);
        WriteFraction(w, fraction, decimals);
        return w.Finish(out, capacity);
    }
    if (format != kTimeFormatClock && format != kTimeFormatStandard && format != kTimeFormatTimecode)
        return Fail(out, capacity);
    LabelParts parts;
    if (!SplitTimecode(code, g, &parts)) return Fail(out, capacity);
    UWide fraction = 0;
    if (format == kTimeFormatStandard) {
        fraction = static_cast<UWide>(std::llround(parts.fraction * static_cast<double>(scale)));
        if (fraction >= scale) {
            // The fraction rounds up to the next frame, which may be the
            // next second, minute or a label after a drop-frame skip.
            fraction = 0;
            TimecodeLabel label = parts.label;
            label.negative = false;
            long long frame = 0;
            if (!LabelToFrame(label, g.labelRate, g.drop, &frame) || frame == kMax) return Fail(out, capacity);
            FrameToLabel(frame + 1, g.labelRate, g.drop, &parts.label);
        }
    }
    if (parts.negative) w.Char('-');
    WriteLabel(w, parts.label, g, format != kTimeFormatClock);
    WriteFraction(w, fraction, decimals);
    return w.Finish(out, capacity);
}

bool ParseTimecode(const char* text, std::size_t length, int format, Timecode* code) {
    if (!text || !code) return false;
    const FrameGrid g = GridForTimecodeRate(code->rate);
    if (!g.Valid()) return false;
    Scanner s(text, length);
    Timecode result = *code;
    switch (format) {
        case kTimeFormatFrame: {
            // Check the grammar here, then let from_chars (which ignores the
            // locale) produce the correctly rounded value.
            const char* begin = s.Position();
            s.Sign();
            UWide ignored = 0;
            if (!s.Digits(1, 19, &ignored)) return false;
            if (s.Accept('.') && !s.Digits(1, 19, &ignored)) return false;
            if (!s.AtEnd()) return false;
            const char* end = s.Position();
            if (*begin == '+') ++begin;
            double value = 0.0;
            const std::from_chars_result r = std::from_chars(begin, end, value);
            if (r.ec != std::errc() || r.ptr != end) return false;
            TimecodeSetFrame(&result, value);
            break;
        }
        case kTimeFormatClock:
        case kTimeFormatStandard:
        case kTimeFormatTimecode: {
            const bool negative = s.Sign();
            ParsedLabel l;
            if (!ReadLabel(s, g.drop ? ';' : ':', &l)) return false;
            if (l.frames >= static_cast<UWide>(g.labelRate)) return false;
            double fraction = 0.0;
            if (format == kTimeFormatStandard && s.Accept('.')) {
                UWide digits = 0;
                int count = 0;
                if (!s.Digits(1, 9, &digits, &count)) return false;
                fraction = static_cast<double>(digits) / static_cast<double>(Pow10(count));
            }
            if (!s.AtEnd()) return false;
            TimecodeLabel label;
            label.negative = negative;
            label.hours = static_cast<long long>(l.hours);
            label.minutes = static_cast<int>(l.minutes);
            label.seconds = static_cast<int>(l.seconds);
            label.frames = static_cast<int>(l.frames);
            long long frame = 0;
            if (!LabelToFrame(label, g.labelRate, g.drop, &frame)) return false;
            const double seconds = static_cast<double>(label.hours) * 3600.0 + label.minutes * 60.0 + label.seconds;
            const double frames = label.frames + fraction;
            result.second = negative ? -seconds : seconds;
            result.frame = negative ? -frames : frames;
            break;
        }
        case kTimeFormatSeconds: {
            const bool negative = s.Sign();
            Wide ticks = 0;
            if (!ReadSeconds(s, negative, &ticks) || !s.AtEnd()) return false;
            TimecodeSetTicks(&result, static_cast<long long>(ticks));
            break;
        }
        default:
            return false;
    }
    *code = result;
    return true;
}

}  // namespace velora
