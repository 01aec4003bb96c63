// Function curves: key storage and edits, slopes, segment coefficients,
// evaluation, candidates and change events.

#include "velora/fcurve.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "velora/time.h"

namespace velora {

CurveEventRecord::~CurveEventRecord() = default;

namespace {

constexpr double kSecondsPerTick = 1.0 / static_cast<double>(kTicksPerSecond);

std::uint32_t InterpolationOf(const FCurveKey& key) {
    switch (key.flags & kKeyInterpolationMask) {
        case kKeyConstant: return kKeyConstant;
        case kKeyLinear: return kKeyLinear;
        case kKeyCustom: return kKeyCustom;
        default: return kKeyCubic;
    }
}

double Clamp01(double w) { return w < 0.0 ? 0.0 : (w > 1.0 ? 1.0 : w); }

bool Before(const FCurveKey& k, long long t) { return k.time < t; }

// The rate dp/du of a weighted segment's parameter at p, 0 where the time
// control makes it unbounded.
double ParameterRate(double x1, double x2, double p) {
    const double q = 1.0 - p;
    const double dx = 3.0 * q * q * x1 + 6.0 * q * p * (x2 - x1) + 3.0 * p * p * (1.0 - x2);
    return dx > 1e-6 ? 1.0 / dx : 0.0;
}

// The event code of replacing key `a` by `b`.
std::uint32_t DiffCode(const FCurveKey& a, const FCurveKey& b) {
    std::uint32_t code = 0;
    if (a.value != b.value) code |= kCurveEventEditValue;
    if (a.time != b.time) code |= kCurveEventEditTime;
    std::uint32_t other = 0;
    if ((a.flags ^ b.flags) & kKeyInterpolationMask) other |= kCurveEventInterpolation;
    const std::uint32_t mode = (a.flags ^ b.flags) & kKeyModeMask;
    if (mode) {
        if (InterpolationOf(b) == kKeyConstant) other |= kCurveEventConstant;
        else if (mode & kTangentBreak) other |= kCurveEventBreak;
        else if (mode & kTangentClamp) other |= kCurveEventClamp;
        else other |= kCurveEventTangent;
    }
    if (((a.flags ^ b.flags) & kWeightMask) || a.leftWeight != b.leftWeight || a.rightWeight != b.rightWeight)
        other |= kCurveEventWeight;
    if (((a.flags ^ b.flags) & kVelocityMask) || a.leftVelocity != b.leftVelocity ||
        a.rightVelocity != b.rightVelocity)
        other |= kCurveEventVelocity;
    if (a.leftDerivative != b.leftDerivative || a.rightDerivative != b.rightDerivative)
        other |= kCurveEventDerivative;
    if (a.tension != b.tension) other |= kCurveEventTension;
    if (a.continuity != b.continuity) other |= kCurveEventContinuity;
    if (a.bias != b.bias) other |= kCurveEventBias;
    if (other) code |= kCurveEventEditOther | other;
    if (a.selected != b.selected || a.marked != b.marked) code |= kCurveEventSelection;
    return code ? code | kCurveEventKey : 0;
}

}  // namespace

FCurve* FCurve::Create(const char* name) { return new FCurve(name ? name : "FCurve"); }

FCurve::FCurve(const char* name) : Object(name, kClassFCurve) {}

// ---------------------------------------------------------------------------
// Keys

bool FCurve::GetKey(int i, FCurveKey* out) const {
    if (!out || i < 0 || i >= KeyCount()) return false;
    *out = keys_[static_cast<std::size_t>(i)];
    return true;
}

int FCurve::SetKey(int i, const FCurveKey& in) {
    if (locked_ || i < 0 || i >= KeyCount()) return -1;
    FCurveKey key = in;
    key.flags &= kKeyFlagsMask;
    const std::size_t at = static_cast<std::size_t>(i);
    const std::uint32_t code = DiffCode(keys_[at], key);
    if (editDepth_ > 0) {
        // Bulk writers fill keys by index: the order comes back at the end.
        keys_[at] = key;
        if ((at > 0 && keys_[at - 1].time >= key.time) ||
            (at + 1 < keys_.size() && keys_[at + 1].time <= key.time))
            sorted_ = false;
        Changed(code, i);
        return i;
    }
    const int other = KeyFind(key.time);
    if (other >= 0 && other != i) return -1;
    int index = i;
    if (keys_[at].time == key.time) {
        keys_[at] = key;
    } else {
        keys_.erase(keys_.begin() + i);
        auto pos = std::lower_bound(keys_.begin(), keys_.end(), key.time, Before);
        index = static_cast<int>(pos - keys_.begin());
        keys_.insert(pos, key);
    }
    Changed(code, index);
    return index;
}

int FCurve::KeyAdd(const FCurveKey& in) {
    if (locked_) return -1;
    FCurveKey key = in;
    key.flags &= kKeyFlagsMask;
    // Keys mostly arrive in time order (recording, plotting, bulk adds).
    if (keys_.empty() || !sorted_ || keys_.back().time < key.time) {
        keys_.push_back(key);
        const int index = KeyCount() - 1;
        Changed(kCurveEventKey | kCurveEventKeyAdd, index);
        return index;
    }
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key.time, Before);
    const int index = static_cast<int>(at - keys_.begin());
    if (at != keys_.end() && at->time == key.time) {
        const std::uint32_t code = DiffCode(*at, key);
        *at = key;
        Changed(code, index);
    } else {
        keys_.insert(at, key);
        Changed(kCurveEventKey | kCurveEventKeyAdd, index);
    }
    return index;
}

