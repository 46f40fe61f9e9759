#include "tools/cardgen/ArchiveBuilder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tavrin::cardgen {

namespace {

constexpr std::size_t kPreambleSize = 8192;
constexpr std::size_t kPrefixSize = 16;  // device code and maker pattern in front of a picture

void putBigEndian32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

void putBigEndian16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

// Four decimal digits as two BCD bytes, most significant first.
void putBcd4(std::uint8_t* p, int value) {
    value = std::clamp(value, 0, 9999);
    p[0] = toBcd(value / 100);
    p[1] = toBcd(value % 100);
}

void putUnitTime(std::uint8_t* p, const UnitTime& time) {
    p[0] = toBcd(time.year - 2000);
    p[1] = toBcd(time.month);
    p[2] = toBcd(time.day);
    p[3] = toBcd(time.hour);
    p[4] = toBcd(time.minute);
    p[5] = toBcd(time.second);
}

void putFrameFields(std::uint8_t* p, const FrameFields& fields) {
    p[0] = fields.mark;
    p[1] = fields.fileGroup;
    if (fields.rawTime) {
        std::copy(fields.rawTimeBytes, fields.rawTimeBytes + 6, p + 2);
    } else {
        putUnitTime(p + 2, fields.time);
    }
    for (int axis = 0; axis < 3; ++axis) {
        putBigEndian16(p + 8 + 2 * axis, static_cast<std::uint16_t>(fields.accel[axis]));
    }
    putBcd4(p + 14, fields.speed);
    putBcd4(p + 16, fields.fileNumber);
}

// The reader puts SOI, two empty comments and an APP0 marker in front of byte 16 of a stored
// picture, so what follows the 16 stored prefix bytes must be the body of an APP0 segment,
// starting with its length field. A stream without JFIF APP0 gets a minimal one.
const std::uint8_t kMinimalApp0Body[] = {0x00, 0x10, 'J',  'F',  'I',  'F',  0x00, 0x01,
                                         0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};

Bytes storedPicture(const Bytes& jpeg, std::uint8_t major, std::uint8_t minor) {
    Bytes stored{major, minor};
    const Bytes& pattern = makerPattern();
    stored.insert(stored.end(), pattern.begin(), pattern.end());
    const bool hasSoi = jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8;
    const std::size_t afterSoi = hasSoi ? 2 : 0;
    if (jpeg.size() >= afterSoi + 2 && jpeg[afterSoi] == 0xFF && jpeg[afterSoi + 1] == 0xE0) {
        stored.insert(stored.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(afterSoi + 2),
                      jpeg.end());
    } else {
        stored.insert(stored.end(), std::begin(kMinimalApp0Body), std::end(kMinimalApp0Body));
        stored.insert(stored.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(afterSoi),
                      jpeg.end());
    }
    return stored;
}

}  // namespace

const Bytes& makerPattern() {
    static const Bytes pattern{'H', 'A', 'L', 'V', 'E', 'R', 'N', '-', 'O', 'K', 'A', '.', 0, 0};
    return pattern;
}

std::uint8_t toBcd(int value) {
    value = std::clamp(value, 0, 99);
    return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10));
}

ArchiveBuilder::ArchiveBuilder(const ArchiveHeaderFields& header, std::uint8_t deviceMajor,
                               std::uint8_t deviceMinor)
    : header_(header),
      deviceMajor_(deviceMajor),
      deviceMinor_(deviceMinor),
      bytes_(kPreambleSize, 0) {
    if (header.rawStart) {
        std::copy(header.rawStartBytes, header.rawStartBytes + 6, bytes_.begin() + 2);
    } else {
        putUnitTime(bytes_.data() + 2, header.start);
    }
    putBigEndian32(bytes_.data() + 16, header.startTick);
    putBigEndian32(bytes_.data() + 28, header.recordingId);
}

void ArchiveBuilder::setBlockAlignment(std::size_t bytes) {
    alignment_ = std::max<std::size_t>(bytes, 1);
}

void ArchiveBuilder::addPicture(const Bytes& jpeg, std::uint32_t tick, const FrameFields& fields) {
    addPicture(jpeg, tick, fields, PictureOptions{});
}

