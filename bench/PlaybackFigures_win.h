#pragma once

#include <cstdint>
#include <vector>

#include "bench/WatchedPlayer_win.h"

namespace tavrin::bench {

// What one playback looked like, from the pictures that arrived.
struct PlaybackFigures {
    // Distinct frames whose picture reached the screen, against the recording's frame count.
    double framesShownPct = 0;
    // Picture time minus sound position at arrival, in ms: positive when the picture shows a
    // moment the sound has not reached yet (the picture is ahead), negative when it lags.
    double offsetMedianMs = 0;
    double offsetP95AbsMs = 0;  // 95th percentile of the offset's size, nearest rank
    int offsetSamples = 0;      // arrivals with the sound playing and a picture
    int arrivals = 0;
    int failedPictures = 0;  // arrivals without a picture (a decode failure)
};

// Only arrivals while the player plays and the sound runs carry a meaningful offset: before
// playback and after the sound has ended the sound position is not a clock.
PlaybackFigures playbackFigures(const std::vector<PictureArrival>& arrivals,
                                std::int32_t frameCount, double frameDurationMs);

}  // namespace tavrin::bench
