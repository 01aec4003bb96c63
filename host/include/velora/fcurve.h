#ifndef VELORA_FCURVE_H
#define VELORA_FCURVE_H

// Function curves: one float channel of keys over time.
//
// Keys. A key holds its time (ticks), its value and a flags word (its
// interpolation, the mode byte that says how its tangents are made, and its
// weight and velocity bits: velora/key_flags.h, the scene-file library's
// own representation, so keys go to and from files unchanged), both
// derivatives, both tangent weights, both velocities, tension, continuity
// and bias, and two editor marks (selected, marked for manipulation). Keys
// are kept sorted by strictly increasing time; a key added at the time of
// another replaces it.
//
// Evaluation. The segment from key k to key k+1 follows key k's
// interpolation:
//   constant  key k's value, or key k+1's when key k's mode byte says
//             "next" (kConstantNext);
//   linear    straight line between the two values; custom keys evaluate
//             as linear (custom tangent shapes are not part of this core);
//   cubic     Hermite curve through both values with key k's right slope
//             and key k+1's left slope; a weighted segment (key k has
//             kWeightRight and/or kWeightNextLeft) is a Bezier curve in
//             (time, value) whose inner control points lie at weight x
//             segment length from the keys, on the tangents (1/3 is the
//             unweighted curve; weights are held to [0, 1]), solved for
//             time.
// Slopes are in value units per second. Key i's slopes come from its
// tangent mode; a missing neighbour (first or last key) counts as the key
// itself, so an end key's automatic slope is the secant to its one
// neighbour:
//   auto              (v[i+1] - v[i-1]) / (t[i+1] - t[i-1]) on both sides
//   time-independent  the mean of the two secant slopes, so that uneven key
//                     spacing does not tilt the tangent
//   clamp-progressive the time-independent slope, flat where the key is a
//                     local extremum or level with either neighbour, and
//                     otherwise limited to three times the smaller secant,
//                     so that the curve never overshoots between monotone
//                     keys
//   clamped (0x1000)  on an auto or time-independent key of an inner
//                     position: the slope is 0 when the key is a local
//                     extremum (both neighbours above, or both below) AND
//                     when the key is level with either neighbour (the same
//                     value before or after it: a plateau starts or ends
//                     there, and any other slope would bulge past it). An
//                     end key is never clamped.
//   TCB               Kochanek-Bartels: with tension T, continuity C, bias B
//                     and the value steps dp = v[i] - v[i-1],
//                     dn = v[i+1] - v[i], the incoming and outgoing tangents
//                     (1-T)(1-C)(1+B)/2 dp + (1-T)(1+C)(1-B)/2 dn and
//                     (1-T)(1+C)(1+B)/2 dp + (1-T)(1-C)(1-B)/2 dn, divided
//                     by half the span t[i+1] - t[i-1] (T = C = B = 0 is
//                     the auto slope)
//   user              the right derivative on both sides (one straight
//                     tangent through the key)
//   break             left derivative on the left, right on the right
// The mode bits are read in this order: TCB, user (with break), then
// clamp-progressive, time-independent, auto. Velocities are kept for the key
// editors; evaluation does not use them.
//
// Outside the keys the pre and post extrapolation modes apply:
//   0 constant           the end key's value
//   1 repetition         the keyed span repeats
//   2 mirror repetition  the span repeats, every other time reversed
//   3 keep slope         a straight line with the slope the curve has at
//                        its end (0 after a constant segment)
//   4 relative           repetition, each repeat offset by the difference
//                        between the last and first values
// The count of a repeating mode is the number of repeats; past them the
// value holds where the last repeat ended. A count of 0 (the default)
// repeats without end. A curve without keys reads its default value.
//
// Editing. A locked curve takes no edit: key edits answer -1 or false and
// change nothing. BeginEdit/EndEdit bracket a batch of edits (they nest):
// inside a bracket SetKey does not re-sort (bulk writers fill keys by index,
// KeyResize makes room first), and the keys are sorted again, a later index
// winning over an earlier one at the same time, when the outermost bracket
// closes or when something reads them in time order before that.
//
// Candidate. A curve can carry one candidate value (a value proposed at a
// time and not keyed yet). KeyCandidate keys it; with kKeyInsertContinuity
// the new key's derivatives are the curve's slope at that time, so that a
// user or break key inserted there keeps the curve's shape.
//
// Events. Listeners of Events() receive a CurveEventRecord (type
// kEventCurveChanged, subject the curve) with a code of the bits below and
// the index of the key concerned, or -1 when it is about several keys or
// none. Inside a bracket the codes gather and one record goes out when the
// outermost bracket closes. Extrapolation changes post 0x8008010 (pre) and
// 0x10008010 (post) with key index -1.
//
// Segment lookup. Playback reads times in increasing order, so the curve
// remembers the last segment it used and tries it and its successor first;
// any other time is found by binary search over the key times. Slopes and
// segment coefficients are rebuilt lazily: an edit only marks them stale,
// and the first evaluation afterwards rebuilds them once (under a lock, so
// several threads may start evaluating together). Concurrent evaluations
// are safe while nobody edits the curve; the remembered segment is only a
// hint (relaxed atomic).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include <lyiface/object.h>

