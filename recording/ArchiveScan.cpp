#include "recording/ArchiveScan.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

#include "recording/ByteSource.h"
#include "recording/DeviceTypeCode.h"
#include "recording/ScanObserver.h"
#include "recording/SlotPlacer.h"
#include "recording/TrackAssembler.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

constexpr std::size_t kResyncSearchBytes = 1048576;
// Letting the owner window handle its messages for every block would cost more than the scan
// itself where dispatching is slow; a few milliseconds apart keeps it just as responsive.
constexpr auto kDispatchInterval = std::chrono::milliseconds(8);
// Where reading the clock goes through the system (under Wine) it costs more than a block, so it
// is read every few blocks: some microseconds apart.
constexpr unsigned kBlocksPerClockReading = 16;

struct BlockHeader {
    std::int32_t length;
    std::uint32_t tick;
    std::int32_t payloadSize;
    std::uint8_t type;
    std::uint8_t sequence;
    std::uint32_t recordingId;
};

// The bytes were read into memory by another thread and wait in its core's cache: the next
// block's header is asked for while this block is dealt with, so that it is at hand when its turn
// comes (most blocks follow one another within what is in view; a guess past it costs nothing).
void prefetchNextHeader(const std::uint8_t* header, std::int32_t length) {
#if defined(__GNUC__)
    if (length <= static_cast<std::int32_t>(kBlockHeaderSize)) return;
    const auto next = reinterpret_cast<std::uintptr_t>(header) + static_cast<std::uint32_t>(length);
    __builtin_prefetch(reinterpret_cast<const void*>(next));
    __builtin_prefetch(reinterpret_cast<const void*>(next + kBlockHeaderSize + kSubHeaderSize - 1));
#else
    (void)header;
    (void)length;
#endif
}

BlockHeader parseBlockHeader(const std::uint8_t* h) {
    return {static_cast<std::int32_t>(readBigEndian32(h)), readBigEndian32(h + 4),
            static_cast<std::int32_t>(readBigEndian32(h + 8)), h[12], h[13],
            readBigEndian32(h + 28)};
}

class Scanner {
public:
    Scanner(ByteSource& reader, std::int64_t fileLength, const ArchiveHeaderInfo& header,
            bool collectSound, ScanObserver* observer, TrackAssembler* track, SlotPlacer* placer,
            ScanResult recycled)
        : track_(track),
          placer_(placer),
          reader_(reader),
          fileLength_(fileLength),
          header_(header),
          collectSound_(collectSound),
          observer_(observer),
          lastValidTime_(header.startTime),
          result_(std::move(recycled)) {}

    ScanResult run();

private:
    enum class Step { Continue, End };

    void reportProgress();
    void dispatchMessages();
    Step examineBlock();
    void startRecord(const BlockHeader& block, const std::uint8_t* raw, std::int64_t payloadStart);
    Step continuePicture(const BlockHeader& block, std::int64_t payloadStart);
    // Moves past the block's payload; false when the new position cannot be held (block
    // positions are 32-bit).
    bool skipRest(std::int64_t payloadStart, std::int32_t length);
    void discardIncompleteLast();
    void dropLastPicture();
    // The smallest tick of the pictures kept.
    double earliestKeptTick() const;
    void passToTrack(const FrameInfo& sound, std::int64_t payloadStart);
    // Places the pictures before the last, which no later block can drop.
    void placeFinishedPictures();

    TrackAssembler* track_;
    SlotPlacer* placer_;
    ByteSource& reader_;
    std::int64_t fileLength_;
    ArchiveHeaderInfo header_;
    bool collectSound_;
    ScanObserver* observer_;
    std::int64_t lastValidTime_;

    ScanResult result_;
    std::int64_t position_ = kFirstBlockOffset;
    int expectedSequence_ = 1;
    int progressSteps_ = 0;
    bool deviceChecked_ = false;
    // The smallest tick of the pictures met, dropped ones included while none is dropped.
    double earliestPictureTick_ = std::numeric_limits<double>::max();
    bool droppedPicture_ = false;
    FrameTimeCache frameTimes_;
    std::chrono::steady_clock::time_point lastDispatch_{};
    unsigned blocksSinceClockReading_ = 0;
};

