#include "recording/LocalTime.h"

#include <ctime>

#include "recording/Bcd.h"
#include "recording/Platform.h"

namespace tavrin {

std::int64_t makeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm calendar{};
    calendar.tm_year = year - 1900;
    calendar.tm_mon = month - 1;
    calendar.tm_mday = day;
    calendar.tm_hour = hour;
    calendar.tm_min = minute;
    calendar.tm_sec = second;
    calendar.tm_isdst = -1;
    return localTimeToSeconds(calendar);
}

std::int64_t bcdDateTimeOrZero(const std::uint8_t* bytes) {
    int year = 2000 + fromBcd(bytes[0]);
    int month = fromBcd(bytes[1]);
    int day = fromBcd(bytes[2]);
    int hour = fromBcd(bytes[3]);
    int minute = fromBcd(bytes[4]);
    int second = fromBcd(bytes[5]);
    std::int64_t seconds = makeLocalTime(year, month, day, hour, minute, second);
    if (seconds == -1) return 0;
    std::tm back{};
    if (!secondsToLocalTime(seconds, back)) return 0;
    bool same = back.tm_year + 1900 == year && back.tm_mon + 1 == month && back.tm_mday == day &&
                back.tm_hour == hour && back.tm_min == minute && back.tm_sec == second;
    return same ? seconds : 0;
}

bool isValidBcdDateTime(const std::uint8_t* bytes) { return bcdDateTimeOrZero(bytes) != 0; }

}  // namespace tavrin
