#pragma once

// Drives a running copy of the viewer the way a user does: finds its windows, chooses menu
// commands, fills and confirms its dialogs, clicks and drags with mouse messages at window
// positions, presses keys and takes screenshots. Used by the demo and by the end-to-end tests.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrin::drive {

// A picture of the screen: 32 bits a pixel (blue, green, red, unused), bottom-up rows.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    // Pixel (x, y) counted from the top left, as 0x00RRGGBB.
    std::uint32_t at(int x, int y) const;
};

class ViewerProcess {
public:
    // Starts `program` in `folder` (or the program's own folder). Throws std::runtime_error.
    explicit ViewerProcess(const std::wstring& program, const std::wstring& arguments = L"");
    // Ends the program when it is still running.
    ~ViewerProcess();
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    DWORD id() const { return info_.dwProcessId; }
    // The main window once it is visible; null after `timeoutMs`.
    HWND mainWindow(DWORD timeoutMs = 20000) const;
    bool waitForExit(DWORD timeoutMs) const;
    DWORD exitCode() const;

private:
    PROCESS_INFORMATION info_{};
};

// The first visible top-level window of process `processId` with this class (null: any) and
// caption (null: any), waited for up to `timeoutMs`; null when none came.
HWND waitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD timeoutMs);
// Waits until `window` is gone.
bool waitForWindowGone(HWND window, DWORD timeoutMs);

std::wstring windowText(HWND window);
// The texts of a dialog's children (a message box's text among them).
std::vector<std::wstring> childTexts(HWND dialog);
// The text a message box shows: the longest of its children's texts (its buttons say less).
std::wstring messageBoxText(HWND box);
// The direct children of `parent`, visible or not, in Z order.
std::vector<HWND> childWindows(HWND parent);

// The deepest visible child of `top` under a point of its client area; `top` when none.
HWND windowAt(HWND top, POINT clientPoint);
// Where `window` lies in `top`'s client coordinates.
RECT rectIn(HWND top, HWND window);

void chooseMenuCommand(HWND mainWindow, int commandId);
// Types `path` into the open-file dialog of process `processId` once it shows, and confirms it
// until the dialog goes. Empty when it went within `timeoutMs`; otherwise what stood in the way.
// `askAgain`, when given, asks for the dialog once more when the process has had no dialog at
// all, shown or being built, for several seconds: the request came to nothing.
std::string openThroughDialog(DWORD processId, const std::wstring& path, DWORD timeoutMs,
                              const std::function<void()>& askAgain = {});
// Presses a dialog's button (IDOK, IDCANCEL, IDYES, IDNO).
void pressDialogButton(HWND dialog, int buttonId);

// Mouse input at a point of `top`'s client area, delivered to the window under it.
void click(HWND top, POINT clientPoint);
// Button down at `from`, moves in `steps` steps `stepMs` apart, button up at `to`.
void drag(HWND top, POINT from, POINT to, int steps, DWORD stepMs);
void pressKey(HWND window, UINT virtualKey);

// Keyboard and mouse input made as the keyboard and the mouse make it (SendInput): the system
// sends it to the window in front and the one under the pointer and runs its own handling on
// the way (hit testing, the menu bar and its mnemonics, the open menu's own loop), which the
// posted input above never reaches. `top` is brought to the front first.
//
// Alt held while `virtualKey` is pressed, as for a menu's mnemonic.
void pressWithAlt(HWND top, UINT virtualKey);
void typeKey(HWND top, UINT virtualKey);
// A left click at a point of the screen.
void clickOnScreen(HWND top, POINT screenPoint);
// The menu that process `processId` shows open (its popup window), waited for up to
// `timeoutMs`; null when none came.
HWND waitForOpenMenu(DWORD processId, DWORD timeoutMs);

// A drag taken step by step, so the caller can look at the window while the button is held.
// Released where the pointer last was, if not before, when it goes.
class HeldDrag {
public:
    HeldDrag(HWND top, POINT from);
    ~HeldDrag();
    HeldDrag(const HeldDrag&) = delete;
    HeldDrag& operator=(const HeldDrag&) = delete;
    void moveTo(POINT clientPoint);
    void release();

private:
    POINT inTarget(POINT clientPoint) const;
    HWND top_;
    HWND target_;
    POINT last_;
    bool held_ = true;
};

// The window as it is on screen (brought to the front first); the client area only when asked.
ScreenPicture capture(HWND window, bool clientOnly);
// The same without bringing it forward, which waits for the window's thread: for a window in
// front already whose thread may be held still.
ScreenPicture captureInPlace(HWND window, bool clientOnly);
// False when the file cannot be written.
bool savePicture(const ScreenPicture& picture, const std::wstring& path);

// Lets time pass without blocking this program's own windows (it has none, but Wine's may).
void pause(DWORD ms);

}  // namespace tavrin::drive
