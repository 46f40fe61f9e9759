#pragma once

// The picture of one frame: a road seen from the windscreen, moving with the distance driven,
// a car ahead, the frame number in large digits, the file number, and the frame-index strip.

#include "tools/cardgen/Canvas.h"

namespace tavrin::cardgen {

struct SceneFrame {
    int frameIndex = 0;
    int fileNumber = 0;
    double seconds = 0;    // since the recording started
    double distance = 0;   // metres driven
    double lateral = 0;    // camera sway in metres
    bool braking = false;  // the car ahead shows its brake lights
};

void drawScene(Canvas& canvas, const SceneFrame& frame);

}  // namespace tavrin::cardgen
