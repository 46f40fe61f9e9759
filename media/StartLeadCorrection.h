#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrin {

// No output can have played more of its sound than the time since it started. Wine's waveform
// output reports 100 ms played the moment it starts (counted as played before it reaches the
// sound server), and the sound is heard that much later than the position says for as long as
// the output runs. How far the reported position leads the time since the start is measured
// over the output's first second (the middle of the readings, so that one late reading does not
// count), and when it is above zero that impossible part is taken off every reading from then
// on. A device that reports what it really played never leads, so its position is left as it is.
class StartLeadCorrection {
public:
    static constexpr std::uint32_t kSettleMs = 1000;

    // Output began at clock time `nowMs` (the millisecond clock).
    void start(std::uint32_t nowMs);
    // The position to report for `playedMs` played since the start, as read at `nowMs`.
    std::int32_t correct(std::int32_t playedMs, std::uint32_t nowMs);
    // The part taken off now, 0 for an honest device.
    std::int32_t leadMs() const { return lead_ > 0 ? lead_ : 0; }

private:
    std::uint32_t startMs_ = 0;
    // The leads read during the first second, as many as fit.
    std::array<std::int32_t, 64> leads_{};
    std::size_t readings_ = 0;
    std::int32_t lead_ = 0;
};

}  // namespace tavrin
