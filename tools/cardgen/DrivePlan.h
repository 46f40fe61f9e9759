#pragma once

// The timeline of one recording before anything is drawn: for every frame its tick, date and
// time, speed, acceleration, event mark and picture quality, as the unit would have measured
// them on a short drive.

#include <cstdint>
#include <vector>

#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/Random.h"

namespace tavrin::cardgen {

constexpr double kFrameMs = 1000.0 / 28.0;
constexpr int kEventFrames = 5;  // consecutive frames marked for one event

struct DriveInput {
    UnitTime start;               // date and time of frame 0
    std::uint32_t firstTick = 0;  // tick of frame 0; later ticks may wrap round
    std::uint32_t recordingId = 1;
    int frames = 168;  // frame indices 0 .. frames - 1, dropped ones included
    int events = 1;
    int drops = 1;
};

struct PlannedFrame {
    int index = 0;
    bool dropped = false;  // the unit missed it: no picture is written
    bool marked = false;
    std::uint32_t tick = 0;
    UnitTime time;
    std::int16_t accel[3] = {0, 0, 0};  // 1/4096 G
    int speed = 0;                      // km/h
    int quality = 75;                   // JPEG quality of its picture
    double distance = 0;                // metres driven since frame 0
    double lateral = 0;                 // camera's sideways sway in metres
};

struct DrivePlan {
    ArchiveHeaderFields header;
    std::vector<PlannedFrame> frames;
    std::vector<int> events;  // first marked frame of each event
    double soundLeadMs = 0;   // the sound starts this long after frame 0
};

DrivePlan planDrive(const DriveInput& input, Random& random);

}  // namespace tavrin::cardgen
