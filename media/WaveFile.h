#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/Platform.h"

namespace tavrin {

// The PCM fields of a sound file's format chunk, as the output device is given them.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

// A whole sound file: its format and every sample byte.
struct WaveData {
    WaveFormat format;
    std::vector<std::uint8_t> samples;
};

// Only the recordings' own track is played: 8-bit unsigned mono at this rate, one byte a block.
constexpr std::uint32_t kWaveSampleRate = 13183;
// RIFF, size, WAVE, a 24-byte format chunk taken as 16 bytes of fields, then the data header.
constexpr std::size_t kWaveFileHeaderSize = 44;

// Checks the 44 header bytes: the magic words, PCM, one channel, 13,183 samples a second,
// block align 1, and a data chunk right after the format. The size fields of the RIFF and format
// chunks and the bits per sample are not checked. False when `size` is short or a rule fails.
bool parseWaveHeader(const std::uint8_t* bytes, std::size_t size, WaveFormat& format,
                     std::uint32_t& dataLength);

// Reads a whole file held in memory; bytes after the data chunk are ignored. False when the
// header is refused or fewer sample bytes follow it than the data length says.
bool parseWave(const std::uint8_t* bytes, std::size_t size, WaveData& out);

// Reads a sound file. A file that cannot be opened throws WaveAudioException with the path as its
// message; a refused header or missing samples throw Exception with the path as its message.
// Memory grows with the bytes actually read, never with the data length alone.
WaveData readWaveFile(const Path& path);

}  // namespace tavrin
