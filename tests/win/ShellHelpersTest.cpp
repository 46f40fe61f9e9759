#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "recording/Platform.h"
#include "tests/win/WarningBoxCloser.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/FolderBrowser_win.h"
#include "ui/Messages.h"
#include "ui/OsVersion_win.h"
#include "ui/RecordingFileChooser_win.h"
#include "ui/SupportPage_win.h"
#include "ui/VersionString_win.h"

namespace tavrin {
namespace {

std::wstring executablePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(VersionString, ComesFromTheExecutablesVersionResource) {
    EXPECT_EQ(fileVersionText(executablePath()), L"1, 0, 0, 0");
    EXPECT_EQ(versionString(), L"1.0.0");
    EXPECT_EQ(fileVersionText(L"C:\\no\\such\\program.exe"), L"");
}

TEST(OsVersion, TheKernelAnswers) {
    // Every system the program runs on is Windows 7 (6.1) or later, Wine included.
    OsVersion version = operatingSystemVersion();
    EXPECT_GE(version.major * 100 + version.minor, 601u);
    EXPECT_FALSE(isWindows2000(version));
}

TEST(SupportPage, OpensTheAddressOfText5086) {
    std::vector<std::wstring> opened;
    openSupportPage([&](const std::wstring& address) {
        opened.push_back(address);
        return 0ul;
    });
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], loadMessage(5086));
    EXPECT_EQ(opened[0].rfind(L"http", 0), 0u);

    try {
        openSupportPage([](const std::wstring&) { return static_cast<unsigned long>(ERROR_NO_ASSOCIATION); });
        ADD_FAILURE() << "a page that cannot be opened was reported as opened";
    } catch (const WindowException& failure) {
        EXPECT_EQ(failure.message(), describeError(ERROR_NO_ASSOCIATION).message());
    }
}

// A shown owner at a known place, for the shell's dialogs to centre over.
class Owner {
public:
    Owner() {
        handle = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 80, 500, 400,
                                 nullptr, nullptr, appInstance, nullptr);
    }
    ~Owner() { DestroyWindow(handle); }
    HWND handle;
};

// From another thread: the visible dialog box owned by `owner`, waiting for it and for `ready`
// to hold on it (ten seconds at most).
template <typename Ready>
HWND waitForDialog(HWND owner, Ready ready) {
    struct Search {
        HWND owner;
        HWND found;
    };
    for (int i = 0; i < 500; ++i) {
        Search search = {owner, nullptr};
        EnumWindows([](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window) &&
                wcscmp(name, L"#32770") == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&search));
        if (search.found && ready(search.found)) return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

std::wstring textOf(HWND window) {
    wchar_t text[MAX_PATH] = {};
    GetWindowTextW(window, text, MAX_PATH);
    return text;
}

class ShellDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override {
        if (comReady_) CoUninitialize();
    }

    // A fresh folder in the temporary folder, without a trailing separator.
    std::wstring makeFolder(const wchar_t* name) {
        std::wstring folder = temporaryFolder() + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }

private:
    bool comReady_ = false;
};

struct BrowserSeen {
    bool found = false;
    bool contextHelp = true;
    std::wstring browserStash;
    std::wstring treeStash;
    std::wstring selection;
    RECT placed = {};
};

