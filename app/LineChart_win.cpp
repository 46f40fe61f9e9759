#include "app/LineChart_win.h"

#include <iterator>

#include "ui/DrawingContext_win.h"
#include "media/VideoPlayer_win.h"
#include "recording/FrameInfo.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr int kBackLeftImage = 359;
constexpr int kBackFillImage = 360;
constexpr int kBackRightImage = 361;

constexpr COLORREF kPlotColour = RGB(0, 0, 0);
constexpr COLORREF kGridColour = RGB(128, 128, 128);
constexpr COLORREF kCurveColour = RGB(255, 165, 0);
constexpr COLORREF kMarkerColour = RGB(255, 255, 0);
constexpr int kCurvePenWidth = 2;
constexpr int kMarkerPenWidth = 2;

// The label texts whose extents set the plot margins; the chart itself draws no text.
constexpr wchar_t kValueLabel[] = L"+0.00";
constexpr wchar_t kSpeedLabel[] = L"999";
constexpr int kFontHeight = 13;
constexpr wchar_t kFontFace[] = L"ＭＳ ゴシック";

GdiObject<HPEN> makePen(int style, int width, COLORREF colour) {
    GdiObject<HPEN> pen(CreatePen(style, width, colour));
    if (!pen) throw describeError(GetLastError());
    return pen;
}

void drawLine(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

TextExtent measure(HDC dc, const wchar_t* text, int length) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    return {size.cx, size.cy};
}

}  // namespace

LineChart::LineChart(HWND parent, const VideoPlayer& player)
    : player_(player),
      plotBrush_(CreateSolidBrush(kPlotColour)),
      measureFont_(CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                               OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FF_MODERN | DEFAULT_PITCH, kFontFace)),
      backLeft_(kBackLeftImage),
      backFill_(kBackFillImage),
      backRight_(kBackRightImage) {
    if (!plotBrush_) throw describeError(GetLastError());
    create(sharedChildParams(parent, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, WS_EX_CONTROLPARENT));
    // The window's first WM_SIZE went by before it was routed here, so the margins are set now.
    measureLabels();
    RECT client;
    GetClientRect(hwnd, &client);
    layOut(client.right, client.bottom);
}

// The cached bitmap goes with its holder; it is never selected outside a drawing call.
LineChart::~LineChart() = default;

LRESULT LineChart::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            layOut(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc) draw(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            paintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_LBUTTONDOWN:
        case WM_COMMAND:
            return 0;
        default:
            return Window::handleMessage(message, wParam, lParam);
    }
}

void LineChart::measureLabels() {
    WindowDc dc(hwnd);
    if (!dc.get()) return;
    Selection font(dc.get(), measureFont_.get());
    valueTextSize_ = measure(dc.get(), kValueLabel, static_cast<int>(std::size(kValueLabel)) - 1);
    speedTextSize_ = measure(dc.get(), kSpeedLabel, static_cast<int>(std::size(kSpeedLabel)) - 1);
}

void LineChart::layOut(int width, int height) {
    plot_ = plotRectFor(width, height, valueTextSize_, speedTextSize_);
    // The next paint renders the plot at the new size; the resize repaints the whole window.
    plotBitmap_.reset();
}

void LineChart::discardPlot() {
    if (!plotBitmap_) return;
    plotBitmap_.reset();
    // A disabled chart is left out of the layout and does not repaint, but it drops the old
    // recording's curve all the same, so it cannot show it when it comes back.
    if (!isEnabled()) return;
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

void LineChart::drawOnWindow() {
    if (!isEnabled()) return;
    WindowDc dc(hwnd);
    if (dc.get()) draw(dc.get());
}

void LineChart::draw(HDC dc) {
    if (!plotBitmap_) {
        RECT client;
        GetClientRect(hwnd, &client);
        const TextExtent size = plotBitmapSizeFor(client.right, client.bottom);
        // Too small a window holds no plot; the next resize brings one.
        if (size.width <= 0 || size.height <= 0) return;
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, size.width, size.height));
        MemoryDc memory(dc);
        if (!bitmap || !memory.get()) return;
        {
            Selection selected(memory.get(), bitmap.get());
            RECT whole = {0, 0, size.width, size.height};
            FillRect(memory.get(), &whole, plotBrush_.get());
            renderPlot(memory.get());
        }
        plotBitmap_ = std::move(bitmap);
        plotBitmapSize_ = size;
    }
    MemoryDc memory(dc);
    if (!memory.get()) return;
    {
        Selection selected(memory.get(), plotBitmap_.get());
        BitBlt(dc, kPlotBitmapX, kPlotBitmapY, plotBitmapSize_.width, plotBitmapSize_.height,
               memory.get(), 0, 0, SRCCOPY);
    }
    drawMarker(dc);
}

void LineChart::renderPlot(HDC dc) const {
    // The grid's dots leave the black plot showing between them.
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    {
        GdiObject<HPEN> gridPen = makePen(PS_DOT, 1, kGridColour);
        Selection pen(dc, gridPen.get());
        for (int k = 0; k < kGridLines; ++k) {
            const int y = gridLineY(plot_, k);
            drawLine(dc, plot_.left, y, plot_.right, y);
        }
    }
    {
        Selection pen(dc, GetStockObject(WHITE_PEN));
        drawLine(dc, plot_.left, plot_.top, plot_.left, plot_.bottom);
        drawLine(dc, plot_.left, plot_.bottom, plot_.right, plot_.bottom);
    }
    drawCurve(dc);
    SetBkMode(dc, previousMode);
}

void LineChart::drawCurve(HDC dc) const {
    const VideoInfo07* info = player_.frameInfo();
    if (!info) return;
    const std::int32_t count = info->frameCount();
    std::int32_t first = 0;
    while (first < count && !info->frameAt(first)) ++first;
    if (first >= count) return;

    GdiObject<HPEN> curvePen = makePen(PS_SOLID, kCurvePenWidth, kCurveColour);
    Selection pen(dc, curvePen.get());
    MoveToEx(dc, plot_.left, magnitudeY(plot_, info->frameAt(first)->accelerationMagnitude),
             nullptr);
    // Slots without a record are skipped, so the line joins across them.
    for (std::int32_t j = first; j < count; ++j) {
        const FrameInfo* record = info->frameAt(j);
        if (!record) continue;
        LineTo(dc, curveX(plot_, j, count), magnitudeY(plot_, record->accelerationMagnitude));
    }
}

void LineChart::drawMarker(HDC dc) const {
    const VideoInfo07* info = player_.frameInfo();
    if (!info) return;
    const std::int32_t count = info->frameCount();
    if (count <= 0) return;
    const int x = markerX(plot_, player_.currentFrame(), count) + kPlotBitmapX;
    GdiObject<HPEN> markerPen = makePen(PS_SOLID, kMarkerPenWidth, kMarkerColour);
    Selection pen(dc, markerPen.get());
    drawLine(dc, x, plot_.top + kPlotBitmapY, x, plot_.bottom + kPlotBitmapY - 1);
}

void LineChart::paintBackground(HDC dc) const {
    RECT client;
    GetClientRect(hwnd, &client);
    if (!backLeft_.image() || !backFill_.image() || !backRight_.image()) {
        FillRect(dc, &client, plotBrush_.get());
        return;
    }
    const int fillLeft = backLeft_.width();
    const int fillRight = client.right - backRight_.width();
    if (fillRight > fillLeft)
        backFill_.drawScaled(dc, fillLeft, 0, fillRight - fillLeft, backFill_.height());
    backRight_.drawAt(dc, fillRight, 0);
    backLeft_.drawAt(dc, 0, 0);
}

}  // namespace tavrin
