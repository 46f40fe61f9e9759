#pragma once

// The text files beside a clip: subtitles any player shows on its own, and the telemetry table.

#include <string>
#include <vector>

#include "tools/export/ClipFrame.h"

namespace tavrin::exporter {

// SubRip subtitles, one entry per second of the clip: the unit's date and time, the speed and
// the largest G magnitude of that second, and "EVENT" when a frame of it carries the mark.
std::string subtitleText(const std::vector<ClipFrame>& frames);

// One row per slot, numbered from the clip's first slot, with a header row.
std::string telemetryCsv(const std::vector<ClipFrame>& frames);

}  // namespace tavrin::exporter
