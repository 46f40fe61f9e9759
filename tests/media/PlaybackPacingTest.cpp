#include <gtest/gtest.h>

#include <limits>

#include "media/PlaybackPacing.h"

namespace tavrin {
namespace {

TEST(PlaybackPacingTest, FrameUnderAClockPositionTruncatesAndStaysInRange) {
    // 1010 ms is 28.28 frames: frame 28, and the picture asked for next is 29.
    EXPECT_EQ(frameAtMs(1010, kFrameDurationMs), 28);
    EXPECT_EQ(frameAtMs(35.7, kFrameDurationMs), 0);
    EXPECT_EQ(frameAtMs(1000, kFrameDurationMs), 28);
    EXPECT_EQ(msAtFrame(28, kFrameDurationMs), 1000);
    EXPECT_EQ(msAtFrame(29, kFrameDurationMs), 1035);
    // A wall clock days past the start must not wrap round to a negative frame.
    EXPECT_EQ(frameAtMs(1e12, kFrameDurationMs), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(msAtFrame(std::numeric_limits<std::int32_t>::max(), kFrameDurationMs),
              std::numeric_limits<std::int32_t>::max());
}

TEST(PlaybackPacingTest, TicksAimAtTheMiddleOfTheNextFrame) {
    // At the start of frame 28 (1000 ms) the middle of frame 29 is 1.5 frames away.
    EXPECT_EQ(msToNextMidFrame(1000, kFrameDurationMs), 54);
    // Late in frame 28: only half a frame and a little.
    EXPECT_EQ(msToNextMidFrame(1035, kFrameDurationMs), 19);
    // Whatever the position, the tick lands inside the next frame, never on its edges.
    for (double ms = 0; ms < 2000; ms += 0.7) {
        const double tick = ms + msToNextMidFrame(ms, kFrameDurationMs);
        const int now = frameAtMs(ms, kFrameDurationMs);
        EXPECT_EQ(frameAtMs(tick, kFrameDurationMs), now + 1) << ms;
        EXPECT_GT(tick - (now + 1) * kFrameDurationMs, kFrameDurationMs * 0.45) << ms;
    }
}

TEST(PlaybackPacingTest, ClampKeepsFramesInsideTheRecording) {
    EXPECT_EQ(clampFrame(-5, 600), 0);
    EXPECT_EQ(clampFrame(599, 600), 599);
    EXPECT_EQ(clampFrame(600, 600), 599);
    EXPECT_EQ(clampFrame(std::numeric_limits<std::int32_t>::max(), 600), 599);
    EXPECT_EQ(clampFrame(7, 0), 0);
    EXPECT_EQ(clampFrame(-1, 0), 0);
}

TEST(PlaybackPacingTest, PictureBoxIsTheLargestCentredFourByThree) {
    const PictureBox wide = fitPictureBox(1000, 480);
    EXPECT_EQ(wide.x, 180);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 640);
    EXPECT_EQ(wide.height, 480);

    const PictureBox tall = fitPictureBox(640, 600);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 60);
    EXPECT_EQ(tall.width, 640);
    EXPECT_EQ(tall.height, 480);

    // Odd sizes: the box truncates and the margins split with truncation.
    const PictureBox odd = fitPictureBox(641, 481);
    EXPECT_EQ(odd.width, 641);
    EXPECT_EQ(odd.height, 480);
    EXPECT_EQ(odd.y, 0);
    const PictureBox minimised = fitPictureBox(0, 0);
    EXPECT_EQ(minimised.width, 0);
    EXPECT_EQ(minimised.height, 0);
}

}  // namespace
}  // namespace tavrin
