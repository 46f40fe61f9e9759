#pragma once

// Large seven-segment digits drawn straight into the picture: numbers that stay readable after
// JPEG compression and scaling, without a font file.

#include "tools/cardgen/Canvas.h"

namespace tavrin::cardgen {

// Width in pixels of `digits` digits of height `height`, spacing included.
int numberWidth(int digits, int height);

// Draws `value` (not negative) with at least `minDigits` digits, leading zeros shown, its top
// left corner at (x, y); a dark plate behind it keeps it readable on any background.
void drawNumber(Canvas& canvas, int x, int y, int height, int value, int minDigits, Rgb colour);

}  // namespace tavrin::cardgen
