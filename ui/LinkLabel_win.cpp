#include "ui/LinkLabel_win.h"

#include "ui/Exception.h"
#include "ui/SupportPage_win.h"

namespace tavrin {

LinkLabel::LinkLabel(HWND existingWindow) : Label(existingWindow) {
    originalFont_ = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    LOGFONTW description;
    if (originalFont_ &&
        GetObjectW(originalFont_, sizeof description, &description) == sizeof description) {
        description.lfUnderline = TRUE;
        underlineFont.reset(CreateFontIndirectW(&description));
        if (underlineFont)
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(underlineFont.get()), TRUE);
    }
    if (int length = GetWindowTextLengthW(hwnd); length > 0) {
        std::wstring controlText(static_cast<size_t>(length) + 1, L'\0');
        int copied = GetWindowTextW(hwnd, controlText.data(), length + 1);
        controlText.resize(static_cast<size_t>(copied));
        setText(std::move(controlText));
    }
    textColor = RGB(0, 0, 255);
}

LinkLabel::~LinkLabel() {
    // Deleted by hand while the control lives on: it must not keep drawing with a deleted font.
    if (hwnd && underlineFont && IsWindow(hwnd) &&
        reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)) == underlineFont.get())
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(originalFont_), FALSE);
}

LRESULT LinkLabel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;  // set: the parent must not put the arrow back
    case WM_LBUTTONUP:
        try {
            openSupportPage();
        } catch (const Exception&) {
        }
        return 0;
    }
    return Label::handleMessage(message, wParam, lParam);
}

}  // namespace tavrin