bool FCurve::KeyRemove(int i) {
    if (locked_ || i < 0 || i >= KeyCount()) return false;
    keys_.erase(keys_.begin() + i);
    Changed(kCurveEventKey | kCurveEventKeyRemove, i);
    return true;
}

int FCurve::KeyFind(long long time) const {
    Normalize();
    // Recording and plotting ask about times past the last key.
    if (keys_.empty() || keys_.back().time < time) return -1;
    auto at = std::lower_bound(keys_.begin(), keys_.end(), time, Before);
    return at != keys_.end() && at->time == time ? static_cast<int>(at - keys_.begin()) : -1;
}

int FCurve::KeyFindBefore(long long time) const {
    Normalize();
    auto at = std::upper_bound(keys_.begin(), keys_.end(), time,
                               [](long long t, const FCurveKey& k) { return t < k.time; });
    return static_cast<int>(at - keys_.begin()) - 1;
}

void FCurve::KeyClear() {
    if (locked_ || keys_.empty()) return;
    keys_.clear();
    sorted_ = true;
    Changed(kCurveEventKey | kCurveEventKeyRemove | kCurveEventMass, -1);
}

bool FCurve::KeyDelete(int first, int last) {
    if (locked_ || first < 0 || last < first || last >= KeyCount()) return false;
    Normalize();
    keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
    Changed(kCurveEventKey | kCurveEventKeyRemove | (first == last ? 0u : kCurveEventMass),
            first == last ? first : -1);
    return true;
}

namespace {
// The index range of the keys in a time span; first > last when none.
template <class Keys>
void SpanIndices(const Keys& keys, long long start, long long stop, bool inclusive, int* first, int* last) {
    auto lo = inclusive ? std::lower_bound(keys.begin(), keys.end(), start, Before)
                        : std::upper_bound(keys.begin(), keys.end(), start,
                                           [](long long t, const FCurveKey& k) { return t < k.time; });
    auto hi = inclusive ? std::upper_bound(keys.begin(), keys.end(), stop,
                                           [](long long t, const FCurveKey& k) { return t < k.time; })
                        : std::lower_bound(keys.begin(), keys.end(), stop, Before);
    *first = static_cast<int>(lo - keys.begin());
    *last = static_cast<int>(hi - keys.begin()) - 1;
}
}  // namespace

bool FCurve::KeyDelete(long long start, long long stop, bool inclusive) {
    if (locked_) return false;
    Normalize();
    int first, last;
    SpanIndices(keys_, start, stop, inclusive, &first, &last);
    return first <= last && KeyDelete(first, last);
}

bool FCurve::OffsetRange(long long offset, int first, int last) {
    const std::size_t a = static_cast<std::size_t>(first), b = static_cast<std::size_t>(last);
    // The moved block must stay strictly between the keys that stay, and
    // inside the tick range.
    const long long lowest = first > 0 ? keys_[a - 1].time : 0;
    const long long highest = b + 1 < keys_.size() ? keys_[b + 1].time : 0;
    long long moved;
    if (__builtin_add_overflow(keys_[a].time, offset, &moved)) return false;
    if (first > 0 && moved <= lowest) return false;
    if (__builtin_add_overflow(keys_[b].time, offset, &moved)) return false;
    if (b + 1 < keys_.size() && moved >= highest) return false;
    if (offset == 0) return true;
    for (std::size_t i = a; i <= b; ++i) keys_[i].time += offset;
    Changed(kCurveEventKey | kCurveEventEditTime | (first == last ? 0u : kCurveEventMass),
            first == last ? first : -1);
    return true;
}

