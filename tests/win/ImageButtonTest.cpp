#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "tests/win/MessagePump.h"
#include "tests/win/PanelTestSupport.h"
#include "ui/ImageButton_win.h"
#include "ui/PlayButton_win.h"

namespace tavrin {
namespace {

using test::pixelAt;
using test::pumpFor;
using test::sendKey;
using test::sendMouse;
using test::solidPicture;

constexpr COLORREF kRed = RGB(200, 30, 40);
constexpr COLORREF kGreen = RGB(30, 180, 60);
constexpr COLORREF kBlue = RGB(20, 40, 210);
constexpr COLORREF kYellow = RGB(230, 220, 20);
constexpr COLORREF kCyan = RGB(20, 210, 220);
constexpr COLORREF kMagenta = RGB(210, 20, 200);

constexpr int kWidth = 40;
constexpr int kHeight = 30;

struct ButtonLog : ImageButtonListener {
    void onButtonClicked(ImageButton* button) override {
        ++clicks;
        last = button;
    }
    void onButtonPressed(ImageButton* button) override {
        pressTimes.push_back(timeGetTime());
        last = button;
    }
    int presses() const { return static_cast<int>(pressTimes.size()); }

    int clicks = 0;
    std::vector<DWORD> pressTimes;
    ImageButton* last = nullptr;
};

class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new test::HostWindow(200, 100);
        guard_ = std::make_unique<test::WindowGuard>(host_->hwnd);
        button_ = new ImageButton(host_->hwnd, 20, 20, kWidth, kHeight);
        button_->listener = &log_;
    }
    void TearDown() override { guard_.reset(); }

    void click(int x, int y) {
        sendMouse(button_->hwnd, WM_LBUTTONDOWN, x, y);
        sendMouse(button_->hwnd, WM_LBUTTONUP, x, y);
    }
    COLORREF centre() const { return pixelAt(button_->hwnd, kWidth / 2, kHeight / 2); }

    ButtonLog log_;
    test::HostWindow* host_ = nullptr;
    std::unique_ptr<test::WindowGuard> guard_;
    ImageButton* button_ = nullptr;
};

TEST_F(ImageButtonTest, AClickIsAPressThenAReleaseInsideTheButton) {
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(log_.presses(), 1);
    EXPECT_EQ(log_.clicks, 0);
    EXPECT_EQ(GetCapture(), button_->hwnd);
    EXPECT_TRUE(button_->isPressed());
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(log_.clicks, 1);
    EXPECT_EQ(log_.last, button_);
    EXPECT_EQ(GetCapture(), nullptr);

    // Released outside, on every side and at the right and bottom edges: no click.
    for (POINT outside : {POINT{-5, 10}, POINT{10, -1}, POINT{kWidth, 10}, POINT{10, kHeight},
                          POINT{300, 300}}) {
        sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
        sendMouse(button_->hwnd, WM_LBUTTONUP, outside.x, outside.y);
        EXPECT_EQ(GetCapture(), nullptr);
    }
    EXPECT_EQ(log_.clicks, 1);
    click(kWidth - 1, kHeight - 1);
    click(0, 0);
    EXPECT_EQ(log_.clicks, 3);
}

TEST_F(ImageButtonTest, HoldingTheButtonRepeatsThePressEvery100Ms) {
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    const DWORD start = timeGetTime();
    pumpFor(650);
    const DWORD held = timeGetTime() - start;
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    const int presses = log_.presses();
    // One at the press, then one per 100 ms held; a busy machine may only lose some.
    EXPECT_GE(presses, 1 + 3);
    EXPECT_LE(presses, 1 + static_cast<int>(held / 100) + 1);
    for (int i = 2; i < presses; ++i)
        EXPECT_GE(log_.pressTimes[i] - log_.pressTimes[i - 1], 80u) << "repeat " << i;
    EXPECT_EQ(log_.clicks, 1);

    pumpFor(300);
    EXPECT_EQ(log_.presses(), presses) << "released, the repeats stop";
}

