#include "media/PlaybackPacing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavrin {

std::int32_t clampFrame(std::int32_t frame, std::int32_t frameCount) {
    return std::max<std::int32_t>(0, std::min<std::int32_t>(frame, frameCount - 1));
}

namespace {

std::int32_t truncateToInt(double value) {
    // A wall clock far past the end (or a garbage position) must not overflow the conversion.
    if (!(value > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (!(value < std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::trunc(value));
}

}  // namespace

std::int32_t frameAtMs(double ms, double frameDurationMs) {
    return truncateToInt(ms / frameDurationMs);
}

std::int32_t msAtFrame(std::int32_t frame, double frameDurationMs) {
    return truncateToInt(frame * frameDurationMs);
}

std::int32_t msToNextMidFrame(double ms, double frameDurationMs) {
    const double frame = std::floor(ms / frameDurationMs);
    const double due = (frame + 1.5) * frameDurationMs - ms;
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(due)));
}

PictureBox fitPictureBox(int width, int height) {
    PictureBox box;
    if (static_cast<double>(width) / 640.0 < static_cast<double>(height) / 480.0) {
        box.width = width;
        box.height = static_cast<int>(static_cast<std::int64_t>(width) * 480 / 640);
    } else {
        box.width = static_cast<int>(static_cast<std::int64_t>(height) * 640 / 480);
        box.height = height;
    }
    box.x = (width - box.width) / 2;
    box.y = (height - box.height) / 2;
    return box;
}

}  // namespace tavrin
