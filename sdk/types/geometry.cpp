#include "lysdk/lygeometry.h"

#include <velora/geometry.h>

#include "lysdk/lyrotation.h"

LYSDK_BEGIN_NAMESPACE

// The vectors and the matrix are consecutive doubles, the layout the host's
// geometry routines take, so they are passed as they are. The routines read
// every input before writing, so results may alias operands, and write
// only x, y, z of points, so the caller's w is never touched.

void GetPlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p1, const LyVector4<double>& p2) noexcept {
    velora::geometry::PlaneBetweenPoints(eq.mValue, p1.mValue, p2.mValue);
}

void GetPlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p, const LyMatrix& m) noexcept {
    velora::geometry::PlaneThroughPoint(eq.mValue, p.mValue, m.mValue);
}

void NormalizePlaneEquation(LyVector4<double>& eq, const LyVector4<double>& p) noexcept {
    velora::geometry::NormalizePlane(eq.mValue, p.mValue);
}

void GetPlaneRotation(LyMatrix& m, const LyVector4<double>& eq) noexcept {
    velora::geometry::PlaneRotation(m.mValue, eq.mValue);
}

void MirrorTransform(LyVector4<double>& t, LyVector3<double>& r, LySVector& s, const LyMatrix& m,
                     const LyVector4<double>& eq) noexcept {
    LyMatrix mirrored;
    velora::geometry::MirrorMatrix(mirrored.mValue, m.mValue, eq.mValue);
    LyMatrixToTRS(t, r, s, mirrored);
}

void MirrorTransformR(LyMatrix& r, const LyMatrix& m, const LyVector4<double>& eq) noexcept {
    velora::geometry::MirrorLinear(r.mValue, m.mValue, eq.mValue);
}

void MirrorTransformT(LyVector4<double>& t, const LyVector4<double>& p, const LyVector4<double>& eq) noexcept {
    velora::geometry::MirrorPoint(t.mValue, p.mValue, eq.mValue);
}

LYSDK_END_NAMESPACE
