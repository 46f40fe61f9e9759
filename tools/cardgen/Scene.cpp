#include "tools/cardgen/Scene.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/cardgen/DigitFont.h"
#include "tools/cardgen/FrameStrip.h"

namespace tavrin::cardgen {

namespace {

constexpr double kCameraHeight = 1.25;  // metres above the road
constexpr double kLaneCentre = -1.75;   // driving in the left lane
constexpr double kRoadHalfWidth = 3.5;
constexpr double kLineWidth = 0.15;
constexpr double kDashLength = 8.0;
constexpr double kDashPeriod = 20.0;
constexpr double kPolePeriod = 30.0;

std::uint8_t clampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Fixed ground texture: a 256 x 256 tile of small offsets, the same on every run.
const std::array<std::int8_t, 65536>& texture() {
    static const std::array<std::int8_t, 65536> tile = [] {
        std::array<std::int8_t, 65536> t{};
        std::uint32_t s = 0x2545F491;
        for (auto& v : t) {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            v = static_cast<std::int8_t>(static_cast<int>(s % 25) - 12);
        }
        return t;
    }();
    return tile;
}

struct View {
    int width, height, horizon, groundEnd;
    double focal, cameraX;
    int screenX(double worldX, double z) const {
        return static_cast<int>(width / 2.0 + (worldX - cameraX) * focal / z);
    }
    int screenY(double heightAboveRoad, double z) const {
        return static_cast<int>(horizon + (kCameraHeight - heightAboveRoad) * focal / z);
    }
};

void drawSky(Canvas& canvas, const View& v, double seconds) {
    for (int y = 0; y < v.horizon; ++y) {
        const int t = y * 256 / std::max(v.horizon, 1);
        canvas.fill(0, y, v.width, y + 1,
                    Rgb{clampByte(80 + t * 120 / 256), clampByte(130 + t * 90 / 256),
                        clampByte(205 + t * 35 / 256)});
    }
    canvas.fillEllipse(v.width * 4 / 5, v.horizon / 4, v.height / 20, v.height / 20,
                       Rgb{255, 244, 200});
    for (int c = 0; c < 4; ++c) {
        const int rx = v.width / (9 + c * 3);
        const double speed = v.width / 40.0 * (1 + c % 2);
        const double x = std::fmod(c * v.width * 0.37 + seconds * speed, v.width + 2.0 * rx) - rx;
        canvas.fillEllipse(static_cast<int>(x), v.horizon * (2 + c) / 9, rx, rx / 3,
                           Rgb{245, 248, 252});
    }
}

void drawHills(Canvas& canvas, const View& v) {
    const double pan = v.cameraX * v.focal / 400.0;
    for (int x = 0; x < v.width; ++x) {
        const double u = (x + pan) / v.width;
        const double h = 0.06 + 0.03 * std::sin(u * 9.1) + 0.02 * std::sin(u * 23.0 + 1.3);
        canvas.fill(x, v.horizon - static_cast<int>(h * v.height), x + 1, v.horizon,
                    Rgb{78, 108, 96});
    }
}

void drawGround(Canvas& canvas, const View& v, double distance) {
    const auto& tile = texture();
    for (int y = v.horizon; y < v.groundEnd; ++y) {
        const double z = kCameraHeight * v.focal / (y - v.horizon + 0.5);
        const double along = z + distance;
        const bool dash = std::fmod(along, kDashPeriod) < kDashLength;
        const int textureRow = (static_cast<int>(along * 6.0) & 255) << 8;
        // Texture fades with distance, as detail does through a real lens.
        const int strength = static_cast<int>(256 * std::min(1.0, 5.0 / z));
        const double step = z / v.focal;
        double worldX = v.cameraX - v.width / 2.0 * step;
        std::uint8_t* p = canvas.row(y);
        for (int x = 0; x < v.width; ++x, worldX += step, p += 3) {
            const double side = std::fabs(worldX);
            const int grain =
                tile[textureRow | (static_cast<int>(worldX * 6.0 + 4096) & 255)] * strength / 256;
            int r, g, b;
            if (side > kRoadHalfWidth) {
                r = 92 + grain, g = 128 + 2 * grain, b = 62 + grain / 2;  // verge
            } else if (side > kRoadHalfWidth - kLineWidth || (dash && side < kLineWidth / 2)) {
                r = g = b = 228 + grain / 2;  // edge line, centre dash
            } else {
                r = g = b = 96 + grain / 2;  // asphalt
            }
            p[0] = clampByte(r);
            p[1] = clampByte(g);
            p[2] = clampByte(b);
        }
    }
}

void drawPoles(Canvas& canvas, const View& v, double distance) {
    const double offset = std::fmod(distance, kPolePeriod);
    for (int k = 8; k >= 1; --k) {
        const double z = k * kPolePeriod - offset;
        if (z < 2.0) continue;
        for (double side : {-5.5, 5.5}) {
            const int x = v.screenX(side, z);
            const int half = std::max(1, static_cast<int>(0.08 * v.focal / z));
            canvas.fill(x - half, v.screenY(3.2, z), x + half,
                        std::min(v.screenY(0, z), v.groundEnd), Rgb{210, 205, 190});
        }
    }
}

void drawCarAhead(Canvas& canvas, const View& v, double seconds, bool braking) {
    const double z = 16.0 + 7.0 * std::sin(seconds * 0.4);
    const double carX = kLaneCentre + 0.3 * std::sin(seconds * 0.3);
    const int left = v.screenX(carX - 0.85, z);
    const int right = v.screenX(carX + 0.85, z);
    const int bottom = std::min(v.screenY(0.25, z), v.groundEnd);
    const int top = v.screenY(1.45, z);
    const int w = right - left;
    const int h = bottom - top;
    canvas.blend(left - w / 12, bottom, right + w / 12, v.screenY(0, z), Rgb{20, 20, 20}, 180);
    canvas.fill(left, top, right, bottom, Rgb{150, 24, 30});
    canvas.fill(left + w / 8, top + h / 10, right - w / 8, top + h * 4 / 10, Rgb{40, 44, 52});
    const Rgb light = braking ? Rgb{255, 60, 50} : Rgb{170, 30, 30};
    canvas.fill(left + w / 20, top + h / 2, left + w / 5, top + h * 2 / 3, light);
    canvas.fill(right - w / 5, top + h / 2, right - w / 20, top + h * 2 / 3, light);
    canvas.fill(left + w / 3, top + h * 6 / 10, right - w / 3, top + h * 3 / 4, Rgb{230, 230, 210});
}

}  // namespace

void drawScene(Canvas& canvas, const SceneFrame& frame) {
    View v;
    v.width = canvas.width();
    v.height = canvas.height();
    v.horizon = v.height * 21 / 50;
    v.groundEnd = stripTop(v.height);
    v.focal = v.width * 0.9;
    v.cameraX = kLaneCentre + frame.lateral;

    drawSky(canvas, v, frame.seconds);
    drawHills(canvas, v);
    drawGround(canvas, v, frame.distance);
    drawPoles(canvas, v, frame.distance);
    drawCarAhead(canvas, v, frame.seconds, frame.braking);

    const int margin = v.height / 30;
    drawNumber(canvas, margin, margin, v.height / 6, frame.frameIndex, 4, Rgb{255, 230, 60});
    const int small = v.height / 14;
    drawNumber(canvas, v.width - margin - numberWidth(4, small), margin, small, frame.fileNumber, 4,
               Rgb{255, 255, 255});
    drawFrameStrip(canvas, frame.frameIndex);
}

}  // namespace tavrin::cardgen