ScanResult Scanner::run() {
    // A picture takes at least a sector of the card.
    std::size_t most = static_cast<std::size_t>(std::max<std::int64_t>(fileLength_ / 512, 16));
    result_.pictures.reserve(std::min<std::size_t>(most, kSlotCount));
    while (result_.sounds.size() < static_cast<std::size_t>(kSlotCount)) {
        reportProgress();
        dispatchMessages();
        if (examineBlock() == Step::End) break;
        if (result_.pictures.size() >= static_cast<std::size_t>(kSlotCount)) break;
    }
    result_.earliestPictureTick = earliestKeptTick();
    return std::move(result_);
}

void Scanner::reportProgress() {
    std::int64_t eighth = fileLength_ / 8;
    if (eighth <= 0) return;
    std::int64_t q = position_ / eighth;
    // At most one step a block, and never past 90 before the scan ends.
    if (q != progressSteps_ && progressSteps_ < 8) {
        ++progressSteps_;
        if (observer_ != nullptr) observer_->showLoadingProgress(10 * progressSteps_ + 10);
    }
}

void Scanner::dispatchMessages() {
    if (observer_ == nullptr) return;
    if (blocksSinceClockReading_++ % kBlocksPerClockReading != 0) return;
    auto now = std::chrono::steady_clock::now();
    if (now - lastDispatch_ < kDispatchInterval) return;
    lastDispatch_ = now;
    observer_->dispatchPendingMessages();
}

Scanner::Step Scanner::examineBlock() {
    std::size_t available = 0;
    const std::uint8_t* raw = reader_.view(position_, kBlockHeaderSize + kSubHeaderSize, available);
    if (raw == nullptr || available < kBlockHeaderSize + kSubHeaderSize) {
        // Bytes left over, or a block that claimed more than the file holds.
        if (available > 0 || position_ > fileLength_) result_.diagnostics.cutOff.note(fileLength_);
        return Step::End;
    }
    const BlockHeader block = parseBlockHeader(raw);
    prefetchNextHeader(raw, block.length);
    const std::uint8_t* payload = raw + kBlockHeaderSize;
    const std::int64_t payloadStart = position_ + static_cast<std::int64_t>(kBlockHeaderSize);

    if (block.type != kSoundBlockType &&
        std::memcmp(payload + 2, kMakerPattern, kMakerPatternSize) != 0) {
        result_.diagnostics.resynchronised.note(position_);
        std::int64_t next = resyncToNextBlock(reader_, payloadStart);
        if (next < 0) return Step::End;
        position_ = next;
        return Step::Continue;
    }
    if (block.recordingId != header_.recordingId) {
        result_.diagnostics.foreignRecording.note(position_);
        discardIncompleteLast();
        return Step::End;
    }
    if (block.sequence != expectedSequence_) {
        result_.diagnostics.outOfSequence.note(position_);
        expectedSequence_ = 1;
        discardIncompleteLast();
        skipRest(payloadStart, block.length);
        return Step::Continue;
    }
    if (block.sequence == 1 || block.type != kPictureBlockType) {
        startRecord(block, raw, payloadStart);
        return Step::Continue;
    }
    return continuePicture(block, payloadStart);
}

