#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/Image.h"
#include "media/ImageLoader_win.h"
#include "media/PlaybackPacing.h"
#include "media/VideoPlayer_win.h"
#include "media/WaveAudioPlayer_win.h"
#include "recording/ArchiveListing.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tests/win/MessagePump.h"
#include "tests/win/WarningBoxCloser.h"
#include "tools/cardgen/CardWriter.h"
#include "tools/cardgen/FrameStrip.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"
#include "ui/Window_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;
using test::TestFolder;

// Everything the owner and the player were told, kept outside the windows, which their routing
// deletes.
struct PlayerLog {
    struct Picture {
        std::int32_t frame;
        std::int32_t soundMs;
        std::int32_t soundState;
    };
    int refreshes = 0;
    int stepsForward = 0;
    int stepsBack = 0;
    int foldersGone = 0;
    int busyEntered = 0;
    int busyLeft = 0;
    bool busy = false;
    bool busyDuringScan = false;
    int plotsDiscarded = 0;
    int informationRepaints = 0;
    int ticks = 0;
    WPARAM lastPictureParam = 0;
    std::vector<int> progress;
    std::vector<Picture> pictures;
};

// Records every arriving picture with the sound position at that moment, and exposes the tick
// forms so a test can run one at a moment it knows the clock.
class WatchedPlayer : public VideoPlayer {
public:
    WatchedPlayer(IVideoPlayerOwner& owner, PlayerLog& log) : VideoPlayer(owner), log_(log) {}

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PICTURE_READY) {
            log_.pictures.push_back(
                {frameIndexOf(wParam), soundPlayer().getPosition(), soundPlayer().getState()});
            log_.lastPictureParam = wParam;
        }
        if (message == WM_TICK) ++log_.ticks;
        return VideoPlayer::handleMessage(message, wParam, lParam);
    }
    void showLoadingProgress(int percent) override {
        log_.progress.push_back(percent);
        if (log_.busy) log_.busyDuringScan = true;
        VideoPlayer::showLoadingProgress(percent);
    }
    // The scan lets the window's messages through once per block; a test can slip its own in
    // at the first of these, while the archive is being read.
    void dispatchPendingMessages() override {
        if (duringRead) {
            const std::function<void()> hook = std::move(duringRead);
            duringRead = nullptr;
            hook();
        }
        VideoPlayer::dispatchPendingMessages();
    }

    void runSyncTick() { syncTick(); }
    WaveAudioPlayer& audio() { return waveAudio(); }

    std::function<void()> duringRead;

private:
    PlayerLog& log_;
};

// A stand-in for the main window: a visible 640 x 480 pop-up that counts what the player asks
// of it and, like the real one, closes the player when the folder has gone.
class TestOwner : public Window, public IVideoPlayerOwner {
public:
    explicit TestOwner(PlayerLog& log) : log_(log) {
        CreateParams params;
        params.className = MAKEINTATOM(sharedClass());
        params.title = L"player test";
        params.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        params.width = 640;
        params.height = 480;
        params.instance = appInstance;
        create(params);
    }

    HWND ownerWindow() override { return hwnd; }
    void refreshControls() override { ++log_.refreshes; }
    void stepRecording(bool forward) override { ++(forward ? log_.stepsForward : log_.stepsBack); }
    void onFolderGone() override {
        ++log_.foldersGone;
        if (player) player->close();
    }
    void enterBusy() override {
        ++log_.busyEntered;
        log_.busy = true;
    }
    void leaveBusy() override {
        ++log_.busyLeft;
        log_.busy = false;
    }
    void discardPlot() override { ++log_.plotsDiscarded; }
    void repaintInformation() override { ++log_.informationRepaints; }

    WatchedPlayer* player = nullptr;

private:
    PlayerLog& log_;
};

