// Opening recordings of a card and moving through them with the control panel, as a user does.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "recording/VideoArchive.h"
#include "tests/e2e/ScreenReading.h"
#include "tests/e2e/SoundMonitor.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr DWORD kQuietMs = 1200;  // long enough for several frames at 28 a second

// Loudness (root mean square of 16-bit samples) of the generated engine sound at full volume is
// in the thousands; silence is 0.
constexpr double kAudible = 300;
constexpr double kSilent = 3;

// The mean of the red, green and blue of every pixel of `region`.
int meanBrightness(const drive::ScreenPicture& picture, Region region) {
    long long sum = 0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) {
            const std::uint32_t c = picture.at(x, y);
            sum += (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF);
        }
    return static_cast<int>(sum / (3LL * region.width * region.height));
}

// The date and time the information panel should show for a frame time, formatted here from
// the local time the system gives.
InfoTexts expectedTexts(std::int64_t frameTime) {
    std::tm local{};
    if (frameTime == 0 || !secondsToLocalTime(frameTime, local)) return {L"----/--/--", L"--:--:--"};
    wchar_t date[32];
    wchar_t time[32];
    std::swprintf(date, 32, L"%04d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    std::swprintf(time, 32, L"%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return {date, time};
}

class ViewerPlayback : public testing::Test {
protected:
    // One card for the suite: nothing here changes it.
    static void SetUpTestSuite() { card_ = new Card(); }
    static void TearDownTestSuite() {
        delete first_;
        first_ = nullptr;
        delete card_;
        card_ = nullptr;
    }

    // The first recording as the viewer reads it: its frame grid and the time of each frame.
    static const VideoArchive& firstRecording() {
        if (!first_) {
            first_ = new VideoArchive();
            first_->open(card_->recordings().at(0), nullptr);
        }
        return *first_;
    }

    // The frame on screen, waited for while a picture is being replaced.
    int frameOnScreen() {
        int frame = -1;
        waitUntil([&] { return (frame = frameShown(viewer_.picture(), viewer_.playerRegion())) >= 0; },
                  kPlaybackTimeoutMs);
        return frame;
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
    static VideoArchive* first_;
    Viewer viewer_;
};

Card* ViewerPlayback::card_ = nullptr;
VideoArchive* ViewerPlayback::first_ = nullptr;

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

TEST_F(ViewerPlayback, PictureTimeChartAndSoundAgreeOnTheFrame) {
    const SoundMonitor sound;
    const VideoArchive& recording = firstRecording();
    ASSERT_GT(recording.slotCount(), 100);
    {
        // Before anything is open: placeholders and no marker.
        const drive::ScreenPicture empty = viewer_.picture();
        const InfoTexts texts = readInfoTexts(empty, viewer_.infoRegion());
        EXPECT_EQ(texts.date, L"----/--/--");
        EXPECT_EQ(texts.time, L"--:--:--");
        EXPECT_EQ(readChart(empty, viewer_.chartRegion()).marker, -1);
    }
    open(0);

    // Playing: the frames on screen count up, and there is sound.
    const int early = frameOnScreen();
    ASSERT_GE(early, 0) << "no frame index readable in the picture";
    if (SoundMonitor::available())
        EXPECT_GT(sound.listen(1500), kAudible) << "playing, yet nothing to hear";
    else
        Sleep(1500);
    const int later = frameOnScreen();
    EXPECT_GT(later, early + 10) << "1.5 s of playback moved from frame " << early << " to " << later;

    // Paused: the picture, the time, the chart's marker all stand on one frame, and it is quiet.
    viewer_.click(ConsoleButton::Play);
    ASSERT_TRUE(comesToRest()) << "the play button did not pause";
    const drive::ScreenPicture paused = viewer_.picture();
    const int frame = frameShown(paused, viewer_.playerRegion());
    ASSERT_GE(frame, later);
    const InfoTexts shown = readInfoTexts(paused, viewer_.infoRegion());
    const FrameInfo* record = recording.slot(frame);
    ASSERT_NE(record, nullptr);
    const InfoTexts expected = expectedTexts(record->frameTime);
    EXPECT_EQ(shown.date, expected.date) << "frame " << frame;
    EXPECT_EQ(shown.time, expected.time) << "frame " << frame;
    // The marker's column is the frame's share of the plot's width, to a pixel.
    EXPECT_NEAR(readChart(paused, viewer_.chartRegion()).markedFrame(recording.slotCount()), frame,
                recording.slotCount() / 200 + 1);
    if (SoundMonitor::available()) {
        EXPECT_LT(sound.listen(1000), kSilent) << "paused, yet it sounds";
    }

    // Resumed: it goes on from there.
    viewer_.click(ConsoleButton::Play);
    EXPECT_TRUE(waitUntil([&] { return frameOnScreen() > frame + 5; }, kPlaybackTimeoutMs));
    if (SoundMonitor::available()) {
        EXPECT_GT(sound.listen(1000), kAudible) << "resumed without sound";
    }
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
    const int frames = firstRecording().slotCount();
    // Where the thumb is held is a share of the recording; the slider's own margins and the
    // thumb's width make the share a few hundredths off at most.
    const int slack = frames / 20;
    open(0);
    {
        // While the thumb is held, playback stands still at the frame under it, and the time and
        // the chart's marker show that frame too.
        drive::HeldDrag drag(viewer_.main(), sliderPoint(20));
        drag.moveTo(sliderPoint(40));
        Sleep(400);
        EXPECT_TRUE(comesToRest()) << "playback goes on during the drag";
        const drive::ScreenPicture held = viewer_.picture();
        const int frame = frameShown(held, viewer_.playerRegion());
        EXPECT_NEAR(frame, frames * 40 / 100, slack);
        EXPECT_NEAR(readChart(held, viewer_.chartRegion()).markedFrame(frames), frame, frames / 200 + 1);
        if (const FrameInfo* record = firstRecording().slot(frame)) {
            EXPECT_EQ(readInfoTexts(held, viewer_.infoRegion()).time,
                      expectedTexts(record->frameTime).time);
        }
        drag.moveTo(sliderPoint(60));
        EXPECT_TRUE(viewer_.waitForChange(held, viewer_.playerRegion()))
            << "the picture does not follow the thumb";
        EXPECT_TRUE(waitUntil([&] { return std::abs(frameOnScreen() - frames * 60 / 100) <= slack; },
                              kPlaybackTimeoutMs))
            << "frame " << frameOnScreen() << " of " << frames << " under a thumb at 60 %";
    }
    // It played before, so it plays on after the release, from where the thumb was let go.
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
        << "playback did not resume";
    const int resumedAt = frameOnScreen();
    EXPECT_GE(resumedAt, frames * 60 / 100 - slack);

    // Paused, a drag shows the frames but leaves the player standing at the released frame.
    viewer_.click(ConsoleButton::Play);
    ASSERT_TRUE(comesToRest()) << "the play button did not pause";
    const drive::ScreenPicture paused = viewer_.picture();
    drive::drag(viewer_.main(), sliderPoint(30), sliderPoint(10), 5, 50);
    EXPECT_TRUE(viewer_.waitForChange(paused, viewer_.playerRegion()))
        << "the picture does not follow the thumb";
    EXPECT_TRUE(comesToRest()) << "playback started after dragging a paused recording";
    EXPECT_NEAR(frameOnScreen(), frames * 10 / 100, slack);
    EXPECT_TRUE(viewer_.enabled(ConsoleButton::Stop));

    // Stop goes back to the first frame.
    viewer_.click(ConsoleButton::Stop);
    EXPECT_TRUE(waitUntil([&] { return frameOnScreen() == 0; }, kPlaybackTimeoutMs))
        << "frame " << frameOnScreen() << " after stop";
}

TEST_F(ViewerPlayback, AtTheCardsEndTheSliderShowsAFrameAndPlayGoesOnFromIt) {
    const int frames = firstRecording().slotCount();
    const int slack = frames / 20;
    open(4);
    // Near the end of the last recording, played to its end: nothing follows, so it stops there.
    drive::click(viewer_.main(), sliderPoint(97));
    ASSERT_TRUE(waitUntil([&] { return frameOnScreen() >= frames - 3 && standsStill(); },
                          kPlaybackTimeoutMs))
        << "frame " << frameOnScreen() << " of " << frames << ": the card did not end";
    EXPECT_EQ(viewer_.title(), titleOf(4));

    // A drag there shows the frame and leaves the player standing on it: it was not playing.
    drive::drag(viewer_.main(), sliderPoint(80), sliderPoint(10), 4, 60);
    EXPECT_TRUE(comesToRest()) << "playback started after a drag at the card's end";
    EXPECT_NEAR(frameOnScreen(), frames * 10 / 100, slack);
    EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 0));

    // Play goes on from that frame, not from the end or the start.
    const int chosen = frameOnScreen();
    viewer_.click(ConsoleButton::Play);
    int lowest = frames;
    EXPECT_TRUE(waitUntil([&] {
        const int frame = frameOnScreen();
        lowest = std::min(lowest, frame);
        return frame > chosen + 5;
    }, kPlaybackTimeoutMs)) << "frame " << frameOnScreen() << " after play from " << chosen;
    EXPECT_GE(lowest, chosen) << "played from the start";
    EXPECT_LT(frameOnScreen(), frames / 2);
}

