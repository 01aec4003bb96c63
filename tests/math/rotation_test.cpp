#include "math_reference.h"

using namespace mathtest;

namespace {

LyMatrix Build(const LyVector3<double>& rot, int order) {
    LyMatrix m;
    LyRotationToMatrix(m, rot, static_cast<LyRotationOrder>(order));
    return m;
}

double AngleError(const LyVector3<double>& a, const LyVector3<double>& b) {
    return std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2])});
}

}  // namespace

TEST(Rotation, EveryOrderBuildsItsProduct) {
    Random rnd;
    for (int order = 0; order < 6; ++order) {
        MaxError err("LyRotationToMatrix order " + std::to_string(order) + " vs Eigen", 1e-15);
        for (int n = 0; n < 500; ++n) {
            const LyVector3<double> r = rnd.Angles();
            const Eigen::Matrix4d m = ToEigen(Build(r, order));
            err.Add((m.topLeftCorner<3, 3>() - EulerReference(r, order)).cwiseAbs().maxCoeff());
            ASSERT_EQ(m.col(3), Eigen::Vector4d(0, 0, 0, 1));
            ASSERT_EQ(m.row(3), Eigen::RowVector4d(0, 0, 0, 1));
        }
    }
    // Any other order value builds, and is read as, order 0.
    const LyVector3<double> r(10, 20, 30);
    for (int bad : {-1, 6, 42}) {
        EXPECT_EQ(Build(r, bad), Build(r, 0));
        LyVector3<double> a, b;
        LyMatrixToRotation(a, Build(r, 0), static_cast<LyRotationOrder>(bad));
        LyMatrixToRotation(b, Build(r, 0), kLyRotationOrderXYZ);
        EXPECT_EQ(a, b);
    }
    // Its quaternion is zero.
    LyVector4<double> q(1, 2, 3, 4);
    LyRotationToQuaternion(q, {10, 20, 30}, static_cast<LyRotationOrder>(6));
    EXPECT_EQ(q, LyVector4<double>());
}

TEST(Rotation, KnownCases) {
    LyVector4<double> p;
    LyVectorMatrixMult(p, Build({90, 0, 0}, 0), LyVector4<double>(0, 1, 0));  // Y -> Z
    EXPECT_LE(std::fabs(p[2] - 1.0) + std::fabs(p[1]), 1e-15);
    LyVectorMatrixMult(p, Build({0, 0, 90}, 0), LyVector4<double>(1, 0, 0));  // X -> Y
    EXPECT_LE(std::fabs(p[1] - 1.0) + std::fabs(p[0]), 1e-15);
    const Eigen::Matrix3d order5 = Rot(0, 30) * Rot(1, 20) * Rot(2, 10);
    EXPECT_LE((ToEigen(Build({10, 20, 30}, 5)).topLeftCorner<3, 3>() - order5).cwiseAbs().maxCoeff(), 1e-15);

    LyVector3<double> rot;
    LyMatrixToRotation(rot, Build({0, 90, 0}, 0), kLyRotationOrderXYZ);
    EXPECT_LE(AngleError(rot, {0, 90, 0}), 1e-12);
    EXPECT_EQ(rot[2], 0.0);
}

TEST(Rotation, EveryOrderExtractsBackOnAllPaths) {
    Random rnd;
    for (int order = 0; order < 6; ++order) {
        const auto o = static_cast<LyRotationOrder>(order);
        MaxError err("Euler round trip order " + std::to_string(order) + " (degrees)", 1e-10);
        for (int n = 0; n < 300; ++n) {
            const LyVector3<double> r(rnd.Uniform(-179, 179), rnd.Uniform(-89, 89), rnd.Uniform(-179, 179));
            LyMatrix m = Build(r, order);
            LyMult(m, m, LySVector(2, 0.5, 3));  // scaling must not matter
            LyVector3<double> a, b, c;
            LyMatrixToRotation(a, m, o);
            LyMatrixToRotationWithPrecision(b, m, o, 1e-6);
            LyVector4<double> q;
            LyRotationToQuaternion(q, r, o);
            LyQuaternionToRotation(c, q, o);
            err.Add(std::max({AngleError(a, r), AngleError(b, r), AngleError(c, r)}));
        }
    }
}

TEST(Rotation, GimbalLockPutsEverythingInTheFirstAngle) {
    Random rnd;
    for (int order = 0; order < 6; ++order) {
        const auto o = static_cast<LyRotationOrder>(order);
        for (double middle : {90.0, -90.0}) {
            for (int n = 0; n < 50; ++n) {
                const LyVector3<double> r(rnd.Uniform(-179, 179), middle, rnd.Uniform(-179, 179));
                LyVector3<double> a, b;
                LyMatrixToRotation(a, Build(r, order), o);
                LyMatrixToRotationWithPrecision(b, Build(r, order), o, 1e-6);
                for (const LyVector3<double>& e : {a, b}) {
                    ASSERT_EQ(e[2], 0.0) << order;
                    ASSERT_NEAR(e[1], middle, 1e-6);
                    ASSERT_LE(MaxAbsDiff(Build(e, order), Build(r, order)), 1e-12) << order;
                }
            }
        }
    }
}