// The client area of `window` as it is on screen, bottom-up 32-bit rows.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    static Screenshot of(HWND window) {
        Screenshot shot;
        RECT client;
        GetClientRect(window, &client);
        shot.width = client.right;
        shot.height = client.bottom;
        shot.pixels.resize(static_cast<std::size_t>(shot.width) * shot.height * 4);
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = shot.width;
        info.bmiHeader.biHeight = shot.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, shot.width, shot.height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        std::copy_n(static_cast<const std::uint8_t*>(bits), shot.pixels.size(), shot.pixels.begin());
        SelectObject(memoryDc, previous);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
        return shot;
    }

    std::size_t stride() const { return static_cast<std::size_t>(width) * 4; }
    // Pixel (x, y) counted from the top left; true when it is white.
    bool isWhite(int x, int y) const {
        const std::uint8_t* p = &pixels[(height - 1 - y) * stride() + static_cast<std::size_t>(x) * 4];
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    // The frame number in the strip of the picture drawn into `box`.
    int frameInBox(const PictureBox& box) const {
        const std::uint8_t* start =
            pixels.data() + (height - box.y - box.height) * stride() + static_cast<std::size_t>(box.x) * 4;
        return cardgen::readFrameStrip(start, box.width, box.height, static_cast<int>(stride()), true);
    }
};

class VideoPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        card_ = new TestFolder;
        cardgen::CardOptions options;
        options.folder = toUtf8(card_->path());
        options.recordings = 5;  // over three days: two, two and one
        options.frames = 168;
        cardgen::writeCard(options, [](const std::string&) {});
    }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }

    void SetUp() override {
        owner_ = new TestOwner(log_);
        player_ = new WatchedPlayer(*owner_, log_);
        owner_->player = player_;
        ownerWindow_ = owner_->hwnd;
    }
    void TearDown() override {
        // The owner object may be gone already; its handle tells.
        if (IsWindow(ownerWindow_)) DestroyWindow(ownerWindow_);
        pumpFor(20);
    }

    // The card's archives in folder order.
    static std::vector<Path> cardArchives(const Path& folder) {
        std::vector<std::wstring> names;
        listFolder(folder, names);
        std::sort(names.begin(), names.end());
        std::vector<Path> archives;
        for (const std::wstring& name : names) {
            const Path path = folder + kPathSeparator + name;
            if (isArchiveFileName(path)) archives.push_back(path);
        }
        return archives;
    }

    // Lists the sample card and opens entry `index`, waiting for its first picture.
    void openCardRecording(std::int32_t index) {
        ASSERT_EQ(player_->loadFolderList(cardArchives(card_->path()).front()), 0);
        ASSERT_EQ(player_->recordingCount(), 5);
        ASSERT_TRUE(player_->openRecording(index));
        ASSERT_TRUE(pumpUntil([&] { return player_->frameShown(); }, 5000));
    }

    bool waitForPictureOf(std::int32_t frame, DWORD ms = 5000) {
        return pumpUntil(
            [&] { return !log_.pictures.empty() && log_.pictures.back().frame == frame; }, ms);
    }

    // The recording's own frame number of the picture in slot `frame`: a dropped frame's slot
    // holds the picture before it.
    std::int32_t pictureFrameOf(std::int32_t frame) const {
        const VideoInfo07* info = player_->frameInfo();
        std::int32_t g = frame;
        while (g > 0 && info->frameAt(g - 1)->blockPositions[0] == info->frameAt(frame)->blockPositions[0])
            --g;
        return g;
    }

    static TestFolder* card_;
    PlayerLog log_;
    TestOwner* owner_ = nullptr;
    HWND ownerWindow_ = nullptr;
    WatchedPlayer* player_ = nullptr;
};

TestFolder* VideoPlayerTest::card_ = nullptr;

