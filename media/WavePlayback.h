#pragma once

#include <cstddef>
#include <cstdint>

#include "media/WaveFile.h"

namespace tavrin {

// The arithmetic of the sound player, kept apart from the output device so that it can be
// checked without one. Block align b and samples per second r come from the file's format.

constexpr int kFullVolume = 16;

// The volume the player stores for a request: 16 at 16 and above, 0 below 0.
int clampVolume(int volume);

// Copies `count` unsigned 8-bit samples into `out` scaled around silence (128):
// ((s - 128) * volume) / 16 + 128, the division truncating toward zero. Volume 16 copies them
// unchanged and 0 gives silence; a volume outside 0..16 is clamped first.
void scaleSamples(const std::uint8_t* samples, std::size_t count, int volume, std::uint8_t* out);

// b * r * 1000 in 32 bits, as the player reports it; 0 for a format with no samples.
std::uint32_t waveDataRate(const WaveFormat& format);
// Bytes per output buffer, one fifth of a second: b * r / 5.
std::int32_t waveChunkSize(const WaveFormat& format);

// The byte at `ms`: b * r * ms / 1000 truncated toward zero, then clamped to
// 0..dataLength - 1 (0 when there is no data).
std::int32_t msToBytes(const WaveFormat& format, std::int32_t dataLength, std::int64_t ms);
// The time of byte `n`: n clamped as above, divided by b, times 1000 / r, each step truncated
// toward zero; 0 for a format with no samples.
std::int64_t bytesToMs(const WaveFormat& format, std::int32_t dataLength, std::int64_t n);

// What one buffer fill covers from byte p: the samples [start, end) with count = end - start,
// where end is the next multiple of the chunk size after p (so later buffers start on chunk
// boundaries) but never beyond dataLength - 1. A count of 0 or less means nothing is queued.
// With a chunk size of 0 (nothing open) `planned` is false and the player changes nothing.
struct WaveChunk {
    bool planned = false;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::int32_t count = 0;
};
WaveChunk planChunk(std::int64_t p, std::int32_t chunkSize, std::int32_t dataLength);

}  // namespace tavrin
