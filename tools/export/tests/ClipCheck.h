#pragma once

// Reads an exported clip back with the tools its recipient would use (ffprobe and ffmpeg) and
// holds it against what the viewer shows and plays for the same slots.

#include <map>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "tools/export/tests/ViewerReference.h"

namespace tavrin::exporttest {

// ffprobe's view of one stream ("v:0" or "a:0") and of the file: key=value pairs.
std::map<std::string, std::string> probeStream(const Path& file, const char* stream);

// The clip's pictures as ffmpeg takes them out of the file, unchanged, one per frame.
std::vector<Bytes> copiedPictures(const Path& file);
// The clip's sound as ffmpeg takes it out of the file.
Bytes copiedSound(const Path& file);

// Checks the streams, frame count and duration, every picture bit for bit, the index strip of
// every decoded frame, the sound sample for sample and the beep of each event against its
// marked picture. Failures are reported as test failures.
void expectClipIsWhatTheViewerShows(const Path& avi, const std::vector<SourceRange>& sources);

// The first sample of each beep (2 kHz) in 8-bit sound at 13,183 samples a second.
std::vector<std::size_t> beepStarts(const Bytes& sound);

}  // namespace tavrin::exporttest
