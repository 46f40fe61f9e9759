#include "bench/PlaybackFigures_win.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "media/ISoundPlayer.h"

namespace tavrin::bench {
namespace {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double nearestRankPercentile(std::vector<double> values, double percent) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(percent / 100.0 * values.size()));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

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
