#include <gtest/gtest.h>

#include "media/Image.h"
#include "recording/VideoArchive.h"
#include "tests/recording/ArchiveFixtures.h"

namespace tavrin {
namespace {

using namespace test;
using Block = ArchiveBuilder::RawBlock;
using Options = ArchiveBuilder::PictureOptions;

// The ticks of the slots' records, which tell which pictures the scan kept.
std::vector<std::int64_t> slotTicks(const VideoArchive& archive) {
    std::vector<std::int64_t> ticks;
    for (int i = 0; i < archive.slotCount(); ++i) ticks.push_back(archive.slot(i)->tick);
    return ticks;
}

std::vector<std::int64_t> ticksOf(std::initializer_list<int> slots) {
    std::vector<std::int64_t> ticks;
    for (int slot : slots) ticks.push_back(tickOfSlot(slot));
    return ticks;
}

VideoArchive& openBuilt(VideoArchive& archive, const TestFolder& folder, const ArchiveBuilder& b) {
    archive.open(writeArchive(folder, b), nullptr);
    return archive;
}

TEST(ArchiveDamage, MissingEndMarkerDropsThePictureAndTheNextOne) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Options noEnd;
    noEnd.dropEndMarker = true;
    b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0), noEnd);
    b.addPicture(smallJpeg(3), tickOfSlot(2), fieldsAt(0));  // taken as out of sequence
    b.addPicture(smallJpeg(4), tickOfSlot(3), fieldsAt(0));
    VideoArchive archive;
    EXPECT_EQ(slotTicks(openBuilt(archive, folder, b)), ticksOf({0, 0, 0, 3}));
}

TEST(ArchiveDamage, SequenceBreaksDropTheUnfinishedPicture) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Options firstBlockOnly;
    firstBlockOnly.stopAfterBlocks = 1;
    b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0), firstBlockOnly);
    // A sound block where the picture's second block was expected is skipped too.
    b.addSound(Bytes(300, 0x90), tickOfSlot(1));
    b.addPicture(smallJpeg(3), tickOfSlot(2), fieldsAt(0));
    VideoArchive archive;
    openBuilt(archive, folder, b);
    EXPECT_EQ(slotTicks(archive), ticksOf({0, 0, 2}));
    EXPECT_EQ(archive.soundDataBytes(), 0);
}

TEST(ArchiveDamage, ForeignRecordingIdEndsTheScan) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Options unfinished;
    unfinished.stopAfterBlocks = 2;
    b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0), unfinished);
    Options foreign;
    foreign.recordingId = 0x0BADF00D;
    b.addPicture(smallJpeg(2), tickOfSlot(2), fieldsAt(0), foreign);
    b.addPicture(smallJpeg(3), tickOfSlot(3), fieldsAt(0));
    VideoArchive archive;
    EXPECT_EQ(slotTicks(openBuilt(archive, folder, b)), ticksOf({0}));
}

TEST(ArchiveDamage, GarbageBetweenBlocksIsSkipped) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Bytes garbage(5000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<std::uint8_t>(i * 31 + 7);
    b.addRaw(garbage);
    b.addPicture(smallJpeg(2), tickOfSlot(1), fieldsAt(0));
    b.addRaw(Bytes(100, 0xFF));
    b.addPicture(jpegOfBlocks(2), tickOfSlot(2), fieldsAt(0));
    VideoArchive archive;
    openBuilt(archive, folder, b);
    EXPECT_EQ(slotTicks(archive), ticksOf({0, 1, 2}));
    EXPECT_TRUE(archive.readFrameImage(2));
}

TEST(ArchiveDamage, ResynchronisationLooksOneMebibyteAhead) {
    // The search starts behind the damaged block's header; the next picture's pattern lies 66
    // bytes into it, so garbage of g bytes puts the pattern g + 2 bytes into the search.
    struct Case {
        const char* name;
        std::size_t garbage;
        std::vector<std::int64_t> ticks;
    } cases[] = {
        {"pattern across the first 64 KiB", 65530, ticksOf({0, 1})},
        {"pattern ending on the last byte searched", 1048576 - 16, ticksOf({0, 1})},
        {"pattern one byte beyond the search", 1048576 - 15, ticksOf({0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        ArchiveBuilder b(headerAt());
        b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
        Bytes garbage(c.garbage);
        for (std::size_t i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<std::uint8_t>(i * 31 + 7);
        b.addRaw(garbage);
        b.addPicture(smallJpeg(2), tickOfSlot(1), fieldsAt(0));
        VideoArchive archive;
        EXPECT_EQ(slotTicks(openBuilt(archive, folder, b)), c.ticks);
    }
}

TEST(ArchiveDamage, PictureCutOffByTheEndOfTheFileStays) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    const std::size_t pictureStart = b.bytes().size();
    b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0));
    b.truncate(pictureStart + 2 * 8192 + 64 + 16 + 100);  // just inside the third block
    VideoArchive archive;
    openBuilt(archive, folder, b);
    ASSERT_EQ(archive.slotCount(), 2);
    EXPECT_FALSE(archive.slot(1)->complete);
    EXPECT_EQ(archive.slot(1)->blockCount, 3);
    // What was read decodes; the part the file lacks is zeros.
    auto picture = archive.readFrameImage(1);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 160);
}

