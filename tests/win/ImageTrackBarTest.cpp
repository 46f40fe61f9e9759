#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "tests/win/MessagePump.h"
#include "tests/win/PanelTestSupport.h"
#include "ui/ImageTrackBar_win.h"
#include "ui/PlayTrackBar_win.h"

namespace tavrin {
namespace {

using test::pixelAt;
using test::pumpFor;
using test::pumpUntil;
using test::sendMouse;
using test::solidPicture;

constexpr COLORREF kThumb = RGB(20, 40, 210);
constexpr COLORREF kTrack = RGB(128, 128, 128);
constexpr COLORREF kFill = RGB(30, 180, 60);
constexpr COLORREF kMarker = RGB(200, 30, 40);

// 110 pixels wide with a 10-pixel thumb: over 0-100 each pixel is one value.
constexpr int kWidth = 110;
constexpr int kHeight = 20;
constexpr int kThumbWidth = 10;

struct TrackLog : ImageTrackBarListener {
    enum Kind { kBegin, kChanged, kEnd };
    struct Event {
        Kind kind;
        std::int32_t value;
    };
    void onTrackBarChanged(ImageTrackBar* bar) override { events.push_back({kChanged, bar->value()}); }
    void onTrackBarBeginTrack(ImageTrackBar* bar) override { events.push_back({kBegin, bar->value()}); }
    void onTrackBarEndTrack(ImageTrackBar* bar) override { events.push_back({kEnd, bar->value()}); }
    int count(Kind kind) const {
        int n = 0;
        for (const Event& e : events) n += e.kind == kind;
        return n;
    }
    std::vector<Event> events;
};

class ImageTrackBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new test::HostWindow(300, 100);
        guard_ = std::make_unique<test::WindowGuard>(host_->hwnd);
        bar_ = new ImageTrackBar(host_->hwnd, 10, 10, kWidth, kHeight);
        bar_->setPictures(solidPicture(kThumbWidth, kHeight, kThumb),
                          solidPicture(kWidth, kHeight, kTrack), nullptr);
        bar_->listener = &log_;
    }
    void TearDown() override { guard_.reset(); }

    void press(int x) { sendMouse(bar_->hwnd, WM_LBUTTONDOWN, x, 5); }
    void move(int x) { sendMouse(bar_->hwnd, WM_MOUSEMOVE, x, 5); }
    void release(int x) { sendMouse(bar_->hwnd, WM_LBUTTONUP, x, 5); }

    TrackLog log_;
    test::HostWindow* host_ = nullptr;
    std::unique_ptr<test::WindowGuard> guard_;
    ImageTrackBar* bar_ = nullptr;
};

TEST_F(ImageTrackBarTest, AClickAwayFromTheThumbPutsItsLeftEdgeUnderThePointer) {
    press(50);
    EXPECT_EQ(bar_->value(), 50);
    EXPECT_EQ(bar_->thumbPos(), 50);
    EXPECT_EQ(pixelAt(bar_->hwnd, 55, 10), kThumb);
    EXPECT_EQ(pixelAt(bar_->hwnd, 45, 10), kTrack);
    EXPECT_EQ(pixelAt(bar_->hwnd, 5, 10), kTrack);
    release(50);
    EXPECT_EQ(bar_->value(), 50);

    bar_->setRange(1, 50);
    bar_->setValue(1, false);
    press(50);
    release(50);
    EXPECT_EQ(bar_->value(), 25) << "1 + 49 x 50 / 100, truncated";
}

TEST_F(ImageTrackBarTest, PressingOnTheThumbLeavesItWhereItIs) {
    bar_->setValue(50, false);
    press(58);
    EXPECT_EQ(bar_->value(), 50);
    EXPECT_EQ(bar_->thumbPos(), 50);
    release(58);
    EXPECT_EQ(bar_->value(), 58) << "the release puts the thumb's edge under the pointer";
}

TEST_F(ImageTrackBarTest, DraggingFollowsThePointerAndStopsAtBothEnds) {
    press(50);
    move(-40);
    EXPECT_EQ(bar_->value(), 0);
    EXPECT_EQ(bar_->thumbPos(), 0);
    EXPECT_EQ(pixelAt(bar_->hwnd, 3, 10), kThumb);
    move(400);
    EXPECT_EQ(bar_->value(), 100);
    EXPECT_EQ(bar_->thumbPos(), 100);
    EXPECT_EQ(pixelAt(bar_->hwnd, kWidth - 3, 10), kThumb);
    move(37);
    EXPECT_EQ(bar_->value(), 37);
    release(37);
    EXPECT_EQ(bar_->value(), 37);
    EXPECT_EQ(GetCapture(), nullptr);
    // Without the button held, moves do nothing.
    move(80);
    EXPECT_EQ(bar_->value(), 37);
}

