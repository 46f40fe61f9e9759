#pragma once

#include <string>

namespace tavrin {
class VideoArchive;
}

namespace tavrin::tools {

// The archive as one JSON object: its times, its marked slots, one entry per slot and the size
// of its sound track. Other tools read these names; keep them.
std::string archiveJson(VideoArchive& archive);

// One telemetry row per slot, with a header row, for spreadsheets.
std::string archiveCsv(const VideoArchive& archive);

}  // namespace tavrin::tools
