#pragma once

// The RGB picture the scene is drawn into: 3 bytes a pixel, rows top-down, ready for the JPEG
// encoder. Every drawing call clips to the picture.

#include <cstdint>
#include <vector>

namespace tavrin::cardgen {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& samples() const { return samples_; }

    Rgb at(int x, int y) const;
    std::uint8_t* row(int y) { return samples_.data() + static_cast<std::size_t>(y) * width_ * 3; }
    const std::uint8_t* row(int y) const {
        return samples_.data() + static_cast<std::size_t>(y) * width_ * 3;
    }
    // Pixels [x0, x1) x [y0, y1).
    void fill(int x0, int y0, int x1, int y1, Rgb colour);
    // The same, mixed with what is there: `alpha` 0..256, 256 covering it fully.
    void blend(int x0, int y0, int x1, int y1, Rgb colour, int alpha);
    void fillEllipse(int cx, int cy, int rx, int ry, Rgb colour);

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> samples_;
};

}  // namespace tavrin::cardgen
