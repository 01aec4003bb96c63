#include "math_reference.h"

using namespace mathtest;

TEST(Vector, DefaultsLayoutAndNullInput) {
    EXPECT_EQ(LyVector4<double>(), LyVector4<double>(0, 0, 0, 0));
    EXPECT_EQ(LySVector(), LySVector(1, 1, 1));
    LySVector s(2, 3, 4);
    s.Init();
    EXPECT_EQ(s, LySVector(1, 1, 1));
    EXPECT_EQ(LySVector(static_cast<const double*>(nullptr)), LySVector(1, 1, 1));
    EXPECT_EQ(LyVector3<double>(static_cast<const double*>(nullptr)), LyVector3<double>());
    LyVector4<double> v(1, 2, 3, 4);
    v.Set(static_cast<const double*>(nullptr));
    EXPECT_EQ(v, LyVector4<double>(1, 2, 3, 4));

    static_assert(sizeof(LyVector4<double>) == 4 * sizeof(double), "consecutive components");
    static_assert(sizeof(LyColor) == 3 * sizeof(double) && sizeof(LyMatrix) == 16 * sizeof(double), "layout");
    const double* p = v;
    EXPECT_EQ(p[3], 4.0);

    EXPECT_EQ(LyColorAndAlpha(LyColor(0.1, 0.2, 0.3)), LyColorAndAlpha(0.1, 0.2, 0.3, 1.0));
    EXPECT_EQ(LyColorAndAlpha(LyVector4<float>(0.5f, 0.25f, 1.0f, 0.0f)), LyColorAndAlpha(0.5, 0.25, 1.0, 0.0));
    EXPECT_EQ(LyColorAndAlpha()[3], 0.0);
}

TEST(Vector, ThreeComponentFunctionsKeepWAndAllowAliasing) {
    const LyVector4<double> a(1, 2, 3, 7), b(4, -5, 6, 9);
    LyVector4<double> r(0, 0, 0, 42);
    LyAdd(r, a, b);
    EXPECT_EQ(r, LyVector4<double>(5, -3, 9, 42));
    LySub(r, a, b);
    EXPECT_EQ(r, LyVector4<double>(-3, 7, -3, 42));
    LyMult(r, a, 2.0);
    EXPECT_EQ(r, LyVector4<double>(2, 4, 6, 42));

    // Two vectors: the cross product, with r aliasing either operand.
    LyMult(r, LyVector4<double>(1, 0, 0), LyVector4<double>(0, 1, 0));
    EXPECT_EQ(r, LyVector4<double>(0, 0, 1, 42));
    LyVector4<double> x = a;
    LyMult(x, x, b);
    EXPECT_EQ(x, LyVector4<double>(2 * 6 - (-5) * 3, 3 * 4 - 6 * 1, 1 * -5 - 2 * 4, 7));
    x = b;
    LyMult(x, a, x);
    EXPECT_EQ(x, LyVector4<double>(27, 6, -13, 9));

    EXPECT_EQ(LyDot(a, b), 4 - 10 + 18);  // w ignored
    EXPECT_EQ(LyLength(LyVector4<double>(3, 4, 12, 100)), 13.0);
}

TEST(Vector, SinglePrecisionLengthIsComputedInFloat) {
    // Find inputs where float arithmetic and rounded double arithmetic part
    // ways, so the test tells the two apart.
    Random rnd;
    int differing = 0;
    for (int n = 0; n < 2000; ++n) {
        const LyVector4<float>
            v(float(rnd.Uniform(-1e3, 1e3)), float(rnd.Uniform(-1e3, 1e3)), float(rnd.Uniform(-1e3, 1e3)));
        const float inFloat = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const float inDouble = float(std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]));
        differing += inFloat != inDouble;
        ASSERT_EQ(LyLength(v), inFloat);
    }
    EXPECT_GT(differing, 0);
}

TEST(Vector, ClampTestsMinThenMaxAndAxisScalingTouchesOnlyTheAxes) {
    EXPECT_EQ(LyClamp(5, 0, 3), 3);
    EXPECT_EQ(LyClamp(-1, 0, 3), 0);
    EXPECT_EQ(LyClamp(2, 3, 0), 3);
    EXPECT_EQ(LyClamp(1.5, 0.0, 3.0), 1.5);
    // Scaling by axes touches only the axes.
    LyMatrix m;
    for (int i = 0; i < 16; ++i) m.mValue[i] = i + 1;
    LyMatrix r;
    for (double& v : r.mValue) v = -7.0;
    LyMult(r, m, LySVector(2, 3, 4));
    for (int i = 0; i < 16; ++i) {
        const int c = i / 4, row = i % 4;
        const double expected = (c < 3 && row < 3) ? m.mValue[i] * (c + 2) : -7.0;
        EXPECT_EQ(r.mValue[i], expected) << i;
    }
    LyMult(m, m, LySVector(2, 2, 2));  // in place
    EXPECT_EQ(m.mValue[10], 22.0);
    EXPECT_EQ(m.mValue[12], 13.0);
}
