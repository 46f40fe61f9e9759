#include "tools/export/Card.h"

#include <algorithm>

#include "recording/ArchiveHeader.h"
#include "recording/ArchiveListing.h"
#include "recording/ScanObserver.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/export/ExportError.h"
#include "tools/export/Progress.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin::exporter {

namespace {

// Open archives kept for reuse: a clip reads its recordings one after the other, and a chain of
// recordings scanned for the selection is usually exported straight after.
constexpr std::size_t kOpenArchives = 8;

class SoundObserver : public ScanObserver {
public:
    void showLoadingProgress(int) override {}
    void dispatchPendingMessages() override {}
    void warnSoundUnavailable() override { soundUnavailable = true; }
    bool soundUnavailable = false;
};

std::wstring fileNameOf(const Path& path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    return separator == Path::npos ? path : path.substr(separator + 1);
}

}  // namespace

struct Card::OpenArchive {
    std::size_t recording = 0;
    VideoArchive archive;
};

Card::Card(const Path& input, Progress& progress) : input_(input) {
    while (input_.size() > 1 && input_.back() == kPathSeparator) input_.pop_back();
    isFolder_ = isDirectory(input_);
    if (isFolder_) {
        listFolder();
    } else if (fileExists(input_)) {
        RecordingSummary single;
        single.path = input_;
        recordings_.push_back(single);
    } else {
        throw ExportError("cannot read " + toUtf8(input) + ": no such file or folder");
    }
    progress.begin("reading recordings", static_cast<std::int64_t>(recordings_.size()));
    for (std::size_t i = 0; i < recordings_.size(); ++i) {
        summarise(i);
        progress.advance();
    }
    progress.end();
}

Card::~Card() = default;

void Card::listFolder() {
    std::vector<std::unique_ptr<ArchiveEntry>> entries;
    std::int32_t count = 0;
    try {
        // Any archive name in the folder serves: the listing reads the folder it lies in.
        listArchives(input_ + kPathSeparator + L"0000_000.DAT", entries, count);
        for (const auto& entry : entries) {
            RecordingSummary summary;
            summary.path = entry->path;
            recordings_.push_back(summary);
        }
        return;
    } catch (const Exception& e) {
        listingFailure_ = e.message();
    }
    // The viewer gives up on the whole folder when one archive name cannot be read (a file the
    // unit had only begun to write); an export still takes every archive that can be.
    std::vector<std::wstring> names;
    tavrin::listFolder(input_, names);
    std::vector<std::pair<std::int64_t, Path>> found;
    for (const std::wstring& name : names) {
        if (!isArchiveFileName(name)) continue;
        const Path path = input_ + kPathSeparator + name;
        std::int64_t startTime = 0;
        try {
            BinaryFile file = BinaryFile::openForReading(path);
            if (file.isOpen()) startTime = readArchiveStartTime(file);
        } catch (const Exception&) {
        }
        found.emplace_back(startTime, path);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [startTime, path] : found) {
        RecordingSummary summary;
        summary.path = path;
        recordings_.push_back(summary);
    }
    if (recordings_.empty()) {
        throw ExportError("no recordings in " + toUtf8(input_) + ": " + toUtf8(listingFailure_));
    }
}

void Card::summarise(std::size_t index) {
    RecordingSummary& summary = recordings_[index];
    summary.fileName = fileNameOf(summary.path);
    BinaryFile file = BinaryFile::openForReading(summary.path);
    summary.fileBytes = file.isOpen() ? file.length() : 0;
    file.close();
    try {
        summariseArchive(archive(index), summary);
        summary.readable = true;
    } catch (const Exception& e) {
        summary.failure = e.message();
    }
}

VideoArchive& Card::archive(std::size_t index) {
    for (std::size_t i = 0; i < open_.size(); ++i) {
        if (open_[i]->recording != index) continue;
        std::rotate(open_.begin() + static_cast<std::ptrdiff_t>(i),
                    open_.begin() + static_cast<std::ptrdiff_t>(i) + 1, open_.end());
        return open_.back()->archive;
    }
    std::unique_ptr<OpenArchive> slot;
    if (open_.size() >= kOpenArchives) {
        slot = std::move(open_.front());
        open_.erase(open_.begin());
    } else {
        slot = std::make_unique<OpenArchive>();
    }
    slot->recording = index;
    SoundObserver observer;
    try {
        slot->archive.open(recordings_[index].path, &observer);
    } catch (...) {
        slot->archive.close();
        throw;
    }
    recordings_[index].soundAvailable = !observer.soundUnavailable;
    open_.push_back(std::move(slot));
    return open_.back()->archive;
}

void summariseArchive(VideoArchive& archive, RecordingSummary& summary) {
    summary.startTime = archive.startTime();
    summary.firstFrameTime = archive.firstFrameTime();
    summary.lastFrameTime = archive.lastFrameTime();
    summary.slotCount = archive.slotCount();
    summary.diagnostics = archive.scanDiagnostics();
    summary.slotTimes.assign(static_cast<std::size_t>(summary.slotCount), 0);
    summary.pictures = 0;
    summary.events.clear();
    std::int64_t previousPicture = -1;
    for (std::int32_t s = 0; s < summary.slotCount; ++s) {
        const FrameInfo* frame = archive.slot(s);
        if (frame == nullptr) continue;
        summary.slotTimes[static_cast<std::size_t>(s)] = frame->frameTime;
        // A slot filled over a gap shares its neighbour's stored picture.
        if (frame->blockPositions[0] != previousPicture) ++summary.pictures;
        previousPicture = frame->blockPositions[0];
        if (!frame->isMarked()) continue;
        if (summary.events.empty() || summary.events.back().lastSlot != s - 1) {
            EventRun run;
            run.firstSlot = s;
            run.time = frame->frameTime;
            summary.events.push_back(run);
        }
        EventRun& run = summary.events.back();
        run.lastSlot = s;
        run.peakG = std::max(run.peakG, frame->accelerationMagnitude);
    }
}

}  // namespace tavrin::exporter
