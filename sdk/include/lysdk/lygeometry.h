#ifndef LYSDK_LYGEOMETRY_H
#define LYSDK_LYGEOMETRY_H

// Planes and mirror transforms, computed by the host application's geometry
// routines; the SDK's vectors and matrices are handed to them as they are.
//
// A plane is a LyVector4<double> (a, b, c, d) meaning a x + b y + c z + d = 0;
// (a, b, c) is its normal. The functions that make planes return them
// normalised (unit normal, d the signed offset). A plane with a zero normal
// is "no plane": mirroring through it changes nothing. Points are read as
// x, y, z; w is neither read nor written.
//
// Mirroring a rotation keeps it a rotation: the mirror image of a frame is
// H M H, with H the reflection through the plane, which turns about the
// mirrored axis by the opposite angle. Through the YZ plane (normal X) an
// order-0 rotation (a, b, c) becomes (a, -b, -c), the usual left/right mirror
// of a pose.
//
// Every function allows its result to be the same object as an operand.

#include "lysdk/lyexport.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

/// The plane half-way between p1 and p2, normal from p1 towards p2: the plane
/// that mirrors p1 onto p2. The zero plane when the points are equal.
LYSDK_API void GetPlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p1,
                                const LyVector4<double>& p2) noexcept;
/// The plane through p whose normal is m's X axis: the YZ plane of the frame
/// m, moved to p. The zero plane when m's X axis is zero.
LYSDK_API void GetPlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p, const LyMatrix& m) noexcept;
/// eq = the plane p scaled to a unit normal; the zero plane for a zero normal.
LYSDK_API void NormalizePlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p) noexcept;
/// The rotation turning the X axis onto the plane's normal along the
/// shortest arc (all 16 elements; no translation, the offset d is not used).
/// GetPlaneEquation(eq, p, m) with this m and a point p of the plane gives
/// the normalised plane back.
LYSDK_API void GetPlaneRotation(LyMatrix& m, const LyVector4<double>& eq) noexcept;

/// The mirror image of the whole transform m through the plane eq, split
/// into translation t (t.w left as it is), order-0 rotation r and scaling s
/// as LyMatrixToTRS splits a matrix.
LYSDK_API void MirrorTransform(LyVector4<double>& t, LyVector3<double>& r, LySVector& s, const LyMatrix& m,
                               const LyVector4<double>& eq) noexcept;
/// The mirror image of m's axes (rotation, and scaling with it) through the
/// plane's normal: r's 3 x 3 = H M H, no translation, fourth row (0, 0, 0, 1).
LYSDK_API void MirrorTransformR(LyMatrix& r, const LyMatrix& m, const LyVector4<double>& eq) noexcept;
/// t.xyz = the mirror image of the point p through the plane; t.w is left as
/// it is.
LYSDK_API void MirrorTransformT(LyVector4<double>& t, const LyVector4<double>& p, const LyVector4<double>& eq) noexcept;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYGEOMETRY_H
