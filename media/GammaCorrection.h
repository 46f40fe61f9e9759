#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavrin {

class Image;

// The brightness table the player applies to a copy of each frame. A new table has gamma 1.0 and
// changes nothing.
class GammaCorrection {
public:
    GammaCorrection() = default;
    virtual ~GammaCorrection();

    // Clamps g to 0.1..5.0 (not-a-number counts as 5.0) and rebuilds the table.
    void setGamma(double g);
    double gamma() const { return gamma_; }
    const std::array<std::uint8_t, 256>& table() const { return table_; }

    // Maps the blue, green and red bytes of every pixel through the table, in place; the fourth
    // byte is left alone. Does nothing at gamma 1.0.
    void apply(Image& image) const;
    // The same on a copy, made in the same pass (a plain copy at gamma 1.0): what the player
    // draws. Null when memory is short.
    std::unique_ptr<Image> correctedCopy(const Image& image) const;

private:
    double gamma_ = 1.0;
    std::array<std::uint8_t, 256> table_{};
    // The table applied to blue and green at once, indexed by both bytes: one lookup fewer a
    // pixel for the copy made of every frame. Empty until the first setGamma.
    std::vector<std::uint16_t> pairTable_;
};

}  // namespace tavrin
