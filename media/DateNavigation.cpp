#include "media/DateNavigation.h"

#include <ctime>
#include <tuple>

#include "recording/Platform.h"

namespace tavrin {

CalendarDay calendarDayOf(std::int64_t seconds) {
    std::tm local{};
    if (!secondsToLocalTime(seconds, local)) return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool isEarlierDay(const CalendarDay& a, const CalendarDay& b) {
    return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

bool isSameDay(const CalendarDay& a, const CalendarDay& b) {
    return !isEarlierDay(a, b) && !isEarlierDay(b, a);
}

std::int32_t previousDateIndex(std::int32_t current,
                               const std::function<CalendarDay(std::int32_t)>& dayAt) {
    const CalendarDay currentDay = dayAt(current);
    std::int32_t candidate = -1;
    CalendarDay target;
    // Walking back, the first earlier day fixes the target; the walk goes on over that day's
    // earlier recordings and ends at the first recording of a day before it.
    for (std::int32_t i = current - 1; i >= 0; --i) {
        const CalendarDay day = dayAt(i);
        if (candidate < 0) {
            if (isEarlierDay(day, currentDay)) {
                target = day;
                candidate = i;
            }
        } else if (isEarlierDay(day, target)) {
            break;
        } else {
            candidate = i;
        }
    }
    return candidate;
}

}  // namespace tavrin
