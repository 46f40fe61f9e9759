// Ten minutes of playback through a whole card, round and round, with a seek every quarter
// minute: what the viewer holds must not grow, and playback must never stall.
//
// TAVRIN_SOAK_SECONDS shortens (or lengthens) the run for local use; 600 by default.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "tests/e2e/ProcessFigures.h"
#include "tests/e2e/ScreenReading.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr int kRecordings = 5;
constexpr int kFrames = 700;  // 25 s a recording, two minutes a card
constexpr DWORD kSeekEveryMs = 15000;
// No seek close to the end of a recording: once the card has ended, playback has stopped, and a
// seek there rightly shows its frame and stays stopped (a drag to the track's start left the
// last recording on frame 10), which this loop would take for a stall before it saw the end. Nor
// right after a change of recording, while the next one may still be being read. So seeks wait
// until a recording has played a while, and stop well before its end.
constexpr DWORD kSeekAfterChangeMs = 3000;
constexpr int kNoSeekFramesBeforeEnd = 4 * 28;
constexpr DWORD kFiguresEveryMs = 60000;
constexpr DWORD kLookEveryMs = 250;
// At the end of the card the last picture stays: this still, at the last frames of the last
// recording, the card has ended.
constexpr DWORD kEndStillMs = 1500;
// Anywhere else the picture and the thumb change many times a second; opening the next
// recording takes a second or two. Standing still this long is a stall, even on two busy cores.
constexpr DWORD kStallMs = 10000;
// The last frames: the end of a recording, whichever of its last frames the player drew last.
constexpr int kLastFramesSlack = 10;

int soakSeconds() {
    const char* text = std::getenv("TAVRIN_SOAK_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 600;
}

class ViewerSoak : public testing::Test {
protected:
    ViewerSoak() : card_(kRecordings, kFrames) {}

    std::wstring titleOf(int recording) const {
        return card_.recordings().at(recording) + L" - Tavrin";
    }
    int recordingShown() const {
        const std::wstring title = viewer_.title();
        for (int r = 0; r < kRecordings; ++r)
            if (title == titleOf(r)) return r;
        return -1;
    }

    void openFirst() {
        ASSERT_TRUE(viewer_.openThroughMenu(card_.recordings().at(0)));
        ASSERT_TRUE(viewer_.waitForTitle(titleOf(0))) << "title: " << viewer_.title();
    }

    POINT sliderPoint(int percent) const {
        const Region s = viewer_.sliderRegion();
        return {s.x + 8 + (s.width - 16) * percent / 100, s.y + s.height / 2};
    }

    // Alternately a click on the track and a drag of a few steps, to places that move round the
    // recording and stay clear of its end.
    void seek(int count) {
        const int percent = 5 + (count * 37) % 85;
        if (count % 2 == 0) {
            drive::click(viewer_.main(), sliderPoint(percent));
        } else {
            drive::drag(viewer_.main(), sliderPoint(percent), sliderPoint((percent + 10) % 90),
                        4, 60);
        }
    }

    ProcessFigures report(const char* when, DWORD elapsedMs) {
        return reportFigures(viewer_.process().id(),
                             std::string(when) + ", " + std::to_string(elapsedMs / 1000) + " s");
    }

    Card card_;
    Viewer viewer_;
};

TEST_F(ViewerSoak, PlaysRoundTheCardWithSeeksWithoutGrowingOrStalling) {
    const DWORD runMs = static_cast<DWORD>(soakSeconds()) * 1000;
    // The open-file dialog fills Wine's caches over its first few uses, so it is used a few
    // times before the first reading (each once the recording plays: the viewer takes no
    // command while it loads).
    constexpr int kDialogWarmUps = 5;
    for (int open = 0; open < kDialogWarmUps; ++open) {
        openFirst();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
            << "the first recording does not play";
    }

    const DWORD start = GetTickCount();
    const ProcessFigures first = report("start", 0);
    DWORD lastFigures = start;
    DWORD lastSeek = start;
    DWORD lastChange = start;
    int seeks = 0;
    int cardEnds = 0;
    int lastRecording = -1;
    DWORD recordingSince = start;
    std::set<int> recordingsPlayed;
    drive::ScreenPicture previous = viewer_.picture();

    while (GetTickCount() - start < runMs) {
        drive::pause(kLookEveryMs);
        const DWORD now = GetTickCount();
        ASSERT_FALSE(viewer_.anyMessageBox(L"警告", 0)) << "a warning during playback";
        const drive::ScreenPicture shown = viewer_.picture();
        const int recording = recordingShown();
        ASSERT_GE(recording, 0) << "title: " << viewer_.title();
        if (recording != lastRecording) {
            lastRecording = recording;
            recordingSince = now;
        }
        if (regionChanged(previous, shown, viewer_.sliderRegion()) ||
            regionChanged(previous, shown, viewer_.playerRegion())) {
            lastChange = now;
            recordingsPlayed.insert(recording);
            previous = shown;
        } else if (now - lastChange >= kEndStillMs) {
            const int frame = frameShown(shown, viewer_.playerRegion());
            if (recording == kRecordings - 1 && frame >= kFrames - kLastFramesSlack) {
                // The card has ended, as it should: round again from its first recording.
                ++cardEnds;
                openFirst();
                if (HasFatalFailure()) return;
                lastChange = GetTickCount();
                previous = viewer_.picture();
                continue;
            }
            if (now - lastChange >= kStallMs) {
                // What the screen showed, for the one who looks into it.
                drive::savePicture(shown, hostPathToWine(TAVRIN_SOAK_STALL_PICTURE));
                FAIL() << "playback stands still at frame " << frame << " of recording "
                       << recording << " after " << (now - start) / 1000 << " s (stop button "
                       << (viewer_.enabled(ConsoleButton::Stop) ? "on" : "off")
                       << "); the screen is in " << TAVRIN_SOAK_STALL_PICTURE;
            }
        }
        const int frameNow = frameShown(shown, viewer_.playerRegion());
        if (now - lastSeek >= kSeekEveryMs && now - recordingSince >= kSeekAfterChangeMs &&
            frameNow >= 0 && frameNow < kFrames - kNoSeekFramesBeforeEnd) {
            seek(seeks++);
            lastSeek = now;
        }
        if (now - lastFigures >= kFiguresEveryMs) {
            report("playing", now - start);
            lastFigures = now;
        }
    }

    const ProcessFigures last = report("end", GetTickCount() - start);
    std::printf("[ soak     ] %d seeks, the card ended %d times, %zu recordings seen playing\n",
                seeks, cardEnds, recordingsPlayed.size());
    // Playback went on from each recording into the next (a run shorter than the card sees
    // fewer of them).
    EXPECT_GE(static_cast<int>(recordingsPlayed.size()),
              std::min<int>(kRecordings, 1 + static_cast<int>(runMs / 60000)));
    expectNoGrowth(first, last, cardEnds);
}

}  // namespace
}  // namespace tavrin::e2e
