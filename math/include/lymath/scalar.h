#ifndef LYMATH_SCALAR_H
#define LYMATH_SCALAR_H

// Scalars the transform kernels share: angle factors and a square root for
// arguments known not to be negative.

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lymath {

constexpr double kDegreesToRadians = 0.017453292519943295;  // pi / 180
constexpr double kRadiansToDegrees = 57.29577951308232;     // 180 / pi

/// The square root of a non-negative number, without the error-reporting
/// branch that std::sqrt carries for negative arguments.
inline double Sqrt(double v) noexcept {
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(v)));
#else
    return std::sqrt(v);
#endif
}

}  // namespace lymath

#endif  // LYMATH_SCALAR_H
