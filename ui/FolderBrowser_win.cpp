#include "ui/FolderBrowser_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>
#include <memory>
#include <string>

#include "ui/Dialog_win.h"
#include "ui/Messages.h"
#include "ui/OsVersion_win.h"

namespace tavrin {
namespace {

constexpr UINT kBrowserFlags =
    BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
static_assert(kBrowserFlags == 0x249);

constexpr unsigned kCannotSelectText = 5004;
constexpr unsigned kWarningCaption = 5005;
// The browser's item that Windows 2000 shows in the wrong place.
constexpr int kWindows2000StrayItem = 14150;
// Hidden children that keep each subclassed window's previous procedure.
constexpr int kBrowserProcedureStash = 0x1580;
constexpr int kTreeProcedureStash = 0x1585;

// A pointer as hexadecimal text: all 16 digits, since on 64-bit Windows a procedure address does
// not fit the eight digits a 32-bit one did.
std::wstring procedureText(WNDPROC procedure) {
    wchar_t text[24];
    swprintf(text, 24, L"%016llx",
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(procedure)));
    return text;
}

WNDPROC storedProcedure(HWND window, int stashId) {
    wchar_t text[24] = {};
    GetDlgItemTextW(window, stashId, text, 24);
    if (text[0] == L'\0') return nullptr;
    return reinterpret_cast<WNDPROC>(static_cast<UINT_PTR>(wcstoull(text, nullptr, 16)));
}

// The browser has no field of ours to keep the procedure it had, so a hidden child holds it.
void subclass(HWND window, int stashId, WNDPROC procedure) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    HWND stash = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(stashId)), instance,
                                 nullptr);
    if (!stash) return;  // nowhere to keep the old procedure: the window stays as it is
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetWindowTextW(stash, procedureText(previous).c_str());
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

LRESULT forwardToStored(HWND window, int stashId, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = storedProcedure(window, stashId);
    if (message == WM_DESTROY && previous) {
        SetDlgItemTextW(window, stashId, L"");
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    if (!previous) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// Context help and the context menu lead nowhere useful in this browser, so they are swallowed.
LRESULT CALLBACK browserProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) return 0;
    return forwardToStored(window, kBrowserProcedureStash, message, wParam, lParam);
}

LRESULT CALLBACK treeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) return 0;
    return forwardToStored(window, kTreeProcedureStash, message, wParam, lParam);
}

HWND findTreeView(HWND browser) {
    if (HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr)) return tree;
    HWND nameSpace =
        FindWindowExW(browser, nullptr, L"SHBrowseForFolder ShellNameSpace Control", nullptr);
    return nameSpace ? FindWindowExW(nameSpace, nullptr, WC_TREEVIEWW, nullptr) : nullptr;
}

int CALLBACK browserCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    const auto* initialPath = reinterpret_cast<const wchar_t*>(data);
    if (initialPath[0] != L'\0') SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    // Over its owner: the browser is not always a pop-up (Wine's is not), and GetParent only
    // names the owner of pop-ups.
    Dialog::centerWindow(browser, GetWindow(browser, GW_OWNER));
    if (isWindows2000(operatingSystemVersion()))
        ShowWindow(GetDlgItem(browser, kWindows2000StrayItem), SW_HIDE);
    LONG_PTR exStyle = GetWindowLongPtrW(browser, GWL_EXSTYLE);
    SetWindowLongPtrW(browser, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    SetWindowPos(browser, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    subclass(browser, kBrowserProcedureStash, browserProcedure);
    if (HWND tree = findTreeView(browser)) subclass(tree, kTreeProcedureStash, treeProcedure);
    return 0;
}

// Item lists come from the shell's allocator, which is the task allocator.
struct ItemListDeleter {
    void operator()(LPITEMIDLIST list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListDeleter>;

}  // namespace

bool browseForFolder(const wchar_t* title, HWND owner, wchar_t (&path)[MAX_PATH]) {
    // The display name gets its own buffer: written into the caller's, it would replace the
    // previous folder with a name like "Local Disk (C:)" whenever no path comes back.
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = kBrowserFlags;
    info.lpfn = browserCallback;
    info.lParam = reinterpret_cast<LPARAM>(path);
    ItemList chosen(SHBrowseForFolderW(&info));
    if (!chosen) return false;

    wchar_t chosenPath[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen.get(), chosenPath) && chosenPath[0] != L'\0') {
        wcscpy_s(path, chosenPath);
        return true;
    }
    MessageBoxW(owner, loadMessage(kCannotSelectText).c_str(),
                loadMessage(kWarningCaption).c_str(), MB_ICONWARNING);
    return false;
}

}  // namespace tavrin
