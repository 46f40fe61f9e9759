#include "bench/PlaybackFigures_win.h"

#include <cmath>
#include <set>

#include "bench/Statistics.h"
#include "media/ISoundPlayer.h"

namespace tavrin::bench {

PlaybackFigures playbackFigures(const std::vector<PictureArrival>& arrivals,
                                std::int32_t frameCount, double frameDurationMs) {
    PlaybackFigures figures;
    std::set<std::int32_t> shown;
    std::vector<double> offsets;
    std::vector<double> offsetSizes;
    for (const PictureArrival& arrival : arrivals) {
        ++figures.arrivals;
        if (!arrival.hasPicture) {
            ++figures.failedPictures;
            continue;
        }
        shown.insert(arrival.frame);
        if (arrival.playerState != VideoPlayer::kPlaying || arrival.soundState != kSoundPlaying) {
            continue;
        }
        const double offset = arrival.frame * frameDurationMs - arrival.soundPositionMs;
        offsets.push_back(offset);
        offsetSizes.push_back(std::fabs(offset));
    }
    figures.framesShownPct = frameCount > 0 ? 100.0 * shown.size() / frameCount : 0;
    figures.offsetMedianMs = median(offsets);
    figures.offsetP95AbsMs = nearestRankPercentile(offsetSizes, 95);
    figures.offsetSamples = static_cast<int>(offsets.size());
    return figures;
}

}  // namespace tavrin::bench