void Scanner::startRecord(const BlockHeader& block, const std::uint8_t* raw,
                          std::int64_t payloadStart) {
    FrameInfo info;
    info.blockPositions[0] = static_cast<std::int32_t>(payloadStart);
    info.blockCount = 1;
    info.blockLength = block.length;
    info.tick = block.tick;
    if (header_.startTick >= static_cast<std::int64_t>(kTickWrapMargin) &&
        info.tick < header_.startTick - static_cast<std::int64_t>(kTickWrapMargin)) {
        info.tick += static_cast<std::int64_t>(kTickWrapAmount);
    }
    info.payloadSize = block.payloadSize;
    info.complete = static_cast<std::int64_t>(block.length) - static_cast<std::int64_t>(kBlockHeaderSize) >=
                    block.payloadSize;
    if (!info.complete) ++expectedSequence_;
    info.blockType = block.type;
    info.sequenceNumber = block.sequence;
    info.recordingId = block.recordingId;
    position_ = payloadStart;

    if (block.type == kPictureBlockType) {
        if (!deviceChecked_) {
            deviceChecked_ = true;
            const std::uint8_t* payload = raw + kBlockHeaderSize;
            if (payload[0] != deviceTypeCode.major || payload[1] != deviceTypeCode.minor) {
                throw VideoArchiveException(loadMessage(5510));
            }
            result_.sawValidPicture = true;
        }
        decodeMeasurements(raw, info);
        std::int64_t time = frameTimes_.timeOf(raw + 34);
        if (time == 0) {
            info.frameTime = lastValidTime_;
        } else {
            info.frameTime = time;
            lastValidTime_ = time;
        }
        if (block.length <= 0 || !skipRest(payloadStart, block.length)) {
            expectedSequence_ = 1;
            return;
        }
        result_.pictures.push_back(info);
        earliestPictureTick_ = std::min(earliestPictureTick_, static_cast<double>(info.tick));
        placeFinishedPictures();
    } else if (block.type == kSoundBlockType) {
        if (!collectSound_ || result_.sounds.size() >= static_cast<std::size_t>(kSlotCount)) {
            skipRest(payloadStart, block.length);
            return;
        }
        if (block.length <= 0) return;
        if (skipRest(payloadStart, block.length)) {
            if (result_.sounds.empty() || info.tick < result_.firstSoundTick) {
                result_.firstSoundTick = info.tick;
            }
            result_.sounds.push_back(info);
            passToTrack(info, payloadStart);
        }
    }
    // Any other type: nothing is skipped, so the next header is read at the payload start,
    // where the maker pattern is normally missing and the scan resynchronises.
}

Scanner::Step Scanner::continuePicture(const BlockHeader& block, std::int64_t payloadStart) {
    if (result_.pictures.empty() || result_.pictures.back().complete) {
        skipRest(payloadStart, block.length);
        return Step::Continue;
    }
    FrameInfo& picture = result_.pictures.back();
    const int sequence = block.sequence;
    // The record has room for ten block positions: a picture of more blocks is dropped rather
    // than written past them.
    if (sequence > kMaxBlocksPerPicture) {
        dropLastPicture();
        expectedSequence_ = 1;
        skipRest(payloadStart, block.length);
        return Step::Continue;
    }
    picture.blockPositions[static_cast<std::size_t>(sequence - 1)] = static_cast<std::int32_t>(payloadStart);
    const int blocks = ++picture.blockCount;
    const std::int64_t payloadSize = picture.payloadSize;
    if (payloadSize > blocks * kContinuationPictureBytes + static_cast<std::int64_t>(kSubHeaderSize)) {
        expectedSequence_ = sequence + 1;
        skipRest(payloadStart, block.length);
        return Step::Continue;
    }
    // The picture's last block: its stream must end with the JPEG end-of-image marker.
    const std::int64_t r = payloadSize - blocks * kContinuationPictureBytes + kContinuationPictureBytes;
    std::uint8_t tail[5];
    if (reader_.readAt(payloadStart + r - 5, tail, sizeof tail) != sizeof tail) {
        result_.diagnostics.cutOff.note(fileLength_);
        return Step::End;
    }
    bool endMarker = false;
    for (int i = 0; i + 1 < 5; ++i) endMarker = endMarker || (tail[i] == 0xFF && tail[i + 1] == 0xD9);
    if (endMarker) {
        picture.complete = true;
        expectedSequence_ = 1;
    } else {
        // The next picture is lost too: its first block arrives while this number is expected.
        result_.diagnostics.missingEndMarker.note(picture.blockPositions[0] -
                                                  static_cast<std::int64_t>(kBlockHeaderSize));
        dropLastPicture();
    }
    position_ = payloadStart + r;
    if (block.length > static_cast<std::int32_t>(kBlockHeaderSize)) {
        position_ += block.length - r - static_cast<std::int64_t>(kBlockHeaderSize);
    }
    // A size field too small for the blocks it spans would send the scan back over blocks it has
    // seen, round and round; it goes on from this block instead.
    if (position_ < payloadStart) position_ = payloadStart;
    return Step::Continue;
}

