#include "ui/Window_win.h"

#include <map>

#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/PendingFailure_win.h"

namespace tavrin {
namespace {

constexpr wchar_t kSharedClassName[] = L"DefaultWindow";

// Handle -> object for every created window. The entries do not own; the native window does.
std::map<HWND, Window*>& windowRegistry() {
    static std::map<HWND, Window*> registry;
    return registry;
}

}  // namespace

ATOM Window::sharedClassAtom = 0;

CreateParams sharedChildParams(HWND parent, DWORD style, int x, int y, int width, int height,
                               DWORD exStyle) {
    CreateParams params;
    params.exStyle = exStyle;
    params.className = MAKEINTATOM(Window::sharedClass());
    params.title = L"";
    params.style = style;
    params.x = x;
    params.y = y;
    params.width = width;
    params.height = height;
    params.parent = parent;
    params.instance = appInstance;
    return params;
}

Window::Window() {
    if (sharedClassAtom != 0) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = appInstance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kSharedClassName;
    ATOM atom = RegisterClassExW(&windowClass);
    if (atom == 0) throw describeError(GetLastError());
    sharedClassAtom = atom;
}

Window::~Window() {
    // Only reached with the entry still present when someone deleted a live window by hand; the
    // registry must not keep a pointer to a dead object, so the window goes back to its own
    // procedure and lives on without this object.
    detach();
}

void Window::detach() {
    if (!hwnd) return;
    auto& registry = windowRegistry();
    auto entry = registry.find(hwnd);
    if (entry == registry.end() || entry->second != this) return;
    registry.erase(entry);
    // Later messages (WM_NCDESTROY above all) then reach the procedure the window was made with,
    // so a subclassed control such as a tooltip still frees what it holds.
    if (previousProc &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &Window::routeMessage)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
}

void Window::create(const CreateParams& params) {
    HWND handle = CreateWindowExW(params.exStyle, params.className, params.title, params.style,
                                  params.x, params.y, params.width, params.height, params.parent,
                                  params.menu, params.instance, params.param);
    if (!handle) throw describeError(GetLastError());
    adopt(handle);
}

void Window::adopt(HWND existing) {
    if (!existing) return;
    hwnd = existing;
    previousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        existing, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::routeMessage)));
    windowRegistry().emplace(existing, this);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc && previousProc != &Window::routeMessage)
        return CallWindowProcW(previousProc, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Window::isEnabled() const {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_DISABLED) == 0;
}

void Window::setEnabled(bool enable) {
    if (isEnabled() == enable) return;
    EnableWindow(hwnd, enable ? TRUE : FALSE);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

Window* Window::fromHandle(HWND handle) {
    auto& registry = windowRegistry();
    auto entry = registry.find(handle);
    return entry == registry.end() ? nullptr : entry->second;
}

LRESULT CALLBACK Window::routeMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = fromHandle(handle);
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = window->handleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into user32: park the failure and end the loop; its owner rethrows.
        holdFailure(std::current_exception());
        PostQuitMessage(0);
        result = 0;
    }
    // Even after a failing handler, so the object is deleted exactly once and never left behind.
    if (message == WM_DESTROY) {
        window->detach();
        delete window;
    }
    return result;
}

}  // namespace tavrin
