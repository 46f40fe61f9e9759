#pragma once

#include <vector>

#include "bench/HeardFigures.h"
#include "bench/WatchedPlayer_win.h"

namespace tavrin::bench {

// When TAVRIN_PLAYBACK_TRACE names a folder (a Windows path), writes <folder>/heard.csv: for
// every grab of the screen and every picture arrival while playing, its time from `startMs` (the
// performance counter at playFrom), what it showed or reported in ms of the track (the frame's
// time, or the device's position) and the track's position heard at that moment. Nothing
// otherwise; a moment with no heard sound near it is left out.
void traceHeard(const std::vector<ScreenSighting>& sightings,
                const std::vector<PictureArrival>& arrivals, const HeardTimeline& heard,
                double frameDurationMs, double startMs);

}  // namespace tavrin::bench
