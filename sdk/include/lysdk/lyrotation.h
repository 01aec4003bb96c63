#ifndef LYSDK_LYROTATION_H
#define LYSDK_LYROTATION_H

// Euler rotations and whole transforms.
//
// A rotation is three angles in degrees in a LyVector3<double>, read in the
// order given by a LyRotationOrder: v[0] is always the angle of the rotation
// applied first. With Rx, Ry, Rz the rotations about the X, Y and Z axes
// (right-handed, acting on column vectors) and a, b, c = v[0], v[1], v[2]:
//
//   order  axes applied   matrix
//   0      X, Y, Z        Rz(c) . Ry(b) . Rx(a)
//   1      X, Z, Y        Ry(c) . Rz(b) . Rx(a)
//   2      Y, X, Z        Rz(c) . Rx(b) . Ry(a)
//   3      Y, Z, X        Rx(c) . Rz(b) . Ry(a)
//   4      Z, X, Y        Ry(c) . Rx(b) . Rz(a)
//   5      Z, Y, X        Rx(c) . Ry(b) . Rz(a)
//
// Functions that build matrices treat any other order value as 0.
//
// Gimbal lock: when the middle rotation is a quarter turn (its cosine is not
// above the extraction precision, 1.6e-9 unless given), the first and third
// axes coincide and only a combination of the first and third angles is
// defined. Extraction then returns the third angle as 0 and puts the whole
// remaining rotation in the first.
//
// Two extraction paths, side by side:
//   - LyMatrixToRotation: orthonormalises a copy of the axes (host geometry
//     routine) and reads the angles off it. The reference path, with the
//     default precision.
//   - LyMatrixToRotationWithPrecision: rebuilds the rotation part from the
//     matrix's quaternion and reads the angles off that, with the caller's
//     gimbal threshold. The two agree to rounding on any matrix whose axes
//     are orthogonal.

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyexport.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

/// The order in which the three Euler angles are applied (table above). The
/// values are fixed; the underlying type is int so that any value can be
/// passed and is dealt with as documented.
enum LyRotationOrder : int {
    kLyRotationOrderXYZ = 0,
    kLyRotationOrderXZY = 1,
    kLyRotationOrderYXZ = 2,
    kLyRotationOrderYZX = 3,
    kLyRotationOrderZXY = 4,
    kLyRotationOrderZYX = 5
};
LYSDK_ENUM_TEXTS(LyRotationOrder);

/// Degrees to radians and back.
constexpr double kLyDegreesToRadians = 0.017453292519943295;
constexpr double kLyRadiansToDegrees = 57.29577951308232;
/// The default gimbal threshold of Euler extraction: the largest cosine of
/// the middle angle that still counts as a quarter turn.
constexpr double kLyDefaultEulerPrecision = 1.6e-9;

/// The rotation matrix of `rot` for `order`, written to all 16 elements (no
/// translation).
LYSDK_API void LyRotationToMatrix(LyMatrix& r, const LyVector3<double>& rot,
                                  LyRotationOrder order = kLyRotationOrderXYZ) noexcept;
/// Euler angles of m's rotation for `order`, read off the orthonormalised
/// axes; gimbal threshold 1.6e-9. An order outside 0-5 is read as 0.
LYSDK_API void LyMatrixToRotation(LyVector3<double>& rot, const LyMatrix& m,
                                  LyRotationOrder order = kLyRotationOrderXYZ) noexcept;
/// Euler angles of m's rotation for `order`, read off the matrix of m's
/// quaternion; the third angle is 0 when the middle angle's cosine is not
/// above `precision`. An order outside 0-5 is read as 0.
LYSDK_API void LyMatrixToRotationWithPrecision(LyVector3<double>& rot, const LyMatrix& m, LyRotationOrder order,
                                               double precision) noexcept;

/// The quaternion of the rotation matrix of `rot` for `order` (sign as
/// LyMatrixToQuaternion). An order outside 0-5 gives the zero quaternion.
LYSDK_API void LyRotationToQuaternion(LyVector4<double>& q, const LyVector3<double>& rot,
                                      LyRotationOrder order = kLyRotationOrderXYZ) noexcept;
/// Euler angles of q's rotation matrix for `order`; gimbal threshold 1.6e-9.
LYSDK_API void LyQuaternionToRotation(LyVector3<double>& rot, const LyVector4<double>& q,
                                      LyRotationOrder order = kLyRotationOrderXYZ) noexcept;
/// As LyQuaternionToRotation with the caller's gimbal threshold.
LYSDK_API void LyQuaternionToRotationWithPrecision(LyVector3<double>& rot, const LyVector4<double>& q,
                                                   LyRotationOrder order, double precision) noexcept;

// --- Whole transforms: translation, rotation, scaling -----------------------
// Rotations here are order 0. The decompositions split a matrix M as
// T . R . S: the translation is elements 12-14, the scaling that of
// LyMatrixToScaling (axis lengths, all negated for a mirrored frame), and
// the rotation that of the axes divided by their signed scaling. Shear has
// no place in T . R . S: the rotation keeps the X axis's direction and the
// XY plane, as the orthonormalisation does, and shear is dropped.

/// Rotation of order 0 with its axes scaled by s, and t.xyz as translation.
LYSDK_API void LyTRSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector3<double>& rot,
                             const LySVector& s) noexcept;
/// Rotation of q with its axes scaled by s, and t.xyz as translation.
LYSDK_API void LyTQSToMatrix(LyMatrix& r, const LyVector4<double>& t, const LyVector4<double>& q,
                             const LySVector& s) noexcept;
/// Translation, order-0 rotation (gimbal threshold 1.6e-9) and scaling of m.
/// t.w is left as it is.
LYSDK_API void LyMatrixToTRS(LyVector4<double>& t, LyVector3<double>& rot, LySVector& s, const LyMatrix& m) noexcept;
/// Translation, quaternion and scaling of m. t.w is left as it is.
LYSDK_API void LyMatrixToTQS(LyVector4<double>& t, LyVector4<double>& q, LySVector& s, const LyMatrix& m) noexcept;

// --- Blending and continuity ------------------------------------------------

/// Blends two order-0 rotations: both to quaternions, LyInterpolateRotation
/// of the quaternions, back to order-0 angles.
LYSDK_API void LyInterpolateRotation(LyVector3<double>& r, const LyVector3<double>& rot1,
                                     const LyVector3<double>& rot2, double t) noexcept;

/// The order-0 rotation equal to `rot` whose angles are closest to `ref`, for
/// curves that must not jump by whole turns between keys:
///   1. each angle is moved by whole turns to within half a turn of its
///      reference;
///   2. so is the equivalent rotation (a + 180, 180 - b, c + 180), and of the
///      two the one nearer to ref (squared distance; ties to the second) is
///      kept;
///   3. at a middle angle of 90 or 270 degrees (within 1e-6) only a + c, or
///      a - c, is defined: the other combination is set to match ref.
LYSDK_API void LyGetContinuousRotation(LyVector3<double>& r, const LyVector3<double>& rot,
                                       const LyVector3<double>& ref) noexcept;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYROTATION_H