TEST_F(ImageTrackBarTest, ADragIsBracketedAndReportsTheValueFromItsTimerNotFromEveryMove) {
    press(20);
    ASSERT_EQ(log_.events.size(), 2u);
    EXPECT_EQ(log_.events[0].kind, TrackLog::kBegin);
    EXPECT_EQ(log_.events[1].kind, TrackLog::kChanged);
    EXPECT_EQ(log_.events[1].value, 20);
    move(40);
    move(60);
    move(80);
    EXPECT_EQ(log_.events.size(), 2u) << "moves alone tell nobody";
    EXPECT_EQ(bar_->value(), 80);
    ASSERT_TRUE(pumpUntil([&] { return log_.events.size() >= 3; }, 1000));
    EXPECT_EQ(log_.events.back().kind, TrackLog::kChanged);
    EXPECT_EQ(log_.events.back().value, 80);
    pumpFor(400);
    const int timerChanges = log_.count(TrackLog::kChanged) - 1;
    EXPECT_GE(timerChanges, 3);
    EXPECT_LE(timerChanges, 6);

    release(90);
    EXPECT_EQ(log_.events.back().kind, TrackLog::kEnd);
    EXPECT_EQ(log_.events.back().value, 90);
    const TrackLog::Event beforeEnd = log_.events[log_.events.size() - 2];
    EXPECT_EQ(beforeEnd.kind, TrackLog::kChanged);
    EXPECT_EQ(beforeEnd.value, 90);
    EXPECT_EQ(log_.count(TrackLog::kBegin), 1);
    EXPECT_EQ(log_.count(TrackLog::kEnd), 1);
    for (std::size_t i = 1; i + 1 < log_.events.size(); ++i)
        EXPECT_EQ(log_.events[i].kind, TrackLog::kChanged) << i;

    const std::size_t events = log_.events.size();
    pumpFor(250);
    EXPECT_EQ(log_.events.size(), events) << "released, the timer is gone";
}

TEST_F(ImageTrackBarTest, ADragCutOffByAnotherWindowTakingTheMouseStillEnds) {
    press(30);
    SetCapture(host_->hwnd);
    ReleaseCapture();
    EXPECT_FALSE(bar_->isTracking());
    ASSERT_FALSE(log_.events.empty());
    EXPECT_EQ(log_.events.back().kind, TrackLog::kEnd);
    EXPECT_EQ(log_.count(TrackLog::kEnd), 1);
    const std::size_t events = log_.events.size();
    pumpFor(250);
    EXPECT_EQ(log_.events.size(), events);
}

TEST_F(ImageTrackBarTest, AnEmptyRangeHoldsTheThumbAtTheStart) {
    bar_->setRange(0, 0);
    press(60);
    EXPECT_EQ(bar_->value(), 0);
    EXPECT_EQ(bar_->thumbPos(), 0);
    release(60);
    EXPECT_EQ(bar_->value(), 0);

    // A maximum below the minimum collapses onto the minimum, pulling the value along quietly.
    log_.events.clear();
    bar_->setRange(5, 2);
    EXPECT_EQ(bar_->minimum(), 5);
    EXPECT_EQ(bar_->maximum(), 5);
    EXPECT_EQ(bar_->value(), 5);
    EXPECT_EQ(bar_->valueToPixel(5), 0);
    EXPECT_EQ(bar_->valueToPixel(500), 0);
    EXPECT_TRUE(log_.events.empty());
}

TEST_F(ImageTrackBarTest, SettingTheValueClampsItAndNotifiesOnlyOnRequestAndChange) {
    bar_->setValue(150, false);
    EXPECT_EQ(bar_->value(), 100);
    EXPECT_EQ(bar_->thumbPos(), 100);
    EXPECT_TRUE(log_.events.empty());
    bar_->setValue(30, true);
    bar_->setValue(30, true);
    ASSERT_EQ(log_.events.size(), 1u);
    EXPECT_EQ(log_.events[0].value, 30);
    bar_->setValue(-5, true);
    EXPECT_EQ(bar_->value(), 0);
    EXPECT_EQ(log_.events.size(), 2u);

    // A new range moves the thumb of an unchanged value.
    bar_->setValue(50, false);
    bar_->setRange(0, 200);
    EXPECT_EQ(bar_->value(), 50);
    EXPECT_EQ(bar_->thumbPos(), 25);
    EXPECT_EQ(pixelAt(bar_->hwnd, 30, 10), kThumb);
}

