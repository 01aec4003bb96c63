#ifndef LYMATH_ORTHONORMAL_H
#define LYMATH_ORTHONORMAL_H

// The right-handed orthonormal frame spanned by the axes of a matrix.

#include "lymath/scalar.h"

namespace lymath {

/// Replaces the axes (first three columns) of m by X' = X / |X|,
/// Z' = (X x Y) / |X x Y|, Y' = Z' x X': a rotation whatever the scale,
/// shear or handedness of the input. A zero vector normalises to zero, so a
/// degenerate frame gives zero axes. The translation and the fourth row are
/// left alone.
inline void Orthonormalize(double* m) noexcept {
    const double x0 = m[0], x1 = m[1], x2 = m[2];
    const double y0 = m[4], y1 = m[5], y2 = m[6];
    const double lx = Sqrt(x0 * x0 + x1 * x1 + x2 * x2);
    const bool hasX = lx > 0.0;  // false for a zero or non-finite length
    const double ix = hasX ? 1.0 / lx : 0.0;
    const double ux0 = hasX ? x0 * ix : 0.0, ux1 = hasX ? x1 * ix : 0.0, ux2 = hasX ? x2 * ix : 0.0;
    const double n0 = x1 * y2 - x2 * y1, n1 = x2 * y0 - x0 * y2, n2 = x0 * y1 - x1 * y0;
    const double lz = Sqrt(n0 * n0 + n1 * n1 + n2 * n2);
    const bool hasZ = lz > 0.0;
    const double iz = hasZ ? 1.0 / lz : 0.0;
    const double uz0 = hasZ ? n0 * iz : 0.0, uz1 = hasZ ? n1 * iz : 0.0, uz2 = hasZ ? n2 * iz : 0.0;
    m[0] = ux0;
    m[1] = ux1;
    m[2] = ux2;
    m[4] = uz1 * ux2 - uz2 * ux1;
    m[5] = uz2 * ux0 - uz0 * ux2;
    m[6] = uz0 * ux1 - uz1 * ux0;
    m[8] = uz0;
    m[9] = uz1;
    m[10] = uz2;
}

}  // namespace lymath

#endif  // LYMATH_ORTHONORMAL_H
