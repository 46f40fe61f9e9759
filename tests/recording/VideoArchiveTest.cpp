#include <gtest/gtest.h>

#include "media/Image.h"
#include "recording/LocalTime.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"
#include "tests/recording/ArchiveFixtures.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

using namespace test;

TEST(VideoArchive, PlacesPicturesOnTheSlotGridWithTheirMeasurements) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    for (int i = 0; i < 6; ++i) {
        FrameFields fields = fieldsAt(i / 2, i == 3 ? 0x20 : 0);
        fields.speed = 40 + i;
        fields.accel[2] = 4096;
        builder.addPicture(smallJpeg(static_cast<std::uint8_t>(i * 40)), tickOfSlot(i), fields);
    }
    VideoArchive archive;
    RecordingObserver observer;
    archive.open(writeArchive(folder, builder), &observer);

    VideoInfo07 info(archive);
    ASSERT_EQ(info.frameCount(), 6);
    EXPECT_EQ(info.startTime(), makeLocalTime(2012, 3, 4, 10, 0, 0));
    EXPECT_EQ(info.firstFrameTime(), makeLocalTime(2012, 3, 4, 10, 0, 0));
    EXPECT_EQ(info.lastFrameTime(), makeLocalTime(2012, 3, 4, 10, 0, 2));
    for (int i = 0; i < 6; ++i) {
        const FrameInfo* frame = info.frameAt(i);
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->complete);
        EXPECT_EQ(frame->blockCount, 1);
        EXPECT_EQ(frame->speed, 40 + i);
        EXPECT_EQ(frame->tick, tickOfSlot(i));
        EXPECT_NEAR(frame->accelerationMagnitude, 1.0, 1e-3);
    }
    info.collectMarkedFrames();
    std::vector<std::int32_t> marked{99};
    info.copyMarkedFrames(marked);
    EXPECT_EQ(marked, std::vector<std::int32_t>{3});
    EXPECT_EQ(observer.progress.back(), 100);

    auto picture = archive.readFrameImage(4);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 32);
    EXPECT_EQ(picture->height(), 24);
    EXPECT_NEAR(picture->pixels()[2], 160, 8);  // red of the fifth picture's shade
}

// The stored stream with the standard prefix back is what the decoder gets and what an export
// carries bit for bit: the recorded JPEG with its first segment's marker restored.
TEST(VideoArchive, ReadsTheStoredPictureWithItsStandardPrefix) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    const Bytes pictures[] = {smallJpeg(5), jpegOfBlocks(3)};
    builder.addPicture(pictures[0], tickOfSlot(0), fieldsAt(0));
    builder.addPicture(pictures[1], tickOfSlot(1), fieldsAt(0));
    ArchiveBuilder::PictureOptions otherDevice;
    otherDevice.wrongDeviceCode = true;
    builder.addPicture(smallJpeg(6), tickOfSlot(2), fieldsAt(0), otherDevice);
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);
    std::vector<std::uint8_t> bytes{1, 2, 3};
    for (int slot = 0; slot < 2; ++slot) {
        ASSERT_TRUE(archive.readFramePicture(slot, bytes));
        Bytes expected(kJpegPrefix, kJpegPrefix + kJpegPrefixSize);
        // The stored form replaced the stream's first four bytes (start of image, APP0 marker).
        expected.insert(expected.end(), pictures[slot].begin() + 4, pictures[slot].end());
        EXPECT_EQ(bytes, expected) << "slot " << slot;
    }
    EXPECT_FALSE(archive.readFramePicture(2, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(archive.readFramePicture(3, bytes));
}

TEST(VideoArchive, ReadsPicturesSpanningSeveralBlocks) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    for (int blocks = 2; blocks <= 4; ++blocks) {
        builder.addPicture(jpegOfBlocks(blocks), tickOfSlot(blocks - 2), fieldsAt(0));
    }
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);
    ASSERT_EQ(archive.slotCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const FrameInfo* frame = archive.slot(i);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->blockCount, i + 2);
        EXPECT_TRUE(frame->complete);
        for (int b = 1; b < frame->blockCount; ++b) {
            EXPECT_EQ(frame->blockPositions[b] - frame->blockPositions[b - 1], 8192);
        }
        auto picture = archive.readFrameImage(i);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), 160);
    }
}

TEST(VideoArchive, FillsGapsWithUnmarkedCopiesAndKeepsCollidingMarks) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    builder.addPicture(smallJpeg(10), tickOfSlot(0), fieldsAt(0));
    // Slots 1 and 2 are missing; the picture at 3 is marked.
    builder.addPicture(smallJpeg(20), tickOfSlot(3), fieldsAt(1, 0x20));
    // Three pictures for slot 5: the second moves to 6, the third is dropped but its mark
    // lands on slot 5.
    builder.addPicture(smallJpeg(30), tickOfSlot(5), fieldsAt(2));
    builder.addPicture(smallJpeg(40), tickOfSlot(5) + 1, fieldsAt(2));
    builder.addPicture(smallJpeg(50), tickOfSlot(5) + 2, fieldsAt(2, 0x20));
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);

    VideoInfo07 info(archive);
    ASSERT_EQ(info.frameCount(), 7);
    for (int i = 0; i < 7; ++i) ASSERT_NE(info.frameAt(i), nullptr) << i;
    EXPECT_EQ(info.frameAt(1)->tick, tickOfSlot(0));  // copies of slot 0
    EXPECT_EQ(info.frameAt(2)->tick, tickOfSlot(0));
    EXPECT_EQ(info.frameAt(4)->tick, tickOfSlot(3));  // an unmarked copy of a marked picture
    EXPECT_EQ(info.frameAt(4)->markByte, 0);
    EXPECT_EQ(info.frameAt(6)->tick, tickOfSlot(5) + 1);
    info.collectMarkedFrames();
    std::vector<std::int32_t> marked;
    info.copyMarkedFrames(marked);
    EXPECT_EQ(marked, (std::vector<std::int32_t>{3, 5}));
    EXPECT_EQ(info.nextMarkedFrame(4), 5);
    EXPECT_EQ(info.nextMarkedFrame(6), -1);
    EXPECT_EQ(info.nextMarkedFrame(7), -1);
}

