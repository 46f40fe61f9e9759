#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/ConsolePanel_win.h"
#include "media/ISoundPlayer.h"
#include "media/VideoPlayer_win.h"
#include "tests/win/MessagePump.h"
#include "tests/win/PanelTestSupport.h"
#include "tests/win/WarningBoxCloser.h"
#include "ui/ImageButton_win.h"
#include "ui/Messages.h"
#include "ui/PlayButton_win.h"
#include "ui/PlayTrackBar_win.h"
#include "ui/TrackGeometry.h"
#include "ui/TrackToolTip_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;
using test::sendMouse;
using test::solidPicture;

constexpr int kPanelWidth = 900;
constexpr int kPanelHeight = 65;
constexpr int kThumbWidth = 10;

bool enabled(Window& control) { return IsWindowEnabled(control.hwnd) != FALSE; }
bool visible(Window& control) { return IsWindowVisible(control.hwnd) != FALSE; }

class ConsolePanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { card_ = new test::SampleCard; }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }

    void SetUp() override {
        host_ = new test::PanelHost(log_, kPanelWidth, 600);
        guard_ = std::make_unique<test::WindowGuard>(host_->hwnd);
        player_ = new VideoPlayer(*host_);
        host_->player = player_;
        MoveWindow(player_->hwnd, 21, 0, 320, 240, TRUE);
        panel_ = new ConsolePanel(*host_, *player_);
        host_->console = panel_;
        MoveWindow(panel_->hwnd, 0, 600 - kPanelHeight, kPanelWidth, kPanelHeight, TRUE);
        // Pictures of known sizes, whatever the skin holds: 10-pixel thumb, stretched track.
        panel_->positionSlider().setPictures(solidPicture(kThumbWidth, 30, RGB(0, 0, 255)),
                                             solidPicture(40, 30, RGB(128, 128, 128)), nullptr);
    }
    void TearDown() override { guard_.reset(); }

    void openRecording(std::int32_t index) {
        ASSERT_EQ(player_->loadFolderList(card_->archives().front()), 0);
        ASSERT_EQ(player_->recordingCount(), 5);
        ASSERT_TRUE(player_->openRecording(index));
        ASSERT_TRUE(pumpUntil([&] { return player_->frameShown(); }, 5000));
    }

    void click(Window& button) {
        RECT client;
        GetClientRect(button.hwnd, &client);
        sendMouse(button.hwnd, WM_LBUTTONDOWN, client.right / 2, client.bottom / 2);
        sendMouse(button.hwnd, WM_LBUTTONUP, client.right / 2, client.bottom / 2);
    }

    // The first client x on the slider that a press away from the thumb turns into `frame`.
    int sliderX(std::int32_t frame) {
        RECT client;
        GetClientRect(panel_->positionSlider().hwnd, &client);
        TrackGeometry geometry;
        geometry.minimum = panel_->positionSlider().minimum();
        geometry.maximum = panel_->positionSlider().maximum();
        geometry.clientWidth = client.right;
        geometry.thumbWidth = kThumbWidth;
        geometry.hasPictures = true;
        for (int x = 0; x < client.right; ++x)
            if (geometry.valueForThumbAt(x) == frame) return x;
        ADD_FAILURE() << "no pixel for frame " << frame;
        return 0;
    }
    void pressSlider(int x) { sendMouse(panel_->positionSlider().hwnd, WM_LBUTTONDOWN, x, 10); }
    void dragSlider(int x) { sendMouse(panel_->positionSlider().hwnd, WM_MOUSEMOVE, x, 10); }
    void releaseSlider(int x) { sendMouse(panel_->positionSlider().hwnd, WM_LBUTTONUP, x, 10); }

    std::wstring tipOf(Window& control) {
        wchar_t text[80] = {};
        TTTOOLINFOW record = {};
        record.cbSize = TTTOOLINFOW_V2_SIZE;
        record.hwnd = panel_->hwnd;
        record.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
        record.lpszText = text;
        SendMessageW(panel_->toolTip().hwnd, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&record));
        return text;
    }

    static test::SampleCard* card_;
    test::CommandLog log_;
    test::PanelHost* host_ = nullptr;
    std::unique_ptr<test::WindowGuard> guard_;
    VideoPlayer* player_ = nullptr;
    ConsolePanel* panel_ = nullptr;
};

