#pragma once

#include <cstdint>

namespace tavrin {

// No output can have played more of its sound than the time since it started. Wine's waveform
// output reports 100 ms played the moment it starts (its own buffer, counted as played before it
// reaches the sound server), and the sound is heard that much later than the position says for
// as long as the output runs. The smallest lead of the reported position over the time since the
// start, when it is above zero, is that impossible part, and it is taken off every reading. A
// device that reports what it really played never leads, so its position is left as it is. The
// lead only ever shrinks: where the count falls behind the time that passes (it stands still, or
// runs slow for a few seconds after the start) the sound has been heard on all the same, and the
// part to take off is smaller by as much.
class StartLeadCorrection {
public:
    // Output began at clock time `nowMs` (the millisecond clock).
    void start(std::uint32_t nowMs);
    // The position to report for `playedMs` played since the start, as read at `nowMs`.
    std::int32_t correct(std::int32_t playedMs, std::uint32_t nowMs);
    // The part taken off now, 0 for an honest device.
    std::int32_t leadMs() const { return lead_ > 0 ? lead_ : 0; }

private:
    bool hasReading_ = false;
    std::uint32_t startMs_ = 0;
    std::int32_t lead_ = 0;
};

}  // namespace tavrin