TEST(ArchiveDamage, LaterPictureOfAnotherDeviceOpensWithoutItsPicture) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Options otherDevice;
    otherDevice.wrongDeviceCode = true;
    b.addPicture(smallJpeg(2), tickOfSlot(1), fieldsAt(0), otherDevice);
    VideoArchive archive;
    openBuilt(archive, folder, b);
    ASSERT_EQ(archive.slotCount(), 2);
    EXPECT_TRUE(archive.readFrameImage(0));
    EXPECT_FALSE(archive.readFrameImage(1));
}

// Stored form of a small picture, as the unit writes it into a first block.
Bytes storedSmallPicture() {
    Bytes jpeg = smallJpeg(9);
    Bytes stored = {0x04, 0x03};
    stored.resize(16, 0);
    stored.insert(stored.end(), jpeg.begin() + 4, jpeg.end());
    return stored;
}

TEST(ArchiveDamage, SizeFieldBeyondWhatTheBlocksHoldGivesNoPicture) {
    // One "complete" block claiming half a megabyte: reading it would decode mostly nothing, and
    // the size must not decide how much is allocated.
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    Block block;
    block.length = 0x100000;
    block.tick = tickOfSlot(0);
    block.payloadSize = 500000;
    block.fields = fieldsAt(0);
    block.payload = storedSmallPicture();
    b.addBlock(block);
    VideoArchive archive;
    openBuilt(archive, folder, b);
    ASSERT_EQ(archive.slotCount(), 1);
    EXPECT_TRUE(archive.slot(0)->complete);
    EXPECT_FALSE(archive.readFrameImage(0));
}

TEST(ArchiveDamage, PictureOfMoreThanTenBlocksIsDropped) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    Block first;
    first.tick = tickOfSlot(0);
    first.payloadSize = 12 * 8112;  // needs twelve blocks
    first.fields = fieldsAt(0);
    first.payload = storedSmallPicture();
    first.payload.resize(8192 - 64, 0);
    b.addBlock(first);
    for (int sequence = 2; sequence <= 12; ++sequence) {
        Block next;
        next.tick = first.tick;
        next.payloadSize = first.payloadSize;
        next.sequence = static_cast<std::uint8_t>(sequence);
        next.payload.assign(8192 - 64, 0x11);
        b.addBlock(next);
    }
    b.addPicture(smallJpeg(2), tickOfSlot(1), fieldsAt(0));
    VideoArchive archive;
    openBuilt(archive, folder, b);
    EXPECT_EQ(slotTicks(archive), ticksOf({1}));
    EXPECT_EQ(archive.slot(0)->blockCount, 1);
}

