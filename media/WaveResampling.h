#pragma once

// The sound output runs at a rate of its own. Wine's PulseAudio driver counts the played
// position in whole periods of 10 ms and rounds the samples of a period to a whole number: at
// the recordings' 13,183 samples a second it counts 132 for every 131.83 played, so its position
// runs 0.13 % ahead of the sound and the pictures, paced by it, drift ahead of what is heard (a
// second and more over a long recording). The track is therefore played at the nearest rate
// above whose 10 ms period is a whole number of samples, 13,200, resampled on the way; every
// position the player reports is turned back into the track's own timeline, which stays the
// recording's. Only Wine's output is opened this way (SoundOutputProfile.h); where the rates
// agree the conversion changes nothing.

#include <cstdint>

namespace tavrin {

// The rate the output is opened at for a track of `trackRate` samples a second: the next whole
// number of samples per 10 ms period, times 100 (13,183 gives 13,200; 13,200 stays).
std::uint32_t outputRateFor(std::uint32_t trackRate);

struct RateConversion {
    std::uint32_t trackRate = 0;
    std::uint32_t outputRate = 0;
};

// For an output that began at some track sample o: the number of output samples that come
// before track sample o + n, i.e. ceil(n * output / track) (0 for n <= 0).
std::int64_t outputSamplesBefore(const RateConversion& rates, std::int64_t trackSamples);

// The track samples an output has gone through after `outputSamples` of its own:
// floor(n * track / output) (0 for n <= 0).
std::int64_t trackSamplesPlayed(const RateConversion& rates, std::int64_t outputSamples);

// Writes output samples [first, last) of an output that began at track sample `origin` to
// `out`: output sample j is the track at origin + j * track / output, interpolated between its
// neighbours with a cubic (Catmull-Rom) curve, rounded and kept within 0..255. Track samples
// beyond either end count as the end sample. Where the rates are equal the track is copied.
void resampleTrack(const std::uint8_t* track, std::int32_t trackLength, std::int64_t origin,
                   const RateConversion& rates, std::int64_t first, std::int64_t last,
                   std::uint8_t* out);

}  // namespace tavrin
