#include "lysdk/lyrotation.h"

#include <cmath>

#include <velora/geometry.h>

#include "lysdk/lyquaternion.h"
#include "types/transform_kernels.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// The six orders as axes in order of application: first i, second j,
// third k (0 = X, 1 = Y, 2 = Z), so that the matrix is Rk(c) . Rj(b) . Ri(a).
//
// When (i, j, k) is a cyclic shift of (X, Y, Z) relabelling the axes is
// itself a rotation, and the matrix is that of order 0 with the indices
// renamed. The other three are mirror images of such a relabelling, which
// turns every angle round: their matrix is the order-0 matrix of the negated
// angles, renamed. `sign` carries that parity.
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

const EulerAxes& AxesOf(LyRotationOrder order) {
    const int o = static_cast<int>(order);
    return kEulerAxes[(o >= 0 && o < 6) ? o : 0];
}

inline int At(int row, int column) { return 4 * column + row; }

// Writes the 3 x 3 rotation of `rot` (degrees) for `axes` into m, axis c
// scaled by scale[c]. Order 0 in full, for reference:
//   [ cc cb   cc sb sa - sc ca   cc sb ca + sc sa ]
//   [ sc cb   sc sb sa + cc ca   sc sb ca - cc sa ]
//   [ -sb     cb sa              cb ca            ]
void EulerToAxes(double* m, const double* rot, const EulerAxes& ax, const double* scale) {
    const double a = rot[0] * kLyDegreesToRadians * ax.sign;
    const double b = rot[1] * kLyDegreesToRadians * ax.sign;
    const double c = rot[2] * kLyDegreesToRadians * ax.sign;
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

// Reads the angles (degrees) off an orthonormal rotation in the 3 x 3 part
// of m: the inverse of EulerToAxes.
//   cy = cos b = sqrt(M[i][i]^2 + M[j][i]^2)
//   cy > precision:  a = s atan2(M[k][j], M[k][k]),  b = s atan2(-M[k][i], cy),
//                    c = s atan2(M[j][i], M[i][i])
//   otherwise:       a = s atan2(-M[j][k], M[j][j]), b as above, c = 0
// In the second case Rk is (nearly) aligned with Ri, so c is folded into a:
// with c = 0 the matrix is Rj(b) . Ri(a), whose row j is that of Ri(a).
void AxesToEuler(double* rot, const double* m, const EulerAxes& ax, double precision) {
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
    rot[0] = a * kLyRadiansToDegrees;
    rot[1] = b * kLyRadiansToDegrees;
    rot[2] = c * kLyRadiansToDegrees;
}

constexpr double kUnitScale[3] = {1.0, 1.0, 1.0};

// The matrix's axes divided by their signed scaling (see LyMatrixToScaling),
// which leaves a rotation for any T . R . S matrix, mirrored ones included.
// A zero scaling leaves its axis as it is (zero).
void UnscaledAxes(double* out, const LyMatrix& m, const LySVector& s) {
    for (int c = 0; c < 3; ++c) {
        const double inv = s[c] != 0.0 ? 1.0 / s[c] : 1.0;
        for (int row = 0; row < 3; ++row) out[At(row, c)] = m.mValue[At(row, c)] * inv;
    }
}

}  // namespace

void LyRotationToMatrix(LyMatrix& r, const LyVector3<double>& rot, LyRotationOrder order) noexcept {
    const double angles[3] = {rot[0], rot[1], rot[2]};
    EulerToAxes(r.mValue, angles, AxesOf(order), kUnitScale);
    transform::SetNoTranslation(r.mValue);
}

void LyMatrixToRotation(LyVector3<double>& rot, const LyMatrix& m, LyRotationOrder order) noexcept {
    double frame[16];
    for (int i = 0; i < 16; ++i) frame[i] = m.mValue[i];
    velora::geometry::Orthonormalize(frame);
    double angles[3];
    AxesToEuler(angles, frame, AxesOf(order), kLyDefaultEulerPrecision);
    rot.Set(angles[0], angles[1], angles[2]);
}

void LyMatrixToRotationWithPrecision(LyVector3<double>& rot, const LyMatrix& m, LyRotationOrder order,
                                     double precision) noexcept {
    double q[4];
    transform::AxesToQuaternion(q, m.mValue);
    double frame[16];
    transform::QuaternionToAxes(frame, q[0], q[1], q[2], q[3]);
    double angles[3];
    AxesToEuler(angles, frame, AxesOf(order), precision);
    rot.Set(angles[0], angles[1], angles[2]);
}

void LyRotationToQuaternion(LyVector4<double>& q, const LyVector3<double>& rot, LyRotationOrder order) noexcept {
    const int o = static_cast<int>(order);
    if (o < 0 || o > 5) {
        q.Init();
        return;
    }
    const double angles[3] = {rot[0], rot[1], rot[2]};
    double frame[16];
    EulerToAxes(frame, angles, kEulerAxes[o], kUnitScale);
    double out[4];
    transform::AxesToQuaternion(out, frame);
    q.Set(out[0], out[1], out[2], out[3]);
}

void LyQuaternionToRotation(LyVector3<double>& rot, const LyVector4<double>& q, LyRotationOrder order) noexcept {
    LyQuaternionToRotationWithPrecision(rot, q, order, kLyDefaultEulerPrecision);
}

