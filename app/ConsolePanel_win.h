#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "media/AlphaImage_win.h"
#include "ui/ImageButtonListener.h"
#include "ui/ImageTrackBarListener.h"
#include "ui/Window_win.h"

namespace tavrin {

class IViewerCommands;
class ImageButton;
class PlayButton;
class PlayTrackBar;
class TrackToolTip;
class VideoPlayer;

// The strip of playback controls under the picture: play/pause, stop, previous and next date,
// previous and next recording, and the position slider with the event marks. Clicks and drags
// become calls on the player and on the main window; after every change of the player's state
// the controls are enabled to match what can be done at that moment. Create it with new; its
// window (a child of the main window, laid out by it) owns it.
class ConsolePanel : public Window, public ImageButtonListener, public ImageTrackBarListener {
public:
    // The position slider's left edge, and what the panel's width leaves of it.
    static constexpr int kSliderX = 249;
    static constexpr int kSliderY = 26;
    static constexpr int kSliderHeight = 30;
    static constexpr int kSliderWidthMargin = 344;

    ConsolePanel(IViewerCommands& commands, VideoPlayer& player);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void onButtonClicked(ImageButton* button) override;
    void onButtonPressed(ImageButton*) override {}
    void onTrackBarChanged(ImageTrackBar* bar) override;
    void onTrackBarBeginTrack(ImageTrackBar* bar) override;
    void onTrackBarEndTrack(ImageTrackBar* bar) override;

    // Follows the player: which buttons can act, the play or pause look, the slider's range,
    // marks and position. Nothing while the panel itself is disabled.
    void refresh();
    // kStepTipsRecording names the previous and next buttons after recordings (the main window
    // sets it on every opening); any other mode after frames.
    void setStepTips(int mode);
    // Enables or disables every control, and shows or hides the step buttons and the slider.
    void enableAll(bool on);
    // Puts the position slider at its start without telling anyone.
    void resetPosition();

    static constexpr int kStepTipsRecording = 2;

    PlayButton& playButton() { return *playButton_; }
    ImageButton& stopButton() { return *stopButton_; }
    ImageButton& nextButton() { return *nextButton_; }
    ImageButton& previousButton() { return *previousButton_; }
    ImageButton& previousDateButton() { return *previousDateButton_; }
    ImageButton& nextDateButton() { return *nextDateButton_; }
    PlayTrackBar& positionSlider() { return *positionSlider_; }
    TrackToolTip& toolTip() { return *toolTip_; }

private:
    ImageButton* makeButton(int x, int y, int size, int normalId, int pressedId, int disabledId);
    void addTips();
    void refreshButtons();
    void refreshSlider();
    bool differentDateAfter(std::int32_t index) const;
    bool differentDateBefore(std::int32_t index) const;
    void continuePlayback();
    void eraseBackground(HDC dc);

    IViewerCommands& commands_;
    VideoPlayer& player_;
    // Child windows: they own themselves and go with the panel.
    PlayButton* playButton_ = nullptr;
    ImageButton* stopButton_ = nullptr;
    ImageButton* nextButton_ = nullptr;
    ImageButton* previousButton_ = nullptr;
    ImageButton* previousDateButton_ = nullptr;
    ImageButton* nextDateButton_ = nullptr;
    PlayTrackBar* positionSlider_ = nullptr;
    std::int32_t stateBeforeDrag_ = 0;
    TrackToolTip* toolTip_ = nullptr;
    std::unique_ptr<AlphaImage> backLeft_;
    std::unique_ptr<AlphaImage> backFill_;
    std::unique_ptr<AlphaImage> backRight_;
};

}  // namespace tavrin
