#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/AboutDialog_win.h"
#include "ui/AppInstance_win.h"
#include "ui/Messages.h"
#include "ui/Window_win.h"

namespace tavrin {
namespace {

// What the dialog showed, gathered on the dialog's own thread from a timer in its modal loop.
struct Shown {
    bool found = false;
    std::wstring caption;
    std::wstring name;
    std::wstring version;
    std::wstring link;
    bool linkTakenOver = false;
    HWND linkHandle = nullptr;
    bool logoHidden = false;
    LOGFONTW noticeFont = {};
    RECT placed = {};
    WPARAM answer = IDOK;
    int ticks = 0;
};
Shown shown;

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

void CALLBACK inspectDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"バージョン情報");
    if (!dialog) {
        // Ends a dialog that never turned up instead of hanging the run.
        if (++shown.ticks > 200) KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    shown.found = true;
    shown.caption = [&] {
        wchar_t text[64] = {};
        GetWindowTextW(dialog, text, 64);
        return std::wstring(text);
    }();
    shown.name = itemText(dialog, 1053);
    shown.version = itemText(dialog, 1035);
    shown.link = itemText(dialog, 1038);
    shown.linkHandle = GetDlgItem(dialog, 1038);
    shown.linkTakenOver = Window::fromHandle(shown.linkHandle) != nullptr;
    shown.logoHidden = !IsWindowVisible(GetDlgItem(dialog, 1034));
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, 1037, WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof shown.noticeFont, &shown.noticeFont);
    GetWindowRect(dialog, &shown.placed);
    PostMessageW(dialog, WM_COMMAND, shown.answer, 0);
}

TEST(AboutDialog, ShowsNameVersionAndLinkAndEndsWithTheButtonsId) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 200, 150, 600, 400, nullptr,
                                 nullptr, appInstance, nullptr);
    for (WPARAM answer : {WPARAM(IDOK), WPARAM(IDCANCEL)}) {
        shown = Shown{};
        shown.answer = answer;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, inspectDialog);
        AboutDialog dialog;
        INT_PTR result = dialog.showModal(owner);
        KillTimer(nullptr, timer);

        ASSERT_TRUE(shown.found);
        EXPECT_EQ(result, INT_PTR(answer));
        EXPECT_EQ(shown.caption, L"バージョン情報");
        EXPECT_EQ(shown.name, L"Tavrin");
        EXPECT_EQ(shown.version, L"Version 1.0.0");
        EXPECT_EQ(shown.link, loadMessage(5086));
        EXPECT_TRUE(shown.linkTakenOver);
        // The link label went with its control.
        EXPECT_EQ(Window::fromHandle(shown.linkHandle), nullptr);
        EXPECT_TRUE(shown.logoHidden);
        EXPECT_STREQ(shown.noticeFont.lfFaceName, L"Arial");
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(shown.noticeFont.lfHeight, -MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);
        EXPECT_NEAR((shown.placed.left + shown.placed.right) / 2.0, 500.0, 1.0);
        EXPECT_NEAR((shown.placed.top + shown.placed.bottom) / 2.0, 350.0, 1.0);
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace tavrin
