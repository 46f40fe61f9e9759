#include "recording/SlotPlacer.h"

#include <algorithm>

#include "recording/SoundTrack.h"

namespace tavrin {

namespace {

// Placing again while scanning is cheap for a few early changes (the first sound block arriving
// after the first picture); more than this and the rest waits for the end.
constexpr int kMostPlacedAgainWhileScanning = 4;

}  // namespace

double videoOffsetFor(double earliestPictureTick, bool hadSound, std::int64_t firstSoundTick) {
    if (!hadSound) return 0.0;
    const double offset =
        earliestPictureTick - (static_cast<double>(firstSoundTick) + kSoundLeadMilliseconds);
    return offset > 0 ? offset : 0.0;
}

void SlotPlacer::start() {
    clear();
    placingWhileScanning_ = true;
    placedAgain_ = 0;
}

void SlotPlacer::clear() {
    std::fill(slots_.begin(), slots_.begin() + slotCount_, kEmpty);
    slotCount_ = 0;
    placed_ = 0;
    passedMarks_.clear();
}

void SlotPlacer::placeUpTo(const std::vector<FrameInfo>& pictures, std::size_t count,
                           double earliestTick, double videoOffset) {
    if (!placingWhileScanning_) return;
    if (placedUnderOther(earliestTick, videoOffset) &&
        ++placedAgain_ > kMostPlacedAgainWhileScanning) {
        placingWhileScanning_ = false;
        clear();
        return;
    }
    useValues(earliestTick, videoOffset);
    placeRange(pictures, count);
}

std::int32_t SlotPlacer::finish(std::vector<FrameInfo>& pictures, double earliestTick,
                                double videoOffset) {
    placingWhileScanning_ = false;
    useValues(earliestTick, videoOffset);
    placeRange(pictures, pictures.size());
    for (const std::int32_t record : passedMarks_) {
        pictures[static_cast<std::size_t>(record)].markByte = kMarkedFrame;
    }
    passedMarks_.clear();
    return slotCount_;
}

bool SlotPlacer::placedUnderOther(double earliestTick, double videoOffset) const {
    return placed_ > 0 && (earliestTick != earliestTick_ || videoOffset != videoOffset_);
}

void SlotPlacer::useValues(double earliestTick, double videoOffset) {
    if (placedUnderOther(earliestTick, videoOffset)) clear();
    earliestTick_ = earliestTick;
    videoOffset_ = videoOffset;
}

void SlotPlacer::placeRange(const std::vector<FrameInfo>& pictures, std::size_t count) {
    for (; placed_ < count; ++placed_) {
        placeOne(pictures[placed_], static_cast<std::int32_t>(placed_));
    }
}

void SlotPlacer::placeOne(const FrameInfo& picture, std::int32_t index) {
    const double at =
        (static_cast<double>(picture.tick) - earliestTick_ + videoOffset_) / kSlotMilliseconds;
    // Truncated toward zero; far-off ticks stay far off instead of wrapping.
    if (!(at > -1.0) || at >= kSlotCount) return;
    std::int32_t slot = static_cast<std::int32_t>(at);
    if (slot < 0 || slot + 1 >= kSlotCount) return;
    std::int32_t& here = slots_[static_cast<std::size_t>(slot)];
    std::int32_t& next = slots_[static_cast<std::size_t>(slot) + 1];
    if (here == kEmpty) {
        here = index;
    } else if (next == kEmpty) {
        next = index;
        ++slot;
    } else {
        if (picture.isMarked()) passedMarks_.push_back(here);
        return;
    }
    // Kept up to date as slots fill, so that clear() always finds every one.
    slotCount_ = std::max(slotCount_, slot + 1);
}

}  // namespace tavrin
