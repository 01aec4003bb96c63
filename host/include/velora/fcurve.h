#ifndef VELORA_FCURVE_H
#define VELORA_FCURVE_H

// Function curves: one float channel of keys over time.
//
// A key holds its time (ticks), its value and a flags word that says how the
// curve leaves it (interpolation) and how its tangents are made:
//
//   interpolation (one of)  0x01 custom, 0x02 constant, 0x04 linear,
//                           0x08 cubic
//   tangent (cubic keys)    0x0100 auto, 0x0200 TCB, 0x0400 user,
//                           0x0800 break (with user), 0x1000 clamped,
//                           0x2000 time-independent, 0x4000 progressive
//                           (0x6000: clamp-progressive)
//   weights                 0x1000000 the key's right tangent is weighted,
//                           0x2000000 the next key's left tangent is
//
// These are the values of the scene-file library's curve keys, so keys go to
// and from files unchanged.
//
// Evaluation. The segment from key k to key k+1 follows key k's
// interpolation:
//   constant  key k's value, or key k+1's when key k's constant mode is
//             "next" (kConstantNext);
//   linear    straight line between the two values; custom keys evaluate
//             as linear (custom tangent shapes are not part of this core);
//   cubic     Hermite curve through both values with key k's right slope
//             and key k+1's left slope; a weighted segment is a Bezier
//             curve in (time, value) whose inner control points lie at
//             weight x segment length from the keys (1/3 is the
//             unweighted curve), solved for time.
// Slopes are in value units per second. Key i's slopes come from its
// tangent mode; a missing neighbour (first or last key) counts as the key
// itself, so an end key's automatic slope is the secant to its one
// neighbour:
//   auto              (v[i+1] - v[i-1]) / (t[i+1] - t[i-1]) on both sides
//   time-independent  the mean of the two secant slopes, so that uneven key
//                     spacing does not tilt the tangent
//   clamp-progressive the time-independent slope, flat at a local extremum
//                     (or where a neighbour has the same value) and limited
//                     to three times the smaller secant, so that the curve
//                     never overshoots between monotone keys
//   clamped (0x1000)  auto or time-independent, made flat at an extremum
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
// Velocities are kept for the key editors; evaluation does not use them.
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
// value holds where the last repeat ended. A negative count (the default)
// repeats without end.
//
// Segment lookup. Playback reads times in increasing order, so the curve
// remembers the last segment it used and tries it and its successor first;
// any other time is found by binary search over the key times. The
// remembered segment is only a hint (relaxed atomic), so concurrent
// evaluations are safe while nobody edits the curve. Every edit rebuilds the
// slopes and segment coefficients, once per outermost BeginEdit/EndEdit
// bracket (or at the first evaluation inside it, on the editing thread).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "velora/object.h"

namespace velora {

enum KeyFlag : std::uint32_t {
    kKeyCustom = 0x01,
    kKeyConstant = 0x02,
    kKeyLinear = 0x04,
    kKeyCubic = 0x08,
    kKeyInterpolationMask = 0x0F,
    kTangentAuto = 0x0100,
    kTangentTCB = 0x0200,
    kTangentUser = 0x0400,
    kTangentBreak = 0x0800,
    kTangentClamp = 0x1000,
    kTangentTimeIndependent = 0x2000,
    kTangentProgressive = 0x4000,
    kTangentClampProgressive = 0x6000,
    kTangentMask = 0x7F00,
    kWeightRight = 0x1000000,
    kWeightNextLeft = 0x2000000,
    kWeightMask = 0x3000000,
};

/// The constant mode that holds the next key's value.
constexpr std::uint32_t kConstantNext = 0x100;
/// The weight of an unweighted tangent.
constexpr float kDefaultTangentWeight = 1.0f / 3.0f;

enum Extrapolation : int {
    kExtrapolationConstant = 0,
    kExtrapolationRepetition = 1,
    kExtrapolationMirrorRepetition = 2,
    kExtrapolationKeepSlope = 3,
    kExtrapolationRelativeRepetition = 4,
};

struct FCurveKey {
    long long time = 0;
    float value = 0.0f;
    std::uint32_t flags = kKeyCubic | kTangentAuto;
    std::uint32_t constantMode = 0;  ///< 0 or kConstantNext
    float leftDerivative = 0.0f;     ///< value per second
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

class VELORA_API FCurve final : public Object {
public:
    static FCurve* Create(const char* name = nullptr);

