#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrin {
class Image;
}

namespace tavrin::test {

// The colour bytes of `image` shrunk to `width` x `height` by the best simple filter: each target
// pixel the mean of the source area it covers, in floating point. Three values (blue, green, red)
// a pixel, rows bottom-up like the picture's.
std::vector<double> areaMean(const Image& image, int width, int height);

// Peak signal-to-noise ratio in dB of a 32-bit bottom-up picture (blue, green, red, unused) of
// `width` x `height` with rows `stride` bytes apart, against a reference as areaMean gives it.
double psnr(const std::uint8_t* pixels, std::size_t stride, int width, int height,
            const std::vector<double>& reference);

}  // namespace tavrin::test
