#include "math_reference.h"

using namespace mathtest;

namespace {

LyMatrix Filled(double v) {
    LyMatrix m;
    for (double& x : m.mValue) x = v;
    return m;
}

}  // namespace

TEST(Matrix, LayoutIsColumnMajorWithTranslationAt12) {
    LyMatrix m;
    EXPECT_EQ(m, LyMatrix(ToEigen(m).data()));
    EXPECT_EQ(ToEigen(m), Eigen::Matrix4d::Identity());
    m(1, 3) = 5.0;  // row 1, column 3
    EXPECT_EQ(m.mValue[13], 5.0);
    EXPECT_EQ(m.GetData()[13], 5.0);
    LyTranslationToMatrix(m, LyVector4<double>(1, 2, 3));
    LyVector4<double> p(10, 20, 30, 99);
    LyVectorMatrixMult(p, m, p);
    EXPECT_EQ(p, LyVector4<double>(11, 22, 33, 99));

    EXPECT_EQ(LyMatrix(static_cast<const double*>(nullptr)), LyMatrix());
    m = static_cast<const double*>(nullptr);  // ignored
    EXPECT_EQ(m.mValue[12], 1.0);
}

TEST(Matrix, ProductMatchesEigenAndAllowsAliasing) {
    Random rnd;
    for (int n = 0; n < 200; ++n) {
        const LyMatrix a = rnd.Matrix(), b = rnd.Matrix();
        LyMatrix r;
        LyMatrixMult(r, a, b);
        ASSERT_LE(MaxAbsDiff(r, FromEigen(ToEigen(a) * ToEigen(b))), 4e-15);
        LyMatrix ra = a, rb = b, rab = a;
        LyMatrixMult(ra, ra, b);
        LyMatrixMult(rb, a, rb);
        LyMatrixMult(rab, rab, rab);
        ASSERT_EQ(ra, r);
        ASSERT_EQ(rb, r);
        LyMatrix sq;
        LyMatrixMult(sq, a, a);
        ASSERT_EQ(rab, sq);
        ASSERT_EQ(a * b, r);
        LyMatrix acc = a;
        acc *= b;
        ASSERT_EQ(acc, r);
    }
}

TEST(Matrix, TransposeOutOfPlaceAndInPlace) {
    Random rnd;
    const LyMatrix m = rnd.Matrix();
    LyMatrix t;
    LyMatrixTranspose(t, m);
    EXPECT_EQ(ToEigen(t), ToEigen(m).transpose());
    LyMatrix u = m;
    LyMatrixTranspose(u, u);
    EXPECT_EQ(u, t);
    u.Transpose();
    EXPECT_EQ(u, m);
}

TEST(Matrix, InverseUsesPartialPivoting) {
    // A leading element far smaller than the rest of its column: without
    // row exchanges the elimination divides by it and the result is garbage.
    LyMatrix m = FromEigen((Eigen::Matrix4d() << 1e-18, 1, 2, 0, 1, 1, 0, 3, 2, 0, 1, 1, 0, 3, 1, 2).finished());
    LyMatrix inv;
    ASSERT_TRUE(LyMatrixInverse(inv, m));
    EXPECT_LE((ToEigen(m) * ToEigen(inv) - Eigen::Matrix4d::Identity()).cwiseAbs().maxCoeff(), 1e-14);

    LyMatrix self = m;  // in place
    ASSERT_TRUE(LyMatrixInverse(self, self));
    EXPECT_EQ(self, inv);
    LyMatrix member = m;
    EXPECT_TRUE(member.Inverse());
    EXPECT_EQ(member, inv);
}

