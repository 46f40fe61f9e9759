#include "tools/export/TimeText.h"

#include <cstdio>
#include <ctime>

#include "recording/LocalTime.h"
#include "recording/Platform.h"

namespace tavrin::exporter {

namespace {

std::string format(std::int64_t seconds, const char* pattern) {
    std::tm local{};
    if (seconds == 0 || !secondsToLocalTime(seconds, local)) return {};
    char text[32];
    std::strftime(text, sizeof text, pattern, &local);
    return text;
}

std::uint8_t bcd(int value) { return static_cast<std::uint8_t>(value / 10 * 16 + value % 10); }

}  // namespace

std::string formatDateTime(std::int64_t seconds) { return format(seconds, "%Y-%m-%d %H:%M:%S"); }

std::string fileStamp(std::int64_t seconds) { return format(seconds, "%Y%m%d_%H%M%S"); }

bool parseDateTime(const std::string& text, std::int64_t& seconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator,
                    &hour, &minute, &second, &used) != 7 ||
        static_cast<std::size_t>(used) != text.size() || (separator != ' ' && separator != 'T')) {
        return false;
    }
    // The unit's clock runs from 2000 to 2099; its times take the validity rule of its archives.
    if (year < 2000 || year > 2099 || month < 0 || day < 0 || hour < 0 || minute < 0 ||
        second < 0 || month > 99 || day > 99 || hour > 99 || minute > 99 || second > 99) {
        return false;
    }
    const std::uint8_t bytes[6] = {bcd(year - 2000), bcd(month),  bcd(day),
                                   bcd(hour),        bcd(minute), bcd(second)};
    seconds = bcdDateTimeOrZero(bytes);
    return seconds != 0;
}

}  // namespace tavrin::exporter
