#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "tests/support/TestPictures.h"

namespace tavrin {
namespace {

using test::JpegKind;
using test::RawPicture;

// JPEG is lossy; flat areas come back within a few levels.
constexpr int kTolerance = 6;

void expectPixelNear(const std::uint8_t* pixel, int b, int g, int r) {
    EXPECT_NEAR(pixel[0], b, kTolerance);
    EXPECT_NEAR(pixel[1], g, kTolerance);
    EXPECT_NEAR(pixel[2], r, kTolerance);
    EXPECT_EQ(pixel[3], 0);
}

// Top half red, bottom half blue: tells which memory row holds the top of the picture.
RawPicture redOverBlue(int width, int height) {
    RawPicture picture = test::solidPicture(width, height, 3, {0, 0, 255});
    for (int y = 0; y < height / 2; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.at(x, y);
            p[0] = 255;
            p[2] = 0;
        }
    }
    return picture;
}

TEST(DecodeJpeg, ColourPictureLandsBottomUpAsBlueGreenRedZero) {
    auto bytes = test::encodeJpeg(redOverBlue(640, 480), JpegKind::Colour);
    auto image = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 640);
    EXPECT_EQ(image->height(), 480);
    EXPECT_EQ(image->byteSize(), 1228800);
    // The top-left pixel of the picture is the first pixel of the last memory row.
    expectPixelNear(image->row(479), 0, 0, 255);
    expectPixelNear(image->row(0), 255, 0, 0);
    for (int i = 3; i < image->byteSize(); i += 4) ASSERT_EQ(image->pixels()[i], 0) << i;
}

TEST(DecodeJpeg, ColourBytesAreExactlyTheLibrarysOwnDecode) {
    // Whatever output path the decoder takes inside the library, the picture must be the library's
    // plain decode of the same bytes, only reordered and flipped.
    RawPicture scene = test::solidPicture(203, 37, 3, {0, 0, 0});
    unsigned seed = 12345;
    for (std::uint8_t& sample : scene.samples) {
        seed = seed * 1103515245u + 12345u;
        sample = static_cast<std::uint8_t>(seed >> 23);
    }
    auto bytes = test::encodeJpeg(scene, JpegKind::Colour, 80);
    RawPicture plain;
    test::decodeJpegPlain(bytes, plain);
    auto image = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    for (int y = 0; y < 37; ++y) {
        for (int x = 0; x < 203; ++x) {
            const std::uint8_t* p = image->row(36 - y) + x * 4;
            const std::uint8_t* q = plain.at(x, y);
            ASSERT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}),
                      (std::array<int, 4>{q[2], q[1], q[0], 0}))
                << x << "," << y;
        }
    }
}

TEST(DecodeJpeg, GreyPictureGivesEqualColourBytes) {
    RawPicture picture = test::solidPicture(33, 17, 1, {90});
    for (int x = 0; x < 33; ++x) *picture.at(x, 0) = 200;
    auto bytes = test::encodeJpeg(picture, JpegKind::Grey);
    auto image = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    for (int r = 0; r < image->height(); ++r) {
        for (int x = 0; x < image->width(); ++x) {
            const std::uint8_t* p = image->row(r) + x * 4;
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
            ASSERT_EQ(p[3], 0);
        }
    }
    expectPixelNear(image->row(16), 200, 200, 200);
    expectPixelNear(image->row(0), 90, 90, 90);
}

TEST(DecodeJpeg, OddWidthConvertsEveryPixelOfEachRowAndNoMore) {
    // Bands of different greys, one per 16-row block: a row written into the wrong place would
    // show. The sanitizer build catches a write past the picture.
    const int levels[3] = {40, 130, 220};
    RawPicture picture = test::solidPicture(641, 48, 3, {0, 0, 0});
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 641; ++x) {
            std::uint8_t* p = picture.at(x, y);
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(levels[y / 16]);
        }
    }
    auto bytes = test::encodeJpeg(picture, JpegKind::Colour, 100);
    auto image = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 641);
    EXPECT_EQ(image->byteSize(), 641 * 48 * 4);
    for (int r : {0, 15, 16, 31, 32, 47}) {
        int v = levels[(47 - r) / 16];
        expectPixelNear(image->row(r), v, v, v);
        expectPixelNear(image->row(r) + 640 * 4, v, v, v);
    }
}

TEST(DecodeJpeg, CmykPictureGivesNoImage) {
    auto bytes = test::encodeJpeg(test::solidPicture(16, 16, 4, {10, 20, 30, 40}), JpegKind::Cmyk);
    EXPECT_FALSE(decodeJpeg(bytes.data(), bytes.size()));
}

TEST(DecodeJpeg, StreamCutShortStillGivesTheWholePicture) {
    auto bytes = test::encodeJpeg(redOverBlue(320, 240), JpegKind::Colour);
    for (std::size_t keep : {bytes.size() * 3 / 4, bytes.size() / 2, std::size_t{700}}) {
        SCOPED_TRACE(keep);
        auto image = decodeJpeg(bytes.data(), keep);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), 320);
        EXPECT_EQ(image->height(), 240);
        // The top is decoded before the cut.
        expectPixelNear(image->row(239), 0, 0, 255);
    }
}

TEST(DecodeJpeg, DamagedHeadersGiveNoImage) {
    const auto good = test::encodeJpeg(redOverBlue(64, 48), JpegKind::Colour);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"header cut off", std::vector<std::uint8_t>(good.begin(), good.begin() + 20)});
    auto noStart = good;
    noStart[1] = 0x00;
    cases.push_back({"no start-of-image marker", noStart});
    auto zeroWidth = good;
    for (std::size_t i = 2; i + 8 < zeroWidth.size(); ++i) {
        if (zeroWidth[i] == 0xFF && zeroWidth[i + 1] == 0xC0) {  // start of frame
            zeroWidth[i + 7] = 0;
            zeroWidth[i + 8] = 0;
            break;
        }
    }
    cases.push_back({"zero width", zeroWidth});
    cases.push_back({"not a JPEG at all", std::vector<std::uint8_t>(300, 0x5A)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        static const std::uint8_t placeholder = 0;
        EXPECT_FALSE(decodeJpeg(c.bytes.empty() ? &placeholder : c.bytes.data(), c.bytes.size()));
    }
    EXPECT_FALSE(decodeJpeg(nullptr, 0));
}

TEST(DecodeJpeg, GarbageAfterAValidHeaderNeverCrashes) {
    // Scrambled entropy data is the common damage on a card; the decoder must come back either
    // way, never read outside the buffer.
    auto bytes = test::encodeJpeg(redOverBlue(96, 64), JpegKind::Colour);
    std::srand(7);
    for (int round = 0; round < 50; ++round) {
        auto damaged = bytes;
        for (int i = 0; i < 20; ++i) {
            damaged[200 + static_cast<std::size_t>(std::rand()) % (damaged.size() - 200)] =
                static_cast<std::uint8_t>(std::rand());
        }
        auto image = decodeJpeg(damaged.data(), damaged.size());
        if (image) {
            EXPECT_EQ(image->byteSize(), 96 * 64 * 4);
        }
    }
}

}  // namespace
}  // namespace tavrin
