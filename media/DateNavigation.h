#pragma once

// Stepping through a card's recordings a calendar day at a time. The list is in ascending start
// time; the days are local calendar days.

#include <cstdint>
#include <functional>

namespace tavrin {

struct CalendarDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The local calendar day of a start time (seconds since 1970 UTC); all zero when the system
// cannot convert it.
CalendarDay calendarDayOf(std::int64_t seconds);

bool isEarlierDay(const CalendarDay& a, const CalendarDay& b);
bool isSameDay(const CalendarDay& a, const CalendarDay& b);

// The recording to open for "previous date" from `current`: the first recording of the latest
// day before the current one. -1 when no recording lies on an earlier day.
std::int32_t previousDateIndex(std::int32_t current,
                               const std::function<CalendarDay(std::int32_t)>& dayAt);

}  // namespace tavrin
