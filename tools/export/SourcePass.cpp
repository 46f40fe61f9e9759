#include "tools/export/SourcePass.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "recording/TextEncoding.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

// Enough that reading and hashing rarely wait for each other.
constexpr std::size_t kPiecesHashedBehind = 4;

}  // namespace

SourcePass::SourcePass(const Path& path, BackgroundHash* hash, std::size_t pieceBytes)
    : path_(path), hash_(hash), pieceBytes_(pieceBytes) {
    file_ = BinaryFile::openForReading(path);
    if (!file_.isOpen()) throw ExportError("cannot read " + toUtf8(path));
    length_ = file_.length();
    const std::size_t pieces = hash_ != nullptr ? kPiecesHashedBehind : 1;
    for (std::size_t i = 0; i < pieces; ++i) pieces_.emplace_back(pieceBytes_);
    tickets_.assign(pieces, 0);
}

SourcePass::~SourcePass() {
    // The hash may still be reading the pieces.
    if (hash_ != nullptr) hash_->abandon(BackgroundHash::kRead);
}

bool SourcePass::readNextPiece() {
    if (atEnd_) return false;
    current_ = (current_ + 1) % pieces_.size();
    if (hash_ != nullptr) hash_->waitUntilHashed(BackgroundHash::kRead, tickets_[current_]);
    std::uint8_t* bytes = pieces_[current_].data();
    // Direct reads may have moved the file.
    if (file_.position() != nextRead_ && !file_.seek(nextRead_)) {
        pieceLength_ = 0;
    } else {
        pieceLength_ = file_.read(bytes, pieceBytes_);
    }
    pieceStart_ = nextRead_;
    nextRead_ += static_cast<std::int64_t>(pieceLength_);
    atEnd_ = pieceLength_ < pieceBytes_;
    if (hash_ != nullptr && pieceLength_ > 0)
        tickets_[current_] = hash_->add(BackgroundHash::kRead, bytes, pieceLength_);
    return pieceLength_ > 0;
}

bool SourcePass::reach(std::int64_t offset) {
    while (offset >= pieceStart_ + static_cast<std::int64_t>(pieceLength_)) {
        // Unless the file is being hashed, what nobody asks for is not read.
        if (hash_ == nullptr && offset >= nextRead_ + static_cast<std::int64_t>(pieceBytes_)) {
            nextRead_ = offset - offset % static_cast<std::int64_t>(kPageSize);
        }
        if (!readNextPiece()) return false;
    }
    return true;
}

std::size_t SourcePass::readAt(std::int64_t offset, void* out, std::size_t size) {
    auto* into = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t at = offset + static_cast<std::int64_t>(done);
        if (at < pieceStart_) return done + file_.readAt(at, into + done, size - done);
        if (!reach(at)) return done;
        const auto within = static_cast<std::size_t>(at - pieceStart_);
        const std::size_t piece = std::min(size - done, pieceLength_ - within);
        std::memcpy(into + done, pieces_[current_].data() + within, piece);
        done += piece;
    }
    return done;
}

const std::uint8_t* SourcePass::view(std::int64_t offset, std::size_t wanted,
                                     std::size_t& available) {
    viewed_.resize(std::min(wanted, kMostViewed));
    available = readAt(offset, viewed_.data(), viewed_.size());
    return available == 0 ? nullptr : viewed_.data();
}

std::string SourcePass::finishHex() {
    if (hash_ == nullptr) throw std::logic_error("a source pass without a hash has no checksum");
    while (readNextPiece()) {
        if (interruptRequested()) throw ExportError("interrupted");
    }
    if (nextRead_ != length_) throw ExportError("cannot read " + toUtf8(path_) + " to its end");
    return hash_->finishHex(BackgroundHash::kRead);
}

}  // namespace tavrin::exporter
