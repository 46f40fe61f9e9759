#include "tools/cardgen/Sound.h"

#include <algorithm>
#include <cmath>

#include "tools/cardgen/DrivePlan.h"
#include "tools/cardgen/Random.h"

namespace tavrin::cardgen {

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
constexpr double kEdgeMs = 5.0;  // the beep fades in and out this fast, without clicks

double speedAt(const std::vector<double>& speeds, double ms) {
    if (speeds.empty()) return 0;
    const double f = std::clamp(ms / kFrameMs, 0.0, static_cast<double>(speeds.size() - 1));
    const auto i = static_cast<std::size_t>(f);
    const std::size_t j = std::min(i + 1, speeds.size() - 1);
    return speeds[i] + (speeds[j] - speeds[i]) * (f - static_cast<double>(i));
}

double beepAt(const std::vector<double>& beeps, double ms) {
    for (double start : beeps) {
        const double t = ms - start;
        if (t < 0 || t >= kBeepMs) continue;
        const double envelope = std::min({1.0, t / kEdgeMs, (kBeepMs - t) / kEdgeMs});
        return 70.0 * envelope * std::sin(kTwoPi * kBeepHz * t / 1000.0);
    }
    return 0;
}

}  // namespace

Bytes renderSound(const SoundScript& script) {
    Random random(script.seed);
    Bytes out(script.samples);
    double phase = 0;
    double rumble = 0;
    for (std::size_t k = 0; k < script.samples; ++k) {
        const double ms = script.startMs + static_cast<double>(k) * 1000.0 / kSampleRate;
        const double speed = speedAt(script.speedPerFrame, ms);
        // Firing frequency of a small engine, idling at about 28 Hz.
        phase += kTwoPi * (28.0 + speed * 1.1) / kSampleRate;
        if (phase > kTwoPi) phase -= kTwoPi;
        const double engine = 16.0 * std::sin(phase) + 8.0 * std::sin(2 * phase + 0.7) +
                              4.0 * std::sin(3 * phase + 1.9);
        // Road noise: white noise through a one-pole low-pass, louder when faster.
        rumble += 0.15 * (random.between(-1.0, 1.0) - rumble);
        const double road = rumble * (6.0 + speed * 0.35);
        const double value = 128.0 + engine + road + beepAt(script.beepsMs, ms);
        out[k] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return out;
}

}  // namespace tavrin::cardgen
