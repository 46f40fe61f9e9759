#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/ChartGeometry.h"
#include "app/LineChart_win.h"
#include "recording/FrameInfo.h"
#include "tests/win/ChartFixtures.h"

namespace tavrin {
namespace {

using test::ChartCard;
using test::ChartHost;
using test::pumpFor;
using test::pumpUntil;
using test::WindowPixels;

constexpr COLORREF kCurve = RGB(255, 165, 0);
constexpr COLORREF kMarker = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(128, 128, 128);
constexpr int kChartWidth = 800;
constexpr int kChartHeight = 90;

class LineChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new ChartHost;
        hostWindow_ = host_->hwnd;
        chart_ = addChart(400);
        // Like the main window: a new recording drops the plot, every refresh draws the marker.
        host_->onDiscardPlot = [this] { chart_->discardPlot(); };
        host_->onRefresh = [this] { chart_->drawOnWindow(); };
    }
    void TearDown() override {
        if (IsWindow(hostWindow_)) DestroyWindow(hostWindow_);
        pumpFor(20);
    }

    LineChart* addChart(int y) {
        auto* chart = new LineChart(hostWindow_, player());
        MoveWindow(chart->hwnd, 0, y, kChartWidth, kChartHeight, TRUE);
        UpdateWindow(chart->hwnd);
        return chart;
    }

    VideoPlayer& player() { return *host_->player; }

    void open(std::int32_t index) {
        ASSERT_EQ(player().loadFolderList(ChartCard::get().firstArchive()), 0);
        ASSERT_TRUE(player().openRecording(index));
        // The panels need only the frame records, which are there once the open returns; the
        // first picture is let in so the player is settled, but it is not needed.
        pumpUntil([&] { return player().frameShown(); }, 1000);
        UpdateWindow(chart_->hwnd);
    }

    // Plot coordinates to window coordinates.
    static int windowX(int x) { return x + kPlotBitmapX; }
    static int windowY(int y) { return y + kPlotBitmapY; }

    // The columns where the marker shows, looked for halfway down the plot.
    std::vector<int> markerColumns(const WindowPixels& pixels) const {
        const PlotRect& plot = chart_->plotRect();
        const int y = windowY((plot.top + plot.bottom) / 2);
        std::vector<int> columns;
        for (int x = 0; x < pixels.width(); ++x)
            if (pixels.at(x, y) == kMarker) columns.push_back(x);
        return columns;
    }

    void expectMarkerAt(int x) {
        const std::vector<int> columns = markerColumns(WindowPixels(chart_->hwnd));
        ASSERT_FALSE(columns.empty()) << "marker expected at " << x;
        for (int column : columns) {
            EXPECT_GE(column, x - 1);
            EXPECT_LE(column, x + 1);
        }
    }

    ChartHost* host_ = nullptr;
    HWND hostWindow_ = nullptr;
    LineChart* chart_ = nullptr;
};

TEST_F(LineChartTest, WithNothingOpenOnlyTheGridAndAxesShow) {
    const PlotRect plot = chart_->plotRect();
    // Margins measured in the chart's font leave a plot most of the strip wide.
    EXPECT_GT(plot.left, 10);
    EXPECT_LT(plot.right, kChartWidth - 55);
    EXPECT_GT(plot.right - plot.left, kChartWidth / 2);
    EXPECT_EQ(plot.top, 13);
    EXPECT_GT(plot.bottom, plot.top + 20);

    InvalidateRect(chart_->hwnd, nullptr, TRUE);
    UpdateWindow(chart_->hwnd);
    const WindowPixels pixels(chart_->hwnd);
    EXPECT_TRUE(chart_->hasCachedPlot());

    // The axes are solid white.
    int leftAxis = 0;
    for (int y = plot.top; y < plot.bottom; ++y)
        leftAxis += pixels.at(windowX(plot.left), windowY(y)) == kWhite;
    EXPECT_EQ(leftAxis, plot.bottom - plot.top);
    int bottomAxis = 0;
    for (int x = plot.left; x < plot.right; ++x)
        bottomAxis += pixels.at(windowX(x), windowY(plot.bottom)) == kWhite;
    EXPECT_EQ(bottomAxis, plot.right - plot.left);

    // The grid lines are grey dots on the black plot.
    for (int k = 0; k < kGridLines - 1; ++k) {
        const int y = windowY(gridLineY(plot, k));
        int grey = 0;
        int black = 0;
        for (int x = windowX(plot.left + 1); x < windowX(plot.right); ++x) {
            grey += pixels.at(x, y) == kGrid;
            black += pixels.at(x, y) == RGB(0, 0, 0);
        }
        EXPECT_GT(grey, (plot.right - plot.left) / 4) << "grid line " << k;
        EXPECT_EQ(grey + black, plot.right - plot.left - 1) << "grid line " << k;
    }

    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            ASSERT_NE(pixels.at(x, y), kCurve) << x << "," << y;
            ASSERT_NE(pixels.at(x, y), kMarker) << x << "," << y;
        }
}

