#pragma once

// Constants of the recording archive the camera unit writes.

#include <cstddef>
#include <cstdint>

namespace tavrin {

constexpr std::size_t kArchiveHeaderSize = 32;
constexpr std::int64_t kFirstBlockOffset = 8192;
constexpr std::size_t kBlockHeaderSize = 64;
constexpr std::size_t kSubHeaderSize = 16;
// Picture bytes in a first block and in each continuation block (behind its sub-header).
constexpr std::int64_t kFirstBlockPictureBytes = 8128;
constexpr std::int64_t kContinuationPictureBytes = 8112;
// A picture has at most this many blocks; the frame record keeps one position per block.
constexpr int kMaxBlocksPerPicture = 10;
// The largest block the picture reader accepts.
constexpr std::int64_t kMaxBlockLength = 1048576;

constexpr std::uint8_t kPictureBlockType = 0x55;
constexpr std::uint8_t kSoundBlockType = 0xAA;
constexpr int kMarkedFrame = 0x20;

// Every stored picture (and every continuation sub-header) carries this at bytes 2..15.
constexpr std::size_t kMakerPatternSize = 14;
extern const std::uint8_t kMakerPattern[kMakerPatternSize];

// Written over the first 16 bytes of a stored picture to make it a standard JPEG stream again:
// start of image, two empty comments, then the marker whose segment the stored bytes continue.
constexpr std::size_t kJpegPrefixSize = 16;
extern const std::uint8_t kJpegPrefix[kJpegPrefixSize];

// The slot grid: pictures are shown at 28 per second, at most 30,000 per recording.
constexpr int kSlotCount = 30000;
constexpr double kSlotMilliseconds = 1000.0 / 28.0;

// The tick counter is 32 bits of milliseconds; a tick far below the recording's start tick has
// wrapped round.
constexpr std::uint64_t kTickWrapAmount = 0xFFFFFFFFu;
constexpr std::uint64_t kTickWrapMargin = 3600000;

// Largest picture bytes a picture of `blocks` blocks can hold.
constexpr std::int64_t pictureCapacity(int blocks) {
    return kFirstBlockPictureBytes + (blocks - 1) * kContinuationPictureBytes;
}

inline std::uint32_t readBigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

inline std::int16_t readBigEndian16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] << 8 | p[1]));
}

}  // namespace tavrin
