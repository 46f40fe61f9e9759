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
    pairTable_.resize(65536);
    for (std::size_t i = 0; i < pairTable_.size(); ++i) {
        pairTable_[i] = static_cast<std::uint16_t>(table_[i & 0xFF] | table_[i >> 8] << 8);
    }
}

namespace {

// Two pixels at a time as one little-endian word, blue and green of each through the pair table
// and red through the byte table, the fourth bytes kept: three lookups for two pixels fewer than
// a byte at a time, and the word read and written once.
void mapPixels(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes,
               const std::array<std::uint8_t, 256>& table,
               const std::vector<std::uint16_t>& pairs) {
    const std::uint8_t* t = table.data();
    const std::uint16_t* p = pairs.data();
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t two;
        std::memcpy(&two, in + i, 8);
        two = (two & 0xFF000000FF000000u) | p[two & 0xFFFF] |
              static_cast<std::uint64_t>(t[(two >> 16) & 0xFF]) << 16 |
              static_cast<std::uint64_t>(p[(two >> 32) & 0xFFFF]) << 32 |
              static_cast<std::uint64_t>(t[(two >> 48) & 0xFF]) << 48;
        std::memcpy(out + i, &two, 8);
    }
    if (i < bytes) {
        std::uint32_t pixel;
        std::memcpy(&pixel, in + i, 4);
        pixel = (pixel & 0xFF000000u) | p[pixel & 0xFFFF] |
                static_cast<std::uint32_t>(t[(pixel >> 16) & 0xFF]) << 16;
        std::memcpy(out + i, &pixel, 4);
    }
}

}  // namespace

void GammaCorrection::apply(Image& image) const {
    if (gamma_ == 1.0) return;
    mapPixels(image.pixels(), image.pixels(), static_cast<std::size_t>(image.byteSize()), table_,
              pairTable_);
}

std::unique_ptr<Image> GammaCorrection::correctedCopy(const Image& image) const {
    if (gamma_ == 1.0) return image.clone();
    std::unique_ptr<Image> copy = Image::create(image.width(), image.height());
    if (copy) {
        mapPixels(image.pixels(), copy->pixels(), static_cast<std::size_t>(image.byteSize()),
                  table_, pairTable_);
    }
    return copy;
}

}  // namespace tavrin
