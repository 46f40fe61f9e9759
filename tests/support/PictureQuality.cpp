#include "tests/support/PictureQuality.h"

#include <algorithm>
#include <cmath>

#include "media/Image.h"

namespace tavrin::test {

std::vector<double> areaMean(const Image& image, int width, int height) {
    std::vector<double> out(static_cast<std::size_t>(width) * height * 3);
    const double sx = static_cast<double>(image.width()) / width;
    const double sy = static_cast<double>(image.height()) / height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum[3] = {0, 0, 0};
            for (int v = static_cast<int>(y * sy); v < image.height() && v < (y + 1) * sy; ++v) {
                const double wy = std::min((y + 1) * sy, v + 1.0) - std::max(y * sy, 1.0 * v);
                const std::uint8_t* row = image.row(v);
                for (int u = static_cast<int>(x * sx); u < image.width() && u < (x + 1) * sx; ++u) {
                    const double w =
                        wy * (std::min((x + 1) * sx, u + 1.0) - std::max(x * sx, 1.0 * u));
                    for (int c = 0; c < 3; ++c) sum[c] += w * row[u * 4 + c];
                }
            }
            for (int c = 0; c < 3; ++c) {
                out[(static_cast<std::size_t>(y) * width + x) * 3 + c] = sum[c] / (sx * sy);
            }
        }
    }
    return out;
}

double psnr(const std::uint8_t* pixels, std::size_t stride, int width, int height,
            const std::vector<double>& reference) {
    double squares = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const double d =
                    row[x * 4 + c] - reference[(static_cast<std::size_t>(y) * width + x) * 3 + c];
                squares += d * d;
            }
        }
    }
    if (squares == 0) return INFINITY;
    return 10 * std::log10(255.0 * 255.0 * 3.0 * width * height / squares);
}

}  // namespace tavrin::test
