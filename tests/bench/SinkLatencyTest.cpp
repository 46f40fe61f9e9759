#include <gtest/gtest.h>

#include "bench/SinkLatency.h"

namespace tavrin::bench {
namespace {

// As the sound server lists them (shortened), with the session's null output second.
constexpr const char* kListing = R"(Sink #0
	State: SUSPENDED
	Name: alsa_output.pci-0000_00_1f.3.analog-stereo
	Driver: module-alsa-card.c
	Latency: 0 usec, configured 0 usec
	Flags: HARDWARE HW_MUTE_CTRL DECIBEL_VOLUME LATENCY
Sink #1
	State: RUNNING
	Name: tavrin_null
	Description: Null Output
	Monitor Source: tavrin_null.monitor
	Latency: 1141 usec, configured 5000 usec
	Flags: DECIBEL_VOLUME LATENCY SET_FORMATS
	Properties:
		device.description = "Null Output"
Sink #2
	Name: quiet
	Flags: DECIBEL_VOLUME
)";

TEST(SinkLatencyTest, TheConfiguredLatencyOfTheNamedOutput) {
    const struct {
        const char* sink;
        double latencyMs;  // < 0: none found
    } rows[] = {{"tavrin_null", 5.0},
                {"alsa_output.pci-0000_00_1f.3.analog-stereo", 0.0},
                {"quiet", -1},
                {"tavrin", -1},
                {"", -1}};
    for (const auto& row : rows) {
        const std::optional<double> latency = configuredSinkLatencyMs(kListing, row.sink);
        if (row.latencyMs < 0) {
            EXPECT_FALSE(latency.has_value()) << row.sink;
        } else {
            ASSERT_TRUE(latency.has_value()) << row.sink;
            EXPECT_DOUBLE_EQ(*latency, row.latencyMs) << row.sink;
        }
    }
    EXPECT_FALSE(configuredSinkLatencyMs("", "tavrin_null").has_value());
}

}  // namespace
}  // namespace tavrin::bench
