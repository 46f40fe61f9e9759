#pragma once

// Which slots of which recordings make each clip. Recordings that follow each other without a
// gap (the next one starts within two seconds of the last frame time of the one before) form one
// run, in which a clip may cross from one recording into the next; elsewhere a clip ends and the
// next one starts.

#include <cstdint>
#include <vector>

#include "tools/export/Card.h"

namespace tavrin::exporter {

constexpr std::int64_t kJoinSeconds = 2;

// Slots [firstSlot, endSlot) of one recording.
struct ClipPiece {
    std::size_t recording = 0;
    std::int32_t firstSlot = 0;
    std::int32_t endSlot = 0;
    bool operator==(const ClipPiece& o) const {
        return recording == o.recording && firstSlot == o.firstSlot && endSlot == o.endSlot;
    }
};

struct Clip {
    std::vector<ClipPiece> pieces;
    std::int32_t frames() const;
};

// Indices of recordings joined into runs, in card order; unreadable recordings and recordings
// without pictures belong to no run.
std::vector<std::vector<std::size_t>> joinedRuns(const std::vector<RecordingSummary>& recordings);

// One clip per event (a run of marked slots), from `beforeSeconds` before its first marked slot
// to `afterSeconds` after its last; clips whose spans overlap or touch are merged.
std::vector<Clip> selectEvents(const std::vector<RecordingSummary>& recordings,
                               double beforeSeconds, double afterSeconds);
// The slots whose unit clock time t satisfies from <= t < to.
std::vector<Clip> selectSpan(const std::vector<RecordingSummary>& recordings, std::int64_t from,
                             std::int64_t to);
// Every readable recording whole, one clip each.
std::vector<Clip> selectRecordings(const std::vector<RecordingSummary>& recordings);

}  // namespace tavrin::exporter