TEST_F(VideoPlayerTest, OpeningReadsTheArchiveWhileBusyAndStopsOnTheFirstFrame) {
    EXPECT_GE(player_->timerPeriod(), 1u);
    openCardRecording(1);
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->recordingIndex(), 1);
    EXPECT_EQ(player_->currentFrame(), 0);
    EXPECT_EQ(player_->frameCount(), 168);
    EXPECT_EQ(player_->recordingPath(), player_->recordingPathAt(1));
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundStopped);
    EXPECT_EQ(log_.busyEntered, 1);
    EXPECT_EQ(log_.busyLeft, 1);
    EXPECT_TRUE(log_.busyDuringScan);
    ASSERT_FALSE(log_.progress.empty());
    EXPECT_EQ(log_.progress.front(), 10);
    EXPECT_EQ(log_.progress.back(), 100);
    EXPECT_EQ(log_.plotsDiscarded, 2);
    EXPECT_EQ(log_.informationRepaints, 2);
    ASSERT_FALSE(log_.pictures.empty());
    EXPECT_EQ(log_.pictures.front().frame, 0);

    // An entry that does not exist opens nothing and leaves the open recording alone.
    EXPECT_FALSE(player_->openRecording(5));
    EXPECT_FALSE(player_->openRecording(-1));
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
}

TEST_F(VideoPlayerTest, AnUnreadableArchiveFailsTheOpenAndLeavesTheBusyState) {
    TestFolder folder;
    const Path path = folder.file(L"0001_001.DAT");
    test::writeBytes(path, test::Bytes(4096, 0x5a));
    player_->setSingleRecording(path);
    EXPECT_FALSE(player_->openRecording(0));
    EXPECT_EQ(log_.busyEntered, 1);
    EXPECT_EQ(log_.busyLeft, 1);
    EXPECT_EQ(player_->state(), VideoPlayer::kNone);
}

TEST_F(VideoPlayerTest, PlaybackFollowsTheSoundClockOneFrameAhead) {
    openCardRecording(0);
    player_->playFrom(0);
    ASSERT_TRUE(pumpUntil([&] { return player_->soundPlayer().getPosition() > 1000; }, 5000));

    // A synchronising tick takes the frame under the sound position and asks for the next one.
    const std::int32_t before = player_->soundPlayer().getPosition();
    player_->runSyncTick();
    const std::int32_t after = player_->soundPlayer().getPosition();
    EXPECT_GE(player_->currentFrame() - 1, frameAtMs(before, kFrameDurationMs));
    EXPECT_LE(player_->currentFrame() - 1, frameAtMs(after, kFrameDurationMs));

    pumpFor(1000);
    player_->pause();
    EXPECT_EQ(player_->state(), VideoPlayer::kPaused);
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundPaused);

    // The pictures that came in while the sound played were the ones under the sound, most of
    // them no more than a frame off even on a loaded machine; and most frames reached the screen.
    std::vector<int> offsets;
    std::vector<std::int32_t> frames;
    for (const auto& picture : log_.pictures) {
        if (picture.soundState != kSoundPlaying) continue;
        offsets.push_back(picture.frame - frameAtMs(picture.soundMs, kFrameDurationMs));
        frames.push_back(picture.frame);
    }
    ASSERT_GE(offsets.size(), 20u);
    std::nth_element(offsets.begin(), offsets.begin() + offsets.size() / 2, offsets.end());
    const int median = offsets[offsets.size() / 2];
    EXPECT_GE(median, -1);
    EXPECT_LE(median, 2);
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    const std::int32_t span = frames.back() - frames.front() + 1;
    EXPECT_GE(frames.size() * 2, static_cast<std::size_t>(span)) << "most frames are shown";

    // Paused, ticks stop: the frame stays where the sound stopped.
    const std::int32_t pausedFrame = player_->currentFrame();
    pumpFor(200);
    EXPECT_EQ(player_->currentFrame(), pausedFrame);
}

