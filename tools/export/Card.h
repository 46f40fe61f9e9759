#pragma once

// The recordings an export reads from: one archive, or every archive of a card folder in the
// viewer's order of start time. Each is scanned once as the viewer opens it, and what selection
// and reports need is kept; the archives themselves are held open a few at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/ArchiveScan.h"
#include "recording/Platform.h"

namespace tavrin {
class VideoArchive;
}

namespace tavrin::exporter {

class Progress;

// A run of consecutive slots carrying the event mark.
struct EventRun {
    std::int32_t firstSlot = 0;
    std::int32_t lastSlot = 0;
    std::int64_t time = 0;  // frame time of its first slot
    double peakG = 0.0;     // largest acceleration magnitude over the run
};

struct RecordingSummary {
    Path path;
    std::wstring fileName;
    std::int64_t fileBytes = 0;
    bool readable = false;
    std::wstring failure;  // the viewer's message when it cannot open the archive
    bool soundAvailable = true;
    std::int64_t startTime = 0;
    std::int64_t firstFrameTime = 0;
    std::int64_t lastFrameTime = 0;
    std::int32_t slotCount = 0;
    std::int32_t pictures = 0;            // distinct pictures shown
    std::vector<std::int64_t> slotTimes;  // frame time of every slot
    std::vector<EventRun> events;
    ScanDiagnostics diagnostics;
};

class Card {
public:
    // Throws ExportError when the input is missing or holds no archive.
    Card(const Path& input, Progress& progress);
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;
    ~Card();

    const Path& input() const { return input_; }
    bool isFolder() const { return isFolder_; }
    const std::vector<RecordingSummary>& recordings() const { return recordings_; }
    // Set when the viewer itself cannot list the folder (an archive name it cannot read); the
    // recordings are then listed one by one.
    const std::wstring& listingFailure() const { return listingFailure_; }

    // Recording `index` opened as the viewer opens it; valid until archives of several other
    // recordings have been asked for.
    VideoArchive& archive(std::size_t index);

private:
    struct OpenArchive;
    void listFolder();
    void summarise(std::size_t index);

    Path input_;
    bool isFolder_ = false;
    std::wstring listingFailure_;
    std::vector<RecordingSummary> recordings_;
    std::vector<std::unique_ptr<OpenArchive>> open_;  // most recently used last
};

// Summary of an archive the caller has open.
void summariseArchive(VideoArchive& archive, RecordingSummary& summary);

}  // namespace tavrin::exporter
