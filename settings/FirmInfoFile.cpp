#include <utility>
#include <vector>

#include "recording/DeviceTypeCode.h"
#include "settings/FirmInfo.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

constexpr std::size_t kFirmwarePrefixSize = 16;

// A file the writer made and has not handed over yet; it goes when the write fails.
class TemporaryFile {
public:
    explicit TemporaryFile(Path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) deleteFile(path_);
    }

    const Path& path() const { return path_; }
    void release() { path_.clear(); }

private:
    Path path_;
};

// One fixed name beside the target: a write cut off by a pulled card or a killed process leaves
// at most this one file, and the next write takes it over instead of adding another.
Path temporaryNameFor(const Path& path) { return path + L".tmp"; }

FirmInfoWriteHooks& writeHooks() {
    static FirmInfoWriteHooks hooks;
    return hooks;
}

void call(const std::function<void()>& hook) {
    if (hook) hook();
}

FirmInfoException writeFailure() { return FirmInfoException(loadMessage(5020)); }

bool isGoodHeader(const std::uint8_t* header) {
    return header[0] == 0x00 && header[1] == 0x01 && header[2] == deviceTypeCode.major &&
           header[3] == deviceTypeCode.minor && header[7] == checkByte(header, 1);
}

}  // namespace

void FirmInfo::readFile(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    if (!file.isOpen()) throw FirmInfoException(loadMessage(5019));
    count_ = 0;
    readHeaderAndRecords(file);
}

void FirmInfo::readFirmwareFile(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    if (!file.isOpen()) throw FirmInfoException(loadMessage(5019));
    count_ = 0;
    std::uint8_t prefix[kFirmwarePrefixSize];
    if (file.read(prefix, sizeof prefix) != sizeof prefix || !file.seek(kFirmwarePrefixSize)) {
        file.close();
        throw Exception(loadMessage(5019));
    }
    readHeaderAndRecords(file);
}

void FirmInfo::readHeaderAndRecords(BinaryFile& file) {
    std::uint8_t header[kRecordSize];
    if (file.read(header, sizeof header) != sizeof header || !isGoodHeader(header)) {
        file.close();
        throw Exception(loadMessage(5019));
    }
    // Records past the 78th could only be dropped, so the rest of the file is not read.
    Record record;
    while (count_ < kMaxRecords && file.read(record.data(), kRecordSize) == kRecordSize) {
        if (record[7] != checkByte(record.data(), 0)) continue;
        records_[static_cast<std::size_t>(count_++)] = record;
    }
    file.close();
}

void FirmInfo::writeFile(const Path& path, bool keepExisting) {
    if (keepExisting) {
        FirmInfo old;
        try {
            old.readFile(path);
        } catch (const Exception&) {
            old.count_ = 0;  // an unreadable file keeps nothing
        }
        keepRecordsOf(old);
    }

    std::vector<std::uint8_t> bytes = {
        0x00, 0x01, deviceTypeCode.major, deviceTypeCode.minor, 0xFF, 0xFF, 0xFF, 0x00};
    bytes[7] = checkByte(bytes.data(), 1);
    for (int i = 0; i < count_; ++i) {
        // The stored check byte is brought up to date too, so verifyFile compares like with like.
        Record& record = records_[static_cast<std::size_t>(i)];
        record[7] = checkByte(record.data(), 0);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }

    // A folder of that name is never touched: clearing its attributes would already change it.
    if (isDirectory(path)) throw writeFailure();

    // The new content goes to a file beside the old one and replaces it only once complete, so
    // a failure at any point leaves the card as it was.
    TemporaryFile temporary(temporaryNameFor(path));
    if (isDirectory(temporary.path())) throw writeFailure();
    setNormalAttributes(temporary.path());
    {
        BinaryFile out = BinaryFile::createForWriting(temporary.path());
        if (!out.isOpen() || !out.write(bytes.data(), bytes.size())) throw writeFailure();
    }
    call(writeHooks().beforeReplace);

    // The old file was left read-only, which the replacement would be refused for. Should the
    // replacement still fail, the old file gets back exactly the attributes it had.
    FileAttributes oldAttributes;
    const bool hadOld = readFileAttributes(path, oldAttributes);
    if (hadOld) setNormalAttributes(path);
    if (!replaceFile(temporary.path(), path)) {
        if (hadOld) restoreFileAttributes(path, oldAttributes);
        throw writeFailure();
    }
    temporary.release();
    setHiddenReadOnlyAttributes(path);
    call(writeHooks().afterReplace);
}

void setFirmInfoWriteHooksForTesting(FirmInfoWriteHooks hooks) { writeHooks() = std::move(hooks); }

}  // namespace tavrin
