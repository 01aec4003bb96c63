#include "lysdk/lyvector.h"

#include <cmath>

LYSDK_BEGIN_NAMESPACE

// Each function reads its operands into locals before writing, so the
// result may be an operand.

void LyAdd(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double x = a[0] + b[0], y = a[1] + b[1], z = a[2] + b[2];
    r[0] = x;
    r[1] = y;
    r[2] = z;
}

void LySub(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
    r[0] = x;
    r[1] = y;
    r[2] = z;
}

void LyMult(LyVector4<double>& r, const LyVector4<double>& a, double s) noexcept {
    const double x = a[0] * s, y = a[1] * s, z = a[2] * s;
    r[0] = x;
    r[1] = y;
    r[2] = z;
}

void LyMult(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    const double x = a[1] * b[2] - b[1] * a[2];
    const double y = a[2] * b[0] - b[2] * a[0];
    const double z = b[1] * a[0] - a[1] * b[0];
    r[0] = x;
    r[1] = y;
    r[2] = z;
}

double LyDot(const LyVector4<double>& a, const LyVector4<double>& b) noexcept {
    return (a[1] * b[1] + a[0] * b[0]) + a[2] * b[2];
}

double LyLength(const LyVector4<double>& a) noexcept {
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

float LyLength(const LyVector4<float>& a) noexcept {
    return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

LYSDK_END_NAMESPACE
