#include <gtest/gtest.h>

#include "recording/MemorySource.h"
#include "recording/ProcessorPlacement.h"
#include "recording/ReadAheadSource.h"
#include "recording/SoundSink.h"
#include "recording/VideoArchive.h"
#include "tests/recording/ArchiveFixtures.h"

namespace tavrin {
namespace {

using namespace test;

constexpr std::int64_t kChunk = static_cast<std::int64_t>(ReadAheadSource::kChunkSize);

// Bytes that tell their own offset apart from their neighbours'.
Bytes numbered(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

TEST(ReadAheadSource, ViewsAndCopiesGiveTheFilesBytesWhereverTheyFall) {
    // Views go forward as the scan's do, across chunk boundaries, back behind the chunk in use,
    // to the end of the file and past it; copies land inside and outside the chunk in use.
    const Bytes content = numbered(static_cast<std::size_t>(2 * kChunk + 12345));
    TestFolder folder;
    const Path path = folder.file(L"bytes.bin");
    writeBytes(path, content);
    BinaryFile file = BinaryFile::openForReading(path);
    ReadAheadSource source;
    struct Step {
        const char* name;
        std::int64_t offset;
        std::size_t size;
        bool copy;  // readAt rather than view
    } steps[] = {
        {"the start", 0, 80, false},
        {"forward within the chunk", 5000, 4096, false},
        {"a copy inside the chunk", 6000, 100, true},
        {"across the first boundary", kChunk - 30, 80, false},
        {"the largest view across it", kChunk - 100, ByteSource::kMostViewed, false},
        {"into the second chunk", kChunk + 10, 80, false},
        {"back behind the chunk in use", kChunk - 66, 80, false},
        {"a copy of another chunk", 10, 200, true},
        {"skipping a chunk", 2 * kChunk + 100, 80, false},
        {"cut short by the end", 2 * kChunk + 12345 - 40, 80, false},
        {"a copy cut short by the end", 2 * kChunk + 12345 - 40, 80, true},
    };
    for (int round = 0; round < 2; ++round) {  // the thread and buffers serve a second file
        source.begin(file, path, 0);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            const std::size_t expected = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(step.size),
                                       static_cast<std::int64_t>(content.size()) - step.offset));
            Bytes got(step.size);
            std::size_t available = 0;
            if (step.copy) {
                available = source.readAt(step.offset, got.data(), step.size);
            } else {
                const std::uint8_t* bytes = source.view(step.offset, step.size, available);
                ASSERT_NE(bytes, nullptr);
                std::copy(bytes, bytes + available, got.begin());
            }
            ASSERT_EQ(available, expected);
            EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(expected),
                                   content.begin() + step.offset));
        }
        std::size_t available = 1;
        EXPECT_EQ(source.view(static_cast<std::int64_t>(content.size()), 80, available), nullptr);
        EXPECT_EQ(available, 0u);
        source.end();
    }
}

// Walks the whole file forward in the largest views, as a scan over a damaged stretch does, and
// checks every byte and that the view past the end is empty.
void expectWholeFile(ReadAheadSource& source, const Bytes& content) {
    std::int64_t at = 0;
    for (;;) {
        std::size_t available = 0;
        const std::uint8_t* bytes = source.view(at, ByteSource::kMostViewed, available);
        if (at == static_cast<std::int64_t>(content.size())) {
            EXPECT_EQ(bytes, nullptr);
            EXPECT_EQ(available, 0u);
            return;
        }
        ASSERT_NE(bytes, nullptr) << at;
        ASSERT_EQ(available, std::min<std::size_t>(ByteSource::kMostViewed,
                                                   content.size() - static_cast<std::size_t>(at)))
            << at;
        ASSERT_TRUE(std::equal(bytes, bytes + available, content.begin() + at)) << at;
        at += static_cast<std::int64_t>(available);
    }
}

TEST(ReadAheadSource, FilesEndingAnywhereAgainstChunksAreReadWhole) {
    // Only the chunk the file ends in may be short, whether the file ends inside a chunk or on a
    // boundary, and nothing past it may be taken for bytes. The thread and the scan share the
    // chunks between them; when the thread cannot have a handle of its own (on Windows, which
    // opens the file again, a path gone since), the scan reads them all.
    constexpr std::int64_t kPiece = kChunk / 4;
    // The thread leaves the file's last megabyte to the scan: all of the shorter files, one or two
    // chunks at the end of the longer ones.
    const std::int64_t lengths[] = {kPiece - 1, kPiece,          kPiece + 5,
                                    kChunk,     kChunk + kPiece, 2 * kChunk + kPiece / 2,
                                    3 * kChunk};
    TestFolder folder;
    ReadAheadSource source;
    for (std::int64_t length : lengths) {
        SCOPED_TRACE(length);
        const Bytes content = numbered(static_cast<std::size_t>(length));
        const Path path = folder.file(L"bytes" + std::to_wstring(length) + L".bin");
        writeBytes(path, content);
        BinaryFile file = BinaryFile::openForReading(path);
        for (const Path& threadsPath : {path, folder.file(L"gone.bin")}) {
            source.begin(file, threadsPath, 0);
            expectWholeFile(source, content);
            source.end();
        }
    }
}

