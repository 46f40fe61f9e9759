#pragma once

// The unit's clock times as text, in the local time the unit wrote them in.

#include <cstdint>
#include <string>

namespace tavrin::exporter {

// "2012-05-01 08:10:32"; empty for 0 (no valid time).
std::string formatDateTime(std::int64_t seconds);
// "20120501_081032", for file names; empty for 0.
std::string fileStamp(std::int64_t seconds);
// "YYYY-MM-DD hh:mm:ss" (a "T" also separates date and time) as the unit's local time; false
// when it is not such a text or names no real time (31 April, 25:00).
bool parseDateTime(const std::string& text, std::int64_t& seconds);

}  // namespace tavrin::exporter