TEST_F(ShellDialogTest, CancellingTheFolderBrowserKeepsThePathAndWarnsNobody) {
    Owner owner;
    // At the root of the system drive: in the temporary folder, which other programs keep
    // changing, Wine's browser now and then stopped short of it (at the hidden AppData).
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring start = std::wstring(system, 3) + L"TavrinBrowseStart";
    CreateDirectoryW(start.c_str(), nullptr);
    wchar_t path[MAX_PATH];
    wcscpy_s(path, start.c_str());

    BrowserSeen seen;
    std::thread user([&] {
        HWND browser = waitForDialog(owner.handle, [](HWND dialog) {
            HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
            return GetDlgItem(dialog, 0x1580) && tree && GetDlgItem(tree, 0x1585);
        });
        if (!browser) return;
        seen.found = true;
        seen.contextHelp = (GetWindowLongPtrW(browser, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
        seen.browserStash = textOf(GetDlgItem(browser, 0x1580));
        HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
        seen.treeStash = textOf(GetDlgItem(tree, 0x1585));
        // The shell walks the tree down to the selection step by step, in its own time; on a
        // loaded machine that has taken over ten seconds.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (seen.selection != L"TavrinBrowseStart" &&
               std::chrono::steady_clock::now() < giveUp) {
            wchar_t text[MAX_PATH] = {};
            TVITEMW item = {};
            item.mask = TVIF_TEXT;
            item.hItem = TreeView_GetSelection(tree);
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            if (item.hItem) TreeView_GetItem(tree, &item);
            seen.selection = text;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        GetWindowRect(browser, &seen.placed);
        PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    });
    test::WarningBoxCloser closer;
    bool chosen = browseForFolder(loadMessage(5011).c_str(), owner.handle, path);
    user.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    closer.stop();

    RemoveDirectoryW(start.c_str());
    EXPECT_FALSE(chosen);
    EXPECT_EQ(std::wstring(path), start);
    EXPECT_EQ(closer.boxes(), 0);
    ASSERT_TRUE(seen.found) << "the browser never appeared subclassed";
    EXPECT_FALSE(seen.contextHelp);
    // Whole 64-bit procedure addresses, not a truncated 32-bit one.
    for (const std::wstring& stash : {seen.browserStash, seen.treeStash}) {
        EXPECT_EQ(stash.size(), 16u) << std::string(stash.begin(), stash.end());
        for (wchar_t c : stash) EXPECT_TRUE(std::iswxdigit(c));
        EXPECT_NE(wcstoull(stash.c_str(), nullptr, 16), 0ull);
    }
    EXPECT_EQ(seen.selection, L"TavrinBrowseStart");
    RECT over;
    GetWindowRect(owner.handle, &over);
    EXPECT_NEAR((seen.placed.left + seen.placed.right) / 2.0, (over.left + over.right) / 2.0, 1.0);
    EXPECT_NEAR((seen.placed.top + seen.placed.bottom) / 2.0, (over.top + over.bottom) / 2.0, 1.0);
}

// Types `file` into the dialog's file name box and confirms, or cancels when it is empty.
void answerFileDialog(HWND owner, const std::wstring& file, std::atomic<bool>& detailsShown) {
    HWND dialog = waitForDialog(owner, [](HWND) { return true; });
    if (!dialog) return;
    for (int i = 0; i < 500 && !detailsShown; ++i) {
        HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
        HWND list = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
        detailsShown = list && (GetWindowLongW(list, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (file.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    for (int id : {cmb13, edt1})
        if (HWND box = GetDlgItem(dialog, id)) SetWindowTextW(box, file.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(ShellDialogTest, FileChooserReturnsTheChosenRecordingInDetailsView) {
    Owner owner;
    const std::wstring folder = makeFolder(L"TavrinChooser");
    const std::wstring recording = folder + L"\\20260101_120000.dat";
    {
        BinaryFile file = BinaryFile::createForWriting(recording);
        ASSERT_TRUE(file.write("DATA", 4));
    }

    wchar_t path[MAX_PATH] = L"left over";
    std::atomic<bool> detailsShown{false};
    std::thread user([&] { answerFileDialog(owner.handle, L"", detailsShown); });
    EXPECT_FALSE(chooseRecordingFile(path, owner.handle, folder.c_str()));
    user.join();
    EXPECT_STREQ(path, L"");  // the dialog's empty answer is handed back too
    EXPECT_TRUE(detailsShown) << "the file list was not switched to details";

    user = std::thread([&] { answerFileDialog(owner.handle, recording, detailsShown); });
    EXPECT_TRUE(chooseRecordingFile(path, owner.handle, folder.c_str()));
    user.join();
    EXPECT_EQ(std::wstring(path), recording);
    deleteFile(recording);
}

}  // namespace
}  // namespace tavrin
