#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include "app/ConfigPanel_win.h"
#include "media/ISoundPlayer.h"
#include "media/VideoPlayer_win.h"
#include "tests/win/MessagePump.h"
#include "tests/win/PanelTestSupport.h"
#include "ui/ImageButton_win.h"
#include "ui/ImageTrackBar_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;
using test::sendMouse;
using test::solidPicture;

// The sliders are 151 pixels wide; with an 11-pixel thumb the thumb travels 140.
constexpr int kThumbWidth = 11;
constexpr int kSliderWidth = 151;

bool enabled(Window& control) { return IsWindowEnabled(control.hwnd) != FALSE; }

class ConfigPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new test::PanelHost(log_, 400, 300);
        guard_ = std::make_unique<test::WindowGuard>(host_->hwnd);
        player_ = new VideoPlayer(*host_);
        host_->player = player_;
        MoveWindow(player_->hwnd, 0, 150, 160, 120, TRUE);
        // Start values of their own, which the panel must leave alone until a slider moves.
        player_->soundPlayer().setVolume(3);
        player_->brightness().setGamma(2.0);
        panel_ = new ConfigPanel(*host_, *player_);
        host_->config = panel_;
        MoveWindow(panel_->hwnd, 0, 0, 209, 140, TRUE);
        // Pictures of known sizes, whatever the skin holds.
        for (ImageTrackBar* slider : {&panel_->volumeSlider(), &panel_->brightnessSlider()})
            slider->setPictures(solidPicture(kThumbWidth, 16, RGB(0, 0, 255)),
                                solidPicture(kSliderWidth, 16, RGB(128, 128, 128)), nullptr);
    }
    void TearDown() override { guard_.reset(); }

    void click(Window& button) {
        RECT client;
        GetClientRect(button.hwnd, &client);
        sendMouse(button.hwnd, WM_LBUTTONDOWN, client.right / 2, client.bottom / 2);
        sendMouse(button.hwnd, WM_LBUTTONUP, client.right / 2, client.bottom / 2);
    }
    // Presses at `from`, drags to `to` while the slider's timer reports, releases there.
    void drag(ImageTrackBar& slider, int from, int to) {
        sendMouse(slider.hwnd, WM_LBUTTONDOWN, from, 8);
        sendMouse(slider.hwnd, WM_MOUSEMOVE, to, 8);
        pumpFor(150);
        sendMouse(slider.hwnd, WM_LBUTTONUP, to, 8);
    }
    int volume() { return player_->soundPlayer().getVolume(); }
    double gamma() { return player_->brightness().gamma(); }

    test::CommandLog log_;
    test::PanelHost* host_ = nullptr;
    std::unique_ptr<test::WindowGuard> guard_;
    VideoPlayer* player_ = nullptr;
    ConfigPanel* panel_ = nullptr;
};

