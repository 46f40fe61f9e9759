#include "media/SoundOutputProfile.h"

#include "media/WaveResampling.h"

namespace tavrin {

SoundOutputProfile soundOutputProfile(std::uint32_t trackRate, bool wineOutput) {
    if (!wineOutput) return {trackRate, 1, false};
    return {outputRateFor(trackRate), 2, true};
}

void widenSamples(const std::uint8_t* samples, std::size_t count, std::uint8_t* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::uint16_t>((samples[i] - 128) * 256);
        out[2 * i] = static_cast<std::uint8_t>(value & 0xff);
        out[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

}  // namespace tavrin