TEST_F(VideoPlayerTest, WithoutSoundTheWallClockPacesFromTheStartingFrame) {
    openCardRecording(0);
    player_->soundPlayer().close();
    player_->playFrom(10);
    EXPECT_EQ(player_->audio().startOffsetMs(), msAtFrame(10, kFrameDurationMs));
    pumpFor(1000);

    const DWORD start = player_->audio().playStartTime();
    const DWORD before = timeGetTime();
    player_->runSyncTick();
    const DWORD after = timeGetTime();
    const double offset = player_->audio().startOffsetMs();
    EXPECT_GE(player_->currentFrame() - 1, frameAtMs(before - start + offset, kFrameDurationMs));
    EXPECT_LE(player_->currentFrame() - 1, frameAtMs(after - start + offset, kFrameDurationMs));
    EXPECT_GE(player_->currentFrame(), 10 + 25);
    player_->stop();
}

TEST_F(VideoPlayerTest, TheEndOfARecordingAsksForTheNextOnlyWhenThereIsOne) {
    openCardRecording(0);
    player_->playFrom(player_->frameCount() - 10);
    ASSERT_TRUE(pumpUntil([&] { return player_->state() == VideoPlayer::kStopped; }, 8000));
    EXPECT_EQ(player_->currentFrame(), player_->frameCount() - 1);
    EXPECT_TRUE(player_->endReached());
    EXPECT_EQ(log_.stepsForward, 1);

    // Beyond the end: the last frame at once, then the end once the sound has done.
    const std::size_t before = log_.pictures.size();
    ASSERT_TRUE(player_->openRecording(4));
    ASSERT_TRUE(pumpUntil([&] { return player_->frameShown(); }, 5000))
        << "pictures " << before << " -> " << log_.pictures.size() << " state " << player_->state();
    player_->playFrom(100000);
    EXPECT_EQ(player_->currentFrame(), player_->frameCount() - 1);
    ASSERT_TRUE(pumpUntil([&] { return player_->state() == VideoPlayer::kStopped; }, 8000));
    EXPECT_EQ(player_->currentFrame(), player_->frameCount() - 1);
    EXPECT_EQ(log_.stepsForward, 1) << "the last recording has no next one";
}

TEST_F(VideoPlayerTest, SeekShowsTheChosenFrameAndSeekingToItAgainAsksNothing) {
    openCardRecording(0);
    for (std::int32_t frame : {50, 120, 167}) {
        player_->seek(frame);
        EXPECT_EQ(player_->currentFrame(), frame);
        EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
        ASSERT_TRUE(waitForPictureOf(frame));
        pumpFor(50);
        const Screenshot shot = Screenshot::of(player_->hwnd);
        EXPECT_EQ(shot.frameInBox(fitPictureBox(shot.width, shot.height)), pictureFrameOf(frame));
    }
    const std::size_t pictures = log_.pictures.size();
    const int refreshes = log_.refreshes;
    player_->seek(167);
    player_->seek(1000);  // clamped to the same last frame
    pumpFor(300);
    EXPECT_EQ(log_.pictures.size(), pictures);
    EXPECT_EQ(log_.refreshes, refreshes);

    // Seeking while playing stops playback first.
    player_->playFrom(0);
    player_->seek(60);
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundStopped);
    ASSERT_TRUE(waitForPictureOf(60));
    const std::int32_t stoppedAt = player_->currentFrame();
    pumpFor(200);
    EXPECT_EQ(player_->currentFrame(), stoppedAt);
}

