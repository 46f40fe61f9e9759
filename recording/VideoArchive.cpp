#include "recording/VideoArchive.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "recording/ArchiveHeader.h"
#include "recording/ArchiveScan.h"
#include "recording/DeviceTypeCode.h"
#include "recording/MemorySource.h"
#include "recording/ScanObserver.h"
#include "recording/SlotPlacer.h"
#include "recording/WindowedReader.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

VideoArchive::VideoArchive() : slots_(kSlotCount, kEmpty) {}

VideoArchive::~VideoArchive() { close(); }

void VideoArchive::close() {
    release();
    sound_.remove();
}

void VideoArchive::release() {
    source_.reset();
    file_.close();
    // Every slot placed or gap-filled is below the placer's count.
    placer_.clear();
    records_.clear();
    slotCount_ = 0;
    currentPosition_ = -1;
    soundDataBytes_ = 0;
    scanDiagnostics_ = ScanDiagnostics();
}

const FrameInfo* VideoArchive::slot(std::int32_t index) const {
    if (index < 0 || index >= kSlotCount) return nullptr;
    const std::int32_t record = slots_[static_cast<std::size_t>(index)];
    return record == kEmpty ? nullptr : &records_[static_cast<std::size_t>(record)];
}

void VideoArchive::open(const Path& path, ScanObserver* observer) {
    release();
    // The last recording's sound file is written over by this one's track, under a new name, or
    // deleted; either way it is gone by the time the open returns.
    sound_.retire();
    struct Settle {
        SoundTrack& sound;
        ~Settle() {
            sound.dropRetired();
            sound.settle();
        }
    } settle{sound_};
    file_ = BinaryFile::openForReading(path);
    if (!file_.isOpen()) throw VideoArchiveException(loadMessage(5510));
    ScanResult scan;
    SoundSink* sound = nullptr;
    {
        // The whole file is read once, from its start, while the scan goes through it; the
        // reading starts first, so that the sound file is made while the first bytes come in.
        // It ends with the scan: nothing else may read the file meanwhile.
        readAhead_.begin(file_, path, 0);
        struct EndReading {
            ReadAheadSource& source;
            ~EndReading() { source.end(); }
        } endReading{readAhead_};
        source_ = std::make_unique<WindowedReader>(file_);
        if (!sound_.create()) {
            sound_.remove();
            if (observer != nullptr) observer->warnSoundUnavailable();
        }
        sound = sound_.isOpen() ? &sound_ : nullptr;
        scan = scanBlocks(readAhead_, sound, observer);
    }
    place(scan, sound, observer);
}

void VideoArchive::openFromMemory(std::vector<std::uint8_t> bytes, SoundSink* sound,
                                  ScanObserver* observer) {
    close();
    source_ = std::make_unique<MemorySource>(std::move(bytes));
    ScanResult scan = scanBlocks(*source_, sound, observer);
    place(scan, sound, observer);
}

ScanResult VideoArchive::scanBlocks(ByteSource& scanned, SoundSink* sound, ScanObserver* observer) {
    const std::int64_t fileLength = scanned.length();
    ArchiveHeaderInfo header = readArchiveHeader(scanned);
    headerStartTime_ = header.startTime;
    startTick_ = header.startTick;
    recordingId_ = header.recordingId;

    if (sound != nullptr) track_.start(*sound);
    placer_.start();
    // The lists are built in the memory of the last ones (the records were released by close()).
    ScanResult recycled;
    recycled.pictures.swap(records_);
    recycled.sounds.swap(soundRecords_);
    return scanArchiveBlocks(scanned, fileLength, header, sound != nullptr, observer,
                             sound != nullptr ? &track_ : nullptr, &placer_, std::move(recycled));
}

void VideoArchive::place(ScanResult& scan, SoundSink* sound, ScanObserver* observer) {
    scanDiagnostics_ = scan.diagnostics;
    if (observer != nullptr) observer->showLoadingProgress(90);

    const double earliestTick = scan.earliestPictureTick;
    const std::int64_t firstSoundTick = scan.firstSoundTick;
    const bool hadSound = !scan.sounds.empty();
    if (sound != nullptr) {
        soundDataBytes_ = track_.finish(scan.sounds, earliestTick, scan.pictures.size(),
                                        scan.sawValidPicture, *source_);
    }
    soundRecords_.swap(scan.sounds);
    if (scan.pictures.empty() && !hadSound) throw VideoArchiveException(loadMessage(5510));

    records_.swap(scan.pictures);
    scan.pictures.clear();
    slotCount_ = placer_.finish(records_, earliestTick,
                                videoOffsetFor(earliestTick, hadSound, firstSoundTick));
    fillGaps();
    findFrameTimes();
    if (observer != nullptr) observer->showLoadingProgress(100);
}