TEST(Matrix, SingularMatricesLeaveTheTargetAlone) {
    const LyMatrix sentinel = Filled(7.0);
    // Zero, a zero row, and a repeated column whose entries make every
    // elimination step exact (pivot 4): each leaves some pivot exactly 0.
    LyMatrix zeroRow = FromEigen((Eigen::Matrix4d() << 0, 0, 0, 0, 4, 1, 2, 3, 5, 6, 1, 8, 9, 1, 7, 2).finished());
    LyMatrix repeated = FromEigen((Eigen::Matrix4d() << 1, 3, 1, 5, 2, 1, 2, 7, 4, 6, 4, 1, -2, 9, -2, 3).finished());
    // Two equal rows led by 49: only division gives the exact multiplier 1
    // (49 * (1 / 49) is not 1), so only then do they cancel to an exact 0.
    LyMatrix twin = FromEigen((Eigen::Matrix4d() << 49, 3, 5, 7, 49, 3, 5, 7, 1, 8, 2, 6, 2, 1, 9, 4).finished());
    for (const LyMatrix& singular : {Filled(0.0), zeroRow, repeated, twin}) {
        LyMatrix r = sentinel;
        EXPECT_FALSE(LyMatrixInverse(r, singular));
        EXPECT_EQ(r, sentinel);
        LyMatrix in_place = singular;
        EXPECT_FALSE(in_place.Inverse());
        EXPECT_EQ(in_place, singular);
        EXPECT_EQ(singular.InverseProduct(sentinel), LyMatrix());
    }
}

TEST(Matrix, FastAndAccurateInversesAgree) {
    // LyMatrixInverse's register path and the LU solve behind InverseProduct
    // share their pivot arithmetic: same answers, to rounding, and the same
    // verdict on matrices that are singular only after elimination.
    Random rnd;
    for (int n = 0; n < 500; ++n) {
        LyMatrix m = rnd.Matrix();
        if (n % 5 == 0) {
            for (int c = 0; c < 4; ++c) m.mValue[4 * c + 3] = 2 * m.mValue[4 * c + 1];  // row 3 = 2 row 1
        }
        LyMatrix fast;
        const bool inverted = LyMatrixInverse(fast, m);
        const LyMatrix accurate = m.InverseProduct(LyMatrix());
        if (!inverted) {
            ASSERT_EQ(accurate, LyMatrix());
            continue;
        }
        const double scale = std::max(1.0, ToEigen(accurate).cwiseAbs().maxCoeff());
        ASSERT_LE(MaxAbsDiff(fast, accurate) / scale, 1e-10);
    }
}

TEST(Matrix, InverseProductSolvesWithoutFormingTheInverse) {
    Random rnd;
    for (int n = 0; n < 100; ++n) {
        const LyMatrix a = rnd.Matrix(), b = rnd.Matrix();
        const Eigen::JacobiSVD<Eigen::Matrix4d> svd(ToEigen(a));
        const double cond = svd.singularValues()(0) / svd.singularValues()(3);
        const Eigen::Matrix4d expected = ToEigen(a).fullPivLu().solve(ToEigen(b));
        const double scale = std::max(1.0, expected.cwiseAbs().maxCoeff());
        ASSERT_LE(MaxAbsDiff(a.InverseProduct(b), FromEigen(expected)) / scale, 1e-15 * cond);
    }
}

TEST(Matrix, ElementOperatorsAndValidate) {
    Random rnd;
    const LyMatrix a = rnd.Matrix(), b = rnd.Matrix();
    EXPECT_EQ(ToEigen(a + b), ToEigen(a) + ToEigen(b));
    EXPECT_EQ(ToEigen(a - b), ToEigen(a) - ToEigen(b));
    EXPECT_EQ(ToEigen(-a), -ToEigen(a));
    EXPECT_EQ(ToEigen(a * 2.5), ToEigen(a) * 2.5);
    LyMatrix c = a;
    c += b;
    c -= b;
    EXPECT_LE(MaxAbsDiff(c, a), 1e-15);
    c = a;
    c *= 2.0;
    EXPECT_EQ(c, a * 2.0);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a.Validate());
    c.mValue[9] = std::nan("");
    EXPECT_FALSE(c.Validate());
}

