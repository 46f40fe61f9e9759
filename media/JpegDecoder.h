#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrin {

class Image;

// Decodes a complete JPEG stream held in memory into a bottom-up 32-bit picture. A stream cut
// short decodes as if it had ended there; a damaged header, a CMYK stream, a picture declaring
// more than 16 million pixels or short memory give null. Never throws; the caller keeps the bytes.
std::unique_ptr<Image> decodeJpeg(const std::uint8_t* bytes, std::size_t length);

}  // namespace tavrin