void LyQuaternionToRotationWithPrecision(LyVector3<double>& rot, const LyVector4<double>& q, LyRotationOrder order,
                                         double precision) noexcept {
    double frame[16];
    transform::QuaternionToAxes(frame, q[0], q[1], q[2], q[3]);
    double angles[3];
    AxesToEuler(angles, frame, AxesOf(order), precision);
    rot.Set(angles[0], angles[1], angles[2]);
}

// --- Whole transforms -----------------------------------------------------------

void LyTRSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector3<double>& rot,
                   const LySVector& s) noexcept {
    const double angles[3] = {rot[0], rot[1], rot[2]};
    const double scale[3] = {s[0], s[1], s[2]};
    const double tx = t[0], ty = t[1], tz = t[2];
    EulerToAxes(r.mValue, angles, kEulerAxes[0], scale);
    transform::SetNoTranslation(r.mValue);
    r.mValue[12] = tx;
    r.mValue[13] = ty;
    r.mValue[14] = tz;
}

void LyTQSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector4<double>& q, const LySVector& s) noexcept {
    const double qx = q[0], qy = q[1], qz = q[2], qw = q[3];
    const double sx = s[0], sy = s[1], sz = s[2];
    const double tx = t[0], ty = t[1], tz = t[2];
    transform::QuaternionToAxes(r.mValue, qx, qy, qz, qw, sx, sy, sz);
    transform::SetNoTranslation(r.mValue);
    r.mValue[12] = tx;
    r.mValue[13] = ty;
    r.mValue[14] = tz;
}

void LyMatrixToTRS(LyVector4<double>& t, LyVector3<double>& rot, LySVector& s, const LyMatrix& m) noexcept {
    LySVector scale;
    LyMatrixToScaling(scale, m);
    LyMatrix axes;
    UnscaledAxes(axes.mValue, m, scale);
    LyVector3<double> angles;
    LyMatrixToRotation(angles, axes, kLyRotationOrderXYZ);
    const double tx = m.mValue[12], ty = m.mValue[13], tz = m.mValue[14];
    t[0] = tx;
    t[1] = ty;
    t[2] = tz;
    rot = angles;
    s = scale;
}

void LyMatrixToTQS(LyVector4<double>& t, LyVector4<double>& q, LySVector& s, const LyMatrix& m) noexcept {
    LySVector scale;
    LyMatrixToScaling(scale, m);
    LyMatrix axes;
    UnscaledAxes(axes.mValue, m, scale);
    double out[4];
    transform::AxesToQuaternion(out, axes.mValue);
    const double tx = m.mValue[12], ty = m.mValue[13], tz = m.mValue[14];
    t[0] = tx;
    t[1] = ty;
    t[2] = tz;
    q.Set(out[0], out[1], out[2], out[3]);
    s = scale;
}

// --- Blending and continuity -------------------------------------------------------

void LyInterpolateRotation(LyVector3<double>& r, const LyVector3<double>& rot1, const LyVector3<double>& rot2,
                           double t) noexcept {
    LyVector4<double> q1, q2, q;
    LyRotationToQuaternion(q1, rot1, kLyRotationOrderXYZ);
    LyRotationToQuaternion(q2, rot2, kLyRotationOrderXYZ);
    LyInterpolateRotation(q, q1, q2, t);
    LyQuaternionToRotation(r, q, kLyRotationOrderXYZ);
}

namespace {

// v moved by whole turns to within half a turn of ref. q = (ref - v) / 360
// is split into integer and fractional parts of q's sign; the fraction
// rounds away from zero only beyond one half.
double NearestTurn(double v, double ref) {
    const double q = (ref - v) / 360.0;
    double whole;
    const double frac = std::modf(q, &whole);
    double n = whole;
    if (frac > 0.5)
        n = whole + 1.0;
    else if (frac < -0.5)
        n = whole - 1.0;
    return v + 360.0 * n;
}

double SquaredDistance(const double* a, const double* b) {
    const double d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

}  // namespace

void LyGetContinuousRotation(LyVector3<double>& r, const LyVector3<double>& rot, const LyVector3<double>& ref) noexcept {
    const double ref3[3] = {ref[0], ref[1], ref[2]};
    const double a[3] = {NearestTurn(rot[0], ref3[0]), NearestTurn(rot[1], ref3[1]), NearestTurn(rot[2], ref3[2])};
    // (a + 180, 180 - b, c + 180) is the same order-0 rotation as (a, b, c).
    const double b[3] = {NearestTurn(rot[0] + 180.0, ref3[0]), NearestTurn(180.0 - rot[1], ref3[1]),
                         NearestTurn(rot[2] + 180.0, ref3[2])};
    double out[3];
    const double* pick = SquaredDistance(ref3, b) > SquaredDistance(ref3, a) ? a : b;
    out[0] = pick[0];
    out[1] = pick[1];
    out[2] = pick[2];

    // At b = 90 the rotation depends only on a - c, at b = 270 only on a + c:
    // the free combination is set to follow ref.
    const double middle = std::fmod(std::fmod(out[1], 360.0) + 360.0, 360.0);
    if (std::fabs(middle - 90.0) <= 1e-6) {
        const double d = ((ref3[2] - out[2]) + (ref3[0] - out[0])) / 2.0;
        out[0] += d;
        out[2] += d;
    } else if (std::fabs(middle - 270.0) <= 1e-6) {
        const double d = ((ref3[0] - out[0]) - (ref3[2] - out[2])) / 2.0;
        out[0] += d;
        out[2] -= d;
    }
    r.Set(out[0], out[1], out[2]);
}

LYSDK_END_NAMESPACE
