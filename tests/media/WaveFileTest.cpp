#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "media/WaveFile.h"
#include "media/WavePlayback.h"
#include "recording/SoundTrack.h"
#include "tests/support/TestFolder.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

using test::Bytes;

constexpr std::size_t kKeep = std::numeric_limits<std::size_t>::max();

// A file as the archive reader writes it: its header and `count` samples 0, 1, 2, ...
Bytes soundFile(std::uint32_t count) {
    Bytes bytes(kWaveHeaderSize + count);
    buildWaveHeader(bytes.data());
    setWaveDataSize(bytes.data(), count);
    for (std::uint32_t i = 0; i < count; ++i) bytes[kWaveHeaderSize + i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

struct HeaderCase {
    const char* name;
    std::size_t offset;  // where `patch` goes
    const char* patch;   // 4 raw bytes, or nullptr
    int field;           // 16 or 32 to write `value` instead, 0 for none
    std::uint32_t value;
    std::size_t size;    // the file is cut to this many bytes, or kKeep
    bool accepted;
    std::size_t samples;  // sample bytes read when accepted
};

constexpr std::uint32_t kSamples = 100;

const HeaderCase kHeaderCases[] = {
    {"as written by the archive reader", 0, nullptr, 0, 0, kKeep, true, kSamples},
    {"RIFF magic wrong", 0, "RIFX", 0, 0, kKeep, false, 0},
    {"WAVE magic wrong", 8, "WAVf", 0, 0, kKeep, false, 0},
    {"fmt magic wrong", 12, "fmt_", 0, 0, kKeep, false, 0},
    {"another chunk before the data", 36, "LIST", 0, 0, kKeep, false, 0},
    {"data magic in capitals", 36, "DATA", 0, 0, kKeep, false, 0},
    {"RIFF size ignored", 4, nullptr, 32, 7, kKeep, true, kSamples},
    {"format chunk size ignored", 16, nullptr, 32, 18, kKeep, true, kSamples},
    {"format tag not PCM", 20, nullptr, 16, 3, kKeep, false, 0},
    {"two channels", 22, nullptr, 16, 2, kKeep, false, 0},
    {"11025 samples a second", 24, nullptr, 32, 11025, kKeep, false, 0},
    {"13184 samples a second", 24, nullptr, 32, 13184, kKeep, false, 0},
    {"average bytes a second copied, not checked", 28, nullptr, 32, 999, kKeep, true, kSamples},
    {"block align 2", 32, nullptr, 16, 2, kKeep, false, 0},
    {"block align 0", 32, nullptr, 16, 0, kKeep, false, 0},
    {"bits per sample copied, not checked", 34, nullptr, 16, 16, kKeep, true, kSamples},
    {"data length one more than the file holds", 40, nullptr, 32, kSamples + 1, kKeep, false, 0},
    {"data length far beyond the file", 40, nullptr, 32, 0x7FFFFFFFu, kKeep, false, 0},
    {"data length beyond 31 bits", 40, nullptr, 32, 0xFFFFFFFFu, kKeep, false, 0},
    {"data length shorter than the file", 40, nullptr, 32, 40, kKeep, true, 40},
    {"no samples", 40, nullptr, 32, 0, kKeep, true, 0},
    {"samples cut short", 0, nullptr, 0, 0, kWaveHeaderSize + kSamples - 1, false, 0},
    {"header cut short", 0, nullptr, 0, 0, kWaveHeaderSize - 1, false, 0},
    {"header only, without its samples", 0, nullptr, 0, 0, kWaveHeaderSize, false, 0},
    {"empty file", 0, nullptr, 0, 0, 0, false, 0},
};

Bytes buildCase(const HeaderCase& c) {
    Bytes bytes = soundFile(kSamples);
    if (c.patch != nullptr) std::memcpy(bytes.data() + c.offset, c.patch, 4);
    if (c.field == 16) put16(bytes, c.offset, static_cast<std::uint16_t>(c.value));
    if (c.field == 32) put32(bytes, c.offset, c.value);
    if (c.size != kKeep) bytes.resize(c.size);
    return bytes;
}

void expectRead(const HeaderCase& c, const Bytes& file, const WaveData& data) {
    ASSERT_EQ(data.samples.size(), c.samples) << c.name;
    for (std::size_t i = 0; i < c.samples; ++i) {
        ASSERT_EQ(data.samples[i], file[kWaveHeaderSize + i]) << c.name << " byte " << i;
    }
    EXPECT_EQ(data.format.formatTag, 1) << c.name;
    EXPECT_EQ(data.format.channels, 1) << c.name;
    EXPECT_EQ(data.format.samplesPerSecond, 13183u) << c.name;
    EXPECT_EQ(data.format.blockAlign, 1) << c.name;
    EXPECT_EQ(data.format.averageBytesPerSecond, c.offset == 28 ? c.value : 13183u) << c.name;
    EXPECT_EQ(data.format.bitsPerSample, c.offset == 34 ? c.value : 8u) << c.name;
}

TEST(WaveFile, HeadersFromMemory) {
    for (const HeaderCase& c : kHeaderCases) {
        Bytes bytes = buildCase(c);
        WaveData data;
        bool accepted = parseWave(bytes.data(), bytes.size(), data);
        ASSERT_EQ(accepted, c.accepted) << c.name;
        if (accepted) expectRead(c, bytes, data);
    }
}

TEST(WaveFile, HeadersFromFiles) {
    test::TestFolder folder;
    for (const HeaderCase& c : kHeaderCases) {
        Bytes bytes = buildCase(c);
        Path path = folder.file(L"sound.wav");
        test::writeBytes(path, bytes);
        if (c.accepted) {
            WaveData data = readWaveFile(path);
            expectRead(c, bytes, data);
            continue;
        }
        try {
            readWaveFile(path);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const WaveAudioException&) {
            ADD_FAILURE() << c.name << ": reported as an unopenable file";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), path) << c.name;
        }
    }
}