TEST(VideoArchive, FrameViewAnswersNothingOutsideTheGrid) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    builder.addPicture(smallJpeg(10), tickOfSlot(0), fieldsAt(0));
    builder.addPicture(smallJpeg(10), tickOfSlot(1), fieldsAt(0));
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);
    VideoInfo07 info(archive);
    EXPECT_EQ(info.frameAt(-1), nullptr);
    EXPECT_EQ(info.frameAt(2), nullptr);
    EXPECT_EQ(info.currentPosition(), -1);
    EXPECT_EQ(info.frameAtPosition(), nullptr);
    archive.setCurrentPosition(1);
    EXPECT_EQ(info.frameAtPosition(), info.frameAt(1));
    EXPECT_EQ(info.idText4(), L"0000");
    EXPECT_EQ(info.picturesPerFrame(), 1);
    EXPECT_FALSE(archive.readFrameImage(2));
    EXPECT_FALSE(archive.readFrameImage(-1));

    archive.close();
    EXPECT_EQ(info.frameCount(), 0);
    EXPECT_EQ(info.currentPosition(), -1);
    EXPECT_FALSE(archive.readFrameImage(0));
}

TEST(VideoArchive, InvalidFrameDatesTakeThePreviousValidTime) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    FrameFields invalid = fieldsAt(0);
    invalid.rawTime = true;
    const std::uint8_t february30[6] = {0x12, 0x02, 0x30, 0x10, 0x00, 0x00};
    std::copy(february30, february30 + 6, invalid.rawTimeBytes);
    builder.addPicture(smallJpeg(1), tickOfSlot(0), invalid);  // none yet: the header's time
    builder.addPicture(smallJpeg(1), tickOfSlot(1), fieldsAt(5));
    builder.addPicture(smallJpeg(1), tickOfSlot(2), invalid);
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);
    EXPECT_EQ(archive.slot(0)->frameTime, makeLocalTime(2012, 3, 4, 10, 0, 0));
    EXPECT_EQ(archive.slot(1)->frameTime, makeLocalTime(2012, 3, 4, 10, 0, 5));
    EXPECT_EQ(archive.slot(2)->frameTime, makeLocalTime(2012, 3, 4, 10, 0, 5));
}

TEST(VideoArchive, WrappedTicksStayInOrder) {
    // The counter wrapped just after the recording started: later ticks are small numbers.
    const std::uint32_t start = 0xFFFFFF00u;
    TestFolder folder;
    ArchiveBuilder builder(headerAt(start));
    builder.addPicture(smallJpeg(1), start + 10, fieldsAt(0));
    const std::uint32_t wrapped = start + 10 + 290;  // 44 after the wrap
    ASSERT_LT(wrapped, 100u);
    builder.addPicture(smallJpeg(2), wrapped, fieldsAt(0));
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);
    // 289 ms after the first picture (the correction adds one less than 2^32): slot 8.
    ASSERT_EQ(archive.slotCount(), 9);
    EXPECT_EQ(archive.slot(8)->tick, wrapped + 0xFFFFFFFFll);
}

TEST(VideoArchive, UnreadableArchivesFailWithTheReadText) {
    TestFolder folder;
    ArchiveBuilder empty(headerAt());
    ArchiveBuilder shortHeader(headerAt());
    shortHeader.truncate(20);
    ArchiveBuilder foreignCode(headerAt(), 0x05, 0x01);
    foreignCode.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    struct Case {
        const char* name;
        Path path;
    } cases[] = {
        {"missing file", folder.file(L"0009_009.DAT")},
        {"a folder", folder.path()},
        {"no blocks", writeArchive(folder, empty, L"0001_001.DAT")},
        {"short header", writeArchive(folder, shortHeader, L"0002_001.DAT")},
        {"first picture of another device", writeArchive(folder, foreignCode, L"0003_001.DAT")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VideoArchive archive;
        try {
            archive.open(c.path, nullptr);
            ADD_FAILURE() << "opened";
        } catch (const VideoArchiveException& e) {
            EXPECT_EQ(e.message(), L"該当データを読み込めません。");
        }
    }
}

TEST(VideoArchive, SoundFileLivesUntilClose) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    builder.addPicture(smallJpeg(1), tickOfSlot(0), fieldsAt(0));
    Path path = writeArchive(folder, builder);
    VideoArchive archive;
    archive.open(path, nullptr);
    Path sound = archive.soundFilePath();
    ASSERT_FALSE(sound.empty());
    EXPECT_TRUE(fileExists(sound));
    archive.open(path, nullptr);  // reopening deletes the previous file
    EXPECT_FALSE(fileExists(sound));
    sound = archive.soundFilePath();
    archive.close();
    EXPECT_FALSE(fileExists(sound));
}

}  // namespace
}  // namespace tavrin
