#include "app/ChartGeometry.h"

#include <algorithm>

namespace tavrin {
namespace {

constexpr int kValueLabelGap = 10;
constexpr int kTopMargin = 13;
constexpr int kSpeedLabelGap = 55;
constexpr int kBottomGap = 23;

// Position `frame` of `frameCount` along the plot width; the product comes first so the
// division truncates only once, and in 64 bits since a recording has up to 30,000 frames.
int alongWidth(const PlotRect& plot, std::int32_t frame, std::int32_t frameCount) {
    const std::int64_t span = static_cast<std::int64_t>(plot.right) - plot.left;
    return plot.left + static_cast<int>(span * frame / (frameCount - 1));
}

}  // namespace

PlotRect plotRectFor(int width, int height, TextExtent valueText, TextExtent speedText) {
    PlotRect plot;
    plot.left = valueText.width + kValueLabelGap;
    plot.top = kTopMargin;
    plot.right = width - speedText.width - kSpeedLabelGap;
    plot.bottom = height - valueText.height - kBottomGap;
    return plot;
}

TextExtent plotBitmapSizeFor(int width, int height) {
    return {width - kPlotBitmapWidthMargin, height - kPlotBitmapHeightMargin};
}

int curveX(const PlotRect& plot, std::int32_t frame, std::int32_t frameCount) {
    if (frameCount <= 1) return plot.left;
    return alongWidth(plot, frame, frameCount);
}

int markerX(const PlotRect& plot, std::int32_t frame, std::int32_t frameCount) {
    if (frameCount <= 1) return plot.right;
    return alongWidth(plot, frame, frameCount);
}

int magnitudeY(const PlotRect& plot, double magnitude) {
    // Magnitudes are limited to the full scale when they are read; the clamp keeps a stray value
    // from drawing outside the plot.
    const double m = std::clamp(magnitude, 0.0, kChartFullScale);
    const double height = static_cast<double>(plot.bottom) - plot.top;
    return plot.top + static_cast<int>(height * (kChartFullScale - m) / kChartFullScale);
}

int gridLineY(const PlotRect& plot, int k) {
    return plot.top + (k * (plot.bottom - plot.top)) / (kGridLines - 1);
}

}  // namespace tavrin
