#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <memory>

#include "media/Animation_win.h"
#include "media/Image.h"
#include "tests/win/ChartFixtures.h"

namespace tavrin {
namespace {

using test::ChartHost;
using test::pumpFor;
using test::pumpUntil;
using test::WindowPixels;

constexpr COLORREF kPictureColour = RGB(220, 30, 40);

std::unique_ptr<AlphaImage> solidPicture() {
    std::unique_ptr<Image> image = Image::create(Animation::kWidth, Animation::kHeight);
    for (int i = 0; i < image->byteSize(); i += 4) {
        image->pixels()[i] = GetBValue(kPictureColour);
        image->pixels()[i + 1] = GetGValue(kPictureColour);
        image->pixels()[i + 2] = GetRValue(kPictureColour);
        image->pixels()[i + 3] = 0;
    }
    return std::make_unique<AlphaImage>(std::move(image));
}

// A white window that does not clip its children, so whatever the animation leaves unpainted
// shows white.
class WhiteWindow : public Window {
public:
    WhiteWindow() {
        CreateParams params;
        params.exStyle = WS_EX_TOPMOST;
        params.className = MAKEINTATOM(sharedClass());
        params.title = L"animation test";
        params.style = WS_POPUP | WS_VISIBLE;
        params.x = 150;
        params.y = 150;
        params.width = 400;
        params.height = 200;
        params.instance = appInstance;
        create(params);
    }
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_ERASEBKGND) return Window::handleMessage(message, wParam, lParam);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client,
                 static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
    }
};

bool showsPicture(HWND window) {
    const WindowPixels pixels(window);
    return pixels.at(0, 0) == kPictureColour &&
           pixels.at(Animation::kWidth - 1, 0) == kPictureColour &&
           pixels.at(Animation::kWidth / 2, Animation::kHeight / 2) == kPictureColour &&
           pixels.at(Animation::kWidth - 1, Animation::kHeight - 1) == kPictureColour;
}
bool showsNoPicture(HWND window) {
    const WindowPixels pixels(window);
    for (int y = 0; y < pixels.height(); y += 8)
        for (int x = 0; x < pixels.width(); x += 8)
            if (pixels.at(x, y) == kPictureColour) return false;
    return true;
}

TEST(AnimationTest, ItIsCentredInThePlayerWindowAndRunsItsTwoPeriods) {
    auto* host = new ChartHost;
    const HWND hostWindow = host->hwnd;
    const HWND playerWindow = host->player->hwnd;
    MoveWindow(playerWindow, 0, 0, 640, 480, TRUE);

    Animation* animation = showAnimationCentred(playerWindow);
    const HWND window = animation->hwnd;
    EXPECT_EQ(GetParent(window), playerWindow);
    RECT placed;
    GetWindowRect(window, &placed);
    MapWindowPoints(HWND_DESKTOP, playerWindow, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 180);
    EXPECT_EQ(placed.top, 203);
    EXPECT_EQ(placed.right - placed.left, 280);
    EXPECT_EQ(placed.bottom - placed.top, 73);
    EXPECT_EQ(animation->frameCounter(), 0);

    // Started by the call: two events, then the timer is gone.
    EXPECT_TRUE(pumpUntil([&] { return animation->frameCounter() == 2; }, 3000));
    EXPECT_FALSE(KillTimer(window, 0));
    DestroyWindow(hostWindow);
    pumpFor(20);
}

TEST(AnimationTest, APlayerNarrowerThanThePictureGivesANegativePositionTruncatedTowardZero) {
    const POINT at = animationPosition(200, 60);
    EXPECT_EQ(at.x, -40);
    EXPECT_EQ(at.y, -6);  // -6.5
    EXPECT_EQ(animationPosition(641, 480).x, 180);
}

TEST(AnimationTest, BlankAtFirstThenThePictureWhichStaysAfterTheTimerEnds) {
    auto* parent = new WhiteWindow;
    const HWND parentWindow = parent->hwnd;
    auto* animation = new Animation(parentWindow, 20, 20, solidPicture());
    const HWND window = animation->hwnd;
    const DWORD started = timeGetTime();
    animation->start();

    // Painted before any timer event (no message is dispatched here, so none can arrive).
    UpdateWindow(parentWindow);
    UpdateWindow(window);
    EXPECT_EQ(animation->frameCounter(), 0);
    EXPECT_TRUE(showsNoPicture(window));

    ASSERT_TRUE(pumpUntil([&] { return animation->frameCounter() >= 1; }, 3000));
    // A window timer never fires early; a loaded machine may make it late.
    EXPECT_GE(timeGetTime() - started, 90u);
    UpdateWindow(window);
    EXPECT_TRUE(showsPicture(window));

    ASSERT_TRUE(pumpUntil([&] { return animation->frameCounter() == 2; }, 3000));
    pumpFor(350);
    EXPECT_EQ(animation->frameCounter(), 2) << "the timer ends with the second event";
    EXPECT_FALSE(KillTimer(window, 0));

    // Later paints, even with the background erased, keep the picture.
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_TRUE(showsPicture(window));

    DestroyWindow(parentWindow);
    pumpFor(20);
}

}  // namespace
}  // namespace tavrin