TEST_F(VideoPlayerTest, ThePictureFillsTheLargestCentredFourByThreeBox) {
    openCardRecording(0);
    player_->seek(30);
    ASSERT_TRUE(waitForPictureOf(30));
    struct Case {
        int width, height;
        PictureBox box;
    };
    for (const Case& c : {Case{1000, 480, {180, 0, 640, 480}}, Case{640, 600, {0, 60, 640, 480}}}) {
        SetWindowPos(owner_->hwnd, nullptr, 0, 0, c.width, c.height, SWP_NOZORDER | SWP_NOMOVE);
        SetWindowPos(player_->hwnd, nullptr, 0, 0, c.width, c.height, SWP_NOZORDER | SWP_NOMOVE);
        RedrawWindow(player_->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        pumpFor(50);
        const Screenshot shot = Screenshot::of(player_->hwnd);
        ASSERT_EQ(shot.width, c.width);
        EXPECT_EQ(shot.frameInBox(c.box), pictureFrameOf(30)) << c.width << "x" << c.height;
        // The margin keeps the white of the erase.
        if (c.box.x > 0) {
            EXPECT_TRUE(shot.isWhite(c.box.x / 2, c.height / 2));
            EXPECT_FALSE(shot.isWhite(c.box.x + 5, c.height / 2));
        } else {
            EXPECT_TRUE(shot.isWhite(c.width / 2, c.box.y / 2));
            EXPECT_TRUE(shot.isWhite(c.width / 2, c.height - c.box.y / 2));
        }
    }
}

TEST_F(VideoPlayerTest, APictureThatCouldNotBeDecodedLeavesThePreviousOneOnScreen) {
    openCardRecording(0);
    const Image* shown = player_->shownImage();
    ASSERT_NE(shown, nullptr);
    PostMessageW(player_->hwnd, WM_PICTURE_READY,
                 loaderMessageParam(7, generationOf(log_.lastPictureParam)), 0);
    pumpFor(50);
    EXPECT_EQ(player_->shownImage(), shown);
}

// Takes the first message `message` of the player's queue out without handling it, waiting up to
// two seconds for the loader to post one.
MSG takeQueued(HWND player, UINT message) {
    MSG taken = {};
    const DWORD start = timeGetTime();
    while (!PeekMessageW(&taken, player, message, message, PM_REMOVE)) {
        if (timeGetTime() - start > 2000) {
            ADD_FAILURE() << "no message " << message << " came";
            return {};
        }
        Sleep(1);
    }
    return taken;
}

// A tick and a picture the loader posted for a recording just before it was closed: still
// queued, they are handled while the next recording is read.
struct StaleMessages {
    MSG tick;
    MSG picture;

    // Plays the open recording until the loader has posted both, without handling them.
    static StaleMessages of(VideoPlayer& player) {
        player.playFrom(0);
        StaleMessages stale{takeQueued(player.hwnd, WM_TICK),
                            takeQueued(player.hwnd, WM_PICTURE_READY)};
        EXPECT_NE(stale.picture.lParam, 0) << "the stale picture is a real one";
        return stale;
    }
    void post() const {
        PostMessageW(tick.hwnd, tick.message, tick.wParam, tick.lParam);
        PostMessageW(picture.hwnd, picture.message, picture.wParam, picture.lParam);
    }
};

TEST_F(VideoPlayerTest, TicksAndPicturesOfTheClosedRecordingAreIgnoredWhileTheNextIsRead) {
    openCardRecording(0);
    const StaleMessages stale = StaleMessages::of(*player_);
    player_->duringRead = [&] { stale.post(); };
    const int ticksBefore = log_.ticks;
    ASSERT_TRUE(player_->openRecording(1));
    EXPECT_EQ(player_->duringRead, nullptr) << "the scan let no message through";
    EXPECT_EQ(log_.ticks, ticksBefore + 1) << "the stale tick was not handled during the read";
    // Nothing of recording 0 comes back on screen, and the first picture is still awaited.
    EXPECT_EQ(player_->shownImage(), nullptr);
    EXPECT_FALSE(player_->frameShown());

    // Stopped on its first frame: the picture arrives, and no tick was armed to follow it.
    ASSERT_TRUE(pumpUntil([&] { return player_->frameShown(); }, 5000));
    pumpFor(300);
    EXPECT_EQ(log_.ticks, ticksBefore + 1) << "the stale tick re-armed the timer";
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 0);
    EXPECT_EQ(log_.foldersGone, 0);
}

