#include "tools/cardgen/FirmwareInfoFile.h"

#include <algorithm>

namespace tavrin::cardgen {

namespace {

std::uint8_t xorOf(const Bytes& bytes, std::size_t from, std::size_t to) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < to; ++i) x ^= bytes[i];
    return x;
}

}  // namespace

std::vector<SettingRecord> unitSettings(const UnitTime& clock) {
    return {
        {kClockKey,
         {toBcd(clock.year - 2000), toBcd(clock.month), toBcd(clock.day), toBcd(clock.hour),
          toBcd(clock.minute)}},
        {kBuzzerKey, {0x01}},
        {kRecordingModeKey, {0x01}},
        {kSensitivityKey, {0x03}},
    };
}

Bytes firmwareInfoFile(const std::string& prefix16, const std::vector<SettingRecord>& records,
                       std::uint8_t deviceMajor, std::uint8_t deviceMinor) {
    Bytes file(prefix16.begin(), prefix16.end());
    file.resize(16, 0);
    Bytes header{0x00, 0x01, deviceMajor, deviceMinor, 0xFF, 0xFF, 0xFF, 0x00};
    header[7] = xorOf(header, 1, 7);
    file.insert(file.end(), header.begin(), header.end());
    for (const SettingRecord& r : records) {
        Bytes record{static_cast<std::uint8_t>(r.key >> 8), static_cast<std::uint8_t>(r.key)};
        record.insert(record.end(), r.value.begin(),
                      r.value.begin() + std::min<std::size_t>(r.value.size(), 5));
        record.resize(7, 0xFF);
        record.push_back(xorOf(record, 0, 7));
        file.insert(file.end(), record.begin(), record.end());
    }
    return file;
}

}  // namespace tavrin::cardgen
