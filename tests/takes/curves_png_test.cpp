// velora's picture of a take's curves, read back pixel by pixel.

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>

#include <velora/animation.h>
#include <velora/take.h>

#include "curves_png.h"
#include "scene/scene_fixture.h"

namespace {

constexpr long long kSecond = 141120000;

struct Pixels {
    cairo_surface_t* surface;
    explicit Pixels(const std::string& path) : surface(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Pixels() { cairo_surface_destroy(surface); }
    bool Ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return cairo_image_surface_get_width(surface); }
    int Height() const { return cairo_image_surface_get_height(surface); }
    // Red, green and blue at (x, y), 0 to 255.
    void At(int x, int y, int rgb[3]) const {
        const unsigned char* row = cairo_image_surface_get_data(surface) +
                                   static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
        const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
        rgb[0] = static_cast<int>(p >> 16 & 0xFF);
        rgb[1] = static_cast<int>(p >> 8 & 0xFF);
        rgb[2] = static_cast<int>(p & 0xFF);
    }
    // Whether a pixel of colour `want` lies within `reach` rows of (x, y).
    bool Near(double x, double y, const double want[3], int reach) const {
        for (int dy = -reach; dy <= reach; ++dy) {
            int rgb[3];
            At(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)) + dy, rgb);
            bool same = true;
            for (int k = 0; k < 3; ++k) same = same && std::abs(rgb[k] - static_cast<int>(want[k] * 255 + 0.5)) <= 8;
            if (same) return true;
        }
        return false;
    }
};

class CurvesPngTest : public lysdk_test::SceneTest {
protected:
    static void TearDownTestSuite() { velora_app::ReleaseDrawingCaches(); }
};

TEST_F(CurvesPngTest, TheCurvesAxesAndLegendAreWhereTheChartSays) {
    const std::string path = ::testing::TempDir() + "curves-" + std::to_string(getpid()) + ".png";
    velora::Take* take = Keep(velora::Take::Create("Drawn"));
    std::string error;
    velora_app::CurveChart chart;
    EXPECT_FALSE(velora_app::DrawTakeCurves(take, path, &error, &chart));  // nothing keyed yet
    EXPECT_NE(error.find("no keys"), std::string::npos) << error;

    velora::Model* model = AddModel("Ramp");
    velora::AnimationNode* node = velora::EnsureLayerNode(model->TranslationProperty(), take->BaseLayer());
    const double a[3] = {0, 5, 0}, b[3] = {10, 5, 0};
    ASSERT_TRUE(node->KeyAdd(0, a, velora::kKeyLinear, 4u));  // X ramps, Y stays, Z has no keys
    ASSERT_TRUE(node->KeyAdd(kSecond, b, velora::kKeyLinear, 4u));
    ASSERT_TRUE(velora_app::DrawTakeCurves(take, path, &error, &chart, 640, 400)) << error;
    EXPECT_EQ(chart.curves, 2);
    EXPECT_EQ(chart.start, 0);
    EXPECT_EQ(chart.stop, kSecond);

    Pixels png(path);
    ASSERT_TRUE(png.Ok());
    ASSERT_EQ(png.Width(), 640);
    ASSERT_EQ(png.Height(), 400);
    int rgb[3];
    png.At(2, 2, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 3 * 255);  // white background
    png.At(static_cast<int>(chart.left), static_cast<int>((chart.top + chart.bottom) / 2), rgb);
    EXPECT_LT(rgb[0] + rgb[1] + rgb[2], 3 * 80);  // the value axis

    double ramp[3], flat[3];
    velora_app::CurveColor(0, ramp);
    velora_app::CurveColor(1, flat);
    // The ramp passes 2.5 at a quarter second and 7.5 at three quarters;
    // the flat curve stays at 5 and is not where the ramp is.
    for (double at : {0.25, 0.75}) {
        const double x = chart.X(static_cast<long long>(at * kSecond));
        EXPECT_TRUE(png.Near(x, chart.Y(10 * at), ramp, 2)) << at;
        EXPECT_FALSE(png.Near(x, chart.Y(10 * at), flat, 2)) << at;
        EXPECT_TRUE(png.Near(x, chart.Y(5), flat, 2)) << at;
        EXPECT_FALSE(png.Near(x, chart.Y(10 * at - 2), ramp, 3)) << at;
    }
    // The legend's swatches, one per curve, in the curves' colours.
    const double legendX = chart.right + 30;
    EXPECT_TRUE(png.Near(legendX, chart.top + 9, ramp, 1));
    EXPECT_TRUE(png.Near(legendX, chart.top + 27, flat, 1));

    EXPECT_FALSE(velora_app::DrawTakeCurves(take, "/nonexistent-dir/x.png", &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    std::remove(path.c_str());
}

}  // namespace
