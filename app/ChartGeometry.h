#pragma once

#include <cstdint>

namespace tavrin {

// Where the G-sensor chart puts things. The plot is rendered into a cached bitmap that is copied
// to the window at kPlotBitmapOrigin; every coordinate here is a bitmap coordinate.

struct TextExtent {
    int width = 0;
    int height = 0;
};

struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The cached plot sits this far into the window and leaves this much of the client area to the
// skin around it.
constexpr int kPlotBitmapX = 20;
constexpr int kPlotBitmapY = 7;
constexpr int kPlotBitmapWidthMargin = 45;
constexpr int kPlotBitmapHeightMargin = 18;

// The vertical scale is fixed: 0 G on the horizontal axis, this at the top grid line.
constexpr double kChartFullScale = 2.0;
constexpr int kGridLines = 5;

// The plot rectangle of a client area of `width` x `height`, leaving room on the left for a
// value label ("+0.00") and on the right for a speed label ("999"), both measured in the chart's
// font.
PlotRect plotRectFor(int width, int height, TextExtent valueText, TextExtent speedText);

// The cached bitmap's size for a client area; zero or negative when the window is too small to
// hold a plot.
TextExtent plotBitmapSizeFor(int width, int height);

// The curve's x for frame `frame` of `frameCount`: the left edge for a recording of one frame
// (or none).
int curveX(const PlotRect& plot, std::int32_t frame, std::int32_t frameCount);
// The marker's x for the current frame: the right edge for a recording of one frame (or none).
int markerX(const PlotRect& plot, std::int32_t frame, std::int32_t frameCount);
// The y of an acceleration magnitude in G, kept within the scale.
int magnitudeY(const PlotRect& plot, double magnitude);
// The y of grid line k (0 at the top, kGridLines - 1 on the horizontal axis).
int gridLineY(const PlotRect& plot, int k);

}  // namespace tavrin
