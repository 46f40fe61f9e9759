#pragma once

// How the sound track is handed to the waveform output, chosen once when the output is opened.
//
// A Windows driver reports the samples it has played, and the track goes out as it is: 8-bit
// samples at the recording's own rate, the position read as the device gives it.
//
// Wine's waveform output differs in three ways, each measured from outside with the sound
// server's monitor. Its PulseAudio driver advances the played count in whole periods of 10 ms
// and rounds a period to whole samples (132 for 131.83 at 13,183 a second), so the count runs
// 0.13 % fast: the track is played at the next rate with whole samples per period, 13,200,
// resampled on the way (see WaveResampling.h). Its count includes what it has taken into its
// own buffer, about 100 ms before that is heard (see StartLeadCorrection.h). And when the
// driver lets the server run dry, it fills the server up again with zero bytes, which for 8-bit
// samples is not silence but the lowest level, a loud click; 16-bit samples make them silence.

#include <cstdint>

namespace tavrin {

struct SoundOutputProfile {
    std::uint32_t outputRate = 0;      // samples a second the device is opened at
    std::uint16_t bytesPerSample = 1;  // 1: the track's own bytes; 2: widened to 16 bits
    bool correctStartLead = false;     // take off what the count claims before it can be heard
};

// The profile for a track of `trackRate` samples a second, on Wine's output or on another.
SoundOutputProfile soundOutputProfile(std::uint32_t trackRate, bool wineOutput);

// 8-bit unsigned samples (silence 128) as 16-bit signed ones, little-endian: (s - 128) * 256.
void widenSamples(const std::uint8_t* samples, std::size_t count, std::uint8_t* out);

}  // namespace tavrin