TEST_F(ConfigPanelTest, StartsAtTheStandardValuesWithoutTellingThePlayer) {
    EXPECT_EQ(panel_->volumeSlider().minimum(), 0);
    EXPECT_EQ(panel_->volumeSlider().maximum(), 16);
    EXPECT_EQ(panel_->volumeSlider().value(), 16);
    EXPECT_EQ(panel_->brightnessSlider().minimum(), 1);
    EXPECT_EQ(panel_->brightnessSlider().maximum(), 50);
    EXPECT_EQ(panel_->brightnessSlider().value(), 12);
    EXPECT_EQ(volume(), 3);
    EXPECT_DOUBLE_EQ(gamma(), 2.0);
    EXPECT_EQ(panel_->standardVolumeButton().cursor, LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(panel_->standardBrightnessButton().cursor, LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(ConfigPanelTest, TheVolumeSliderSetsTheSoundPlayersVolume) {
    sendMouse(panel_->volumeSlider().hwnd, WM_LBUTTONDOWN, 0, 8);
    EXPECT_EQ(volume(), 0) << "heard at the press";
    sendMouse(panel_->volumeSlider().hwnd, WM_MOUSEMOVE, 70, 8);  // 16 x 70 / 140
    ASSERT_TRUE(pumpUntil([&] { return volume() == 8; }, 1000)) << "heard from the drag's timer";
    sendMouse(panel_->volumeSlider().hwnd, WM_LBUTTONUP, 500, 8);
    EXPECT_EQ(panel_->volumeSlider().value(), 16);
    EXPECT_EQ(volume(), 16);
}

TEST_F(ConfigPanelTest, TheBrightnessSliderSetsGammaInTenthsWithinItsRange) {
    drag(panel_->brightnessSlider(), 60, -100);
    EXPECT_EQ(panel_->brightnessSlider().value(), 1);
    EXPECT_DOUBLE_EQ(gamma(), 0.1);
    drag(panel_->brightnessSlider(), 60, 1000);
    EXPECT_EQ(panel_->brightnessSlider().value(), 50);
    EXPECT_DOUBLE_EQ(gamma(), 5.0);
    EXPECT_EQ(panel_->brightnessSlider().tooltipText(), L"5.0");
    drag(panel_->brightnessSlider(), 60, 40);  // 1 + 49 x 40 / 140 = 15
    EXPECT_EQ(panel_->brightnessSlider().value(), 15);
    EXPECT_DOUBLE_EQ(gamma(), 1.5);
    EXPECT_EQ(panel_->brightnessSlider().tooltipText(), L"1.5");
    EXPECT_EQ(panel_->volumeSlider().tooltipText(), L"16");
    EXPECT_EQ(ConfigPanel::brightnessText(12), L"1.2");
    EXPECT_EQ(ConfigPanel::brightnessText(1), L"0.1");
}

TEST_F(ConfigPanelTest, TheStandardButtonsPutTheSlidersBackAndTellOnlyWhenTheyMove) {
    drag(panel_->brightnessSlider(), 60, 1000);
    click(panel_->standardBrightnessButton());
    EXPECT_EQ(panel_->brightnessSlider().value(), 12);
    EXPECT_DOUBLE_EQ(gamma(), 1.2);

    // Already at 16: the sound player hears nothing and keeps its own value.
    click(panel_->standardVolumeButton());
    EXPECT_EQ(volume(), 3);
    drag(panel_->volumeSlider(), 60, -50);
    EXPECT_EQ(volume(), 0);
    click(panel_->standardVolumeButton());
    EXPECT_EQ(panel_->volumeSlider().value(), 16);
    EXPECT_EQ(volume(), 16);
}

TEST_F(ConfigPanelTest, TheOpenButtonAsksTheMainWindowForAFile) {
    click(panel_->openButton());
    EXPECT_EQ(log_.openDialogs, 1);
}

TEST_F(ConfigPanelTest, EnableAllAndEnableVolumeGreyTheirControls) {
    panel_->enableAll(false);
    for (Window* control : {static_cast<Window*>(&panel_->volumeSlider()),
                            static_cast<Window*>(&panel_->brightnessSlider()),
                            static_cast<Window*>(&panel_->standardVolumeButton()),
                            static_cast<Window*>(&panel_->standardBrightnessButton()),
                            static_cast<Window*>(&panel_->openButton())})
        EXPECT_FALSE(enabled(*control));
    click(panel_->openButton());
    EXPECT_EQ(log_.openDialogs, 0) << "no second opening while one is read";
    drag(panel_->volumeSlider(), 60, -50);
    EXPECT_EQ(volume(), 3);

    panel_->enableVolume(true);
    EXPECT_TRUE(enabled(panel_->volumeSlider()));
    EXPECT_TRUE(enabled(panel_->standardVolumeButton()));
    EXPECT_FALSE(enabled(panel_->brightnessSlider()));
    EXPECT_FALSE(enabled(panel_->openButton()));

    panel_->enableAll(true);
    EXPECT_TRUE(enabled(panel_->brightnessSlider()));
    EXPECT_TRUE(enabled(panel_->standardBrightnessButton()));
    EXPECT_TRUE(enabled(panel_->openButton()));
    panel_->enableVolume(false);
    EXPECT_FALSE(enabled(panel_->volumeSlider()));
    EXPECT_TRUE(enabled(panel_->openButton()));
}

}  // namespace
}  // namespace tavrin
