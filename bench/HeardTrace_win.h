#pragma once

#include <vector>

#include "bench/HeardFigures.h"
#include "bench/WatchedPlayer_win.h"

namespace tavrin::bench {

// When TAVRIN_PLAYBACK_TRACE names a folder (a Windows path), writes <folder>/heard.csv: for
// every grab of the screen and every picture arrival while playing, its time from `startMs` (the
// performance counter at playFrom), what it showed or reported in ms of the track (the frame's
// time, or the device's position) and the track's position heard at that moment. Nothing
// otherwise; a moment with no heard sound near it is left out. <folder>/breaks.csv lists where
// the heard sound left the track's course (`clock` places them) and by how much: a skip positive,
// a pause negative.
void traceHeard(const std::vector<ScreenSighting>& sightings,
                const std::vector<PictureArrival>& arrivals, const HeardTimeline& heard,
                const HeardBreaks& breaks, const SampleClock& clock, double frameDurationMs,
                double startMs);

// Likewise <folder>/monitor.raw, the recorded monitor as it came (16-bit little-endian mono at the
// track's rate: play it to hear what the player sounded like), and <folder>/matches.csv, where
// each stretch of it was found in the track and when it was heard.
void traceMonitor(const std::vector<std::int16_t>& monitor, const std::vector<TrackMatch>& matches,
                  const SampleClock& clock, double startMs);

}  // namespace tavrin::bench