TEST(Matrix, PointTransformsDivideByW) {
    LyMatrix m;
    m.mValue[15] = 2.0;
    m.mValue[3] = 1.0;  // w = x + 2
    LyVector4<double> r(0, 0, 0, 5);
    const LyVector4<double> v(2, 4, 6, std::nan(""));  // v.w is never read
    LyVectorMatrixMult(r, m, v);
    EXPECT_EQ(r, LyVector4<double>(0.5, 1.0, 1.5, 5));

    // Vertices: 1 / w is rounded to float before it multiplies. With w = 3
    // that rounding shows in the result.
    m.mValue[3] = 0.0;
    m.mValue[15] = 3.0;
    LyVector4<float> out(0, 0, 0, 9);
    const LyVector4<float> vertex(1.0f, 10.0f, 1e7f, 0.0f);
    LyVertexMatrixMult(out, m, vertex);
    const double inv = float(1.0 / 3.0);
    EXPECT_EQ(out, LyVector4<float>(float(1.0 * inv), float(10.0 * inv), float(1e7 * inv), 9));
    EXPECT_NE(out[2], float(1e7 / 3.0));

    m.mValue[15] = 0.0;  // w = 0: infinities, not a crash
    LyVectorMatrixMult(r, m, LyVector4<double>(1, 1, 1));
    EXPECT_TRUE(std::isinf(r[0]));
}

TEST(Matrix, GlobalAndLocalMatricesInvertEachOther) {
    Random rnd;
    for (int n = 0; n < 100; ++n) {
        LyMatrix parent, local, global, back;
        LyTRSToMatrix(parent, LyVector4<double>(1, -2, 3), rnd.Angles(), LySVector(2, 0.5, -3));
        LyTRSToMatrix(local, LyVector4<double>(4, 5, -6), rnd.Angles(), LySVector(1, 1, 1));
        local.mValue[3] = 0.25;  // not affine: the result's fourth row is
        LyGetGlobalMatrix(global, parent, local);
        Eigen::Matrix4d expected = ToEigen(parent) * ToEigen(local);
        expected.row(3) << 0, 0, 0, 1;
        ASSERT_LE(MaxAbsDiff(global, FromEigen(expected)), 1e-14);

        local.mValue[3] = 0.0;
        LyGetGlobalMatrix(global, parent, local);
        LyGetLocalMatrix(back, parent, global);
        ASSERT_LE(MaxAbsDiff(back, local), 1e-13);
        LyGetLocalMatrix(global, parent, global);  // result aliasing an operand
        ASSERT_EQ(global, back);
    }
}

TEST(Matrix, TranslationScalingAndOrthogonalisation) {
    LyMatrix m;
    LyScalingToMatrix(m, LySVector(2, 3, -4));
    LySVector s;
    LyMatrixToScaling(s, m);  // negative determinant: all three negated
    EXPECT_EQ(s, LySVector(-2, -3, -4));
    LyVector4<double> t(0, 0, 0, 8);
    m.mValue[12] = 1;
    m.mValue[14] = 3;
    LyMatrixToTranslation(t, m);
    EXPECT_EQ(t, LyVector4<double>(1, 0, 3, 8));

    // A sheared, scaled, mirrored frame: orthogonal axes, same lengths, X
    // direction and handedness kept, translation untouched.
    Eigen::Matrix4d e = Eigen::Matrix4d::Identity();
    e.topLeftCorner<3, 3>() << 2, 1, 0.3, 0.1, 3, -0.2, 0.2, 0.5, -4;
    e.col(3) << 7, 8, 9, 1;
    m = FromEigen(e);
    LyMatrixOrthogonalize(m);
    const Eigen::Matrix3d a = ToEigen(m).topLeftCorner<3, 3>();
    const Eigen::Matrix3d g = a.transpose() * a;
    EXPECT_LE((g - Eigen::Matrix3d(g.diagonal().asDiagonal())).cwiseAbs().maxCoeff(), 1e-14);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(a.col(c).norm(), e.col(c).head<3>().norm(), 1e-14);
    EXPECT_LE((a.col(0) - e.col(0).head<3>()).norm(), 1e-15);
    EXPECT_LT(a.determinant(), 0.0);
    EXPECT_EQ(ToEigen(m).col(3), e.col(3));
}
