#include "bench/TrackMatching.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <optional>

namespace tavrin::bench {
namespace {

using Complex = std::complex<double>;

constexpr double kPi = 3.14159265358979323846;
// A search over the whole of the track's likely stretch costs a large transform: at most one
// in this many windows of a recording that is lost.
constexpr std::size_t kWindowsBetweenWideSearches = 4;
// Samples by which a stretch may leave its neighbours' course before it counts as a stray.
constexpr double kStrayTolerance = 2;

// In-place radix-2 transform; `inverse` leaves out the 1/N, the caller divides.
void fft(std::vector<Complex>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = 2 * kPi / static_cast<double>(length) * (inverse ? 1 : -1);
        const Complex unit(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += length) {
            Complex w(1);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const Complex u = a[start + k];
                const Complex v = a[start + k + length / 2] * w;
                a[start + k] = u + v;
                a[start + k + length / 2] = u - v;
                w *= unit;
            }
        }
    }
}

std::size_t powerOfTwoAtLeast(std::size_t n) {
    std::size_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

// Differences of neighbouring samples: the engine's low hum weighs little against the road
// noise's broad spectrum, and any constant offset goes.
Signal whitened(const Signal& signal) {
    Signal out(signal.size());
    for (std::size_t i = 1; i < signal.size(); ++i) out[i] = signal[i] - signal[i - 1];
    return out;
}

struct Peak {
    double lag = 0;
    double score = 0;
    bool atEdge = false;  // the best lag is the first or last searched: the peak may lie beyond
};

// The lag l in [0, segment.size() - window.size()] at which window[i] best matches
// segment[l + i], by normalised cross-correlation, refined to a fraction of a sample.
Peak bestLag(const float* window, std::size_t windowSize, const float* segment,
             std::size_t segmentSize) {
    const std::size_t lags = segmentSize - windowSize + 1;
    const std::size_t n = powerOfTwoAtLeast(segmentSize);
    std::vector<Complex> a(n), b(n);
    double windowEnergy = 0;
    for (std::size_t i = 0; i < windowSize; ++i) {
        a[i] = window[i];
        windowEnergy += static_cast<double>(window[i]) * window[i];
    }
    for (std::size_t i = 0; i < segmentSize; ++i) b[i] = segment[i];
    fft(a, false);
    fft(b, false);
    for (std::size_t i = 0; i < n; ++i) a[i] = std::conj(a[i]) * b[i];
    fft(a, true);

    // Energy of each stretch of the segment, from running sums.
    std::vector<double> squares(segmentSize + 1);
    for (std::size_t i = 0; i < segmentSize; ++i)
        squares[i + 1] = squares[i] + static_cast<double>(segment[i]) * segment[i];
    std::vector<double> scores(lags);
    for (std::size_t l = 0; l < lags; ++l) {
        const double energy = squares[l + windowSize] - squares[l];
        const double product = a[l].real() / static_cast<double>(n);
        scores[l] = energy > 0 ? product / std::sqrt(windowEnergy * energy) : 0;
    }
    const std::size_t best =
        static_cast<std::size_t>(std::max_element(scores.begin(), scores.end()) - scores.begin());
    Peak peak{static_cast<double>(best), scores[best], best == 0 || best + 1 == lags};
    if (!peak.atEdge) {
        const double left = scores[best - 1];
        const double right = scores[best + 1];
        const double curvature = left - 2 * scores[best] + right;
        if (curvature < 0) peak.lag += 0.5 * (left - right) / curvature;
    }
    return peak;
}

// A stretch placed off the course its two neighbours agree on, by more than `tolerance` samples
// either way: a look-alike found in the track (the engine's hum repeats), not a jump and straight
// back of the sound.
bool strayMatch(const TrackMatch& before, const TrackMatch& match, const TrackMatch& after,
                double tolerance) {
    const auto course = [](const TrackMatch& m) { return m.trackSample - m.recordedSample; };
    return std::fabs(course(before) - course(after)) <= tolerance &&
           std::fabs(course(match) - course(before)) > tolerance &&
           std::fabs(course(match) - course(after)) > tolerance;
}

}  // namespace

