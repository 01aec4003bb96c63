#ifndef VELORA_APP_CURVES_PNG_H
#define VELORA_APP_CURVES_PNG_H

// A picture of a take's curves: every member curve of every animation node
// of the take's layers, drawn over the take's span with time and value
// axes and a legend naming each curve ("<object> <property> <member>").

#include <string>

namespace velora {
class Take;
}

namespace velora_app {

/// Where the curves landed: the plot area in pixels and the time and value
/// ranges it spans (values grow upward).
struct CurveChart {
    double left = 0, top = 0, right = 0, bottom = 0;
    long long start = 0, stop = 0;
    double low = 0, high = 0;
    int curves = 0;

    double X(long long time) const;
    double Y(double value) const;
};

/// The colour of curve `index` of a chart, red green blue in [0, 1].
void CurveColor(int index, double rgb[3]);

/// Draws `take` into a PNG file of width × height pixels. False with
/// `error` set when the take has no keys or the file cannot be written.
bool DrawTakeCurves(const velora::Take* take, const std::string& path, std::string* error,
                    CurveChart* chart = nullptr, int width = 1200, int height = 700);

/// Frees the font caches drawing builds (once no drawing is left to do), so
/// that nothing the process still holds looks like a leak at exit.
void ReleaseDrawingCaches();

}  // namespace velora_app

#endif  // VELORA_APP_CURVES_PNG_H
