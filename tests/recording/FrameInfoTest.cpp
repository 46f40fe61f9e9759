#include <gtest/gtest.h>

#include <cstring>

#include "recording/FrameInfo.h"
#include "recording/LocalTime.h"

namespace tavrin {
namespace {

// A block header whose frame information is `fields` (24 bytes from offset 32).
std::array<std::uint8_t, 64> headerWith(std::initializer_list<std::uint8_t> fields) {
    std::array<std::uint8_t, 64> header{};
    std::copy(fields.begin(), fields.end(), header.begin() + 32);
    return header;
}

TEST(DecodeFrameInformation, DecodesEveryField) {
    auto header = headerWith({0x20, 0x07, 0x12, 0x03, 0x31, 0x23, 0x59, 0x58,  // mark, group, date
                              0xFF, 0x00, 0x00, 0x01, 0x10, 0x00,              // accel X, Y, Z
                              0x00, 0x45, 0x12, 0x34});                        // speed, file no.
    FrameInfo info;
    std::int64_t time = decodeFrameInformation(header.data(), info);
    EXPECT_EQ(time, makeLocalTime(2012, 3, 31, 23, 59, 58));
    EXPECT_EQ(info.markByte, 0x20);
    EXPECT_TRUE(info.isMarked());
    EXPECT_EQ(info.fileGroupNumber, 7);
    EXPECT_DOUBLE_EQ(info.accelerationX, -256 * 0.00024414);
    EXPECT_DOUBLE_EQ(info.accelerationY, 0.00024414);
    EXPECT_DOUBLE_EQ(info.accelerationZ, 4096 * 0.00024414);
    EXPECT_NEAR(info.accelerationMagnitude, 1.0019487, 1e-6);
    EXPECT_EQ(info.speed, 45);
    EXPECT_EQ(info.fileNumber, 1234);
}

TEST(DecodeFrameInformation, LimitsSpeedAndMagnitude) {
    struct Case {
        std::uint8_t speed[2];
        int expectedSpeed;
    } cases[] = {{{0x01, 0x99}, 180}, {{0x01, 0x80}, 180}, {{0x01, 0x79}, 179}, {{0x00, 0x00}, 0}};
    for (const Case& c : cases) {
        auto header = headerWith({0, 0, 0, 0, 0, 0, 0, 0, 0x7F, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF,
                                  c.speed[0], c.speed[1]});
        FrameInfo info;
        EXPECT_EQ(decodeFrameInformation(header.data(), info), 0);  // no valid date
        EXPECT_EQ(info.speed, c.expectedSpeed);
        // Full scale on all three axes would be about 13.86 G.
        EXPECT_EQ(info.accelerationMagnitude, 2.0);
    }
}

TEST(FrameTimeCache, GivesWhatConvertingEachSecondGives) {
    // Every value of the seconds byte (those past 59 included) of minutes at the ends of a day, a
    // month and a year, on a leap day, in daylight-saving changes where the zone has them, and of
    // dates that do not exist; once minute by minute and once switching minutes every second.
    const std::uint8_t minutes[][5] = {
        {0x12, 0x03, 0x04, 0x10, 0x00}, {0x12, 0x03, 0x04, 0x23, 0x59},
        {0x12, 0x02, 0x29, 0x23, 0x59}, {0x12, 0x12, 0x31, 0x23, 0x59},
        {0x12, 0x03, 0x25, 0x02, 0x30}, {0x12, 0x10, 0x28, 0x02, 0x30},
        {0x12, 0x03, 0x11, 0x02, 0x30}, {0x12, 0x11, 0x04, 0x01, 0x30},
        {0x12, 0x02, 0x30, 0x00, 0x00}, {0x12, 0x04, 0x31, 0x10, 0x00},
        {0x12, 0x03, 0x04, 0x24, 0x00}, {0x12, 0x03, 0x04, 0x10, 0x60},
    };
    for (bool switching : {false, true}) {
        FrameTimeCache cache;
        for (int outer = 0; outer < 256; ++outer) {
            for (const auto& minute : minutes) {
                for (int inner = 0; inner < (switching ? 1 : 256); ++inner) {
                    const int second = switching ? outer : inner;
                    const std::uint8_t bcd[6] = {minute[0], minute[1], minute[2],
                                                 minute[3], minute[4], static_cast<std::uint8_t>(second)};
                    ASSERT_EQ(cache.timeOf(bcd), bcdDateTimeOrZero(bcd))
                        << std::hex << int(minute[1]) << "-" << int(minute[2]) << " "
                        << int(minute[3]) << ":" << int(minute[4]) << ":" << second;
                }
            }
            if (!switching) break;
        }
    }
}

}  // namespace
}  // namespace tavrin
