#pragma once

// A whole memory card folder: several recordings over three dates, extra damaged ones on
// request, and the unit's FIRMINFO.DAT; or one long archive for the benchmarks.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/cardgen/RecordingWriter.h"

namespace tavrin::cardgen {

struct CardOptions {
    std::string folder;
    int recordings = 5;
    int frames = 168;  // frame indices per recording, dropped ones included
    int width = 640;
    int height = 480;
    std::uint64_t seed = 1;
    std::vector<Damage> damage;  // one extra recording each
};

// Told a one-line summary of each file once it is written.
using Report = std::function<void(const std::string&)>;

// "0001_001.DAT" for file number 1 in group 1.
std::string archiveName(int fileNumber, int fileGroup);

// Creates the folder when missing. Throws std::runtime_error when a file cannot be written.
void writeCard(const CardOptions& options, const Report& report);

constexpr int kLargePictures = 30000;

// One recording of `pictures` small pictures (160 x 120) with an event every thousand frames.
void writeLargeArchive(const std::string& path, std::uint64_t seed, const Report& report,
                       int pictures = kLargePictures);

}  // namespace tavrin::cardgen