bool FCurve::KeyOffset(long long offset, int first, int last) {
    if (locked_ || first < 0 || last < first || last >= KeyCount()) return false;
    Normalize();
    return OffsetRange(offset, first, last);
}

bool FCurve::KeyOffset(long long offset, long long start, long long stop, bool inclusive) {
    if (locked_) return false;
    Normalize();
    int first, last;
    SpanIndices(keys_, start, stop, inclusive, &first, &last);
    return first <= last && OffsetRange(offset, first, last);
}

bool FCurve::KeyReplaceBy(const FCurve& source, long long start, long long stop, bool exactSpan,
                          bool keyEnds) {
    if (locked_ || &source == this || start > stop) return false;
    source.Normalize();
    int sFirst, sLast;
    SpanIndices(source.keys_, start, stop, true, &sFirst, &sLast);
    if (!exactSpan) {
        if (sFirst > sLast) return true;  // the source has nothing there
        start = source.keys_[static_cast<std::size_t>(sFirst)].time;
        stop = source.keys_[static_cast<std::size_t>(sLast)].time;
    }
    std::vector<FCurveKey> incoming(source.keys_.begin() + sFirst, source.keys_.begin() + sLast + 1);
    if (keyEnds) {
        FCurveKey end;
        if (incoming.empty() || incoming.front().time != start) {
            end.time = start;
            end.value = static_cast<float>(source.Evaluate(start));
            incoming.insert(incoming.begin(), end);
        }
        if (incoming.back().time != stop) {
            end.time = stop;
            end.value = static_cast<float>(source.Evaluate(stop));
            incoming.push_back(end);
        }
    }
    Normalize();
    int first, last;
    SpanIndices(keys_, start, stop, true, &first, &last);
    keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
    keys_.insert(keys_.begin() + first, incoming.begin(), incoming.end());
    Changed(kCurveEventKey | kCurveEventKeyAdd | kCurveEventKeyRemove | kCurveEventMass, -1);
    return true;
}

void FCurve::Reserve(int count) {
    if (count > 0) keys_.reserve(static_cast<std::size_t>(count));
}

bool FCurve::KeyResize(int count) {
    if (locked_ || count < 0) return false;
    const std::size_t n = static_cast<std::size_t>(count);
    if (n == keys_.size()) return true;
    if (n < keys_.size()) {
        keys_.resize(n);
        Changed(kCurveEventKey | kCurveEventKeyRemove | kCurveEventMass, -1);
        return true;
    }
    long long t = keys_.empty() ? 0 : keys_.back().time;
    FCurveKey key;
    if (!keys_.empty()) ++t;
    while (keys_.size() < n) {
        key.time = t++;
        keys_.push_back(key);
    }
    Changed(kCurveEventKey | kCurveEventKeyAdd | kCurveEventMass, -1);
    return true;
}

bool FCurve::CopyFrom(const FCurve& source) {
    if (locked_) return false;
    if (&source == this) return true;
    source.Normalize();
    keys_ = source.keys_;
    sorted_ = true;
    preMode_ = source.preMode_;
    postMode_ = source.postMode_;
    preCount_ = source.preCount_;
    postCount_ = source.postCount_;
    default_ = source.default_;
    Changed(kCurveEventKey | kCurveEventKeyAdd | kCurveEventKeyRemove | kCurveEventMass, -1);
    return true;
}

bool FCurve::SwapKeys(std::vector<FCurveKey>* keys) {
    if (locked_ || !keys) return false;
    for (std::size_t i = 1; i < keys->size(); ++i)
        if (!((*keys)[i - 1].time < (*keys)[i].time)) return false;
    for (FCurveKey& key : *keys) key.flags &= kKeyFlagsMask;
    Normalize();
    keys_.swap(*keys);
    sorted_ = true;
    Changed(kCurveEventKey | kCurveEventKeyAdd | kCurveEventKeyRemove | kCurveEventMass, -1);
    return true;
}

void FCurve::SaveState(CurveState* out) const {
    if (!out) return;
    Normalize();
    out->keys = keys_;
    out->preMode = preMode_;
    out->postMode = postMode_;
    out->preCount = preCount_;
    out->postCount = postCount_;
    out->defaultValue = default_;
}

