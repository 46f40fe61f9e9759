#include <gtest/gtest.h>

#include <cstdint>

#include "media/StartLeadCorrection.h"

namespace tavrin {
namespace {

struct Reading {
    std::uint32_t atMs;     // clock time of the reading
    std::int32_t playedMs;  // what the device says it played since the start
    std::int32_t reportedMs;
};

void expectReadings(StartLeadCorrection& correction, std::initializer_list<Reading> readings) {
    for (const Reading& reading : readings)
        EXPECT_EQ(correction.correct(reading.playedMs, reading.atMs), reading.reportedMs)
            << "at " << reading.atMs << " ms, " << reading.playedMs << " ms played";
}

TEST(StartLeadCorrectionTest, AnHonestDeviceIsReportedAsItIs) {
    // It starts late and then keeps time: it never leads the clock.
    StartLeadCorrection correction;
    correction.start(5000);
    expectReadings(
        correction,
        {{5000, 0, 0}, {5020, 0, 0}, {5035, 10, 10}, {5080, 55, 55}, {65080, 60055, 60055}});
    EXPECT_EQ(correction.leadMs(), 0);
    // Even one that runs a little fast against the clock later on.
    correction.start(0);
    expectReadings(correction, {{3, 0, 0}, {600003, 600063, 600063}});
}

TEST(StartLeadCorrectionTest, WhatADeviceClaimsBeforeItCanHavePlayedIsTakenOff) {
    // Wine's output: 100 ms at once, then ten more every 10 ms.
    StartLeadCorrection correction;
    correction.start(1000);
    expectReadings(correction, {{1002, 100, 2},
                                {1013, 110, 13},
                                {1024, 120, 23},  // a late tick
                                {1034, 130, 34},
                                {61024, 60120, 60024}});
    EXPECT_EQ(correction.leadMs(), 96);
}

TEST(StartLeadCorrectionTest, TheLeadIsTheMiddleOfTheFirstSecondsReadingsAndHoldsAfterIt) {
    StartLeadCorrection correction;
    correction.start(0);
    expectReadings(correction, {{1, 101, 1},
                                {35, 135, 35},
                                // The count stood still for 50 ms: one reading does not count.
                                {70, 120, 20},
                                {105, 205, 105},
                                // Nor does any after the first second.
                                {2000, 2040, 1940},
                                {2035, 2135, 2035}});
    EXPECT_EQ(correction.leadMs(), 100);
    // A new output measures anew.
    correction.start(3000);
    expectReadings(correction, {{3001, 51, 1}, {3040, 90, 40}});
    // Across the wrap of the millisecond clock.
    correction.start(0xFFFFFFF0u);
    expectReadings(correction, {{0xFFFFFFF2u, 100, 2}, {0x00000010u, 132, 34}});
}

}  // namespace
}  // namespace tavrin
