#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "media/AlphaImage_win.h"
#include "ui/TextPlacement.h"
#include "ui/Window_win.h"

namespace tavrin {

// Takes over an existing window, usually a static control of a dialog, and paints it itself:
// a picture centred in it, or else a text at one of nine positions in a chosen colour, greyed
// while the control is disabled. Create it with new over the control's handle; the control then
// owns the object and deletes it when destroyed. Over a null handle nothing is taken over and
// the object stays the caller's to delete.
class Label : public Window {
public:
    explicit Label(HWND existingWindow);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Each setter repaints the control.
    void setText(std::wstring newText);
    void setAlignment(int newAlignment);
    void setTextColor(COLORREF newColor);
    // A picture is drawn instead of the text; null brings the text back.
    void setPicture(std::unique_ptr<AlphaImage> newPicture);

    std::wstring text;
    int alignment = kAlignMiddleLeft;
    COLORREF textColor = RGB(0, 0, 0);
    std::unique_ptr<AlphaImage> picture;

private:
    void paint(HDC dc);
    void paintText(HDC dc, const RECT& client);
    void repaint();
};

}  // namespace tavrin