void FCurve::RestoreState(const CurveState& state) {
    keys_ = state.keys;
    sorted_ = true;
    preMode_ = state.preMode;
    postMode_ = state.postMode;
    preCount_ = state.preCount;
    postCount_ = state.postCount;
    default_ = state.defaultValue;
    hasCandidate_ = false;
    Changed(kCurveEventKey | kCurveEventKeyAdd | kCurveEventKeyRemove | kCurveEventMass, -1);
}

// ---------------------------------------------------------------------------
// Brackets, changes, events

void FCurve::BeginEdit() { ++editDepth_; }

void FCurve::EndEdit() {
    if (editDepth_ == 0) return;
    if (--editDepth_ > 0) return;
    Normalize();
    if (heldIndex_ != -2) {
        const std::uint32_t code = heldCode_;
        const int index = heldIndex_;
        heldCode_ = 0;
        heldIndex_ = -2;
        Post(code, index);
    }
}

void FCurve::Changed(std::uint32_t code, int index) {
    ModFlags() |= kModSelfAnimation;
    pending_.store(true, std::memory_order_release);
    if (code) Post(code, index);
}

void FCurve::Post(std::uint32_t code, int index) {
    if (editDepth_ > 0) {
        heldCode_ |= code;
        if (heldIndex_ == -2) {
            heldIndex_ = index;
        } else if (heldIndex_ != index) {
            heldIndex_ = -1;
            heldCode_ |= kCurveEventMass;
        }
        return;
    }
    bool heard = !events_.Empty();
    for (EventSource* source : forwards_) heard = heard || !source->Empty();
    if (!heard) return;
    CurveEventRecord record;
    record.type = kEventCurveChanged;
    record.subject = this;
    record.code = code;
    record.keyIndex = index;
    events_.Raise(record);
    for (EventSource* source : forwards_) source->Raise(record);
}

void FCurve::ForwardEventsTo(EventSource* source) {
    if (source) forwards_.push_back(source);
}

void FCurve::Normalize() const {
    if (sorted_) return;
    std::stable_sort(keys_.begin(), keys_.end(),
                     [](const FCurveKey& a, const FCurveKey& b) { return a.time < b.time; });
    // At one time the key of the later index wins.
    std::size_t out = 0;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (out > 0 && keys_[out - 1].time == keys_[i].time) keys_[out - 1] = keys_[i];
        else keys_[out++] = keys_[i];
    }
    keys_.resize(out);
    sorted_ = true;
    pending_.store(true, std::memory_order_release);
}

// ---------------------------------------------------------------------------
// Candidate

void FCurve::SetCandidate(double value, long long time) {
    candidate_ = value;
    candidateTime_ = time;
    hasCandidate_ = true;
    Post(kCurveEventCandidate, -1);
}

int FCurve::KeyCandidate(std::uint32_t flags, std::uint32_t continuity, bool overrideMode, long long time,
                         double tolerance) {
    if (locked_ || !hasCandidate_) return -1;
    if (time == kTimeInfinity) time = candidateTime_;
    Normalize();
    // A key close enough is the key to change.
    int existing = KeyFind(time);
    if (existing < 0 && tolerance > 0.0) {
        const int before = KeyFindBefore(time);
        for (int i : {before, before + 1})
            if (i >= 0 && i < KeyCount() &&
                std::fabs(static_cast<double>(keys_[static_cast<std::size_t>(i)].time - time)) <= tolerance)
                existing = i;
    }
    FCurveKey key;
    if (existing >= 0) key = keys_[static_cast<std::size_t>(existing)];
    if (existing < 0 || overrideMode) key.flags = (key.flags & ~(kKeyInterpolationMask | kKeyModeMask)) |
                                                  (flags & (kKeyInterpolationMask | kKeyModeMask));
    if ((continuity & kKeyInsertContinuity) && existing < 0 && KeyCount() >= 2 &&
        time > keys_.front().time && time < keys_.back().time) {
        const float slope = static_cast<float>(SlopeAt(time));
        key.leftDerivative = key.rightDerivative = slope;
    }
    key.value = static_cast<float>(candidate_);
    hasCandidate_ = false;
    if (existing >= 0) {
        key.time = keys_[static_cast<std::size_t>(existing)].time;
        return SetKey(existing, key);
    }
    key.time = time;
    return KeyAdd(key);
}

// ---------------------------------------------------------------------------
// Extrapolation

bool FCurve::SetPreExtrapolation(int mode) {
    if (locked_ || mode < kExtrapolationConstant || mode > kExtrapolationRelativeRepetition) return false;
    preMode_ = mode;
    Changed(kCurveEventKey | kCurveEventEditOther | kCurveEventPreExtrapolation, -1);
    return true;
}

