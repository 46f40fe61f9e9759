#pragma once

// The recording's sound as the unit's microphone would pick it up: engine hum rising with the
// speed, road noise, and the unit's own beep when it marks an event. 8-bit unsigned samples.

#include <cstdint>
#include <vector>

#include "tools/cardgen/ArchiveBuilder.h"

namespace tavrin::cardgen {

constexpr int kSampleRate = 13183;
constexpr double kBeepHz = 2000.0;
constexpr double kBeepMs = 300.0;

struct SoundScript {
    double startMs = 0;  // time of sample 0 after frame 0
    std::size_t samples = 0;
    std::vector<double> speedPerFrame;  // km/h at each frame, for the engine's pitch
    std::vector<double> beepsMs;        // start of each beep after frame 0
    std::uint64_t seed = 1;
};

Bytes renderSound(const SoundScript& script);

}  // namespace tavrin::cardgen