TEST(ImageTrackBarBareTest, WithoutPicturesTheSliderShowsTheButtonFaceAndStaysPut) {
    auto* host = new test::HostWindow(300, 100);
    test::WindowGuard guard(host->hwnd);
    auto* bar = new ImageTrackBar(host->hwnd, 10, 10, kWidth, kHeight);
    bar->setImages(9998, 9999, 0);  // not among the resources
    TrackLog log;
    bar->listener = &log;
    RedrawWindow(bar->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(pixelAt(bar->hwnd, 50, 10), test::buttonFace());
    sendMouse(bar->hwnd, WM_LBUTTONDOWN, 60, 5);
    sendMouse(bar->hwnd, WM_LBUTTONUP, 60, 5);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->valueToPixel(80), 0);
    EXPECT_EQ(log.count(TrackLog::kEnd), 1) << "the drag is still reported";
}

class PlayTrackBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new test::HostWindow(800, 80);
        guard_ = std::make_unique<test::WindowGuard>(host_->hwnd);
        bar_ = new PlayTrackBar(host_->hwnd);
        bar_->threeSlice = true;
        bar_->setPictures(solidPicture(kThumbWidth, PlayTrackBar::kHeight, kThumb),
                          solidPicture(40, PlayTrackBar::kHeight, kTrack),
                          solidPicture(40, PlayTrackBar::kHeight, kFill));
        // Wider than the thumb, so a marker under it still shows on both sides.
        bar_->setMarkerPicture(solidPicture(kMarkerWidth, 8, kMarker));
    }
    void TearDown() override { guard_.reset(); }

    static constexpr int kMarkerWidth = 20;

    // A pixel `across` into the marker drawn for `value`; over 0-99 the thumb travels 516 pixels.
    COLORREF markerPixel(int value, int across = kMarkerWidth / 2) const {
        const int x = value * 516 / 99 + kThumbWidth / 2 + 2 - kMarkerWidth / 2;
        return pixelAt(bar_->hwnd, x + across, PlayTrackBar::kMarkerTop + 4);
    }

    test::HostWindow* host_ = nullptr;
    std::unique_ptr<test::WindowGuard> guard_;
    PlayTrackBar* bar_ = nullptr;
};

TEST_F(PlayTrackBarTest, StandsInItsPlaceAndDrawsTheFilledAndEmptyTrackAroundTheThumb) {
    RECT window;
    GetWindowRect(bar_->hwnd, &window);
    POINT origin = {window.left, window.top};
    ScreenToClient(host_->hwnd, &origin);
    EXPECT_EQ(origin.x, 249);
    EXPECT_EQ(origin.y, 26);
    EXPECT_EQ(window.right - window.left, 526);
    EXPECT_EQ(window.bottom - window.top, 30);

    bar_->setRange(0, 99);
    bar_->setValue(50, false);
    ASSERT_EQ(bar_->thumbPos(), 260);
    EXPECT_EQ(pixelAt(bar_->hwnd, 100, 3), kFill);
    EXPECT_EQ(pixelAt(bar_->hwnd, 2, 3), kFill);
    EXPECT_EQ(pixelAt(bar_->hwnd, 265, 3), kThumb);
    EXPECT_EQ(pixelAt(bar_->hwnd, 400, 3), kTrack);
    EXPECT_EQ(pixelAt(bar_->hwnd, 523, 3), kTrack);
}

TEST_F(PlayTrackBarTest, MarkersSitAtTheirValuesAndNegativeOnesAreLeftOut) {
    bar_->setRange(0, 99);
    bar_->setValue(50, false);  // the thumb out of the way
    bar_->setMarkers({-3, 0, 30, 99});
    EXPECT_EQ(markerPixel(0), kMarker);
    EXPECT_EQ(markerPixel(30), kMarker);
    EXPECT_EQ(markerPixel(99), kMarker);
    EXPECT_NE(markerPixel(60), kMarker);
    // Only the marker's rows.
    EXPECT_NE(pixelAt(bar_->hwnd, 30 * 516 / 99 + 5, PlayTrackBar::kMarkerTop - 2), kMarker);

    bar_->setMarkers({60});
    EXPECT_EQ(markerPixel(60), kMarker);
    EXPECT_NE(markerPixel(30), kMarker) << "a new list replaces the old one on screen";
}

TEST_F(PlayTrackBarTest, WithAnEmptyRangeOnlyTheMarkerAtZeroIsDrawn) {
    bar_->setRange(0, 0);
    bar_->setMarkers({0, 30});
    // Beside the thumb, which stands over the marker's middle.
    EXPECT_EQ(markerPixel(0, kMarkerWidth - 3), kMarker);
    EXPECT_NE(markerPixel(30), kMarker);
}

}  // namespace
}  // namespace tavrin