TEST_F(LineChartTest, TheCurveSpansTheRecordingAndPeaksAtItsStrongestFrame) {
    open(0);
    const PlotRect plot = chart_->plotRect();
    const WindowPixels pixels(chart_->hwnd);

    // One unbroken line from the left axis to the right edge of the plot, and nothing beyond.
    int gaps = 0;
    for (int x = windowX(plot.left) + 2; x <= windowX(plot.right) - 1; ++x)
        gaps += !pixels.columnHas(x, windowY(plot.top) - 1, windowY(plot.bottom) + 1, kCurve);
    EXPECT_EQ(gaps, 0);
    for (int x = windowX(plot.right) + 2; x < pixels.width(); ++x)
        ASSERT_EQ(pixels.topmostIn(x, kCurve), -1) << x;
    for (int x = 0; x < windowX(plot.left) - 1; ++x)
        ASSERT_EQ(pixels.topmostIn(x, kCurve), -1) << x;

    // The highest point of the line is the strongest frame of the recording, the knock the
    // card's event marks.
    const VideoInfo07& info = *player().frameInfo();
    const std::int32_t count = info.frameCount();
    std::int32_t strongest = 0;
    for (std::int32_t j = 0; j < count; ++j) {
        if (info.frameAt(j) &&
            info.frameAt(j)->accelerationMagnitude > info.frameAt(strongest)->accelerationMagnitude)
            strongest = j;
    }
    const std::int32_t event = info.nextMarkedFrame(0);
    ASSERT_GE(event, 0);
    EXPECT_GE(strongest, event);
    EXPECT_LE(strongest, event + 5);

    int peakX = -1;
    int peakY = pixels.height();
    for (int x = windowX(plot.left) + 2; x <= windowX(plot.right); ++x) {
        const int y = pixels.topmostIn(x, kCurve);
        if (y >= 0 && y < peakY) {
            peakY = y;
            peakX = x;
        }
    }
    const double peak = info.frameAt(strongest)->accelerationMagnitude;
    EXPECT_GT(peak, 1.0);
    EXPECT_NEAR(peakX, windowX(curveX(plot, strongest, count)), 2);
    EXPECT_NEAR(peakY, windowY(magnitudeY(plot, peak)), 2);
    // Away from the knock the car drives gently: the line stays below 1 G.
    const int quietX = windowX(curveX(plot, event / 2, count));
    EXPECT_GT(pixels.topmostIn(quietX, kCurve), windowY(gridLineY(plot, 2)));
}

