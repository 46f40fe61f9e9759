#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "media/WaveFile.h"
#include "media/WavePlayback.h"
#include "media/WaveResampling.h"

namespace tavrin {
namespace {

constexpr RateConversion kRecordingRates{13183, 13200};
constexpr RateConversion kSameRates{13183, 13183};

TEST(WaveResamplingTest, TheOutputRateHasAWholeNumberOfSamplesPerTenMilliseconds) {
    const struct {
        std::uint32_t track;
        std::uint32_t output;
    } rows[] = {{13183, 13200}, {13200, 13200}, {13101, 13200}, {11025, 11100},
                {44100, 44100}, {1, 100},       {0, 0}};
    for (const auto& row : rows) EXPECT_EQ(outputRateFor(row.track), row.output) << row.track;
}

TEST(WaveResamplingTest, SampleCountsConvertBothWays) {
    const struct {
        RateConversion rates;
        std::int64_t track;   // track samples
        std::int64_t before;  // output samples before them, rounded up
    } rows[] = {
        {kRecordingRates, 0, 0},         {kRecordingRates, -5, 0},
        {kRecordingRates, 1, 2},        // 1.0013
        {kRecordingRates, 776, 778},    // 776.999: the first sample of a period of 13,200
        {kRecordingRates, 2636, 2640},  // a buffer of a fifth of a second: 2639.4
        {kRecordingRates, 13183, 13200}, {kRecordingRates, 13183LL * 600, 13200LL * 600},
        {kSameRates, 2636, 2636},        {kSameRates, 13183LL * 600, 13183LL * 600},
    };
    for (const auto& row : rows)
        EXPECT_EQ(outputSamplesBefore(row.rates, row.track), row.before) << row.track;

    const struct {
        RateConversion rates;
        std::int64_t output;  // samples the device counts
        std::int64_t track;   // track samples they went through, rounded down
    } played[] = {
        {kRecordingRates, 0, 0},         {kRecordingRates, -1, 0},
        {kRecordingRates, 132, 131},  // one period of 10 ms: 131.83
        {kRecordingRates, 13200, 13183}, {kRecordingRates, 13200LL * 600, 13183LL * 600},
        {kSameRates, 131, 131},
    };
    for (const auto& row : played)
        EXPECT_EQ(trackSamplesPlayed(row.rates, row.output), row.track) << row.output;

    // Whatever a buffer ends on, the device's count at its end leads back to that very sample.
    for (std::int64_t n = 0; n < 20000; n += 7)
        ASSERT_EQ(trackSamplesPlayed(kRecordingRates, outputSamplesBefore(kRecordingRates, n)), n)
            << n;
}

// A device that counts whole periods of 132 samples, as Wine's does, has counted this many
// after `seconds` of sound. At the track's own rate it would report 0.13 % too much.
TEST(WaveResamplingTest, APeriodCountingDeviceKeepsTheTracksTimeAtTheOutputRate) {
    WaveFormat format;
    format.formatTag = 1;
    format.channels = 1;
    format.samplesPerSecond = 13183;
    format.averageBytesPerSecond = 13183;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    const std::int32_t dataLength = 13183 * 700;
    for (std::int64_t seconds : {1, 60, 190, 600}) {
        const std::int64_t periods = seconds * 100;
        const std::int64_t counted = periods * 132;
        const std::int64_t ms =
            bytesToMs(format, dataLength, trackSamplesPlayed(kRecordingRates, counted));
        EXPECT_NEAR(ms, seconds * 1000, 1) << seconds << " s";
        // What the same count meant when the output ran at the track's rate.
        const std::int64_t before = bytesToMs(format, dataLength, counted);
        EXPECT_GE(before - seconds * 1000, seconds * 1000 * 12 / 10000) << seconds << " s";
    }
}

std::vector<std::uint8_t> resampled(const std::vector<std::uint8_t>& track, std::int64_t origin,
                                    const RateConversion& rates, std::int64_t first,
                                    std::int64_t last) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(last - first));
    resampleTrack(track.data(), static_cast<std::int32_t>(track.size()), origin, rates, first, last,
                  out.data());
    return out;
}

