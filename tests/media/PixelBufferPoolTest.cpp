#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "media/PixelBufferPool.h"

namespace tavrin {
namespace {

constexpr std::size_t kDecoded = 1280 * 960 * 4;
constexpr std::size_t kShown = 648 * 486 * 4;

// A picture decoded at one size and shrunk to another, frame after frame: both sizes are reused
// (each new buffer of megabytes costs a page fault a page).
TEST(PixelBufferPool, BuffersOfTwoSizesInTurnAreBothReused) {
    PixelBufferPool pool;
    std::uint8_t* decoded = pool.take(kDecoded);
    std::uint8_t* shown = pool.take(kShown);
    // Each take is checked, then kept, so a failing pool still frees only what it handed out.
    const auto takeAgain = [&pool](std::uint8_t*& buffer, std::size_t size, int frame) {
        std::uint8_t* again = pool.take(size);
        EXPECT_EQ(again, buffer) << size << " at frame " << frame;
        buffer = again;
    };
    for (int frame = 0; frame < 5; ++frame) {
        pool.give(decoded, kDecoded);
        takeAgain(decoded, kDecoded, frame);
        pool.give(shown, kShown);
        pool.give(decoded, kDecoded);
        takeAgain(shown, kShown, frame);
        takeAgain(decoded, kDecoded, frame);
    }
    pool.give(decoded, kDecoded);
    pool.give(shown, kShown);
}

TEST(PixelBufferPool, KeepsOnlyTheBuffersGivenBackLast) {
    PixelBufferPool pool;
    std::vector<std::uint8_t*> buffers;
    for (std::size_t i = 0; i < PixelBufferPool::kMostKept + 2; ++i)
        buffers.push_back(pool.take(kShown));
    for (std::uint8_t* buffer : buffers) pool.give(buffer, kShown);
    // The last ones given back come out again; the two oldest were freed.
    std::vector<std::uint8_t*> reused;
    for (std::size_t i = 0; i < PixelBufferPool::kMostKept; ++i)
        reused.push_back(pool.take(kShown));
    std::sort(reused.begin(), reused.end());
    std::vector<std::uint8_t*> newest(buffers.end() - PixelBufferPool::kMostKept, buffers.end());
    std::sort(newest.begin(), newest.end());
    EXPECT_EQ(reused, newest);
    for (std::uint8_t* buffer : reused) pool.give(buffer, kShown);
}

TEST(PixelBufferPool, RefusesLargeBuffersWhenATestAsks) {
    PixelBufferPool pool;
    pool.refuseFromForTesting(kShown);
    EXPECT_EQ(pool.take(kShown), nullptr);
    std::uint8_t* small = pool.take(kShown - 1);
    EXPECT_NE(small, nullptr);
    pool.give(small, kShown - 1);
    pool.refuseFromForTesting(0);
    std::uint8_t* again = pool.take(kShown);
    EXPECT_NE(again, nullptr);
    pool.give(again, kShown);
}

}  // namespace
}  // namespace tavrin
