#include "tools/drive/ViewerDriver_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "recording/TextEncoding.h"
#include "tools/drive/PngWriter.h"

namespace tavrin::drive {
namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t name[256] = {};
    if (search->className) {
        GetClassNameW(window, name, 256);
        if (wcscmp(name, search->className) != 0) return TRUE;
    }
    if (search->caption && windowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

// The deepest visible child of `top` under a point of its client area, and the point in that
// child's client coordinates.
HWND targetAt(HWND top, POINT clientPoint, POINT& local) {
    POINT screen = clientPoint;
    ClientToScreen(top, &screen);
    HWND target = top;
    for (;;) {
        POINT inTarget = screen;
        ScreenToClient(target, &inTarget);
        HWND child = ChildWindowFromPointEx(target, inTarget, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == target) break;
        target = child;
    }
    local = screen;
    ScreenToClient(target, &local);
    return target;
}

// Brings `top` to the front. The system activates another program's window through that
// program's own queue: a message sent afterwards comes back once it has. (Without a window
// manager the X server's stacking does not always follow; windows that must both be seen are
// better placed apart.)
void bringToFront(HWND top) {
    if (GetForegroundWindow() != top) SetForegroundWindow(top);
    SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

// The window under the mouse input, in front first: a hand on the mouse works the window in
// front, and where two copies of the viewer lie on top of each other the pointer must be over
// the one the input goes to.
HWND inputTargetAt(HWND top, POINT clientPoint, POINT& local) {
    bringToFront(top);
    return targetAt(top, clientPoint, local);
}

LPARAM pointParameter(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

void sendMouse(HWND target, UINT message, WPARAM keys, POINT local) {
    // The pointer goes where the hand is: the system makes up moves of its own from the real
    // pointer (when a window appears under it, say), and a window holding the capture would
    // take one from anywhere else for a drag there.
    POINT screen = local;
    ClientToScreen(target, &screen);
    SetCursorPos(screen.x, screen.y);
    // Posted, as the system delivers real mouse input: through the queue, in order, between the
    // program's own messages. A sent message would be handled inside whatever call of the
    // program happens to wait at that moment (opening the sound device, say), which no hand
    // on the mouse can do.
    PostMessageW(target, message, keys, pointParameter(local));
}

void sendKey(UINT virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void sendButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Lets the system hand the input on before the caller looks at what it did.
constexpr DWORD kInputSettleMs = 50;

// Whether the process has a dialog window at all, shown or still being built (hidden).
bool hasAnyDialog(DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return true;
    }
    return false;
}

// The process's top-level windows, for a failure message: class, text and state of each.
std::string describeWindowsOf(DWORD processId) {
    struct Listing {
        DWORD processId;
        std::string text;
    } listing{processId, {}};
    EnumWindows([](HWND window, LPARAM parameter) {
        auto* list = reinterpret_cast<Listing*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != list->processId) return TRUE;
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        list->text += std::string(list->text.empty() ? "" : "; ") + toUtf8(name) + " \"" +
                      toUtf8(windowText(window)) + "\"" +
                      (IsWindowVisible(window) ? "" : " hidden") +
                      (IsWindowEnabled(window) ? "" : " disabled");
        return TRUE;
    }, reinterpret_cast<LPARAM>(&listing));
    return "its windows: " + (listing.text.empty() ? std::string("none") : listing.text);
}

// The name box: the combo box of the explorer-style dialog, or the plain edit of the old one.
HWND nameBoxOf(HWND dialog) {
    constexpr int kNameCombo = 0x47C;
    constexpr int kNameEdit = 0x480;
    HWND box = GetDlgItem(dialog, kNameCombo);
    return box ? box : GetDlgItem(dialog, kNameEdit);
}

}  // namespace

std::uint32_t ScreenPicture::at(int x, int y) const {
    const std::uint8_t* p =
        &pixels[(static_cast<std::size_t>(height - 1 - y) * width + static_cast<std::size_t>(x)) * 4];
    return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

ViewerProcess::ViewerProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
        throw std::runtime_error("cannot start " + toUtf8(program) + ", error " +
                                 std::to_string(GetLastError()));
    }
}

ViewerProcess::~ViewerProcess() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

HWND ViewerProcess::mainWindow(DWORD timeoutMs) const {
    return waitForWindow(id(), L"MainWindow", nullptr, timeoutMs);
}

bool ViewerProcess::waitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ViewerProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND waitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{processId, className, caption, nullptr};
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

bool waitForWindowGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    // WM_GETTEXT rather than GetWindowTextW, which does not read controls of other processes.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

std::vector<std::wstring> childTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    EnumChildWindows(dialog, [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(windowText(child));
        return TRUE;
    }, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::wstring messageBoxText(HWND box) {
    std::wstring longest;
    for (const std::wstring& text : childTexts(box))
        if (text.size() > longest.size()) longest = text;
    return longest;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND windowAt(HWND top, POINT clientPoint) {
    POINT local;
    return targetAt(top, clientPoint, local);
}

RECT rectIn(HWND top, HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void chooseMenuCommand(HWND mainWindow, int commandId) {
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

std::string openThroughDialog(DWORD processId, const std::wstring& path, DWORD timeoutMs,
                              const std::function<void()>& askAgain) {
    // An OK the dialog has not acted on within this is pressed again, as a user would press it
    // again; that it took more than one press is told on stderr, so it shows in a test's output.
    constexpr DWORD kConfirmAgainMs = 4000;
    // No dialog at all for this long, not even one being built, and the request is made again.
    // Only then: a request repeated while a dialog is up would open a second one over it.
    constexpr DWORD kAskAgainMs = 6000;
    const DWORD start = GetTickCount();
    DWORD lastDialogSeen = start;
    int asks = 1;
    HWND found = nullptr;
    HWND pressed = nullptr;
    int presses = 0;
    const auto gone = [&] {
        if (pressed && IsWindow(pressed)) return false;
        if (presses > 1)
            std::fprintf(stderr, "drive: the open-file dialog went after %d presses of OK\n",
                         presses);
        return pressed != nullptr;
    };
    while (GetTickCount() - start < timeoutMs) {
        if (gone()) return {};
        // Message boxes share the dialog's class; only the dialog has a name box. Wine fills the
        // dialog in after showing it, so the box may not be there yet.
        HWND dialog = waitForWindow(processId, L"#32770", nullptr, 500);
        HWND box = dialog ? nameBoxOf(dialog) : nullptr;
        if (dialog) found = dialog;
        if (hasAnyDialog(processId)) {
            lastDialogSeen = GetTickCount();
        } else if (askAgain && !pressed && GetTickCount() - lastDialogSeen >= kAskAgainMs) {
            std::fprintf(stderr, "drive: no open-file dialog %lu ms after asking: asking again\n",
                         static_cast<unsigned long>(GetTickCount() - lastDialogSeen));
            askAgain();
            ++asks;
            lastDialogSeen = GetTickCount();
        }
        // A box of the dialog's own over it (a name it cannot find) disables it: pressing again
        // would only stack more boxes.
        if (!box || !IsWindowEnabled(dialog)) continue;
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        pressDialogButton(dialog, IDOK);
        pressed = dialog;
        ++presses;
        const DWORD left = timeoutMs - std::min(timeoutMs, GetTickCount() - start);
        if (waitForWindowGone(dialog, std::min(kConfirmAgainMs, left)) && gone()) return {};
    }
    if (gone()) return {};
    if (!pressed)
        return std::string(found ? "no dialog with a name box appeared"
                                 : "no open-file dialog appeared") +
               " (asked " + std::to_string(asks) + (asks > 1 ? " times), " : " time), ") +
               describeWindowsOf(processId);
    HWND box = nameBoxOf(pressed);
    std::string seen = "the open-file dialog stayed with OK pressed " + std::to_string(presses) +
                       (presses > 1 ? " times" : " time") + ", its name box reading \"" +
                       (box ? toUtf8(windowText(box)) : std::string()) + "\"";
    for (HWND other = nullptr; (other = FindWindowExW(nullptr, other, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(other, &owner);
        if (owner == processId && other != pressed && IsWindowVisible(other))
            seen += ", beside a box saying \"" + toUtf8(messageBoxText(other)) + "\"";
    }
    return seen;
}

void pressDialogButton(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void click(HWND top, POINT clientPoint) {
    POINT local;
    HWND target = inputTargetAt(top, clientPoint, local);
    sendMouse(target, WM_MOUSEMOVE, 0, local);
    sendMouse(target, WM_LBUTTONDOWN, MK_LBUTTON, local);
    sendMouse(target, WM_LBUTTONUP, 0, local);
}

void drag(HWND top, POINT from, POINT to, int steps, DWORD stepMs) {
    POINT local;
    HWND target = inputTargetAt(top, from, local);
    POINT origin = from;
    ClientToScreen(top, &origin);
    POINT targetOrigin = {0, 0};
    ClientToScreen(target, &targetOrigin);
    // Every move goes to the window the drag began in, which holds the capture meanwhile.
    auto inTarget = [&](POINT p) {
        POINT screen = p;
        ClientToScreen(top, &screen);
        return POINT{screen.x - targetOrigin.x, screen.y - targetOrigin.y};
    };
    sendMouse(target, WM_MOUSEMOVE, 0, local);
    sendMouse(target, WM_LBUTTONDOWN, MK_LBUTTON, local);
    for (int i = 1; i <= steps; ++i) {
        const POINT p = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        pause(stepMs);
        sendMouse(target, WM_MOUSEMOVE, MK_LBUTTON, inTarget(p));
    }
    sendMouse(target, WM_LBUTTONUP, 0, inTarget(to));
}

HeldDrag::HeldDrag(HWND top, POINT from) : top_(top), last_(from) {
    POINT local;
    target_ = inputTargetAt(top, from, local);
    sendMouse(target_, WM_MOUSEMOVE, 0, local);
    sendMouse(target_, WM_LBUTTONDOWN, MK_LBUTTON, local);
}

HeldDrag::~HeldDrag() {
    if (held_) release();
}

POINT HeldDrag::inTarget(POINT clientPoint) const {
    POINT p = clientPoint;
    MapWindowPoints(top_, target_, &p, 1);
    return p;
}

void HeldDrag::moveTo(POINT clientPoint) {
    last_ = clientPoint;
    sendMouse(target_, WM_MOUSEMOVE, MK_LBUTTON, inTarget(clientPoint));
}

void HeldDrag::release() {
    held_ = false;
    sendMouse(target_, WM_LBUTTONUP, 0, inTarget(last_));
}

void pressWithAlt(HWND top, UINT virtualKey) {
    bringToFront(top);
    sendKey(VK_MENU, false);
    sendKey(virtualKey, false);
    sendKey(virtualKey, true);
    sendKey(VK_MENU, true);
    pause(kInputSettleMs);
}

void typeKey(HWND top, UINT virtualKey) {
    bringToFront(top);
    sendKey(virtualKey, false);
    sendKey(virtualKey, true);
    pause(kInputSettleMs);
}

void clickOnScreen(HWND top, POINT screenPoint) {
    bringToFront(top);
    SetCursorPos(screenPoint.x, screenPoint.y);
    sendButton(MOUSEEVENTF_LEFTDOWN);
    sendButton(MOUSEEVENTF_LEFTUP);
    pause(kInputSettleMs);
}

HWND waitForOpenMenu(DWORD processId, DWORD timeoutMs) {
    // The class every open menu's window has.
    return waitForWindow(processId, L"#32768", nullptr, timeoutMs);
}

void pressKey(HWND window, UINT virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

ScreenPicture capture(HWND window, bool clientOnly) {
    bringToFront(window);
    return captureInPlace(window, clientOnly);
}

ScreenPicture captureInPlace(HWND window, bool clientOnly) {
    RECT area;
    if (clientOnly) {
        GetClientRect(window, &area);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    } else {
        GetWindowRect(window, &area);
    }
    ScreenPicture picture;
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    if (picture.width <= 0 || picture.height <= 0) return picture;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 4);

    // Read from the screen, as the other process draws its own windows.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        memcpy(picture.pixels.data(), bits, picture.pixels.size());
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

bool savePicture(const ScreenPicture& picture, const std::wstring& path) {
    if (picture.pixels.empty()) return false;
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = writePng(file, picture.pixels.data(), picture.width, picture.height);
    return std::fclose(file) == 0 && written;
}

void pause(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

}  // namespace tavrin::drive