bool FCurve::SetPostExtrapolation(int mode) {
    if (locked_ || mode < kExtrapolationConstant || mode > kExtrapolationRelativeRepetition) return false;
    postMode_ = mode;
    Changed(kCurveEventKey | kCurveEventEditOther | kCurveEventPostExtrapolation, -1);
    return true;
}

bool FCurve::SetPreExtrapolationCount(int count) {
    if (locked_) return false;
    preCount_ = count < 0 ? 0 : count;
    Changed(kCurveEventKey | kCurveEventEditOther | kCurveEventPreExtrapolation, -1);
    return true;
}

bool FCurve::SetPostExtrapolationCount(int count) {
    if (locked_) return false;
    postCount_ = count < 0 ? 0 : count;
    Changed(kCurveEventKey | kCurveEventEditOther | kCurveEventPostExtrapolation, -1);
    return true;
}

// ---------------------------------------------------------------------------
// Slopes and segments

double FCurve::LeftSlope(int i) const {
    EnsureBuilt();
    return i >= 0 && i < static_cast<int>(leftSlope_.size()) ? leftSlope_[static_cast<std::size_t>(i)] : 0.0;
}

double FCurve::RightSlope(int i) const {
    EnsureBuilt();
    return i >= 0 && i < static_cast<int>(rightSlope_.size()) ? rightSlope_[static_cast<std::size_t>(i)] : 0.0;
}

void FCurve::ComputeSlopes(int i, double* left, double* right) const {
    const int n = KeyCount();
    const FCurveKey& key = keys_[static_cast<std::size_t>(i)];
    const std::uint32_t f = key.flags;
    *left = *right = 0.0;
    if ((f & kTangentUser) && !(f & kTangentTCB)) {
        if (f & kTangentBreak) {
            *left = key.leftDerivative;
            *right = key.rightDerivative;
        } else {
            *left = *right = key.rightDerivative;
        }
        return;
    }
    if (n < 2) return;
    // A missing neighbour is the key itself.
    const FCurveKey& prev = keys_[static_cast<std::size_t>(i > 0 ? i - 1 : i)];
    const FCurveKey& next = keys_[static_cast<std::size_t>(i + 1 < n ? i + 1 : i)];
    const double v = key.value;
    const double dp = v - prev.value;
    const double dn = next.value - v;
    const double tp = static_cast<double>(key.time - prev.time) * kSecondsPerTick;
    const double tn = static_cast<double>(next.time - key.time) * kSecondsPerTick;
    const double span = tp + tn;
    const bool inner = i > 0 && i + 1 < n;

    if (f & kTangentTCB) {
        const double t = key.tension, c = key.continuity, b = key.bias;
        const double half = span * 0.5;
        const double in = (1 - t) * (1 - c) * (1 + b) * 0.5 * dp + (1 - t) * (1 + c) * (1 - b) * 0.5 * dn;
        const double out = (1 - t) * (1 + c) * (1 + b) * 0.5 * dp + (1 - t) * (1 - c) * (1 - b) * 0.5 * dn;
        *left = in / half;
        *right = out / half;
        return;
    }

    double slope;
    if (f & kTangentTimeIndependent) {
        const double secL = tp > 0 ? dp / tp : dn / tn;
        const double secR = tn > 0 ? dn / tn : secL;
        slope = 0.5 * (secL + secR);
        if ((f & kTangentClampProgressive) == kTangentClampProgressive && inner) {
            if (dp * dn <= 0.0) {
                slope = 0.0;
            } else {
                const double limit = 3.0 * std::min(std::fabs(dp / tp), std::fabs(dn / tn));
                if (std::fabs(slope) > limit) slope = slope > 0 ? limit : -limit;
            }
        }
    } else {
        slope = (next.value - prev.value) / span;
    }
    // Clamped: flat at an extremum (dp and dn of opposite signs) and where
    // the key is level with a neighbour (dp or dn zero).
    if ((f & kTangentClamp) && inner && dp * dn <= 0.0) slope = 0.0;
    *left = *right = slope;
}