test::SampleCard* ConsolePanelTest::card_ = nullptr;

TEST_F(ConsolePanelTest, WithNothingOpenEveryButtonIsDisabledAndTheSliderHasNoRange) {
    for (Window* button : {static_cast<Window*>(&panel_->playButton()),
                           static_cast<Window*>(&panel_->stopButton()),
                           static_cast<Window*>(&panel_->previousButton()),
                           static_cast<Window*>(&panel_->nextButton()),
                           static_cast<Window*>(&panel_->previousDateButton()),
                           static_cast<Window*>(&panel_->nextDateButton())})
        EXPECT_FALSE(enabled(*button));
    EXPECT_EQ(panel_->positionSlider().minimum(), 0);
    EXPECT_EQ(panel_->positionSlider().maximum(), 0);
    EXPECT_FALSE(panel_->playButton().isPlaying());

    // The slider spans the panel less the buttons' room.
    RECT slider;
    GetWindowRect(panel_->positionSlider().hwnd, &slider);
    EXPECT_EQ(slider.right - slider.left, kPanelWidth - 344);
    MoveWindow(panel_->hwnd, 0, 0, 800, kPanelHeight, TRUE);
    GetWindowRect(panel_->positionSlider().hwnd, &slider);
    EXPECT_EQ(slider.right - slider.left, 800 - 344);
}

TEST_F(ConsolePanelTest, ButtonsFollowTheRecordingsPlaceInTheListAndItsDates) {
    // The card holds two recordings on its first day, two on the second, one on the third.
    for (std::int32_t index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        openRecording(index);
        EXPECT_TRUE(enabled(panel_->playButton()));
        EXPECT_FALSE(panel_->playButton().isPlaying());
        EXPECT_FALSE(enabled(panel_->stopButton())) << "at the first frame";
        EXPECT_EQ(enabled(panel_->previousButton()), index > 0);
        EXPECT_EQ(enabled(panel_->nextButton()), index < 4);
        EXPECT_EQ(enabled(panel_->previousDateButton()), index >= 2);
        EXPECT_EQ(enabled(panel_->nextDateButton()), index <= 3);
        EXPECT_EQ(panel_->positionSlider().maximum(), player_->frameCount() - 1);
        std::vector<std::int32_t> marked;
        player_->frameInfo()->copyMarkedFrames(marked);
        ASSERT_FALSE(marked.empty());
        EXPECT_EQ(panel_->positionSlider().markers(), marked);
    }

    // A lone file has no neighbours and no dates.
    player_->setSingleRecording(card_->archives()[1]);
    ASSERT_TRUE(player_->openRecording(0));
    EXPECT_TRUE(enabled(panel_->playButton()));
    EXPECT_FALSE(enabled(panel_->previousButton()));
    EXPECT_FALSE(enabled(panel_->nextButton()));
    EXPECT_FALSE(enabled(panel_->previousDateButton()));
    EXPECT_FALSE(enabled(panel_->nextDateButton()));

    // Closed while playing: all off, the play look back, the range and the marks gone.
    player_->playFrom(0);
    EXPECT_TRUE(panel_->playButton().isPlaying());
    player_->close();
    host_->refreshControls();
    EXPECT_FALSE(enabled(panel_->playButton()));
    EXPECT_FALSE(panel_->playButton().isPlaying());
    EXPECT_EQ(panel_->positionSlider().maximum(), 0);
    EXPECT_TRUE(panel_->positionSlider().markers().empty());
}

