#ifndef LYSDK_LYQUATERNION_H
#define LYSDK_LYQUATERNION_H

// Quaternions: held in a LyVector4<double> as (x, y, z, w), the scalar part
// last. A rotation by angle t about the unit axis u is
// (u sin(t/2), cos(t/2)); q and -q are the same rotation.
//
// Quaternions need not be unit length where they are turned into matrices:
// the conversion divides by the squared norm, so any non-zero multiple of a
// rotation's quaternion gives that rotation, and the zero quaternion gives
// the identity. That is what lets LyInterpolateRotation skip the normalising.
//
// Every function writes all four components and allows the result to be the
// same object as an operand.

#include "lysdk/lyexport.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

/// r = a + b.
LYSDK_API void LyQAdd(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// r = a + (-1 . b).
LYSDK_API void LyQSub(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// r = a * s.
LYSDK_API void LyQMult(LyVector4<double>& r, const LyVector4<double>& a, double s) noexcept;
/// The Hamilton product a (x) b: the rotation b followed by the rotation a.
LYSDK_API void LyQMult(LyVector4<double>& r, const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// ((a.y b.y + a.x b.x) + a.z b.z) + a.w b.w.
LYSDK_API double LyQDot(const LyVector4<double>& a, const LyVector4<double>& b) noexcept;
/// The norm sqrt(x^2 + y^2 + z^2 + w^2).
LYSDK_API double LyQLength(const LyVector4<double>& a) noexcept;

/// The quaternion of m's rotation part. The axes are first made into a
/// right-handed orthonormal frame (X normalised; Z = X x Y normalised;
/// Y = Z x X), so scale and shear are ignored, and a mirrored frame is read
/// as the rotation of that frame. Axes already within 1e-6 of unit length
/// (rotation matrices) are normalised by a series that is exact to double
/// rounding, the others by a square root. Sign: w > 0 when the trace of the frame is
/// positive; otherwise the component along the axis with the largest
/// diagonal element is positive.
LYSDK_API void LyMatrixToQuaternion(LyVector4<double>& q, const LyMatrix& m) noexcept;
/// The rotation matrix of q, written to all 16 elements (no translation).
LYSDK_API void LyQuaternionToMatrix(LyMatrix& r, const LyVector4<double>& q) noexcept;

/// The normalised-linear blend of two rotations: q2 is first negated when
/// LyQDot(q1, q2) < 0 (so the blend takes the short way), then
/// r = q1 (1 - t) + q2 t. The result is not normalised; every function that
/// turns it into a matrix or angles does not need it to be.
LYSDK_API void LyInterpolateRotation(LyVector4<double>& r, const LyVector4<double>& q1, const LyVector4<double>& q2,
                                     double t) noexcept;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYQUATERNION_H
