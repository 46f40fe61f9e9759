#include "media/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "ui/Exception.h"

namespace tavrin {
namespace {

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool tagIs(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// The player keeps the data length as a signed 32-bit count.
constexpr std::uint32_t kMostDataBytes =
    static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
// Samples are read a piece at a time so that a data length beyond the end of the file costs no
// more memory than the file holds.
constexpr std::size_t kReadPiece = 1024 * 1024;

}  // namespace

bool parseWaveHeader(const std::uint8_t* h, std::size_t size, WaveFormat& format,
                     std::uint32_t& dataLength) {
    if (h == nullptr || size < kWaveFileHeaderSize) return false;
    if (!tagIs(h, "RIFF") || !tagIs(h + 8, "WAVE") || !tagIs(h + 12, "fmt ")) return false;
    WaveFormat f;
    f.formatTag = get16(h + 20);
    f.channels = get16(h + 22);
    f.samplesPerSecond = get32(h + 24);
    f.averageBytesPerSecond = get32(h + 28);
    f.blockAlign = get16(h + 32);
    f.bitsPerSample = get16(h + 34);
    if (f.formatTag != 1 || f.channels != 1 || f.samplesPerSecond != kWaveSampleRate ||
        f.blockAlign != 1) {
        return false;
    }
    if (!tagIs(h + 36, "data")) return false;
    std::uint32_t length = get32(h + 40);
    if (length > kMostDataBytes) return false;
    format = f;
    dataLength = length;
    return true;
}

bool parseWave(const std::uint8_t* bytes, std::size_t size, WaveData& out) {
    WaveFormat format;
    std::uint32_t length = 0;
    if (!parseWaveHeader(bytes, size, format, length)) return false;
    if (size - kWaveFileHeaderSize < length) return false;
    out.format = format;
    out.samples.assign(bytes + kWaveFileHeaderSize, bytes + kWaveFileHeaderSize + length);
    return true;
}

WaveData readWaveFile(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    if (!file.isOpen()) throw WaveAudioException(path);

    std::uint8_t header[kWaveFileHeaderSize];
    WaveData data;
    std::uint32_t length = 0;
    std::size_t got = file.read(header, sizeof header);
    if (!parseWaveHeader(header, got, data.format, length)) throw Exception(path);

    // A file shorter than its data length fails before anything is allocated; where the length
    // is unknown, the piecewise read below still stops at the first short read.
    std::int64_t fileLength = file.length();
    if (fileLength >= 0 && fileLength - static_cast<std::int64_t>(kWaveFileHeaderSize) <
                               static_cast<std::int64_t>(length)) {
        throw Exception(path);
    }
    std::size_t done = 0;
    while (done < length) {
        std::size_t piece = std::min<std::size_t>(kReadPiece, length - done);
        data.samples.resize(done + piece);
        if (file.read(data.samples.data() + done, piece) != piece) throw Exception(path);
        done += piece;
    }
    return data;
}

}  // namespace tavrin
