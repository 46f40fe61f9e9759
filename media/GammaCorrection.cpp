#include "media/GammaCorrection.h"

#include <cmath>

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

void GammaCorrection::apply(Image& image) const {
    if (gamma_ == 1.0) return;
    std::uint8_t* p = image.pixels();
    std::uint8_t* end = p + image.byteSize();
    for (; p != end; p += 4) {
        p[0] = table_[p[0]];
        p[1] = table_[p[1]];
        p[2] = table_[p[2]];
    }
}

}  // namespace tavrin
