#pragma once

// What the tests of the image controls and of the panels share: plain-coloured pictures, pixel
// reading, mouse messages at client positions, a visible host window, and a stand-in for the
// main window that owns a real video player on a generated memory card.

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/ConfigPanel_win.h"
#include "app/ConsolePanel_win.h"
#include "app/IViewerCommands_win.h"
#include "media/AlphaImage_win.h"
#include "media/IVideoPlayerOwner_win.h"
#include "media/Image.h"
#include "media/VideoPlayer_win.h"
#include "recording/ArchiveListing.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tests/win/MessagePump.h"
#include "tools/cardgen/CardWriter.h"
#include "ui/AppInstance_win.h"
#include "ui/Window_win.h"

namespace tavrin::test {

// A picture of one colour.
inline std::unique_ptr<AlphaImage> solidPicture(int width, int height, COLORREF colour) {
    auto image = Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = image->row(y);
        for (int x = 0; x < width; ++x, pixel += 4) {
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
            pixel[3] = 0xFF;
        }
    }
    return std::make_unique<AlphaImage>(std::move(image));
}

inline COLORREF buttonFace() { return GetSysColor(COLOR_BTNFACE); }

// The colour on screen at client point (x, y) of `window`.
inline COLORREF pixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour & 0xFFFFFF;
}

// Sends a mouse message as the system would for client point (x, y), keyword flags included.
// The real pointer is put at the same place first, so a move the system makes up meanwhile (a
// window appearing under it) tells the window nothing different.
inline void sendMouse(HWND window, UINT message, int x, int y) {
    POINT screen = {x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    // The tests press and drag with the left button; on release no button is down.
    const WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    SendMessageW(window, message, keys, MAKELPARAM(x, y));
}

inline void sendKey(HWND window, UINT message, WPARAM key) {
    SendMessageW(window, message, key, message == WM_KEYUP ? 0xC0000001 : 1);
}

// A visible top-level window, away from the screen's corner, for controls to live on.
class HostWindow : public Window {
public:
    HostWindow(int width, int height) {
        CreateParams params;
        params.className = MAKEINTATOM(sharedClass());
        params.title = L"panel test";
        params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        params.x = 60;
        params.y = 60;
        params.width = width;
        params.height = height;
        params.instance = appInstance;
        create(params);
    }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        return Window::handleMessage(message, wParam, lParam);
    }
};

// Destroys a window at the end of a test unless it is gone already (its objects with it).
class WindowGuard {
public:
    explicit WindowGuard(HWND window) : window_(window) {}
    ~WindowGuard() {
        if (IsWindow(window_)) DestroyWindow(window_);
        pumpFor(10);
    }
    WindowGuard(const WindowGuard&) = delete;
    WindowGuard& operator=(const WindowGuard&) = delete;

private:
    HWND window_;
};

// What the panels asked of the main window, kept outside the windows the routing deletes.
struct CommandLog {
    int stepsForward = 0;
    int stepsBack = 0;
    int datesForward = 0;
    int datesBack = 0;
    int openDialogs = 0;
    int busyEntered = 0;
    int foldersGone = 0;
};

// A stand-in for the main window: parent of the player and the panels, the player's owner, and
// the panels' commands. Like the real one it refreshes the control panel whenever the player
// asks, and greys the volume and brightness panel while a recording is read.
class PanelHost : public HostWindow, public IVideoPlayerOwner, public IViewerCommands {
public:
    PanelHost(CommandLog& log, int width, int height) : HostWindow(width, height), log_(log) {}

    HWND ownerWindow() override { return hwnd; }
    HWND viewerWindow() override { return hwnd; }
    void refreshControls() override {
        if (console) console->refresh();
    }
    void stepRecording(bool forward) override { ++(forward ? log_.stepsForward : log_.stepsBack); }
    void stepDate(bool forward) override { ++(forward ? log_.datesForward : log_.datesBack); }
    void showOpenDialog() override { ++log_.openDialogs; }
    void onFolderGone() override {
        ++log_.foldersGone;
        if (player) player->close();
    }
    void enterBusy() override {
        ++log_.busyEntered;
        if (config) config->enableAll(false);
    }
    void leaveBusy() override {
        if (config) config->enableAll(true);
    }
    void discardPlot() override {}
    void repaintInformation() override {}

    // Children: they go with this window.
    VideoPlayer* player = nullptr;
    ConsolePanel* console = nullptr;
    ConfigPanel* config = nullptr;

private:
    CommandLog& log_;
};

// A memory card with five short recordings over three days (two, two and one), written once
// for a whole suite.
class SampleCard {
public:
    SampleCard() {
        cardgen::CardOptions options;
        options.folder = toUtf8(folder_.path());
        options.recordings = 5;
        options.frames = 168;
        options.width = 160;
        options.height = 120;
        cardgen::writeCard(options, [](const std::string&) {});
    }

    // The card's archives in name order.
    std::vector<Path> archives() const {
        std::vector<std::wstring> names;
        listFolder(folder_.path(), names);
        std::sort(names.begin(), names.end());
        std::vector<Path> paths;
        for (const std::wstring& name : names) {
            const Path path = folder_.path() + kPathSeparator + name;
            if (isArchiveFileName(path)) paths.push_back(path);
        }
        return paths;
    }

private:
    TestFolder folder_;
};

}  // namespace tavrin::test
