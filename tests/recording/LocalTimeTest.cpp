#include <gtest/gtest.h>

#include "recording/LocalTime.h"
#include "recording/Platform.h"

namespace tavrin {
namespace {

TEST(IsValidBcdDateTime, AcceptsRealTimesOnly) {
    struct Case {
        std::uint8_t bytes[6];
        bool valid;
    } cases[] = {
        {{0x12, 0x03, 0x31, 0x23, 0x59, 0x58}, true},
        {{0x12, 0x02, 0x29, 0x00, 0x00, 0x00}, true},   // 2012 is a leap year
        {{0x13, 0x02, 0x29, 0x00, 0x00, 0x00}, false},
        {{0x12, 0x02, 0x30, 0x10, 0x00, 0x00}, false},  // 30 February
        {{0x12, 0x04, 0x31, 0x10, 0x00, 0x00}, false},  // 31 April
        {{0x12, 0x05, 0x01, 0x25, 0x00, 0x00}, false},  // 25:00
        {{0x12, 0x05, 0x01, 0x10, 0x60, 0x00}, false},
        {{0x12, 0x13, 0x01, 0x10, 0x00, 0x00}, false},
        {{0x12, 0x00, 0x01, 0x10, 0x00, 0x00}, false},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, false},  // an unset clock
        {{0x99, 0x12, 0x31, 0x23, 0x59, 0x59}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidBcdDateTime(c.bytes), c.valid)
            << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]) << " " << int(c.bytes[2])
            << " " << int(c.bytes[3]) << " " << int(c.bytes[4]);
    }
}

TEST(MakeLocalTime, RoundTripsThroughTheLocalCalendar) {
    std::int64_t seconds = makeLocalTime(2012, 3, 31, 23, 59, 58);
    ASSERT_GT(seconds, 0);
    std::tm back{};
    ASSERT_TRUE(secondsToLocalTime(seconds, back));
    EXPECT_EQ(back.tm_year, 112);
    EXPECT_EQ(back.tm_mon, 2);
    EXPECT_EQ(back.tm_mday, 31);
    EXPECT_EQ(back.tm_hour, 23);
    EXPECT_EQ(back.tm_sec, 58);
    EXPECT_EQ(makeLocalTime(2012, 4, 1, 0, 0, 0) - seconds, 2);
    const std::uint8_t bytes[6] = {0x12, 0x03, 0x31, 0x23, 0x59, 0x58};
    EXPECT_EQ(bcdDateTimeOrZero(bytes), seconds);
}

}  // namespace
}  // namespace tavrin
