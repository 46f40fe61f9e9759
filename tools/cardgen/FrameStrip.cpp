#include "tools/cardgen/FrameStrip.h"

#include <algorithm>

namespace tavrin::cardgen {

namespace {

constexpr std::uint8_t kBorderGrey = 128;
// A cell's middle is taken as white above, black below these mean brightnesses.
constexpr int kDarkAtMost = 80;
constexpr int kLightAtLeast = 176;
// Borders are accepted within this range (JPEG and scaling smear them).
constexpr int kBorderLow = 40;
constexpr int kBorderHigh = 216;

int cellLeft(int width, int i) { return width * i / kStripCells; }

// Mean brightness of the columns [x0, x1) and rows [y0, y1), rows counted from the top.
int meanBrightness(const std::uint8_t* pixels, int height, int stride, bool bottomUp, int bpp,
                   int x0, int y0, int x1, int y1) {
    long long sum = 0;
    long long count = 0;
    for (int y = y0; y < y1; ++y) {
        const int memoryRow = bottomUp ? height - 1 - y : y;
        const std::uint8_t* p = pixels + static_cast<std::ptrdiff_t>(memoryRow) * stride + x0 * bpp;
        for (int x = x0; x < x1; ++x, p += bpp) {
            sum += (p[0] + 5 * p[1] + 2 * p[2]) / 8;  // blue, green, red
            ++count;
        }
    }
    return count == 0 ? -1 : static_cast<int>(sum / count);
}

}  // namespace

int stripTop(int height) { return height * (kStripHeightDivisor - 1) / kStripHeightDivisor; }

void drawFrameStrip(Canvas& canvas, int value) {
    const int width = canvas.width();
    const int top = stripTop(canvas.height());
    const int bottom = canvas.height();
    const int borderY = std::max(1, (bottom - top) / 8);
    const Rgb grey{kBorderGrey, kBorderGrey, kBorderGrey};
    canvas.fill(0, top, width, bottom, grey);
    for (int i = 0; i < kStripCells; ++i) {
        const int x0 = cellLeft(width, i);
        const int x1 = cellLeft(width, i + 1);
        const int borderX = std::max(1, (x1 - x0) / 8);
        const bool one = (value >> (kStripCells - 1 - i)) & 1;
        const std::uint8_t level = one ? 255 : 0;
        canvas.fill(x0 + borderX, top + borderY, x1 - borderX, bottom - borderY,
                    Rgb{level, level, level});
    }
}

int readFrameStrip(const std::uint8_t* pixels, int width, int height, int stride, bool bottomUp,
                   int bpp) {
    if (pixels == nullptr || width < kStripCells * 4 || height < kStripHeightDivisor * 4 ||
        (bpp != 3 && bpp != 4)) {
        return -1;
    }
    const int top = stripTop(height);
    const int quarter = (height - top) / 4;
    const int y0 = top + quarter;
    const int y1 = height - quarter;
    int value = 0;
    for (int i = 0; i < kStripCells; ++i) {
        const int x0 = cellLeft(width, i);
        const int x1 = cellLeft(width, i + 1);
        const int q = (x1 - x0) / 4;
        const int mean =
            meanBrightness(pixels, height, stride, bottomUp, bpp, x0 + q, y0, x1 - q, y1);
        if (mean > kDarkAtMost && mean < kLightAtLeast) return -1;
        value = value << 1 | (mean >= kLightAtLeast ? 1 : 0);
        if (i > 0) {
            // Two borders meet at the cell's left edge, a quarter of a cell wide together: the
            // middle third of them must be grey.
            const int band = std::max(1, q / 3);
            const int edge = meanBrightness(pixels, height, stride, bottomUp, bpp, x0 - band / 2,
                                            y0, x0 - band / 2 + band, y1);
            if (edge < kBorderLow || edge > kBorderHigh) return -1;
        }
    }
    return value;
}

}  // namespace tavrin::cardgen
