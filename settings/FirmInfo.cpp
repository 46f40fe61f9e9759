#include "settings/FirmInfo.h"

#include <ctime>

#include "recording/Bcd.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

FirmInfo::~FirmInfo() = default;

std::uint8_t checkByte(const std::uint8_t* bytes, std::size_t from) {
    std::uint8_t check = 0;
    for (std::size_t i = from; i < FirmInfo::kRecordSize - 1; ++i) check ^= bytes[i];
    return check;
}

FirmInfo::Record* FirmInfo::find(std::uint16_t key) {
    const std::uint8_t high = static_cast<std::uint8_t>(key >> 8);
    const std::uint8_t low = static_cast<std::uint8_t>(key & 0xFF);
    for (int i = 0; i < count_; ++i) {
        Record& record = records_[static_cast<std::size_t>(i)];
        if (record[0] == high && record[1] == low) return &record;
    }
    return nullptr;
}

std::uint8_t* FirmInfo::findValue(std::uint16_t key) {
    Record* record = find(key);
    if (record == nullptr) throw FirmInfoException();
    return record->data() + 2;
}

const std::uint8_t* FirmInfo::findValue(std::uint16_t key) const {
    return const_cast<FirmInfo*>(this)->findValue(key);
}

std::uint8_t* FirmInfo::valueFor(std::uint16_t key) {
    if (Record* record = find(key)) return record->data() + 2;
    if (count_ == kMaxRecords) throw FirmInfoException();
    Record& record = records_[static_cast<std::size_t>(count_)];
    record.fill(0xFF);
    record[0] = static_cast<std::uint8_t>(key >> 8);
    record[1] = static_cast<std::uint8_t>(key & 0xFF);
    ++count_;
    return record.data() + 2;
}

void FirmInfo::setClock(std::int64_t seconds) {
    std::tm local{};
    if (!secondsToLocalTime(seconds, local)) throw FirmInfoException(loadMessage(5021));
    std::uint8_t* value = valueFor(kClockKey);
    value[0] = toBcd((local.tm_year + 1900) % 100);
    value[1] = toBcd(local.tm_mon + 1);
    value[2] = toBcd(local.tm_mday);
    value[3] = toBcd(local.tm_hour);
    value[4] = toBcd(local.tm_min);
}

void FirmInfo::setOneByte(std::uint16_t key, int n) { valueFor(key)[0] = toBcd(n); }

void FirmInfo::setBuzzer(int n) { setOneByte(kBuzzerKey, n); }

void FirmInfo::setRecordingMode(int n) { setOneByte(kRecordingModeKey, n); }

void FirmInfo::keepRecordsOf(const FirmInfo& old) {
    for (int i = 0; i < old.count_ && count_ < kMaxRecords; ++i) {
        const Record& kept = old.records_[static_cast<std::size_t>(i)];
        const std::uint16_t key = static_cast<std::uint16_t>((kept[0] << 8) | kept[1]);
        if (find(key) != nullptr) continue;
        std::uint8_t* value = valueFor(key);
        for (std::size_t b = 0; b < kValueSize + 1; ++b) value[b] = kept[2 + b];
    }
}

void FirmInfo::verifyFile(const Path& path) const {
    FirmInfo onDisk;
    onDisk.readFile(path);
    bool same = onDisk.count_ == count_;
    for (int i = 0; same && i < count_; ++i) {
        same =
            onDisk.records_[static_cast<std::size_t>(i)] == records_[static_cast<std::size_t>(i)];
    }
    if (!same) throw FirmInfoException(loadMessage(5007));
}

}  // namespace tavrin
