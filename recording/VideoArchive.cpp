#include "recording/VideoArchive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "recording/ArchiveHeader.h"
#include "recording/ArchiveScan.h"
#include "recording/DeviceTypeCode.h"
#include "recording/ScanObserver.h"
#include "recording/WindowedReader.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

VideoArchive::VideoArchive() : slots_(kSlotCount) {}

VideoArchive::~VideoArchive() { close(); }

void VideoArchive::close() {
    file_.close();
    for (std::int32_t i = 0; i < kSlotCount; ++i) slots_[static_cast<std::size_t>(i)].reset();
    slotCount_ = 0;
    currentPosition_ = -1;
    sound_.remove();
    soundDataBytes_ = 0;
    scanDiagnostics_ = ScanDiagnostics();
}

const FrameInfo* VideoArchive::slot(std::int32_t index) const {
    if (index < 0 || index >= kSlotCount) return nullptr;
    return slots_[static_cast<std::size_t>(index)].get();
}

void VideoArchive::open(const Path& path, ScanObserver* observer) {
    close();
    file_ = BinaryFile::openForReading(path);
    if (!file_.isOpen()) throw VideoArchiveException(loadMessage(5510));
    const std::int64_t fileLength = file_.length();

    if (!sound_.create()) {
        sound_.remove();
        if (observer != nullptr) observer->warnSoundUnavailable();
    }

    ArchiveHeaderInfo header = readArchiveHeader(file_);
    headerStartTime_ = header.startTime;
    startTick_ = header.startTick;
    recordingId_ = header.recordingId;

    WindowedReader reader(file_, scanWindow_);
    ScanResult scan =
        scanArchiveBlocks(reader, fileLength, header, sound_.isOpen(), observer, soundSamples_);
    scanDiagnostics_ = scan.diagnostics;
    if (observer != nullptr) observer->showLoadingProgress(90);

    double earliestTick = std::numeric_limits<double>::max();
    for (const FrameInfo& picture : scan.pictures) {
        earliestTick = std::min(earliestTick, static_cast<double>(picture.tick));
    }
    // The first sound tick is taken before the track writer sorts and releases the records.
    std::int64_t firstSoundTick = 0;
    for (std::size_t i = 0; i < scan.sounds.size(); ++i) {
        if (i == 0 || scan.sounds[i].tick < firstSoundTick) firstSoundTick = scan.sounds[i].tick;
    }
    const bool hadSound = !scan.sounds.empty();
    if (sound_.isOpen()) {
        soundDataBytes_ = sound_.write(scan.sounds, soundSamples_, earliestTick,
                                       scan.pictures.size(), scan.sawValidPicture, reader);
    }
    if (scan.pictures.empty() && !hadSound) throw VideoArchiveException(loadMessage(5510));

    double videoOffset = 0.0;
    if (hadSound) {
        double offset = earliestTick - (static_cast<double>(firstSoundTick) + kSoundLeadMilliseconds);
        if (offset > 0) videoOffset = offset;
    }
    placePictures(scan.pictures, earliestTick, videoOffset);
    fillGaps();
    findFrameTimes();
    if (observer != nullptr) observer->showLoadingProgress(100);
}

void VideoArchive::placePictures(std::vector<FrameInfo>& pictures, double earliestTick,
                                 double videoOffset) {
    std::int32_t highest = -1;
    for (FrameInfo& picture : pictures) {
        double at = (static_cast<double>(picture.tick) - earliestTick + videoOffset) / kSlotMilliseconds;
        // Truncated toward zero; far-off ticks stay far off instead of wrapping.
        if (!(at > -1.0) || at >= kSlotCount) continue;
        std::int32_t slot = static_cast<std::int32_t>(at);
        if (slot < 0 || slot + 1 >= kSlotCount) continue;
        auto& here = slots_[static_cast<std::size_t>(slot)];
        auto& next = slots_[static_cast<std::size_t>(slot) + 1];
        if (!here) {
            here = std::make_unique<FrameInfo>(picture);
        } else if (!next) {
            next = std::make_unique<FrameInfo>(picture);
            ++slot;
        } else {
            // A third picture in two slots is dropped, but its event mark is kept.
            if (picture.isMarked()) here->markByte = kMarkedFrame;
            continue;
        }
        highest = std::max(highest, slot);
    }
    pictures.clear();
    slotCount_ = highest + 1;
}

