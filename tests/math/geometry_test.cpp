#include "math_reference.h"

using namespace mathtest;

TEST(Geometry, PlanesFromPointsAndFrames) {
    const LyVector4<double> p1(1, 2, 3, 8), p2(3, 2, 3, 9);
    LyVector4<double> eq;
    GetPlaneEquation(eq, p1, p2);  // x = 2, normal towards p2
    EXPECT_EQ(eq, LyVector4<double>(1, 0, 0, -2));
    LyVector4<double> mirrored(0, 0, 0, 5);
    MirrorTransformT(mirrored, p1, eq);
    EXPECT_EQ(mirrored, LyVector4<double>(3, 2, 3, 5));

    LyVector4<double> raw(0, 0, 4, -8);
    NormalizePlaneEquation(raw, raw);
    EXPECT_EQ(raw, LyVector4<double>(0, 0, 1, -2));
    NormalizePlaneEquation(raw, LyVector4<double>(0, 0, 0, 3));
    EXPECT_EQ(raw, LyVector4<double>());
    GetPlaneEquation(eq, p1, p1);  // no plane: mirroring changes nothing
    MirrorTransformT(mirrored, p2, eq);
    EXPECT_EQ(mirrored, LyVector4<double>(3, 2, 3, 5));

    // A plane's rotation and a point on it give the plane back.
    Random rnd;
    for (int n = 0; n < 100; ++n) {
        LyVector4<double> plane(rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-5, 5));
        if (n == 0) plane.Set(-3, 0, 0, 1);  // opposite to X
        NormalizePlaneEquation(plane, plane);
        LyMatrix rot;
        GetPlaneRotation(rot, plane);
        const Eigen::Matrix3d r = ToEigen(rot).topLeftCorner<3, 3>();
        ASSERT_LE((r.transpose() * r - Eigen::Matrix3d::Identity()).cwiseAbs().maxCoeff(), 1e-15);
        ASSERT_NEAR(r.determinant(), 1.0, 1e-15);
        const LyVector4<double> onPlane(-plane[3] * plane[0], -plane[3] * plane[1], -plane[3] * plane[2]);
        LyVector4<double> back;
        GetPlaneEquation(back, onPlane, rot);
        for (int i = 0; i < 4; ++i) ASSERT_NEAR(back[i], plane[i], 1e-14);
    }
}

TEST(Geometry, MirrorsKeepRotationsRotations) {
    // Through the YZ plane an order-0 rotation (a, b, c) becomes (a, -b, -c).
    const LyVector4<double> yz(1, 0, 0, 0);
    LyMatrix m, mirrored;
    LyTRSToMatrix(m, LyVector4<double>(1, 2, 3), LyVector3<double>(10, 20, 30), LySVector(2, 2, 2));
    LyVector4<double> t;
    LyVector3<double> r;
    LySVector s;
    MirrorTransform(t, r, s, m, yz);
    EXPECT_LE(std::fabs(r[0] - 10) + std::fabs(r[1] + 20) + std::fabs(r[2] + 30), 1e-12);
    EXPECT_EQ(t, LyVector4<double>(-1, 2, 3));
    EXPECT_LE(std::fabs(s[0] - 2) + std::fabs(s[1] - 2) + std::fabs(s[2] - 2), 1e-14);

    // Any plane: proper rotations stay proper, and mirroring twice is the
    // identity. The result may alias the operand.
    Random rnd;
    for (int n = 0; n < 100; ++n) {
        LyVector4<double> plane(rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-5, 5));
        LyRotationToMatrix(m, rnd.Angles());
        MirrorTransformR(mirrored, m, plane);
        ASSERT_NEAR((ToEigen(mirrored).topLeftCorner<3, 3>().determinant()), 1.0, 1e-14);
        MirrorTransformR(mirrored, mirrored, plane);
        ASSERT_LE(MaxAbsDiff(mirrored, m), 1e-14);
    }
}
