#include "tools/export/Exporter.h"

#include <cstdio>
#include <set>

#include "recording/TextEncoding.h"
#include "tools/export/AviWriter.h"
#include "tools/export/Card.h"
#include "tools/export/CardReport.h"
#include "tools/export/ClipExport.h"
#include "tools/export/ClipSelection.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/ExportPlatform.h"
#include "tools/export/OutputFile.h"
#include "tools/export/Progress.h"
#include "tools/export/Snapshot.h"
#include "tools/export/TimeText.h"

namespace tavrin::exporter {

namespace {

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string describe(const RecordingSummary& r) {
    return toUtf8(r.path) + ": not a recording the viewer can open (\"" + toUtf8(r.failure) + "\")";
}

// Some recording must be readable for anything but a report.
void requireReadable(const Card& card) {
    const std::vector<RecordingSummary>& recordings = card.recordings();
    for (const RecordingSummary& r : recordings) {
        if (r.readable) return;
    }
    if (recordings.size() == 1) throw ExportError("cannot read " + describe(recordings[0]));
    throw ExportError("no recording in " + toUtf8(card.input()) + " can be read");
}

void requireOutputFolder(const Path& folder) {
    if (!folder.empty() && !isDirectory(folder)) {
        throw ExportError("the output folder " + toUtf8(folder) + " does not exist");
    }
}

std::wstring baseNameOf(const Card& card, const Clip& clip) {
    const ClipPiece& first = clip.pieces.front();
    const RecordingSummary& r = card.recordings()[first.recording];
    const std::string stamp = fileStamp(r.slotTimes[static_cast<std::size_t>(first.firstSlot)]);
    if (!stamp.empty()) return fromUtf8(stamp);
    // A recording without a valid clock time: named after its archive and slot.
    return r.fileName.substr(0, r.fileName.rfind(L'.')) + L"_slot" +
           std::to_wstring(first.firstSlot);
}

std::string summaryLine(const std::vector<ManifestFile>& files, std::int32_t frames) {
    std::string line = "wrote " + files.front().file + " (" + std::to_string(frames) + " frames, " +
                       std::to_string(frames / kFramesPerSecond) + "." +
                       std::to_string(frames % kFramesPerSecond * 100 / kFramesPerSecond / 10) +
                       " s)";
    for (std::size_t i = 1; i < files.size(); ++i) line += ", " + files[i].file;
    return line + "\n";
}

int exportClips(Card& card, const ExportOptions& options, std::int64_t riffLimit,
                Progress& progress) {
    requireReadable(card);
    std::vector<Clip> clips;
    const std::vector<RecordingSummary>& recordings = card.recordings();
    if (options.mode == Mode::Event) {
        clips = selectEvents(recordings, options.beforeSeconds, options.afterSeconds);
        if (clips.empty())
            throw ExportError("nothing to export: no event in " + toUtf8(card.input()));
    } else if (options.mode == Mode::Span) {
        clips = selectSpan(recordings, options.from, options.to);
        if (clips.empty()) {
            throw ExportError("nothing to export: no frame from " + formatDateTime(options.from) +
                              " to " + formatDateTime(options.to) + " in " + toUtf8(card.input()));
        }
    } else {
        clips = selectRecordings(recordings);
        if (clips.empty()) throw ExportError("nothing to export: no recording has pictures");
    }
    requireOutputFolder(options.outFolder);

    // Every name is settled, and checked against what is there, before anything is written.
    std::vector<std::wstring> baseNames;
    std::set<std::wstring> used;
    for (const Clip& clip : clips) {
        std::wstring name = baseNameOf(card, clip);
        for (int n = 2; used.count(name) != 0; ++n)
            name = baseNameOf(card, clip) + L"_" + std::to_wstring(n);
        used.insert(name);
        baseNames.push_back(name);
        for (const std::wstring& file : clipFileNames(name)) {
            const Path path = joinPath(options.outFolder, file);
            if (!options.force && fileExists(path)) {
                throw ExportError(toUtf8(path) + " exists; --force replaces it");
            }
        }
    }

    ClipSettings settings;
    settings.outFolder = options.outFolder;
    settings.replace = options.force;
    settings.riffLimit = riffLimit;
    SourceHashes hashes;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const std::vector<ManifestFile> files =
            exportClip(card, clips[i], baseNames[i], settings, hashes, progress);
        if (!options.quiet) print(summaryLine(files, clips[i].frames()));
    }
    return 0;
}

int exportSnapshot(Card& card, const ExportOptions& options) {
    requireReadable(card);
    if (options.snapshotSlot >= 0 && card.isFolder()) {
        throw ExportError("--slot takes a single archive, not a folder");
    }
    SnapshotRequest request;
    request.time = options.snapshotTime;
    request.slot = options.snapshotSlot;
    request.png = options.png;
    request.outFolder = options.outFolder;
    request.replace = options.force;
    std::size_t recording = 0;
    std::int32_t slot = 0;
    if (!findSnapshotSlot(card, request, recording, slot)) {
        if (request.slot >= 0) {
            throw ExportError("nothing to export: " + toUtf8(card.input()) + " has no frame " +
                              std::to_string(request.slot));
        }
        throw ExportError("nothing to export: no frame at " + formatDateTime(request.time) +
                          " in " + toUtf8(card.input()));
    }
    requireOutputFolder(options.outFolder);
    for (const std::wstring& name : writeSnapshot(card, recording, slot, request)) {
        if (!options.quiet) print("wrote " + toUtf8(name) + "\n");
    }
    return 0;
}

}  // namespace

int runExport(const ExportOptions& options, std::int64_t riffLimit) {
    Progress progress(!options.quiet && errorIsTerminal());
    Card card(options.input, progress);
    switch (options.mode) {
        case Mode::Report:
            print(options.json ? reportJson(card) : reportTable(card));
            return 0;
        case Mode::Snapshot:
            return exportSnapshot(card, options);
        default:
            return exportClips(card, options, riffLimit, progress);
    }
}

}  // namespace tavrin::exporter
