#pragma once

// Shared by the tests of the panels around the picture: a stand-in for the main window that
// holds a real video player, a sample card, and a readback of a window's pixels.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/VideoPlayer_win.h"
#include "recording/ArchiveListing.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tests/win/MessagePump.h"
#include "tools/cardgen/CardWriter.h"
#include "ui/AppInstance_win.h"
#include "ui/Window_win.h"

namespace tavrin::test {

// A visible pop-up that holds the player and, like the main window, passes the player's
// call-backs on to the panels the test hands it. The player is moved to the top left so it
// does not paint over the panels laid out beside and below it.
class ChartHost : public Window, public IVideoPlayerOwner {
public:
    static constexpr int kWidth = 900;
    static constexpr int kHeight = 600;

    ChartHost() {
        CreateParams params;
        params.exStyle = WS_EX_TOPMOST;
        params.className = MAKEINTATOM(sharedClass());
        params.title = L"panel test";
        params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        params.x = 100;
        params.y = 100;
        params.width = kWidth;
        params.height = kHeight;
        params.instance = appInstance;
        create(params);
        player = new VideoPlayer(*this);
        MoveWindow(player->hwnd, 0, 0, 320, 240, TRUE);
    }

    HWND ownerWindow() override { return hwnd; }
    void refreshControls() override {
        if (onRefresh) onRefresh();
    }
    void stepRecording(bool) override {}
    void onFolderGone() override { player->close(); }
    void enterBusy() override {}
    void leaveBusy() override {}
    void discardPlot() override {
        if (onDiscardPlot) onDiscardPlot();
    }
    void repaintInformation() override {
        if (onRefresh) onRefresh();
    }

    VideoPlayer* player = nullptr;  // owned by its window
    std::function<void()> onRefresh;
    std::function<void()> onDiscardPlot;
};

// Two short recordings on one card, written once for the test program.
class ChartCard {
public:
    static const ChartCard& get() {
        static ChartCard card;
        return card;
    }

    // The first archive of the card, from which the player lists the folder.
    Path firstArchive() const {
        std::vector<std::wstring> names;
        listFolder(folder_.path(), names);
        std::sort(names.begin(), names.end());
        for (const std::wstring& name : names) {
            const Path path = folder_.file(name);
            if (isArchiveFileName(path)) return path;
        }
        return Path();
    }

    static constexpr int kRecordings = 2;
    static constexpr int kFrames = 168;

private:
    ChartCard() {
        cardgen::CardOptions options;
        options.folder = toUtf8(folder_.path());
        options.recordings = kRecordings;
        options.frames = kFrames;
        options.width = 160;
        options.height = 120;
        cardgen::writeCard(options, [](const std::string&) {});
    }

    TestFolder folder_;
};

// The client area of a window as it is on screen.
class WindowPixels {
public:
    explicit WindowPixels(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        pixels_.resize(static_cast<std::size_t>(width_) * height_);
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down, so rows count from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, width_, height_, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* source = static_cast<const std::uint32_t*>(bits);
        std::copy_n(source, pixels_.size(), pixels_.begin());
        SelectObject(memoryDc, previous);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y) from the top left, as RGB(); black outside the window.
    COLORREF at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return RGB(0, 0, 0);
        const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
    }
    // Whether `colour` appears in column x between rows top and bottom (inclusive).
    bool columnHas(int x, int top, int bottom, COLORREF colour) const {
        for (int y = top; y <= bottom; ++y)
            if (at(x, y) == colour) return true;
        return false;
    }
    // The topmost row of column x with `colour`, or -1.
    int topmostIn(int x, COLORREF colour) const {
        for (int y = 0; y < height_; ++y)
            if (at(x, y) == colour) return y;
        return -1;
    }
    bool sameAs(const WindowPixels& other) const { return pixels_ == other.pixels_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace tavrin::test
