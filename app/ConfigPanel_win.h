#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "media/AlphaImage_win.h"
#include "ui/ImageButtonListener.h"
#include "ui/ImageTrackBarListener.h"
#include "ui/Window_win.h"

namespace tavrin {

class IViewerCommands;
class ImageButton;
class ImageTrackBar;
class TrackToolTip;
class VideoPlayer;

// The small panel in the right-hand column: the sound volume and picture brightness sliders,
// a button that puts each back to its standard value, and the button that opens a recording.
// Volume goes straight to the sound player, brightness to the player's correction table. Create
// it with new; its window (a child of the main window, laid out by it) owns it.
class ConfigPanel : public Window, public ImageButtonListener, public ImageTrackBarListener {
public:
    static constexpr std::int32_t kMaximumVolume = 16;
    static constexpr std::int32_t kStandardVolume = 16;
    // Brightness in tenths of the gamma value.
    static constexpr std::int32_t kMinimumBrightness = 1;
    static constexpr std::int32_t kMaximumBrightness = 50;
    static constexpr std::int32_t kStandardBrightness = 12;

    ConfigPanel(IViewerCommands& commands, VideoPlayer& player);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void onButtonClicked(ImageButton* button) override;
    void onButtonPressed(ImageButton*) override {}
    void onTrackBarChanged(ImageTrackBar* bar) override;
    void onTrackBarBeginTrack(ImageTrackBar*) override {}
    void onTrackBarEndTrack(ImageTrackBar*) override {}

    // All five controls; off while the player reads a recording.
    void enableAll(bool on);
    // The volume slider and its standard button only.
    void enableVolume(bool on);

    // The brightness tip: value / 10 with one decimal ("1.2").
    static std::wstring brightnessText(std::int32_t value);

    ImageTrackBar& volumeSlider() { return *volumeSlider_; }
    ImageTrackBar& brightnessSlider() { return *brightnessSlider_; }
    ImageButton& standardVolumeButton() { return *standardVolumeButton_; }
    ImageButton& standardBrightnessButton() { return *standardBrightnessButton_; }
    ImageButton& openButton() { return *openButton_; }
    TrackToolTip& toolTip() { return *toolTip_; }

private:
    ImageTrackBar* makeSlider(int y, int trackId, std::int32_t min, std::int32_t max,
                              std::int32_t value);
    ImageButton* makeStandardButton(int y, int width, int height, int pictureId);

    IViewerCommands& commands_;
    VideoPlayer& player_;
    // Child windows: they own themselves and go with the panel.
    ImageTrackBar* volumeSlider_ = nullptr;
    ImageTrackBar* brightnessSlider_ = nullptr;
    ImageButton* standardVolumeButton_ = nullptr;
    ImageButton* standardBrightnessButton_ = nullptr;
    ImageButton* openButton_ = nullptr;
    TrackToolTip* toolTip_ = nullptr;
    std::unique_ptr<AlphaImage> background_;
};

}  // namespace tavrin
