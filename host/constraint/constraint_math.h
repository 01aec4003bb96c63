#ifndef VELORA_CONSTRAINT_MATH_H
#define VELORA_CONSTRAINT_MATH_H

// Internal: the transform arithmetic of the constraints. Matrices are 16
// doubles, column-major for column vectors (translation at 12 to 14);
// quaternions are (x, y, z, w); Euler angles are degrees applied X, then Y,
// then Z (R = Rz Ry Rx), as the models' "Lcl Rotation".

#include <cmath>
#include <cstring>

namespace velora {
namespace cmath {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

inline void Identity(double* m) {
    std::memset(m, 0, 16 * sizeof(double));
    m[0] = m[5] = m[10] = m[15] = 1.0;
}

/// r = a * b over the affine part (the fourth row is (0, 0, 0, 1)); r may
/// be a or b.
inline void Mult(double* r, const double* a, const double* b) {
    double t[16];
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 3; ++i)
            t[4 * c + i] = a[i] * b[4 * c] + a[4 + i] * b[4 * c + 1] + a[8 + i] * b[4 * c + 2] +
                           (c == 3 ? a[12 + i] : 0.0);
    t[3] = t[7] = t[11] = 0.0;
    t[15] = 1.0;
    std::memcpy(r, t, sizeof t);
}

/// The inverse of an affine matrix; false (r untouched) when singular.
inline bool Inverse(double* r, const double* m) {
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], k = m[10];
    const double A = e * k - f * h, B = -(d * k - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double s = 1.0 / det;
    double t[16];
    t[0] = A * s;
    t[1] = B * s;
    t[2] = C * s;
    t[4] = -(b * k - c * h) * s;
    t[5] = (a * k - c * g) * s;
    t[6] = -(a * h - b * g) * s;
    t[8] = (b * f - c * e) * s;
    t[9] = -(a * f - c * d) * s;
    t[10] = (a * e - b * d) * s;
    for (int i = 0; i < 3; ++i) t[12 + i] = -(t[i] * m[12] + t[4 + i] * m[13] + t[8 + i] * m[14]);
    t[3] = t[7] = t[11] = 0.0;
    t[15] = 1.0;
    std::memcpy(r, t, sizeof t);
    return true;
}

/// The rotation matrix of Euler angles (degrees), no translation.
inline void EulerToMatrix(double* m, const double* r) {
    const double cx = std::cos(r[0] * kDegToRad), sx = std::sin(r[0] * kDegToRad);
    const double cy = std::cos(r[1] * kDegToRad), sy = std::sin(r[1] * kDegToRad);
    const double cz = std::cos(r[2] * kDegToRad), sz = std::sin(r[2] * kDegToRad);
    m[0] = cz * cy;
    m[1] = sz * cy;
    m[2] = -sy;
    m[4] = cz * sy * sx - sz * cx;
    m[5] = sz * sy * sx + cz * cx;
    m[6] = cy * sx;
    m[8] = cz * sy * cx + sz * sx;
    m[9] = sz * sy * cx - cz * sx;
    m[10] = cy * cx;
    m[3] = m[7] = m[11] = m[12] = m[13] = m[14] = 0.0;
    m[15] = 1.0;
}

/// Euler angles (degrees) of a pure rotation matrix.
inline void MatrixToEuler(double* r, const double* m) {
    const double cy = std::sqrt(m[0] * m[0] + m[1] * m[1]);
    if (cy > 1.6e-9) {
        r[0] = std::atan2(m[6], m[10]);
        r[1] = std::atan2(-m[2], cy);
        r[2] = std::atan2(m[1], m[0]);
    } else {
        r[0] = std::atan2(-m[9], m[5]);
        r[1] = std::atan2(-m[2], cy);
        r[2] = 0.0;
    }
    for (int i = 0; i < 3; ++i) r[i] *= kRadToDeg;
}

inline double Length(const double* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
inline void Cross(double* r, const double* a, const double* b) {
    const double x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2], z = a[0] * b[1] - a[1] * b[0];
    r[0] = x;
    r[1] = y;
    r[2] = z;
}
inline bool Normalize(double* v) {
    const double l = Length(v);
    if (l == 0.0 || !std::isfinite(l)) return false;
    v[0] /= l;
    v[1] /= l;
    v[2] /= l;
    return true;
}

/// Translation, rotation (a pure rotation matrix) and scaling of `m`; a
/// negative determinant is carried by the scaling.
inline void Decompose(const double* m, double* t, double* rot, double* s) {
    for (int i = 0; i < 3; ++i) t[i] = m[12 + i];
    Identity(rot);
    for (int c = 0; c < 3; ++c) {
        s[c] = Length(m + 4 * c);
        for (int i = 0; i < 3; ++i) rot[4 * c + i] = s[c] != 0.0 ? m[4 * c + i] / s[c] : (c == i ? 1.0 : 0.0);
    }
    double z[3];
    Cross(z, rot, rot + 4);
    if (z[0] * rot[8] + z[1] * rot[9] + z[2] * rot[10] < 0.0) {
        for (int i = 0; i < 3; ++i) rot[8 + i] = -rot[8 + i];
        s[2] = -s[2];
    }
}

/// Translation, rotation matrix and scaling back to one matrix.
inline void Compose(double* m, const double* t, const double* rot, const double* s) {
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 3; ++i) m[4 * c + i] = rot[4 * c + i] * s[c];
    m[3] = m[7] = m[11] = 0.0;
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
    m[15] = 1.0;
}

