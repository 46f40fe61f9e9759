#pragma once

// Calendar arithmetic on the unit's local date and time, without the system's time zone: the
// unit's clock knows none, and the card must come out the same on every machine.

#include <cstdint>
#include <string>

#include "tools/cardgen/ArchiveBuilder.h"

namespace tavrin::cardgen {

// `time` moved by `seconds` (either sign), across days, months and years.
UnitTime addSeconds(const UnitTime& time, std::int64_t seconds);

// "2012-05-01 08:30:00"
std::string formatUnitTime(const UnitTime& time);

}  // namespace tavrin::cardgen