bool Scanner::skipRest(std::int64_t payloadStart, std::int32_t length) {
    std::int64_t next = payloadStart;
    std::uint32_t unsignedLength = static_cast<std::uint32_t>(length);
    if (unsignedLength > kBlockHeaderSize) next += unsignedLength - kBlockHeaderSize;
    // A skip that cannot be made leaves the scan at the payload start, as a failed seek would:
    // the scan always moves forward.
    if (next > std::numeric_limits<std::int32_t>::max()) {
        position_ = payloadStart;
        return false;
    }
    position_ = next;
    return true;
}

void Scanner::passToTrack(const FrameInfo& sound, std::int64_t payloadStart) {
    if (track_ == nullptr) return;
    std::size_t wanted = sound.payloadSize <= 0
                             ? 0
                             : std::min<std::size_t>(static_cast<std::size_t>(sound.payloadSize),
                                                     TrackAssembler::kMostSamplesPerBlock);
    std::size_t available = 0;
    const std::uint8_t* samples =
        wanted == 0 ? nullptr : reader_.view(payloadStart, wanted, available);
    track_->add(sound, samples, samples == nullptr ? 0 : available, earliestPictureTick_);
}

void Scanner::placeFinishedPictures() {
    if (placer_ == nullptr) return;
    // A picture begins only once the one before is complete or dropped, and only the last,
    // incomplete one is ever dropped. The earliest tick may still count a picture dropped since;
    // the placer finds that out at the end.
    placer_->placeUpTo(
        result_.pictures, result_.pictures.size() - 1, earliestPictureTick_,
        videoOffsetFor(earliestPictureTick_, !result_.sounds.empty(), result_.firstSoundTick));
}

void Scanner::discardIncompleteLast() {
    if (!result_.pictures.empty() && !result_.pictures.back().complete) dropLastPicture();
}

void Scanner::dropLastPicture() {
    result_.pictures.pop_back();
    droppedPicture_ = true;
}

double Scanner::earliestKeptTick() const {
    // Worked out as pictures came unless one was dropped: a damaged recording's pictures are
    // gone through once more.
    if (!droppedPicture_) return earliestPictureTick_;
    double earliest = std::numeric_limits<double>::max();
    for (const FrameInfo& picture : result_.pictures) {
        earliest = std::min(earliest, static_cast<double>(picture.tick));
    }
    return earliest;
}

}  // namespace

ScanResult scanArchiveBlocks(ByteSource& reader, std::int64_t fileLength,
                             const ArchiveHeaderInfo& header, bool collectSound,
                             ScanObserver* observer, TrackAssembler* track, SlotPlacer* placer,
                             ScanResult recycled) {
    recycled.pictures.clear();
    recycled.sounds.clear();
    recycled.earliestPictureTick = 0.0;
    recycled.firstSoundTick = 0;
    recycled.sawValidPicture = false;
    recycled.diagnostics = ScanDiagnostics();
    return Scanner(reader, fileLength, header, collectSound, observer, track, placer,
                   std::move(recycled))
        .run();
}

std::int64_t resyncToNextBlock(ByteSource& reader, std::int64_t payloadStart) {
    // Searched through views, overlapping by a pattern's length less one so that a pattern across
    // two views is found; damage can be frequent, so no megabyte is copied for it.
    constexpr std::size_t kOverlap = kMakerPatternSize - 1;
    std::size_t searched = 0;
    while (searched + kOverlap < kResyncSearchBytes) {
        const std::int64_t at = payloadStart + static_cast<std::int64_t>(searched);
        std::size_t available = 0;
        const std::uint8_t* bytes = reader.view(
            at, std::min(ByteSource::kMostViewed, kResyncSearchBytes - searched), available);
        if (bytes == nullptr || available < kMakerPatternSize) return -1;
        const std::uint8_t* found =
            std::search(bytes, bytes + available, kMakerPattern, kMakerPattern + kMakerPatternSize);
        if (found != bytes + available) {
            std::int64_t next =
                at + (found - bytes) - static_cast<std::int64_t>(kBlockHeaderSize) - 2;
            return next < 0 ? -1 : next;
        }
        if (available < ByteSource::kMostViewed) return -1;  // the end of the data
        searched += available - kOverlap;
    }
    return -1;
}

}  // namespace tavrin
