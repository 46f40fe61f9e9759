#include "tests/e2e/MenuLook.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "media/KernelHandle_win.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr wchar_t kClassName[] = L"TavrinMenuLook";

LRESULT CALLBACK lookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HMENU buildMenu(const std::vector<MenuColumn>& menus) {
    HMENU bar = CreateMenu();
    for (const MenuColumn& column : menus) {
        HMENU popup = CreatePopupMenu();
        for (const MenuEntry& entry : column.entries) {
            if (entry.text)
                AppendMenuW(popup, MF_STRING, entry.command, entry.text);
            else
                AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        }
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), column.title);
    }
    return bar;
}

// The window that carries the menu, on a thread of its own: an open menu runs its own loop on
// the thread of its window, while this one drives it and takes the pictures.
class LookWindow {
public:
    LookWindow(HWND like, const std::vector<MenuColumn>& menus) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = lookProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);  // already there from an earlier look is as good

        RECT r;
        GetWindowRect(like, &r);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(like, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(like, GWL_EXSTYLE));
        const KernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([&, style, exStyle] {
            window_ = CreateWindowExW(exStyle, kClassName, drive::windowText(like).c_str(),
                                      style & ~WS_DISABLED, r.left, r.top, r.right - r.left,
                                      r.bottom - r.top, nullptr, buildMenu(menus),
                                      GetModuleHandleW(nullptr), nullptr);
            if (window_) ShowWindow(window_, SW_SHOWNORMAL);
            SetEvent(created.get());
            if (!window_) return;
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        });
        WaitForSingleObject(created.get(), INFINITE);
        if (!window_) {
            thread_.join();
            throw std::runtime_error("the menu's window could not be made");
        }
    }
    ~LookWindow() {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    LookWindow(const LookWindow&) = delete;
    LookWindow& operator=(const LookWindow&) = delete;

    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
    std::thread thread_;
};

RECT relativeTo(HWND window, RECT screen) {
    RECT origin;
    GetWindowRect(window, &origin);
    OffsetRect(&screen, -origin.left, -origin.top);
    return screen;
}

}  // namespace

void closeMenu(HWND top, DWORD processId) {
    drive::typeKey(top, VK_ESCAPE);
    drive::typeKey(top, VK_ESCAPE);
    // The system may keep a closed column's window for the next, hidden.
    waitUntil([&] { return drive::waitForOpenMenu(processId, 0) == nullptr; }, kDialogTimeoutMs);
}

UINT mnemonicKey(const wchar_t* text) {
    const wchar_t* mark = std::wcschr(text, L'&');
    return mark && mark[1] ? static_cast<UINT>(std::towupper(mark[1])) : 0;
}

MenuLook MenuLook::of(HWND like, const std::vector<MenuColumn>& menus) {
    const LookWindow window(like, menus);
    const HWND top = window.get();
    const HMENU menu = GetMenu(top);
    MenuLook look;
    MENUBARINFO barInfo = {};
    barInfo.cbSize = sizeof barInfo;
    GetMenuBarInfo(top, OBJID_MENU, 0, &barInfo);
    look.bar = relativeTo(top, barInfo.rcBar);
    drive::capture(top, false);  // brought to the front
    look.barPicture = crop(settledPicture(top), look.bar);
    for (int column = 0; column < static_cast<int>(menus.size()); ++column) {
        RECT title;
        GetMenuItemRect(top, menu, static_cast<UINT>(column), &title);
        look.titles.push_back(relativeTo(top, title));

        drive::pressWithAlt(top, mnemonicKey(menus[column].title));
        const HWND open = drive::waitForOpenMenu(GetCurrentProcessId(), kDialogTimeoutMs);
        if (!open) throw std::runtime_error("a column of the expected menu did not open");
        look.columns.push_back(settledPicture(open));
        std::vector<RECT> entries;
        const HMENU popup = GetSubMenu(menu, column);
        for (int entry = 0; entry < GetMenuItemCount(popup); ++entry) {
            RECT r;
            // No window given: the system takes the open column's own.
            GetMenuItemRect(nullptr, popup, static_cast<UINT>(entry), &r);
            entries.push_back(relativeTo(open, r));
        }
        look.entries.push_back(std::move(entries));
        closeMenu(top, GetCurrentProcessId());
    }
    return look;
}

drive::ScreenPicture crop(const drive::ScreenPicture& whole, RECT rect) {
    drive::ScreenPicture part;
    part.width = rect.right - rect.left;
    part.height = rect.bottom - rect.top;
    if (part.width <= 0 || part.height <= 0 || rect.left < 0 || rect.top < 0 ||
        rect.right > whole.width || rect.bottom > whole.height)
        return {};
    part.pixels.resize(static_cast<std::size_t>(part.width) * part.height * 4);
    // Rows are stored bottom-up in both.
    for (int y = 0; y < part.height; ++y) {
        const std::size_t from =
            (static_cast<std::size_t>(whole.height - 1 - (rect.top + y)) * whole.width +
             static_cast<std::size_t>(rect.left)) *
            4;
        const std::size_t to = static_cast<std::size_t>(part.height - 1 - y) * part.width * 4;
        std::copy_n(&whole.pixels[from], static_cast<std::size_t>(part.width) * 4,
                    &part.pixels[to]);
    }
    return part;
}

drive::ScreenPicture settledPicture(HWND window) {
    // A column just opened may not be drawn through yet: two looks a little apart must agree.
    drive::ScreenPicture last = drive::captureInPlace(window, false);
    for (int look = 0; look < 40; ++look) {
        Sleep(50);
        drive::ScreenPicture next = drive::captureInPlace(window, false);
        if (next.width == last.width && next.height == last.height && next.pixels == last.pixels)
            return next;
        last = std::move(next);
    }
    return last;
}

POINT screenMiddle(HWND window, RECT rect) {
    RECT origin;
    GetWindowRect(window, &origin);
    return {origin.left + (rect.left + rect.right) / 2, origin.top + (rect.top + rect.bottom) / 2};
}

::testing::AssertionResult samePicture(const drive::ScreenPicture& actual,
                                       const drive::ScreenPicture& expected) {
    if (actual.pixels.empty() || expected.pixels.empty())
        return ::testing::AssertionFailure() << "no picture";
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure()
               << actual.width << " x " << actual.height << " where " << expected.width << " x "
               << expected.height << " were expected";
    int differing = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            if (actual.at(x, y) != expected.at(x, y)) ++differing;
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " of " << actual.width * actual.height << " pixels differ";
}

}  // namespace tavrin::e2e