TEST_F(ConsolePanelTest, PlayPauseAndStopReachThePlayer) {
    openRecording(0);
    click(panel_->playButton());
    EXPECT_EQ(player_->state(), VideoPlayer::kPlaying);
    EXPECT_TRUE(panel_->playButton().isPlaying());
    ASSERT_TRUE(pumpUntil([&] { return player_->currentFrame() > 3; }, 5000));
    EXPECT_TRUE(enabled(panel_->stopButton()));
    EXPECT_GT(panel_->positionSlider().value(), 0) << "the thumb follows the playback";

    click(panel_->playButton());
    EXPECT_EQ(player_->state(), VideoPlayer::kPaused);
    EXPECT_EQ(panel_->positionSlider().value(), player_->currentFrame());
    EXPECT_FALSE(panel_->playButton().isPlaying());
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundPaused);
    const std::int32_t pausedAt = player_->currentFrame();

    click(panel_->playButton());
    EXPECT_EQ(player_->state(), VideoPlayer::kPlaying);
    EXPECT_GE(player_->currentFrame(), pausedAt) << "resumed, not restarted";
    pumpFor(200);

    click(panel_->stopButton());
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 0);
    EXPECT_FALSE(enabled(panel_->stopButton()));
    EXPECT_FALSE(panel_->playButton().isPlaying());

    // From stopped, play starts at the current frame.
    player_->seek(40);
    click(panel_->playButton());
    EXPECT_EQ(player_->state(), VideoPlayer::kPlaying);
    EXPECT_GE(player_->currentFrame(), 40);
    player_->stop();
}

TEST_F(ConsolePanelTest, NavigationButtonsAskTheMainWindow) {
    openRecording(2);
    click(panel_->nextButton());
    click(panel_->previousButton());
    click(panel_->nextDateButton());
    click(panel_->previousDateButton());
    EXPECT_EQ(log_.stepsForward, 1);
    EXPECT_EQ(log_.stepsBack, 1);
    EXPECT_EQ(log_.datesForward, 1);
    EXPECT_EQ(log_.datesBack, 1);

    // At the ends of the list the date buttons do nothing, even when told they were clicked.
    openRecording(4);
    panel_->onButtonClicked(&panel_->nextDateButton());
    EXPECT_EQ(log_.datesForward, 1);
    openRecording(0);
    panel_->onButtonClicked(&panel_->previousDateButton());
    EXPECT_EQ(log_.datesBack, 1);
}

TEST_F(ConsolePanelTest, DraggingWhilePlayingStopsPlaybackAndResumesItAtRelease) {
    openRecording(0);
    click(panel_->playButton());
    pumpFor(200);
    ASSERT_EQ(player_->state(), VideoPlayer::kPlaying);

    pressSlider(sliderX(60));
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 60);
    dragSlider(sliderX(110));
    // A refresh before the drag's timer (a tick still queued) leaves the thumb under the pointer.
    host_->refreshControls();
    EXPECT_EQ(panel_->positionSlider().value(), 110);
    ASSERT_TRUE(pumpUntil([&] { return player_->currentFrame() == 110; }, 1000))
        << "the drag's timer seeks to the frame under the thumb; slider at "
        << panel_->positionSlider().value() << ", frame " << player_->currentFrame();
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    pumpFor(150);
    EXPECT_EQ(player_->currentFrame(), 110) << "nothing plays during the drag";

    releaseSlider(sliderX(120));
    EXPECT_EQ(panel_->positionSlider().value(), 120);
    EXPECT_EQ(player_->state(), VideoPlayer::kPlaying);
    EXPECT_GE(player_->currentFrame(), 120);
    EXPECT_LE(player_->currentFrame(), 122);
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundPlaying);
    EXPECT_TRUE(panel_->playButton().isPlaying());
    player_->stop();
}

TEST_F(ConsolePanelTest, DraggingWhilePausedOrStoppedLeavesThePlayerStoppedAtTheRelease) {
    openRecording(0);
    click(panel_->playButton());
    pumpFor(200);
    click(panel_->playButton());
    ASSERT_EQ(player_->state(), VideoPlayer::kPaused);

    pressSlider(sliderX(30));
    dragSlider(sliderX(90));
    pumpFor(250);
    releaseSlider(sliderX(100));
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 100);
    pumpFor(200);
    EXPECT_EQ(player_->currentFrame(), 100);

    pressSlider(sliderX(10));
    releaseSlider(sliderX(10));
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 10);

    // Put back to the start for a new opening, the player is not told.
    panel_->resetPosition();
    EXPECT_EQ(panel_->positionSlider().value(), 0);
    EXPECT_EQ(player_->currentFrame(), 10);
}

