#pragma once

// Writes one clip: the video file with its sound, the subtitles, the telemetry table and the
// manifest, each under its final name only once complete.

#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "tools/export/ClipSelection.h"
#include "tools/export/Manifest.h"

namespace tavrin::exporter {

class Card;
class Progress;

struct ClipSettings {
    Path outFolder;
    bool replace = false;
    std::int64_t riffLimit = 0;
};

// The SHA-256 of each source archive, read once per run however many clips it serves, on
// threads of their own while the export goes on.
class SourceHashes {
public:
    SourceHashes() = default;
    SourceHashes(const SourceHashes&) = delete;
    SourceHashes& operator=(const SourceHashes&) = delete;
    // Stops reading what is no longer wanted (after a failure) before it goes.
    ~SourceHashes();

    // Starts reading the checksums of those of `paths` not yet known.
    void prepare(const std::vector<Path>& paths);
    // Waits for the checksum of `path`; throws ExportError when the file cannot be read.
    const std::string& of(const Path& path);

private:
    std::map<Path, std::string> known_;
    std::map<Path, std::future<std::string>> pending_;
    std::atomic<bool> cancelled_{false};
};

// The names of a clip's files for its base name ("20120501_081032").
std::vector<std::wstring> clipFileNames(const std::wstring& baseName);

// Writes the clip's files; returns what the manifest lists of them. Throws ExportError.
std::vector<ManifestFile> exportClip(Card& card, const Clip& clip, const std::wstring& baseName,
                                     const ClipSettings& settings, SourceHashes& hashes,
                                     Progress& progress);

}  // namespace tavrin::exporter
