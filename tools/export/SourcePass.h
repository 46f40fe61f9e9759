#pragma once

// An archive read from front to back in large pieces for the pictures of a clip and, in the same
// pass, for the checksum of the whole file: each piece is hashed while the pictures are taken
// from it. The archive is so read once for both, in a few large reads instead of one per block.
// Bytes behind the piece in hand (a picture stored out of order) are read directly.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/ByteSource.h"
#include "recording/Platform.h"
#include "tools/export/BackgroundHash.h"
#include "tools/export/PageBuffer.h"

namespace tavrin::exporter {

class SourcePass : public ByteSource {
public:
    static constexpr std::size_t kPieceBytes = 2 << 20;

    // Opens the archive at `path`; throws ExportError when it cannot. The whole file is hashed on
    // the read stream of `hash` (which must outlive the pass); with none (the checksum is known)
    // only what is asked for is read.
    SourcePass(const Path& path, BackgroundHash* hash, std::size_t pieceBytes = kPieceBytes);
    SourcePass(const SourcePass&) = delete;
    SourcePass& operator=(const SourcePass&) = delete;
    ~SourcePass() override;

    std::int64_t length() const override { return length_; }
    const std::uint8_t* view(std::int64_t offset, std::size_t wanted,
                             std::size_t& available) override;
    std::size_t readAt(std::int64_t offset, void* out, std::size_t size) override;

    // Reads the rest of the file and returns its SHA-256 in hexadecimal (a pass with a hash
    // only). Throws ExportError when the file cannot be read to its end or the export is
    // interrupted.
    std::string finishHex();

private:
    // Brings the piece holding `offset` in hand; false past the end of what can be read.
    bool reach(std::int64_t offset);
    // Reads the next piece; false when nothing more can be read.
    bool readNextPiece();

    Path path_;
    BinaryFile file_;
    std::int64_t length_ = 0;
    BackgroundHash* hash_;
    std::size_t pieceBytes_;
    // Pieces in turn: the next is read while the hash still reads those before it.
    std::vector<PageBuffer> pieces_;
    std::vector<std::uint64_t> tickets_;  // of each piece on the hash
    std::size_t current_ = 0;
    std::int64_t pieceStart_ = 0;  // file offset of the piece in hand
    std::size_t pieceLength_ = 0;
    std::int64_t nextRead_ = 0;  // where the next piece starts
    bool atEnd_ = false;         // a read came short: the end of the file, or a read error
    std::vector<std::uint8_t> viewed_;
};

}  // namespace tavrin::exporter
