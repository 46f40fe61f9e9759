#pragma once

// FIRMINFO.DAT as the unit leaves it on the card: a 16-byte prefix of its own, the settings-file
// header with the device type code, then keyed 8-byte records.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/cardgen/ArchiveBuilder.h"

namespace tavrin::cardgen {

constexpr std::uint16_t kClockKey = 0x0101;
constexpr std::uint16_t kBuzzerKey = 0x0306;
constexpr std::uint16_t kRecordingModeKey = 0x1801;
constexpr std::uint16_t kSensitivityKey = 0x0801;

struct SettingRecord {
    std::uint16_t key = 0;
    Bytes value;  // up to 5 bytes; the rest is written as FF
};

// The unit's present settings: buzzer on, standard recording mode, its clock at `clock`, and a
// G-sensor sensitivity.
std::vector<SettingRecord> unitSettings(const UnitTime& clock);

Bytes firmwareInfoFile(const std::string& prefix16, const std::vector<SettingRecord>& records,
                       std::uint8_t deviceMajor = 0x04, std::uint8_t deviceMinor = 0x03);

}  // namespace tavrin::cardgen
