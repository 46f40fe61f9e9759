#include "media/StartLeadCorrection.h"

#include <algorithm>

namespace tavrin {

void StartLeadCorrection::start(std::uint32_t nowMs) {
    hasReading_ = false;
    startMs_ = nowMs;
}

std::int32_t StartLeadCorrection::correct(std::int32_t playedMs, std::uint32_t nowMs) {
    // Unsigned difference: correct across the clock's wrap after 49.7 days.
    const auto elapsed = static_cast<std::int32_t>(nowMs - startMs_);
    const std::int32_t lead = playedMs - elapsed;
    lead_ = hasReading_ ? std::min(lead_, lead) : lead;
    hasReading_ = true;
    return playedMs - leadMs();
}

}  // namespace tavrin
