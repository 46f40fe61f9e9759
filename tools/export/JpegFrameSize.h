#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::exporter {

// The width and height in a JPEG stream's frame header, found by walking its segments without
// decoding anything; false when the stream has no readable frame header (the decoder would give
// no picture either).
bool jpegFrameSize(const std::uint8_t* bytes, std::size_t count, int& width, int& height);

}  // namespace tavrin::exporter
