#include <gtest/gtest.h>

#include <cmath>

#include "tools/cardgen/DrivePlan.h"
#include "tools/cardgen/UnitCalendar.h"

namespace tavrin::cardgen {
namespace {

TEST(UnitCalendarTest, AddsSecondsAcrossTheCalendar) {
    struct Case {
        UnitTime from;
        std::int64_t seconds;
        const char* expected;
    };
    const Case cases[] = {
        {{2012, 5, 1, 8, 0, 0}, 0, "2012-05-01 08:00:00"},
        {{2012, 5, 1, 23, 59, 59}, 1, "2012-05-02 00:00:00"},
        {{2012, 2, 28, 12, 0, 0}, 86400, "2012-02-29 12:00:00"},
        {{2013, 2, 28, 12, 0, 0}, 86400, "2013-03-01 12:00:00"},
        {{2012, 12, 31, 23, 0, 0}, 3600, "2013-01-01 00:00:00"},
        {{2012, 3, 1, 0, 0, 5}, -6, "2012-02-29 23:59:59"},
        {{2012, 5, 1, 8, 0, 0}, 2 * 86400 + 3599, "2012-05-03 08:59:59"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatUnitTime(addSeconds(c.from, c.seconds)), c.expected);
}

double magnitude(const PlannedFrame& f) {
    return std::sqrt(f.accel[0] * f.accel[0] + f.accel[1] * f.accel[1] + f.accel[2] * f.accel[2]) /
           4096.0;
}

TEST(DrivePlanTest, TimelineFollowsTheUnitsPace) {
    struct Case {
        std::uint32_t firstTick;
        int frames, events, drops;
    };
    const Case cases[] = {{5000, 168, 1, 2}, {0xFFFFF000u, 300, 2, 1}, {100, 3000, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        DriveInput input;
        input.start = {2012, 5, 1, 23, 59, 58};
        input.firstTick = c.firstTick;
        input.recordingId = 77;
        input.frames = c.frames;
        input.events = c.events;
        input.drops = c.drops;
        Random random(9);
        const DrivePlan plan = planDrive(input, random);

        ASSERT_EQ(plan.frames.size(), static_cast<std::size_t>(c.frames));
        EXPECT_EQ(plan.header.recordingId, 77u);
        EXPECT_LT(c.firstTick - plan.header.startTick, 31u);
        EXPECT_GE(c.firstTick - plan.header.startTick, 5u);
        EXPECT_EQ(static_cast<int>(plan.events.size()), c.events);
        int dropped = 0;
        for (int i = 0; i < c.frames; ++i) {
            const PlannedFrame& f = plan.frames[i];
            EXPECT_EQ(f.index, i);
            // Ticks: 1000/28 ms apart on average, each within 3 ms of the grid (wrapping).
            const double grid = c.firstTick + i * kFrameMs;
            const double off =
                static_cast<std::int32_t>(f.tick - static_cast<std::uint32_t>(std::llround(grid)));
            EXPECT_LE(std::fabs(off), 3.0);
            EXPECT_EQ(formatUnitTime(f.time), formatUnitTime(addSeconds(input.start, i / 28)));
            EXPECT_GE(f.speed, 0);
            EXPECT_LE(f.speed, 80);
            EXPECT_GE(f.quality, 5);
            EXPECT_LE(f.quality, 95);
            dropped += f.dropped;
            bool inEvent = false;
            for (int e : plan.events) inEvent = inEvent || (i >= e && i < e + kEventFrames);
            EXPECT_EQ(f.marked, inEvent) << i;
            if (!inEvent && !(i >= 1 && plan.frames[i - 1].marked)) {
                EXPECT_LT(magnitude(f), 0.9) << i;
            }
            if (inEvent) {
                EXPECT_FALSE(f.dropped);
            }
        }
        EXPECT_EQ(dropped, c.drops);
        for (int e : plan.events) {
            EXPECT_GE(magnitude(plan.frames[e + 1]), 1.4);
            EXPECT_LE(magnitude(plan.frames[e + 1]), 2.1);
        }
    }
}

TEST(DrivePlanTest, SameSeedSamePlan) {
    DriveInput input;
    Random a(5), b(5), c(6);
    const DrivePlan first = planDrive(input, a);
    const DrivePlan again = planDrive(input, b);
    const DrivePlan other = planDrive(input, c);
    int same = 0, differs = 0;
    for (std::size_t i = 0; i < first.frames.size(); ++i) {
        same += first.frames[i].tick == again.frames[i].tick &&
                first.frames[i].accel[2] == again.frames[i].accel[2];
        differs += first.frames[i].accel[2] != other.frames[i].accel[2];
    }
    EXPECT_EQ(same, static_cast<int>(first.frames.size()));
    EXPECT_GT(differs, 100);
}

}  // namespace
}  // namespace tavrin::cardgen