TEST_F(ViewerPlayback, PanelOpensAndSetsVolumeAndBrightness) {
    ASSERT_TRUE(viewer_.openThroughPanel(card_->recordings().at(0)));
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(0))) << "title: " << viewer_.title();
    const SoundMonitor sound;
    if (SoundMonitor::available()) {
        EXPECT_GT(sound.listen(1000), kAudible);
        // Volume all the way down is silence while the pictures go on; the standard button
        // brings the sound back.
        // Sound already queued (0.4 s) keeps its level.
        viewer_.setVolume(false);
        EXPECT_TRUE(waitUntil([&] { return sound.listen(1000) < kSilent; }, 5000))
            << "the lowest volume still sounds";
        EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.playerRegion()));
        viewer_.clickStandardVolume();
        EXPECT_GT(sound.listen(1000), kAudible) << "the standard volume is silent";
    }

    // Paused, brightness changes the picture of the same frame; the standard button puts it
    // back exactly.
    viewer_.click(ConsoleButton::Play);
    ASSERT_TRUE(comesToRest()) << "the play button did not pause";
    const drive::ScreenPicture before = viewer_.picture();
    const Region picture = viewer_.playerRegion();
    viewer_.setBrightness(true);
    ASSERT_TRUE(viewer_.waitForChange(before, picture)) << "brightness did not change the picture";
    EXPECT_GT(meanBrightness(viewer_.picture(), picture), meanBrightness(before, picture) + 20);
    viewer_.setBrightness(false);
    EXPECT_TRUE(waitUntil([&] {
        return meanBrightness(viewer_.picture(), picture) + 20 < meanBrightness(before, picture);
    }, kDialogTimeoutMs)) << "the lowest brightness did not darken the picture";
    viewer_.clickStandardBrightness();
    EXPECT_TRUE(waitUntil([&] { return !regionChanged(before, viewer_.picture(), picture); },
                          kDialogTimeoutMs))
        << "the standard brightness does not give the picture back";

    // The open button pauses what plays and opens another recording.
    viewer_.click(ConsoleButton::Play);
    ASSERT_TRUE(viewer_.openThroughPanel(card_->recordings().at(2)));
    EXPECT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()));
}

