// Writes a few valid pictures as starting points for the decoder fuzzers: the fuzzers reach deep
// into both formats much sooner from real files than from nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestPictures.h"

namespace {

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_seeds JPEG_DIR PNG_DIR\n");
        return 2;
    }
    using namespace tavrin::test;
    std::string jpegDir = argv[1];
    std::string pngDir = argv[2];
    RawPicture colour = solidPicture(24, 16, 3, {200, 30, 90});
    for (int i = 0; i < 24 * 16 * 3; i += 7) colour.samples[static_cast<std::size_t>(i)] = 17;
    writeFile(jpegDir + "/colour.jpg", encodeJpeg(colour, JpegKind::Colour, 75));
    writeFile(jpegDir + "/grey.jpg", encodeJpeg(solidPicture(9, 5, 1, {128}), JpegKind::Grey));
    writeFile(jpegDir + "/cmyk.jpg", encodeJpeg(solidPicture(8, 8, 4, {1, 2, 3, 4}), JpegKind::Cmyk));

    PngPicture rgb{3, 2, 2, 8, false, std::vector<std::uint8_t>(18, 77), {}, {}};
    writeFile(pngDir + "/rgb.png", encodePng(rgb));
    PngPicture interlaced = rgb;
    interlaced.interlaced = true;
    writeFile(pngDir + "/interlaced.png", encodePng(interlaced));
    PngPicture palette{5, 3, 3, 4, false, std::vector<std::uint8_t>(15, 1),
                       {0, 0, 0, 255, 255, 255}, {0, 128}};
    writeFile(pngDir + "/palette.png", encodePng(palette));
    PngPicture rgb16{2, 2, 2, 16, false, std::vector<std::uint8_t>(24, 9), {}, {}};
    writeFile(pngDir + "/rgb16.png", encodePng(rgb16));
    return 0;
}
