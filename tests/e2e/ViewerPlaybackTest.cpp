// Opening recordings of a card and moving through them with the control panel, as a user does.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr DWORD kQuietMs = 1200;  // long enough for several frames at 28 a second

class ViewerPlayback : public testing::Test {
protected:
    // One card for the suite: nothing here changes it.
    static void SetUpTestSuite() { card_ = new Card(); }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }

    static std::wstring titleOf(int recording) {
        return card_->recordings().at(recording) + L" - Tavrin";
    }

    // Opens a recording through the menu and waits until it plays.
    void open(int recording) {
        ASSERT_TRUE(viewer_.openThroughMenu(card_->recordings().at(recording)));
        ASSERT_TRUE(viewer_.waitForTitle(titleOf(recording))) << "title: " << viewer_.title();
    }

    // Whether the thumb and the picture come to a standstill: a picture asked for just before
    // stopping may still arrive, so a first look may see it change; a playing player never
    // stands still for a whole quiet period, however many looks it is given.
    bool comesToRest() {
        for (int look = 0; look < 4; ++look)
            if (standsStill()) return true;
        return false;
    }

    // Whether the thumb and the picture stand still for a while.
    bool standsStill() {
        const drive::ScreenPicture before = viewer_.picture();
        Sleep(kQuietMs);
        const drive::ScreenPicture after = viewer_.picture();
        return !regionChanged(before, after, viewer_.sliderRegion()) &&
               !regionChanged(before, after, viewer_.playerRegion());
    }

    POINT sliderPoint(int percent) {
        const Region s = viewer_.sliderRegion();
        return {s.x + 8 + (s.width - 16) * percent / 100, s.y + s.height / 2};
    }

    static Card* card_;
    Viewer viewer_;
};

Card* ViewerPlayback::card_ = nullptr;

TEST_F(ViewerPlayback, FileOpenStartsPlayingTheChosenRecording) {
    const drive::ScreenPicture empty = viewer_.picture();
    open(0);
    // The animation made way for the recording.
    EXPECT_TRUE(drive::childWindows(viewer_.player()).empty());

    // Playing: the picture, the thumb and the frame's time move on by themselves.
    const drive::ScreenPicture first = viewer_.picture();
    EXPECT_TRUE(viewer_.waitForChange(first, viewer_.sliderRegion())) << "the thumb stands still";
    EXPECT_TRUE(viewer_.waitForChange(first, viewer_.playerRegion())) << "the picture stands still";
    EXPECT_TRUE(viewer_.waitForChange(first, viewer_.infoRegion())) << "the time stands still";
    EXPECT_TRUE(regionChanged(empty, first, viewer_.infoRegion()))
        << "the information panel still shows its placeholders";

    // The first recording of a card, on the first of its dates.
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Play));
    EXPECT_TRUE(waitUntil([&] { return viewer_.enabled(ConsoleButton::Stop); }, kPlaybackTimeoutMs));
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::Previous));
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Next));
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::PreviousDate));
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::NextDate));

    // Stop goes back to the first frame, where stopping again has no sense.
    viewer_.click(ConsoleButton::Stop);
    EXPECT_TRUE(waitUntil([&] { return !viewer_.enabled(ConsoleButton::Stop); }, kDialogTimeoutMs));
    EXPECT_TRUE(comesToRest());
}

TEST_F(ViewerPlayback, LastRecordingOffersNothingLater) {
    open(4);
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Previous));
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::Next));
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::PreviousDate));
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::NextDate));

    // Clicks on the disabled buttons change nothing and ask nothing.
    viewer_.click(ConsoleButton::Next);
    viewer_.click(ConsoleButton::NextDate);
    EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 1000));
    EXPECT_EQ(viewer_.title(), titleOf(4));
}

TEST_F(ViewerPlayback, PreviousAndNextMoveThroughTheList) {
    open(1);
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Previous));
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Next));
    // Day 0 holds recordings 0 and 1: an earlier date exists only through recording 0's day.
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::PreviousDate));
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::NextDate));

    viewer_.click(ConsoleButton::Next);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::PreviousDate));
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
        << "the next recording does not play";

    viewer_.click(ConsoleButton::Previous);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(1))) << "title: " << viewer_.title();
    viewer_.click(ConsoleButton::Previous);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(0))) << "title: " << viewer_.title();
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::Previous));
}

TEST_F(ViewerPlayback, DateButtonsOpenTheFirstRecordingOfTheOtherDay) {
    // Days of the five recordings: 0, 0, 1, 1, 2.
    open(1);
    viewer_.click(ConsoleButton::NextDate);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    viewer_.click(ConsoleButton::NextDate);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(4))) << "title: " << viewer_.title();
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
        << "the recording of the other day does not play";
    viewer_.click(ConsoleButton::PreviousDate);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    viewer_.click(ConsoleButton::PreviousDate);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(0))) << "title: " << viewer_.title();
    EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 500));
}

TEST_F(ViewerPlayback, SliderDragShowsFramesAndResumesOnlyWhatPlayed) {
    open(0);
    {
        // While the thumb is held, playback stands still at the frame under it.
        drive::HeldDrag drag(viewer_.main(), sliderPoint(20));
        drag.moveTo(sliderPoint(40));
        Sleep(400);
        EXPECT_TRUE(comesToRest()) << "playback goes on during the drag";
        const drive::ScreenPicture held = viewer_.picture();
        drag.moveTo(sliderPoint(60));
        EXPECT_TRUE(viewer_.waitForChange(held, viewer_.playerRegion()))
            << "the picture does not follow the thumb";
    }
    // It played before, so it plays on after the release.
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
        << "playback did not resume";

    // Paused, a drag shows the frames but leaves the player standing at the released frame.
    viewer_.click(ConsoleButton::Play);
    ASSERT_TRUE(comesToRest()) << "the play button did not pause";
    const drive::ScreenPicture paused = viewer_.picture();
    drive::drag(viewer_.main(), sliderPoint(30), sliderPoint(10), 5, 50);
    EXPECT_TRUE(viewer_.waitForChange(paused, viewer_.playerRegion()))
        << "the picture does not follow the thumb";
    EXPECT_TRUE(comesToRest()) << "playback started after dragging a paused recording";
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Stop));
}

TEST_F(ViewerPlayback, ClosingWithARecordingAsksFirst) {
    open(0);
    PostMessageW(viewer_.main(), WM_CLOSE, 0, 0);
    HWND box = viewer_.messageBox(L"確認");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(viewer_.answer(box, IDCANCEL), L"Tavrinを終了しますか？");
    EXPECT_FALSE(viewer_.process().waitForExit(1000));
    EXPECT_EQ(viewer_.title(), titleOf(0));

    // The menu's exit command asks the same question.
    drive::chooseMenuCommand(viewer_.main(), 40005);
    box = viewer_.messageBox(L"確認");
    ASSERT_NE(box, nullptr);
    viewer_.answer(box, IDOK);
    EXPECT_TRUE(viewer_.process().waitForExit(kDialogTimeoutMs));
    EXPECT_EQ(viewer_.process().exitCode(), 0u);
}

}  // namespace
}  // namespace tavrin::e2e
