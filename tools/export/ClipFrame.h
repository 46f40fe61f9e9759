#pragma once

#include <cstdint>

namespace tavrin::exporter {

// What the telemetry and subtitle files say about one slot of a clip.
struct ClipFrame {
    std::int64_t time = 0;  // the unit's clock, seconds; 0 when not known
    double acceleration[3] = {0, 0, 0};
    double magnitude = 0;
    int speed = 0;
    bool marked = false;
    // The slot shows a picture of its own, not its neighbour's repeated over a gap.
    bool newPicture = false;
};

}  // namespace tavrin::exporter
