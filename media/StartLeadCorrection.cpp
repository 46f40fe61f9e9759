#include "media/StartLeadCorrection.h"

#include <algorithm>

namespace tavrin {

void StartLeadCorrection::start(std::uint32_t nowMs) {
    startMs_ = nowMs;
    readings_ = 0;
    lead_ = 0;
}

std::int32_t StartLeadCorrection::correct(std::int32_t playedMs, std::uint32_t nowMs) {
    // Unsigned difference: correct across the clock's wrap after 49.7 days.
    const std::uint32_t elapsed = nowMs - startMs_;
    if (elapsed <= kSettleMs && readings_ < leads_.size()) {
        leads_[readings_++] = playedMs - static_cast<std::int32_t>(elapsed);
        // The middle reading (the lower of the two middle ones), kept sorted as they come.
        std::sort(leads_.begin(), leads_.begin() + static_cast<std::ptrdiff_t>(readings_));
        lead_ = leads_[(readings_ - 1) / 2];
    }
    return playedMs - leadMs();
}

}  // namespace tavrin
