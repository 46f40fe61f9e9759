#include "bench/PlayerHost_win.h"

#include <stdexcept>

#include "ui/AppInstance_win.h"

namespace tavrin::bench {

PlayerHost::PlayerHost(int clientWidth, int clientHeight) {
    // A popup has no frame, so its window size is its client size. WS_CLIPCHILDREN keeps the
    // host's own painting off the player.
    window_ = CreateWindowExW(0, L"STATIC", L"playback_bench",
                              WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, clientWidth,
                              clientHeight, nullptr, nullptr, appInstance, nullptr);
    if (window_ == nullptr) throw std::runtime_error("cannot create the host window");
}

PlayerHost::~PlayerHost() { DestroyWindow(window_); }

}  // namespace tavrin::bench
