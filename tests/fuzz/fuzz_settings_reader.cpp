#include <cstddef>
#include <cstdint>

#include "settings/FirmInfo.h"
#include "ui/Exception.h"

namespace {

// Whatever was read must stay within the table and hold only records with a good check.
void checkTable(const tavrin::FirmInfo& table) {
    if (table.count() > tavrin::FirmInfo::kMaxRecords) __builtin_trap();
    for (int i = 0; i < table.count(); ++i) {
        const tavrin::FirmInfo::Record& record = table.record(i);
        if (record[7] != tavrin::checkByte(record.data(), 0)) __builtin_trap();
    }
}

}  // namespace

// Both readers over the same bytes: as a settings file and as the unit's firmware file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::FirmInfo table;
    try {
        table.readBytes(data, size);
    } catch (const tavrin::Exception&) {
    }
    checkTable(table);
    try {
        table.readFirmwareBytes(data, size);
    } catch (const tavrin::Exception&) {
    }
    checkTable(table);
    return 0;
}
