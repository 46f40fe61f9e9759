#pragma once

#include <windows.h>

#include "app/ChartGeometry.h"
#include "media/AlphaImage_win.h"
#include "ui/GdiObject_win.h"
#include "ui/Window_win.h"

namespace tavrin {

class VideoPlayer;

// The strip under the picture that plots the acceleration magnitude of every frame of the open
// recording as one line, with a marker at the frame the player shows. The plot is rendered once
// into a cached bitmap; a frame change only copies the cache back and draws the marker over it,
// which also wipes the previous marker.
//
// Create with new; the window owns the object. Its parent lays it out and tells it when the
// recording changes (discardPlot) and when the frame changes (drawOnWindow).
class LineChart : public Window {
public:
    LineChart(HWND parent, const VideoPlayer& player);
    ~LineChart() override;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The recording changed: the cached plot goes, and an enabled chart renders a new one at
    // once.
    void discardPlot();
    // Copies the cached plot and the marker to the window; nothing while the chart is disabled.
    void drawOnWindow();
    // Renders the plot when none is cached, copies it to `dc` and draws the marker over it.
    void draw(HDC dc);

    // The plot rectangle inside the cached bitmap, and whether a plot is cached.
    const PlotRect& plotRect() const { return plot_; }
    bool hasCachedPlot() const { return plotBitmap_ != nullptr; }

private:
    void measureLabels();
    void layOut(int width, int height);
    void renderPlot(HDC dc) const;
    void drawCurve(HDC dc) const;
    void drawMarker(HDC dc) const;
    void paintBackground(HDC dc) const;

    const VideoPlayer& player_;
    GdiObject<HBRUSH> plotBrush_;
    FontObject measureFont_;
    GdiObject<HBITMAP> plotBitmap_;
    TextExtent plotBitmapSize_;
    PlotRect plot_;
    TextExtent valueTextSize_;
    TextExtent speedTextSize_;
    AlphaImage backLeft_;
    AlphaImage backFill_;
    AlphaImage backRight_;
};

}  // namespace tavrin
