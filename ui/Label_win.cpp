#include "ui/Label_win.h"

#include "ui/DrawingContext_win.h"

namespace tavrin {

Label::Label(HWND existingWindow) {
    adopt(existingWindow);
}

LRESULT Label::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        return 1;  // erased, so BeginPaint does not ask for it again
    }
    }
    return Window::handleMessage(message, wParam, lParam);
}

void Label::setText(std::wstring newText) {
    text = std::move(newText);
    repaint();
}

void Label::setAlignment(int newAlignment) {
    alignment = newAlignment;
    repaint();
}

void Label::setTextColor(COLORREF newColor) {
    textColor = newColor;
    repaint();
}

void Label::setPicture(std::unique_ptr<AlphaImage> newPicture) {
    picture = std::move(newPicture);
    repaint();
}

void Label::repaint() {
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void Label::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (picture) {
        TextOrigin origin = placeText(kAlignCentre, client.right, client.bottom, picture->width(),
                                      picture->height());
        picture->drawAt(dc, origin.x, origin.y);
    } else if (!text.empty()) {
        paintText(dc, client);
    }
}

void Label::paintText(HDC dc, const RECT& client) {
    // The control's own font, as a static control would draw with; without one the context's
    // default stays.
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    const int length = static_cast<int>(text.size());
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
    TextOrigin origin = placeText(alignment, client.right, client.bottom, extent.cx, extent.cy);

    COLORREF previousColor = SetTextColor(dc, textColor);
    int previousMode = SetBkMode(dc, TRANSPARENT);
    // The system's own greying, the same embossed look as disabled controls.
    UINT state = DST_TEXT | (isEnabled() ? DSS_NORMAL : DSS_DISABLED);
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()),
               static_cast<WPARAM>(length), origin.x, origin.y, extent.cx, extent.cy, state);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColor);
    if (previousFont) SelectObject(dc, previousFont);
}

}  // namespace tavrin
