#pragma once

// The frame-index strip along the bottom edge of every generated picture, so a test can tell
// from a screenshot which frame is on screen.
//
// Geometry, all in proportion to the picture so that a scaled copy reads the same:
// - The strip is the bottom twelfth of the picture: rows from height * 11 / 12 to the bottom.
// - It holds 16 cells side by side across the full width; cell i spans columns
//   width * i / 16 up to width * (i + 1) / 16. Cell 0 is the most significant bit.
// - Each cell has a mid-grey (128) border, an eighth of the cell's width at its left and right
//   and an eighth of the strip's height at its top and bottom; inside it the cell is white for
//   a 1 and black for a 0.
// At 640 x 480 a cell is 40 x 40 pixels with a 30 x 30 inside.
// The number held is the frame index in the recording (the number drawn large at the top left);
// a dropped frame's index is simply missing from the sequence.

#include <cstdint>

#include "tools/cardgen/Canvas.h"

namespace tavrin::cardgen {

constexpr int kStripCells = 16;
constexpr int kStripHeightDivisor = 12;

// The strip's first row in a picture of `height` rows.
int stripTop(int height);

// Draws `value` (0..65535) into the strip of `canvas`.
void drawFrameStrip(Canvas& canvas, int value);

// Reads the strip from a 32-bit picture (bytes blue, green, red, unused per pixel; or 3 bytes
// when `bytesPerPixel` is 3) of any size. Each cell is judged by the mean brightness of its
// middle half; the value is returned only when every cell is clearly black or white and the
// borders between cells are grey, else -1.
int readFrameStrip(const std::uint8_t* bgrPixels, int width, int height, int strideBytes,
                   bool bottomUp, int bytesPerPixel = 4);

}  // namespace tavrin::cardgen
