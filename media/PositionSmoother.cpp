#include "media/PositionSmoother.h"

#include <algorithm>

namespace tavrin {

std::int32_t PositionSmoother::smooth(std::int32_t deviceMs, std::uint32_t nowMs) {
    if (!valid_ || deviceMs != lastDeviceMs_) {
        // A step of the device, or a jump (seek, reset): its own reading is the truth, except
        // that a step arriving a little late does not pull the clock back behind what was told.
        const bool continuing = valid_ && deviceMs > lastDeviceMs_ &&
                                deviceMs - lastDeviceMs_ <= 4 * kMaxLeadMs;
        const std::int32_t reported = continuing ? std::max(deviceMs, lastReported_) : deviceMs;
        valid_ = true;
        lastDeviceMs_ = deviceMs;
        lastChangeAt_ = nowMs;
        lastReported_ = reported;
        return reported;
    }
    const std::uint32_t since = nowMs - lastChangeAt_;
    const std::int32_t lead = static_cast<std::int32_t>(std::min<std::uint32_t>(since, kMaxLeadMs));
    lastReported_ = std::max(lastReported_, deviceMs + lead);
    return lastReported_;
}

}  // namespace tavrin