std::vector<std::uint8_t> noise(std::size_t count) {
    std::vector<std::uint8_t> samples(count);
    std::uint32_t state = 12345;
    for (auto& sample : samples) {
        state = state * 1103515245u + 12345u;
        sample = static_cast<std::uint8_t>(state >> 24);
    }
    return samples;
}

TEST(WaveResamplingTest, EqualRatesCopyTheTrack) {
    const std::vector<std::uint8_t> track = noise(5000);
    const std::vector<std::uint8_t> out = resampled(track, 1000, kSameRates, 10, 2646);
    EXPECT_EQ(out, std::vector<std::uint8_t>(track.begin() + 1010, track.begin() + 3646));
}

TEST(WaveResamplingTest, OutputSamplesLieOnTheTrackAtTheirOwnTimes) {
    // A ramp is followed exactly by the cubic curve, so every output sample shows where on the
    // track it was taken: track position origin + j * 13183 / 13200.
    std::vector<std::uint8_t> ramp(256);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i);
    const std::vector<std::uint8_t> out = resampled(ramp, 10, kRecordingRates, 0, 240);
    const struct {
        std::int64_t j;
        int value;
    } rows[] = {{0, 10}, {1, 11}, {100, 110}, {199, 209}, {230, 240}};
    // 230 * 13183 / 13200 = 229.70: the output has fallen a third of a sample behind.
    for (const auto& row : rows)
        EXPECT_EQ(out[static_cast<std::size_t>(row.j)], row.value) << "output sample " << row.j;
    for (std::size_t j = 0; j < out.size(); ++j) {
        const double at = 10 + static_cast<double>(j) * 13183 / 13200;
        EXPECT_LE(std::abs(out[j] - at), 0.5 + 1e-9) << j;
    }
}

TEST(WaveResamplingTest, BuffersFilledPieceByPieceJoinSeamlessly) {
    const std::vector<std::uint8_t> track = noise(20000);
    const std::int64_t origin = 6591;  // a start in the middle of a chunk
    const std::vector<std::uint8_t> whole = resampled(track, origin, kRecordingRates, 0, 9000);
    std::vector<std::uint8_t> pieces;
    const std::int64_t bounds[] = {0, 1319, 3959, 6599, 9000};
    for (std::size_t i = 0; i + 1 < std::size(bounds); ++i) {
        const std::vector<std::uint8_t> piece =
            resampled(track, origin, kRecordingRates, bounds[i], bounds[i + 1]);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    ASSERT_EQ(pieces.size(), whole.size());
    EXPECT_EQ(pieces, whole);
}

TEST(WaveResamplingTest, EdgesAndStepsStayWithinTheSampleRange) {
    // A hard step overshoots a cubic curve: the output is held within 0..255. Beyond the end of
    // the track the end sample continues.
    std::vector<std::uint8_t> step(64, 0);
    for (std::size_t i = 32; i < step.size(); ++i) step[i] = 255;
    const std::vector<std::uint8_t> out = resampled(step, 0, kRecordingRates, 0, 80);
    EXPECT_EQ(out.front(), 0);
    EXPECT_EQ(out[70], 255);
    EXPECT_EQ(out[79], 255);
    const std::vector<std::uint8_t> silence(10, 128);
    for (std::uint8_t sample : resampled(silence, 0, kRecordingRates, 0, 30))
        EXPECT_EQ(sample, 128);
    // Nothing to read, nothing written.
    std::uint8_t untouched = 7;
    resampleTrack(nullptr, 0, 0, kRecordingRates, 0, 1, &untouched);
    EXPECT_EQ(untouched, 7);
}

}  // namespace
}  // namespace tavrin
