#include "tools/export/OutputFile.h"

#include <algorithm>
#include <cstring>

#include "recording/TextEncoding.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

}  // namespace

Path joinPath(const Path& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

OutputFile::OutputFile(const Path& folder, const std::wstring& name)
    : name_(name), finalPath_(joinPath(folder, name)) {
    temporaryPath_ = createUniqueFile(folder.empty() ? Path(L".") : folder, L"tavrin-export-");
    if (temporaryPath_.empty()) {
        throw ExportError("cannot write into the folder " + toUtf8(folder) + ": " +
                          lastSystemError());
    }
    file_ = BinaryFile::createForWriting(temporaryPath_);
    if (!file_.isOpen()) fail("cannot write " + toUtf8(finalPath_));
    buffer_.reserve(kBufferBytes);
}

OutputFile::~OutputFile() {
    if (committed_) return;
    file_.close();
    if (!temporaryPath_.empty()) deleteFile(temporaryPath_);
}

void OutputFile::fail(const std::string& what) {
    const std::string reason = lastSystemError();
    file_.close();
    deleteFile(temporaryPath_);
    temporaryPath_.clear();
    throw ExportError(what + ": " + reason);
}

void OutputFile::write(const void* bytes, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    size_ += static_cast<std::int64_t>(count);
    while (count > 0) {
        if (buffer_.size() == kBufferBytes) flush();
        const std::size_t piece = std::min(count, kBufferBytes - buffer_.size());
        buffer_.insert(buffer_.end(), in, in + piece);
        in += piece;
        count -= piece;
    }
}

void OutputFile::flush() {
    if (buffer_.empty()) return;
    if (!file_.write(buffer_.data(), buffer_.size())) fail("cannot write " + toUtf8(finalPath_));
    // Hashed as it leaves for the disk, on the hash's own thread, while the next buffer fills.
    if (overwritten_) {
        buffer_.clear();
    } else {
        hash_.add(buffer_);
    }
}

void OutputFile::overwrite(std::int64_t offset, const void* bytes, std::size_t count) {
    const std::int64_t buffered = size_ - static_cast<std::int64_t>(buffer_.size());
    if (offset >= buffered) {
        // Not yet written, nor hashed.
        std::memcpy(buffer_.data() + (offset - buffered), bytes, count);
        return;
    }
    overwritten_ = true;
    flush();
    if (!file_.seek(offset) || !file_.write(bytes, count) || !file_.seek(size_)) {
        fail("cannot write " + toUtf8(finalPath_));
    }
}

std::string OutputFile::hashStoredFile() {
    BinaryFile stored = BinaryFile::openForReading(temporaryPath_);
    if (!stored.isOpen()) fail("cannot read back " + toUtf8(finalPath_));
    Sha256 hash;
    std::vector<std::uint8_t> chunk(kBufferBytes);
    std::int64_t total = 0;
    for (std::size_t got; (got = stored.read(chunk.data(), chunk.size())) > 0;) {
        hash.add(chunk.data(), got);
        total += static_cast<std::int64_t>(got);
    }
    if (total != size_) fail("cannot read back " + toUtf8(finalPath_));
    return hash.finishHex();
}

std::string OutputFile::commit(bool replace) {
    flush();
    file_.close();
    const std::string digest = overwritten_ ? hashStoredFile() : hash_.finishHex();
    if (!moveIntoPlace(temporaryPath_, finalPath_, replace)) {
        if (!replace && fileExists(finalPath_)) {
            deleteFile(temporaryPath_);
            temporaryPath_.clear();
            throw ExportError(toUtf8(finalPath_) + " exists; --force replaces it");
        }
        fail("cannot name " + toUtf8(finalPath_));
    }
    committed_ = true;
    return digest;
}

}  // namespace tavrin::exporter
