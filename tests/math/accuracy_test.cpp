// Accuracy against Eigen on many random inputs. Each comparison prints the
// largest error seen; the limits are a few units in the last place of the
// quantities compared (inverses: scaled by the condition number).

#include "math_reference.h"

using namespace mathtest;

namespace {
constexpr int kSamples = 100000;
}

TEST(Accuracy, MatrixProduct) {
    Random rnd;
    MaxError err("LyMatrixMult vs Eigen, entries in [-1, 1]", 4e-15);
    for (int n = 0; n < kSamples; ++n) {
        const LyMatrix a = rnd.Matrix(), b = rnd.Matrix();
        LyMatrix r;
        LyMatrixMult(r, a, b);
        err.Add(MaxAbsDiff(r, FromEigen(ToEigen(a) * ToEigen(b))));
    }
}

TEST(Accuracy, MatrixInverse) {
    // Errors relative to the largest element of the inverse, divided by the
    // condition number; the long double LU gives the exact answer to compare
    // both Eigen's double inverse and ours with.
    Random rnd;
    MaxError vsEigen("LyMatrixInverse vs Eigen, relative / cond", 1e-14);
    MaxError vsExact("LyMatrixInverse vs long double LU, relative / cond", 1e-14);
    MaxError eigenVsExact("(Eigen inverse vs long double LU, relative / cond)", 1e-14);
    for (int n = 0; n < kSamples / 5; ++n) {
        const LyMatrix m = rnd.Matrix();
        LyMatrix inv;
        ASSERT_TRUE(LyMatrixInverse(inv, m));
        const Eigen::Matrix4d e = ToEigen(m);
        const Eigen::Matrix4d eigenInv = e.inverse();
        const Eigen::Matrix4d exact = e.cast<long double>().partialPivLu().inverse().cast<double>();
        const Eigen::JacobiSVD<Eigen::Matrix4d> svd(e);
        const double cond = svd.singularValues()(0) / svd.singularValues()(3);
        const double scale = exact.cwiseAbs().maxCoeff() * cond;
        vsEigen.Add((ToEigen(inv) - eigenInv).cwiseAbs().maxCoeff() / scale);
        vsExact.Add((ToEigen(inv) - exact).cwiseAbs().maxCoeff() / scale);
        eigenVsExact.Add((eigenInv - exact).cwiseAbs().maxCoeff() / scale);
    }
}

TEST(Accuracy, QuaternionToMatrix) {
    Random rnd;
    MaxError err("LyQuaternionToMatrix vs Eigen toRotationMatrix", 2e-15);
    for (int n = 0; n < kSamples; ++n) {
        const LyVector4<double> q = rnd.UnitQuaternion();
        LyMatrix m;
        LyQuaternionToMatrix(m, q);
        err.Add((ToEigen(m).topLeftCorner<3, 3>() - ToEigen(q).toRotationMatrix()).cwiseAbs().maxCoeff());
    }
}

TEST(Accuracy, MatrixToQuaternion) {
    // Rotations from random unit quaternions, half of them pushed near a
    // half turn so that every branch of the read-off is exercised.
    Random rnd;
    MaxError err("LyMatrixToQuaternion vs Eigen Quaterniond(Matrix3d)", 1e-15);
    MaxError round("LyMatrixToQuaternion vs the source quaternion", 1e-15);
    for (int n = 0; n < kSamples; ++n) {
        LyVector4<double> q = rnd.UnitQuaternion();
        if (n % 2) {
            q[3] *= 0.05;
            const double len = LyQLength(q);
            for (double& v : q.mValue) v /= len;
        }
        LyMatrix m;
        LyQuaternionToMatrix(m, q);
        LyVector4<double> back;
        LyMatrixToQuaternion(back, m);
        const Eigen::Quaterniond e(Eigen::Matrix3d(ToEigen(m).topLeftCorner<3, 3>()));
        const double s1 = LyQDot(back, {e.x(), e.y(), e.z(), e.w()}) < 0 ? -1 : 1;
        const double s2 = LyQDot(back, q) < 0 ? -1 : 1;
        double e1 = 0, e2 = 0;
        for (int i = 0; i < 4; ++i) {
            e1 = std::max(e1, std::fabs(back[i] - s1 * e.coeffs()[i]));
            e2 = std::max(e2, std::fabs(back[i] - s2 * q[i]));
        }
        err.Add(e1);
        round.Add(e2);
    }
}
