#pragma once

// How far the picture on screen is from the sound that is heard, from three outside
// observations: the recorded monitor's arrival times, where its stretches lie in the track, and
// the frames read off the screen. Every time is on one clock (ms of the performance counter).

#include <cstdint>
#include <optional>
#include <vector>

#include "bench/TrackMatching.h"

namespace tavrin::bench {

// The recorder's file had grown to `samples` samples by `ms`.
struct MonitorArrival {
    double ms = 0;
    std::int64_t samples = 0;
};

// When the sound server handed on each sample of the recording: startMs + sample * msPerSample.
struct SampleClock {
    bool valid = false;
    double startMs = 0;
    double msPerSample = 0;
    // How far the earliest arrivals of the stretches stray from the line, at most.
    double worstResidualMs = 0;

    double msOf(double sample) const { return startMs + sample * msPerSample; }
    double sampleAt(double ms) const { return (ms - startMs) / msPerSample; }
};

// A sample arrives no earlier than the server hands it on, and within each stretch of
// `stretchMs` the earliest arrival comes closest to that moment; the line is fitted through
// those earliest arrivals, so the recorder's own buffering drops out. Its slope is measured, not
// assumed, so the counter and the server's clock need not run at exactly the same rate.
SampleClock fitSampleClock(const std::vector<MonitorArrival>& arrivals, double nominalRate,
                           double stretchMs = 5000);

// Which moment of the track was heard when. The recording is taken at the track's own rate.
class HeardTimeline {
public:
    HeardTimeline(std::vector<TrackMatch> matches, SampleClock clock, double trackRate);

    // The track position in ms heard at `ms`, from the nearest matched stretch (whose own
    // samples follow each other one to one); nothing when none lies within `reachMs`.
    std::optional<double> heardMsAt(double ms, double reachMs = 300) const;

private:
    std::vector<TrackMatch> matches_;
    SampleClock clock_;
    double trackRate_;
};

// Where the heard sound left the track's course between neighbouring matches: stretches of the
// track that were never heard (the output dropped data) and pauses (it ran dry, or repeated).
struct HeardBreak {
    double recordedSample = 0;  // the middle of the match after the break
    double movedSamples = 0;    // the track's course moved on by this many: > 0 a skip
};
struct HeardBreaks {
    std::vector<HeardBreak> each;
    int skips = 0;
    double skippedMs = 0;
    int pauses = 0;
    double pausedMs = 0;
};
// Breaks smaller than `toleranceSamples` are measuring noise and are not counted.
HeardBreaks heardBreaks(const std::vector<TrackMatch>& matches, double trackRate,
                        double toleranceSamples = 2);

// Stretches of the recording held at full scale (a size of at least `level`) for at least
// `minSamples` in a row: no recorded sound does that, a click does (an output that pads with the
// lowest 8-bit level, say).
struct FullScaleBursts {
    int count = 0;
    std::int64_t samples = 0;
};
FullScaleBursts fullScaleBursts(const std::vector<std::int16_t>& recording, std::size_t minSamples,
                                int level = 32000);

// A grab of the screen: the middle of the moments before and after it, how long it took, and the
// frame read off the picture's strip (-1 when it could not be read).
struct ScreenSighting {
    double ms = 0;
    double spanMs = 0;
    std::int32_t frame = -1;
};

struct HeardFigures {
    // Picture time minus heard sound position, in ms: positive when the picture is ahead.
    double offsetMedianMs = 0;
    double offsetP95AbsMs = 0;  // 95th percentile of the offset's size, nearest rank
    // Least-squares slope of the offset over the run, in ms per minute.
    double driftMsPerMinute = 0;
    int offsets = 0;     // sightings with a frame and a heard position
    int unreadable = 0;  // sightings whose frame could not be read
    int unheard = 0;     // sightings with no heard position near them
    int uncertain = 0;   // grabs that took too long for their moment to be known
};

// Sightings from `fromMs` up to `toMs` only (while the recording plays), and of those only grabs
// that took at most `longestSpanMs`.
HeardFigures heardFigures(const std::vector<ScreenSighting>& sightings,
                          const HeardTimeline& timeline, double frameDurationMs, double fromMs,
                          double toMs, double longestSpanMs = 5);

}  // namespace tavrin::bench
