#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "recording/SlotPlacer.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"
#include "tests/recording/ArchiveFixtures.h"

namespace tavrin {
namespace {

using namespace test;

struct Values {
    double earliestTick;
    double videoOffset;
};

struct Placed {
    std::vector<std::int32_t> slots;  // the first 64 entries
    std::int32_t slotCount;
    std::vector<std::int32_t> marks;
};

std::vector<FrameInfo> picturesAt(const std::vector<std::int64_t>& ticks,
                                  const std::vector<bool>& marked) {
    std::vector<FrameInfo> pictures(ticks.size());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        pictures[i].tick = ticks[i];
        pictures[i].markByte = marked[i] ? kMarkedFrame : 0;
    }
    return pictures;
}

// Places `pictures` one by one as the scan does (each once the next has begun), under
// `whileScanning[i]` for the i-th step, then finishes under `final`; or all at the end when
// `whileScanning` is empty.
Placed place(std::vector<FrameInfo> pictures, const std::vector<Values>& whileScanning,
             Values final) {
    std::vector<std::int32_t> grid(kSlotCount, SlotPlacer::kEmpty);
    SlotPlacer placer(grid);
    placer.start();
    for (std::size_t i = 0; i < whileScanning.size(); ++i) {
        placer.placeUpTo(pictures, i, whileScanning[i].earliestTick, whileScanning[i].videoOffset);
    }
    Placed placed;
    placed.slotCount = placer.finish(pictures, final.earliestTick, final.videoOffset);
    placed.slots.assign(grid.begin(), grid.begin() + 64);
    for (const FrameInfo& picture : pictures) placed.marks.push_back(picture.markByte);
    // Nothing is left behind for the next recording.
    placer.clear();
    EXPECT_EQ(std::count(grid.begin(), grid.end(), SlotPlacer::kEmpty), kSlotCount);
    return placed;
}

TEST(SlotPlacer, PlacingWhileScanningEndsWhereAllAtTheEndDoes) {
    const double slot = kSlotMilliseconds;
    struct Case {
        const char* what;
        std::vector<std::int64_t> ticks;
        std::vector<bool> marked;
        std::vector<Values> whileScanning;  // one per picture
        Values final;
    };
    const Case cases[] = {
        {"ticks in order, values known from the start",
         {1000, 1036, 1072, 1108, 1200},
         {false, false, true, false, false},
         {{1000, 0}, {1000, 0}, {1000, 0}, {1000, 0}, {1000, 0}},
         {1000, 0}},
        {"the first sound block arrives after two pictures and moves them along",
         {1000, 1036, 1072, 1108},
         {false, false, false, false},
         {{1000, 0}, {1000, 0}, {1000, 3 * slot}, {1000, 3 * slot}},
         {1000, 3 * slot}},
        // Under the first values pictures 0, 1 and 2 share two slots and 2's mark goes to 0;
        // under the final ones they do not, and 0 must stay unmarked.
        {"a mark passed under values that did not last",
         {1010, 1030, 1040, 960, 1100},
         {false, false, true, false, false},
         {{1010, 0}, {1010, 0}, {1010, 0}, {1010, 0}, {960, 0}},
         {960, 0}},
        {"ticks going backwards place everything once at the end",
         {2000, 1900, 1800, 1700, 1600, 1500, 1400, 1400, 1400},
         {false, true, false, false, false, false, false, false, true},
         {{2000, 0},
          {1900, 0},
          {1800, 0},
          {1700, 0},
          {1600, 0},
          {1500, 0},
          {1400, 0},
          {1400, 0},
          {1400, 0}},
         {1400, 0}},
        {"a dropped picture was the earliest: the end's values differ from the scan's",
         {1000, 1030, 1060, 1090, 1100},
         {false, false, false, true, true},
         {{990, 0}, {990, 0}, {990, 0}, {990, 0}, {990, 0}},
         {1000, 0}},
        {"colliding marks under steady values",
         {1000, 1001, 1002, 1003, 1004},
         {false, false, true, true, false},
         {{1000, 0}, {1000, 0}, {1000, 0}, {1000, 0}, {1000, 0}},
         {1000, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<FrameInfo> pictures = picturesAt(c.ticks, c.marked);
        const Placed atTheEnd = place(pictures, {}, c.final);
        const Placed whileScanning = place(pictures, c.whileScanning, c.final);
        EXPECT_EQ(whileScanning.slots, atTheEnd.slots);
        EXPECT_EQ(whileScanning.slotCount, atTheEnd.slotCount);
        EXPECT_EQ(whileScanning.marks, atTheEnd.marks);
    }
}

TEST(SlotPlacer, APassedMarkThatDidNotLastIsNotKept) {
    // The third case above, checked against what it must be rather than against itself.
    const std::vector<FrameInfo> pictures =
        picturesAt({1010, 1030, 1040, 960, 1100}, {false, false, true, false, false});
    const Placed placed =
        place(pictures, {{1010, 0}, {1010, 0}, {1010, 0}, {1010, 0}, {960, 0}}, {960, 0});
    // From 960: 1010 is in slot 1, 1030 in 1 too and moves to 2, 1040 in 2 and moves to 3, 1100
    // in 3 and moves to 4. Nothing is dropped, so no mark is passed on.
    EXPECT_EQ(std::vector<std::int32_t>(placed.slots.begin(), placed.slots.begin() + 6),
              (std::vector<std::int32_t>{3, 0, 1, 2, 4, SlotPlacer::kEmpty}));
    EXPECT_EQ(placed.slotCount, 5);
    EXPECT_EQ(placed.marks, (std::vector<std::int32_t>{0, 0, kMarkedFrame, 0, 0}));
}

// Through a real archive: a picture earlier than all before it, after most of the recording has
// been placed, moves every picture along the grid.
TEST(SlotPlacer, AnArchiveWhosePicturesBeginLateIsPlacedFromItsEarliest) {
    TestFolder folder;
    ArchiveBuilder builder(headerAt());
    for (int i = 0; i < 40; ++i) builder.addPicture(smallJpeg(10), tickOfSlot(i + 5), fieldsAt(0));
    builder.addPicture(smallJpeg(20), tickOfSlot(0), fieldsAt(0, 0x20));
    builder.addPicture(smallJpeg(30), tickOfSlot(50), fieldsAt(1));
    VideoArchive archive;
    archive.open(writeArchive(folder, builder), nullptr);

    VideoInfo07 info(archive);
    ASSERT_EQ(info.frameCount(), 51);
    EXPECT_EQ(info.frameAt(0)->tick, tickOfSlot(0));
    EXPECT_EQ(info.frameAt(0)->markByte, 0x20);
    EXPECT_EQ(info.frameAt(5)->tick, tickOfSlot(5));
    EXPECT_EQ(info.frameAt(44)->tick, tickOfSlot(44));
    EXPECT_EQ(info.frameAt(50)->tick, tickOfSlot(50));
}

}  // namespace
}  // namespace tavrin