TEST(WaveFile, MissingFileIsAWaveAudioExceptionNamingThePath) {
    test::TestFolder folder;
    Path path = folder.file(L"absent.wav");
    try {
        readWaveFile(path);
        FAIL() << "accepted";
    } catch (const WaveAudioException& e) {
        EXPECT_EQ(e.message(), path);
    }
}

// More than one read piece, so the pieces must join without a gap or a repeat.
TEST(WaveFile, LongTrackReadsEveryByte) {
    test::TestFolder folder;
    const std::uint32_t count = 2u * 1024 * 1024 + 12345;
    Bytes bytes = soundFile(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        bytes[kWaveHeaderSize + i] = static_cast<std::uint8_t>((i >> 8) ^ i);
    }
    Path path = folder.file(L"long.wav");
    test::writeBytes(path, bytes);
    WaveData data = readWaveFile(path);
    ASSERT_EQ(data.samples.size(), count);
    EXPECT_TRUE(std::equal(data.samples.begin(), data.samples.end(), bytes.begin() + kWaveHeaderSize));
}

TEST(WaveVolume, ScalesAroundSilence) {
    struct Case {
        int volume;
        std::uint8_t sample;
        std::uint8_t expected;
    } cases[] = {
        {0, 0x00, 0x80},  {0, 0x7F, 0x80},  {0, 0x80, 0x80},  {0, 0xFF, 0x80},
        {8, 0x00, 64},    {8, 0x7F, 0x80},  {8, 0x80, 0x80},  {8, 0xFF, 191},
        {16, 0x00, 0x00}, {16, 0x7F, 0x7F}, {16, 0x80, 0x80}, {16, 0xFF, 0xFF},
        // Truncation toward zero, not rounding down: -63.5 becomes -63.
        {8, 0x01, 65},    {8, 0xFE, 191},   {4, 0x00, 96},    {4, 0xFF, 159},
        {15, 0x00, 8},    {1, 0xFF, 135},   {1, 0x71, 0x80},  {1, 0x70, 0x7F},
        // Out of range: as 16 and as 0.
        {20, 0x00, 0x00}, {20, 0xFF, 0xFF}, {-3, 0x00, 0x80}, {-3, 0xFF, 0x80},
    };
    for (const Case& c : cases) {
        std::uint8_t out = 0x55;
        scaleSamples(&c.sample, 1, c.volume, &out);
        EXPECT_EQ(out, c.expected) << "volume " << c.volume << " sample " << int(c.sample);
    }
}

TEST(WaveVolume, ScalesExactlyTheRangeGiven) {
    Bytes samples = {0x00, 0xFF, 0x10, 0xF0};
    Bytes out(6, 0x55);
    scaleSamples(samples.data(), samples.size(), 8, out.data() + 1);
    EXPECT_EQ(out, (Bytes{0x55, 64, 191, 72, 184, 0x55}));
    scaleSamples(samples.data(), 0, 0, out.data());
    EXPECT_EQ(out[0], 0x55);
}

