#include "media/WaveResampling.h"

#include <algorithm>
#include <cmath>

namespace tavrin {
namespace {

constexpr std::uint32_t kPeriodsPerSecond = 100;  // 10 ms periods

double trackSampleAt(const std::uint8_t* track, std::int32_t length, std::int64_t index) {
    return track[std::clamp<std::int64_t>(index, 0, std::int64_t{length} - 1)];
}

}  // namespace

std::uint32_t outputRateFor(std::uint32_t trackRate) {
    return (trackRate + kPeriodsPerSecond - 1) / kPeriodsPerSecond * kPeriodsPerSecond;
}

std::int64_t outputSamplesBefore(const RateConversion& rates, std::int64_t trackSamples) {
    if (trackSamples <= 0 || rates.trackRate == 0) return 0;
    const std::int64_t scaled = trackSamples * rates.outputRate;
    return (scaled + rates.trackRate - 1) / rates.trackRate;
}

std::int64_t trackSamplesPlayed(const RateConversion& rates, std::int64_t outputSamples) {
    if (outputSamples <= 0 || rates.outputRate == 0) return 0;
    return outputSamples * rates.trackRate / rates.outputRate;
}

void resampleTrack(const std::uint8_t* track, std::int32_t trackLength, std::int64_t origin,
                   const RateConversion& rates, std::int64_t first, std::int64_t last,
                   std::uint8_t* out) {
    if (trackLength <= 0 || rates.outputRate == 0) return;
    for (std::int64_t j = first; j < last; ++j) {
        // Exact in integers: the track sample before output sample j and how far past it.
        const std::int64_t scaled = j * rates.trackRate;
        const std::int64_t index = origin + scaled / rates.outputRate;
        const double t =
            static_cast<double>(scaled % rates.outputRate) / static_cast<double>(rates.outputRate);
        const double p0 = trackSampleAt(track, trackLength, index - 1);
        const double p1 = trackSampleAt(track, trackLength, index);
        const double p2 = trackSampleAt(track, trackLength, index + 1);
        const double p3 = trackSampleAt(track, trackLength, index + 2);
        const double value =
            p1 +
            0.5 * t *
                (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
        *out++ = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
}

}  // namespace tavrin
