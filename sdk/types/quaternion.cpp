#include "lysdk/lyquaternion.h"

#include <cmath>

#include <lymath/matrix.h>
#include <lymath/quaternion.h>

LYSDK_BEGIN_NAMESPACE

// Every function reads all of its operands before writing, so r may be an
// operand.

void LyQAdd(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double x = a[0] + b[0], y = a[1] + b[1], z = a[2] + b[2], w = a[3] + b[3];
    r.Set(x, y, z, w);
}

void LyQSub(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double x = a[0] + -1.0 * b[0], y = a[1] + -1.0 * b[1], z = a[2] + -1.0 * b[2], w = a[3] + -1.0 * b[3];
    r.Set(x, y, z, w);
}

void LyQMult(LyVector4<double>& r, const LyVector4<double>& a, double s) noexcept {
    r.Set(a[0] * s, a[1] * s, a[2] * s, a[3] * s);
}

void LyQMult(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double ax = a[0], ay = a[1], az = a[2], aw = a[3];
    const double bx = b[0], by = b[1], bz = b[2], bw = b[3];
    const double x = aw * bx + ax * bw + ay * bz - az * by;
    const double y = aw * by - ax * bz + ay * bw + az * bx;
    const double z = aw * bz + ax * by - ay * bx + az * bw;
    const double w = aw * bw - ax * bx - ay * by - az * bz;
    r.Set(x, y, z, w);
}

double LyQDot(const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    return ((a[1] * b[1] + a[0] * b[0]) + a[2] * b[2]) + a[3] * b[3];
}

double LyQLength(const LyVector4<double>& a) noexcept {
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2] + a[3] * a[3]);
}

void LyMatrixToQuaternion(LyVector4<double>& q, const LyMatrix& m) noexcept {
    double out[4];
    lymath::AxesToQuaternion(out, m.mValue);
    q.Set(out[0], out[1], out[2], out[3]);
}

void LyQuaternionToMatrix(LyMatrix& r, const LyVector4<double>& q) noexcept {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    lymath::QuaternionToAxes(r.mValue, x, y, z, w);
    lymath::SetNoTranslation(r.mValue);
}

void LyInterpolateRotation(LyVector4<double>& r, const LyVector4<double>& q1, const LyVector4<double>& q2,
                           double t) noexcept {
    const double sign = LyQDot(q1, q2) < 0.0 ? -1.0 : 1.0;
    const double u = 1.0 - t;
    const double x = q1[0] * u + (q2[0] * sign) * t;
    const double y = q1[1] * u + (q2[1] * sign) * t;
    const double z = q1[2] * u + (q2[2] * sign) * t;
    const double w = q1[3] * u + (q2[3] * sign) * t;
    r.Set(x, y, z, w);
}

LYSDK_END_NAMESPACE
