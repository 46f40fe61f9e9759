#include <gtest/gtest.h>

#include "recording/SoundTrack.h"
#include "recording/VideoArchive.h"
#include "tests/recording/ArchiveFixtures.h"

namespace tavrin {
namespace {

using namespace test;

struct Track {
    std::uint32_t riffSize;
    std::uint32_t dataSize;
    Bytes samples;
};

std::uint32_t little32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Opens the archive and reads back the sound file it wrote.
Track trackOf(const TestFolder& folder, const ArchiveBuilder& builder, VideoArchive& archive) {
    archive.open(writeArchive(folder, builder), nullptr);
    Bytes file = readBytes(archive.soundFilePath());
    EXPECT_GE(file.size(), kWaveHeaderSize);
    Track track{little32(file, 4), little32(file, 40), Bytes(file.begin() + 44, file.end())};
    EXPECT_EQ(track.dataSize, track.samples.size());
    return track;
}

// A sound block whose samples count up from `first`, so each block's last sample is known.
Bytes ramp(std::size_t size, std::uint8_t first) {
    Bytes samples(size);
    for (std::size_t i = 0; i < size; ++i) samples[i] = static_cast<std::uint8_t>(first + i % 50);
    return samples;
}

constexpr std::uint32_t V = kStartTick;  // the first picture's tick

TEST(SoundTrack, HeaderDescribesEightBitMonoAtTheUnitsRate) {
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    const Bytes expected = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W', 'A', 'V',
                            'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                            1,   0,   0x7F, 0x33, 0,   0,   0x7F, 0x33, 0,   0,   1,
                            0,   8,   0,    'd',  'a', 't', 'a',  0,    0,   0,   0};
    EXPECT_EQ(Bytes(header, header + kWaveHeaderSize), expected);
    setWaveDataSize(header, 1000);
    EXPECT_EQ(little32(Bytes(header, header + 44), 4), 1036u);
    EXPECT_EQ(little32(Bytes(header, header + 44), 40), 1000u);
}

TEST(SoundTrack, SoundStartingLateIsLedBySilence) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), V, fieldsAt(0));
    b.addSound(ramp(500, 10), V + 1000);
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    // 962 ms of silence: 12,682 bytes, then the block's samples.
    ASSERT_EQ(track.samples.size(), 12682u + 500u);
    EXPECT_EQ(track.riffSize, track.dataSize + 36);
    EXPECT_EQ(track.samples[0], 0x80);
    EXPECT_EQ(track.samples[12681], 0x80);
    EXPECT_EQ(track.samples[12682], 10);
    EXPECT_EQ(archive.slot(0)->tick, V);
    EXPECT_EQ(archive.slotCount(), 1);
}

TEST(SoundTrack, SoundStartingEarlyShiftsThePictures) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addSound(ramp(400, 10), V - 500);
    b.addPicture(smallJpeg(1), V, fieldsAt(0));
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    EXPECT_EQ(track.samples.size(), 400u);  // no leading silence
    // Shifted by 500 - 38 = 462 ms: slot 12, the slots before it copies of it.
    ASSERT_EQ(archive.slotCount(), 13);
    EXPECT_EQ(archive.slot(0)->tick, V);
}

