#ifndef VELORA_GEOMETRY_H
#define VELORA_GEOMETRY_H

// The host's geometry routines: frame orthogonalisation, planes and mirror
// transforms.
//
// Everything works on plain arrays of doubles so that any caller whose types
// are laid out as consecutive components can pass them directly:
//   - a matrix is 16 doubles, column-major for column vectors: element
//     (row i, column c) is at index 4c + i, the translation at 12, 13, 14;
//     its "axes" are the first three columns;
//   - a point or vector is read as x, y, z (a fourth component, if the
//     caller has one, is never read and never written);
//   - a plane is four doubles (a, b, c, d) meaning a x + b y + c z + d = 0.
//     (a, b, c) is the normal; planes need not be normalised unless stated.
//     A plane with a zero normal is "no plane": mirroring through it leaves
//     everything unchanged.
//
// Every routine reads all of its inputs before writing its outputs, so an
// output may be the same array as an input. None allocates; none takes a
// null pointer (callers check).

#include "velora/export.h"

namespace velora {
namespace geometry {

/// Orthogonalises the three axes of `m` in place by Gram-Schmidt from the X
/// axis: X keeps its direction, Y is turned within the XY plane until it is
/// perpendicular to X, and Z is made perpendicular to both on the side the
/// original Z was on (so a mirrored frame stays mirrored). Every axis keeps
/// its original length; a zero axis stays zero. Translation and the fourth
/// row are untouched.
VELORA_API void Orthogonalize(double* m) noexcept;

/// Replaces the axes of `m` by the right-handed orthonormal frame that they
/// span: X' = X / |X|, Z' = (X x Y) / |X x Y|, Y' = Z' x X'. The result is a
/// rotation whatever the scale, shear or handedness of the input; a zero
/// vector normalises to zero, so a degenerate frame gives zero axes.
/// Translation and the fourth row are untouched.
VELORA_API void Orthonormalize(double* m) noexcept;

/// The plane half-way between `p1` and `p2`, its normal the unit vector from
/// p1 towards p2: the plane whose mirror image of p1 is p2. Two equal points
/// give the zero plane.
VELORA_API void PlaneBetweenPoints(double* plane, const double* p1, const double* p2) noexcept;

/// The plane through point `p` whose normal is the first axis of matrix `m`,
/// normalised: the image of the YZ plane of the frame `m` moved to `p`. A
/// zero first axis gives the zero plane.
VELORA_API void PlaneThroughPoint(double* plane, const double* p, const double* m) noexcept;

/// `plane` scaled so that its normal has unit length; the zero plane for a
/// zero normal.
VELORA_API void NormalizePlane(double* out, const double* plane) noexcept;

/// The rotation that turns the X axis onto the unit normal of `plane` along
/// the shortest arc, written to all 16 elements of `m` (no translation; the
/// plane's offset is not used). A normal opposite to X gives the half turn
/// about Z; a zero normal gives the identity.
VELORA_API void PlaneRotation(double* m, const double* plane) noexcept;

/// `out` = the mirror image of point `p` through `plane`.
VELORA_API void MirrorPoint(double* out, const double* p, const double* plane) noexcept;

/// The mirror image of the 3 x 3 part of `m`: H M H with H the reflection
/// through the plane's normal. The result keeps the handedness of the input
/// (a rotation stays a rotation: about the mirrored axis, by the opposite
/// angle). Written to all 16 elements of `out` with a zero translation and a
/// fourth row of (0, 0, 0, 1).
VELORA_API void MirrorLinear(double* out, const double* m, const double* plane) noexcept;

/// The mirror image of the whole transform `m`: axes as MirrorLinear, the
/// translation mirrored as a point; fourth row (0, 0, 0, 1).
VELORA_API void MirrorMatrix(double* out, const double* m, const double* plane) noexcept;

}  // namespace geometry
}  // namespace velora

#endif  // VELORA_GEOMETRY_H
