#include "bench/PlayerHost_win.h"

#include <stdexcept>

#include "app/MainLayout.h"
#include "ui/AppInstance_win.h"

namespace tavrin::bench {
namespace {

constexpr int kBoxWidth = 640;
constexpr int kBoxHeight = 480;
constexpr int kMainMenu = 101;

unsigned long systemMajorVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) ? info.dwMajorVersion : 0;
}

}  // namespace

PlayerHost::PlayerHost(HostWindow kind) : kind_(kind) {
    if (kind == HostWindow::kBox) {
        // A popup has no frame, so its window size is its client size. WS_CLIPCHILDREN keeps
        // the host's own painting off the player.
        window_ = CreateWindowExW(0, L"STATIC", L"playback_bench",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kBoxWidth,
                                  kBoxHeight, nullptr, nullptr, appInstance, nullptr);
    } else {
        // The main window's styles, menu and size, so the client area and with it the picture
        // box come out as a user sees them.
        menu_ = LoadMenuW(appInstance, MAKEINTRESOURCEW(kMainMenu));
        const OuterSize size = mainWindowSize(systemMajorVersion());
        window_ = CreateWindowExW(
            WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, L"STATIC", L"playback_bench",
            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, size.width,
            size.height, nullptr, menu_, appInstance, nullptr);
        if (window_ != nullptr) {
            ShowWindow(window_, kind == HostWindow::kMaximised ? SW_MAXIMIZE : SW_SHOWNORMAL);
            UpdateWindow(window_);
        }
    }
    if (window_ == nullptr) {
        if (menu_ != nullptr) DestroyMenu(menu_);
        throw std::runtime_error("cannot create the host window");
    }
}

PlayerHost::~PlayerHost() { DestroyWindow(window_); }

void PlayerHost::placePlayer(HWND player) {
    // In the box the player keeps the 640 x 480 it is created with.
    if (kind_ == HostWindow::kBox) return;
    RECT client;
    GetClientRect(window_, &client);
    const LayoutRect place = layoutMainWindow(client.right, client.bottom, true).player;
    MoveWindow(player, place.x, place.y, place.width, place.height, TRUE);
}

}  // namespace tavrin::bench
