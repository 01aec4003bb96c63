// Drawing a take's curves with Cairo.

#include "curves_png.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include <velora/animation.h>
#include <velora/fcurve.h>
#include <velora/property.h>
#include <velora/take.h>

namespace velora_app {

namespace {

constexpr double kTicksPerSecond = 141120000.0;

struct Series {
    const velora::FCurve* curve;
    std::string label;
};

// About `count` round steps (1, 2 or 5 times a power of ten) over a span.
double NiceStep(double span, int count) {
    if (!(span > 0)) return 1;
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double unit = raw / power;
    return (unit < 1.5 ? 1 : unit < 3.5 ? 2 : unit < 7.5 ? 5 : 10) * power;
}

void Text(cairo_t* cr, double x, double y, const std::string& text, double alignX) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, x - e.width * alignX - e.x_bearing, y - e.height / 2 - e.y_bearing);
    cairo_show_text(cr, text.c_str());
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::fabs(v) < 1e-12 ? 0.0 : v);
    return text;
}

}  // namespace

double CurveChart::X(long long time) const {
    return stop > start ? left + (right - left) * static_cast<double>(time - start) / static_cast<double>(stop - start)
                        : left;
}

double CurveChart::Y(double value) const {
    return high > low ? bottom - (bottom - top) * (value - low) / (high - low) : (top + bottom) / 2;
}

void CurveColor(int index, double rgb[3]) {
    // Well-separated hues first, then the same hues darker.
    static const double kPalette[][3] = {{0.85, 0.10, 0.10}, {0.10, 0.55, 0.10}, {0.10, 0.25, 0.85},
                                         {0.90, 0.55, 0.00}, {0.55, 0.10, 0.70}, {0.00, 0.60, 0.65},
                                         {0.70, 0.50, 0.20}, {0.90, 0.20, 0.60}};
    constexpr int kCount = sizeof kPalette / sizeof kPalette[0];
    const double shade = index / kCount % 2 ? 0.6 : 1.0;
    for (int k = 0; k < 3; ++k) rgb[k] = kPalette[index % kCount][k] * shade;
}