// The scan runs on the viewer's own thread: it is kept off the reading thread's processor only
// while a file is read, and may run wherever it could before once the reading has ended.
TEST(ReadAheadSource, TheScanKeepsOffTheThreadsProcessorOnlyWhileReading) {
    const ProcessorMask before = processorsOfCallingThread();
    if (before == 0 || (before & (before - 1)) == 0) GTEST_SKIP() << "needs two processors";
    TestFolder folder;
    // Over more chunks than the ring holds, so that the thread reads some of the first file
    // and keeps to a processor from then on.
    const Bytes content = numbered(static_cast<std::size_t>(2 * ReadAheadSource::kChunks) *
                                   ReadAheadSource::kChunkSize);
    const Path path = folder.file(L"long.bin");
    writeBytes(path, content);
    BinaryFile file = BinaryFile::openForReading(path);
    ReadAheadSource source;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        source.begin(file, path, 0);
        if (round > 0) {
            const ProcessorMask during = processorsOfCallingThread();
            EXPECT_NE(during, before);
            EXPECT_EQ(during & ~before, 0u);
        }
        expectWholeFile(source, content);
        source.end();
        EXPECT_EQ(processorsOfCallingThread(), before);
    }
}

TEST(ReadAheadSource, AFileLeftHalfReadGivesWayToTheNext) {
    // The scan may stop after a few blocks, while the chunk it was in is still being read; the
    // next file's bytes must not mix with what was read of the last one.
    TestFolder folder;
    const Bytes first = numbered(static_cast<std::size_t>(3 * kChunk));
    Bytes second(static_cast<std::size_t>(2 * kChunk + 999));
    for (std::size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<std::uint8_t>(i * 13 + 5);
    writeBytes(folder.file(L"first.bin"), first);
    writeBytes(folder.file(L"second.bin"), second);
    BinaryFile firstFile = BinaryFile::openForReading(folder.file(L"first.bin"));
    BinaryFile secondFile = BinaryFile::openForReading(folder.file(L"second.bin"));
    ReadAheadSource source;
    for (int round = 0; round < 3; ++round) {
        source.begin(firstFile, folder.file(L"first.bin"), 0);
        std::size_t available = 0;
        const std::uint8_t* bytes = source.view(100, 64, available);
        ASSERT_NE(bytes, nullptr);
        EXPECT_TRUE(std::equal(bytes, bytes + available, first.begin() + 100));
        source.end();
        source.begin(secondFile, folder.file(L"second.bin"), 0);
        expectWholeFile(source, second);
        source.end();
    }
}

// A recording spread over several of the read-ahead's chunks opens from its file exactly as from
// memory: the same slots and the same sound track. A block header lies across the first chunk
// boundary and a sound block's samples across the second; the rest runs over more chunks than
// the ring holds, twice over, so that the thread and the scan take chunks in turn.
TEST(ReadAheadSource, ArchiveOverSeveralChunksOpensAsFromMemory) {
    ArchiveBuilder builder(headerAt());
    const Bytes picture = jpegOfBlocks(2);
    Bytes samples(700);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i);
    const std::int64_t placed[] = {kChunk - 40, 2 * kChunk - 64 - 300};  // where blocks start
    int pictures = 0;
    for (std::int64_t blockStart : placed) {
        while (static_cast<std::int64_t>(builder.bytes().size()) + 40000 < blockStart) {
            builder.addPicture(picture, tickOfSlot(pictures), fieldsAt(pictures / 28));
            builder.addSound(samples, tickOfSlot(pictures) + 20);
            ++pictures;
        }
        // A sound block sized to end where the placed block is to start.
        const auto fill = blockStart - static_cast<std::int64_t>(builder.bytes().size()) - 64;
        builder.addSound(Bytes(static_cast<std::size_t>(fill), 0x70), tickOfSlot(pictures) + 30);
        ASSERT_EQ(static_cast<std::int64_t>(builder.bytes().size()), blockStart);
        builder.addSound(samples, tickOfSlot(pictures) + 32);
        builder.addPicture(picture, tickOfSlot(pictures), fieldsAt(pictures / 28));
        ++pictures;
    }
    const auto ringsWorth =
        static_cast<std::size_t>(2 * ReadAheadSource::kChunks + 1) * ReadAheadSource::kChunkSize;
    for (; builder.bytes().size() < ringsWorth; ++pictures) {
        builder.addPicture(picture, tickOfSlot(pictures), fieldsAt(pictures / 28));
        if (pictures % 3 == 0) builder.addSound(samples, tickOfSlot(pictures) + 5);
    }
    TestFolder folder;
    VideoArchive fromFile;
    fromFile.open(writeArchive(folder, builder), nullptr);
    VideoArchive fromMemory;
    MemorySoundSink sound;
    fromMemory.openFromMemory(builder.bytes(), &sound, nullptr);

    ASSERT_EQ(fromFile.slotCount(), pictures);
    ASSERT_EQ(fromMemory.slotCount(), pictures);
    for (int i = 0; i < pictures; ++i) {
        ASSERT_EQ(fromFile.slot(i)->tick, fromMemory.slot(i)->tick) << i;
        ASSERT_EQ(fromFile.slot(i)->blockPositions, fromMemory.slot(i)->blockPositions) << i;
        ASSERT_EQ(fromFile.slot(i)->frameTime, fromMemory.slot(i)->frameTime) << i;
    }
    EXPECT_GT(fromFile.soundDataBytes(), 0);
    EXPECT_TRUE(readBytes(fromFile.soundFilePath()) == sound.bytes());
}

}  // namespace
}  // namespace tavrin
