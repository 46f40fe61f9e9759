#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "recording/DeviceTypeCode.h"
#include "tests/support/TestFolder.h"
#include "ui/Exception.h"

// Helpers for the settings-file tests, kept apart from the other subsystems' fixtures.
namespace tavrin::test::firm {

inline std::uint8_t xorOf(const Bytes& bytes, std::size_t from, std::size_t to) {
    std::uint8_t check = 0;
    for (std::size_t i = from; i < to; ++i) check ^= bytes[i];
    return check;
}

// A settings-file header for the given type code, with a correct check byte.
inline Bytes header(std::uint8_t major = 0x04, std::uint8_t minor = 0x03) {
    Bytes bytes = {0x00, 0x01, major, minor, 0xFF, 0xFF, 0xFF};
    bytes.push_back(xorOf(bytes, 1, 7));
    return bytes;
}

// A record with a correct check byte and `value` in its first value byte.
inline Bytes record(std::uint16_t key, std::uint8_t value, std::uint8_t second = 0xFF) {
    Bytes bytes = {static_cast<std::uint8_t>(key >> 8),
                   static_cast<std::uint8_t>(key),
                   value,
                   second,
                   0xFF,
                   0xFF,
                   0xFF};
    bytes.push_back(xorOf(bytes, 0, 7));
    return bytes;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// How a call failed: whether at all, whether as FirmInfoException, and with which text.
struct Failure {
    bool thrown = false;
    bool firmInfo = false;
    std::wstring text;
};

inline Failure failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return {true, dynamic_cast<const FirmInfoException*>(&e) != nullptr, e.message()};
    }
    return {};
}

// Puts the process-wide type code back as it was.
class DeviceTypeCodeGuard {
public:
    ~DeviceTypeCodeGuard() { deviceTypeCode = saved_; }

private:
    DeviceTypeCode saved_ = deviceTypeCode;
};

}  // namespace tavrin::test::firm
