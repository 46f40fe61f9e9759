#include "ui/Dialog_win.h"

#include <map>

#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"
#include "ui/PendingFailure_win.h"

namespace tavrin {
namespace {

constexpr unsigned kWarningCaption = 5005;

// Handle -> object for every open dialog box; the entries do not own.
std::map<HWND, Dialog*>& dialogRegistry() {
    static std::map<HWND, Dialog*> registry;
    return registry;
}

}  // namespace

Dialog::~Dialog() {
    // A dialog object is normally gone only after its box; should it go first, the registry must
    // not keep pointing at it.
    auto& registry = dialogRegistry();
    auto entry = registry.find(hwnd);
    if (hwnd && entry != registry.end() && entry->second == this) registry.erase(entry);
}

INT_PTR Dialog::showModal(HWND owner) {
    parent = owner;
    INT_PTR result = DialogBoxParamW(appInstance, MAKEINTRESOURCEW(templateId), owner,
                                     &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
    if (result == -1) {
        DWORD code = GetLastError();
        std::wstring caption = loadMessage(kWarningCaption);
        MessageBoxW(owner, describeError(code).message().c_str(), caption.c_str(), MB_ICONWARNING);
    }
    return result;
}

INT_PTR Dialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND) return 0;
    WORD id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) EndDialog(hwnd, id);
    return 1;
}

Dialog* Dialog::fromHandle(HWND handle) {
    auto& registry = dialogRegistry();
    auto entry = registry.find(handle);
    return entry == registry.end() ? nullptr : entry->second;
}

POINT Dialog::centeredOrigin(const RECT& window, const RECT& over) {
    // long arithmetic: C++ division truncates toward zero, as the placement always has.
    LONG width = window.right - window.left;
    LONG height = window.bottom - window.top;
    return POINT{over.left + ((over.right - over.left) - width) / 2,
                 over.top + ((over.bottom - over.top) - height) / 2};
}

void Dialog::centerWindow(HWND window, HWND over) {
    // A dialog shown without an owner would otherwise be placed from an unfilled rectangle.
    if (!over) over = GetDesktopWindow();
    RECT windowRect;
    RECT overRect;
    if (!GetWindowRect(window, &windowRect) || !GetWindowRect(over, &overRect)) return;
    POINT origin = centeredOrigin(windowRect, overRect);
    SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR CALLBACK Dialog::dialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& registry = dialogRegistry();
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        dialog->hwnd = handle;
        registry.emplace(handle, dialog);
    }
    Dialog* dialog = fromHandle(handle);
    if (!dialog) return 0;
    INT_PTR result = 0;
    try {
        result = dialog->handleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into user32. WM_QUIT also ends the dialog's own loop, which passes
        // it on to the loop's owner, who rethrows the failure.
        holdFailure(std::current_exception());
        PostQuitMessage(0);
        result = 0;
    }
    if (message == WM_DESTROY) registry.erase(handle);
    return result;
}

}  // namespace tavrin
