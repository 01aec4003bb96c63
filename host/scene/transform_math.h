#ifndef VELORA_SCENE_TRANSFORM_MATH_H
#define VELORA_SCENE_TRANSFORM_MATH_H

// Private to the host: the matrix steps the transform node, the model kinds
// and the placeholders share, on 16-double column-major matrices (element
// (row i, column c) at 4c + i) whose fourth row is (0, 0, 0, 1).

#include <cmath>
#include <cstring>

#include <lymath/euler.h>
#include <lymath/matrix.h>
#include <lymath/orthonormal.h>

namespace velora {
namespace tm {

constexpr double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr double kOnes[3] = {1.0, 1.0, 1.0};

inline void Copy(double* out, const double* m) { std::memcpy(out, m, 16 * sizeof(double)); }

/// Euler order 6 (spheric XYZ) composes as XYZ.
inline const lymath::EulerAxes& AxesOf(int order) { return lymath::EulerAxesOf(order == 6 ? 0 : order); }

/// The rotation matrix of `degrees` read in `order` (no translation).
inline void Rotation(double* out, const double* degrees, int order) {
    lymath::EulerToAxes(out, degrees, AxesOf(order), kOnes);
    lymath::SetNoTranslation(out);
}

/// Angles in `order` of the orthonormal rotation in the 3 x 3 part of m.
inline void Angles(double* degrees, const double* m, int order, double precision = 1.6e-9) {
    lymath::AxesToEuler(degrees, m, AxesOf(order), precision);
}

/// The length of axis (column) c.
inline double AxisLength(const double* m, int c) {
    return std::sqrt(m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] + m[4 * c + 2] * m[4 * c + 2]);
}

inline double Determinant3(const double* m) {
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

/// The scaling of a matrix: its axis lengths, all negated when it mirrors.
inline void Scaling(double* out3, const double* m) {
    const double sign = Determinant3(m) < 0.0 ? -1.0 : 1.0;
    for (int c = 0; c < 3; ++c) out3[c] = sign * AxisLength(m, c);
}

/// The inverse of an affine matrix; false (out untouched) when singular.
inline bool InvertAffine(double* out, const double* m) { return lymath::InvertAffine(out, m); }

/// p' = m . p for a point (w = 1).
inline void TransformPoint(double* out3, const double* m, const double* p) {
    const double x = p[0], y = p[1], z = p[2];
    for (int row = 0; row < 3; ++row) out3[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

/// v' = m . v for a direction (w = 0).
inline void TransformVector(double* out3, const double* m, const double* v) {
    const double x = v[0], y = v[1], z = v[2];
    for (int row = 0; row < 3; ++row) out3[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z;
}

inline double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void Cross(double* out, const double* a, const double* b) {
    const double x = a[1] * b[2] - a[2] * b[1];
    const double y = a[2] * b[0] - a[0] * b[2];
    const double z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

/// v / |v|; false (v untouched) for a zero or non-finite length.
inline bool Normalize(double* v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    for (int k = 0; k < 3; ++k) v[k] /= length;
    return true;
}

}  // namespace tm
}  // namespace velora

#endif  // VELORA_SCENE_TRANSFORM_MATH_H
