#include "tools/export/ClipExport.h"

#include <algorithm>

#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/export/AviWriter.h"
#include "tools/export/Card.h"
#include "tools/export/ClipText.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportPlatform.h"
#include "tools/export/OutputFile.h"
#include "tools/export/Progress.h"
#include "tools/export/RiffSink.h"
#include "tools/export/ShownPicture.h"
#include "tools/export/SoundSlots.h"
#include "tools/export/SourcePass.h"

namespace tavrin::exporter {

namespace {

ClipFrame clipFrameOf(const FrameInfo& f, bool newPicture) {
    ClipFrame frame;
    frame.time = f.frameTime;
    frame.acceleration[0] = f.accelerationX;
    frame.acceleration[1] = f.accelerationY;
    frame.acceleration[2] = f.accelerationZ;
    frame.magnitude = f.accelerationMagnitude;
    frame.speed = f.speed;
    frame.marked = f.isMarked();
    frame.newPicture = newPicture;
    return frame;
}

struct ClipPlan {
    std::vector<ClipFrame> frames;
    // The size of each frame's picture and sound when every picture can be read.
    std::vector<std::uint32_t> pictureBytes;
    std::vector<std::uint32_t> samples;
    std::int64_t expectedBytes = 0;
};

ClipPlan planClip(Card& card, const Clip& clip) {
    ClipPlan plan;
    for (const ClipPiece& piece : clip.pieces) {
        VideoArchive& archive = card.archive(piece.recording);
        for (std::int32_t s = piece.firstSlot; s < piece.endSlot; ++s) {
            const FrameInfo* f = archive.slot(s);
            if (f == nullptr) throw ExportError("a slot of the clip has no record");
            plan.frames.push_back(clipFrameOf(*f, !sharesPicture(archive, s)));
            plan.pictureBytes.push_back(static_cast<std::uint32_t>(std::max(f->payloadSize, 0)));
            plan.samples.push_back(
                static_cast<std::uint32_t>(slotStartSample(s + 1) - slotStartSample(s)));
            plan.expectedBytes += plan.pictureBytes.back() + plan.samples.back() + 16;
        }
    }
    return plan;
}

// The first picture of the clip that can be shown; it also stands in for any slots before it.
ShownPicture firstShownPicture(Card& card, const Clip& clip) {
    ShownPicture picture;
    for (const ClipPiece& piece : clip.pieces) {
        VideoArchive& archive = card.archive(piece.recording);
        picture.newRecording();
        for (std::int32_t s = piece.firstSlot; s < piece.endSlot; ++s) {
            if (picture.take(archive, s)) return picture;
        }
    }
    throw ExportError("no picture of the clip can be shown");
}

// The file as it will be when every picture can be read: its headers are then written final
// from the start and its checksum taken as it is written, with no second pass over it.
RiffLayout planLayout(const ClipPlan& plan, const ShownPicture& first, std::int64_t riffLimit) {
    RiffLayout layout;
    AviWriter avi(layout, first.width(), first.height(), plan.expectedBytes, riffLimit);
    for (std::size_t i = 0; i < plan.frames.size(); ++i) {
        avi.addFrame(nullptr, plan.pictureBytes[i], nullptr, plan.samples[i]);
    }
    avi.finish();
    return layout;
}

std::string writeVideo(Card& card, const Clip& clip, const ClipPlan& plan, OutputFile& out,
                       BackgroundHash& hash, SourceHashes& hashes, const ClipSettings& settings,
                       Progress& progress, std::int64_t& samples) {
    ShownPicture picture = firstShownPicture(card, clip);
    const RiffLayout layout = planLayout(plan, picture, settings.riffLimit);
    PlannedSink sink(out, layout);
    AviWriter avi(sink, picture.width(), picture.height(), plan.expectedBytes, settings.riffLimit);
    progress.begin(toUtf8(out.name()), plan.frames.size());
    for (const ClipPiece& piece : clip.pieces) {
        VideoArchive& archive = card.archive(piece.recording);
        const Path& path = card.recordings()[piece.recording].path;
        // The archive is read once for its pictures and, the first time, its checksum.
        const bool hashing = !hashes.knows(path);
        SourcePass source(path, hashing ? &hash : nullptr);
        const SoundSlots sound(archive, piece.firstSlot, piece.endSlot);
        picture.newRecording();
        for (std::int32_t s = piece.firstSlot; s < piece.endSlot; ++s) {
            if (interruptRequested()) throw ExportError("interrupted");
            picture.take(archive, s, &source);
            const SoundSlots::Span pcm = sound.slot(s);
            avi.addFrame(picture.bytes().data(), picture.bytes().size(), pcm.samples, pcm.count);
            progress.advance();
        }
        if (hashing) hashes.remember(path, source.finishHex());
    }
    avi.finish();
    progress.end();
    samples = avi.samples();
    return out.commit(settings.replace);
}

ManifestFile commitText(const ClipSettings& settings, const std::wstring& name,
                        const std::string& text) {
    OutputFile out(settings.outFolder, name);
    out.write(text);
    ManifestFile file{toUtf8(name), out.size(), ""};
    file.sha256 = out.commit(settings.replace);
    return file;
}

}  // namespace

std::vector<std::wstring> clipFileNames(const std::wstring& baseName) {
    return {baseName + L".avi", baseName + L".srt", baseName + L".csv", baseName + L".json"};
}

std::vector<ManifestFile> exportClip(Card& card, const Clip& clip, const std::wstring& baseName,
                                     const ClipSettings& settings, SourceHashes& hashes,
                                     Progress& progress) {
    const std::vector<std::wstring> names = clipFileNames(baseName);
    const ClipPlan plan = planClip(card, clip);
    Manifest manifest;
    manifest.clip = toUtf8(baseName);
    manifest.frames = static_cast<std::int32_t>(plan.frames.size());
    manifest.startTime = plan.frames.front().time;
    manifest.endTime = plan.frames.back().time;
    {
        // The video and its sources are hashed on one thread, together.
        BackgroundHash hash;
        OutputFile video(settings.outFolder, names[0], &hash);
        ManifestFile file{toUtf8(names[0]), 0, ""};
        file.sha256 =
            writeVideo(card, clip, plan, video, hash, hashes, settings, progress, manifest.samples);
        file.bytes = video.size();
        manifest.files.push_back(file);
    }
    manifest.files.push_back(commitText(settings, names[1], subtitleText(plan.frames)));
    manifest.files.push_back(commitText(settings, names[2], telemetryCsv(plan.frames)));

    for (const ClipPiece& piece : clip.pieces) {
        const RecordingSummary& source = card.recordings()[piece.recording];
        ManifestSource entry;
        entry.file = toUtf8(source.fileName);
        entry.path = toUtf8(source.path);
        entry.bytes = source.fileBytes;
        entry.sha256 = hashes.of(source.path);
        entry.firstSlot = piece.firstSlot;
        entry.lastSlot = piece.endSlot - 1;
        manifest.sources.push_back(entry);
    }
    std::vector<ManifestFile> written = manifest.files;
    written.push_back(commitText(settings, names[3], manifestJson(manifest)));
    return written;
}

}  // namespace tavrin::exporter
