#pragma once

// Where in a recording's sound track a stretch of recorded sound comes from: the heard sound is
// matched to the track by cross-correlating its noise, so what was really heard can be told
// apart from what an output device says it played.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrin::bench {

// Samples centred on zero, at one common rate for track and recording.
using Signal = std::vector<float>;

// An 8-bit unsigned track (silence 128) and a 16-bit signed recording as signals.
Signal trackSignal(const std::vector<std::uint8_t>& samples);
Signal recordedSignal(const std::vector<std::int16_t>& samples);

// One stretch of the recording found in the track.
struct TrackMatch {
    double recordedSample = 0;  // middle of the stretch in the recording
    double trackSample = 0;     // the track's sample heard there, to a fraction of a sample
    double score = 0;           // normalised correlation, 1 for an exact copy
};

struct MatchOptions {
    std::size_t window = 2048;      // samples of the recording compared at a time
    std::size_t step = 3296;        // between the middles of successive windows
    std::size_t nearSearch = 1024;  // +- samples searched around where the last match leads
    // Where the last stretch matched nowhere: +- this many samples around where it should be,
    std::size_t mediumSearch = 13183;
    // and failing that, from an eighth of this before up to this after (the start of the
    // track, at first).
    std::size_t wideSearch = 13183 * 20;
    double minScore = 0.6;  // below this a stretch counts as not found
};

// Walks through the recording window by window and finds each one in the track. Stretches of
// silence and those found nowhere are left out, and so is a stretch placed off the course on
// which both its neighbours agree. Both signals at the same sample rate.
std::vector<TrackMatch> matchToTrack(const Signal& track, const Signal& recording,
                                     const MatchOptions& options = {});

}  // namespace tavrin::bench
