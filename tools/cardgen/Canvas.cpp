#include "tools/cardgen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace tavrin::cardgen {

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), samples_(static_cast<std::size_t>(width) * height * 3, 0) {}

Rgb Canvas::at(int x, int y) const {
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
    return {p[0], p[1], p[2]};
}

void Canvas::fill(int x0, int y0, int x1, int y1, Rgb colour) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width());
    y1 = std::min(y1, height());
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* p = row(y) + static_cast<std::size_t>(x0) * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

void Canvas::blend(int x0, int y0, int x1, int y1, Rgb colour, int alpha) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width());
    y1 = std::min(y1, height());
    const int keep = 256 - alpha;
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* p = row(y) + static_cast<std::size_t>(x0) * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>((p[0] * keep + colour.r * alpha) >> 8);
            p[1] = static_cast<std::uint8_t>((p[1] * keep + colour.g * alpha) >> 8);
            p[2] = static_cast<std::uint8_t>((p[2] * keep + colour.b * alpha) >> 8);
        }
    }
}

void Canvas::fillEllipse(int cx, int cy, int rx, int ry, Rgb colour) {
    if (rx <= 0 || ry <= 0) return;
    for (int dy = -ry; dy <= ry; ++dy) {
        const double v = static_cast<double>(dy) / ry;
        const int half = static_cast<int>(rx * std::sqrt(1.0 - v * v));
        fill(cx - half, cy + dy, cx + half + 1, cy + dy + 1, colour);
    }
}

}  // namespace tavrin::cardgen