void ArchiveBuilder::addPicture(const Bytes& jpeg, std::uint32_t tick, const FrameFields& fields,
                                const PictureOptions& options) {
    Bytes stored = storedPicture(jpeg, deviceMajor_, deviceMinor_);
    if (options.dropEndMarker && stored.size() >= kPrefixSize + 2 &&
        stored[stored.size() - 2] == 0xFF && stored.back() == 0xD9) {
        stored.resize(stored.size() - 2);
    }
    if (options.wrongDeviceCode) {
        stored[0] ^= 0xFF;
        stored[1] ^= 0xFF;
    }

    const std::size_t total = stored.size();
    const std::size_t blocks =
        total <= kFirstBlockData
            ? 1
            : 1 + (total - kFirstBlockData + kContinuationData - 1) / kContinuationData;
    const std::uint32_t sizeField = options.payloadSizeOverride != 0
                                        ? options.payloadSizeOverride
                                        : static_cast<std::uint32_t>(total);
    const std::uint32_t id = options.recordingId != 0 ? options.recordingId : header_.recordingId;
    const std::size_t written = options.stopAfterBlocks > 0
                                    ? std::min<std::size_t>(blocks, options.stopAfterBlocks)
                                    : blocks;

    std::size_t offset = 0;
    for (std::size_t b = 0; b < written; ++b) {
        const bool first = b == 0;
        const std::size_t piece =
            std::min(first ? kFirstBlockData : kContinuationData, total - offset);
        const std::size_t body = (first ? 0 : 16) + piece;
        // Every block but a picture's last is full; the last ends with the picture (or the
        // sector), which is where the reader expects the end-of-image marker.
        const std::size_t length = b + 1 < blocks ? kBlockSize : alignedLength(body);
        appendBlockHeader(static_cast<std::int32_t>(length), tick, sizeField, kPictureBlock,
                          static_cast<std::uint8_t>(b + 1), id, first ? &fields : nullptr);
        const std::size_t bodyStart = bytes_.size();
        if (!first) {
            bytes_.push_back(0);
            bytes_.push_back(0);
            bytes_.insert(bytes_.end(), makerPattern().begin(), makerPattern().end());
        }
        bytes_.insert(bytes_.end(), stored.begin() + static_cast<std::ptrdiff_t>(offset),
                      stored.begin() + static_cast<std::ptrdiff_t>(offset + piece));
        bytes_.resize(bodyStart + length - kBlockHeaderSize, 0);
        offset += piece;
    }
}

void ArchiveBuilder::addSound(const Bytes& samples, std::uint32_t tick, std::uint32_t recordingId) {
    const std::size_t length = alignedLength(samples.size());
    appendBlockHeader(static_cast<std::int32_t>(length), tick,
                      static_cast<std::uint32_t>(samples.size()), kSoundBlock, 1,
                      recordingId != 0 ? recordingId : header_.recordingId, nullptr);
    const std::size_t bodyStart = bytes_.size();
    bytes_.insert(bytes_.end(), samples.begin(), samples.end());
    bytes_.resize(bodyStart + length - kBlockHeaderSize, 0);
}

void ArchiveBuilder::addRaw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveBuilder::addBlock(const RawBlock& block) {
    appendBlockHeader(block.length, block.tick, block.payloadSize, block.type, block.sequence,
                      block.recordingId != 0 ? block.recordingId : header_.recordingId,
                      &block.fields);
    Bytes payload = block.payload;
    if (block.makerPattern) {
        if (payload.size() < kPrefixSize) payload.resize(kPrefixSize, 0);
        std::copy(makerPattern().begin(), makerPattern().end(), payload.begin() + 2);
    }
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
}

void ArchiveBuilder::truncate(std::size_t size) {
    if (size < bytes_.size()) bytes_.resize(size);
}

bool ArchiveBuilder::writeTo(const std::string& utf8Path) const {
    // Through a filesystem path, so a UTF-8 name reaches Windows as wide text, not code page 932.
    std::ofstream out(std::filesystem::u8path(utf8Path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes_.data()),
              static_cast<std::streamsize>(bytes_.size()));
    out.close();
    return !out.fail();
}

std::size_t ArchiveBuilder::alignedLength(std::size_t bodyBytes) const {
    const std::size_t exact = kBlockHeaderSize + bodyBytes;
    const std::size_t rounded = (exact + alignment_ - 1) / alignment_ * alignment_;
    // Padding never makes a block longer than a full one.
    return std::min(rounded, std::max(exact, kBlockSize));
}

void ArchiveBuilder::appendBlockHeader(std::int32_t length, std::uint32_t tick,
                                       std::uint32_t payloadSize, std::uint8_t type,
                                       std::uint8_t sequence, std::uint32_t recordingId,
                                       const FrameFields* fields) {
    std::uint8_t header[kBlockHeaderSize] = {};
    putBigEndian32(header, static_cast<std::uint32_t>(length));
    putBigEndian32(header + 4, tick);
    putBigEndian32(header + 8, payloadSize);
    header[12] = type;
    header[13] = sequence;
    putBigEndian32(header + 28, recordingId);
    if (fields != nullptr) putFrameFields(header + 32, *fields);
    bytes_.insert(bytes_.end(), header, header + kBlockHeaderSize);
}

}  // namespace tavrin::cardgen