TEST_F(VideoPlayerTest, ACardTakenAwayWhileTheNextRecordingIsReadIsReportedOnce) {
    TestFolder folder;
    const Path inner = folder.file(L"card");
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
    const std::vector<Path> archives = cardArchives(card_->path());
    std::vector<Path> copies;
    for (std::size_t i = 0; i < 2; ++i) {
        copies.push_back(inner + kPathSeparator + archives.at(i).substr(card_->path().size() + 1));
        ASSERT_TRUE(CopyFileW(archives.at(i).c_str(), copies.back().c_str(), TRUE))
            << GetLastError();
    }
    ASSERT_EQ(player_->loadFolderList(copies.front()), 0);
    ASSERT_EQ(player_->recordingCount(), 2);
    ASSERT_TRUE(player_->openRecording(0));
    ASSERT_TRUE(pumpUntil([&] { return player_->frameShown(); }, 5000));
    const StaleMessages stale = StaleMessages::of(*player_);

    const Path moved = folder.file(L"gone");
    bool cardGone = false;
    player_->duringRead = [&] {
        cardGone = MoveFileW(inner.c_str(), moved.c_str()) != FALSE;
        stale.post();
    };
    test::WarningBoxCloser closer;
    // The read runs on to its end on the file it holds open; then the folder is found gone.
    EXPECT_TRUE(player_->openRecording(1));
    pumpFor(300);
    closer.stop();
    ASSERT_TRUE(cardGone) << GetLastError();
    EXPECT_EQ(log_.foldersGone, 1);
    EXPECT_EQ(closer.boxes(), 1) << "the loss was reported more than once";
    EXPECT_EQ(player_->state(), VideoPlayer::kNone);
    EXPECT_EQ(player_->shownImage(), nullptr);
    MoveFileW(moved.c_str(), inner.c_str());
}

TEST_F(VideoPlayerTest, AClosedPlayerIsNeverStartedAgain) {
    openCardRecording(0);
    player_->playFrom(0);
    player_->close();
    test::WarningBoxCloser closer;
    // As a caller that decided to play before the recording went would.
    player_->playFrom(40);
    player_->resume();
    pumpFor(200);
    closer.stop();
    EXPECT_EQ(player_->state(), VideoPlayer::kNone);
    EXPECT_EQ(closer.boxes(), 0);
    EXPECT_EQ(log_.foldersGone, 0);
    EXPECT_EQ(player_->soundPlayer().getState(), kSoundClosed);
}

TEST_F(VideoPlayerTest, DateNavigationStepsByCalendarDayAndWarnsAtBothEnds) {
    openCardRecording(0);
    EXPECT_FALSE(player_->isDifferentDate(0, 1));
    EXPECT_TRUE(player_->isDifferentDate(1, 2));
    EXPECT_FALSE(player_->isDifferentDate(2, 3));
    EXPECT_TRUE(player_->isDifferentDate(3, 4));

    player_->playFrom(0);
    player_->openAdjacentDate(false);
    EXPECT_EQ(player_->recordingIndex(), 2);
    EXPECT_EQ(player_->recordingPath(), player_->recordingPathAt(2));
    EXPECT_EQ(player_->state(), VideoPlayer::kStopped);
    EXPECT_EQ(player_->currentFrame(), 0);
    player_->openAdjacentDate(false);
    EXPECT_EQ(player_->recordingIndex(), 4);

    {
        test::WarningBoxCloser closer;
        try {
            player_->openAdjacentDate(false);
            ADD_FAILURE() << "no next date, yet nothing was thrown";
        } catch (const Exception& failure) {
            EXPECT_TRUE(failure.message().empty());
        }
        closer.stop();
        EXPECT_EQ(closer.boxes(), 1);
        // A message box is owned by the top-level window of the child it was given.
        EXPECT_EQ(closer.owner(), GetAncestor(player_->hwnd, GA_ROOT));
        EXPECT_NE(std::find(closer.texts().begin(), closer.texts().end(), loadMessage(5065)),
                  closer.texts().end());
    }
    EXPECT_EQ(player_->recordingIndex(), 4);

    player_->openAdjacentDate(true);
    EXPECT_EQ(player_->recordingIndex(), 2);
    ASSERT_TRUE(player_->openRecording(3));
    player_->openAdjacentDate(true);
    EXPECT_EQ(player_->recordingIndex(), 0) << "the first recording of the earlier day";
    ASSERT_TRUE(player_->openRecording(1));
    {
        test::WarningBoxCloser closer;
        EXPECT_THROW(player_->openAdjacentDate(true), Exception);
        closer.stop();
        EXPECT_EQ(closer.boxes(), 1);
        EXPECT_NE(std::find(closer.texts().begin(), closer.texts().end(), loadMessage(5066)),
                  closer.texts().end());
    }
    EXPECT_EQ(player_->recordingIndex(), 1);
}

