#include "ui/TextPlacement.h"

namespace tavrin {

TextOrigin placeText(int alignment, int areaWidth, int areaHeight, int contentWidth,
                     int contentHeight) {
    const int centreX = (areaWidth - contentWidth) / 2;
    const int rightX = areaWidth - contentWidth;
    const int middleY = (areaHeight - contentHeight) / 2;
    const int bottomY = areaHeight - contentHeight;
    switch (alignment) {
    case kAlignTopCentre: return {centreX, 0};
    case kAlignTopRight: return {rightX, 0};
    case kAlignMiddleLeft: return {0, middleY};
    case kAlignCentre: return {centreX, middleY};
    case kAlignMiddleRight: return {rightX, middleY};
    case kAlignBottomLeft: return {0, bottomY};
    case kAlignBottomCentre: return {centreX, bottomY};
    case kAlignBottomRight: return {rightX, bottomY};
    default: return {0, 0};
    }
}

}  // namespace tavrin
