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
                                {1024, 120, 24},  // a late tick: the lead is 96 from now on
                                {1034, 130, 34},
                                {61024, 60120, 60024}});
    EXPECT_EQ(correction.leadMs(), 96);
}

TEST(StartLeadCorrectionTest, TheLeadShrinksWhileTheDeviceStandsStillAndComesBackOnlyOnARestart) {
    StartLeadCorrection correction;
    correction.start(0);
    expectReadings(correction, {{1, 100, 1},
                                {200, 300, 201},
                                // Out of data for 60 ms: the server plays what it held meanwhile.
                                {260, 300, 260},
                                {270, 310, 270},
                                {400, 440, 400},
                                // Standing still past everything held: the lead is gone.
                                {700, 440, 440},
                                {800, 540, 540}});
    EXPECT_EQ(correction.leadMs(), 0);
    correction.start(900);
    expectReadings(correction, {{901, 100, 1}});
    // Across the wrap of the millisecond clock.
    correction.start(0xFFFFFFF0u);
    expectReadings(correction, {{0xFFFFFFF2u, 100, 2}, {0x00000010u, 132, 34}});
}

}  // namespace
}  // namespace tavrin
