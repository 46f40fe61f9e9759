#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "recording/ScanObserver.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tests/support/TestPictures.h"
#include "tools/cardgen/ArchiveBuilder.h"

namespace tavrin::test {

using cardgen::ArchiveBuilder;
using cardgen::ArchiveHeaderFields;
using cardgen::FrameFields;

constexpr std::uint32_t kStartTick = 100000;

// A small one-block picture whose colour tells pictures apart.
inline Bytes smallJpeg(std::uint8_t shade) {
    return encodeJpeg(solidPicture(32, 24, 3, {shade, 40, 200}), JpegKind::Colour, 90);
}

// Blocks a stored picture of `jpegSize` bytes takes: the stored form is 12 bytes longer.
inline int blocksFor(std::size_t jpegSize) {
    std::size_t stored = jpegSize + 12;
    return stored <= 8128 ? 1 : 1 + static_cast<int>((stored - 8128 + 8111) / 8112);
}

// A noisy 160-wide picture that takes exactly `blocks` blocks when stored.
inline Bytes jpegOfBlocks(int blocks) {
    for (int height = 8;; height += 8) {
        RawPicture picture = solidPicture(160, height, 3, {0, 0, 0});
        unsigned seed = 99;
        for (std::uint8_t& sample : picture.samples) {
            seed = seed * 1103515245u + 12345u;
            sample = static_cast<std::uint8_t>(seed >> 24);
        }
        Bytes jpeg = encodeJpeg(picture, JpegKind::Colour, 95);
        if (blocksFor(jpeg.size()) == blocks) return jpeg;
    }
}

inline ArchiveHeaderFields headerAt(std::uint32_t startTick = kStartTick) {
    ArchiveHeaderFields header;
    header.start = {2012, 3, 4, 10, 0, 0};
    header.startTick = startTick;
    return header;
}

// Measurements for the picture shown `second` seconds after 10:00:00 on 2012-03-04.
inline FrameFields fieldsAt(int second, std::uint8_t mark = 0) {
    FrameFields fields;
    fields.mark = mark;
    fields.time = {2012, 3, 4, 10, second / 60, second % 60};
    return fields;
}

// The tick of slot `slot` when slot 0 is at kStartTick and nothing shifts the grid: the first
// whole millisecond of the slot.
inline std::uint32_t tickOfSlot(int slot) {
    return kStartTick + static_cast<std::uint32_t>(std::ceil(slot * 1000.0 / 28.0));
}

inline Path writeArchive(const TestFolder& folder, const ArchiveBuilder& builder,
                         const std::wstring& name = L"0001_001.DAT") {
    Path path = folder.file(name);
    builder.writeTo(toUtf8(path));
    return path;
}

// Records what the scan reports.
class RecordingObserver : public ScanObserver {
public:
    void showLoadingProgress(int percent) override { progress.push_back(percent); }
    void dispatchPendingMessages() override { ++dispatches; }
    void warnSoundUnavailable() override { ++soundWarnings; }

    std::vector<int> progress;
    int dispatches = 0;
    int soundWarnings = 0;
};

}  // namespace tavrin::test