#include "velora/event_source.h"
#include "velora/key_flags.h"
#include "velora/object.h"

namespace velora {

/// The time that stands for "now" in keying calls: the largest tick count.
constexpr long long kTimeInfinity = 0x7FFFFFFFFFFFFFFFll;

/// A keying argument (never stored in a key): the key inserted by
/// KeyCandidate keeps the curve's slope at its time.
constexpr std::uint32_t kKeyInsertContinuity = 0x400000;

/// The weight of an unweighted tangent.
constexpr float kDefaultTangentWeight = 1.0f / 3.0f;

enum Extrapolation : int {
    kExtrapolationConstant = 0,
    kExtrapolationRepetition = 1,
    kExtrapolationMirrorRepetition = 2,
    kExtrapolationKeepSlope = 3,
    kExtrapolationRelativeRepetition = 4,
};

/// The event type of curve changes.
constexpr int kEventCurveChanged = 20;

/// Bits of a curve event's code.
enum CurveEventCode : std::uint32_t {
    kCurveEventCandidate = 0x1,
    kCurveEventKey = 0x10,  ///< keys changed; the bits below say how
    kCurveEventSelection = 0x100,
    kCurveEventKeyAdd = 0x800,
    kCurveEventKeyRemove = 0x1000,
    kCurveEventEditValue = 0x2000,
    kCurveEventEditTime = 0x4000,
    kCurveEventEditOther = 0x8000,  ///< with one or more of the detail bits
    kCurveEventDerivative = 0x10000,
    kCurveEventTension = 0x20000,
    kCurveEventContinuity = 0x40000,
    kCurveEventBias = 0x80000,
    kCurveEventInterpolation = 0x100000,
    kCurveEventTangent = 0x200000,
    kCurveEventBreak = 0x400000,
    kCurveEventClamp = 0x800000,
    kCurveEventConstant = 0x1000000,
    kCurveEventVelocity = 0x2000000,
    kCurveEventWeight = 0x4000000,
    kCurveEventPreExtrapolation = 0x8000000,
    kCurveEventPostExtrapolation = 0x10000000,
    kCurveEventMass = 0x20000000,  ///< several keys at once
};

struct VELORA_API CurveEventRecord : lyiface::EventRecord {
    std::uint32_t code = 0;
    int keyIndex = -1;
    ~CurveEventRecord() override;
};

struct FCurveKey {
    long long time = 0;
    float value = 0.0f;
    std::uint32_t flags = kKeyCubic | kTangentAuto;
    float leftDerivative = 0.0f;  ///< value per second
    float rightDerivative = 0.0f;
    float leftWeight = kDefaultTangentWeight;
    float rightWeight = kDefaultTangentWeight;
    float leftVelocity = 0.0f;
    float rightVelocity = 0.0f;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    bool selected = false;
    bool marked = false;
};

/// Everything a curve holds that edits change: keys, extrapolation and
/// default value (what undo keeps of a curve).
struct CurveState {
    std::vector<FCurveKey> keys;
    int preMode = kExtrapolationConstant;
    int postMode = kExtrapolationConstant;
    int preCount = 0;
    int postCount = 0;
    double defaultValue = 0.0;
};

class VELORA_API FCurve final : public Object {
public:
    static FCurve* Create(const char* name = nullptr);

