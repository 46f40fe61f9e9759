#include <gtest/gtest.h>

#include <array>

#include "media/Image.h"
#include "media/PngDecoder.h"
#include "tests/support/TestPictures.h"

namespace tavrin {
namespace {

using Bgra = std::array<int, 4>;

Bgra pixelAt(const Image& image, int x, int yFromTop) {
    const std::uint8_t* p = image.row(image.height() - 1 - yFromTop) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

// A 5 x 3 picture (odd width, so rows of packed samples end mid-byte) whose pixel (x, y) uses
// palette or grey index (x + y) % levels.
struct FormatCase {
    const char* name;
    test::PngPicture picture;
    // Expected B, G, R, fourth byte of the pixel at (x, y).
    Bgra (*expected)(int x, int y);
};

std::vector<std::uint8_t> indices(int levels) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) out.push_back(static_cast<std::uint8_t>((x + y) % levels));
    return out;
}

// Palette entry i is (i * 60, 255 - i * 60, i * 10 + 5).
std::vector<std::uint8_t> palette(int entries) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < entries; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 60 % 256));
        out.push_back(static_cast<std::uint8_t>(255 - i * 60 % 256));
        out.push_back(static_cast<std::uint8_t>(i * 10 + 5));
    }
    return out;
}

Bgra paletteColour(int index, int alpha) {
    return {index * 10 + 5, 255 - index * 60 % 256, index * 60 % 256, alpha};
}

test::PngPicture paletted(int depth, int levels, std::vector<std::uint8_t> transparency) {
    return {5, 3, 3, depth, false, indices(levels), palette(levels), std::move(transparency)};
}

test::PngPicture rgb(int depth, bool interlaced) {
    test::PngPicture p{5, 3, 2, depth, interlaced, {}, {}, {}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            int values[3] = {x * 50, y * 100, 77};
            for (int v : values) {
                p.samples.push_back(static_cast<std::uint8_t>(v));
                if (depth == 16) p.samples.push_back(static_cast<std::uint8_t>(0xA5));
            }
        }
    }
    return p;
}

std::vector<FormatCase> formatCases() {
    std::vector<FormatCase> cases;
    auto rgbExpected = [](int x, int y) { return Bgra{77, y * 100, x * 50, 0}; };
    cases.push_back({"8-bit RGB", rgb(8, false), rgbExpected});
    // At 16 bits the high byte of each sample is kept.
    cases.push_back({"16-bit RGB", rgb(16, false), rgbExpected});
    cases.push_back({"interlaced 8-bit RGB", rgb(8, true), rgbExpected});
    cases.push_back({"2-bit palette", paletted(2, 4, {}),
                     [](int x, int y) { return paletteColour((x + y) % 4, 0); }});
    cases.push_back({"4-bit palette", paletted(4, 16, {}),
                     [](int x, int y) { return paletteColour((x + y) % 16, 0); }});
    cases.push_back({"8-bit palette", paletted(8, 200, {}),
                     [](int x, int y) { return paletteColour((x + y) % 200, 0); }});
    // Entries past the end of the transparency chunk are opaque.
    cases.push_back({"2-bit palette with transparency", paletted(2, 4, {0, 128}),
                     [](int x, int y) {
                         int i = (x + y) % 4;
                         return paletteColour(i, i == 0 ? 0 : i == 1 ? 128 : 255);
                     }});
    cases.push_back({"8-bit palette with transparency", paletted(8, 200, {10, 20, 30}),
                     [](int x, int y) {
                         int i = (x + y) % 200;
                         return paletteColour(i, i < 3 ? 10 * (i + 1) : 255);
                     }});
    test::PngPicture grey{5, 3, 0, 8, false, {}, {}, {}};
    for (int i = 0; i < 15; ++i) grey.samples.push_back(static_cast<std::uint8_t>(i * 17));
    cases.push_back({"8-bit grey", grey, [](int x, int y) {
                         int v = (y * 5 + x) * 17;
                         return Bgra{v, v, v, 0};
                     }});
    test::PngPicture rgba{5, 3, 6, 8, false, {}, {}, {}};
    for (int i = 0; i < 15; ++i) {
        rgba.samples.insert(rgba.samples.end(), {static_cast<std::uint8_t>(i), 100, 200,
                                                 static_cast<std::uint8_t>(i * 16)});
    }
    cases.push_back({"8-bit RGBA", rgba, [](int x, int y) {
                         int i = y * 5 + x;
                         return Bgra{200, 100, i, i * 16};
                     }});
    return cases;
}

TEST(DecodePng, EveryFormatOfTheSkinDecodesToBlueGreenRedAlpha) {
    for (const FormatCase& c : formatCases()) {
        SCOPED_TRACE(c.name);
        auto bytes = test::encodePng(c.picture);
        auto image = decodePng(bytes.data(), bytes.size());
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width(), 5);
        ASSERT_EQ(image->height(), 3);
        EXPECT_EQ(image->byteSize(), 60);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(pixelAt(*image, x, y), c.expected(x, y)) << "at " << x << "," << y;
            }
        }
    }
}

TEST(DecodePng, BadOrShortInputGivesNoImage) {
    auto good = test::encodePng(rgb(8, false));
    auto badSignature = good;
    badSignature[1] = 'Q';
    auto badChecksum = good;
    badChecksum[29] ^= 0xFF;  // inside the header chunk's checksum
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"bad signature", badSignature},
        {"signature only", std::vector<std::uint8_t>(good.begin(), good.begin() + 8)},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 33)},
        {"cut inside the picture data", std::vector<std::uint8_t>(good.begin(), good.end() - 20)},
        {"damaged header checksum", badChecksum},
        {"a JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(decodePng(c.bytes.data(), c.bytes.size()));
    }
    EXPECT_FALSE(decodePng(good.data(), 0));
    EXPECT_FALSE(decodePng(nullptr, 0));
}

TEST(DecodePng, GreyWithAlphaWidensToFourBytes) {
    test::PngPicture greyAlpha{3, 2, 4, 8, false, {10, 200, 20, 150, 30, 100, 40, 50, 50, 0, 60, 255}, {}, {}};
    auto bytes = test::encodePng(greyAlpha);
    auto image = decodePng(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), (Bgra{10, 10, 10, 200}));
    EXPECT_EQ(pixelAt(*image, 2, 1), (Bgra{60, 60, 60, 255}));
}

}  // namespace
}  // namespace tavrin
