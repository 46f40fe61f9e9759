#include <gtest/gtest.h>

#include "tools/cardgen/FirmwareInfoFile.h"

namespace tavrin::cardgen {
namespace {

TEST(FirmwareInfoFileTest, LayoutAndCheckBytes) {
    const std::vector<SettingRecord> records = {{kBuzzerKey, {0x01}},
                                                {kClockKey, {0x12, 0x05, 0x03, 0x10, 0x07}},
                                                {0xABCD, {1, 2, 3, 4, 5, 6, 7}}};
    struct Case {
        std::uint8_t major, minor;
        Bytes header;
    };
    const Case cases[] = {{0x04, 0x03, {0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0xF9}},
                          {0x12, 0x34, {0x00, 0x01, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xD8}}};
    for (const Case& c : cases) {
        const Bytes file = firmwareInfoFile("FW 9.99", records, c.major, c.minor);
        ASSERT_EQ(file.size(), 16u + 8 + 3 * 8);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 16),
                  (Bytes{'F', 'W', ' ', '9', '.', '9', '9', 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 24), c.header);
        EXPECT_EQ(Bytes(file.begin() + 24, file.begin() + 32),
                  (Bytes{0x03, 0x06, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x04}));
        EXPECT_EQ(Bytes(file.begin() + 32, file.begin() + 40),
                  (Bytes{0x01, 0x01, 0x12, 0x05, 0x03, 0x10, 0x07, 0x03}));
        // Values longer than five bytes are cut.
        EXPECT_EQ(Bytes(file.begin() + 40, file.begin() + 48),
                  (Bytes{0xAB, 0xCD, 1, 2, 3, 4, 5, 0xAB ^ 0xCD ^ 1 ^ 2 ^ 3 ^ 4 ^ 5}));
    }
}

TEST(FirmwareInfoFileTest, UnitSettingsCarryBuzzerModeAndClock) {
    const auto records = unitSettings(UnitTime{2012, 5, 3, 10, 7, 57});
    auto valueOf = [&](std::uint16_t key) {
        for (const auto& r : records) {
            if (r.key == key) return r.value;
        }
        return Bytes{};
    };
    EXPECT_EQ(valueOf(kBuzzerKey), Bytes{0x01});
    EXPECT_EQ(valueOf(kRecordingModeKey), Bytes{0x01});
    EXPECT_EQ(valueOf(kClockKey), (Bytes{0x12, 0x05, 0x03, 0x10, 0x07}));
    EXPECT_GE(records.size(), 4u);
}

}  // namespace
}  // namespace tavrin::cardgen