TEST(SoundTrack, GapArithmetic) {
    struct Case {
        const char* name;
        std::uint32_t apart;    // milliseconds between the two blocks
        std::size_t payload;    // bytes in each block
        std::size_t dataBytes;  // what the track holds
        std::size_t heldBytes;  // gap fill repeating the first block's last sample
    } cases[] = {
        {"100 ms apart: gap smaller than the first block plus 2048", 100, 1000, 2000, 0},
        {"1 ms apart: the first block is dropped", 1, 1000, 1000, 0},
        {"500 ms apart: one whole piece of fill", 500, 1000, 1000 + 4096 + 1000, 4096},
        {"a block over 4096 bytes gives only 4096", 1000, 5000, 4096 + 8192 + 4096, 8192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        ArchiveBuilder b(headerAt());
        b.addPicture(smallJpeg(1), V, fieldsAt(0));
        b.addSound(ramp(c.payload, 10), V + 38);  // aligned: no silence, no shift
        b.addSound(ramp(c.payload, 100), V + 38 + c.apart);
        VideoArchive archive;
        Track track = trackOf(folder, b, archive);
        ASSERT_EQ(track.samples.size(), c.dataBytes);
        if (c.heldBytes > 0) {
            std::size_t firstPart = std::min<std::size_t>(c.payload, 4096);
            std::uint8_t last = static_cast<std::uint8_t>(10 + (firstPart - 1) % 50);
            EXPECT_EQ(track.samples[firstPart - 1], last);
            EXPECT_EQ(track.samples[firstPart], last);
            EXPECT_EQ(track.samples[firstPart + c.heldBytes - 1], last);
        }
        EXPECT_EQ(
            track.samples.back(),
            static_cast<std::uint8_t>(100 + (std::min<std::size_t>(c.payload, 4096) - 1) % 50));
    }
}

// What a track is made of, in order: a block's first samples, a gap held at a block's last
// sample, or silence.
struct Part {
    enum Kind { Samples, Held, Silence } kind;
    int block;  // index into the case's blocks
    std::size_t count;
};

struct SoundBlock {
    std::int64_t tick;  // from V
    std::uint8_t firstSample;
};

TEST(SoundTrack, BlocksGoInTickOrderWhateverTheFileOrder) {
    // Every block carries 1000 samples counting up from its first one. 50,000 ms and 100,000 ms
    // gaps are 659,150 and 1,318,300 bytes: more than a buffer of the track, so the track has
    // gone out to the file before the scan meets what comes after them.
    constexpr std::size_t kHeld50s = 659150 - 1000;
    constexpr std::size_t kHeld100s = 1318300 - 1000;
    struct Case {
        const char* name;
        std::vector<std::int64_t> picturesBefore;  // ticks from V, ahead of the blocks
        std::vector<SoundBlock> blocks;            // in file order
        std::vector<std::int64_t> picturesAfter;   // behind the blocks
        std::vector<Part> track;
    } cases[] = {
        {"a block earlier than the one before it",
         {0},
         {{38 + 200, 10}, {38, 100}},
         {},
         {{Part::Samples, 1, 1000}, {Part::Samples, 0, 1000}}},
        {"equal ticks keep their file order, so the first of them is dropped",
         {0},
         {{38, 10}, {38, 100}, {38 + 300, 150}},
         {},
         {{Part::Samples, 1, 1000}, {Part::Held, 1, 2954}, {Part::Samples, 2, 1000}}},
        {"equal ticks keep their file order when sorted too",
         {0},
         {{38 + 600, 200}, {38, 10}, {38, 100}, {38 + 300, 150}},
         {},
         {{Part::Samples, 2, 1000},
          {Part::Held, 2, 2954},
          {Part::Samples, 3, 1000},
          {Part::Held, 3, 2954},
          {Part::Samples, 0, 1000}}},
        {"a block out of order after a long gap",
         {0},
         {{38, 10}, {38 + 100000, 100}, {38 + 50000, 150}},
         {},
         {{Part::Samples, 0, 1000},
          {Part::Held, 0, kHeld50s},
          {Part::Samples, 2, 1000},
          {Part::Held, 2, kHeld50s},
          {Part::Samples, 1, 1000}}},
        {"a picture earlier than the first one, after a long gap",
         {1000},
         {{1000 + 38, 10}, {1000 + 38 + 100000, 100}},
         {0},
         {{Part::Silence, 0, 13183},  // a second: the sound starts 1038 ms after the earliest
          {Part::Samples, 0, 1000},
          {Part::Held, 0, kHeld100s},
          {Part::Samples, 1, 1000}}},
        {"silence in front, then a gap beyond what the grid plays",
         {0},
         {{38 + 200, 10}, {38 + 200 + 2000000000, 100}},
         {},
         {{Part::Silence, 0, 2636},
          {Part::Samples, 0, 1000},
          {Part::Held, 0, static_cast<std::size_t>(kMaxSoundBytes) - 2636 - 1000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        ArchiveBuilder b(headerAt());
        for (std::int64_t tick : c.picturesBefore) {
            b.addPicture(smallJpeg(1), static_cast<std::uint32_t>(V + tick), fieldsAt(0));
        }
        for (const SoundBlock& block : c.blocks) {
            b.addSound(ramp(1000, block.firstSample), static_cast<std::uint32_t>(V + block.tick));
        }
        for (std::int64_t tick : c.picturesAfter) {
            b.addPicture(smallJpeg(1), static_cast<std::uint32_t>(V + tick), fieldsAt(0));
        }
        Bytes expected;
        for (const Part& part : c.track) {
            const Bytes samples =
                ramp(1000, c.blocks[static_cast<std::size_t>(part.block)].firstSample);
            if (part.kind == Part::Samples) {
                expected.insert(expected.end(), samples.begin(), samples.begin() + part.count);
            } else {
                expected.insert(expected.end(), part.count,
                                part.kind == Part::Held ? samples.back() : kSilence);
            }
        }
        VideoArchive archive;
        Track track = trackOf(folder, b, archive);
        EXPECT_EQ(track.riffSize, track.dataSize + 36);
        EXPECT_EQ(track.samples.size(), expected.size());
        EXPECT_TRUE(track.samples == expected);
    }
}

TEST(SoundTrack, ArchiveWithoutSoundHasAnEmptyTrack) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), V, fieldsAt(0));
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    EXPECT_EQ(track.dataSize, 0u);
    EXPECT_EQ(track.riffSize, 36u);
}

TEST(SoundTrack, DamagedTicksCannotGrowTheTrackPastTheSlotGrid) {
    // A leading silence of weeks and a gap of weeks: the track stops at what 30,000 slots show.
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), V, fieldsAt(0));
    b.addSound(ramp(1000, 10), V + 2000000000u);
    b.addSound(ramp(1000, 10), V + 2100000000u);
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    EXPECT_EQ(track.samples.size(), static_cast<std::size_t>(kMaxSoundBytes));
    EXPECT_EQ(kMaxSoundBytes, 14124642);
}

