#include "recording/DeviceTypeCode.h"

#include <cwchar>

namespace tavrin {

DeviceTypeCode deviceTypeCode;

void loadDeviceTypeCode(const std::wstring& text) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    long value = std::wcstol(begin, &end, 16);
    // The limit is compared signed, so a negative number passes with its low 16 bits; the text is
    // our own resource, and the unit's files are matched against whatever it gives.
    if (end == begin || value > 0xFFFF) return;
    const unsigned long bits = static_cast<unsigned long>(value);
    deviceTypeCode.major = static_cast<std::uint8_t>((bits >> 8) & 0xFF);
    deviceTypeCode.minor = static_cast<std::uint8_t>(bits & 0xFF);
}

}  // namespace tavrin
