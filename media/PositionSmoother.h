#pragma once

#include <cstdint>

namespace tavrin {

// Some output devices (Wine's among them) advance their played-bytes counter in steps of about
// 10 ms. Frames are 35.7 ms long and read once a tick, so such steps tip readings across frame
// boundaries and pictures get skipped in pairs. Between two steps of the device this lets the
// position run on with the millisecond clock, never more than one step ahead and never backwards.
class PositionSmoother {
public:
    static constexpr std::int32_t kMaxLeadMs = 10;

    // The position to report for the device's `deviceMs` read at clock time `nowMs`.
    std::int32_t smooth(std::int32_t deviceMs, std::uint32_t nowMs);
    // Output started, stopped or moved: the next reading is taken as it is.
    void reset() { valid_ = false; }

private:
    bool valid_ = false;
    std::int32_t lastDeviceMs_ = 0;
    std::uint32_t lastChangeAt_ = 0;
    std::int32_t lastReported_ = 0;
};

}  // namespace tavrin
