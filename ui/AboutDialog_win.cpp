#include "ui/AboutDialog_win.h"

#include <string>

#include "ui/LinkLabel_win.h"
#include "ui/Messages.h"
#include "ui/VersionString_win.h"

namespace tavrin {
namespace {

constexpr int kTemplate = 132;
constexpr int kApplicationName = 1053;
constexpr int kVersion = 1035;
constexpr int kNotice = 1037;
constexpr int kSupportLink = 1038;

constexpr unsigned kApplicationNameText = 5001;
constexpr unsigned kSupportAddressText = 5086;
constexpr int kNoticePoints = 11;

HFONT createNoticeFont() {
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return CreateFontW(-MulDiv(kNoticePoints, pixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

}  // namespace

AboutDialog::AboutDialog() : Dialog(kTemplate), noticeFont_(createNoticeFont()) {}

INT_PTR AboutDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initialize();
        return TRUE;
    }
    return Dialog::handleMessage(message, wParam, lParam);
}

void AboutDialog::initialize() {
    SetDlgItemTextW(hwnd, kApplicationName, loadMessage(kApplicationNameText).c_str());
    std::wstring version = L"Version " + versionString();
    SetDlgItemTextW(hwnd, kVersion, version.c_str());
    if (noticeFont_)
        SendDlgItemMessageW(hwnd, kNotice, WM_SETFONT,
                            reinterpret_cast<WPARAM>(noticeFont_.get()), FALSE);
    // The link shows the address it opens, so the two cannot disagree. The control owns the
    // label from here on and deletes it when the dialog goes.
    if (HWND link = GetDlgItem(hwnd, kSupportLink)) {
        SetWindowTextW(link, loadMessage(kSupportAddressText).c_str());
        new LinkLabel(link);
    }
    centerWindow(hwnd, parent);
}

}  // namespace tavrin
