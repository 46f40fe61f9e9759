#pragma once

// The arithmetic of playback that does not depend on the window system: which frame a clock
// position shows, the bounds of a frame index, and where the picture goes in the window.

#include <cstdint>

namespace tavrin {

// Pictures per second of every recording, and the length of one frame in ms.
constexpr int kFramesPerSecond = 28;
constexpr double kFrameDurationMs = 1000.0 / kFramesPerSecond;

// max(0, min(frame, frameCount - 1)); 0 when there are no frames.
std::int32_t clampFrame(std::int32_t frame, std::int32_t frameCount);

// The frame under a clock position, truncated toward zero like every conversion of the player.
std::int32_t frameAtMs(double ms, double frameDurationMs);

// The start of `frame` in ms, truncated.
std::int32_t msAtFrame(std::int32_t frame, double frameDurationMs);

// Milliseconds from clock position `ms` to the middle of the next frame. Ticks armed with it
// land once inside every frame, well clear of its edges, so jitter in their timing neither asks
// for a frame twice nor skips one, as a fixed period that merely approximates the frame length
// does whenever the two drift into phase.
std::int32_t msToNextMidFrame(double ms, double frameDurationMs);

struct PictureBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest 4:3 box that fits a client area of `width` x `height`, centred in it.
PictureBox fitPictureBox(int width, int height);

}  // namespace tavrin
