#pragma once

// Saves screenshots: a 32-bit bottom-up picture (bytes blue, green, red, unused per pixel) as an
// 8-bit RGB PNG file.

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tavrin::drive {

// Writes into `file`, opened for binary writing by the caller (who knows how to open its kind
// of path). False when writing fails.
bool writePng(std::FILE* file, const std::uint8_t* bgrx, int width, int height);
// The same into memory, for callers that write the file their own way.
bool encodePng(const std::uint8_t* bgrx, int width, int height, std::vector<std::uint8_t>& png);

}  // namespace tavrin::drive
