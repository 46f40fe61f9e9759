#include <cstddef>
#include <cstdint>

#include "recording/Platform.h"
#include "settings/FirmInfo.h"
#include "ui/Exception.h"

// Both readers over the same bytes; the file is reused across runs and removed at exit.
namespace {

struct InputFile {
    tavrin::Path path = tavrin::createUniqueFile(tavrin::temporaryFolder(), L"fzs");
    ~InputFile() {
        if (!path.empty()) tavrin::deleteFile(path);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile input;
    if (input.path.empty()) return 0;
    {
        tavrin::BinaryFile file = tavrin::BinaryFile::createForWriting(input.path);
        if (!file.write(data, size)) return 0;
    }
    tavrin::FirmInfo table;
    try {
        table.readFile(input.path);
    } catch (const tavrin::Exception&) {
    }
    try {
        table.readFirmwareFile(input.path);
    } catch (const tavrin::Exception&) {
    }
    // Whatever was read must stay within the table and hold only records with a good check.
    for (int i = 0; i < table.count(); ++i) {
        const tavrin::FirmInfo::Record& record = table.record(i);
        if (record[7] != tavrin::checkByte(record.data(), 0)) __builtin_trap();
    }
    if (table.count() > tavrin::FirmInfo::kMaxRecords) __builtin_trap();
    return 0;
}