    int KeyCount() const { return static_cast<int>(keys_.size()); }
    /// Key i; false (out untouched) outside [0, KeyCount()).
    bool GetKey(int i, FCurveKey* out) const;
    /// Direct read of key i; i must be valid.
    const FCurveKey& KeyAt(int i) const { return keys_[static_cast<std::size_t>(i)]; }
    /// Replaces key i (its time may change: the keys are re-sorted). Returns
    /// the key's new index, or -1 for a bad index, a locked curve, or a time
    /// that another key has.
    int SetKey(int i, const FCurveKey& key);
    /// Adds `key` in time order; a key already at that time is replaced.
    /// Returns its index, or -1 when the curve is locked.
    int KeyAdd(const FCurveKey& key);
    bool KeyRemove(int i);
    /// Index of the key at exactly `time`, or -1.
    int KeyFind(long long time) const;
    void KeyClear();

    /// Edits inside a bracket rebuild the evaluation data once, at the end.
    void BeginEdit();
    void EndEdit();

    bool IsLocked() const { return locked_; }
    void SetLocked(bool locked) { locked_ = locked; }

    int PreExtrapolation() const { return preMode_; }
    int PostExtrapolation() const { return postMode_; }
    int PreExtrapolationCount() const { return preCount_; }
    int PostExtrapolationCount() const { return postCount_; }
    /// Modes outside 0..4 are refused.
    bool SetPreExtrapolation(int mode);
    bool SetPostExtrapolation(int mode);
    void SetPreExtrapolationCount(int count) { preCount_ = count; }
    void SetPostExtrapolationCount(int count) { postCount_ = count; }

    /// The curve's value at `time`; 0 for a curve without keys. Inline for
    /// playback: a read in the remembered segment or the one after it costs
    /// two comparisons and a cubic, without a call into the library.
    double Evaluate(long long time) const {
        if (!pending_) {
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
    /// The slopes (value per second) evaluation uses on each side of key i.
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
    };

    static double EvalSegment(const Segment& s, long long time) {
        const double u = static_cast<double>(time - s.t0) * s.invSpan;
        if (s.kind == 1) return ((s.c[3] * u + s.c[2]) * u + s.c[1]) * u + s.c[0];
        if (s.kind == 0) return s.c[0];
        return EvalWeighted(s, u);
    }
    static double EvalWeighted(const Segment& s, double u);
    void Changed();
    void Rebuild() const;
    void ComputeSlopes(int i, double* left, double* right) const;
    int FindSegment(long long time) const;
    double EvalInside(long long time) const;
    double EvaluateSearching(long long time) const;
    double ExtrapolateAfter(long long time) const;
    double ExtrapolateBefore(long long time) const;

    std::vector<FCurveKey> keys_;
    // Evaluation data, rebuilt from keys_ after edits (mutable: a read inside
    // an edit bracket brings it up to date first).
    mutable std::vector<long long> times_;
    mutable std::vector<Segment> segments_;
    mutable std::vector<double> leftSlope_;
    mutable std::vector<double> rightSlope_;
    mutable std::atomic<int> hint_{0};
    int editDepth_ = 0;
    mutable bool pending_ = false;
    bool locked_ = false;
    int preMode_ = kExtrapolationConstant;
    int postMode_ = kExtrapolationConstant;
    int preCount_ = -1;
    int postCount_ = -1;
};

}  // namespace velora

#endif  // VELORA_FCURVE_H
