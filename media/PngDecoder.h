#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrin {

class Image;

// Decodes a PNG file image held in memory into a bottom-up picture of B, G, R and then alpha (or
// 0 where the picture has no transparency). Bytes without the PNG signature, a damaged or
// truncated file, or short memory give null. Never throws.
std::unique_ptr<Image> decodePng(const std::uint8_t* bytes, std::size_t length);

}  // namespace tavrin
