#pragma once

// Writes recording archives block by block, as the camera unit does, for the sample card
// generator and for tests that need archives with exact contents, damage included.

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::cardgen {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlockSize = 8192;
constexpr std::size_t kBlockHeaderSize = 64;
constexpr std::size_t kFirstBlockData = kBlockSize - kBlockHeaderSize;         // 8128
constexpr std::size_t kContinuationData = kBlockSize - kBlockHeaderSize - 16;  // 8112
constexpr std::uint8_t kPictureBlock = 0x55;
constexpr std::uint8_t kSoundBlock = 0xAA;

// Date and time as the unit writes it (local time); written as packed BCD.
struct UnitTime {
    int year = 2012;  // 2000..2099
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The measurements stored with a picture (header bytes 32..55 of its first block).
struct FrameFields {
    std::uint8_t mark = 0;  // 0x20 flags an event frame
    std::uint8_t fileGroup = 0;
    UnitTime time;
    std::int16_t accel[3] = {0, 0, 0};  // raw, 1/4096 G per unit
    int speed = 0;                      // 0..9999, stored as BCD
    int fileNumber = 0;                 // 0..9999, stored as BCD
    // Raw date bytes instead of `time` (for invalid dates such as 30 February).
    bool rawTime = false;
    std::uint8_t rawTimeBytes[6] = {};
};

struct ArchiveHeaderFields {
    UnitTime start;
    bool rawStart = false;
    std::uint8_t rawStartBytes[6] = {};
    std::uint32_t startTick = 0;
    std::uint32_t recordingId = 0x12345678;
};

class ArchiveBuilder {
public:
    explicit ArchiveBuilder(const ArchiveHeaderFields& header, std::uint8_t deviceMajor = 0x04,
                            std::uint8_t deviceMinor = 0x03);

    // A JPEG picture (a complete stream starting FF D8) stored as the unit stores it: its first
    // 16 bytes replaced by the device type code and the maker pattern, cut into as many blocks
    // as it needs. Options for damage:
    struct PictureOptions {
        std::uint32_t recordingId = 0;  // 0: the header's
        bool wrongDeviceCode = false;   // first two payload bytes not the device type code
        bool dropEndMarker = false;     // remove FF D9 from the end of the stream
        int stopAfterBlocks = 0;        // write only this many of its blocks (0: all)
        // Payload size field to write instead of the true size (0: the true size).
        std::uint32_t payloadSizeOverride = 0;
    };
    void addPicture(const Bytes& jpeg, std::uint32_t tick, const FrameFields& fields);
    void addPicture(const Bytes& jpeg, std::uint32_t tick, const FrameFields& fields,
                    const PictureOptions& options);

    // A sound block of 8-bit unsigned samples (13,183 per second).
    void addSound(const Bytes& samples, std::uint32_t tick, std::uint32_t recordingId = 0);

    // Bytes written as they are between blocks (garbage the scan must resynchronise over).
    void addRaw(const Bytes& bytes);

    // One block with an arbitrary header, for tests of the scan's rules.
    struct RawBlock {
        std::int32_t length = kBlockSize;
        std::uint32_t tick = 0;
        std::uint32_t payloadSize = 0;
        std::uint8_t type = kPictureBlock;
        std::uint8_t sequence = 1;
        std::uint32_t recordingId = 0;  // 0: the header's
        bool makerPattern = true;       // payload bytes 2..15 carry the maker pattern
        FrameFields fields;
        Bytes payload;  // written after the header (pattern applied over it)
    };
    void addBlock(const RawBlock& block);

    // Rounds every block written by addPicture and addSound up to a multiple of `bytes` with
    // zero padding (the length field counts the padding), as a unit writing whole card sectors
    // would. 1, the default, writes each block's last piece exactly.
    void setBlockAlignment(std::size_t bytes);

    const Bytes& bytes() const { return bytes_; }
    // Cuts the archive at `size` bytes (a card pulled out mid-write).
    void truncate(std::size_t size);
    bool writeTo(const std::string& utf8Path) const;

private:
    // Header plus `bodyBytes`, rounded up to the block alignment.
    std::size_t alignedLength(std::size_t bodyBytes) const;
    void appendBlockHeader(std::int32_t length, std::uint32_t tick, std::uint32_t payloadSize,
                           std::uint8_t type, std::uint8_t sequence, std::uint32_t recordingId,
                           const FrameFields* fields);
    ArchiveHeaderFields header_;
    std::uint8_t deviceMajor_;
    std::uint8_t deviceMinor_;
    std::size_t alignment_ = 1;
    Bytes bytes_;
};

// The 14-byte maker pattern: "HALVERN-OKA." and two zero bytes.
const Bytes& makerPattern();
std::uint8_t toBcd(int value);  // 0..99

}  // namespace tavrin::cardgen