TEST_F(VideoPlayerTest, ASingleRecordingHasNoDatesToStepThrough) {
    const Path path = cardArchives(card_->path()).front();
    EXPECT_EQ(player_->setSingleRecording(path), 0);
    EXPECT_EQ(player_->recordingCount(), 0);
    EXPECT_EQ(player_->recordingPathAt(0), path);
    EXPECT_TRUE(player_->recordingPathAt(1).empty());
    ASSERT_TRUE(player_->openRecording(0));
    player_->playFrom(0);
    test::WarningBoxCloser closer;
    player_->openAdjacentDate(false);
    player_->openAdjacentDate(true);
    closer.stop();
    EXPECT_EQ(player_->state(), VideoPlayer::kPaused);
    EXPECT_EQ(closer.boxes(), 0);
    EXPECT_EQ(player_->recordingIndex(), 0);
}

TEST_F(VideoPlayerTest, RemovingTheFolderDuringPlaybackClosesEverythingWithOneWarning) {
    TestFolder folder;
    const Path inner = folder.file(L"card");
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
    const Path archive = inner + L"\\0001_001.DAT";
    ASSERT_TRUE(CopyFileW(cardArchives(card_->path()).front().c_str(), archive.c_str(), TRUE));
    ASSERT_EQ(player_->loadFolderList(archive), 0);
    ASSERT_TRUE(player_->openRecording(0));
    player_->playFrom(0);
    pumpFor(300);

    test::WarningBoxCloser closer;
    const Path moved = folder.file(L"gone");
    ASSERT_TRUE(MoveFileW(inner.c_str(), moved.c_str())) << GetLastError();
    ASSERT_TRUE(pumpUntil([&] { return log_.foldersGone > 0; }, 3000));
    pumpFor(300);
    closer.stop();
    EXPECT_EQ(log_.foldersGone, 1);
    EXPECT_EQ(closer.boxes(), 1);
    EXPECT_EQ(closer.owner(), owner_->hwnd);
    EXPECT_NE(std::find(closer.texts().begin(), closer.texts().end(), loadMessage(5078)),
              closer.texts().end());
    EXPECT_EQ(player_->state(), VideoPlayer::kNone);
    EXPECT_EQ(player_->frameInfo(), nullptr);

    // A tick still queued for the closed recording does nothing.
    PostMessageW(player_->hwnd, WM_TICK, 0, 0);
    pumpFor(100);
    EXPECT_EQ(log_.foldersGone, 1);
}

TEST_F(VideoPlayerTest, DestroyingTheOwnerTakesThePlayerAndItsSoundWindowWithIt) {
    openCardRecording(0);
    player_->playFrom(0);
    pumpFor(200);
    const HWND playerWindow = player_->hwnd;
    const HWND soundWindow = player_->audio().hwnd;
    DestroyWindow(owner_->hwnd);
    EXPECT_EQ(Window::fromHandle(playerWindow), nullptr);
    EXPECT_EQ(Window::fromHandle(soundWindow), nullptr);
    EXPECT_FALSE(IsWindow(soundWindow));
    // Nothing the loader or the device still posts reaches a dead object.
    pumpFor(200);
}

}  // namespace
}  // namespace tavrin
