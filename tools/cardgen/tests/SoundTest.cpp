#include <gtest/gtest.h>

#include <cmath>

#include "tools/cardgen/Sound.h"

namespace tavrin::cardgen {
namespace {

// Strength of `hz` in `count` samples from `from` (Goertzel), relative to the window length.
double toneStrength(const Bytes& s, std::size_t from, std::size_t count, double hz) {
    const double w = 2 * 3.14159265358979 * hz / kSampleRate;
    double a = 0, b = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const double next = (s[i] - 128.0) + 2 * std::cos(w) * a - b;
        b = a;
        a = next;
    }
    return std::sqrt(a * a + b * b - 2 * std::cos(w) * a * b) / count;
}

TEST(SoundTest, BeepsSoundAtTheirTimesOnly) {
    SoundScript script;
    script.startMs = 40;
    script.samples = kSampleRate * 3;
    script.speedPerFrame.assign(84, 50.0);
    script.beepsMs = {1000.0};
    const Bytes sound = renderSound(script);
    ASSERT_EQ(sound.size(), script.samples);

    auto sampleAt = [&](double ms) {
        return static_cast<std::size_t>((ms - script.startMs) * kSampleRate / 1000.0);
    };
    const std::size_t window = 400;  // 30 ms
    struct Case {
        double ms;
        bool beep;
    };
    const Case cases[] = {{500, false}, {965, false},  {1010, true}, {1150, true},
                          {1270, true}, {1320, false}, {2500, false}};
    for (const Case& c : cases) {
        const double strength = toneStrength(sound, sampleAt(c.ms), window, kBeepHz);
        if (c.beep) {
            EXPECT_GT(strength, 20.0) << c.ms;
        } else {
            EXPECT_LT(strength, 3.0) << c.ms;
        }
    }
}

TEST(SoundTest, EngineHumsAroundSilenceAndFollowsTheSpeed) {
    struct Case {
        double speed;
        double hz;  // the engine's firing frequency at that speed
    };
    const Case cases[] = {{0, 28.0}, {60, 94.0}};
    for (const Case& c : cases) {
        SoundScript script;
        script.samples = kSampleRate;
        script.speedPerFrame.assign(28, c.speed);
        const Bytes sound = renderSound(script);
        double mean = 0;
        int lowest = 255, highest = 0;
        for (std::uint8_t v : sound) {
            mean += v;
            lowest = std::min<int>(lowest, v);
            highest = std::max<int>(highest, v);
        }
        mean /= static_cast<double>(sound.size());
        EXPECT_NEAR(mean, 128.0, 2.0);
        EXPECT_GT(highest - lowest, 30);  // audible
        EXPECT_GT(lowest, 30);            // and never clipped
        EXPECT_LT(highest, 225);
        const std::size_t second = kSampleRate;
        EXPECT_GT(toneStrength(sound, 0, second, c.hz),
                  3 * toneStrength(sound, 0, second, c.hz * 1.5 + 7));
    }
}

TEST(SoundTest, SameSeedSameSamples) {
    SoundScript script;
    script.samples = 5000;
    script.speedPerFrame = {30.0};
    const Bytes a = renderSound(script);
    EXPECT_EQ(renderSound(script), a);
    script.seed = 2;
    EXPECT_NE(renderSound(script), a);
}

}  // namespace
}  // namespace tavrin::cardgen
