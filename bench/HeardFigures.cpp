#include "bench/HeardFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bench/Statistics.h"

namespace tavrin::bench {

SampleClock fitSampleClock(const std::vector<MonitorArrival>& arrivals, double nominalRate,
                           double stretchMs) {
    SampleClock clock;
    const double nominalMsPerSample = 1000.0 / nominalRate;
    // The earliest arrival of each stretch, measured against the nominal rate. An empty file
    // (the recorder has started but the server has sent nothing yet) says nothing.
    std::vector<double> samples;
    std::vector<double> times;
    std::size_t i = 0;
    while (i < arrivals.size()) {
        if (arrivals[i].samples <= 0) {
            ++i;
            continue;
        }
        const double stretchEnd = arrivals[i].ms + stretchMs;
        std::size_t earliest = i;
        for (; i < arrivals.size() && arrivals[i].ms < stretchEnd; ++i) {
            const auto lead = [&](std::size_t k) {
                return arrivals[k].ms -
                       static_cast<double>(arrivals[k].samples) * nominalMsPerSample;
            };
            if (arrivals[i].samples > 0 && lead(i) < lead(earliest)) earliest = i;
        }
        samples.push_back(static_cast<double>(arrivals[earliest].samples));
        times.push_back(arrivals[earliest].ms);
    }
    if (samples.empty()) return clock;
    // A single stretch gives no slope of its own: the nominal rate stands.
    clock.msPerSample =
        samples.size() >= 2 ? leastSquaresSlope(samples, times) : nominalMsPerSample;
    if (!(clock.msPerSample > 0)) return clock;
    double meanSample = 0;
    double meanTime = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        meanSample += samples[k];
        meanTime += times[k];
    }
    meanSample /= static_cast<double>(samples.size());
    meanTime /= static_cast<double>(samples.size());
    clock.startMs = meanTime - meanSample * clock.msPerSample;
    for (std::size_t k = 0; k < samples.size(); ++k)
        clock.worstResidualMs =
            std::max(clock.worstResidualMs, std::fabs(times[k] - clock.msOf(samples[k])));
    clock.valid = true;
    return clock;
}

HeardTimeline::HeardTimeline(std::vector<TrackMatch> matches, SampleClock clock, double trackRate)
    : matches_(std::move(matches)), clock_(clock), trackRate_(trackRate) {
    std::sort(matches_.begin(), matches_.end(), [](const TrackMatch& a, const TrackMatch& b) {
        return a.recordedSample < b.recordedSample;
    });
}

std::optional<double> HeardTimeline::heardMsAt(double ms, double reachMs) const {
    if (!clock_.valid || matches_.empty()) return std::nullopt;
    const double sample = clock_.sampleAt(ms);
    auto after = std::lower_bound(
        matches_.begin(), matches_.end(), sample,
        [](const TrackMatch& match, double value) { return match.recordedSample < value; });
    const TrackMatch* nearest = nullptr;
    if (after != matches_.end()) nearest = &*after;
    if (after != matches_.begin()) {
        const TrackMatch& before = *(after - 1);
        if (!nearest || sample - before.recordedSample < nearest->recordedSample - sample)
            nearest = &before;
    }
    const double distance = std::fabs(sample - nearest->recordedSample);
    if (distance * clock_.msPerSample > reachMs) return std::nullopt;
    return (nearest->trackSample + (sample - nearest->recordedSample)) * 1000.0 / trackRate_;
}

HeardBreaks heardBreaks(const std::vector<TrackMatch>& matches, double trackRate,
                        double toleranceSamples) {
    HeardBreaks breaks;
    for (std::size_t i = 1; i < matches.size(); ++i) {
        const double moved = (matches[i].trackSample - matches[i - 1].trackSample) -
                             (matches[i].recordedSample - matches[i - 1].recordedSample);
        if (std::fabs(moved) > toleranceSamples)
            breaks.each.push_back({matches[i].recordedSample, moved});
        if (moved > toleranceSamples) {
            ++breaks.skips;
            breaks.skippedMs += moved * 1000.0 / trackRate;
        } else if (moved < -toleranceSamples) {
            ++breaks.pauses;
            breaks.pausedMs -= moved * 1000.0 / trackRate;
        }
    }
    return breaks;
}

FullScaleBursts fullScaleBursts(const std::vector<std::int16_t>& recording, std::size_t minSamples,
                                int level) {
    FullScaleBursts bursts;
    std::size_t run = 0;
    // One past the end closes a run that lasts to the end.
    for (std::size_t i = 0; i <= recording.size(); ++i) {
        if (i < recording.size() && std::abs(int{recording[i]}) >= level) {
            ++run;
            continue;
        }
        if (run >= minSamples && run > 0) {
            ++bursts.count;
            bursts.samples += static_cast<std::int64_t>(run);
        }
        run = 0;
    }
    return bursts;
}

HeardFigures heardFigures(const std::vector<ScreenSighting>& sightings,
                          const HeardTimeline& timeline, double frameDurationMs, double fromMs,
                          double toMs, double longestSpanMs) {
    HeardFigures figures;
    std::vector<double> times;
    std::vector<double> offsets;
    std::vector<double> sizes;
    for (const ScreenSighting& sighting : sightings) {
        if (sighting.ms < fromMs || sighting.ms > toMs) continue;
        if (sighting.spanMs > longestSpanMs) {
            ++figures.uncertain;
            continue;
        }
        if (sighting.frame < 0) {
            ++figures.unreadable;
            continue;
        }
        const std::optional<double> heard = timeline.heardMsAt(sighting.ms);
        if (!heard) {
            ++figures.unheard;
            continue;
        }
        const double offset = sighting.frame * frameDurationMs - *heard;
        times.push_back(sighting.ms);
        offsets.push_back(offset);
        sizes.push_back(std::fabs(offset));
    }
    figures.offsets = static_cast<int>(offsets.size());
    figures.offsetMedianMs = median(offsets);
    figures.offsetP95AbsMs = nearestRankPercentile(sizes, 95);
    figures.driftMsPerMinute = leastSquaresSlope(times, offsets) * 60000.0;
    return figures;
}

}  // namespace tavrin::bench
