#pragma once

// Writes one clip: the video file with its sound, the subtitles, the telemetry table and the
// manifest, each under its final name only once complete.

#include <cstdint>
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

// The SHA-256 of each source archive, taken once per run however many clips it serves, in the
// pass that reads the archive for the first clip's pictures.
class SourceHashes {
public:
    bool knows(const Path& path) const { return known_.count(path) != 0; }
    void remember(const Path& path, const std::string& digest) { known_[path] = digest; }
    // The checksum of an archive a clip has read.
    const std::string& of(const Path& path) const { return known_.at(path); }

private:
    std::map<Path, std::string> known_;
};

// The names of a clip's files for its base name ("20120501_081032").
std::vector<std::wstring> clipFileNames(const std::wstring& baseName);

// Writes the clip's files; returns what the manifest lists of them. Throws ExportError.
std::vector<ManifestFile> exportClip(Card& card, const Clip& clip, const std::wstring& baseName,
                                     const ClipSettings& settings, SourceHashes& hashes,
                                     Progress& progress);

}  // namespace tavrin::exporter
