#include <gtest/gtest.h>

#include "app/ChartGeometry.h"

namespace tavrin {
namespace {

// A chart strip of 800 x 90 with labels measured as 35 x 13 ("+0.00") and 21 x 13 ("999").
PlotRect stripPlot() { return plotRectFor(800, 90, {35, 13}, {21, 13}); }

TEST(ChartGeometryTest, MarginsComeFromTheLabelExtents) {
    const PlotRect plot = stripPlot();
    EXPECT_EQ(plot.left, 45);
    EXPECT_EQ(plot.top, 13);
    EXPECT_EQ(plot.right, 724);
    EXPECT_EQ(plot.bottom, 54);

    const TextExtent bitmap = plotBitmapSizeFor(800, 90);
    EXPECT_EQ(bitmap.width, 755);
    EXPECT_EQ(bitmap.height, 72);
    // The plot rectangle lies inside the cached bitmap.
    EXPECT_LT(plot.right, bitmap.width);
    EXPECT_LT(plot.bottom, bitmap.height);
}

TEST(ChartGeometryTest, FramesSpreadOverThePlotWidthTruncating) {
    PlotRect plot;
    plot.left = 100;
    plot.right = 110;
    // Three intervals over ten pixels: 3.33 and 6.67 truncate.
    EXPECT_EQ(curveX(plot, 0, 4), 100);
    EXPECT_EQ(curveX(plot, 1, 4), 103);
    EXPECT_EQ(curveX(plot, 2, 4), 106);
    EXPECT_EQ(curveX(plot, 3, 4), 110);
    EXPECT_EQ(markerX(plot, 1, 4), 103);
    EXPECT_EQ(markerX(plot, 3, 4), 110);

    // A one-frame recording has its curve point on the left and its marker on the right.
    EXPECT_EQ(curveX(plot, 0, 1), 100);
    EXPECT_EQ(markerX(plot, 0, 1), 110);
    // No frames at all divides by nothing.
    EXPECT_EQ(curveX(plot, 0, 0), 100);
    EXPECT_EQ(markerX(plot, 0, 0), 110);
}

TEST(ChartGeometryTest, TheLastFrameOfALongRecordingOnAWidePlotDoesNotOverflow) {
    PlotRect plot;
    plot.left = 10;
    plot.right = 100010;
    // 100,000 x 29,999 is past 32 bits.
    EXPECT_EQ(curveX(plot, 29999, 30000), 100010);
    EXPECT_EQ(markerX(plot, 15000, 30001), 10 + 50000);
}

TEST(ChartGeometryTest, MagnitudesScaleFromTheAxisToTheTopGridLine) {
    const PlotRect plot = stripPlot();  // 41 pixels high
    EXPECT_EQ(magnitudeY(plot, 2.0), plot.top);
    EXPECT_EQ(magnitudeY(plot, 2.0), gridLineY(plot, 0));
    EXPECT_EQ(magnitudeY(plot, 0.0), plot.bottom);
    EXPECT_EQ(magnitudeY(plot, 0.0), gridLineY(plot, kGridLines - 1));
    EXPECT_EQ(magnitudeY(plot, 1.0), 13 + 20);  // 20.5 truncated
    EXPECT_EQ(magnitudeY(plot, 0.5), 13 + 30);  // 30.75 truncated
    EXPECT_EQ(magnitudeY(plot, 1.99), 13 + 0);  // 0.205 truncated
    // Out-of-scale values stay inside the plot.
    EXPECT_EQ(magnitudeY(plot, 13.86), plot.top);
    EXPECT_EQ(magnitudeY(plot, -0.5), plot.bottom);
}

TEST(ChartGeometryTest, GridLinesDivideThePlotHeightInFourTruncating) {
    const PlotRect plot = stripPlot();  // 41 pixels high
    EXPECT_EQ(gridLineY(plot, 0), 13);
    EXPECT_EQ(gridLineY(plot, 1), 13 + 10);  // 10.25
    EXPECT_EQ(gridLineY(plot, 2), 13 + 20);  // 20.5
    EXPECT_EQ(gridLineY(plot, 3), 13 + 30);  // 30.75
    EXPECT_EQ(gridLineY(plot, 4), 54);
}

}  // namespace
}  // namespace tavrin