inline void MatrixToQuaternion(double* q, const double* m) {
    const double trace = m[0] + m[5] + m[10];
    if (trace > 0.0) {
        const double r = std::sqrt(trace + 1.0), f = 0.5 / r;
        q[3] = 0.5 * r;
        q[0] = (m[6] - m[9]) * f;
        q[1] = (m[8] - m[2]) * f;
        q[2] = (m[1] - m[4]) * f;
        return;
    }
    int i = 0;
    if (m[5] > m[0]) i = 1;
    if (m[10] > m[5 * i]) i = 2;
    const int j = (i + 1) % 3, k = (j + 1) % 3;
    const double r = std::sqrt(m[5 * i] - m[5 * j] - m[5 * k] + 1.0);
    const double f = r != 0.0 ? 0.5 / r : 0.0;
    q[i] = 0.5 * r;
    q[3] = (m[4 * j + k] - m[4 * k + j]) * f;
    q[j] = (m[4 * i + j] + m[4 * j + i]) * f;
    q[k] = (m[4 * i + k] + m[4 * k + i]) * f;
}

inline void QuaternionToMatrix(double* m, const double* q) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double n = x * x + y * y + z * z + w * w, s = n > 0.0 ? 2.0 / n : 0.0;
    Identity(m);
    m[0] = 1 - s * (y * y + z * z);
    m[1] = s * (x * y + w * z);
    m[2] = s * (x * z - w * y);
    m[4] = s * (x * y - w * z);
    m[5] = 1 - s * (x * x + z * z);
    m[6] = s * (y * z + w * x);
    m[8] = s * (x * z + w * y);
    m[9] = s * (y * z - w * x);
    m[10] = 1 - s * (x * x + y * y);
}

/// Spherical interpolation along the shorter arc.
inline void Slerp(double* r, const double* a, const double* b, double t) {
    double c = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    double sign = 1.0;
    if (c < 0.0) {
        c = -c;
        sign = -1.0;
    }
    double wa = 1.0 - t, wb = t;
    if (c < 0.9995) {
        const double angle = std::acos(c), s = std::sin(angle);
        wa = std::sin((1.0 - t) * angle) / s;
        wb = std::sin(t * angle) / s;
    }
    for (int i = 0; i < 4; ++i) r[i] = wa * a[i] + sign * wb * b[i];
    const double n = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3]);
    if (n > 0.0)
        for (int i = 0; i < 4; ++i) r[i] /= n;
}

/// `from`'s transform moved `weight` (0 to 1) of the way to `to`:
/// translations and scalings linearly, rotations along the shorter arc.
inline void Blend(double* r, const double* from, const double* to, double weight) {
    double t0[3], t1[3], r0[16], r1[16], s0[3], s1[3], q0[4], q1[4], q[4], rot[16], t[3], s[3];
    Decompose(from, t0, r0, s0);
    Decompose(to, t1, r1, s1);
    MatrixToQuaternion(q0, r0);
    MatrixToQuaternion(q1, r1);
    Slerp(q, q0, q1, weight);
    QuaternionToMatrix(rot, q);
    for (int i = 0; i < 3; ++i) {
        t[i] = t0[i] + (t1[i] - t0[i]) * weight;
        s[i] = s0[i] + (s1[i] - s0[i]) * weight;
    }
    Compose(r, t, rot, s);
}

/// The rotation that turns the local frame (aim, up) into the world frame
/// (direction, worldUp): the aim axis points along `direction`, the up axis
/// as close to `worldUp` as it can. False when a frame is degenerate.
inline bool AimRotation(double* m, const double* aim, const double* up, const double* direction,
                        const double* worldUp) {
    double xa[3] = {aim[0], aim[1], aim[2]}, za[3], ya[3];
    double xw[3] = {direction[0], direction[1], direction[2]}, zw[3], yw[3];
    if (!Normalize(xa) || !Normalize(xw)) return false;
    Cross(za, xa, up);
    if (!Normalize(za)) return false;
    Cross(ya, za, xa);
    Cross(zw, xw, worldUp);
    if (!Normalize(zw)) {
        // The up vector lies along the direction: any perpendicular will do.
        const double other[3] = {std::fabs(xw[0]) < 0.9 ? 1.0 : 0.0, std::fabs(xw[0]) < 0.9 ? 0.0 : 1.0, 0.0};
        Cross(zw, xw, other);
        Normalize(zw);
    }
    Cross(yw, zw, xw);
    // m = W * A^T with W = [xw yw zw] and A = [xa ya za].
    Identity(m);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 3; ++i) m[4 * c + i] = xw[i] * xa[c] + yw[i] * ya[c] + zw[i] * za[c];
    return true;
}

}  // namespace cmath
}  // namespace velora

#endif  // VELORA_CONSTRAINT_MATH_H
