#include <gtest/gtest.h>

#include <cstdint>

#include "recording/BackgroundWriter.h"
#include "recording/PageAlignment.h"
#include "tests/support/TestFolder.h"

namespace tavrin {
namespace {

using test::Bytes;

TEST(PageAlignment, PlacesRoomAtTheOffsetAskedForWithinAPage) {
    struct Case {
        std::size_t size;
        std::size_t offset;
    } cases[] = {{1, 0}, {5000, 44}, {100, 4095}, {70000, 4096 + 12}, {3, 2048}};
    std::vector<std::uint8_t> storage;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        std::uint8_t* at = pagePlaced(storage, c.size, c.offset);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % kPageSize, c.offset % kPageSize);
        EXPECT_GE(at, storage.data());
        EXPECT_LE(at + c.size, storage.data() + storage.size());
    }
}

TEST(PageAlignment, SlowCopiesAreThoseOntoAFewBytesPastTheSource) {
    alignas(4096) static std::uint8_t page[2 * kPageSize];
    struct Case {
        std::size_t sourceOffset;
        std::int64_t filePosition;
        bool slow;
    } cases[] = {
        {16, 44, true},  // a heap buffer behind the sound file's header
        {0, 44, true},          {0, 63, true},   {0, 64, false}, {44, 44, false},
        {44, 4096 + 44, false}, {48, 44, false}, {0, 0, false},  {4000, 4096 + 4001, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filePosition);
        EXPECT_EQ(copiesSlowlyTo(page + c.sourceOffset, c.filePosition), c.slow);
    }
}

// Buffers and runs of every size and place against the file's pages land in the file exactly, in
// the order they were queued, whether or not the writer moved them first, and whichever thread
// writes them.
TEST(BackgroundWriter, WritesBuffersAndRunsInOrderWhereverTheyLie) {
    for (const auto writes :
         {BackgroundWriter::Writes::onItsThread, BackgroundWriter::Writes::onCallersThread}) {
        SCOPED_TRACE(writes == BackgroundWriter::Writes::onItsThread ? "on its thread"
                                                                     : "on the caller's");
        test::TestFolder folder;
        const Path path = folder.file(L"track");
        Bytes expected(44, 'h');
        BinaryFile file = BinaryFile::createForWriting(path);
        ASSERT_TRUE(file.write(expected.data(), expected.size()));
        int movedFirst = 0;
        {
            BackgroundWriter writer(writes);
            for (int i = 0; i < 320; ++i) {
                if (i % 7 == 3) {
                    const auto value = static_cast<std::uint8_t>(i);
                    const std::int64_t count = i == 10 ? (1 << 20) + 4099 : 37 * i + 1;
                    expected.insert(expected.end(), static_cast<std::size_t>(count), value);
                    writer.writeRun(file, value, count);
                    continue;
                }
                Bytes buffer(kPageSize + 13 + static_cast<std::size_t>(i % 5));
                for (std::size_t b = 0; b < buffer.size(); ++b) {
                    buffer[b] = static_cast<std::uint8_t>(b * 7 + static_cast<std::size_t>(i));
                }
                if (i % 5 == 1) {
                    // Led by a run that places it where the writer must move it, whatever address
                    // the allocator gave it.
                    std::int64_t lead = 1;
                    while (!copiesSlowlyTo(buffer.data(),
                                           static_cast<std::int64_t>(expected.size()) + lead))
                        ++lead;
                    expected.insert(expected.end(), static_cast<std::size_t>(lead), 0xEE);
                    writer.writeRun(file, 0xEE, lead);
                }
                if (copiesSlowlyTo(buffer.data(), static_cast<std::int64_t>(expected.size())))
                    ++movedFirst;
                expected.insert(expected.end(), buffer.begin(), buffer.end());
                writer.write(file, buffer);
                EXPECT_TRUE(buffer.empty());
            }
            writer.drain();
        }
        file.close();
        EXPECT_GT(movedFirst, 0);  // the case the writer moves the bytes for did come up
        EXPECT_TRUE(test::readBytes(path) == expected);
    }
}

}  // namespace
}  // namespace tavrin
