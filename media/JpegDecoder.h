#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/PictureScaling.h"

namespace tavrin {

class Image;

// A frame header declaring more pixels than any camera unit's picture is damaged (a bit flip on a
// worn card is enough); such a picture is refused before anything is allocated for it.
constexpr std::uint64_t kMostJpegPixels = 16000000;

// Decodes a complete JPEG stream held in memory into a bottom-up 32-bit picture. A stream cut
// short decodes as if it had ended there; a damaged header, a CMYK stream, a picture declaring
// more than 16 million pixels or short memory give null. Never throws; the caller keeps the bytes.
//
// With a `wanted` size (the box the picture is shown in), a picture larger than it comes out at
// exactly that size: decoded at the reduced scale that still covers it and shrunk the rest of
// the way with a good filter. A picture that does not cover the box keeps its own size.
std::unique_ptr<Image> decodeJpeg(const std::uint8_t* bytes, std::size_t length,
                                  PictureSize wanted = {});

}  // namespace tavrin