void FCurve::EnsureBuilt() const {
    if (!pending_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(buildLock_);
    if (!pending_.load(std::memory_order_relaxed)) return;
    Rebuild();
    pending_.store(false, std::memory_order_release);
}

void FCurve::Rebuild() const {
    Normalize();
    const int n = KeyCount();
    times_.resize(static_cast<std::size_t>(n));
    leftSlope_.assign(static_cast<std::size_t>(n), 0.0);
    rightSlope_.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        times_[static_cast<std::size_t>(i)] = keys_[static_cast<std::size_t>(i)].time;
        ComputeSlopes(i, &leftSlope_[static_cast<std::size_t>(i)], &rightSlope_[static_cast<std::size_t>(i)]);
    }
    segments_.assign(n > 1 ? static_cast<std::size_t>(n - 1) : 0, Segment{});
    std::size_t weighted = 0;
    for (int k = 0; k + 1 < n; ++k) {
        const FCurveKey& a = keys_[static_cast<std::size_t>(k)];
        const FCurveKey& b = keys_[static_cast<std::size_t>(k + 1)];
        Segment& s = segments_[static_cast<std::size_t>(k)];
        s.t0 = a.time;
        s.t1 = b.time;
        s.invSpan = 1.0 / static_cast<double>(b.time - a.time);
        const double v0 = a.value, v1 = b.value;
        switch (InterpolationOf(a)) {
            case kKeyConstant:
                s.kind = 0;
                s.c[0] = (a.flags & kKeyModeMask) == kConstantNext ? v1 : v0;
                break;
            case kKeyLinear:
            case kKeyCustom:
                s.kind = 1;
                s.c[0] = v0;
                s.c[1] = v1 - v0;
                s.c[2] = s.c[3] = 0.0;
                break;
            default: {
                const double seconds = static_cast<double>(b.time - a.time) * kSecondsPerTick;
                const double s0 = rightSlope_[static_cast<std::size_t>(k)];
                const double s1 = leftSlope_[static_cast<std::size_t>(k + 1)];
                const double w0 = (a.flags & kWeightRight) ? Clamp01(a.rightWeight) : 1.0 / 3.0;
                const double w1 = (a.flags & kWeightNextLeft) ? Clamp01(b.leftWeight) : 1.0 / 3.0;
                if (std::fabs(w0 - 1.0 / 3.0) > 1e-7 || std::fabs(w1 - 1.0 / 3.0) > 1e-7) {
                    s.kind = 2;
                    s.c[0] = v0;
                    s.c[1] = v0 + s0 * w0 * seconds;
                    s.c[2] = v1 - s1 * w1 * seconds;
                    s.c[3] = v1;
                    s.x1 = w0;
                    s.x2 = 1.0 - w1;
                    ++weighted;
                } else {
                    // Hermite in u: v0 + m0 u + (3dv - 2m0 - m1) u^2 + (m0 + m1 - 2dv) u^3.
                    const double m0 = s0 * seconds, m1 = s1 * seconds, dv = v1 - v0;
                    s.kind = 1;
                    s.c[0] = v0;
                    s.c[1] = m0;
                    s.c[2] = 3.0 * dv - 2.0 * m0 - m1;
                    s.c[3] = m0 + m1 - 2.0 * dv;
                }
                break;
            }
        }
    }
    // The weighted segments' start tables, in one block.
    weightTables_.assign(weighted * 2 * (kWeightSamples + 1), 0.0);
    double* table = weightTables_.data();
    for (Segment& s : segments_) {
        if (s.kind != 2) continue;
        s.table = table;
        for (int j = 0; j <= kWeightSamples; ++j) {
            const double u = static_cast<double>(j) / kWeightSamples;
            const double p = SolveBezierTime(s, u, u);
            table[2 * j] = p;
            table[2 * j + 1] = ParameterRate(s.x1, s.x2, p);
        }
        table += 2 * (kWeightSamples + 1);
    }
    hint_.store(0, std::memory_order_relaxed);
}

int FCurve::FindSegment(long long time) const {
    // Callers guarantee times_[0] <= time < times_.back().
    const int last = static_cast<int>(times_.size()) - 2;
    int k = hint_.load(std::memory_order_relaxed);
    if (k > last) k = last;
    const long long* t = times_.data();
    if (t[k] <= time) {
        if (time < t[k + 1]) return k;
        if (k + 1 <= last && time < t[k + 2]) {
            hint_.store(k + 1, std::memory_order_relaxed);
            return k + 1;
        }
    }
    // Last key time not above `time`.
    const long long* at = std::upper_bound(t, t + times_.size(), time);
    k = static_cast<int>(at - t) - 1;
    hint_.store(k, std::memory_order_relaxed);
    return k;
}

