#include "app/ConfigPanel_win.h"

#include <cwchar>

#include "app/IViewerCommands_win.h"
#include "media/ISoundPlayer.h"
#include "media/VideoPlayer_win.h"
#include "ui/DrawingContext_win.h"
#include "ui/ImageButtonSkin_win.h"
#include "ui/ImageButton_win.h"
#include "ui/ImageTrackBar_win.h"
#include "ui/Messages.h"
#include "ui/TrackToolTip_win.h"

namespace tavrin {
namespace {

constexpr int kSliderX = 40;
constexpr int kSliderWidth = 151;
constexpr int kSliderHeight = 16;
constexpr int kVolumeY = 22;
constexpr int kBrightnessY = 56;
constexpr int kThumbId = 291;
constexpr int kVolumeTrackId = 403;
constexpr int kBrightnessTrackId = 10001;

constexpr int kStandardButtonX = 14;
constexpr int kStandardVolumeId = 290;
constexpr int kStandardBrightnessId = 289;

constexpr unsigned kStandardVolumeTip = 5008;
constexpr unsigned kStandardBrightnessTip = 5009;
constexpr unsigned kOpenTip = 5010;

constexpr int kBackgroundId = 10024;

}  // namespace

ConfigPanel::ConfigPanel(IViewerCommands& commands, VideoPlayer& player)
    : commands_(commands), player_(player) {
    create(sharedChildParams(commands.viewerWindow(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, 0, 0, WS_EX_CONTROLPARENT));

    // The start values are set before the panel listens, so the sound player and the
    // brightness table keep their own until the user moves a slider.
    volumeSlider_ = makeSlider(kVolumeY, kVolumeTrackId, 0, kMaximumVolume, kStandardVolume);
    brightnessSlider_ = makeSlider(kBrightnessY, kBrightnessTrackId, kMinimumBrightness,
                                   kMaximumBrightness, kStandardBrightness);
    standardVolumeButton_ = makeStandardButton(kVolumeY, 17, 15, kStandardVolumeId);
    standardBrightnessButton_ = makeStandardButton(kBrightnessY, 16, 16, kStandardBrightnessId);
    openButton_ = new ImageButton(hwnd, 57, 97, 102, 28);
    openButton_->setImages(10021, 10022, 10023);
    openButton_->listener = this;

    toolTip_ = new TrackToolTip(hwnd);
    volumeSlider_->attachToolTip(toolTip_, nullptr);
    brightnessSlider_->attachToolTip(toolTip_, &ConfigPanel::brightnessText);
    toolTip_->addTool(standardVolumeButton_->hwnd, loadMessage(kStandardVolumeTip));
    toolTip_->addTool(standardBrightnessButton_->hwnd, loadMessage(kStandardBrightnessTip));
    toolTip_->addTool(openButton_->hwnd, loadMessage(kOpenTip));

    background_ = loadSkinPicture(kBackgroundId);
}

ImageTrackBar* ConfigPanel::makeSlider(int y, int trackId, std::int32_t min, std::int32_t max,
                                       std::int32_t value) {
    auto* slider = new ImageTrackBar(hwnd, kSliderX, y, kSliderWidth, kSliderHeight);
    slider->setImages(kThumbId, trackId, 0);
    slider->setRange(min, max);
    slider->setValue(value, false);
    slider->listener = this;
    return slider;
}

ImageButton* ConfigPanel::makeStandardButton(int y, int width, int height, int pictureId) {
    auto* button = new ImageButton(hwnd, kStandardButtonX, y, width, height);
    button->setImages(pictureId, 0, 0);
    button->cursor = LoadCursorW(nullptr, IDC_HAND);
    button->listener = this;
    return button;
}

std::wstring ConfigPanel::brightnessText(std::int32_t value) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%3.1f", value / 10.0);
    return text;
}

LRESULT ConfigPanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        return 0;
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (loaded(background_)) {
            background_->drawAt(dc, 0, 0);
        } else {
            fillClient(hwnd, dc, buttonFaceBrush());
        }
        for (Window* control :
             {static_cast<Window*>(volumeSlider_), static_cast<Window*>(brightnessSlider_),
              static_cast<Window*>(standardVolumeButton_),
              static_cast<Window*>(standardBrightnessButton_), static_cast<Window*>(openButton_)})
            UpdateWindow(control->hwnd);
        return 1;
    }
    }
    return Window::handleMessage(message, wParam, lParam);
}

void ConfigPanel::onButtonClicked(ImageButton* button) {
    if (button == openButton_)
        commands_.showOpenDialog();
    else if (button == standardVolumeButton_)
        volumeSlider_->setValue(kStandardVolume, true);
    else if (button == standardBrightnessButton_)
        brightnessSlider_->setValue(kStandardBrightness, true);
}

void ConfigPanel::onTrackBarChanged(ImageTrackBar* bar) {
    if (bar == volumeSlider_) {
        player_.soundPlayer().setVolume(volumeSlider_->value());
    } else if (bar == brightnessSlider_) {
        player_.brightness().setGamma(brightnessSlider_->value() / 10.0);
        InvalidateRect(player_.hwnd, nullptr, FALSE);
        UpdateWindow(player_.hwnd);
    }
}

void ConfigPanel::enableAll(bool on) {
    for (Window* control :
         {static_cast<Window*>(volumeSlider_), static_cast<Window*>(brightnessSlider_),
          static_cast<Window*>(standardVolumeButton_),
          static_cast<Window*>(standardBrightnessButton_), static_cast<Window*>(openButton_)})
        control->setEnabled(on);
}

void ConfigPanel::enableVolume(bool on) {
    standardVolumeButton_->setEnabled(on);
    volumeSlider_->setEnabled(on);
}

}  // namespace tavrin