TEST_F(ConsolePanelTest, ADragThatOutlivesTheRecordingDoesNotStartTheClosedPlayer) {
    test::TestFolder folder;
    const Path inner = folder.file(L"card");
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
    const Path archive = inner + L"\\0001_001.DAT";
    ASSERT_TRUE(CopyFileW(card_->archives().front().c_str(), archive.c_str(), TRUE));
    ASSERT_EQ(player_->loadFolderList(archive), 0);
    ASSERT_TRUE(player_->openRecording(0));
    click(panel_->playButton());
    pumpFor(200);
    ASSERT_EQ(player_->state(), VideoPlayer::kPlaying);

    test::WarningBoxCloser closer;
    pressSlider(sliderX(60));
    // The card goes while the thumb is held: the next seek of the drag finds the folder gone,
    // which closes the recording and says so.
    const Path moved = folder.file(L"gone");
    ASSERT_TRUE(MoveFileW(inner.c_str(), moved.c_str())) << GetLastError();
    dragSlider(sliderX(110));
    pumpUntil([&] { return log_.foldersGone > 0; }, 2000);
    releaseSlider(sliderX(120));
    pumpFor(600);
    closer.stop();
    MoveFileW(moved.c_str(), inner.c_str());
    EXPECT_EQ(log_.foldersGone, 1);
    EXPECT_EQ(closer.boxes(), 1) << "the loss was reported again";
    EXPECT_EQ(player_->state(), VideoPlayer::kNone) << "the release started a closed player";
    EXPECT_FALSE(panel_->playButton().isPlaying());
}

TEST_F(ConsolePanelTest, EnableAllGreysAndHidesTheControlsAndTheStepTipsSwitch) {
    panel_->enableAll(true);
    EXPECT_TRUE(enabled(panel_->stopButton()));
    EXPECT_TRUE(enabled(panel_->positionSlider()));
    EXPECT_TRUE(visible(panel_->nextButton()));
    panel_->enableAll(false);
    for (Window* control : {static_cast<Window*>(&panel_->playButton()),
                            static_cast<Window*>(&panel_->stopButton()),
                            static_cast<Window*>(&panel_->previousButton()),
                            static_cast<Window*>(&panel_->nextButton()),
                            static_cast<Window*>(&panel_->previousDateButton()),
                            static_cast<Window*>(&panel_->nextDateButton()),
                            static_cast<Window*>(&panel_->positionSlider())})
        EXPECT_FALSE(enabled(*control));
    EXPECT_FALSE(visible(panel_->nextButton()));
    EXPECT_FALSE(visible(panel_->previousButton()));
    EXPECT_FALSE(visible(panel_->positionSlider()));
    EXPECT_TRUE(visible(panel_->playButton()));
    panel_->enableAll(true);
    EXPECT_TRUE(visible(panel_->positionSlider()));
    EXPECT_TRUE(visible(panel_->previousButton()));

    EXPECT_EQ(tipOf(panel_->playButton()), loadMessage(5072));
    EXPECT_EQ(tipOf(panel_->nextButton()), loadMessage(5076));
    panel_->setStepTips(ConsolePanel::kStepTipsRecording);
    EXPECT_EQ(tipOf(panel_->nextButton()), loadMessage(5075));
    EXPECT_EQ(tipOf(panel_->previousButton()), loadMessage(5074));
    panel_->setStepTips(0);
    EXPECT_EQ(tipOf(panel_->nextButton()), loadMessage(5076));
    EXPECT_EQ(tipOf(panel_->previousButton()), loadMessage(5077));
}

TEST_F(ConsolePanelTest, ADisabledPanelLeavesItsControlsAsTheyAre) {
    EnableWindow(panel_->hwnd, FALSE);
    openRecording(0);
    EXPECT_FALSE(enabled(panel_->playButton()));
    EXPECT_EQ(panel_->positionSlider().maximum(), 0);
    EnableWindow(panel_->hwnd, TRUE);
    host_->refreshControls();
    EXPECT_TRUE(enabled(panel_->playButton()));
    EXPECT_EQ(panel_->positionSlider().maximum(), player_->frameCount() - 1);
}

}  // namespace
}  // namespace tavrin
