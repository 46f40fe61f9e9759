#pragma once

namespace tavrin {

// Where a label puts its text: the nine positions of a client area, numbered as the callers
// pass them. Any other number means top left.
enum TextAlignment : int {
    kAlignTopLeft = 0,
    kAlignTopCentre = 1,
    kAlignTopRight = 2,
    kAlignMiddleLeft = 3,
    kAlignCentre = 4,
    kAlignMiddleRight = 5,
    kAlignBottomLeft = 6,
    kAlignBottomCentre = 7,
    kAlignBottomRight = 8,
};

struct TextOrigin {
    int x;
    int y;
};

// The top-left corner of a block of `contentWidth` x `contentHeight` placed at `alignment` in an
// area of `areaWidth` x `areaHeight`. Halves truncate toward zero, so a block larger than the
// area sticks out equally on both sides (give or take one pixel) when centred.
TextOrigin placeText(int alignment, int areaWidth, int areaHeight, int contentWidth,
                     int contentHeight);

}  // namespace tavrin
