#include "lysdk/lyrotation.h"

#include <cmath>

#include <lymath/euler.h>
#include <lymath/matrix.h>
#include <lymath/orthonormal.h>
#include <lymath/quaternion.h>

#include "lysdk/lyquaternion.h"

LYSDK_BEGIN_NAMESPACE

namespace {

using lymath::At;

const lymath::EulerAxes& AxesOf(LyRotationOrder order) {
    return lymath::EulerAxesOf(static_cast<int>(order));
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
    lymath::EulerToAxes(r.mValue, angles, AxesOf(order), kUnitScale);
    lymath::SetNoTranslation(r.mValue);
}

void LyMatrixToRotation(LyVector3<double>& rot, const LyMatrix& m, LyRotationOrder order) noexcept {
    double frame[16];
    for (int i = 0; i < 16; ++i) frame[i] = m.mValue[i];
    lymath::Orthonormalize(frame);
    double angles[3];
    lymath::AxesToEuler(angles, frame, AxesOf(order), kLyDefaultEulerPrecision);
    rot.Set(angles[0], angles[1], angles[2]);
}

void LyMatrixToRotationWithPrecision(LyVector3<double>& rot, const LyMatrix& m, LyRotationOrder order,
                                     double precision) noexcept {
    double q[4];
    lymath::AxesToQuaternion(q, m.mValue);
    double frame[16];
    lymath::QuaternionToAxes(frame, q[0], q[1], q[2], q[3]);
    double angles[3];
    lymath::AxesToEuler(angles, frame, AxesOf(order), precision);
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
    lymath::EulerToAxes(frame, angles, lymath::kEulerAxes[o], kUnitScale);
    double out[4];
    lymath::AxesToQuaternion(out, frame);
    q.Set(out[0], out[1], out[2], out[3]);
}

void LyQuaternionToRotation(LyVector3<double>& rot, const LyVector4<double>& q, LyRotationOrder order) noexcept {
    LyQuaternionToRotationWithPrecision(rot, q, order, kLyDefaultEulerPrecision);
}

void LyQuaternionToRotationWithPrecision(LyVector3<double>& rot, const LyVector4<double>& q, LyRotationOrder order,
                                         double precision) noexcept {
    double frame[16];
    lymath::QuaternionToAxes(frame, q[0], q[1], q[2], q[3]);
    double angles[3];
    lymath::AxesToEuler(angles, frame, AxesOf(order), precision);
    rot.Set(angles[0], angles[1], angles[2]);
}

// --- Whole transforms -----------------------------------------------------------

void LyTRSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector3<double>& rot,
                   const LySVector& s) noexcept {
    const double translation[3] = {t[0], t[1], t[2]};
    const double angles[3] = {rot[0], rot[1], rot[2]};
    const double scale[3] = {s[0], s[1], s[2]};
    lymath::ComposeTRS(r.mValue, translation, angles, scale);
}

void LyTQSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector4<double>& q, const LySVector& s) noexcept {
    const double qx = q[0], qy = q[1], qz = q[2], qw = q[3];
    const double sx = s[0], sy = s[1], sz = s[2];
    const double tx = t[0], ty = t[1], tz = t[2];
    lymath::QuaternionToAxes(r.mValue, qx, qy, qz, qw, sx, sy, sz);
    lymath::SetNoTranslation(r.mValue);
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
    lymath::AxesToQuaternion(out, axes.mValue);
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