Signal trackSignal(const std::vector<std::uint8_t>& samples) {
    Signal out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) out[i] = static_cast<float>(samples[i]) - 128;
    return out;
}

Signal recordedSignal(const std::vector<std::int16_t>& samples) {
    Signal out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) out[i] = samples[i] / 256.0f;
    return out;
}

std::vector<TrackMatch> matchToTrack(const Signal& trackSamples, const Signal& recordingSamples,
                                     const MatchOptions& options) {
    std::vector<TrackMatch> matches;
    const Signal track = whitened(trackSamples);
    const Signal recording = whitened(recordingSamples);
    const std::size_t window = options.window;
    if (window == 0 || track.size() < window || recording.size() < window) return matches;
    const double lastStart = static_cast<double>(track.size() - window);

    // Looks for the stretch at `stretch` between track starts expected - before and
    // expected + after; the start found, when it matches well enough.
    const auto search = [&](const float* stretch, double expected, double before,
                            double after) -> std::optional<Peak> {
        if (expected + after < 0 || expected - before > lastStart) return std::nullopt;
        const double from = std::max(0.0, std::floor(expected - before));
        const double to = std::min(lastStart, std::ceil(expected + after));
        const auto first = static_cast<std::size_t>(from);
        Peak peak = bestLag(stretch, window, track.data() + first,
                            static_cast<std::size_t>(to) - first + window);
        // A best lag at the end of the range searched is only the slope of a peak outside it,
        // unless the track itself ends there.
        const bool cutShort =
            (peak.lag == 0 && from > 0) || (peak.lag == to - from && to < lastStart);
        if (peak.score < options.minScore || (peak.atEdge && cutShort)) return std::nullopt;
        peak.lag += from;
        return peak;
    };

    bool known = false;
    double expectedStart = 0;  // where in the track the next window should begin
    std::size_t sinceWideSearch = kWindowsBetweenWideSearches;
    for (std::size_t start = 0; start + window <= recording.size(); start += options.step) {
        const float* stretch = recording.data() + start;
        double energy = 0;
        for (std::size_t i = 0; i < window; ++i)
            energy += static_cast<double>(stretch[i]) * stretch[i];
        // A sample's difference of less than a step of the 8-bit track on average: silence.
        if (energy < 0.25 * static_cast<double>(window)) {
            if (known) expectedStart += static_cast<double>(options.step);
            continue;
        }

        std::optional<Peak> peak;
        if (known) {
            const auto near = static_cast<double>(options.nearSearch);
            peak = search(stretch, expectedStart, near, near);
        } else {
            // Lost, or not yet found: near the place expected first, then (now and then, as it
            // is costly) the whole stretch of track where the sound could be.
            const auto medium = static_cast<double>(options.mediumSearch);
            peak = search(stretch, expectedStart, medium, medium);
            if (!peak && ++sinceWideSearch >= kWindowsBetweenWideSearches) {
                sinceWideSearch = 0;
                const auto wide = static_cast<double>(options.wideSearch);
                peak = search(stretch, expectedStart, wide / 8, wide);
            }
        }
        if (!peak) {
            known = false;
            expectedStart += static_cast<double>(options.step);
            continue;
        }
        matches.push_back(
            {static_cast<double>(start) + window / 2.0, peak->lag + window / 2.0, peak->score});
        known = true;
        expectedStart = peak->lag + static_cast<double>(options.step);
    }
    std::vector<TrackMatch> kept;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const bool inside = i > 0 && i + 1 < matches.size();
        if (!inside || !strayMatch(matches[i - 1], matches[i], matches[i + 1], kStrayTolerance))
            kept.push_back(matches[i]);
    }
    return kept;
}

}  // namespace tavrin::bench
