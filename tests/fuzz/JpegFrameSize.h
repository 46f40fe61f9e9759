#pragma once

#include <cstddef>
#include <cstdint>

#include "media/PictureScaling.h"

namespace tavrin::fuzz {

// The size the frame header of a JPEG stream declares, read by the JPEG library itself exactly as
// the decoder reads it (the stream's end taken as an end-of-image marker); false when the library
// refuses the header.
bool readJpegFrameSize(const std::uint8_t* bytes, std::size_t length, int& width, int& height);

// Whether a `width` x `height` picture, decoded for `box` at the reduced scale the decoder
// chooses, comes out small enough to be worth decoding on every run of a fuzz target. A picture
// that no reduction brings near the box (a frame header declaring 49,168 x 255, say) costs its
// full size, which a few such inputs in a corpus turn into most of a target's time.
bool cheapToDecodeFor(int width, int height, PictureSize box);

}  // namespace tavrin::fuzz