TEST(SoundTrack, BlocksTooCloseTogetherLeaveOnlyTheLast) {
    // Blocks a millisecond apart are all dropped but the last: together many times what one
    // buffer of the track holds, each is taken back when the next one arrives.
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), V, fieldsAt(0));
    const int blocks = 4098;
    for (int i = 0; i < blocks - 1; ++i) b.addSound(ramp(4096, 0), V + 38 + i);
    b.addSound(ramp(4096, 77), V + 38 + blocks - 1);
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    ASSERT_EQ(track.samples.size(), 4096u);
    EXPECT_EQ(track.samples, ramp(4096, 77));
}

TEST(SoundTrack, TheNextTrackWrittenOverTheLastOnesFileHoldsOnlyItsOwnBytes) {
    // The next recording's track goes into the last one's file under a new name: whatever the
    // two lengths, it holds exactly what a file of its own would.
    const auto recording = [](std::size_t soundBlocks) {
        ArchiveBuilder b(headerAt());
        b.addPicture(smallJpeg(1), V, fieldsAt(0));
        for (std::size_t i = 0; i < soundBlocks; ++i) {
            b.addSound(ramp(4096, static_cast<std::uint8_t>(i)),
                       static_cast<std::uint32_t>(V + 38 + 320 * i));
        }
        return b;
    };
    const struct {
        const char* name;
        std::size_t firstBlocks;
        std::size_t nextBlocks;
    } cases[] = {{"a shorter track after a longer one", 40, 3},
                 {"a longer track after a shorter one", 3, 40},
                 {"no sound after sound", 40, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        const ArchiveBuilder next = recording(c.nextBlocks);
        VideoArchive alone;
        const Track expected = trackOf(folder, next, alone);

        VideoArchive archive;
        archive.open(writeArchive(folder, recording(c.firstBlocks), L"0001_001.DAT"), nullptr);
        const Path first = archive.soundFilePath();
        archive.open(writeArchive(folder, next, L"0002_001.DAT"), nullptr);
        EXPECT_FALSE(fileExists(first));
        EXPECT_NE(archive.soundFilePath(), first);
        const Bytes file = readBytes(archive.soundFilePath());
        EXPECT_EQ(file.size(), kWaveHeaderSize + expected.samples.size());
        EXPECT_EQ(file, readBytes(alone.soundFilePath()));
    }
}

TEST(SoundTrack, ArchiveOfSoundOnlyOpens) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addSound(ramp(300, 10), V);
    VideoArchive archive;
    Track track = trackOf(folder, b, archive);
    EXPECT_EQ(track.samples.size(), 300u);
    EXPECT_EQ(archive.slotCount(), 0);
}

}  // namespace
}  // namespace tavrin