// The grid starts at the earliest picture kept: a dropped picture's earlier tick does not count,
// wherever in the file it lay and whatever dropped it.
TEST(ArchiveDamage, DroppedEarliestPictureDoesNotPlaceTheGrid) {
    struct Case {
        const char* name;
        Options damage;
        bool damagedLast;  // at the end of the file, before a block of another recording
        std::vector<std::int64_t> kept;
    };
    Options noEnd;
    noEnd.dropEndMarker = true;
    Options firstBlockOnly;
    firstBlockOnly.stopAfterBlocks = 1;
    Options twoBlocksOnly;
    twoBlocksOnly.stopAfterBlocks = 2;
    const Case cases[] = {
        // The picture after one without its end marker is lost with it.
        {"no end marker", noEnd, false, ticksOf({6, 7})},
        {"sequence broken", firstBlockOnly, false, ticksOf({6, 7})},
        {"unfinished before another recording", twoBlocksOnly, true, ticksOf({5, 6, 7})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        ArchiveBuilder b(headerAt());
        if (!c.damagedLast) b.addPicture(jpegOfBlocks(3), tickOfSlot(0), fieldsAt(0), c.damage);
        for (int slot = 5; slot <= 7; ++slot)
            b.addPicture(smallJpeg(1), tickOfSlot(slot), fieldsAt(0));
        if (c.damagedLast) {
            b.addPicture(jpegOfBlocks(3), tickOfSlot(0), fieldsAt(0), c.damage);
            Options foreign;
            foreign.recordingId = 0x0BADF00D;
            b.addPicture(smallJpeg(2), tickOfSlot(8), fieldsAt(0), foreign);
        }
        VideoArchive archive;
        EXPECT_EQ(slotTicks(openBuilt(archive, folder, b)), c.kept);
    }
}

// What the scan reports it stepped over, for the card report: one row per kind of damage, with
// how often each kind was counted and the offset of the first of the kind the row is about.
TEST(ArchiveDamage, DiagnosticsNameWhatTheScanSteppedOver) {
    using Finding = ScanDiagnostics::Finding ScanDiagnostics::*;
    const Finding kinds[] = {&ScanDiagnostics::resynchronised, &ScanDiagnostics::outOfSequence,
                             &ScanDiagnostics::missingEndMarker, &ScanDiagnostics::foreignRecording,
                             &ScanDiagnostics::cutOff};
    struct Row {
        const char* name;
        void (*build)(ArchiveBuilder&);
        int counts[5];  // in the order of `kinds`
        Finding about;
    };
    const Row rows[] = {
        {"garbage",
         [](ArchiveBuilder& b) { b.addRaw(Bytes(3000, 0x37)); },
         {1, 0, 0, 0, 0},
         &ScanDiagnostics::resynchronised},
        // The picture after one without its end marker is lost as out of sequence.
        {"no end marker",
         [](ArchiveBuilder& b) {
             Options noEnd;
             noEnd.dropEndMarker = true;
             b.addPicture(jpegOfBlocks(2), tickOfSlot(1), fieldsAt(0), noEnd);
         },
         {0, 1, 1, 0, 0},
         &ScanDiagnostics::missingEndMarker},
        {"sequence break",
         [](ArchiveBuilder& b) {
             Options firstBlockOnly;
             firstBlockOnly.stopAfterBlocks = 1;
             b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0), firstBlockOnly);
         },
         {0, 1, 0, 0, 0},
         &ScanDiagnostics::outOfSequence},
        {"foreign recording",
         [](ArchiveBuilder& b) {
             Options foreign;
             foreign.recordingId = 0x0BADF00D;
             b.addPicture(smallJpeg(2), tickOfSlot(1), fieldsAt(0), foreign);
         },
         {0, 0, 0, 1, 0},
         &ScanDiagnostics::foreignRecording},
        {"cut off",
         [](ArchiveBuilder& b) {
             b.addPicture(jpegOfBlocks(3), tickOfSlot(1), fieldsAt(0));
             b.truncate(b.bytes().size() - 8192 + 500);
         },
         {0, 0, 0, 0, 1},
         &ScanDiagnostics::cutOff},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestFolder folder;
        ArchiveBuilder b(headerAt());
        b.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
        const std::int64_t damageAt = static_cast<std::int64_t>(b.bytes().size());
        row.build(b);
        if (row.about != &ScanDiagnostics::cutOff)
            b.addPicture(smallJpeg(3), tickOfSlot(5), fieldsAt(0));
        VideoArchive archive;
        openBuilt(archive, folder, b);
        const ScanDiagnostics& found = archive.scanDiagnostics();
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ((found.*kinds[k]).count, row.counts[k]) << "kind " << k;
        // A cut names the end of the file; the rest the block where the scan met it.
        const std::int64_t expectedOffset =
            row.about == &ScanDiagnostics::cutOff ? static_cast<std::int64_t>(b.bytes().size())
            : row.about == &ScanDiagnostics::outOfSequence ? damageAt + 8192
                                                           : damageAt;
        EXPECT_EQ((found.*row.about).firstOffset, expectedOffset);
    }
    // Nothing on an undamaged archive, and a second open starts counting afresh.
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    b.addPicture(jpegOfBlocks(2), tickOfSlot(0), fieldsAt(0));
    b.addRaw(Bytes(3000, 0x37));
    b.addPicture(smallJpeg(3), tickOfSlot(1), fieldsAt(0));
    VideoArchive archive;
    openBuilt(archive, folder, b);
    openBuilt(archive, folder, b);
    EXPECT_EQ(archive.scanDiagnostics().resynchronised.count, 1);
    EXPECT_EQ(archive.scanDiagnostics().outOfSequence.count, 0);
}

TEST(ArchiveDamage, ProgressStepsOncePerBlockUpToAHundred) {
    TestFolder folder;
    ArchiveBuilder b(headerAt());
    for (int i = 0; i < 40; ++i) b.addPicture(jpegOfBlocks(2), tickOfSlot(i), fieldsAt(0));
    VideoArchive archive;
    RecordingObserver observer;
    archive.open(writeArchive(folder, b), &observer);
    EXPECT_EQ(observer.progress, (std::vector<int>{20, 30, 40, 50, 60, 70, 80, 90, 90, 100}));
    EXPECT_GE(observer.dispatches, 1);
}

}  // namespace
}  // namespace tavrin