TEST_F(ImageButtonTest, EnterPressesAndClicksWhateverThePointerDoes) {
    sendKey(button_->hwnd, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(log_.presses(), 1);
    EXPECT_EQ(GetCapture(), button_->hwnd);
    // The key's own repeat while held does not press again.
    sendKey(button_->hwnd, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(log_.presses(), 1);
    sendKey(button_->hwnd, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(log_.clicks, 1);
    EXPECT_EQ(GetCapture(), nullptr);

    sendKey(button_->hwnd, WM_KEYDOWN, VK_SPACE);
    sendKey(button_->hwnd, WM_KEYUP, VK_SPACE);
    EXPECT_EQ(log_.presses(), 1);
    EXPECT_EQ(log_.clicks, 1);

    // Enter is the button's; other keys (Tab above all) stay with the dialog manager.
    auto keyMessage = [&](UINT message, WPARAM key) {
        MSG pending = {};
        pending.hwnd = button_->hwnd;
        pending.message = message;
        pending.wParam = key;
        return pending;
    };
    MSG tab = keyMessage(WM_KEYDOWN, VK_TAB);
    MSG enter = keyMessage(WM_KEYDOWN, VK_RETURN);
    MSG letter = keyMessage(WM_CHAR, 'a');
    EXPECT_EQ(SendMessageW(button_->hwnd, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&tab)), 0);
    EXPECT_EQ(SendMessageW(button_->hwnd, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&letter)), 0);
    EXPECT_EQ(SendMessageW(button_->hwnd, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)),
              DLGC_WANTALLKEYS | DLGC_WANTCHARS);
    EXPECT_EQ(SendMessageW(button_->hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS | DLGC_WANTCHARS);
}

TEST_F(ImageButtonTest, ADisabledButtonIgnoresInputAndStopsRepeatingWhenDisabledWhileHeld) {
    button_->setEnabled(false);
    click(10, 10);
    sendKey(button_->hwnd, WM_KEYDOWN, VK_RETURN);
    sendKey(button_->hwnd, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(log_.presses(), 0);
    EXPECT_EQ(log_.clicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    button_->setEnabled(true);
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    pumpFor(250);
    ASSERT_GE(log_.presses(), 2);
    button_->setEnabled(false);
    pumpFor(50);
    const int presses = log_.presses();
    pumpFor(350);
    EXPECT_EQ(log_.presses(), presses);
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(log_.clicks, 0);
}

TEST_F(ImageButtonTest, ThePictureFollowsThePressedAndDisabledStates) {
    button_->framed = false;
    button_->setPictures(solidPicture(8, 8, kRed), solidPicture(8, 8, kGreen),
                         solidPicture(8, 8, kBlue));
    EXPECT_EQ(centre(), kRed) << "stretched over the whole button";
    EXPECT_EQ(pixelAt(button_->hwnd, 0, 0), kRed);
    EXPECT_EQ(pixelAt(button_->hwnd, kWidth - 1, kHeight - 1), kRed);
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(centre(), kGreen);
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(centre(), kRed);
    button_->setEnabled(false);
    EXPECT_EQ(centre(), kBlue);

    // Without a disabled look the normal one stays.
    button_->setPictures(solidPicture(8, 8, kRed), nullptr, nullptr);
    EXPECT_EQ(centre(), kRed);
    button_->setEnabled(true);

    // Unframed and without a pressed look, the press does not repaint, and a pressed button
    // painted for another reason shows only its background.
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(centre(), kRed);
    RedrawWindow(button_->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(centre(), test::buttonFace());
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    RedrawWindow(button_->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(centre(), kRed);
}

TEST_F(ImageButtonTest, AFramedButtonWithoutAPressedLookMovesItsPictureDownOnePixel) {
    button_->setPictures(solidPicture(8, 8, kRed), nullptr, nullptr);
    EXPECT_EQ(pixelAt(button_->hwnd, kWidth / 2, 0), kRed) << "the picture covers the edge";
    sendMouse(button_->hwnd, WM_LBUTTONDOWN, 10, 10);
    EXPECT_NE(pixelAt(button_->hwnd, kWidth / 2, 0), kRed);
    EXPECT_EQ(pixelAt(button_->hwnd, kWidth / 2, 1), kRed);
    sendMouse(button_->hwnd, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(pixelAt(button_->hwnd, kWidth / 2, 0), kRed);
}

TEST_F(ImageButtonTest, WithoutPicturesTheButtonShowsTheButtonFace) {
    button_->framed = false;
    button_->setImages(9999, 0, 0);  // not among the resources
    EXPECT_EQ(centre(), test::buttonFace());
    click(10, 10);
    EXPECT_EQ(log_.clicks, 1) << "a button without its picture still works";
}

TEST(PlayButtonTest, PlayingSwapsInThePauseLooksAndBack) {
    auto* host = new test::HostWindow(200, 100);
    test::WindowGuard guard(host->hwnd);
    auto* button = new PlayButton(host->hwnd, 20, 20, kWidth, kHeight);
    button->framed = false;
    button->setPictures(solidPicture(8, 8, kRed), solidPicture(8, 8, kGreen),
                        solidPicture(8, 8, kBlue));
    button->setAltPictures(solidPicture(8, 8, kYellow), solidPicture(8, 8, kCyan),
                           solidPicture(8, 8, kMagenta));
    auto centre = [&] { return pixelAt(button->hwnd, kWidth / 2, kHeight / 2); };
    EXPECT_FALSE(button->isPlaying());
    EXPECT_EQ(centre(), kRed);

    button->setPlaying(true);
    EXPECT_TRUE(button->isPlaying());
    EXPECT_EQ(centre(), kYellow);
    button->setPlaying(true);  // no change: the looks are not swapped back
    EXPECT_EQ(centre(), kYellow);
    sendMouse(button->hwnd, WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(centre(), kCyan);
    sendMouse(button->hwnd, WM_LBUTTONUP, 10, 10);
    button->setEnabled(false);
    EXPECT_EQ(centre(), kMagenta);

    button->setPlaying(false);
    EXPECT_EQ(centre(), kBlue);
    button->setEnabled(true);
    EXPECT_EQ(centre(), kRed);
}

}  // namespace
}  // namespace tavrin