TEST(WaveVolume, RequestsAreClamped) {
    struct Case {
        int requested;
        int stored;
    } cases[] = {{20, 16}, {17, 16}, {16, 16}, {15, 15}, {1, 1}, {0, 0}, {-1, 0}, {-3, 0}};
    for (const Case& c : cases) EXPECT_EQ(clampVolume(c.requested), c.stored) << c.requested;
}

WaveFormat trackFormat() {
    Bytes bytes = soundFile(0);
    WaveData data;
    EXPECT_TRUE(parseWave(bytes.data(), bytes.size(), data));
    return data.format;
}

TEST(WavePosition, RatesOfTheTrackFormat) {
    WaveFormat format = trackFormat();
    EXPECT_EQ(waveChunkSize(format), 2636);
    EXPECT_EQ(waveDataRate(format), 13183000u);
    EXPECT_EQ(waveChunkSize(WaveFormat{}), 0);
    EXPECT_EQ(waveDataRate(WaveFormat{}), 0u);
}

TEST(WavePosition, MillisecondsToBytes) {
    WaveFormat format = trackFormat();
    struct Case {
        std::int32_t dataLength;
        std::int64_t ms;
        std::int32_t bytes;
    } cases[] = {
        {13183 * 60, 1000, 13183}, {13183 * 60, 500, 6591}, {13183 * 60, 0, 0},
        {13183 * 60, 1, 13},       {13183 * 60, -5, 0},     {13183 * 60, 60000, 13183 * 60 - 1},
        {13183, 1000, 13182},      {13183, 999, 13169},     {10, 1LL << 40, 9},
        {0, 500, 0},               {1, 500, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(msToBytes(format, c.dataLength, c.ms), c.bytes) << c.dataLength << " " << c.ms;
    }
}

TEST(WavePosition, BytesToMilliseconds) {
    WaveFormat format = trackFormat();
    WaveFormat twoByteBlocks = format;
    twoByteBlocks.blockAlign = 2;
    twoByteBlocks.samplesPerSecond = 8000;
    struct Case {
        const WaveFormat& format;
        std::int32_t dataLength;
        std::int64_t bytes;
        std::int64_t ms;
    } cases[] = {
        {format, 13183 * 60, 13183, 1000}, {format, 13183 * 60, 6591, 499},
        {format, 13183 * 60, 13182, 999},  {format, 13183 * 60, 14, 1},
        {format, 13183 * 60, 13, 0},       {format, 13183 * 60, -1, 0},
        {format, 13183, 1LL << 40, 999},   {format, 0, 13183, 0},
        {twoByteBlocks, 100000, 16001, 1000}, {twoByteBlocks, 100000, 15999, 999},
        {WaveFormat{}, 100000, 5000, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bytesToMs(c.format, c.dataLength, c.bytes), c.ms) << c.dataLength << " " << c.bytes;
    }
}

TEST(WavePosition, ChunksEndOnChunkBoundaries) {
    struct Case {
        std::int64_t p;
        std::int32_t chunkSize;
        std::int32_t dataLength;
        bool planned;
        std::int32_t start, end, count;
    } cases[] = {
        // Play at 500 ms: up to the boundary 7908, then a whole chunk.
        {6591, 2636, 13183 * 60, true, 6591, 7908, 1317},
        {7908, 2636, 13183 * 60, true, 7908, 10544, 2636},
        {0, 2636, 13183 * 60, true, 0, 2636, 2636},
        {2635, 2636, 13183 * 60, true, 2635, 2636, 1},
        // The end of the data: the last byte is the limit.
        {9000, 2636, 10000, true, 9000, 9999, 999},
        {9999, 2636, 10000, true, 9999, 9999, 0},
        {20000, 2636, 10000, true, 9999, 9999, 0},
        {-50, 2636, 10000, true, 0, 2636, 2636},
        {0, 2636, 1, true, 0, 0, 0},
        {0, 2636, 0, true, 0, -1, -1},
        {100, 0, 10000, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        WaveChunk chunk = planChunk(c.p, c.chunkSize, c.dataLength);
        EXPECT_EQ(chunk.planned, c.planned) << c.p << " " << c.dataLength;
        EXPECT_EQ(chunk.start, c.start) << c.p << " " << c.dataLength;
        EXPECT_EQ(chunk.end, c.end) << c.p << " " << c.dataLength;
        EXPECT_EQ(chunk.count, c.count) << c.p << " " << c.dataLength;
    }
}

}  // namespace
}  // namespace tavrin
