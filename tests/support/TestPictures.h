#pragma once

#include <cstdint>
#include <vector>

namespace tavrin::test {

// A picture to encode: interleaved samples, rows top-down, `components` samples a pixel.
struct RawPicture {
    int width = 0;
    int height = 0;
    int components = 3;
    std::vector<std::uint8_t> samples;

    std::uint8_t* at(int x, int y) {
        return samples.data() + (static_cast<std::size_t>(y) * width + x) * components;
    }
};

RawPicture solidPicture(int width, int height, int components, std::vector<std::uint8_t> value);

enum class JpegKind { Colour, Grey, Cmyk };

// Baseline JPEG bytes made with the same libjpeg the program links.
std::vector<std::uint8_t> encodeJpeg(const RawPicture& picture, JpegKind kind, int quality = 95);

// The library's own decode with default parameters into a plain top-down buffer, no conversion;
// `out` is reused between calls.
void decodeJpegPlain(const std::vector<std::uint8_t>& bytes, RawPicture& out);

// A PNG to encode. `samples` holds one value a sample (a byte each up to bit depth 8, two bytes
// big-endian at 16), rows top-down; `palette` is RGB triples.
struct PngPicture {
    int width = 0;
    int height = 0;
    int colourType = 2;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> samples;
    std::vector<std::uint8_t> palette;
    std::vector<std::uint8_t> transparency;
};

std::vector<std::uint8_t> encodePng(const PngPicture& picture);

}  // namespace tavrin::test
