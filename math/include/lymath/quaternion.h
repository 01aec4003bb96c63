#ifndef LYMATH_QUATERNION_H
#define LYMATH_QUATERNION_H

// Quaternions (x, y, z, w), the scalar last, to and from the 3 x 3 part of a
// column-major 4 x 4 matrix (lymath/matrix.h).

#include <cmath>

#include "lymath/scalar.h"

namespace lymath {

/// Writes the rotation matrix of quaternion (x, y, z, w) to the 3 x 3 part of
/// `m`, axis c scaled by scale[c]. Non-unit quaternions are fine: s = 2 / n
/// with n the squared norm, and the zero quaternion gives the identity.
inline void QuaternionToAxes(double* m, double x, double y, double z, double w, double sx = 1.0,
                             double sy = 1.0, double sz = 1.0) noexcept {
    const double n = x * x + y * y + z * z + w * w;
    const double s = n != 0.0 ? 2.0 / n : 0.0;
    const double xs = x * s, ys = y * s, zs = z * s;
    const double xx = x * xs, yy = y * ys, zz = z * zs;
    const double xy = x * ys, xz = x * zs, yz = y * zs;
    const double wx = w * xs, wy = w * ys, wz = w * zs;
    m[0] = (1.0 - (yy + zz)) * sx;
    m[1] = (xy + wz) * sx;
    m[2] = (xz - wy) * sx;
    m[4] = (xy - wz) * sy;
    m[5] = (1.0 - (xx + zz)) * sy;
    m[6] = (yz + wx) * sy;
    m[8] = (xz + wy) * sz;
    m[9] = (yz - wx) * sz;
    m[10] = (1.0 - (xx + yy)) * sz;
}

/// How far a squared axis length may be from 1 for the series normalisation
/// in AxesToQuaternion.
constexpr double kNearUnit = 1e-6;

/// The quaternion (x, y, z, w) of the orthonormal frame spanned by the axes
/// of `m`: X = first axis normalised, Z = (first x second) normalised,
/// Y = Z x X (a zero vector normalises to zero), then the largest-pivot
/// (Shepperd) read-off: from the trace when it is positive, otherwise from
/// the largest diagonal element, so the square root never sees a small
/// argument.
inline void AxesToQuaternion(double q[4], const double* m) noexcept {
    const double c0x = m[0], c0y = m[1], c0z = m[2];
    const double c1x = m[4], c1y = m[5], c1z = m[6];

    // X and Z are independent: both square roots can run at once.
    const double lx2 = c0x * c0x + c0y * c0y + c0z * c0z;
    const double nx = c0y * c1z - c0z * c1y;
    const double ny = c0z * c1x - c0x * c1z;
    const double nz = c0x * c1y - c0y * c1x;
    const double lz2 = nx * nx + ny * ny + nz * nz;
    // Two ways to 1 / |v|, side by side:
    //  - near-unit axes (|v|^2 within 1e-6 of 1: any rotation matrix, and
    //    any axis already divided by its scaling): the series
    //    1 - d/2 + 3d^2/8 in d = |v|^2 - 1, whose truncation error (below
    //    5|d|^3/16 < 4e-19) is far under double rounding, so it is as
    //    accurate as the square root and needs no square root or division;
    //  - any other length: the square root and a division (zero stays
    //    zero).
    const double dx = lx2 - 1.0, dz = lz2 - 1.0;
    double ix, iz;
    if (std::fabs(dx) <= kNearUnit && std::fabs(dz) <= kNearUnit) {
        ix = 1.0 + dx * (-0.5 + 0.375 * dx);
        iz = 1.0 + dz * (-0.5 + 0.375 * dz);
    } else {
        ix = lx2 > 0.0 ? 1.0 / Sqrt(lx2) : 0.0;
        iz = lz2 > 0.0 ? 1.0 / Sqrt(lz2) : 0.0;
    }

    const double X0 = c0x * ix, X1 = c0y * ix, X2 = c0z * ix;
    const double Z0 = nx * iz, Z1 = ny * iz, Z2 = nz * iz;
    const double Y0 = Z1 * X2 - Z2 * X1;
    const double Y1 = Z2 * X0 - Z0 * X2;
    const double Y2 = Z0 * X1 - Z1 * X0;

    // R[row][col]: column 0 is X, 1 is Y, 2 is Z.
    const double R00 = X0, R10 = X1, R20 = X2;
    const double R01 = Y0, R11 = Y1, R21 = Y2;
    const double R02 = Z0, R12 = Z1, R22 = Z2;

    // The read-off: from the trace t when it is positive (w is then the
    // largest component), otherwise from the largest diagonal element i:
    // r = sqrt(arg) never sees a small argument, the picked component is
    // r / 2 and the other three are sums or differences of mirrored
    // elements times f = 0.5 / r. (A branch-free version that picks the
    // case with selects and a layout table measured slower: the indexed
    // stores and loads cost more than the mispredictions they avoid.)
    const double t = R00 + R11 + R22;
    if (t > 0.0) {
        const double r = Sqrt(t + 1.0);
        const double f = 0.5 / r;
        q[3] = r * 0.5;
        q[0] = (R21 - R12) * f;
        q[1] = (R02 - R20) * f;
        q[2] = (R10 - R01) * f;
        return;
    }
    const double R[3][3] = {{R00, R01, R02}, {R10, R11, R12}, {R20, R21, R22}};
    int i = 0;
    if (R11 > R00) i = 1;
    if (R22 > R[i][i]) i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    // Rounding can push the argument a hair below zero on degenerate frames;
    // it is a square, so clamp instead of producing NaN.
    const double arg = R[i][i] - (R[j][j] + R[k][k]) + 1.0;
    const double r = Sqrt(arg > 0.0 ? arg : 0.0);
    const double f = r != 0.0 ? 0.5 / r : 0.0;
    q[i] = r * 0.5;
    q[3] = (R[k][j] - R[j][k]) * f;
    q[j] = (R[j][i] + R[i][j]) * f;
    q[k] = (R[k][i] + R[i][k]) * f;
}

}  // namespace lymath

#endif  // LYMATH_QUATERNION_H
