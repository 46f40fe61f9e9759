#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "media/Image.h"
#include "recording/ArchiveFormat.h"
#include "recording/ArchiveHeader.h"
#include "recording/ArchiveScan.h"
#include "recording/LocalTime.h"
#include "recording/Platform.h"
#include "recording/SoundTrack.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "recording/WindowedReader.h"
#include "tests/support/TestFolder.h"
#include "tests/support/TestPictures.h"
#include "tools/cardgen/ArchiveBuilder.h"
#include "ui/Exception.h"

namespace tavrin::cardgen {
namespace {

using tavrin::test::TestFolder;

std::uint32_t be32(const Bytes& f, std::size_t at) {
    return static_cast<std::uint32_t>(f[at]) << 24 | static_cast<std::uint32_t>(f[at + 1]) << 16 |
           static_cast<std::uint32_t>(f[at + 2]) << 8 | f[at + 3];
}

Bytes slice(const Bytes& f, std::size_t at, std::size_t count) {
    return Bytes(f.begin() + static_cast<std::ptrdiff_t>(at),
                 f.begin() + static_cast<std::ptrdiff_t>(at + count));
}

// A small valid JPEG padded with a comment segment after its APP0 to exactly `size` bytes, so
// the block layout of any picture size can be checked.
Bytes jpegOfSize(std::size_t size) {
    auto picture = tavrin::test::solidPicture(32, 24, 3, {40, 120, 200});
    Bytes jpeg = tavrin::test::encodeJpeg(picture, tavrin::test::JpegKind::Colour, 75);
    const std::size_t app0End = 4 + (jpeg[4] << 8 | jpeg[5]);
    const std::size_t comment = size - jpeg.size();  // marker, length and text
    Bytes segment{0xFF, 0xFE, static_cast<std::uint8_t>((comment - 2) >> 8),
                  static_cast<std::uint8_t>(comment - 2)};
    segment.resize(comment, 'x');
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(app0End), segment.begin(),
                segment.end());
    return jpeg;
}

ArchiveHeaderFields header() {
    ArchiveHeaderFields h;
    h.start = {2012, 5, 1, 9, 30, 59};
    h.startTick = 0x01020304;
    h.recordingId = 0xCAFE0042;
    return h;
}

Path writeArchive(const TestFolder& folder, const ArchiveBuilder& builder) {
    const Path path = folder.file(L"0001_001.DAT");
    EXPECT_TRUE(builder.writeTo(toUtf8(path)));
    return path;
}

ArchiveHeaderInfo headerOf(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    return readArchiveHeader(file);
}

// The viewer's own pass over the archive: every picture and sound block in file order, before
// the pictures are placed on the slot grid.
ScanResult scan(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    const ArchiveHeaderInfo info = readArchiveHeader(file);
    WindowedReader reader(file);
    return scanArchiveBlocks(reader, file.length(), info, true, nullptr);
}

// Ticks counted from the first picture's: the test header's start tick lies far above the ticks
// written here, so the reader takes all of them as wrapped round and moves them alike.
std::vector<std::int64_t> ticksFromFirst(const std::vector<FrameInfo>& pictures) {
    std::vector<std::int64_t> ticks;
    for (const FrameInfo& p : pictures) ticks.push_back(p.tick - pictures.front().tick);
    return ticks;
}

TEST(ArchiveBuilderTest, HeaderFieldsAreBcdAndBigEndian) {
    TestFolder folder;
    ArchiveBuilder builder(header());
    const Bytes& f = builder.bytes();
    ASSERT_EQ(f.size(), 8192u);
    EXPECT_EQ(slice(f, 0, 8), (Bytes{0, 0, 0x12, 0x05, 0x01, 0x09, 0x30, 0x59}));
    EXPECT_EQ(slice(f, 16, 4), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(slice(f, 28, 4), (Bytes{0xCA, 0xFE, 0x00, 0x42}));
    EXPECT_EQ(std::count(f.begin() + 32, f.end(), 0), 8192 - 32);
    const ArchiveHeaderInfo read = headerOf(writeArchive(folder, builder));
    EXPECT_EQ(read.startTime, makeLocalTime(2012, 5, 1, 9, 30, 59));
    EXPECT_EQ(read.startTick, 0x01020304);
    EXPECT_EQ(read.recordingId, 0xCAFE0042u);

    ArchiveHeaderFields raw = header();
    raw.rawStart = true;
    const std::uint8_t invalid[6] = {0x12, 0x02, 0x30, 0x10, 0x00, 0x00};
    std::copy(invalid, invalid + 6, raw.rawStartBytes);
    const ArchiveBuilder rawBuilder(raw);
    EXPECT_EQ(slice(rawBuilder.bytes(), 2, 6), Bytes(invalid, invalid + 6));
    EXPECT_EQ(headerOf(writeArchive(folder, rawBuilder)).startTime, 0);  // 30 February
}

TEST(ArchiveBuilderTest, FrameFieldsAreEncoded) {
    struct Case {
        FrameFields fields;
        Bytes expected;  // header bytes 32..49
        // As the reader decodes them.
        int mark, group;
        std::int64_t time;
        double accel[3];
        int speed, fileNumber;
    };
    FrameFields event;
    event.mark = 0x20;
    event.fileGroup = 7;
    event.time = {2099, 12, 31, 23, 59, 58};
    event.accel[0] = -256;
    event.accel[1] = 0x7FFF;
    event.accel[2] = -32768;
    event.speed = 180;
    event.fileNumber = 1234;
    FrameFields rawDate;
    rawDate.rawTime = true;
    const std::uint8_t feb30[6] = {0x12, 0x02, 0x30, 0x10, 0x00, 0x00};
    std::copy(feb30, feb30 + 6, rawDate.rawTimeBytes);
    rawDate.speed = 9;
    const Case cases[] = {
        {event,
         {0x20, 7, 0x99, 0x12, 0x31, 0x23, 0x59, 0x58, 0xFF, 0x00, 0x7F, 0xFF, 0x80, 0x00, 0x01,
          0x80, 0x12, 0x34},
         0x20,
         7,
         makeLocalTime(2099, 12, 31, 23, 59, 58),
         {-256 * kAccelerationScale, 32767 * kAccelerationScale, -32768 * kAccelerationScale},
         180,
         1234},
        // An invalid date takes the time of the archive's header.
        {rawDate,
         {0, 0, 0x12, 0x02, 0x30, 0x10, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0x00, 0x09, 0, 0},
         0,
         0,
         makeLocalTime(2012, 5, 1, 9, 30, 59),
         {0, 0, 0},
         9,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        TestFolder folder;
        ArchiveBuilder builder(header());
        builder.addPicture(jpegOfSize(1000), 5, c.fields);
        EXPECT_EQ(slice(builder.bytes(), 8192 + 32, 18), c.expected);
        EXPECT_EQ(slice(builder.bytes(), 8192 + 50, 14), Bytes(14, 0));

        const ScanResult result = scan(writeArchive(folder, builder));
        ASSERT_EQ(result.pictures.size(), 1u);
        const FrameInfo& p = result.pictures[0];
        EXPECT_EQ(p.markByte, c.mark);
        EXPECT_EQ(p.fileGroupNumber, c.group);
        EXPECT_EQ(p.frameTime, c.time);
        EXPECT_DOUBLE_EQ(p.accelerationX, c.accel[0]);
        EXPECT_DOUBLE_EQ(p.accelerationY, c.accel[1]);
        EXPECT_DOUBLE_EQ(p.accelerationZ, c.accel[2]);
        EXPECT_EQ(p.speed, c.speed);
        EXPECT_EQ(p.fileNumber, c.fileNumber);
    }
}

TEST(ArchiveBuilderTest, PicturesAreCutIntoBlocks) {
    struct Case {
        std::size_t jpegSize;
        std::vector<std::uint32_t> lengths;  // of each block
        bool read;
    };
    // Stored size = JPEG size + 12 (SOI and APP0 marker out, 16 prefix bytes in).
    const Case cases[] = {
        {1000, {64 + 1012}, true},
        {8116, {8192}, true},                                    // fills the first block exactly
        {8117, {8192, 64 + 16 + 1}, false},                      // one byte spills over
        {8118, {8192, 64 + 16 + 2}, true},                       // the whole end marker spills
        {8128 + 8112 + 100, {8192, 8192, 64 + 16 + 112}, true},  // three blocks
        {8116 + 2 * 8112, {8192, 8192, 8192}, true},             // three full blocks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.jpegSize);
        const Bytes jpeg = jpegOfSize(c.jpegSize);
        ArchiveBuilder builder(header());
        builder.addPicture(jpeg, 0xA0B0C0D0, FrameFields{});
        const Bytes& f = builder.bytes();

        std::size_t at = 8192;
        Bytes picture;
        std::vector<std::int32_t> payloads;
        for (std::size_t b = 0; b < c.lengths.size(); ++b) {
            ASSERT_LE(at + 64, f.size());
            EXPECT_EQ(be32(f, at), c.lengths[b]);
            EXPECT_EQ(be32(f, at + 4), 0xA0B0C0D0u);
            EXPECT_EQ(be32(f, at + 8), jpeg.size() + 12);
            EXPECT_EQ(f[at + 12], 0x55);
            EXPECT_EQ(f[at + 13], b + 1);
            EXPECT_EQ(be32(f, at + 28), 0xCAFE0042u);
            const std::size_t body = at + 64;
            payloads.push_back(static_cast<std::int32_t>(body));
            if (b > 0) {
                EXPECT_EQ(slice(f, body + 2, 14), makerPattern());
                picture.insert(picture.end(), f.begin() + body + 16, f.begin() + at + c.lengths[b]);
            } else {
                picture.insert(picture.end(), f.begin() + body, f.begin() + at + c.lengths[b]);
            }
            at += c.lengths[b];
        }
        EXPECT_EQ(at, f.size());
        Bytes expected{0x04, 0x03};
        expected.insert(expected.end(), makerPattern().begin(), makerPattern().end());
        expected.insert(expected.end(), jpeg.begin() + 4, jpeg.end());
        EXPECT_EQ(picture, expected);

        // The reader follows the same blocks and gives the picture back, unless the end marker
        // is split between two blocks: the reader looks for it in the last block only.
        TestFolder folder;
        const Path path = writeArchive(folder, builder);
        if (!c.read) {
            EXPECT_TRUE(scan(path).pictures.empty());
            continue;
        }
        VideoArchive archive;
        archive.open(path, nullptr);
        ASSERT_EQ(archive.slotCount(), 1);
        const FrameInfo* found = archive.slot(0);
        ASSERT_NE(found, nullptr);
        EXPECT_TRUE(found->complete);
        EXPECT_EQ(found->blockLength, static_cast<std::int32_t>(c.lengths[0]));
        EXPECT_EQ(found->payloadSize, static_cast<std::int32_t>(jpeg.size() + 12));
        EXPECT_EQ(std::vector<std::int32_t>(found->blockPositions.begin(),
                                            found->blockPositions.begin() + found->blockCount),
                  payloads);
        auto image = archive.readFrameImage(0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width(), 32);
        EXPECT_EQ(image->height(), 24);
    }
}

TEST(ArchiveBuilderTest, RestoredPicturesDecodeToTheirSize) {
    struct Case {
        int width, height, quality;
        bool withoutApp0;
        std::size_t minBlocks;
        bool read;  // false: more blocks than the reader takes for one picture
    };
    const Case cases[] = {
        {64, 48, 75, false, 1, true},
        {192, 144, 95, false, 2, true},
        {160, 120, 90, true, 1, true},
        {640, 480, 95, false, kMaxBlocksPerPicture + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        tavrin::test::RawPicture noise{c.width, c.height, 3, {}};
        std::uint32_t state = 12345;
        for (int i = 0; i < c.width * c.height * 3; ++i) {
            state = state * 1103515245u + 12345u;
            noise.samples.push_back(static_cast<std::uint8_t>(state >> 16));
        }
        Bytes jpeg = tavrin::test::encodeJpeg(noise, tavrin::test::JpegKind::Colour, c.quality);
        if (c.withoutApp0)
            jpeg.erase(jpeg.begin() + 2, jpeg.begin() + 4 + (jpeg[4] << 8 | jpeg[5]));
        const std::int64_t stored = static_cast<std::int64_t>(jpeg.size()) + 12;
        ASSERT_EQ(stored <= pictureCapacity(kMaxBlocksPerPicture), c.read) << stored;
        ArchiveBuilder builder(header());
        builder.addPicture(jpeg, 100, FrameFields{});
        builder.addPicture(jpeg, 136, FrameFields{});
        TestFolder folder;
        const Path path = writeArchive(folder, builder);

        const ScanResult result = scan(path);
        EXPECT_TRUE(result.sawValidPicture);
        if (!c.read) {
            EXPECT_TRUE(result.pictures.empty());
            continue;
        }
        ASSERT_EQ(result.pictures.size(), 2u);
        VideoArchive archive;
        archive.open(path, nullptr);
        ASSERT_EQ(archive.slotCount(), 2);  // 36 ms apart: neighbouring slots
        for (std::int32_t i = 0; i < 2; ++i) {
            const FrameInfo* picture = archive.slot(i);
            ASSERT_NE(picture, nullptr);
            EXPECT_TRUE(picture->complete);
            EXPECT_GE(picture->blockCount, static_cast<std::int32_t>(c.minBlocks));
            auto image = archive.readFrameImage(i);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->width(), c.width);
            EXPECT_EQ(image->height(), c.height);
        }
    }
}

TEST(ArchiveBuilderTest, DamageOptionsAreReadAsDamage) {
    const Bytes threeBlocks = jpegOfSize(20000);
    const Bytes oneBlock = jpegOfSize(3000);
    struct Case {
        const char* name;
        ArchiveBuilder::PictureOptions options;
        // Of: a good picture, the damaged three-block one, then two good one-block pictures.
        std::vector<std::int64_t> ticks;
        std::vector<std::int32_t> blocks;
    };
    ArchiveBuilder::PictureOptions noEnd, foreign, cut, wrongCode, shortSize;
    noEnd.dropEndMarker = true;        // dropped, and the next picture with it
    foreign.recordingId = 0x0BADF00D;  // the scan stops there
    cut.stopAfterBlocks = 2;           // the next picture is out of sequence
    wrongCode.wrongDeviceCode = true;
    shortSize.payloadSizeOverride = 8000;  // complete at once, its other blocks skipped
    const Case cases[] = {
        {"intact", {}, {0, 36, 72, 108}, {1, 3, 1, 1}},
        {"no end marker", noEnd, {0, 108}, {1, 1}},
        {"foreign id", foreign, {0}, {1}},
        {"cut short", cut, {0, 108}, {1, 1}},
        {"short size field", shortSize, {0, 36, 72, 108}, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveBuilder builder(header());
        builder.addPicture(oneBlock, 0, FrameFields{});
        builder.addPicture(threeBlocks, 36, FrameFields{}, c.options);
        builder.addPicture(oneBlock, 72, FrameFields{});
        builder.addPicture(oneBlock, 108, FrameFields{});
        TestFolder folder;
        const ScanResult result = scan(writeArchive(folder, builder));
        EXPECT_TRUE(result.sawValidPicture);
        ASSERT_FALSE(result.pictures.empty());
        EXPECT_EQ(ticksFromFirst(result.pictures), c.ticks);
        std::vector<std::int32_t> blocks;
        for (const FrameInfo& p : result.pictures) {
            EXPECT_TRUE(p.complete);
            blocks.push_back(p.blockCount);
        }
        EXPECT_EQ(blocks, c.blocks);
    }

    TestFolder folder;
    ArchiveBuilder first(header());
    first.addPicture(oneBlock, 0, FrameFields{}, wrongCode);
    EXPECT_THROW(scan(writeArchive(folder, first)), VideoArchiveException);
}

TEST(ArchiveBuilderTest, SoundGarbageAndAlignmentKeepTheScanInStep) {
    for (std::size_t alignment : {1u, 512u}) {
        SCOPED_TRACE(alignment);
        ArchiveBuilder builder(header());
        builder.setBlockAlignment(alignment);
        builder.addPicture(jpegOfSize(20000), 0, FrameFields{});
        builder.addSound(Bytes(2048, 0x80), 38);
        builder.addRaw(Bytes(300, 0x55));  // garbage, no pattern and no sound type inside
        builder.addPicture(jpegOfSize(3000), 36, FrameFields{});
        builder.addSound(Bytes(1000, 0x81), 193);
        const Bytes& f = builder.bytes();
        TestFolder folder;
        const Path path = writeArchive(folder, builder);

        const ScanResult result = scan(path);
        ASSERT_EQ(result.pictures.size(), 2u);
        ASSERT_EQ(result.sounds.size(), 2u);
        EXPECT_EQ(result.sounds[0].payloadSize, 2048);
        EXPECT_EQ(result.sounds[1].tick - result.pictures[0].tick, 193);
        const auto soundAt = static_cast<std::size_t>(result.sounds[1].blockPositions[0]);
        EXPECT_EQ(f[soundAt], 0x81);
        EXPECT_EQ(f[soundAt - 64 + 12], 0xAA);
        for (const FrameInfo& picture : result.pictures) {
            EXPECT_TRUE(picture.complete);
            EXPECT_EQ(picture.blockLength % alignment, 0u);
        }
        EXPECT_EQ((f.size() - 300 - 8192) % alignment, 0u);

        VideoArchive archive;
        archive.open(path, nullptr);
        ASSERT_EQ(archive.slotCount(), 2);
        EXPECT_NE(archive.readFrameImage(0), nullptr);
        EXPECT_NE(archive.readFrameImage(1), nullptr);
        // The first block is stamped exactly the sound's lead after the first picture and the
        // second follows it without a gap: the track is both blocks' samples, padding left out.
        Bytes samples(2048, 0x80);
        samples.insert(samples.end(), 1000, 0x81);
        EXPECT_EQ(archive.soundDataBytes(), 3048);
        const Bytes wave = tavrin::test::readBytes(archive.soundFilePath());
        ASSERT_EQ(wave.size(), kWaveHeaderSize + 3048);
        EXPECT_EQ(Bytes(wave.begin() + kWaveHeaderSize, wave.end()), samples);
    }
}

TEST(ArchiveBuilderTest, RawBlocksRawBytesAndTruncation) {
    ArchiveBuilder builder(header());
    ArchiveBuilder::RawBlock block;
    block.length = -5;
    block.tick = 7;
    block.payloadSize = 0x10000;
    block.type = 0x33;
    block.sequence = 9;
    block.recordingId = 0x11223344;
    block.fields.mark = 0x20;
    block.payload = Bytes(4, 0xEE);
    builder.addBlock(block);
    block.makerPattern = false;
    builder.addBlock(block);
    builder.addRaw({1, 2, 3});
    const Bytes& f = builder.bytes();

    ASSERT_EQ(f.size(), 8192u + 64 + 16 + 64 + 4 + 3);
    EXPECT_EQ(slice(f, 8192, 14), (Bytes{0xFF, 0xFF, 0xFF, 0xFB, 0, 0, 0, 7, 0, 1, 0, 0, 0x33, 9}));
    EXPECT_EQ(be32(f, 8192 + 28), 0x11223344u);
    EXPECT_EQ(f[8192 + 32], 0x20);
    EXPECT_EQ(slice(f, 8256, 2), (Bytes{0xEE, 0xEE}));
    EXPECT_EQ(slice(f, 8258, 14), makerPattern());
    EXPECT_EQ(slice(f, 8272 + 64, 4), Bytes(4, 0xEE));
    EXPECT_EQ(slice(f, f.size() - 3, 3), (Bytes{1, 2, 3}));

    builder.truncate(8200);
    EXPECT_EQ(builder.bytes().size(), 8200u);
    builder.truncate(9000);
    EXPECT_EQ(builder.bytes().size(), 8200u);

    TestFolder folder;
    EXPECT_EQ(tavrin::test::readBytes(writeArchive(folder, builder)), builder.bytes());
    const Path missing = folder.file(L"no") + kPathSeparator + L"such" + kPathSeparator + L"folder";
    EXPECT_FALSE(builder.writeTo(toUtf8(missing)));
}

TEST(ArchiveBuilderTest, BcdOfTwoDigits) {
    const std::pair<int, std::uint8_t> cases[] = {{0, 0x00},  {9, 0x09},   {10, 0x10}, {45, 0x45},
                                                  {99, 0x99}, {100, 0x99}, {-3, 0x00}};
    for (const auto& [value, bcd] : cases) EXPECT_EQ(toBcd(value), bcd) << value;
}

}  // namespace
}  // namespace tavrin::cardgen
