#include <gtest/gtest.h>

#include "media/PositionSmoother.h"

namespace tavrin {
namespace {

TEST(PositionSmootherTest, RunsOnBetweenCoarseStepsButNeverBeyondOneStep) {
    PositionSmoother smoother;
    EXPECT_EQ(smoother.smooth(100, 5000), 100);
    EXPECT_EQ(smoother.smooth(100, 5004), 104);
    EXPECT_EQ(smoother.smooth(100, 5009), 109);
    // The device stalls (an underrun): the clock stops one step ahead.
    EXPECT_EQ(smoother.smooth(100, 5030), 110);
    EXPECT_EQ(smoother.smooth(100, 5100), 110);
    // The next step continues from there without going back.
    EXPECT_EQ(smoother.smooth(110, 5101), 110);
    EXPECT_EQ(smoother.smooth(110, 5105), 114);
    EXPECT_EQ(smoother.smooth(120, 5110), 120);
}

TEST(PositionSmootherTest, AFineGrainedDeviceIsReportedAsItIs) {
    PositionSmoother smoother;
    for (std::int32_t ms = 0; ms < 200; ms += 1)
        EXPECT_EQ(smoother.smooth(ms, 1000u + static_cast<std::uint32_t>(ms)), ms);
}

TEST(PositionSmootherTest, JumpsAndResetsTakeTheDeviceReading) {
    PositionSmoother smoother;
    smoother.smooth(5000, 0);
    EXPECT_EQ(smoother.smooth(5000, 8), 5008);
    // A seek back: the device's reading wins at once.
    EXPECT_EQ(smoother.smooth(1000, 9), 1000);
    smoother.smooth(1000, 15);
    smoother.reset();
    EXPECT_EQ(smoother.smooth(1000, 20), 1000);
    // The clock wrapping round does not make the lead huge.
    PositionSmoother wrapping;
    wrapping.smooth(300, 0xFFFFFFF0u);
    EXPECT_EQ(wrapping.smooth(300, 0x00000004u), 310);
}

}  // namespace
}  // namespace tavrin