TEST(Rotation, PrecisionDecidesWhereGimbalLockStarts) {
    // Middle angle with cosine 1e-3: gimbal for a threshold of 1e-2 (third
    // angle forced to 0), normal extraction for 1e-4.
    const LyVector3<double> r(20, std::acos(1e-3) * 180 / M_PI, 35);
    LyVector3<double> coarse, fine;
    LyMatrixToRotationWithPrecision(coarse, Build(r, 0), kLyRotationOrderXYZ, 1e-2);
    LyMatrixToRotationWithPrecision(fine, Build(r, 0), kLyRotationOrderXYZ, 1e-4);
    EXPECT_EQ(coarse[2], 0.0);
    EXPECT_LE(AngleError(fine, r), 1e-9);
    // The default threshold sits at 1.6e-9.
    for (double cosine : {1e-10, 1e-8}) {
        const LyVector3<double> s(20, std::acos(cosine) * 180 / M_PI, 35);
        LyVector3<double> e;
        LyMatrixToRotation(e, Build(s, 0));
        if (cosine < 1.6e-9)
            EXPECT_EQ(e[2], 0.0);
        else
            EXPECT_NEAR(e[2], 35.0, 1e-4);
    }
}

TEST(Rotation, TransformsComposeAndDecompose) {
    Random rnd;
    MaxError err("LyTRSToMatrix -> LyMatrixToTRS -> LyTRSToMatrix", 1e-13);
    for (int n = 0; n < 300; ++n) {
        const LyVector4<double> t(rnd.Uniform(-9, 9), rnd.Uniform(-9, 9), rnd.Uniform(-9, 9), 5.0);
        const LyVector3<double> r = rnd.Angles();
        const LySVector s(rnd.Uniform(0.1, 3), rnd.Uniform(-3, -0.1), rnd.Uniform(0.1, 3));
        LyMatrix m;
        LyTRSToMatrix(m, t, r, s);
        Eigen::Affine3d e = Eigen::Translation3d(t[0], t[1], t[2]) * EulerReference(r, 0) *
                            Eigen::Scaling(s[0], s[1], s[2]);
        ASSERT_LE(MaxAbsDiff(m, FromEigen(e.matrix())), 1e-14);

        LyVector4<double> t2(0, 0, 0, 7), q;
        LyVector3<double> r2;
        LySVector s2;
        LyMatrixToTRS(t2, r2, s2, m);
        EXPECT_EQ(t2[3], 7.0);
        LyMatrix back;
        LyTRSToMatrix(back, t2, r2, s2);
        err.Add(MaxAbsDiff(back, m));
        LyMatrixToTQS(t2, q, s2, m);
        LyTQSToMatrix(back, t2, q, s2);
        err.Add(MaxAbsDiff(back, m));
    }
}

TEST(Rotation, InterpolationTakesTheShortWay) {
    Random rnd;
    const LyVector4<double> q = rnd.UnitQuaternion();
    const LyVector4<double> minus(-q[0], -q[1], -q[2], -q[3]);
    LyVector4<double> r;
    LyInterpolateRotation(r, q, minus, 0.5);
    EXPECT_EQ(r, q);
    const LyVector4<double> z90(0, 0, std::sqrt(0.5), std::sqrt(0.5));
    LyInterpolateRotation(r, LyVector4<double>(0, 0, 0, 1), z90, 0.5);
    EXPECT_LT(LyQLength(r), 0.99);  // not normalised
    LyVector3<double> e;
    LyInterpolateRotation(e, LyVector3<double>(0, 0, 0), LyVector3<double>(0, 0, 90), 0.5);
    EXPECT_LE(AngleError(e, {0, 0, 45}), 1e-12);
}

TEST(Rotation, ContinuousRotationFollowsTheReference) {
    LyVector3<double> r;
    LyGetContinuousRotation(r, {0, 0, 0}, {0, 0, 350});
    EXPECT_EQ(r, LyVector3<double>(0, 0, 360));
    LyGetContinuousRotation(r, {10, 0, 0}, {370, 0, 0});
    EXPECT_EQ(r, LyVector3<double>(370, 0, 0));
    // The mirrored equivalent (a + 180, 180 - b, c + 180) wins when nearer.
    LyGetContinuousRotation(r, {-170, 170, -170}, {0, 0, 0});
    EXPECT_LE(AngleError(r, {10, 10, 10}), 1e-12);
    // Equal distances choose the equivalent rotation; half a turn exactly
    // does not round up.
    LyGetContinuousRotation(r, {0, 30, 0}, {90, 90, 90});
    EXPECT_EQ(r, LyVector3<double>(180, 150, 180));
    LyGetContinuousRotation(r, {0, 0, 0}, {180, 0, 0});
    EXPECT_EQ(r, LyVector3<double>(0, 0, 0));
    // At a middle angle of 90 only a - c is fixed; a + c follows ref.
    LyGetContinuousRotation(r, {30, 90, 10}, {50, 90, 40});
    EXPECT_LE(AngleError(r, {30 + 25, 90, 10 + 25}), 1e-12);
    LyGetContinuousRotation(r, {30, 270, 10}, {50, 270, 40});
    EXPECT_LE(AngleError(r, {30 - 5, 270, 10 + 5}), 1e-12);

    Random rnd;
    for (int n = 0; n < 300; ++n) {
        const LyVector3<double> rot = rnd.Angles(-720, 720), ref = rnd.Angles(-720, 720);
        LyVector3<double> out = rot;
        LyGetContinuousRotation(out, out, ref);  // in place
        ASSERT_LE(MaxAbsDiff(Build(out, 0), Build(rot, 0)), 1e-12);
        for (int i = 0; i < 3; ++i) ASSERT_LE(std::fabs(out[i] - ref[i]), 180.0 + 1e-9);
    }
}
