// The host and the SDK compute transforms with the same kernels: a model's
// global matrix is the SDK's composition to the bit, and the host's frame
// orthonormalisation is the one the SDK's rotation reads start from.

#include "math_reference.h"

#include <velora/geometry.h>
#include <velora/model.h>
#include <velora/property.h>

using namespace mathtest;

TEST(SharedKernels, AModelsGlobalMatrixIsTheSdksComposition) {
    Random rnd;
    velora::Model* model = velora::Model::Create("Composed");
    ASSERT_NE(model, nullptr);
    for (int n = 0; n < 2000; ++n) {
        const LyVector4<double> t(rnd.Uniform(-50, 50), rnd.Uniform(-50, 50), rnd.Uniform(-50, 50));
        const LyVector3<double> r = rnd.Angles(-720.0, 720.0);
        LySVector s;
        s.Set(rnd.Uniform(-3, 3), rnd.Uniform(0.01, 3), rnd.Uniform(-3, 3));
        ASSERT_TRUE(model->TranslationProperty()->SetRaw(t.mValue));
        ASSERT_TRUE(model->RotationProperty()->SetRaw(r.mValue));
        ASSERT_TRUE(model->ScalingProperty()->SetRaw(s.mValue));
        const LyMatrix parent = n % 2 ? rnd.Matrix(10.0) : LyMatrix();
        model->UpdateGlobal(n % 2 ? parent.mValue : nullptr);

        LyMatrix local, expected;
        LyTRSToMatrix(local, t, r, s);
        LyMatrixMult(expected, parent, local);
        for (int i = 0; i < 16; ++i) ASSERT_EQ(model->GlobalMatrix()[i], expected.mValue[i]) << n << " " << i;
    }
    model->Destroy(0);
}

TEST(SharedKernels, OrthonormalisationIsTheFrameRotationsAreReadFrom) {
    // The host routine against Eigen's Gram construction, and the SDK's Euler
    // read of the raw matrix against the read of the host's frame.
    Random rnd;
    MaxError frame("host Orthonormalize vs Eigen frame", 1e-15);
    for (int n = 0; n < 20000; ++n) {
        LyMatrix m = rnd.Matrix(4.0);
        const Eigen::Matrix4d e = ToEigen(m);
        const Eigen::Vector3d x = e.col(0).head<3>(), y = e.col(1).head<3>();
        Eigen::Matrix3d reference;
        reference.col(0) = x.normalized();
        reference.col(2) = x.cross(y).normalized();
        reference.col(1) = reference.col(2).cross(reference.col(0));

        LyVector3<double> fromRaw, fromFrame;
        LyMatrixToRotation(fromRaw, m, kLyRotationOrderZXY);
        velora::geometry::Orthonormalize(m.mValue);
        frame.Add((ToEigen(m).topLeftCorner<3, 3>() - reference).cwiseAbs().maxCoeff());
        LyMatrixToRotation(fromFrame, m, kLyRotationOrderZXY);
        for (int i = 0; i < 3; ++i) ASSERT_NEAR(fromRaw[i], fromFrame[i], 1e-9) << n;
    }
}
