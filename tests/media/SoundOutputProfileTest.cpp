#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/SoundOutputProfile.h"

namespace tavrin {
namespace {

TEST(SoundOutputProfileTest, OnlyWinesOutputIsResampledWidenedAndCorrected) {
    const struct {
        std::uint32_t trackRate;
        bool wine;
        std::uint32_t outputRate;
        std::uint16_t bytesPerSample;
        bool correctStartLead;
    } rows[] = {
        {13183, false, 13183, 1, false},  // a Windows driver: the track as it is
        {13183, true, 13200, 2, true},
        {13200, true, 13200, 2, true},  // already whole periods: only widened and corrected
        {13200, false, 13200, 1, false},
    };
    for (const auto& row : rows) {
        const SoundOutputProfile profile = soundOutputProfile(row.trackRate, row.wine);
        EXPECT_EQ(profile.outputRate, row.outputRate) << row.trackRate << " " << row.wine;
        EXPECT_EQ(profile.bytesPerSample, row.bytesPerSample) << row.trackRate << " " << row.wine;
        EXPECT_EQ(profile.correctStartLead, row.correctStartLead)
            << row.trackRate << " " << row.wine;
    }
}

TEST(SoundOutputProfileTest, WidenedSamplesKeepSilenceAtZero) {
    // Silence must become zero bytes: that is what Wine pads with when the server runs dry.
    const std::vector<std::uint8_t> samples = {128, 0, 255, 129, 127};
    const std::vector<std::uint8_t> expected = {0x00, 0x00,   // 0
                                                0x00, 0x80,   // -32768
                                                0x00, 0x7f,   // 32512
                                                0x00, 0x01,   // 256
                                                0x00, 0xff};  // -256
    std::vector<std::uint8_t> out(2 * samples.size(), 0xAA);
    widenSamples(samples.data(), samples.size(), out.data());
    EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace tavrin