TEST_F(LineChartTest, TheMarkerFollowsTheCurrentFrameAcrossThePlot) {
    open(0);
    const PlotRect plot = chart_->plotRect();
    const std::int32_t count = player().frameCount();
    ASSERT_EQ(count, ChartCard::kFrames);

    // Frame 0 sits on the left axis.
    expectMarkerAt(windowX(plot.left));
    // The player's refresh after a seek moves it; the old one is gone.
    player().seek(100);
    expectMarkerAt(windowX(plot.left + (plot.right - plot.left) * 100 / (count - 1)));
    player().seek(count - 1);
    expectMarkerAt(windowX(plot.right));

    // The marker spans the plot's height but never the cached plot itself.
    const WindowPixels pixels(chart_->hwnd);
    const int x = windowX(plot.right);
    EXPECT_TRUE(pixels.columnHas(x, windowY(plot.top), windowY(plot.top) + 1, kMarker));
    EXPECT_TRUE(pixels.columnHas(x, windowY(plot.bottom) - 2, windowY(plot.bottom) - 1, kMarker));

    // Closed, the chart goes back to an empty plot without a marker.
    player().close();
    chart_->discardPlot();
    const WindowPixels closed(chart_->hwnd);
    EXPECT_TRUE(markerColumns(closed).empty());
    for (int column = 0; column < closed.width(); ++column)
        ASSERT_EQ(closed.topmostIn(column, kCurve), -1) << column;
}

TEST_F(LineChartTest, TheCachedPlotStaysUntilDiscardedAndIsThenRenderedForTheNewRecording) {
    host_->onDiscardPlot = nullptr;
    open(0);
    const WindowPixels first(chart_->hwnd);

    // Another recording: without a discard the chart keeps copying the old plot back.
    open(1);
    chart_->drawOnWindow();
    EXPECT_TRUE(WindowPixels(chart_->hwnd).sameAs(first));

    chart_->discardPlot();
    EXPECT_TRUE(chart_->hasCachedPlot()) << "rendered again at once";
    const WindowPixels second(chart_->hwnd);
    EXPECT_FALSE(second.sameAs(first));
    // Exactly what a new chart draws for that recording.
    LineChart* fresh = addChart(500);
    EXPECT_TRUE(WindowPixels(fresh->hwnd).sameAs(second));
}

TEST_F(LineChartTest, AResizeDropsThePlotAndTheNextPaintFitsTheNewWidth) {
    open(0);
    const int oldRight = chart_->plotRect().right;
    ASSERT_TRUE(chart_->hasCachedPlot());

    MoveWindow(chart_->hwnd, 0, 400, kChartWidth - 200, kChartHeight, TRUE);
    EXPECT_FALSE(chart_->hasCachedPlot());
    const PlotRect plot = chart_->plotRect();
    EXPECT_EQ(plot.right, oldRight - 200);

    UpdateWindow(chart_->hwnd);
    EXPECT_TRUE(chart_->hasCachedPlot());
    const WindowPixels pixels(chart_->hwnd);
    EXPECT_TRUE(pixels.columnHas(windowX(plot.right) - 2, windowY(plot.top) - 1,
                                 windowY(plot.bottom) + 1, kCurve));
    for (int x = windowX(plot.right) + 2; x < pixels.width(); ++x)
        ASSERT_EQ(pixels.topmostIn(x, kCurve), -1) << x;
}

TEST_F(LineChartTest, ADisabledChartDrawsNothingButDropsTheOldRecordingsPlot) {
    open(0);
    player().seek(50);
    const WindowPixels before(chart_->hwnd);
    ASSERT_FALSE(markerColumns(before).empty());

    // Left out of the layout: neither the marker nor a new recording reach the window.
    EnableWindow(chart_->hwnd, FALSE);
    player().seek(120);
    EXPECT_TRUE(WindowPixels(chart_->hwnd).sameAs(before));
    open(1);
    EXPECT_TRUE(WindowPixels(chart_->hwnd).sameAs(before));
    EXPECT_FALSE(chart_->hasCachedPlot());

    // Back in the layout it shows the recording that is open, not the one it last drew.
    chart_->setEnabled(true);
    const WindowPixels after(chart_->hwnd);
    LineChart* fresh = addChart(500);
    EXPECT_TRUE(WindowPixels(fresh->hwnd).sameAs(after));
    EXPECT_FALSE(after.sameAs(before));
}

}  // namespace
}  // namespace tavrin
