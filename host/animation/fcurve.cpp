// Function curves: key storage, slopes, segment coefficients and evaluation.

#include "velora/fcurve.h"

#include <algorithm>
#include <cmath>

#include "velora/time.h"

namespace velora {

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

}  // namespace

FCurve* FCurve::Create(const char* name) { return new FCurve(name ? name : "FCurve"); }

FCurve::FCurve(const char* name) : Object(name, kClassFCurve) {}

bool FCurve::GetKey(int i, FCurveKey* out) const {
    if (!out || i < 0 || i >= KeyCount()) return false;
    *out = keys_[static_cast<std::size_t>(i)];
    return true;
}

int FCurve::SetKey(int i, const FCurveKey& key) {
    if (locked_ || i < 0 || i >= KeyCount()) return -1;
    const int other = KeyFind(key.time);
    if (other >= 0 && other != i) return -1;
    keys_.erase(keys_.begin() + i);
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key.time,
                               [](const FCurveKey& k, long long t) { return k.time < t; });
    const int index = static_cast<int>(at - keys_.begin());
    keys_.insert(at, key);
    Changed();
    return index;
}

int FCurve::KeyAdd(const FCurveKey& key) {
    if (locked_) return -1;
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key.time,
                               [](const FCurveKey& k, long long t) { return k.time < t; });
    const int index = static_cast<int>(at - keys_.begin());
    if (at != keys_.end() && at->time == key.time)
        *at = key;
    else
        keys_.insert(at, key);
    Changed();
    return index;
}

bool FCurve::KeyRemove(int i) {
    if (locked_ || i < 0 || i >= KeyCount()) return false;
    keys_.erase(keys_.begin() + i);
    Changed();
    return true;
}

int FCurve::KeyFind(long long time) const {
    auto at = std::lower_bound(keys_.begin(), keys_.end(), time,
                               [](const FCurveKey& k, long long t) { return k.time < t; });
    return at != keys_.end() && at->time == time ? static_cast<int>(at - keys_.begin()) : -1;
}

void FCurve::KeyClear() {
    if (locked_) return;
    keys_.clear();
    Changed();
}

void FCurve::BeginEdit() { ++editDepth_; }

void FCurve::EndEdit() {
    if (editDepth_ == 0) return;
    if (--editDepth_ == 0 && pending_) Rebuild();
}

bool FCurve::SetPreExtrapolation(int mode) {
    if (mode < kExtrapolationConstant || mode > kExtrapolationRelativeRepetition) return false;
    preMode_ = mode;
    return true;
}

bool FCurve::SetPostExtrapolation(int mode) {
    if (mode < kExtrapolationConstant || mode > kExtrapolationRelativeRepetition) return false;
    postMode_ = mode;
    return true;
}

void FCurve::Changed() {
    ModFlags() |= kModSelfAnimation;
    if (editDepth_ > 0) {
        pending_ = true;
        return;
    }
    Rebuild();
}

double FCurve::LeftSlope(int i) const {
    return i >= 0 && i < static_cast<int>(leftSlope_.size()) ? leftSlope_[static_cast<std::size_t>(i)] : 0.0;
}

double FCurve::RightSlope(int i) const {
    return i >= 0 && i < static_cast<int>(rightSlope_.size()) ? rightSlope_[static_cast<std::size_t>(i)] : 0.0;
}

void FCurve::ComputeSlopes(int i, double* left, double* right) const {
    const int n = KeyCount();
    const FCurveKey& key = keys_[static_cast<std::size_t>(i)];
    const std::uint32_t f = key.flags;
    *left = *right = 0.0;
    if ((f & kTangentUser) && !(f & kTangentTCB)) {
        if ((f & (kTangentUser | kTangentBreak)) == (kTangentUser | kTangentBreak)) {
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
    if ((f & kTangentClamp) && inner && dp * dn <= 0.0) slope = 0.0;
    *left = *right = slope;
}

void FCurve::Rebuild() const {
    pending_ = false;
    const int n = KeyCount();
    times_.resize(static_cast<std::size_t>(n));
    leftSlope_.assign(static_cast<std::size_t>(n), 0.0);
    rightSlope_.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        times_[static_cast<std::size_t>(i)] = keys_[static_cast<std::size_t>(i)].time;
        ComputeSlopes(i, &leftSlope_[static_cast<std::size_t>(i)], &rightSlope_[static_cast<std::size_t>(i)]);
    }
    segments_.assign(n > 1 ? static_cast<std::size_t>(n - 1) : 0, Segment{});
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
                s.c[0] = a.constantMode == kConstantNext ? v1 : v0;
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

// Weighted segments solve the Bezier for time. Time is monotone in the
// parameter because both controls lie inside the segment, so bisection
// always converges.
double FCurve::EvalWeighted(const Segment& s, double u) {
    double lo = 0.0, hi = 1.0, p = u;
    for (int i = 0; i < 60; ++i) {
        const double q = 1.0 - p;
        const double x = 3.0 * q * q * p * s.x1 + 3.0 * q * p * p * s.x2 + p * p * p;
        if (std::fabs(x - u) < 1e-14) break;
        if (x < u) lo = p; else hi = p;
        p = 0.5 * (lo + hi);
    }
    const double q = 1.0 - p;
    return q * q * q * s.c[0] + 3.0 * q * q * p * s.c[1] + 3.0 * q * p * p * s.c[2] + p * p * p * s.c[3];
}

double FCurve::EvalInside(long long time) const {
    if (time >= times_.back()) return keys_.back().value;
    return EvalSegment(segments_[static_cast<std::size_t>(FindSegment(time))], time);
}

double FCurve::EvaluateSearching(long long time) const {
    const std::size_t n = keys_.size();
    if (n == 0) return 0.0;
    // Inside an edit bracket the editing thread may read its own changes.
    if (pending_) Rebuild();
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
            const unsigned long long count = postCount_ < 0 ? ~0ull : static_cast<unsigned long long>(postCount_);
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
            const unsigned long long count = preCount_ < 0 ? ~0ull : static_cast<unsigned long long>(preCount_);
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

}  // namespace velora
