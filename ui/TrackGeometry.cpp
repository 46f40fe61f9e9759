#include "ui/TrackGeometry.h"

#include <cmath>

namespace tavrin {

int TrackGeometry::valueToPixel(std::int32_t value) const {
    if (!hasPictures || maximum == minimum) return 0;
    // Wide arithmetic: the span of two extreme 32-bit bounds does not fit 32 bits.
    const double span = static_cast<double>(maximum) - minimum;
    const double travel = static_cast<double>(clientWidth) - thumbWidth;
    return static_cast<int>((static_cast<double>(value) - minimum) * travel / span);
}

std::int32_t TrackGeometry::valueFromPixel(int x) const {
    const double travel = static_cast<double>(clientWidth) - thumbWidth;
    if (travel <= 0) return minimum;
    const double span = static_cast<double>(maximum) - minimum;
    const double offset = std::trunc(span * (static_cast<double>(x) - thumbWidth / 2) / travel);
    // Clamped before the conversion: a pointer far outside must not overflow the integer.
    const double v = static_cast<double>(minimum) + offset;
    if (v <= minimum) return minimum;
    if (v >= maximum) return maximum;
    return static_cast<std::int32_t>(v);
}

std::int32_t TrackGeometry::clamp(std::int32_t value) const {
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return value;
}

bool threeSliceTrack(int thumbWidth, int trackWidth, int clientWidth, int thumbPos,
                     std::array<TrackPiece, 4>& pieces) {
    const int t = thumbWidth;
    const int T = trackWidth;
    if (t >= T) return false;
    const int h = t / 2;
    pieces[0] = {TrackPiece::kFill, 0, h, 0, h};
    pieces[1] = {TrackPiece::kFill, h, T - t, h, thumbPos};
    pieces[2] = {TrackPiece::kTrack, T - h, h, clientWidth - h, h};
    pieces[3] = {TrackPiece::kTrack, h, T - t, thumbPos + h, clientWidth - thumbPos - 2 * h};
    return true;
}

bool markerPosition(const TrackGeometry& geometry, std::int32_t marker, int markerWidth, int& x) {
    if (marker < 0) return false;
    const bool usable = geometry.hasPictures && geometry.maximum != geometry.minimum;
    // A marker close to the start rounds to pixel 0 yet is still an event to show; only when
    // every value collapses onto pixel 0 are the others left out.
    if (!usable && marker != 0) return false;
    const int centre = usable ? geometry.valueToPixel(marker) + geometry.thumbWidth / 2
                              : (geometry.hasPictures ? geometry.thumbWidth / 2 : 0);
    x = centre + 2 - markerWidth / 2;
    return true;
}

}  // namespace tavrin
