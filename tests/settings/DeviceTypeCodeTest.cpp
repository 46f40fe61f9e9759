#include <gtest/gtest.h>

#include "recording/DeviceTypeCode.h"
#include "tests/settings/SettingsFixtures.h"

namespace tavrin::test::firm {
namespace {

TEST(DeviceTypeCode, TakesFourHexDigitsAndKeepsTheCodeOtherwise) {
    struct Case {
        const wchar_t* text;
        int major, minor;  // 0x77, 0x66: the code was left as it was
    } cases[] = {
        {L"0403", 0x04, 0x03},
        {L"0510", 0x05, 0x10},
        {L"ffFF", 0xFF, 0xFF},
        {L"12", 0x00, 0x12},
        {L" 0a0bz", 0x0A, 0x0B},
        {L"0x0102", 0x01, 0x02},
        {L"-1", 0xFF, 0xFF},
        {L"10000", 0x77, 0x66},
        {L"", 0x77, 0x66},
        {L"xyz", 0x77, 0x66},
        {L"FFFFFFFFFFFFFFFFFF", 0x77, 0x66},
    };
    DeviceTypeCodeGuard guard;
    for (const Case& c : cases) {
        deviceTypeCode = {0x77, 0x66};
        loadDeviceTypeCode(c.text);
        EXPECT_EQ(deviceTypeCode.major, c.major) << c.text;
        EXPECT_EQ(deviceTypeCode.minor, c.minor) << c.text;
    }
}

}  // namespace
}  // namespace tavrin::test::firm
