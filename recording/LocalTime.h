#pragma once

#include <cstdint>

namespace tavrin {

// Local calendar time to seconds since 1970-01-01 UTC, daylight saving left to the system;
// -1 when the system cannot convert it.
std::int64_t makeLocalTime(int year, int month, int day, int hour, int minute, int second);

// Six BCD bytes YY MM DD hh mm ss (year 2000 + YY) name a real local time: the conversion
// succeeds and converting back gives the same fields, so 31 April or 25:00 are rejected.
bool isValidBcdDateTime(const std::uint8_t* bytes);

// The time of six valid BCD bytes, or 0 when they are not valid.
std::int64_t bcdDateTimeOrZero(const std::uint8_t* bytes);

}  // namespace tavrin
