#include "ui/ImageTrackBar_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "ui/DrawingContext_win.h"
#include "ui/ImageButtonSkin_win.h"
#include "ui/TrackToolTip_win.h"

namespace tavrin {
namespace {

constexpr UINT_PTR kDragTimer = 0;
constexpr UINT kDragMs = 100;
// The value tip floats this far above the slider.
constexpr int kTipRise = 20;

// A memory bitmap the size of the client to paint into and copy to the window in one go, so the
// thumb does not flicker over the track. Not valid() when the system has no memory context to
// give; the caller then paints directly.
class OffscreenCanvas {
public:
    OffscreenCanvas(HDC target, int width, int height) {
        dc_ = CreateCompatibleDC(target);
        if (!dc_) return;
        bitmap_ = CreateCompatibleBitmap(target, width, height);
        if (!bitmap_) {
            DeleteDC(dc_);
            dc_ = nullptr;
            return;
        }
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~OffscreenCanvas() {
        if (!dc_) return;
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    bool valid() const { return dc_ != nullptr; }
    HDC dc() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace

ImageTrackBar::ImageTrackBar(HWND parent, int x, int y, int width, int height) {
    create(sharedChildParams(parent, WS_CHILD | WS_VISIBLE, x, y, width, height));
}

void ImageTrackBar::setImages(int thumbId, int trackId, int fillId) {
    setPictures(std::make_unique<AlphaImage>(thumbId), std::make_unique<AlphaImage>(trackId),
                loadSkinPicture(fillId));
}

void ImageTrackBar::setPictures(std::unique_ptr<AlphaImage> thumb,
                                std::unique_ptr<AlphaImage> track,
                                std::unique_ptr<AlphaImage> fill) {
    thumbImage = std::move(thumb);
    trackImage = std::move(track);
    fillImage = std::move(fill);
    // The thumb's width decides where each value sits.
    thumbPos_ = valueToPixel(value_);
    repaint(true);
}

bool ImageTrackBar::hasPictures() const { return loaded(thumbImage) && loaded(trackImage); }

TrackGeometry ImageTrackBar::geometry() const {
    RECT client = {};
    GetClientRect(hwnd, &client);
    TrackGeometry g;
    g.minimum = minimum_;
    g.maximum = maximum_;
    g.clientWidth = client.right;
    g.thumbWidth = loaded(thumbImage) ? thumbImage->width() : 0;
    g.hasPictures = hasPictures();
    return g;
}

std::int32_t ImageTrackBar::valueToPixel(std::int32_t v) const {
    return geometry().valueToPixel(v);
}

void ImageTrackBar::setValue(std::int32_t v, bool notify) {
    const TrackGeometry g = geometry();
    v = g.clamp(v);
    const std::int32_t pixel = g.valueToPixel(v);
    if (pixel != thumbPos_) {
        thumbPos_ = pixel;
        repaint(false);
    }
    if (v != value_) {
        value_ = v;
        if (notify) notifyChanged();
    }
}

void ImageTrackBar::setValueFromPixel(int x, bool notify) {
    if (!hasPictures()) return;
    setValue(geometry().valueFromPixel(x), notify);
}

void ImageTrackBar::setRange(std::int32_t min, std::int32_t max) {
    minimum_ = min;
    maximum_ = max < min ? min : max;
    // Also when the value stays inside: the same value may sit elsewhere on the new range.
    setValue(value_, false);
}

void ImageTrackBar::attachToolTip(TrackToolTip* tip, TrackValueFormatter formatter) {
    toolTip_ = tip;
    formatter_ = formatter;
    if (toolTip_) toolTip_->addTrackingTool(hwnd, tooltipText());
}

std::wstring ImageTrackBar::tooltipText() const {
    return formatter_ ? formatter_(value_) : std::to_wstring(value_);
}

void ImageTrackBar::repaint(bool erase) {
    InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE);
    UpdateWindow(hwnd);
}

void ImageTrackBar::notifyChanged() {
    if (listener) listener->onTrackBarChanged(this);
}

LRESULT ImageTrackBar::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        thumbPos_ = valueToPixel(value_);
        repaint(true);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paintInfo;
        if (HDC dc = BeginPaint(hwnd, &paintInfo)) {
            RECT client;
            GetClientRect(hwnd, &client);
            OffscreenCanvas canvas(dc, client.right, client.bottom);
            if (canvas.valid()) {
                paint(canvas.dc(), client.right, client.bottom);
                BitBlt(dc, 0, 0, client.right, client.bottom, canvas.dc(), 0, 0, SRCCOPY);
            } else {
                paint(dc, client.right, client.bottom);
            }
            EndPaint(hwnd, &paintInfo);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        // With a track the painting covers everything; erasing first would only flicker.
        if (loaded(trackImage)) return 0;
        {
            fillClient(hwnd, reinterpret_cast<HDC>(wParam), buttonFaceBrush());
        }
        return 1;
    case WM_GETDLGCODE: {
        const MSG* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && (pending->message == WM_KEYDOWN || pending->message == WM_CHAR)) return 0;
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    }
    case WM_LBUTTONDOWN:
        beginTrack(GET_X_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == hwnd) dragTo(GET_X_LPARAM(lParam));
        return 0;
    case WM_TIMER:
        if (wParam != kDragTimer) return 0;
        if (GetCapture() == hwnd && isEnabled())
            notifyChanged();
        else
            KillTimer(hwnd, kDragTimer);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) endTrack(GET_X_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        if (tracking_) abandonTrack();
        return 0;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void ImageTrackBar::beginTrack(int x) {
    // The system gives a disabled window no input; a made-up message must not move it either.
    if (!isEnabled()) return;
    const TrackGeometry g = geometry();
    if (!g.isOnThumb(x, thumbPos_)) setValueFromPixel(x + g.thumbWidth / 2, false);
    tracking_ = true;
    if (listener) {
        listener->onTrackBarBeginTrack(this);
        listener->onTrackBarChanged(this);
    }
    SetCapture(hwnd);
    SetTimer(hwnd, kDragTimer, kDragMs, nullptr);
    if (toolTip_) toolTip_->activateTracking(hwnd, tooltipText());
}

void ImageTrackBar::dragTo(int x) {
    const TrackGeometry g = geometry();
    setValueFromPixel(x + g.thumbWidth / 2, false);
    if (!toolTip_) return;
    RECT window;
    GetWindowRect(hwnd, &window);
    LONG tipX = window.left + x + g.thumbWidth / 2;
    if (tipX < window.left) tipX = window.left;
    if (tipX > window.right) tipX = window.right;
    SendMessageW(toolTip_->hwnd, TTM_TRACKPOSITION, 0, MAKELPARAM(tipX, window.top - kTipRise));
    toolTip_->updateText(hwnd, tooltipText());
}

void ImageTrackBar::endTrack(int x) {
    // Cleared first: releasing the capture below is not a drag cut off.
    tracking_ = false;
    KillTimer(hwnd, kDragTimer);
    ReleaseCapture();
    setValueFromPixel(x + geometry().thumbWidth / 2, true);
    if (toolTip_) toolTip_->deactivateTracking(hwnd);
    if (listener) {
        listener->onTrackBarChanged(this);
        listener->onTrackBarEndTrack(this);
    }
}

void ImageTrackBar::abandonTrack() {
    // Another window took the mouse mid-drag (a message box, a switch of application): the drag
    // ends where the thumb stands, so the owner does not wait for a release that never comes.
    tracking_ = false;
    KillTimer(hwnd, kDragTimer);
    if (toolTip_) toolTip_->deactivateTracking(hwnd);
    if (listener) {
        listener->onTrackBarChanged(this);
        listener->onTrackBarEndTrack(this);
    }
}

void ImageTrackBar::paint(HDC dc, int width, int height) {
    RECT client = {0, 0, width, height};
    FillRect(dc, &client, buttonFaceBrush());
    if (!hasPictures()) return;
    if (threeSlice)
        drawTrack(dc, width, height);
    else
        trackImage->drawAt(dc, 0, 0);
    thumbImage->drawAt(dc, thumbPos_, 0);
    if (GetFocus() == hwnd) {
        RECT focus = {1, 1, width - 1, height - 1};
        DrawFocusRect(dc, &focus);
    }
}

void ImageTrackBar::drawTrack(HDC dc, int width, int /*height*/) {
    std::array<TrackPiece, 4> pieces;
    if (!threeSliceTrack(thumbImage->width(), trackImage->width(), width, thumbPos_, pieces))
        return;
    const AlphaImage& fill = loaded(fillImage) ? *fillImage : *trackImage;
    const int pictureHeight = trackImage->height();
    for (const TrackPiece& piece : pieces) {
        // A stretch to a negative width would mirror the picture.
        if (piece.destinationWidth <= 0 || piece.sourceWidth <= 0) continue;
        const AlphaImage& picture = piece.source == TrackPiece::kFill ? fill : *trackImage;
        picture.draw(dc, piece.destinationX, 0, piece.destinationWidth, pictureHeight,
                     piece.sourceX, piece.sourceWidth, pictureHeight);
    }
}

}  // namespace tavrin