// The parameter of a weighted segment at time u: the Bezier's time
// x(p) = 3(1-p)^2 p x1 + 3(1-p) p^2 x2 + p^3 is monotone (both controls lie
// inside the segment), so Newton's method kept inside a shrinking bracket
// always converges. It stops when the parameter's time is within a
// thousandth of a tick of the time asked for: nothing finer exists.
double FCurve::SolveBezierTime(const Segment& s, double u, double start) {
    const double tolerance = std::max(1e-15, 1e-3 * s.invSpan);
    double lo = 0.0, hi = 1.0, p = start;
    for (int i = 0; i < 40; ++i) {
        const double q = 1.0 - p;
        const double x = (3.0 * q * q * s.x1 + (3.0 * q * s.x2 + p) * p) * p;
        const double f = x - u;
        if (std::fabs(f) < tolerance) break;
        if (f < 0) lo = p;
        else hi = p;
        const double dx = 3.0 * q * q * s.x1 + 6.0 * q * p * (s.x2 - s.x1) + 3.0 * p * p * (1.0 - s.x2);
        double next = dx > 0 ? p - f / dx : lo;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        p = next;
    }
    return p;
}

double FCurve::EvalWeighted(const Segment& s, double u) {
    // The samples' cubic through the two neighbours is within a few
    // millionths of the answer: one Newton step finishes.
    const double scaled = u * kWeightSamples;
    int j = static_cast<int>(scaled);
    if (j < 0) j = 0;
    if (j >= kWeightSamples) j = kWeightSamples - 1;
    const double t = scaled - j;
    const double* a = s.table + 2 * j;
    const double h = 1.0 / kWeightSamples;
    const double t2 = t * t, t3 = t2 * t;
    double start = (2 * t3 - 3 * t2 + 1) * a[0] + (t3 - 2 * t2 + t) * h * a[1] + (3 * t2 - 2 * t3) * a[2] +
                   (t3 - t2) * h * a[3];
    if (!(start >= 0.0 && start <= 1.0)) start = u;
    const double p = SolveBezierTime(s, u, start);
    const double q = 1.0 - p;
    return q * q * q * s.c[0] + 3.0 * q * q * p * s.c[1] + 3.0 * q * p * p * s.c[2] + p * p * p * s.c[3];
}

double FCurve::SlopeAt(long long time) const {
    EnsureBuilt();
    if (keys_.size() < 2 || time < times_.front() || time >= times_.back()) return 0.0;
    const Segment& s = segments_[static_cast<std::size_t>(FindSegment(time))];
    const double perSecond = s.invSpan * static_cast<double>(kTicksPerSecond);
    const double u = static_cast<double>(time - s.t0) * s.invSpan;
    if (s.kind == 0) return 0.0;
    if (s.kind == 1) return (s.c[1] + (2.0 * s.c[2] + 3.0 * s.c[3] * u) * u) * perSecond;
    const double p = SolveBezierTime(s, u, u);
    const double q = 1.0 - p;
    const double dv = 3.0 * (q * q * (s.c[1] - s.c[0]) + 2.0 * q * p * (s.c[2] - s.c[1]) + p * p * (s.c[3] - s.c[2]));
    const double dx = 3.0 * q * q * s.x1 + 6.0 * q * p * (s.x2 - s.x1) + 3.0 * p * p * (1.0 - s.x2);
    return dx > 0 ? dv / dx * perSecond : 0.0;
}

double FCurve::EvalInside(long long time) const {
    if (time >= times_.back()) return keys_.back().value;
    return EvalSegment(segments_[static_cast<std::size_t>(FindSegment(time))], time);
}

double FCurve::EvaluateSearching(long long time) const {
    EnsureBuilt();
    const std::size_t n = keys_.size();
    if (n == 0) return default_;
    if (n == 1) return keys_[0].value;
    if (time < times_.front()) return ExtrapolateBefore(time);
    if (time > times_.back()) return ExtrapolateAfter(time);
    return EvalInside(time);
}