    // Keys.
    int KeyCount() const { return static_cast<int>(keys_.size()); }
    /// Key i; false (out untouched) outside [0, KeyCount()).
    bool GetKey(int i, FCurveKey* out) const;
    /// Direct read of key i; i must be valid.
    const FCurveKey& KeyAt(int i) const { return keys_[static_cast<std::size_t>(i)]; }
    /// Replaces key i; flag bits a key does not have are dropped. Outside a
    /// bracket the keys are re-sorted and the key's new index is returned
    /// (-1 when another key has its time); inside one, i. -1 for a bad
    /// index or a locked curve.
    int SetKey(int i, const FCurveKey& key);
    /// Adds `key` in time order; a key already at that time is replaced.
    /// Returns its index, or -1 when the curve is locked.
    int KeyAdd(const FCurveKey& key);
    bool KeyRemove(int i);
    /// Index of the key at exactly `time`, or -1.
    int KeyFind(long long time) const;
    /// Index of the last key at or before `time`, or -1 before the first.
    int KeyFindBefore(long long time) const;
    void KeyClear();
    /// Removes keys first..last (indices, inclusive). False, nothing done,
    /// for a locked curve or a range that is empty or not inside the keys.
    bool KeyDelete(int first, int last);
    /// Removes the keys strictly between start and stop (or from start to
    /// stop with `inclusive`); false when locked or when no key is there.
    bool KeyDelete(long long start, long long stop, bool inclusive);
    /// Moves keys first..last by `offset` ticks. False, nothing done, for a
    /// locked curve, a bad range, or an offset that would bring a moved key
    /// onto or past a key that stays.
    bool KeyOffset(long long offset, int first, int last);
    /// The same for the keys of a time range (as KeyDelete).
    bool KeyOffset(long long offset, long long start, long long stop, bool inclusive);
    /// Replaces this curve's keys in [start, stop] by `source`'s keys there.
    /// With `exactSpan` false the span shrinks to the source's keys inside
    /// [start, stop] (keys of this curve outside them stay). With
    /// `keyEnds`, ends of the span where the source has no key get a key
    /// with the source's value there. False when locked, for start > stop,
    /// or when source is this curve.
    bool KeyReplaceBy(const FCurve& source, long long start, long long stop, bool exactSpan,
                      bool keyEnds);
    /// Room for `count` keys without reallocating.
    void Reserve(int count);
    /// Makes the curve hold `count` keys: extra keys go from the end, new
    /// ones are default keys one tick apart after the last. False for a
    /// negative count or a locked curve.
    bool KeyResize(int count);
    /// Keys, extrapolation and default value of `source`; false when locked.
    bool CopyFrom(const FCurve& source);
    /// Exchanges the keys with `keys` in one step (a bulk writer's buffer
    /// comes back with the old keys, its memory ready for the next use).
    /// The new keys must be in strictly increasing time order: false, and
    /// no change, otherwise or when the curve is locked.
    bool SwapKeys(std::vector<FCurveKey>* keys);
    void SaveState(CurveState* out) const;
    /// Puts a saved state back (a lock does not stop it: undo restores what
    /// was, whatever was locked since).
    void RestoreState(const CurveState& state);

    /// Edits inside a bracket are sorted, rebuilt and announced once, when
    /// the outermost bracket closes.
    void BeginEdit();
    void EndEdit();
    int EditDepth() const { return editDepth_; }

    bool IsLocked() const { return locked_; }
    void SetLocked(bool locked) { locked_ = locked; }

    // Candidate.
    void SetCandidate(double value, long long time);
    void ClearCandidate() { hasCandidate_ = false; }
    bool HasCandidate() const { return hasCandidate_; }
    double CandidateValue() const { return candidate_; }
    long long CandidateTime() const { return candidateTime_; }
    /// Keys the candidate at `time` (kTimeInfinity: the candidate's own
    /// time) with the interpolation and mode flags, replacing a key within
    /// `tolerance` ticks. With `overrideMode` false an existing key keeps
    /// its flags and only takes the value. `continuity` may hold
    /// kKeyInsertContinuity. Returns the key's index; -1 without a
    /// candidate or on a locked curve. The candidate is gone afterwards.
    int KeyCandidate(std::uint32_t flags, std::uint32_t continuity, bool overrideMode,
                     long long time = kTimeInfinity, double tolerance = 0.0);

    // Extrapolation (refused, false, on a locked curve).
    int PreExtrapolation() const { return preMode_; }
    int PostExtrapolation() const { return postMode_; }
    int PreExtrapolationCount() const { return preCount_; }
    int PostExtrapolationCount() const { return postCount_; }
    /// Modes outside 0..4 are refused.
    bool SetPreExtrapolation(int mode);
    bool SetPostExtrapolation(int mode);
    /// 0 repeats without end; a negative count is taken as 0.
    bool SetPreExtrapolationCount(int count);
    bool SetPostExtrapolationCount(int count);

    /// What the curve reads while it has no key.
    double DefaultValue() const { return default_; }
    void SetDefaultValue(double value) { default_ = value; }

    /// The curve's listeners (kEventCurveChanged).
    EventSource& Events() { return events_; }
    /// Raises every event of this curve on `source` too (the source must
    /// outlive the curve: its owner's, say).
    void ForwardEventsTo(EventSource* source);

