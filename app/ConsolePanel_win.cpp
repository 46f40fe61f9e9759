#include "app/ConsolePanel_win.h"

#include <vector>

#include "app/IViewerCommands_win.h"
#include "media/VideoPlayer_win.h"
#include "ui/DrawingContext_win.h"
#include "ui/ImageButtonSkin_win.h"
#include "ui/ImageButton_win.h"
#include "ui/Messages.h"
#include "ui/PlayButton_win.h"
#include "ui/PlayTrackBar_win.h"
#include "ui/TrackToolTip_win.h"

namespace tavrin {
namespace {

// Tip texts.
constexpr unsigned kPlayTip = 5072;
constexpr unsigned kStopTip = 5073;
constexpr unsigned kPreviousRecordingTip = 5074;
constexpr unsigned kNextRecordingTip = 5075;
constexpr unsigned kNextFrameTip = 5076;
constexpr unsigned kPreviousFrameTip = 5077;
constexpr unsigned kPreviousDateTip = 5514;
constexpr unsigned kNextDateTip = 5515;

// Background pictures: a left and a right end with a stretched middle.
constexpr int kBackLeftId = 223;
constexpr int kBackFillId = 221;
constexpr int kBackRightId = 222;

}  // namespace

ConsolePanel::ConsolePanel(IViewerCommands& commands, VideoPlayer& player)
    : commands_(commands), player_(player) {
    create(sharedChildParams(commands.viewerWindow(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, 0, 0, WS_EX_CONTROLPARENT));

    playButton_ = new PlayButton(hwnd, 23, 11, 40, 40);
    playButton_->setImages(10015, 10016, 10017);
    playButton_->setAltImages();
    playButton_->listener = this;
    stopButton_ = makeButton(67, 18, 26, 10018, 10019, 10020);
    previousDateButton_ = makeButton(107, 17, 30, 10009, 10010, 10011);
    nextDateButton_ = makeButton(140, 17, 30, 10012, 10013, 10014);
    nextButton_ = makeButton(220, 22, 22, 10006, 10007, 10008);
    previousButton_ = makeButton(198, 22, 22, 10003, 10004, 10005);
    positionSlider_ = new PlayTrackBar(hwnd);
    positionSlider_->setImages(10031, 10027, 295);
    // The slider takes the panel's width less the buttons, so its track is stretched.
    positionSlider_->threeSlice = true;
    positionSlider_->listener = this;

    toolTip_ = new TrackToolTip(hwnd);
    addTips();

    backLeft_ = loadSkinPicture(kBackLeftId);
    backFill_ = loadSkinPicture(kBackFillId);
    backRight_ = loadSkinPicture(kBackRightId);
    refresh();
}

ImageButton* ConsolePanel::makeButton(int x, int y, int size, int normalId, int pressedId,
                                      int disabledId) {
    auto* button = new ImageButton(hwnd, x, y, size, size);
    button->setImages(normalId, pressedId, disabledId);
    button->listener = this;
    return button;
}

void ConsolePanel::addTips() {
    toolTip_->addTool(playButton_->hwnd, loadMessage(kPlayTip));
    toolTip_->addTool(stopButton_->hwnd, loadMessage(kStopTip));
    toolTip_->addTool(previousButton_->hwnd, loadMessage(kPreviousFrameTip));
    toolTip_->addTool(nextButton_->hwnd, loadMessage(kNextFrameTip));
    toolTip_->addTool(previousDateButton_->hwnd, loadMessage(kPreviousDateTip));
    toolTip_->addTool(nextDateButton_->hwnd, loadMessage(kNextDateTip));
    // The frame under the thumb while dragging.
    positionSlider_->attachToolTip(toolTip_, nullptr);
}

LRESULT ConsolePanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        const int width = LOWORD(lParam) - kSliderWidthMargin;
        MoveWindow(positionSlider_->hwnd, kSliderX, kSliderY, width > 0 ? width : 0,
                   kSliderHeight, TRUE);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paintInfo;
        BeginPaint(hwnd, &paintInfo);
        EndPaint(hwnd, &paintInfo);
        return 0;
    }
    case WM_ERASEBKGND:
        eraseBackground(reinterpret_cast<HDC>(wParam));
        refresh();
        return 1;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void ConsolePanel::eraseBackground(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (!loaded(backLeft_) || !loaded(backFill_) || !loaded(backRight_)) {
        FillRect(dc, &client, buttonFaceBrush());
        return;
    }
    const int fillLeft = backLeft_->width();
    const int fillRight = client.right - backRight_->width();
    if (fillRight > fillLeft)
        backFill_->drawScaled(dc, fillLeft, 0, fillRight - fillLeft, backFill_->height());
    backRight_->drawAt(dc, fillRight, 0);
    backLeft_->drawAt(dc, 0, 0);
}

void ConsolePanel::onButtonClicked(ImageButton* button) {
    const std::int32_t index = player_.recordingIndex();
    const std::int32_t count = player_.recordingCount();
    if (button == playButton_) {
        if (playButton_->isPlaying())
            player_.pause();
        else
            continuePlayback();
    } else if (button == stopButton_) {
        player_.seek(0);
    } else if (button == nextDateButton_) {
        if (index < count - 1) commands_.stepDate(true);
    } else if (button == previousDateButton_) {
        if (index > 0) commands_.stepDate(false);
    } else if (button == nextButton_) {
        commands_.stepRecording(true);
    } else if (button == previousButton_) {
        commands_.stepRecording(false);
    }
}

void ConsolePanel::continuePlayback() {
    if (player_.state() == VideoPlayer::kPaused)
        player_.resume();
    else
        player_.playFrom(player_.currentFrame());
}

void ConsolePanel::onTrackBarBeginTrack(ImageTrackBar* bar) {
    if (bar == positionSlider_) stateBeforeDrag_ = player_.state();
}

void ConsolePanel::onTrackBarChanged(ImageTrackBar* bar) {
    // Seeking stops playback, so the frames under the thumb show while it is dragged.
    if (bar == positionSlider_) player_.seek(positionSlider_->value());
}

void ConsolePanel::onTrackBarEndTrack(ImageTrackBar* bar) {
    if (bar == positionSlider_ && stateBeforeDrag_ == VideoPlayer::kPlaying) continuePlayback();
}

void ConsolePanel::refresh() {
    if (!isEnabled()) return;
    if (player_.state() == VideoPlayer::kNone) {
        for (ImageButton* button : {static_cast<ImageButton*>(playButton_), stopButton_,
                                    nextButton_, previousButton_, previousDateButton_,
                                    nextDateButton_})
            button->setEnabled(false);
        // Nothing plays: a recording closed while playing must not leave the pause look behind.
        playButton_->setPlaying(false);
    } else {
        refreshButtons();
    }
    refreshSlider();
}

void ConsolePanel::refreshButtons() {
    const std::int32_t index = player_.recordingIndex();
    const std::int32_t count = player_.recordingCount();
    playButton_->setEnabled(true);
    playButton_->setPlaying(player_.state() == VideoPlayer::kPlaying);
    stopButton_->setEnabled(player_.currentFrame() > 0);
    nextButton_->setEnabled(index < count - 1);
    previousButton_->setEnabled(index > 0);
    nextDateButton_->setEnabled(differentDateAfter(index));
    previousDateButton_->setEnabled(differentDateBefore(index));
}

bool ConsolePanel::differentDateAfter(std::int32_t index) const {
    for (std::int32_t i = index + 1; i < player_.recordingCount(); ++i)
        if (player_.isDifferentDate(index, i)) return true;
    return false;
}

bool ConsolePanel::differentDateBefore(std::int32_t index) const {
    // Downwards: in a list in time order the nearest earlier day is found first.
    for (std::int32_t i = index - 1; i >= 0; --i)
        if (player_.isDifferentDate(index, i)) return true;
    return false;
}

void ConsolePanel::refreshSlider() {
    const std::int32_t frames = player_.frameCount();
    positionSlider_->setRange(0, frames > 0 ? frames - 1 : 0);
    std::vector<std::int32_t> marks;
    // Without frames the marks of a recording closed since go too.
    if (frames > 0 && player_.frameInfo()) player_.frameInfo()->copyMarkedFrames(marks);
    positionSlider_->setMarkers(std::move(marks));
    // While the user drags, the thumb is theirs: the player catches up through the drag's own
    // seeks, and a refresh in between (a tick still queued) must not pull the thumb back.
    if (!positionSlider_->isTracking())
        positionSlider_->setValue(player_.currentFrame(), false);
}

void ConsolePanel::setStepTips(int mode) {
    if (!toolTip_) return;
    const bool recordings = mode == kStepTipsRecording;
    toolTip_->updateText(nextButton_->hwnd,
                         loadMessage(recordings ? kNextRecordingTip : kNextFrameTip));
    toolTip_->updateText(previousButton_->hwnd,
                         loadMessage(recordings ? kPreviousRecordingTip : kPreviousFrameTip));
}

void ConsolePanel::enableAll(bool on) {
    for (Window* control : {static_cast<Window*>(playButton_), static_cast<Window*>(stopButton_),
                            static_cast<Window*>(previousButton_),
                            static_cast<Window*>(nextButton_),
                            static_cast<Window*>(previousDateButton_),
                            static_cast<Window*>(nextDateButton_),
                            static_cast<Window*>(positionSlider_)})
        control->setEnabled(on);
    const int show = on ? SW_SHOW : SW_HIDE;
    ShowWindow(nextButton_->hwnd, show);
    ShowWindow(previousButton_->hwnd, show);
    ShowWindow(positionSlider_->hwnd, show);
}

void ConsolePanel::resetPosition() {
    positionSlider_->setValue(positionSlider_->minimum(), false);
}

}  // namespace tavrin
