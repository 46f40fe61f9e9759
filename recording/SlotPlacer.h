#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/FrameInfo.h"

namespace tavrin {

// How far the pictures are pushed along the grid so that they line up with the sound: by what
// the earliest picture trails the first sound block and its lead, when there is sound.
double videoOffsetFor(double earliestPictureTick, bool hadSound, std::int64_t firstSoundTick);

// Puts pictures on the 28-per-second slot grid in file order: each at the slot its tick names,
// counted from the earliest picture and pushed along by the video offset; into the next slot when
// that one is taken; a third picture for two slots is dropped and its event mark passed to the
// picture holding the first.
// The scan places each picture as soon as the next one begins, while its record is still in the
// processor's cache and while the reading is awaited anyway, so that little is left once the last
// byte has come in. The earliest tick and the offset are known for sure only at the end: pictures
// placed under other values are placed again, and a recording whose values keep changing (ticks
// going backwards) is placed once, at the end. Marks are passed on only at the end, so that none
// passed under values that did not last is kept.
class SlotPlacer {
public:
    static constexpr std::int32_t kEmpty = -1;

    // `slots` holds kSlotCount entries, all kEmpty.
    explicit SlotPlacer(std::vector<std::int32_t>& slots) : slots_(slots) {}

    // Begins a recording on an empty grid.
    void start();
    // Places pictures[0, count) under the values known so far.
    void placeUpTo(const std::vector<FrameInfo>& pictures, std::size_t count, double earliestTick,
                   double videoOffset);
    // Places every picture under the final values and passes on the marks of those dropped;
    // returns the slot count (one past the last slot filled).
    std::int32_t finish(std::vector<FrameInfo>& pictures, double earliestTick, double videoOffset);
    // Empties the slots filled so far.
    void clear();

private:
    // Some pictures are on the grid under values other than these.
    bool placedUnderOther(double earliestTick, double videoOffset) const;
    // Places again from the start when the values differ from those used.
    void useValues(double earliestTick, double videoOffset);
    void placeRange(const std::vector<FrameInfo>& pictures, std::size_t count);
    void placeOne(const FrameInfo& picture, std::int32_t index);

    std::vector<std::int32_t>& slots_;
    std::int32_t slotCount_ = 0;
    std::size_t placed_ = 0;  // pictures[0, placed_) are on the grid
    double earliestTick_ = 0.0;
    double videoOffset_ = 0.0;
    bool placingWhileScanning_ = false;
    int placedAgain_ = 0;
    // The records that take a dropped picture's event mark.
    std::vector<std::int32_t> passedMarks_;
};

}  // namespace tavrin
