#include "ui/ImageButton_win.h"

#include "ui/DrawingContext_win.h"
#include "ui/ImageButtonSkin_win.h"

namespace tavrin {
namespace {

constexpr UINT_PTR kRepeatTimer = 0;
constexpr UINT kRepeatMs = 100;

// A key message for any key but Enter.
bool isOtherKeyMessage(const MSG* message) {
    return message && (message->message == WM_KEYDOWN || message->message == WM_CHAR) &&
           message->wParam != VK_RETURN;
}

}  // namespace

ImageButton::ImageButton(HWND parent, int x, int y, int width, int height) {
    create(sharedChildParams(parent, WS_CHILD | WS_VISIBLE, x, y, width, height));
}

void ImageButton::setImages(int normalId, int pressedId, int disabledId) {
    setPictures(loadSkinPicture(normalId), loadSkinPicture(pressedId),
                loadSkinPicture(disabledId));
}

void ImageButton::setPictures(std::unique_ptr<AlphaImage> normal,
                              std::unique_ptr<AlphaImage> pressed,
                              std::unique_ptr<AlphaImage> disabled) {
    normalImage = std::move(normal);
    pressedImage = std::move(pressed);
    disabledImage = std::move(disabled);
    repaintNow();
}

void ImageButton::repaintNow() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT ImageButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paintInfo;
        if (HDC dc = BeginPaint(hwnd, &paintInfo)) {
            paint(dc);
            EndPaint(hwnd, &paintInfo);
        }
        return 0;
    }
    case WM_ERASEBKGND: {
        fillClient(hwnd, reinterpret_cast<HDC>(wParam), buttonFaceBrush());
        return 1;
    }
    case WM_SETCURSOR:
        if (cursor) SetCursor(cursor);
        return 0;
    case WM_GETDLGCODE:
        // Keys other than Enter stay with the dialog manager (Tab moves on); Enter is ours.
        if (isOtherKeyMessage(reinterpret_cast<const MSG*>(lParam))) return 0;
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        // The key's auto-repeat must not press again while the button is already down.
        if (wParam == VK_RETURN && GetCapture() != hwnd) press();
        return 0;
    case WM_LBUTTONDOWN:
        press();
        return 0;
    case WM_TIMER:
        if (wParam != kRepeatTimer) return 0;
        if (GetCapture() == hwnd && isEnabled())
            notifyPressed();
        else
            KillTimer(hwnd, kRepeatTimer);
        return 0;
    case WM_CAPTURECHANGED:
        KillTimer(hwnd, kRepeatTimer);
        return 0;
    case WM_LBUTTONUP: {
        KillTimer(hwnd, kRepeatTimer);
        releaseOwnCapture();
        if (framed || loaded(pressedImage)) repaintNow();
        // Unsigned on purpose: a release left of or above the button wraps to a large value and
        // so lies outside like any other.
        const unsigned x = LOWORD(lParam);
        const unsigned y = HIWORD(lParam);
        RECT client;
        GetClientRect(hwnd, &client);
        if (x < static_cast<unsigned>(client.right) && y < static_cast<unsigned>(client.bottom))
            notifyClicked();
        return 0;
    }
    case WM_KEYUP:
        if (wParam == VK_RETURN) {
            releaseOwnCapture();
            repaintNow();
            notifyClicked();
        }
        return 0;
    case WM_CHAR:
        return 0;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void ImageButton::press() {
    // The system gives a disabled window no input; a message made up by someone else must not
    // press it either.
    if (!isEnabled()) return;
    SetCapture(hwnd);
    if (framed || loaded(pressedImage)) repaintNow();
    notifyPressed();
    SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
}

void ImageButton::releaseOwnCapture() {
    // Another window of this thread may be holding the mouse (a slider being dragged).
    if (GetCapture() == hwnd) ReleaseCapture();
}

void ImageButton::notifyPressed() {
    if (listener) listener->onButtonPressed(this);
}

void ImageButton::notifyClicked() {
    if (listener && isEnabled()) listener->onButtonClicked(this);
}

void ImageButton::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    const bool pressed = isPressed();
    if (framed) DrawEdge(dc, &client, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (!loaded(normalImage)) return;

    const AlphaImage* picture =
        !isEnabled() && loaded(disabledImage) ? disabledImage.get() : normalImage.get();
    int top = 0;
    if (pressed) {
        if (loaded(pressedImage)) {
            picture = pressedImage.get();
        } else if (framed) {
            top = 1;
        } else {
            return;
        }
    }
    picture->drawScaled(dc, 0, top, client.right, client.bottom);
}

}  // namespace tavrin
