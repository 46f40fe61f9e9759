// Writes a few valid pictures as starting points for the decoder fuzzers: the fuzzers reach deep
// into both formats much sooner from real files than from nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestPictures.h"
#include "tools/cardgen/ArchiveBuilder.h"

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

// Archives in the fuzz target's compact form: the 32-byte header, then the blocks.
std::vector<std::uint8_t> compact(const tavrin::cardgen::ArchiveBuilder& builder) {
    const auto& bytes = builder.bytes();
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + 32);
    out.insert(out.end(), bytes.begin() + 8192, bytes.end());
    return out;
}

void writeArchiveSeeds(const std::string& dir) {
    using namespace tavrin::cardgen;
    using namespace tavrin::test;
    ArchiveHeaderFields header;
    header.start = {2012, 3, 4, 10, 0, 0};
    header.startTick = 5000;
    ArchiveBuilder builder(header);
    Bytes picture = encodeJpeg(solidPicture(16, 16, 3, {9, 9, 200}), JpegKind::Colour, 50);
    RawPicture noise = solidPicture(96, 64, 3, {0, 0, 0});
    for (std::size_t i = 0; i < noise.samples.size(); ++i) {
        noise.samples[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    }
    Bytes large = encodeJpeg(noise, JpegKind::Colour, 95);
    FrameFields fields;
    fields.time = header.start;
    builder.addSound(Bytes(200, 0x80), 4990);
    builder.addPicture(picture, 5000, fields);
    fields.mark = 0x20;
    builder.addPicture(large, 5036, fields);
    builder.addSound(Bytes(300, 0x90), 5100);
    builder.addPicture(picture, 5071, fields);
    writeFile(dir + "/archive.bin", compact(builder));
}

void writeSettingsSeeds(const std::string& dir) {
    // A settings file: header and two records; the firmware file is the same after 16 bytes.
    std::vector<std::uint8_t> kelm = {0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0x00};
    for (int i = 1; i < 7; ++i) kelm[7] ^= kelm[static_cast<std::size_t>(i)];
    for (std::uint16_t key : {0x0306, 0x1801}) {
        std::uint8_t record[8] = {static_cast<std::uint8_t>(key >> 8),
                                  static_cast<std::uint8_t>(key),
                                  0x01,
                                  0xFF,
                                  0xFF,
                                  0xFF,
                                  0xFF,
                                  0};
        for (int i = 0; i < 7; ++i) record[7] ^= record[i];
        kelm.insert(kelm.end(), record, record + 8);
    }
    writeFile(dir + "/kelm.ini", kelm);
    std::vector<std::uint8_t> firminfo(16, 0x5A);
    firminfo.insert(firminfo.end(), kelm.begin(), kelm.end());
    writeFile(dir + "/firminfo.dat", firminfo);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: write_seeds JPEG_DIR PNG_DIR FILES_DIR\n");
        return 2;
    }
    using namespace tavrin::test;
    std::string jpegDir = argv[1];
    std::string pngDir = argv[2];
    writeArchiveSeeds(argv[3]);
    writeSettingsSeeds(argv[3]);
    RawPicture colour = solidPicture(24, 16, 3, {200, 30, 90});
    for (int i = 0; i < 24 * 16 * 3; i += 7) colour.samples[static_cast<std::size_t>(i)] = 17;
    writeFile(jpegDir + "/colour.jpg", encodeJpeg(colour, JpegKind::Colour, 75));
    writeFile(jpegDir + "/grey.jpg", encodeJpeg(solidPicture(9, 5, 1, {128}), JpegKind::Grey));
    writeFile(jpegDir + "/cmyk.jpg",
              encodeJpeg(solidPicture(8, 8, 4, {1, 2, 3, 4}), JpegKind::Cmyk));
    // Larger than the viewer's box, so it is decoded reduced and resampled to the box.
    RawPicture large = solidPicture(328, 248, 3, {40, 120, 220});
    for (std::size_t i = 0; i < large.samples.size(); i += 257) large.samples[i] = 250;
    writeFile(jpegDir + "/large.jpg", encodeJpeg(large, JpegKind::Colour, 75));

    PngPicture rgb{3, 2, 2, 8, false, std::vector<std::uint8_t>(18, 77), {}, {}};
    writeFile(pngDir + "/rgb.png", encodePng(rgb));
    PngPicture interlaced = rgb;
    interlaced.interlaced = true;
    writeFile(pngDir + "/interlaced.png", encodePng(interlaced));
    PngPicture palette{
        5, 3, 3, 4, false, std::vector<std::uint8_t>(15, 1), {0, 0, 0, 255, 255, 255}, {0, 128}};
    writeFile(pngDir + "/palette.png", encodePng(palette));
    PngPicture rgb16{2, 2, 2, 16, false, std::vector<std::uint8_t>(24, 9), {}, {}};
    writeFile(pngDir + "/rgb16.png", encodePng(rgb16));
    return 0;
}
