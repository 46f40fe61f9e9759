#include "media/WavePlayback.h"

#include <algorithm>
#include <cmath>

namespace tavrin {
namespace {

// Clamps to 0..dataLength - 1, giving 0 when there is no data.
std::int64_t clampToData(std::int64_t n, std::int32_t dataLength) {
    return std::max<std::int64_t>(0, std::min<std::int64_t>(n, std::int64_t{dataLength} - 1));
}

// Truncates toward zero and clamps in double precision, so no value is out of range for the cast.
std::int64_t truncateToData(double value, std::int32_t dataLength) {
    double last = static_cast<double>(std::int64_t{dataLength} - 1);
    if (!(value > 0.0)) return 0;
    if (value >= last) return std::max<std::int64_t>(0, std::int64_t{dataLength} - 1);
    return static_cast<std::int64_t>(std::trunc(value));
}

std::uint32_t bytesPerSecond(const WaveFormat& format) {
    return static_cast<std::uint32_t>(format.blockAlign) * format.samplesPerSecond;
}

}  // namespace

int clampVolume(int volume) {
    if (volume >= kFullVolume) return kFullVolume;
    if (volume < 0) return 0;
    return volume;
}

void scaleSamples(const std::uint8_t* samples, std::size_t count, int volume, std::uint8_t* out) {
    int v = clampVolume(volume);
    for (std::size_t i = 0; i < count; ++i) {
        int centred = static_cast<int>(samples[i]) - 128;
        out[i] = static_cast<std::uint8_t>(centred * v / kFullVolume + 128);
    }
}

std::uint32_t waveDataRate(const WaveFormat& format) { return bytesPerSecond(format) * 1000u; }

std::int32_t waveChunkSize(const WaveFormat& format) {
    return static_cast<std::int32_t>(bytesPerSecond(format) / 5u);
}

std::int32_t msToBytes(const WaveFormat& format, std::int32_t dataLength, std::int64_t ms) {
    double bytes = static_cast<double>(bytesPerSecond(format)) * static_cast<double>(ms) / 1000.0;
    return static_cast<std::int32_t>(truncateToData(bytes, dataLength));
}

std::int64_t bytesToMs(const WaveFormat& format, std::int32_t dataLength, std::int64_t n) {
    if (format.blockAlign == 0 || format.samplesPerSecond == 0) return 0;
    double samples = std::trunc(static_cast<double>(clampToData(n, dataLength)) / format.blockAlign);
    return static_cast<std::int64_t>(std::trunc(samples * 1000.0 / format.samplesPerSecond));
}

WaveChunk planChunk(std::int64_t p, std::int32_t chunkSize, std::int32_t dataLength) {
    WaveChunk chunk;
    if (chunkSize <= 0) return chunk;
    std::int64_t start = clampToData(p, dataLength);
    std::int64_t boundary = (start + chunkSize) / chunkSize * chunkSize;
    std::int64_t end = std::min<std::int64_t>(boundary, std::int64_t{dataLength} - 1);
    chunk.planned = true;
    chunk.start = static_cast<std::int32_t>(start);
    chunk.end = static_cast<std::int32_t>(end);
    chunk.count = static_cast<std::int32_t>(std::min<std::int64_t>(end - start, chunkSize));
    return chunk;
}

}  // namespace tavrin
