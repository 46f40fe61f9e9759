#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "recording/Platform.h"

namespace tavrin {

// The keyed record table the unit and the viewer exchange through "KELM.INI" (written by the
// viewer) and "FIRMINFO.DAT" (written by the unit). A record is the key (high byte first), five
// value bytes (unused ones 0xFF) and a check byte, the XOR of the seven before it.
class FirmInfo {
public:
    static constexpr int kMaxRecords = 78;
    static constexpr std::size_t kRecordSize = 8;
    static constexpr std::size_t kValueSize = 5;
    using Record = std::array<std::uint8_t, kRecordSize>;

    static constexpr std::uint16_t kClockKey = 0x0101;
    static constexpr std::uint16_t kBuzzerKey = 0x0306;
    static constexpr std::uint16_t kRecordingModeKey = 0x1801;

    FirmInfo() = default;
    virtual ~FirmInfo();

    int count() const { return count_; }
    // Record `index` (0 to count - 1) as it stands; its check byte is brought up to date only
    // when the table is written.
    const Record& record(int index) const { return records_[static_cast<std::size_t>(index)]; }

    // The five value bytes of the first record with `key`. Absent: FirmInfoException, no text.
    std::uint8_t* findValue(std::uint16_t key);
    const std::uint8_t* findValue(std::uint16_t key) const;
    // As findValue, but an absent key gets a new record (all 0xFF but the key) at the end; a
    // full table throws FirmInfoException with no text.
    std::uint8_t* valueFor(std::uint16_t key);

    // The local date and time of `seconds` (since 1970 UTC) as year modulo 100, month, day, hour
    // and minute. A time the system cannot convert: FirmInfoException 5021, table unchanged.
    void setClock(std::int64_t seconds);
    // n (0-99; values outside are clamped) as one BCD byte.
    void setBuzzer(int n);
    void setRecordingMode(int n);

    // Replaces the table by the records of a settings file. Not openable: FirmInfoException
    // 5019; a short or foreign header: plain Exception 5019. Records with a wrong check byte and
    // records beyond the 78th are dropped.
    void readFile(const Path& path);
    // The same for the unit's firmware file, whose first 16 bytes are not examined.
    void readFirmwareFile(const Path& path);
    // Writes the table to `path`. With `keepExisting`, the records of the file already there
    // whose keys the table lacks are appended first, in their old order, as far as room allows.
    // The old file is replaced only by a completely written new one and is left as it was when
    // anything fails (FirmInfoException 5020). The result is hidden and read-only.
    void writeFile(const Path& path, bool keepExisting);
    // Reads `path` back: unless it holds exactly this table, FirmInfoException 5007. Failures of
    // the read pass through.
    void verifyFile(const Path& path) const;

private:
    Record* find(std::uint16_t key);
    void setOneByte(std::uint16_t key, int n);
    void readHeaderAndRecords(BinaryFile& file);
    void keepRecordsOf(const FirmInfo& old);

    std::array<Record, kMaxRecords> records_{};
    int count_ = 0;
};

// Lets tests stop a write where a pulled card or a killed process would, between the complete
// temporary file and the replacement, and change the file once it is in place, as a failing card
// would. Empty functions do nothing.
struct FirmInfoWriteHooks {
    std::function<void()> beforeReplace;
    std::function<void()> afterReplace;
};
void setFirmInfoWriteHooksForTesting(FirmInfoWriteHooks hooks);

// The check byte of a record or header: XOR of bytes `from` to 6.
std::uint8_t checkByte(const std::uint8_t* bytes, std::size_t from);

}  // namespace tavrin
