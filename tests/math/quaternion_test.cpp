#include "math_reference.h"

using namespace mathtest;

TEST(Quaternion, ArithmeticMatchesEigenAndAllowsAliasing) {
    Random rnd;
    for (int n = 0; n < 100; ++n) {
        const LyVector4<double> a = rnd.UnitQuaternion(), b = rnd.UnitQuaternion();
        LyVector4<double> r;
        LyQMult(r, a, b);
        const Eigen::Quaterniond e = ToEigen(a) * ToEigen(b);
        ASSERT_LE((ToEigen(r).coeffs() - e.coeffs()).cwiseAbs().maxCoeff(), 1e-15);
        LyVector4<double> ra = a, rb = b;
        LyQMult(ra, ra, b);
        LyQMult(rb, a, rb);
        ASSERT_EQ(ra, r);
        ASSERT_EQ(rb, r);
    }
    const LyVector4<double> a(1, 2, 3, 4), b(0.5, -1, 2, -3);
    LyVector4<double> r;
    LyQAdd(r, a, b);
    EXPECT_EQ(r, LyVector4<double>(1.5, 1, 5, 1));
    LyQSub(r, a, b);
    EXPECT_EQ(r, LyVector4<double>(0.5, 3, 1, 7));
    LyQMult(r, a, -2.0);
    EXPECT_EQ(r, LyVector4<double>(-2, -4, -6, -8));
    EXPECT_EQ(LyQDot(a, b), 0.5 - 2 + 6 - 12);
    EXPECT_EQ(LyQLength(LyVector4<double>(1, 1, 1, 1)), 2.0);
}

TEST(Quaternion, ToMatrixAcceptsAnyNonZeroScale) {
    Random rnd;
    const LyVector4<double> q = rnd.UnitQuaternion();
    LyMatrix unit, scaled, zero;
    LyQuaternionToMatrix(unit, q);
    LyQuaternionToMatrix(scaled, LyVector4<double>(q[0] * 3, q[1] * 3, q[2] * 3, q[3] * 3));
    EXPECT_LE(MaxAbsDiff(unit, scaled), 1e-15);
    for (double& v : zero.mValue) v = 9.0;
    LyQuaternionToMatrix(zero, LyVector4<double>());
    EXPECT_EQ(zero, LyMatrix());
}

TEST(Quaternion, FromMatrixCoversEveryBranchAndIgnoresScaleAndShear) {
    // Rotations near the identity (trace > 0, w comes out positive) and near
    // half turns about X, Y and Z (trace < 0: the component of the largest
    // diagonal element comes out positive).
    struct Case {
        LyVector4<double> q;
        int positive;
    };
    const Case cases[] = {{{0.1, 0.2, 0.3, 0.9}, 3},
                          {{0.98, 0.1, 0.1, 0.05}, 0},
                          {{0.1, -0.97, 0.1, 0.05}, 1},
                          {{0.1, -0.1, -0.97, 0.05}, 2},
                          {{1, 0, 0, 0}, 0}};
    for (const Case& c : cases) {
        const double len = LyQLength(c.q);
        const LyVector4<double> q(c.q[0] / len, c.q[1] / len, c.q[2] / len, c.q[3] / len);
        LyMatrix m;
        LyQuaternionToMatrix(m, q);
        // Shear within the XY plane and positive scales leave the frame (X
        // direction, XY plane) alone; the Z column is not read at all.
        for (int i = 0; i < 3; ++i) {
            m.mValue[4 + i] += 0.4 * m.mValue[i];
            m.mValue[i] *= 2.5;
            m.mValue[8 + i] = 7.0;
        }
        LyVector4<double> back;
        LyMatrixToQuaternion(back, m);
        EXPECT_GT(back[c.positive], 0.0);
        const double sign = back[c.positive] * q[c.positive] < 0 ? -1.0 : 1.0;
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(back[i], sign * q[i], 1e-15);
    }
    // Axes within 1e-6 of unit length are normalised by a series, others by
    // a square root: both must give the same quaternion.
    Random rnd;
    for (int n = 0; n < 200; ++n) {
        const LyVector4<double> source = rnd.UnitQuaternion();
        LyMatrix nearUnit, far;
        LyQuaternionToMatrix(nearUnit, source);
        LyMult(far, nearUnit, LySVector(3, 3, 3));
        LyMult(nearUnit, nearUnit, LySVector(1 + 4e-7, 1 - 2e-7, 1));  // |X|^2, |X x Y|^2 within 1e-6 of 1
        LyVector4<double> a, b;
        LyMatrixToQuaternion(a, nearUnit);
        LyMatrixToQuaternion(b, far);
        for (int i = 0; i < 4; ++i) ASSERT_NEAR(a[i], b[i], 1e-15);
    }
    LyVector4<double> q(1, 1, 1, 1);
    LyMatrix zero;
    for (double& v : zero.mValue) v = 0.0;
    LyMatrixToQuaternion(q, zero);  // degenerate frame: finite, no crash
    for (double v : q.mValue) EXPECT_TRUE(std::isfinite(v));
}
