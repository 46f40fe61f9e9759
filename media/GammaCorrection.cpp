#include "media/GammaCorrection.h"

#include <cmath>
#include <cstring>

#include "media/Image.h"

namespace tavrin {

GammaCorrection::~GammaCorrection() = default;

void GammaCorrection::setGamma(double g) {
    // Written so that not-a-number falls into the first branch.
    if (!(g < 5.0)) {
        g = 5.0;
    } else if (g < 0.1) {
        g = 0.1;
    }
    gamma_ = g;
    for (int i = 0; i < 256; ++i) {
        double value = std::pow(i / 255.0, 1.0 / gamma_) * 255.0 + 0.5;
        int entry = static_cast<int>(value);
        table_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(entry > 255 ? 255 : entry);
    }
}

namespace {

// A pixel at a time as one little-endian word, so the table is looked up three times and the
// pixel read and written once (byte stores through the same kind of pointer as the table's
// would make the compiler read the table's address again after each).
void mapPixels(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes,
               const std::array<std::uint8_t, 256>& table) {
    const std::uint8_t* t = table.data();
    for (std::size_t i = 0; i < bytes; i += 4) {
        std::uint32_t pixel;
        std::memcpy(&pixel, in + i, 4);
        pixel = (pixel & 0xFF000000u) | t[pixel & 0xFF] |
                (static_cast<std::uint32_t>(t[(pixel >> 8) & 0xFF]) << 8) |
                (static_cast<std::uint32_t>(t[(pixel >> 16) & 0xFF]) << 16);
        std::memcpy(out + i, &pixel, 4);
    }
}

}  // namespace

void GammaCorrection::apply(Image& image) const {
    if (gamma_ == 1.0) return;
    mapPixels(image.pixels(), image.pixels(), static_cast<std::size_t>(image.byteSize()), table_);
}

std::unique_ptr<Image> GammaCorrection::correctedCopy(const Image& image) const {
    if (gamma_ == 1.0) return image.clone();
    std::unique_ptr<Image> copy = Image::create(image.width(), image.height());
    if (copy) {
        mapPixels(image.pixels(), copy->pixels(), static_cast<std::size_t>(image.byteSize()),
                  table_);
    }
    return copy;
}

}  // namespace tavrin
