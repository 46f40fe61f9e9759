#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <thread>

#include "app/AppGlobals_win.h"
#include "app/Startup_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

TEST(StartupTest, TheSystemVersionIsRecordedAndNeverStopsStartUp) {
    osVersionInfo = {};
    EXPECT_TRUE(checkOperatingSystem());
    EXPECT_GE(osVersionInfo.dwMajorVersion, 5u);
    EXPECT_TRUE(osVersionInfo.dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW) ||
                osVersionInfo.dwOSVersionInfoSize == sizeof(OSVERSIONINFOW));
}

TEST(StartupTest, ComAlreadyInitialisedOnTheThreadFailsStartUpWithItsText) {
    // On a thread of its own, so the test program's thread keeps its own COM state.
    std::wstring failure;
    bool threw = false;
    wchar_t folderBefore[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folderBefore);
    std::thread([&] {
        CoInitialize(nullptr);
        try {
            prepareProcess();
        } catch (const SystemException& e) {
            threw = true;
            failure = e.message();
        }
        CoUninitialize();
        CoUninitialize();
    }).join();
    EXPECT_TRUE(threw);
    EXPECT_EQ(failure, loadMessage(5054));
    // The process was prepared up to that point: the working folder is the system drive's root.
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    EXPECT_STREQ(folder, L"C:\\");
    SetCurrentDirectoryW(folderBefore);
}

TEST(StartupTest, AFreshThreadPassesEveryStep) {
    bool threw = false;
    wchar_t folderBefore[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folderBefore);
    std::thread([&] {
        try {
            prepareProcess();
            CoUninitialize();
        } catch (const Exception&) {
            threw = true;
        }
    }).join();
    SetCurrentDirectoryW(folderBefore);
    EXPECT_FALSE(threw);
}

// The title bar's minimise, maximise and close buttons are glyphs of the symbol font "Marlett";
// where it is missing (a Wine prefix without its fonts) they show as the letters "0 1 r".
TEST(StartupTest, TheTitleBarSymbolFontIsInstalled) {
    LOGFONTW wanted = {};
    wanted.lfCharSet = SYMBOL_CHARSET;
    wcscpy_s(wanted.lfFaceName, L"Marlett");
    HDC screen = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = wcscmp(font->lfFaceName, L"Marlett") == 0;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tavrin
