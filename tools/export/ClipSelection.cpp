#include "tools/export/ClipSelection.h"

#include <algorithm>
#include <cmath>

#include "tools/export/AviWriter.h"

namespace tavrin::exporter {

namespace {

bool hasSlots(const RecordingSummary& r) { return r.readable && r.slotCount > 0; }

bool follows(const RecordingSummary& previous, const RecordingSummary& next) {
    if (previous.lastFrameTime == 0 || next.startTime == 0) return false;
    return std::llabs(next.startTime - previous.lastFrameTime) <= kJoinSeconds;
}

// A run's slots numbered one after the other across its recordings.
class RunSlots {
public:
    RunSlots(const std::vector<RecordingSummary>& recordings, const std::vector<std::size_t>& run)
        : recordings_(recordings), run_(run) {
        std::int64_t total = 0;
        for (std::size_t r : run) {
            starts_.push_back(total);
            total += recordings[r].slotCount;
        }
        total_ = total;
    }
    std::int64_t total() const { return total_; }
    std::int64_t start(std::size_t position) const { return starts_[position]; }
    std::int64_t timeAt(std::int64_t slot) const {
        const std::size_t position = positionOf(slot);
        return recordings_[run_[position]]
            .slotTimes[static_cast<std::size_t>(slot - starts_[position])];
    }

    // The clip of run slots [first, end).
    Clip clip(std::int64_t first, std::int64_t end) const {
        Clip clip;
        for (std::size_t p = 0; p < run_.size(); ++p) {
            const std::int64_t from = std::max(first, starts_[p]);
            const std::int64_t to = std::min(end, starts_[p] + recordings_[run_[p]].slotCount);
            if (from >= to) continue;
            clip.pieces.push_back({run_[p], static_cast<std::int32_t>(from - starts_[p]),
                                   static_cast<std::int32_t>(to - starts_[p])});
        }
        return clip;
    }

private:
    std::size_t positionOf(std::int64_t slot) const {
        auto after = std::upper_bound(starts_.begin(), starts_.end(), slot);
        return static_cast<std::size_t>(after - starts_.begin()) - 1;
    }

    const std::vector<RecordingSummary>& recordings_;
    const std::vector<std::size_t>& run_;
    std::vector<std::int64_t> starts_;
    std::int64_t total_ = 0;
};

std::int64_t slotsFor(double seconds) {
    return static_cast<std::int64_t>(std::llround(std::max(seconds, 0.0) * kFramesPerSecond));
}

}  // namespace

std::int32_t Clip::frames() const {
    std::int32_t total = 0;
    for (const ClipPiece& p : pieces) total += p.endSlot - p.firstSlot;
    return total;
}

std::vector<std::vector<std::size_t>> joinedRuns(const std::vector<RecordingSummary>& recordings) {
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        if (!hasSlots(recordings[i])) continue;
        const bool joins = !runs.empty() && runs.back().back() == i - 1 &&
                           follows(recordings[i - 1], recordings[i]);
        if (!joins) runs.emplace_back();
        runs.back().push_back(i);
    }
    return runs;
}

std::vector<Clip> selectEvents(const std::vector<RecordingSummary>& recordings,
                               double beforeSeconds, double afterSeconds) {
    std::vector<Clip> clips;
    const std::int64_t before = slotsFor(beforeSeconds);
    const std::int64_t after = slotsFor(afterSeconds);
    for (const std::vector<std::size_t>& run : joinedRuns(recordings)) {
        const RunSlots slots(recordings, run);
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (std::size_t p = 0; p < run.size(); ++p) {
            for (const EventRun& event : recordings[run[p]].events) {
                const std::int64_t first = slots.start(p) + event.firstSlot - before;
                const std::int64_t end = slots.start(p) + event.lastSlot + 1 + after;
                spans.emplace_back(std::max<std::int64_t>(first, 0), std::min(end, slots.total()));
            }
        }
        std::sort(spans.begin(), spans.end());
        std::vector<std::pair<std::int64_t, std::int64_t>> merged;
        for (const auto& span : spans) {
            if (!merged.empty() && span.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, span.second);
            } else {
                merged.push_back(span);
            }
        }
        for (const auto& [first, end] : merged) clips.push_back(slots.clip(first, end));
    }
    return clips;
}

std::vector<Clip> selectSpan(const std::vector<RecordingSummary>& recordings, std::int64_t from,
                             std::int64_t to) {
    std::vector<Clip> clips;
    for (const std::vector<std::size_t>& run : joinedRuns(recordings)) {
        const RunSlots slots(recordings, run);
        std::int64_t first = -1;
        for (std::int64_t s = 0; s <= slots.total(); ++s) {
            const bool inside =
                s < slots.total() && slots.timeAt(s) >= from && slots.timeAt(s) < to;
            if (inside && first < 0) first = s;
            if (!inside && first >= 0) {
                clips.push_back(slots.clip(first, s));
                first = -1;
            }
        }
    }
    return clips;
}

std::vector<Clip> selectRecordings(const std::vector<RecordingSummary>& recordings) {
    std::vector<Clip> clips;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        if (!hasSlots(recordings[i])) continue;
        Clip clip;
        clip.pieces.push_back({i, 0, recordings[i].slotCount});
        clips.push_back(clip);
    }
    return clips;
}

}  // namespace tavrin::exporter
