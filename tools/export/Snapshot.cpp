#include "tools/export/Snapshot.h"

#include <cwchar>

#include "media/GammaCorrection.h"
#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/drive/PngWriter.h"
#include "tools/export/Card.h"
#include "tools/export/ExportError.h"
#include "tools/export/OutputFile.h"
#include "tools/export/ShownPicture.h"
#include "tools/export/TimeText.h"

namespace tavrin::exporter {

namespace {

// The viewer's brightness when it starts and after its "standard" button.
constexpr double kStandardGamma = 1.2;

std::wstring stillName(const RecordingSummary& recording, std::int32_t slot) {
    const std::int64_t time = recording.slotTimes[static_cast<std::size_t>(slot)];
    if (time == 0) {
        const std::wstring stem = recording.fileName.substr(0, recording.fileName.rfind(L'.'));
        return stem + L"_slot" + std::to_wstring(slot);
    }
    // Slots of the same second after its first get their place in it.
    std::int32_t first = slot;
    while (first > 0 && recording.slotTimes[static_cast<std::size_t>(first - 1)] == time) --first;
    std::wstring name = fromUtf8(fileStamp(time));
    if (slot > first) {
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L"_%02d", slot - first);
        name += suffix;
    }
    return name;
}

// The picture on screen at `slot`: its own, or the last one before it that could be shown, or
// failing that the first after it.
ShownPicture pictureAt(VideoArchive& archive, std::int32_t slot) {
    ShownPicture picture;
    for (std::int32_t s = slot; s >= 0; --s) {
        picture.newRecording();
        if (picture.take(archive, s)) return picture;
    }
    for (std::int32_t s = slot + 1; s < archive.slotCount(); ++s) {
        picture.newRecording();
        if (picture.take(archive, s)) return picture;
    }
    throw ExportError("the recording has no picture that can be shown");
}

void commitBytes(const SnapshotRequest& request, const std::wstring& name,
                 const std::vector<std::uint8_t>& bytes) {
    OutputFile out(request.outFolder, name);
    out.write(bytes.data(), bytes.size());
    out.commit(request.replace);
}

}  // namespace

bool findSnapshotSlot(const Card& card, const SnapshotRequest& request, std::size_t& recording,
                      std::int32_t& slot) {
    const std::vector<RecordingSummary>& recordings = card.recordings();
    if (request.slot >= 0) {
        if (recordings.size() != 1 || !recordings[0].readable) return false;
        recording = 0;
        slot = request.slot;
        return slot < recordings[0].slotCount;
    }
    for (std::size_t r = 0; r < recordings.size(); ++r) {
        const std::vector<std::int64_t>& times = recordings[r].slotTimes;
        for (std::size_t s = 0; s < times.size(); ++s) {
            if (times[s] != request.time) continue;
            recording = r;
            slot = static_cast<std::int32_t>(s);
            return true;
        }
    }
    return false;
}

std::vector<std::wstring> writeSnapshot(Card& card, std::size_t recording, std::int32_t slot,
                                        const SnapshotRequest& request) {
    VideoArchive& archive = card.archive(recording);
    const ShownPicture picture = pictureAt(archive, slot);
    const std::wstring stem = stillName(card.recordings()[recording], slot);
    std::vector<std::wstring> written{stem + L".jpg"};
    if (request.png) written.push_back(stem + L".png");
    for (const std::wstring& name : written) {
        if (!request.replace && fileExists(joinPath(request.outFolder, name))) {
            throw ExportError(toUtf8(joinPath(request.outFolder, name)) +
                              " exists; --force replaces it");
        }
    }
    commitBytes(request, written[0], picture.bytes());
    if (request.png) {
        std::unique_ptr<Image> image = decodeJpeg(picture.bytes().data(), picture.bytes().size());
        if (!image) throw ExportError("the picture at that moment cannot be decoded");
        GammaCorrection brightness;
        brightness.setGamma(kStandardGamma);
        brightness.apply(*image);
        std::vector<std::uint8_t> png;
        if (!drive::encodePng(image->pixels(), image->width(), image->height(), png)) {
            throw ExportError("cannot encode the PNG picture");
        }
        commitBytes(request, written[1], png);
    }
    return written;
}

}  // namespace tavrin::exporter