TEST_F(ViewerPlayback, TwoCopiesPlayAtOnce) {
    Viewer second;
    ASSERT_TRUE(second.openThroughMenu(card_->recordings().at(3)));
    ASSERT_TRUE(second.waitForTitle(titleOf(3))) << "title: " << second.title();
    open(0);
    // Apart, overlapping only where neither is looked at: without a window manager the screen
    // does not always show the window brought to the front. The first is seen by the top of
    // its picture (with the frame counter), the second by its position slider.
    ASSERT_TRUE(SetWindowPos(viewer_.main(), nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT outer;
    GetWindowRect(second.main(), &outer);
    ASSERT_TRUE(SetWindowPos(second.main(), nullptr, GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left),
                             GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top), 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(waitUntil([&] {
        RECT r;
        GetWindowRect(second.main(), &r);
        return r.right == GetSystemMetrics(SM_CXSCREEN);
    }, kDialogTimeoutMs));
    GetWindowRect(second.main(), &outer);
    POINT firstClient = {0, 0};
    ClientToScreen(viewer_.main(), &firstClient);
    Region firstPicture = viewer_.playerRegion();
    firstPicture.height = std::min(firstPicture.height, static_cast<int>(outer.top - firstClient.y));
    const Region secondSlider = second.sliderRegion();

    // Each plays its own recording, on its own.
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), firstPicture));
    EXPECT_TRUE(second.waitForChange(second.picture(), secondSlider));
    second.click(ConsoleButton::Play);
    EXPECT_TRUE(waitUntil([&] { return !second.waitForChange(second.picture(), secondSlider, 1500); },
                          kPlaybackTimeoutMs))
        << "the second copy does not pause";
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), firstPicture))
        << "pausing one copy stopped the other";
    EXPECT_EQ(second.title(), titleOf(3));

    // Closing one leaves the other playing.
    PostMessageW(second.main(), WM_CLOSE, 0, 0);
    HWND box = second.messageBox(L"確認");
    ASSERT_NE(box, nullptr);
    second.answer(box, IDOK);
    EXPECT_TRUE(second.process().waitForExit(kDialogTimeoutMs));
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), firstPicture));
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