    /// The curve's value at `time`. Inline for playback: a read in the
    /// remembered segment or the one after it costs two comparisons and a
    /// cubic, without a call into the library.
    double Evaluate(long long time) const {
        if (!pending_.load(std::memory_order_acquire)) {
            const std::size_t count = segments_.size();
            if (count) {
                const std::size_t k = static_cast<std::size_t>(hint_.load(std::memory_order_relaxed));
                const Segment* s = segments_.data() + k;
                if (time >= s->t0) {
                    if (time < s->t1) return EvalSegment(*s, time);
                    if (k + 1 < count && time < s[1].t1) {
                        hint_.store(static_cast<int>(k + 1), std::memory_order_relaxed);
                        return EvalSegment(s[1], time);
                    }
                }
            }
        }
        return EvaluateSearching(time);
    }
    /// Hints for a caller that plays many curves in a known order (the
    /// scene's evaluation): bring the curve's evaluation fields, then the
    /// segment playback will most likely read next, towards the cache
    /// ahead of the reads. They change nothing.
    void PrefetchState() const {
        __builtin_prefetch(&segments_);
        __builtin_prefetch(&hint_);
    }
    void PrefetchSegment() const {
        if (pending_ || segments_.empty()) return;
        const char* s = reinterpret_cast<const char*>(segments_.data() + hint_.load(std::memory_order_relaxed));
        __builtin_prefetch(s);
        __builtin_prefetch(s + 64);
    }
    /// The slope (value per second) of the curve itself at `time` inside
    /// the keys: the derivative of the segment there.
    double SlopeAt(long long time) const;
    /// The slopes evaluation uses on each side of key i (0 outside).
    double LeftSlope(int i) const;
    double RightSlope(int i) const;

private:
    explicit FCurve(const char* name);

    // What evaluation reads comes first: the bounds, the scale and the
    // coefficients share the first cache line.
    struct Segment {
        long long t0;
        long long t1;
        double invSpan;   // 1 / (t1 - t0) in ticks
        double c[4];      // polynomial in u = (t - t0) * invSpan, or Bezier values
        int kind;         // 0 constant, 1 polynomial, 2 weighted Bezier
        double x1, x2;    // Bezier time controls (in u) of a weighted segment
        // Of a weighted segment: the parameter and its rate (dp/du) at
        // kWeightSamples + 1 even steps of u, where the solve starts.
        const double* table;
    };

    static double EvalSegment(const Segment& s, long long time) {
        const double u = static_cast<double>(time - s.t0) * s.invSpan;
        if (s.kind == 1) return ((s.c[3] * u + s.c[2]) * u + s.c[1]) * u + s.c[0];
        if (s.kind == 0) return s.c[0];
        return EvalWeighted(s, u);
    }
    static constexpr int kWeightSamples = 16;
    static double EvalWeighted(const Segment& s, double u);
    static double SolveBezierTime(const Segment& s, double u, double start);
    void Changed(std::uint32_t code, int index);
    void Post(std::uint32_t code, int index);
    void Normalize() const;
    void EnsureBuilt() const;
    void Rebuild() const;
    void ComputeSlopes(int i, double* left, double* right) const;
    int FindSegment(long long time) const;
    double EvalInside(long long time) const;
    double EvaluateSearching(long long time) const;
    double ExtrapolateAfter(long long time) const;
    double ExtrapolateBefore(long long time) const;
    bool OffsetRange(long long offset, int first, int last);

    // Mutable: a read in time order inside a bracket sorts first.
    mutable std::vector<FCurveKey> keys_;
    mutable bool sorted_ = true;
    // Evaluation data, rebuilt from keys_ after edits.
    mutable std::vector<long long> times_;
    mutable std::vector<Segment> segments_;
    mutable std::vector<double> leftSlope_;
    mutable std::vector<double> rightSlope_;
    mutable std::vector<double> weightTables_;
    mutable std::atomic<int> hint_{0};
    mutable std::atomic<bool> pending_{false};
    mutable std::mutex buildLock_;
    int editDepth_ = 0;
    std::uint32_t heldCode_ = 0;
    int heldIndex_ = -2;  // -2: nothing held
    bool locked_ = false;
    bool hasCandidate_ = false;
    double candidate_ = 0.0;
    long long candidateTime_ = 0;
    double default_ = 0.0;
    int preMode_ = kExtrapolationConstant;
    int postMode_ = kExtrapolationConstant;
    int preCount_ = 0;
    int postCount_ = 0;
    EventSource events_;
    std::vector<EventSource*> forwards_;
};

/// The host names of the custom tangent types of custom keys (file names:
/// what a scene file stores for a custom key). Three types exist, one per
/// custom mode bit.
class VELORA_API CustomTangents {
public:
    /// The name of type `mode` (kCustomTangent0/1/2), or null.
    static const char* Name(std::uint32_t mode);
    /// The mode of the type named `name`, or -1 for a name the host does
    /// not know.
    static int Find(const char* name);
    /// How many types the host knows.
    static int Count();
};

}  // namespace velora

#endif  // VELORA_FCURVE_H