std::int32_t VideoArchive::unmarkedRecord(std::int32_t index) {
    if (records_[static_cast<std::size_t>(index)].markByte == 0) return index;
    FrameInfo copy = records_[static_cast<std::size_t>(index)];
    copy.markByte = 0;
    records_.push_back(copy);
    return static_cast<std::int32_t>(records_.size() - 1);
}

void VideoArchive::fillGaps() {
    std::int32_t previous = kEmpty;
    for (std::int32_t i = 0; i < slotCount_; ++i) {
        std::int32_t& entry = slots_[static_cast<std::size_t>(i)];
        if (entry != kEmpty) {
            previous = entry;
        } else if (previous != kEmpty) {
            previous = unmarkedRecord(previous);
            entry = previous;
        }
    }
    std::int32_t following = kEmpty;
    for (std::int32_t i = slotCount_ - 1; i >= 0; --i) {
        std::int32_t& entry = slots_[static_cast<std::size_t>(i)];
        if (entry != kEmpty) {
            following = entry;
        } else if (following != kEmpty) {
            following = unmarkedRecord(following);
            entry = following;
        }
    }
}

void VideoArchive::findFrameTimes() {
    // The first and the last slot with a time, each searched from its own end.
    firstFrameTime_ = 0;
    lastFrameTime_ = 0;
    for (std::int32_t i = 0; i < slotCount_ && firstFrameTime_ == 0; ++i) {
        const FrameInfo* frame = slot(i);
        if (frame != nullptr) firstFrameTime_ = frame->frameTime;
    }
    for (std::int32_t i = slotCount_ - 1; i >= 0 && lastFrameTime_ == 0; --i) {
        const FrameInfo* frame = slot(i);
        if (frame != nullptr) lastFrameTime_ = frame->frameTime;
    }
}

std::int64_t VideoArchive::readPictureBytes(const FrameInfo& picture, std::uint8_t* out,
                                            ByteSource& from) {
    const std::int64_t size = picture.payloadSize;
    std::int64_t stored = 0;
    for (std::int32_t b = 0; b < picture.blockCount && stored < size; ++b) {
        std::int64_t at = picture.blockPositions[static_cast<std::size_t>(b)];
        std::int64_t count = std::min(size, kFirstBlockPictureBytes);
        if (b > 0) {
            at += static_cast<std::int64_t>(kSubHeaderSize);
            count = size < b * kContinuationPictureBytes + kFirstBlockPictureBytes
                        ? size - stored
                        : kContinuationPictureBytes;
        }
        count = std::min(count, size - stored);
        if (count <= 0) return stored;
        std::size_t got = from.readAt(at, out + stored, static_cast<std::size_t>(count));
        stored += static_cast<std::int64_t>(got);
        if (got < static_cast<std::size_t>(count)) return stored;
    }
    return stored;
}

bool VideoArchive::readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes) {
    if (!source_) {
        bytes.clear();
        return false;
    }
    return readFramePicture(index, bytes, *source_);
}

bool VideoArchive::readFramePicture(std::int32_t index, std::vector<std::uint8_t>& bytes,
                                    ByteSource& from) {
    bytes.clear();
    if (index < 0 || index >= slotCount_) return false;
    const FrameInfo* picture = slot(index);
    if (picture == nullptr) return false;
    if (picture->blockLength <= 16 || picture->blockLength > kMaxBlockLength) return false;
    if (picture->payloadSize < static_cast<std::int32_t>(kJpegPrefixSize)) return false;
    // Never trust the size field further than the blocks can hold: a complete picture within its
    // own blocks, one cut off by the end of the file within the most blocks a picture may have.
    const int blocks = picture->complete ? picture->blockCount : kMaxBlocksPerPicture;
    if (picture->payloadSize > pictureCapacity(blocks)) return false;
    try {
        bytes.resize(static_cast<std::size_t>(picture->payloadSize));
        std::int64_t stored = readPictureBytes(*picture, bytes.data(), from);
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

std::unique_ptr<Image> VideoArchive::readFrameImage(std::int32_t index, PictureSize wanted) {
    std::vector<std::uint8_t> bytes;
    if (!readFramePicture(index, bytes)) return nullptr;
    return decodeJpeg(bytes.data(), bytes.size(), wanted);
}

}  // namespace tavrin
