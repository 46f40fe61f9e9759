#pragma once

// The sound server renders what it plays ahead of its own clock by up to its configured latency,
// and its monitor passes each piece on as soon as it is rendered: a sample shows up on the
// monitor up to that long before it is played. The figure comes from the server's own listing
// of its outputs (`pactl list sinks`, in the C locale).

#include <optional>
#include <string>

namespace tavrin::bench {

// The configured latency in ms of the output named `sinkName` in `listing`; nothing when the
// listing has no such output or does not say.
std::optional<double> configuredSinkLatencyMs(const std::string& listing,
                                              const std::string& sinkName);

}  // namespace tavrin::bench