void VideoArchive::fillGaps() {
    const FrameInfo* previous = nullptr;
    for (std::int32_t i = 0; i < slotCount_; ++i) {
        auto& entry = slots_[static_cast<std::size_t>(i)];
        if (entry) {
            previous = entry.get();
        } else if (previous != nullptr) {
            entry = std::make_unique<FrameInfo>(*previous);
            entry->markByte = 0;
            previous = entry.get();
        }
    }
    const FrameInfo* following = nullptr;
    for (std::int32_t i = slotCount_ - 1; i >= 0; --i) {
        auto& entry = slots_[static_cast<std::size_t>(i)];
        if (entry) {
            following = entry.get();
        } else if (following != nullptr) {
            entry = std::make_unique<FrameInfo>(*following);
            entry->markByte = 0;
            following = entry.get();
        }
    }
}

void VideoArchive::findFrameTimes() {
    firstFrameTime_ = 0;
    lastFrameTime_ = 0;
    for (std::int32_t i = 0; i < slotCount_; ++i) {
        const FrameInfo* frame = slots_[static_cast<std::size_t>(i)].get();
        if (frame == nullptr || frame->frameTime == 0) continue;
        if (firstFrameTime_ == 0) firstFrameTime_ = frame->frameTime;
        lastFrameTime_ = frame->frameTime;
    }
}

std::int64_t VideoArchive::readPictureBytes(const FrameInfo& picture, std::uint8_t* out) {
    const std::int64_t size = picture.payloadSize;
    std::int64_t stored = 0;
    for (std::int32_t b = 0; b < picture.blockCount && stored < size; ++b) {
        std::int64_t from = picture.blockPositions[static_cast<std::size_t>(b)];
        std::int64_t count = std::min(size, kFirstBlockPictureBytes);
        if (b > 0) {
            from += static_cast<std::int64_t>(kSubHeaderSize);
            count = size < b * kContinuationPictureBytes + kFirstBlockPictureBytes
                        ? size - stored
                        : kContinuationPictureBytes;
        }
        count = std::min(count, size - stored);
        if (count <= 0 || !file_.seek(from)) return stored;
        std::size_t got = file_.read(out + stored, static_cast<std::size_t>(count));
        stored += static_cast<std::int64_t>(got);
        if (got < static_cast<std::size_t>(count)) return stored;
    }
    return stored;
}

bool VideoArchive::readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!file_.isOpen() || index < 0 || index >= slotCount_) return false;
    const FrameInfo* picture = slots_[static_cast<std::size_t>(index)].get();
    if (picture == nullptr) return false;
    if (picture->blockLength <= 16 || picture->blockLength > kMaxBlockLength) return false;
    if (picture->payloadSize < static_cast<std::int32_t>(kJpegPrefixSize)) return false;
    // Never trust the size field further than the blocks can hold: a complete picture within its
    // own blocks, one cut off by the end of the file within the most blocks a picture may have.
    const int blocks = picture->complete ? picture->blockCount : kMaxBlocksPerPicture;
    if (picture->payloadSize > pictureCapacity(blocks)) return false;
    try {
        bytes.resize(static_cast<std::size_t>(picture->payloadSize));
        std::int64_t stored = readPictureBytes(*picture, bytes.data());
        // Zero-filled, so the part of a picture the end of the file cut off reads as zeros.
        std::fill(bytes.begin() + std::max<std::int64_t>(stored, 0), bytes.end(), 0);
        if (stored < static_cast<std::int64_t>(kJpegPrefixSize) ||
            bytes[0] != deviceTypeCode.major || bytes[1] != deviceTypeCode.minor ||
            std::memcmp(bytes.data() + 2, kMakerPattern, kMakerPatternSize) != 0) {
            bytes.clear();
            return false;
        }
        std::memcpy(bytes.data(), kJpegPrefix, kJpegPrefixSize);
        return true;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
}

std::unique_ptr<Image> VideoArchive::readFrameImage(std::int32_t index) {
    std::vector<std::uint8_t> bytes;
    if (!readFramePicture(index, bytes)) return nullptr;
    return decodeJpeg(bytes.data(), bytes.size());
}

}  // namespace tavrin
