#include "bench/HeardTrace_win.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "media/ISoundPlayer.h"

namespace tavrin::bench {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File traceFile(const char* folder, const char* name) {
    const std::string path = std::string(folder) + "/" + name;
    File file(std::fopen(path.c_str(), "w"), &std::fclose);
    if (!file) std::fprintf(stderr, "heard_bench: cannot write %s\n", path.c_str());
    return file;
}

}  // namespace

void traceHeard(const std::vector<ScreenSighting>& sightings,
                const std::vector<PictureArrival>& arrivals, const HeardTimeline& heard,
                const HeardBreaks& breaks, const SampleClock& clock, double frameDurationMs,
                double startMs) {
    const char* folder = std::getenv("TAVRIN_PLAYBACK_TRACE");
    if (folder == nullptr || *folder == '\0') return;
    if (File file = traceFile(folder, "breaks.csv")) {
        std::fprintf(file.get(), "ms,moved_ms\n");
        for (const HeardBreak& heardBreak : breaks.each)
            std::fprintf(file.get(), "%.1f,%.2f\n", clock.msOf(heardBreak.recordedSample) - startMs,
                         heardBreak.movedSamples * clock.msPerSample);
    }
    File file = traceFile(folder, "heard.csv");
    if (!file) return;
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

void traceMonitor(const std::vector<std::int16_t>& monitor, const std::vector<TrackMatch>& matches,
                  const SampleClock& clock, double startMs) {
    const char* folder = std::getenv("TAVRIN_PLAYBACK_TRACE");
    if (folder == nullptr || *folder == '\0') return;
    if (File file = traceFile(folder, "matches.csv")) {
        std::fprintf(file.get(), "ms,recorded_sample,track_sample,score\n");
        for (const TrackMatch& match : matches)
            std::fprintf(file.get(), "%.1f,%.2f,%.3f,%.3f\n",
                         clock.msOf(match.recordedSample) - startMs, match.recordedSample,
                         match.trackSample, match.score);
    }
    const std::string path = std::string(folder) + "/monitor.raw";
    File raw(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!raw) {
        std::fprintf(stderr, "heard_bench: cannot write %s\n", path.c_str());
        return;
    }
    for (const std::int16_t sample : monitor) {
        const auto value = static_cast<std::uint16_t>(sample);
        const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xff),
                                        static_cast<unsigned char>(value >> 8)};
        std::fwrite(bytes, 1, 2, raw.get());
    }
}

}  // namespace tavrin::bench
