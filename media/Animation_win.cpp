#include "media/Animation_win.h"

#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr int kPictureImage = 285;

}  // namespace

Animation::Animation(HWND parent, int x, int y)
    : Animation(parent, x, y, std::make_unique<AlphaImage>(kPictureImage)) {}

Animation::Animation(HWND parent, int x, int y, std::unique_ptr<AlphaImage> picture)
    : picture_(std::move(picture)) {
    create(sharedChildParams(parent, WS_CHILD | WS_VISIBLE, x, y, kWidth, kHeight));
}

LRESULT Animation::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            // The first frame is blank: until then the area is left as it is.
            if (dc && frameCounter_ >= 1 && picture_) picture_->drawAt(dc, 0, 0);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 0;
        case WM_TIMER:
            if (wParam != kTimerId) break;
            ++frameCounter_;
            if (frameCounter_ < kFrames)
                InvalidateRect(hwnd, nullptr, FALSE);
            else
                KillTimer(hwnd, kTimerId);
            return 0;
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void Animation::start() {
    frameCounter_ = 0;
    if (!SetTimer(hwnd, kTimerId, kPeriodMs, nullptr)) throw describeError(GetLastError());
}

POINT animationPosition(int width, int height) {
    return {(width - Animation::kWidth) / 2, (height - Animation::kHeight) / 2};
}

Animation* showAnimationCentred(HWND playerWindow) {
    RECT player;
    GetWindowRect(playerWindow, &player);
    const POINT at = animationPosition(player.right - player.left, player.bottom - player.top);
    auto* animation = new Animation(playerWindow, at.x, at.y);
    try {
        animation->start();
    } catch (...) {
        DestroyWindow(animation->hwnd);  // which deletes the object
        throw;
    }
    return animation;
}

}  // namespace tavrin
