// The archive scan and the picture reader over damaged archives, all in memory. The input is an
// archive without its unread 8 KiB preamble (header bytes, then blocks), so the fuzzer spends its
// effort on the blocks; the target puts the preamble back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "media/Image.h"
#include "media/PictureScaling.h"
#include "recording/ArchiveHeader.h"
#include "recording/ArchiveScan.h"
#include "recording/MemorySource.h"
#include "recording/SlotPlacer.h"
#include "recording/SoundSink.h"
#include "recording/SoundTrack.h"
#include "recording/TrackAssembler.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"
#include "tests/fuzz/JpegFrameSize.h"
#include "ui/Exception.h"

namespace {

constexpr std::size_t kHeader = 32;
constexpr std::size_t kPreamble = 8192;
// Pictures are asked for as the viewer asks for them: at the size of its picture box, here
// 640 x 480, and only those the box brings near its size. Full-size decoding is left to the JPEG
// target.
constexpr tavrin::PictureSize kViewerBox{640, 480};

std::uint32_t little32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The wave header describes exactly the samples written, and no more than the grid can play.
void checkSound(const tavrin::MemorySoundSink& sound, std::int64_t dataBytes) {
    const std::int64_t samples = sound.sampleCount();
    if (samples != dataBytes || little32(sound.header() + 40) != samples ||
        little32(sound.header() + 4) != samples + 36 || dataBytes > tavrin::kMaxSoundBytes) {
        __builtin_trap();
    }
}

// The track written while scanning must be the one written from the sorted blocks at the end.
void compareWithSortedTrack(std::vector<std::uint8_t> bytes, const tavrin::MemorySoundSink& sound) {
    tavrin::MemorySource source(std::move(bytes));
    const tavrin::ArchiveHeaderInfo header = tavrin::readArchiveHeader(source);
    tavrin::ScanResult scan =
        tavrin::scanArchiveBlocks(source, source.length(), header, true, nullptr);
    double earliest = std::numeric_limits<double>::max();
    for (const tavrin::FrameInfo& picture : scan.pictures) {
        earliest = std::min(earliest, static_cast<double>(picture.tick));
    }
    static tavrin::MemorySoundSink sorted;
    static tavrin::TrackAssembler assembler;
    sorted.restart();
    assembler.start(sorted);
    assembler.writeSorted(scan.sounds, earliest, scan.pictures.size(), scan.sawValidPicture,
                          source);
    if (!sorted.sameBytesAs(sound)) __builtin_trap();
}

// The pictures placed while scanning must be where placing them all at the end puts them, marks
// passed on included.
void compareWithPlacingAtTheEnd(const std::vector<std::uint8_t>& bytes) {
    tavrin::MemorySource source{std::vector<std::uint8_t>(bytes)};
    const tavrin::ArchiveHeaderInfo header = tavrin::readArchiveHeader(source);
    static std::vector<std::int32_t> whileScanningGrid(tavrin::kSlotCount,
                                                       tavrin::SlotPlacer::kEmpty);
    static std::vector<std::int32_t> atTheEndGrid(tavrin::kSlotCount, tavrin::SlotPlacer::kEmpty);
    tavrin::SlotPlacer whileScanning(whileScanningGrid);
    tavrin::SlotPlacer atTheEnd(atTheEndGrid);
    whileScanning.start();
    atTheEnd.start();
    tavrin::ScanResult scanned = tavrin::scanArchiveBlocks(source, source.length(), header, true,
                                                           nullptr, nullptr, &whileScanning);
    tavrin::ScanResult plain =
        tavrin::scanArchiveBlocks(source, source.length(), header, true, nullptr);
    const double offset = tavrin::videoOffsetFor(scanned.earliestPictureTick,
                                                 !scanned.sounds.empty(), scanned.firstSoundTick);
    const std::int32_t count =
        whileScanning.finish(scanned.pictures, scanned.earliestPictureTick, offset);
    if (atTheEnd.finish(plain.pictures, plain.earliestPictureTick, offset) != count ||
        !std::equal(whileScanningGrid.begin(), whileScanningGrid.begin() + count,
                    atTheEndGrid.begin()) ||
        scanned.pictures.size() != plain.pictures.size()) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < plain.pictures.size(); ++i) {
        if (scanned.pictures[i].markByte != plain.pictures[i].markByte) __builtin_trap();
    }
    whileScanning.clear();
    atTheEnd.clear();
}

// Whether the viewer's box brings the picture of slot `index` down to a size worth decoding here.
bool cheapAtViewerBox(tavrin::VideoArchive& archive, std::int32_t index) {
    static std::vector<std::uint8_t> jpeg;
    int width = 0;
    int height = 0;
    if (!archive.readFramePicture(index, jpeg) ||
        !tavrin::fuzz::readJpegFrameSize(jpeg.data(), jpeg.size(), width, height)) {
        return true;  // nothing, or a header the decoder refuses too: quick to refuse
    }
    return tavrin::fuzz::cheapToDecodeFor(width, height, kViewerBox);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The scan never reads the header's first byte: its lowest bit opens the archive as when the
    // temporary sound file cannot be made.
    const bool withSound = size == 0 || (data[0] & 1) == 0;
    std::vector<std::uint8_t> bytes(data, data + std::min(size, kHeader));
    if (size > kHeader) {
        bytes.resize(kPreamble, 0);
        bytes.insert(bytes.end(), data + kHeader, data + size);
    }
    static tavrin::VideoArchive archive;
    static tavrin::MemorySoundSink sound;
    sound.restart();
    const std::vector<std::uint8_t> copy = bytes;
    try {
        archive.openFromMemory(std::move(bytes), withSound ? &sound : nullptr, nullptr);
    } catch (const tavrin::Exception&) {
        archive.close();
        return 0;
    }
    if (withSound) {
        checkSound(sound, archive.soundDataBytes());
        compareWithSortedTrack(copy, sound);
    }
    compareWithPlacingAtTheEnd(copy);

    tavrin::VideoInfo07 info(archive);
    info.collectMarkedFrames();
    const tavrin::FrameInfo* decoded = nullptr;
    for (std::int32_t i = 0; i < info.frameCount(); ++i) {
        // After gap filling every slot below the count holds a record.
        const tavrin::FrameInfo* frame = info.frameAt(i);
        if (frame == nullptr) __builtin_trap();
        // Gap-filled slots repeat a neighbour's stored picture, which the viewer's loader does not
        // decode again; neither does this target.
        if (decoded != nullptr && decoded->blockPositions[0] == frame->blockPositions[0]) continue;
        decoded = frame;
        if (!cheapAtViewerBox(archive, i)) continue;
        auto picture = archive.readFrameImage(i, kViewerBox);
        if (picture && picture->byteSize() != picture->width() * picture->height() * 4) {
            __builtin_trap();
        }
    }
    archive.close();
    return 0;
}
