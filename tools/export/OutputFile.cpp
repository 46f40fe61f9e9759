#include "tools/export/OutputFile.h"

#include <algorithm>
#include <cstring>

#include "recording/TextEncoding.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// Enough that the disk and the hash rarely wait for each other, and with a writing thread the
// filling too.
constexpr std::size_t kBuffersHashedBehind = 4;
constexpr std::size_t kBuffersWrittenBehind = 8;

}  // namespace

Path joinPath(const Path& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

OutputFile::OutputFile(const Path& folder, const std::wstring& name, BackgroundHash* hash)
    : name_(name), finalPath_(joinPath(folder, name)), background_(hash) {
    temporaryPath_ = createUniqueFile(folder.empty() ? Path(L".") : folder, L"tavrin-export-");
    if (temporaryPath_.empty()) {
        throw ExportError("cannot write into the folder " + toUtf8(folder) + ": " +
                          lastSystemError());
    }
    file_ = BinaryFile::openForWriting(temporaryPath_);
    if (!file_.isOpen()) fail("cannot write " + toUtf8(finalPath_));
    std::size_t buffers = 1;
    if (background_ != nullptr) {
        // Through the cache the copying is a processor's work on whichever thread it is done, and
        // a thread of its own only competes with the filling and the hash; past it the disk
        // takes the buffers while the next ones fill.
        UncachedFile uncached = UncachedFile::openForWriting(temporaryPath_);
        if (uncached.isOpen()) writer_ = std::make_unique<WriteBehind>(file_, std::move(uncached));
        buffers = writer_ != nullptr ? kBuffersWrittenBehind : kBuffersHashedBehind;
    }
    for (std::size_t i = 0; i < buffers; ++i) buffers_.emplace_back(kBufferBytes);
    tickets_.assign(buffers, 0);
    writeTickets_.assign(buffers, 0);
}

OutputFile::~OutputFile() {
    if (committed_) return;
    writer_.reset();
    // The hash may still be reading the buffers.
    if (background_ != nullptr) background_->abandon(BackgroundHash::kWritten);
    file_.close();
    if (!temporaryPath_.empty()) deleteFile(temporaryPath_);
}

void OutputFile::fail(const std::string& what) { fail(what, lastSystemError()); }

void OutputFile::fail(const std::string& what, const std::string& reason) {
    writer_.reset();
    file_.close();
    deleteFile(temporaryPath_);
    temporaryPath_.clear();
    throw ExportError(what + ": " + reason);
}

void OutputFile::write(const void* bytes, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    size_ += static_cast<std::int64_t>(count);
    while (count > 0) {
        if (used_ == kBufferBytes) flush();
        const std::size_t piece = std::min(count, kBufferBytes - used_);
        std::memcpy(buffers_[current_].data() + used_, in, piece);
        used_ += piece;
        in += piece;
        count -= piece;
    }
}

void OutputFile::flush() {
    if (used_ == 0) return;
    const std::uint8_t* bytes = buffers_[current_].data();
    if (writer_ != nullptr) {
        writeTickets_[current_] = writer_->add(bytes, used_);
    } else if (!file_.write(bytes, used_)) {
        fail("cannot write " + toUtf8(finalPath_));
    }
    if (!overwritten_) {
        // Hashed as it leaves for the disk; with a background hash while the next buffer fills.
        if (background_ != nullptr) {
            tickets_[current_] = background_->add(BackgroundHash::kWritten, bytes, used_);
        } else {
            hash_.add(bytes, used_);
        }
    }
    current_ = (current_ + 1) % buffers_.size();
    used_ = 0;
    if (writer_ != nullptr && !writer_->waitUntilWritten(writeTickets_[current_])) {
        fail("cannot write " + toUtf8(finalPath_), writer_->failure());
    }
    if (background_ != nullptr)
        background_->waitUntilHashed(BackgroundHash::kWritten, tickets_[current_]);
}

void OutputFile::overwrite(std::int64_t offset, const void* bytes, std::size_t count) {
    const std::int64_t buffered = size_ - static_cast<std::int64_t>(used_);
    if (offset >= buffered) {
        // Not yet written, nor hashed.
        std::memcpy(buffers_[current_].data() + (offset - buffered), bytes, count);
        return;
    }
    overwritten_ = true;
    flush();
    drainWriter();
    if (background_ != nullptr) background_->abandon(BackgroundHash::kWritten);
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

void OutputFile::drainWriter() {
    if (writer_ != nullptr && !writer_->drain()) {
        fail("cannot write " + toUtf8(finalPath_), writer_->failure());
    }
}

std::string OutputFile::commit(bool replace) {
    flush();
    drainWriter();
    writer_.reset();
    file_.close();
    std::string digest;
    if (overwritten_) {
        digest = hashStoredFile();
    } else if (background_ != nullptr) {
        digest = background_->finishHex(BackgroundHash::kWritten);
    } else {
        digest = hash_.finishHex();
    }
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