bool DrawTakeCurves(const velora::Take* take, const std::string& path, std::string* error, CurveChart* out,
                    int width, int height) {
    std::string ignored;
    if (!error) error = &ignored;
    if (!take) {
        *error = "there is no take to draw";
        return false;
    }
    std::vector<velora::AnimationNode*> nodes;
    take->CollectNodes(&nodes);
    std::vector<Series> series;
    CurveChart chart;
    chart.start = std::numeric_limits<long long>::max();
    chart.stop = std::numeric_limits<long long>::min();
    chart.low = std::numeric_limits<double>::infinity();
    chart.high = -chart.low;
    for (const velora::AnimationNode* node : nodes) {
        const velora::Property* property = node->ConnectedProperty();
        const velora::Object* owner = property ? property->OwnerObject() : nullptr;
        for (int m = 0; m < node->Channels(); ++m) {
            const velora::FCurve* curve = node->Curve(m);
            if (!curve || curve->KeyCount() == 0) continue;
            std::string label = owner ? owner->Name() : "?";
            label += std::string(" ") + (property ? property->Name() : node->Name());
            if (node->Channels() > 1) label += std::string(" ") + "XYZW"[m];
            if (node->Layer() && node->Layer()->Index() > 0) label += std::string(" (") + node->Layer()->Name() + ")";
            series.push_back({curve, label});
            chart.start = std::min(chart.start, curve->KeyAt(0).time);
            chart.stop = std::max(chart.stop, curve->KeyAt(curve->KeyCount() - 1).time);
        }
    }
    if (series.empty()) {
        *error = std::string("take ") + take->Name() + " has no keys to draw";
        return false;
    }
    if (chart.stop <= chart.start) chart.stop = chart.start + static_cast<long long>(kTicksPerSecond);

    const int legendWidth = 280;
    chart.left = 70;
    chart.top = 40;
    chart.right = std::max(chart.left + 10, static_cast<double>(width - legendWidth - 20));
    chart.bottom = std::max(chart.top + 10, static_cast<double>(height - 50));
    const int columns = static_cast<int>(chart.right - chart.left) + 1;
    // Each curve sampled once per pixel column.
    std::vector<double> samples(series.size() * static_cast<std::size_t>(columns));
    for (std::size_t s = 0; s < series.size(); ++s)
        for (int c = 0; c < columns; ++c) {
            const long long t = chart.start + static_cast<long long>(static_cast<double>(chart.stop - chart.start) * c /
                                                                     (columns - 1));
            const double v = series[s].curve->Evaluate(t);
            samples[s * columns + c] = v;
            if (std::isfinite(v)) {
                chart.low = std::min(chart.low, v);
                chart.high = std::max(chart.high, v);
            }
        }
    if (!(chart.high > chart.low)) {
        chart.low -= 1;
        chart.high += 1;
    }
    const double pad = (chart.high - chart.low) * 0.05;
    chart.low -= pad;
    chart.high += pad;
    chart.curves = static_cast<int>(series.size());

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);

    // Grid and tick labels.
    const double seconds = (chart.stop - chart.start) / kTicksPerSecond;
    const double timeStep = NiceStep(seconds, 8);
    const double valueStep = NiceStep(chart.high - chart.low, 6);
    cairo_set_line_width(cr, 1);
    for (double s = std::ceil(chart.start / kTicksPerSecond / timeStep) * timeStep;
         s <= chart.stop / kTicksPerSecond + 1e-9; s += timeStep) {
        const double x = std::round(chart.X(static_cast<long long>(std::llround(s * kTicksPerSecond)))) + 0.5;
        cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
        cairo_move_to(cr, x, chart.top);
        cairo_line_to(cr, x, chart.bottom);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        Text(cr, x, chart.bottom + 14, Number(s), 0.5);
    }
    for (double v = std::ceil(chart.low / valueStep) * valueStep; v <= chart.high; v += valueStep) {
        const double y = std::round(chart.Y(v)) + 0.5;
        cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
        cairo_move_to(cr, chart.left, y);
        cairo_line_to(cr, chart.right, y);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        Text(cr, chart.left - 6, y, Number(v), 1.0);
    }
    // Axes.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, chart.left + 0.5, chart.top);
    cairo_line_to(cr, chart.left + 0.5, chart.bottom + 0.5);
    cairo_line_to(cr, chart.right, chart.bottom + 0.5);
    cairo_stroke(cr);
    Text(cr, (chart.left + chart.right) / 2, chart.bottom + 34, "time (s)", 0.5);
    Text(cr, chart.left, chart.top - 14, std::string("take ") + take->Name(), 0.0);

    // Curves, clipped to the plot area.
    cairo_save(cr);
    cairo_rectangle(cr, chart.left, chart.top, chart.right - chart.left, chart.bottom - chart.top);
    cairo_clip(cr);
    cairo_set_line_width(cr, 2);
    for (std::size_t s = 0; s < series.size(); ++s) {
        double rgb[3];
        CurveColor(static_cast<int>(s), rgb);
        cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
        for (int c = 0; c < columns; ++c) {
            const double y = chart.Y(samples[s * columns + c]);
            if (c == 0) cairo_move_to(cr, chart.left + c, y);
            else cairo_line_to(cr, chart.left + c, y);
        }
        cairo_stroke(cr);
    }
    cairo_restore(cr);

    // Legend: a swatch and a name per curve, as many as fit.
    const double legendX = chart.right + 20;
    const int rows = std::max(1, static_cast<int>((chart.bottom - chart.top) / 18));
    const int shown = static_cast<int>(series.size()) > rows ? rows - 1 : static_cast<int>(series.size());
    for (int s = 0; s < shown; ++s) {
        const double y = chart.top + 9 + 18 * s;
        double rgb[3];
        CurveColor(s, rgb);
        cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
        cairo_rectangle(cr, legendX, y - 5, 20, 10);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        Text(cr, legendX + 28, y, series[static_cast<std::size_t>(s)].label, 0.0);
    }
    if (shown < static_cast<int>(series.size()))
        Text(cr, legendX, chart.top + 9 + 18 * shown,
             "... and " + std::to_string(series.size() - static_cast<std::size_t>(shown)) + " more", 0.0);

    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        *error = "cannot write " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    if (out) *out = chart;
    return true;
}

void ReleaseDrawingCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace velora_app
