#include "bench/HeardTrace_win.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "media/ISoundPlayer.h"

namespace tavrin::bench {

void traceHeard(const std::vector<ScreenSighting>& sightings,
                const std::vector<PictureArrival>& arrivals, const HeardTimeline& heard,
                double frameDurationMs, double startMs) {
    const char* folder = std::getenv("TAVRIN_PLAYBACK_TRACE");
    if (folder == nullptr || *folder == '\0') return;
    const std::string path = std::string(folder) + "/heard.csv";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "w"),
                                                         &std::fclose);
    if (!file) {
        std::fprintf(stderr, "heard_bench: cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file.get(), "ms,source,shown_ms,heard_ms\n");
    for (const ScreenSighting& sighting : sightings) {
        const std::optional<double> heardMs = heard.heardMsAt(sighting.ms);
        if (sighting.frame < 0 || !heardMs) continue;
        std::fprintf(file.get(), "%.1f,screen,%.1f,%.1f\n", sighting.ms - startMs,
                     sighting.frame * frameDurationMs, *heardMs);
    }
    for (const PictureArrival& arrival : arrivals) {
        const std::optional<double> heardMs = heard.heardMsAt(arrival.counterMs);
        if (arrival.soundState != kSoundPlaying || !heardMs) continue;
        std::fprintf(file.get(), "%.1f,device,%d,%.1f\n", arrival.counterMs - startMs,
                     arrival.soundPositionMs, *heardMs);
    }
}

}  // namespace tavrin::bench
