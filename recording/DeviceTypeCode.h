#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// The two bytes that mark the unit's data format: they start every stored picture of an archive
// and the header of the settings and firmware files.
struct DeviceTypeCode {
    std::uint8_t major = 0x04;
    std::uint8_t minor = 0x03;
};

// Set once at start-up, read by every reader and writer of the card's files.
extern DeviceTypeCode deviceTypeCode;

// Takes the code from its text (four hexadecimal digits, message 5087). Text that yields no
// number, or a number above 0xFFFF, leaves the code as it was.
void loadDeviceTypeCode(const std::wstring& text);

}  // namespace tavrin
