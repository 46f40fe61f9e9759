#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bench/HeardFigures.h"
#include "bench/Statistics.h"

namespace tavrin::bench {
namespace {

constexpr double kRate = 13183;
constexpr double kFrameMs = 1000.0 / 28;

TEST(HeardFiguresTest, StatisticsOfOffsets) {
    EXPECT_EQ(median({}), 0);
    EXPECT_EQ(median({3, 1, 2}), 2);
    EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(nearestRankPercentile({}, 95), 0);
    EXPECT_EQ(nearestRankPercentile({5}, 95), 5);
    std::vector<double> hundred;
    for (int i = 1; i <= 100; ++i) hundred.push_back(i);
    EXPECT_EQ(nearestRankPercentile(hundred, 95), 95);
    EXPECT_EQ(nearestRankPercentile(hundred, 100), 100);
    EXPECT_DOUBLE_EQ(leastSquaresSlope({0, 1, 2, 3}, {1, 3, 5, 7}), 2);
    EXPECT_EQ(leastSquaresSlope({1, 1}, {0, 5}), 0);
    EXPECT_EQ(leastSquaresSlope({1}, {0}), 0);
}

// Arrivals of a recorder that writes pieces of `pieceMs` every `pieceMs`: sample n is handed on
// at start + n * msPerSample, and a piece is seen when its last sample has been handed on, plus
// a delay that varies from piece to piece (but is small now and then, as it is in practice).
std::vector<MonitorArrival> arrivalsOf(double startMs, double msPerSample, double pieceMs,
                                       double seconds) {
    std::vector<MonitorArrival> arrivals = {{startMs - 1500, 0}, {startMs - 800, 0}};
    const auto pieceSamples = static_cast<std::int64_t>(pieceMs / msPerSample);
    std::int64_t samples = 0;
    for (int piece = 1; samples * msPerSample < seconds * 1000; ++piece) {
        samples += pieceSamples;
        const double delay = piece % 10 == 0 ? 0.2 : 1.0 + (piece * 37 % 23) * 0.9;
        arrivals.push_back({startMs + static_cast<double>(samples) * msPerSample + delay, samples});
    }
    return arrivals;
}

TEST(HeardFiguresTest, TheRecordingsSampleClockComesFromItsEarliestArrivals) {
    const struct {
        double startMs;
        double ppm;  // how much faster the server's clock runs than the counter
        double pieceMs;
    } rows[] = {{1000, 0, 10}, {52000.5, 235, 10}, {3000, -150, 50}, {3000, 0, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.ppm << " ppm, pieces of " << row.pieceMs << " ms");
        const double msPerSample = 1000.0 / kRate / (1 + row.ppm * 1e-6);
        const SampleClock clock =
            fitSampleClock(arrivalsOf(row.startMs, msPerSample, row.pieceMs, 180), kRate);
        ASSERT_TRUE(clock.valid);
        // The earliest arrivals are 0.2 ms late; the line lies within a fraction of a ms.
        EXPECT_NEAR(clock.startMs, row.startMs, 0.6);
        EXPECT_NEAR(clock.msPerSample / msPerSample - 1, 0, 2e-6);
        EXPECT_NEAR(clock.msOf(kRate * 120), row.startMs + kRate * 120 * msPerSample, 0.6);
        EXPECT_LT(clock.worstResidualMs, 1.0);
    }
    EXPECT_FALSE(fitSampleClock({}, kRate).valid);
    EXPECT_FALSE(fitSampleClock({{100, 0}, {200, 0}}, kRate).valid);
    // One stretch only: the nominal rate stands.
    const SampleClock short_ = fitSampleClock({{100, 0}, {120, 132}, {130, 264}}, kRate);
    ASSERT_TRUE(short_.valid);
    EXPECT_DOUBLE_EQ(short_.msPerSample, 1000.0 / kRate);
}

// Matches every quarter second of a recording whose sample 0 was handed on at 1000 ms and which
// holds the track from `heardStartMs` on, with `jumpMs` more of the track skipped after 60 s.
std::vector<TrackMatch> matchesOf(double heardStartMs, double jumpMs, double seconds) {
    std::vector<TrackMatch> matches;
    for (double m = 2000; m < seconds * kRate; m += kRate / 4) {
        double track = heardStartMs * kRate / 1000 + m;
        if (m > 60 * kRate) track += jumpMs * kRate / 1000;
        matches.push_back({m, track, 0.9});
    }
    return matches;
}

SampleClock exactClock() {
    SampleClock clock;
    clock.valid = true;
    clock.startMs = 1000;
    clock.msPerSample = 1000 / kRate;
    return clock;
}

TEST(HeardFiguresTest, TheHeardPositionFollowsTheNearestMatch) {
    const HeardTimeline heard(matchesOf(500, 40, 120), exactClock(), kRate);
    const struct {
        double atMs;
        double heardMs;  // < 0: nothing heard near
    } rows[] = {
        {1000 + 10000, 10500},   {1000 + 10010, 10510},
        {1000 + 59000, 59500},   {1000 + 61000, 61540},
        {1000 + 119900, 120440},  // a little beyond the last match, within reach
        {1000 + 125000, -1},     {500, -1},
    };
    for (const auto& row : rows) {
        const std::optional<double> heardMs = heard.heardMsAt(row.atMs);
        if (row.heardMs < 0) {
            EXPECT_FALSE(heardMs.has_value()) << row.atMs;
        } else {
            ASSERT_TRUE(heardMs.has_value()) << row.atMs;
            EXPECT_NEAR(*heardMs, row.heardMs, 0.01) << row.atMs;
        }
    }
    EXPECT_FALSE(HeardTimeline({}, exactClock(), kRate).heardMsAt(5000).has_value());
    EXPECT_FALSE(HeardTimeline(matchesOf(0, 0, 10), SampleClock{}, kRate).heardMsAt(5000));
}

TEST(HeardFiguresTest, SkipsAndPausesOfTheHeardSoundAreCounted) {
    // A quarter second between matches; the track's course moves by these many samples more.
    const double moves[] = {0, 1.5, -1, 300, 0, -250, 0.5, 13183, -2.5};
    std::vector<TrackMatch> matches = {{0, 1000, 1}};
    for (double move : moves)
        matches.push_back({matches.back().recordedSample + kRate / 4,
                           matches.back().trackSample + kRate / 4 + move, 1});
    const HeardBreaks breaks = heardBreaks(matches, kRate);
    EXPECT_EQ(breaks.skips, 2);
    EXPECT_NEAR(breaks.skippedMs, (300 + 13183) * 1000 / kRate, 1e-6);
    EXPECT_EQ(breaks.pauses, 2);
    EXPECT_NEAR(breaks.pausedMs, 252.5 * 1000 / kRate, 1e-6);
    // Each break where it was heard: after the 4th, 6th, 8th and 9th quarter second.
    ASSERT_EQ(breaks.each.size(), 4u);
    const double at[] = {4, 6, 8, 9};
    const double moved[] = {300, -250, 13183, -2.5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(breaks.each[i].recordedSample, at[i] * kRate / 4, 1e-6) << i;
        EXPECT_NEAR(breaks.each[i].movedSamples, moved[i], 1e-6) << i;
    }
    EXPECT_EQ(heardBreaks({}, kRate).skips, 0);
}

TEST(HeardFiguresTest, FullScaleBurstsAreClicksNotPeaks) {
    const struct {
        std::vector<std::int16_t> recording;
        int count;
        std::int64_t samples;
    } rows[] = {
        {{}, 0, 0},
        {{0, 100, -20000, 31999, -31999, 0}, 0, 0},                // loud, never full scale
        {{0, 32767, 0, -32768, 0}, 0, 0},                          // lone peaks
        {{0, -32768, -32768, -32768, 0}, 1, 3},                    // a click
        {{-32768, -32768, -32768, 5, 32767, 32000, 32100}, 2, 6},  // at both ends
        {{0, 32767, -32768, 32767, 0, -32768, -32768}, 1, 3},      // a run of two is no burst
    };
    for (const auto& row : rows) {
        const FullScaleBursts bursts = fullScaleBursts(row.recording, 3);
        EXPECT_EQ(bursts.count, row.count) << row.recording.size();
        EXPECT_EQ(bursts.samples, row.samples) << row.recording.size();
    }
}

// Grabs every 50 ms of a picture that runs `leadMs` ahead of the heard sound, gaining
// `driftPerMinute` over the run; the frame shown is the one whose time has come.
std::vector<ScreenSighting> sightingsOf(double leadMs, double driftPerMinute, double seconds) {
    std::vector<ScreenSighting> sightings;
    for (double t = 0; t < seconds * 1000; t += 50) {
        const double heardMs = t;  // the heard sound started with the grabs
        const double shownMs = heardMs + leadMs + driftPerMinute * t / 60000;
        sightings.push_back(
            {1000 + t, 0.4, static_cast<std::int32_t>(std::floor(shownMs / kFrameMs))});
    }
    return sightings;
}

TEST(HeardFiguresTest, OffsetAndDriftOfThePictureAgainstTheHeardSound) {
    const HeardTimeline heard(matchesOf(0, 0, 700), exactClock(), kRate);
    const struct {
        double leadMs;
        double driftPerMinute;
        double seconds;
    } rows[] = {{18, 0, 190}, {60, 0, 190}, {0, 78, 190}, {-30, 4, 600}, {20, -10, 190}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.leadMs << " ms ahead, " << row.driftPerMinute
                                        << " ms/min over " << row.seconds << " s");
        const std::vector<ScreenSighting> sightings =
            sightingsOf(row.leadMs, row.driftPerMinute, row.seconds);
        const HeardFigures figures =
            heardFigures(sightings, heard, kFrameMs, 1000, 1000 + row.seconds * 1000);
        // A frame is shown for its whole length: on average half a frame behind its time.
        const double middle = row.leadMs + row.driftPerMinute * row.seconds / 120 - kFrameMs / 2;
        EXPECT_NEAR(figures.offsetMedianMs, middle, 2.0);
        EXPECT_NEAR(figures.driftMsPerMinute, row.driftPerMinute, 0.3);
        EXPECT_GE(figures.offsetP95AbsMs, std::fabs(middle));
        EXPECT_EQ(figures.unheard, 0);
        EXPECT_EQ(static_cast<std::size_t>(figures.offsets + figures.unreadable), sightings.size());
    }
}

TEST(HeardFiguresTest, OnlyReadableSightingsWithHeardSoundWithinThePlayCount) {
    const HeardTimeline heard(matchesOf(0, 0, 30), exactClock(), kRate);
    // The heard sound is at (counter - 1000) ms.
    std::vector<ScreenSighting> sightings = {
        {500, 1, 1},      // before playing
        {5000, 1, -1},    // unreadable
        {11000, 1, 280},  // frame 280 is at 10,000 ms: on time
        {15000, 8, 300},  // a grab of 8 ms: when did it see that?
        {21000, 1, 561},  // 20,035.7 ms: 35.7 ms ahead
        {40000, 1, 10},   // nothing heard by then
        {50000, 1, 10},   // after playing
    };
    const HeardFigures figures = heardFigures(sightings, heard, kFrameMs, 1000, 45000);
    EXPECT_EQ(figures.offsets, 2);
    EXPECT_EQ(figures.unreadable, 1);
    EXPECT_EQ(figures.unheard, 1);
    EXPECT_EQ(figures.uncertain, 1);
    EXPECT_NEAR(figures.offsetMedianMs, 35.714 / 2, 0.01);
    EXPECT_NEAR(figures.offsetP95AbsMs, 35.714, 0.01);
}

}  // namespace
}  // namespace tavrin::bench
