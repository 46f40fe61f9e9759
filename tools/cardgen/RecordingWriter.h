#pragma once

// One recording archive made from a drive plan: a picture per frame, drawn and compressed,
// sound blocks in between, and, on request, one kind of damage a real card shows.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/DrivePlan.h"

namespace tavrin::cardgen {

enum class Damage {
    None,
    Truncated,    // the file ends in the middle of a picture
    Garbage,      // random bytes between blocks, twice
    ForeignId,    // a stray picture block of another recording in the middle
    NoEndMarker,  // a picture of several blocks without the JPEG end-of-image marker
};

const char* damageName(Damage damage);
// Accepts the names damageName gives ("truncated", "garbage", "foreign-id", "no-end-marker").
bool parseDamage(const std::string& name, Damage& damage);

constexpr std::size_t kSoundBlockSamples = 2048;  // about 155 ms, one block per 4-5 frames
// The unit stamps a sound block this much after its first sample was taken.
constexpr double kSoundStampDelayMs = 38.0;

struct RecordingRequest {
    DriveInput drive;
    int fileNumber = 1;
    int fileGroup = 1;
    int width = 640;
    int height = 480;
    Damage damage = Damage::None;
    std::uint64_t seed = 1;
    std::size_t blockAlignment = 512;  // whole card sectors
};

struct RecordingStats {
    int frames = 0;
    int pictures = 0;
    std::vector<int> dropped;      // frame indices without a picture
    int picturesOfBlocks[5] = {};  // [n]: pictures of n blocks; [4] counts 4 and more
    int soundBlocks = 0;
    std::vector<int> events;  // first marked frame of each event
    std::string damageNote;
};

ArchiveBuilder buildRecording(const RecordingRequest& request, RecordingStats& stats);

}  // namespace tavrin::cardgen
