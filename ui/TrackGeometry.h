#pragma once

#include <array>
#include <cstdint>

namespace tavrin {

// The arithmetic of the owner-drawn slider, apart from any window: where the thumb stands for a
// value, which value a pointer position means, how the track picture is cut and stretched, and
// where an event marker goes. Widths are client pixels; the thumb's position is its left edge.
struct TrackGeometry {
    std::int32_t minimum = 0;
    std::int32_t maximum = 100;
    int clientWidth = 0;
    int thumbWidth = 0;
    // False while the slider lacks its thumb or track picture: then every value sits at 0 and
    // pointer positions mean nothing.
    bool hasPictures = false;

    // The thumb's left edge for `value`; 0 without pictures or with an empty range.
    int valueToPixel(std::int32_t value) const;
    // The value under the thumb's centre at `x`, within [minimum, maximum]. With no room for the
    // thumb to travel (client no wider than the thumb) it is the minimum.
    std::int32_t valueFromPixel(int x) const;
    // The value that puts the thumb's left edge at `x` (a click away from the thumb).
    std::int32_t valueForThumbAt(int x) const { return valueFromPixel(x + thumbWidth / 2); }
    // Whether `x` falls on the thumb standing at `thumbPos` (both edges included).
    bool isOnThumb(int x, int thumbPos) const {
        return hasPictures && thumbPos <= x && x <= thumbPos + thumbWidth;
    }
    // `value` pulled into [minimum, maximum].
    std::int32_t clamp(std::int32_t value) const;
};

// One stretch copy of the track drawing: a column range of a picture onto a column range of the
// client, full picture height.
struct TrackPiece {
    enum Source { kFill, kTrack };
    Source source;
    int sourceX;
    int sourceWidth;
    int destinationX;
    int destinationWidth;
};

// The track in three slices around the thumb: caps at natural size, the middle stretched, the
// part left of the thumb from the fill picture (the track picture when there is none). No pieces
// (false) when the thumb is at least as wide as the track picture.
bool threeSliceTrack(int thumbWidth, int trackWidth, int clientWidth, int thumbPos,
                     std::array<TrackPiece, 4>& pieces);

// The x at which a marker picture `markerWidth` wide is drawn for slider value `marker`, or false
// when it is not drawn: negative values never are, and without usable geometry (no pictures or
// an empty range) only the marker at value 0 is, at the start.
bool markerPosition(const TrackGeometry& geometry, std::int32_t marker, int markerWidth, int& x);

}  // namespace tavrin
