#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/TrackMatching.h"
#include "tools/cardgen/Sound.h"

namespace tavrin::bench {
namespace {

constexpr int kRate = cardgen::kSampleRate;

// Searches the short tracks here need no wider than this, and a smaller search is a quicker one.
MatchOptions shortTrackOptions() {
    MatchOptions options;
    options.wideSearch = 8 * kRate;
    return options;
}

// The generator's own sound of a drive at a steady 50 km/h: engine hum and road noise.
std::vector<std::uint8_t> generatedTrack(int seconds) {
    cardgen::SoundScript script;
    script.samples = static_cast<std::size_t>(kRate) * seconds;
    script.speedPerFrame.assign(static_cast<std::size_t>(seconds) * 28 + 1, 50.0);
    script.seed = 3;
    return cardgen::renderSound(script);
}

// What a sound server's monitor would hold: a stretch of silence, then the track's samples from
// `from` on as 16-bit values at half the level, with `skipAt` samples into it `skipped` track
// samples left out (an output that dropped data) or, when negative, that many of silence
// inserted (an output that ran dry).
std::vector<std::int16_t> monitorOf(const std::vector<std::uint8_t>& track, std::size_t silence,
                                    std::size_t from, std::size_t skipAt, long skipped,
                                    std::size_t count) {
    std::vector<std::int16_t> out(silence, 0);
    std::size_t at = from;
    for (std::size_t i = 0; i < count && at < track.size(); ++i) {
        if (i == skipAt) {
            if (skipped >= 0) {
                at += static_cast<std::size_t>(skipped);
            } else {
                out.insert(out.end(), static_cast<std::size_t>(-skipped), 0);
            }
        }
        out.push_back(static_cast<std::int16_t>((track[at++] - 128) * 128));
    }
    return out;
}

TEST(TrackMatchingTest, FindsWhereEachStretchOfTheRecordingLiesInTheTrack) {
    const std::vector<std::uint8_t> track = generatedTrack(16);
    const struct {
        const char* what;
        std::size_t silence;
        std::size_t from;
        long skipped;
    } rows[] = {
        {"plain, from the start", 6000, 0, 0},
        {"from the middle of the track", 100, 5 * kRate, 0},
        {"with 300 samples dropped", 3000, 2 * kRate, 300},
        {"with 250 samples of silence inserted", 3000, 2 * kRate, -250},
    };
    const std::size_t skipAt = 4 * kRate;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<std::int16_t> monitor =
            monitorOf(track, row.silence, row.from, skipAt, row.skipped, 8 * kRate);
        const std::vector<TrackMatch> matches =
            matchToTrack(trackSignal(track), recordedSignal(monitor), shortTrackOptions());
        ASSERT_GE(matches.size(), 25u);
        for (const TrackMatch& match : matches) {
            const double intoSound = match.recordedSample - static_cast<double>(row.silence);
            // Stretches across the skip may go either way; the rest must be exact.
            const double skip = row.skipped >= 0 ? 0 : static_cast<double>(-row.skipped);
            if (std::fabs(intoSound - static_cast<double>(skipAt)) < 2048 + skip) continue;
            double expected = static_cast<double>(row.from) + intoSound;
            if (intoSound > static_cast<double>(skipAt))
                expected += row.skipped >= 0 ? static_cast<double>(row.skipped) : -skip;
            EXPECT_NEAR(match.trackSample, expected, 0.25) << "at " << match.recordedSample;
            EXPECT_GT(match.score, 0.9);
        }
    }
}

TEST(TrackMatchingTest, PlacesAStretchToAFractionOfASample) {
    // Half-way between samples, as an output's resampling would leave it: the recording is the
    // track delayed by half a sample (the mean of neighbours).
    const std::vector<std::uint8_t> track = generatedTrack(10);
    std::vector<std::int16_t> monitor;
    for (std::size_t i = kRate; i + 1 < 4u * kRate; ++i)
        monitor.push_back(static_cast<std::int16_t>((track[i] + track[i + 1] - 256) * 64));
    const std::vector<TrackMatch> matches =
        matchToTrack(trackSignal(track), recordedSignal(monitor), shortTrackOptions());
    ASSERT_GE(matches.size(), 10u);
    for (const TrackMatch& match : matches)
        EXPECT_NEAR(match.trackSample - match.recordedSample, kRate + 0.5, 0.1);
}

TEST(TrackMatchingTest, AStretchOffItsNeighboursCourseIsLeftOut) {
    // One window of the recording holds the track from 600 samples further on, as a look-alike
    // found there would place it; its neighbours agree on the real course.
    const std::vector<std::uint8_t> track = generatedTrack(10);
    const MatchOptions options = shortTrackOptions();
    const std::size_t from = kRate;
    std::vector<std::int16_t> monitor;
    for (std::size_t i = 0; i < 6u * kRate; ++i) {
        const bool stray = i >= 10 * options.step && i < 10 * options.step + options.window;
        monitor.push_back(
            static_cast<std::int16_t>((track[from + i + (stray ? 600 : 0)] - 128) * 128));
    }
    const std::vector<TrackMatch> matches =
        matchToTrack(trackSignal(track), recordedSignal(monitor), options);
    ASSERT_EQ(matches.size(), (monitor.size() - options.window) / options.step);
    for (const TrackMatch& match : matches)
        EXPECT_NEAR(match.trackSample - match.recordedSample, static_cast<double>(from), 0.25)
            << "at " << match.recordedSample;
}

TEST(TrackMatchingTest, SilenceAndForeignSoundAreFoundNowhere) {
    const std::vector<std::uint8_t> track = generatedTrack(10);
    std::vector<std::int16_t> monitor(3 * kRate, 0);
    std::uint32_t state = 99;
    for (std::size_t i = kRate; i < monitor.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        monitor[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(state >> 16) - 32768);
    }
    EXPECT_TRUE(
        matchToTrack(trackSignal(track), recordedSignal(monitor), shortTrackOptions()).empty());
    EXPECT_TRUE(matchToTrack(trackSignal(track), recordedSignal({})).empty());
}

}  // namespace
}  // namespace tavrin::bench
