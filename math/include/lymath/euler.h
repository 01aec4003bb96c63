#ifndef LYMATH_EULER_H
#define LYMATH_EULER_H

// Euler rotations in degrees, read in one of six orders, to and from the
// 3 x 3 part of a column-major 4 x 4 matrix (lymath/matrix.h).
//
// Order o applies its axes first i, second j, third k (0 = X, 1 = Y, 2 = Z),
// so its matrix is Rk(c) . Rj(b) . Ri(a) for the angles (a, b, c):
//   0: X, Y, Z   1: X, Z, Y   2: Y, X, Z   3: Y, Z, X   4: Z, X, Y   5: Z, Y, X
// Any other order is taken as 0.
//
// When (i, j, k) is a cyclic shift of (X, Y, Z), relabelling the axes is
// itself a rotation, and the matrix is that of order 0 with the indices
// renamed. The other three are mirror images of such a relabelling, which
// turns every angle round: their matrix is the order-0 matrix of the negated
// angles, renamed. `sign` carries that parity.

#include <cmath>

#include "lymath/matrix.h"
#include "lymath/scalar.h"

namespace lymath {

struct EulerAxes {
    int i, j, k;
    double sign;
};

constexpr EulerAxes kEulerAxes[6] = {
    {0, 1, 2, 1.0},   // 0: X, Y, Z
    {0, 2, 1, -1.0},  // 1: X, Z, Y
    {1, 0, 2, -1.0},  // 2: Y, X, Z
    {1, 2, 0, 1.0},   // 3: Y, Z, X
    {2, 0, 1, 1.0},   // 4: Z, X, Y
    {2, 1, 0, -1.0},  // 5: Z, Y, X
};

/// The axes of `order`; order 0's for a value outside 0 to 5.
constexpr const EulerAxes& EulerAxesOf(int order) noexcept {
    return kEulerAxes[(order >= 0 && order < 6) ? order : 0];
}

/// Writes the rotation of `rot` (degrees) for `ax` to the 3 x 3 part of m,
/// axis (column) c scaled by scale[c]. Order 0 in full, for reference:
///   [ cc cb   cc sb sa - sc ca   cc sb ca + sc sa ]
///   [ sc cb   sc sb sa + cc ca   sc sb ca - cc sa ]
///   [ -sb     cb sa              cb ca            ]
inline void EulerToAxes(double* m, const double* rot, const EulerAxes& ax, const double* scale) noexcept {
    const double a = rot[0] * kDegreesToRadians * ax.sign;
    const double b = rot[1] * kDegreesToRadians * ax.sign;
    const double c = rot[2] * kDegreesToRadians * ax.sign;
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(b), cb = std::cos(b);
    const double sc = std::sin(c), cc = std::cos(c);
    const int i = ax.i, j = ax.j, k = ax.k;

    double R[3][3];
    R[i][i] = cc * cb;
    R[i][j] = cc * sb * sa - sc * ca;
    R[i][k] = cc * sb * ca + sc * sa;
    R[j][i] = sc * cb;
    R[j][j] = sc * sb * sa + cc * ca;
    R[j][k] = sc * sb * ca - cc * sa;
    R[k][i] = -sb;
    R[k][j] = cb * sa;
    R[k][k] = cb * ca;

    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) m[At(row, col)] = R[row][col] * scale[col];
}

/// The whole transform T . R . S of translation t, order-0 rotation `rot`
/// (degrees) and scaling s, into all 16 elements of m.
inline void ComposeTRS(double* m, const double* t, const double* rot, const double* s) noexcept {
    const double tx = t[0], ty = t[1], tz = t[2];
    EulerToAxes(m, rot, kEulerAxes[0], s);
    SetTranslation(m, tx, ty, tz);
}

/// Reads the angles (degrees) off an orthonormal rotation in the 3 x 3 part
/// of m: the inverse of EulerToAxes.
///   cy = cos b = sqrt(M[i][i]^2 + M[j][i]^2)
///   cy > precision:  a = s atan2(M[k][j], M[k][k]),  b = s atan2(-M[k][i], cy),
///                    c = s atan2(M[j][i], M[i][i])
///   otherwise:       a = s atan2(-M[j][k], M[j][j]), b as above, c = 0
/// In the second case Rk is (nearly) aligned with Ri, so c is folded into a:
/// with c = 0 the matrix is Rj(b) . Ri(a), whose row j is that of Ri(a).
inline void AxesToEuler(double* rot, const double* m, const EulerAxes& ax, double precision) noexcept {
    const int i = ax.i, j = ax.j, k = ax.k;
    const double s = ax.sign;
    auto M = [m](int row, int col) { return m[At(row, col)]; };

    const double cy = std::sqrt(M(i, i) * M(i, i) + M(j, i) * M(j, i));
    double a, b, c;
    if (cy > precision) {
        a = s * std::atan2(M(k, j), M(k, k));
        b = s * std::atan2(-M(k, i), cy);
        c = s * std::atan2(M(j, i), M(i, i));
    } else {
        a = s * std::atan2(-M(j, k), M(j, j));
        b = s * std::atan2(-M(k, i), cy);
        c = 0.0;
    }
    rot[0] = a * kRadiansToDegrees;
    rot[1] = b * kRadiansToDegrees;
    rot[2] = c * kRadiansToDegrees;
}

}  // namespace lymath

#endif  // LYMATH_EULER_H