double FCurve::ExtrapolateAfter(long long time) const {
    const FCurveKey& first = keys_.front();
    const FCurveKey& last = keys_.back();
    const double v0 = first.value, vN = last.value;
    // Unsigned arithmetic: the distance from any time to any other fits.
    const unsigned long long d = static_cast<unsigned long long>(time) - static_cast<unsigned long long>(last.time);
    const unsigned long long span = static_cast<unsigned long long>(last.time) - static_cast<unsigned long long>(first.time);
    switch (postMode_) {
        case kExtrapolationKeepSlope: {
            const Segment& s = segments_.back();
            double slope = 0.0;
            if (s.kind == 1 && InterpolationOf(keys_[keys_.size() - 2]) != kKeyCubic)
                slope = (vN - keys_[keys_.size() - 2].value) / (static_cast<double>(last.time - keys_[keys_.size() - 2].time) * kSecondsPerTick);
            else if (s.kind != 0)
                slope = leftSlope_.back();
            return vN + slope * static_cast<double>(d) * kSecondsPerTick;
        }
        case kExtrapolationRepetition:
        case kExtrapolationMirrorRepetition:
        case kExtrapolationRelativeRepetition: {
            const unsigned long long cycle = (d + span - 1) / span;  // 1 for the first repeat
            const unsigned long long count = postCount_ <= 0 ? ~0ull : static_cast<unsigned long long>(postCount_);
            if (cycle > count) {
                if (postMode_ == kExtrapolationRepetition) return vN;
                if (postMode_ == kExtrapolationMirrorRepetition) return (count % 2) ? v0 : vN;
                return vN + static_cast<double>(count) * (vN - v0);
            }
            const unsigned long long rest = d - (cycle - 1) * span;  // in (0, span]
            if (postMode_ == kExtrapolationMirrorRepetition) {
                const long long local = (cycle % 2) ? last.time - static_cast<long long>(rest)
                                                    : first.time + static_cast<long long>(rest);
                return EvalInside(local);
            }
            const double value = EvalInside(first.time + static_cast<long long>(rest));
            if (postMode_ == kExtrapolationRepetition) return value;
            return value + static_cast<double>(cycle) * (vN - v0);
        }
        default:
            return vN;
    }
}

double FCurve::ExtrapolateBefore(long long time) const {
    const FCurveKey& first = keys_.front();
    const FCurveKey& last = keys_.back();
    const double v0 = first.value, vN = last.value;
    const unsigned long long d = static_cast<unsigned long long>(first.time) - static_cast<unsigned long long>(time);
    const unsigned long long span = static_cast<unsigned long long>(last.time) - static_cast<unsigned long long>(first.time);
    switch (preMode_) {
        case kExtrapolationKeepSlope: {
            const Segment& s = segments_.front();
            double slope = 0.0;
            if (s.kind == 1 && InterpolationOf(first) != kKeyCubic)
                slope = (keys_[1].value - v0) / (static_cast<double>(keys_[1].time - first.time) * kSecondsPerTick);
            else if (s.kind != 0)
                slope = rightSlope_.front();
            return v0 - slope * static_cast<double>(d) * kSecondsPerTick;
        }
        case kExtrapolationRepetition:
        case kExtrapolationMirrorRepetition:
        case kExtrapolationRelativeRepetition: {
            const unsigned long long cycle = (d + span - 1) / span;
            const unsigned long long count = preCount_ <= 0 ? ~0ull : static_cast<unsigned long long>(preCount_);
            if (cycle > count) {
                if (preMode_ == kExtrapolationRepetition) return v0;
                if (preMode_ == kExtrapolationMirrorRepetition) return (count % 2) ? vN : v0;
                return v0 - static_cast<double>(count) * (vN - v0);
            }
            const unsigned long long rest = d - (cycle - 1) * span;  // in (0, span]
            if (preMode_ == kExtrapolationMirrorRepetition) {
                const long long local = (cycle % 2) ? first.time + static_cast<long long>(rest)
                                                    : last.time - static_cast<long long>(rest);
                return EvalInside(local);
            }
            // The repeat before the keys: `rest` before its end.
            const double value = EvalInside(last.time - static_cast<long long>(rest));
            if (preMode_ == kExtrapolationRepetition) return value;
            return value - static_cast<double>(cycle) * (vN - v0);
        }
        default:
            return v0;
    }
}

// ---------------------------------------------------------------------------
// Custom tangent types

namespace {
// One type per custom mode bit, in bit order.
const char* const kCustomTangentNames[3] = {"Ease In Out", "Ease In", "Ease Out"};
}  // namespace

const char* CustomTangents::Name(std::uint32_t mode) {
    switch (mode) {
        case kCustomTangent0: return kCustomTangentNames[0];
        case kCustomTangent1: return kCustomTangentNames[1];
        case kCustomTangent2: return kCustomTangentNames[2];
        default: return nullptr;
    }
}

int CustomTangents::Find(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < 3; ++i)
        if (std::strcmp(name, kCustomTangentNames[i]) == 0) return static_cast<int>(kCustomTangent0 << i);
    return -1;
}

int CustomTangents::Count() { return 3; }

}  // namespace velora
