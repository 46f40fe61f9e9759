#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "media/PictureScaling.h"
#include "tests/support/PictureQuality.h"
#include "tests/support/TestPictures.h"
#include "tools/cardgen/Canvas.h"
#include "tools/cardgen/JpegEncoder.h"
#include "tools/cardgen/Scene.h"

namespace tavrin {
namespace {

// A picture of noise: every filter fault shows in it.
std::unique_ptr<Image> noisyImage(int width, int height, unsigned seed) {
    std::unique_ptr<Image> image = Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image->row(y);
        for (int x = 0; x < width * 4; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = (x % 4 == 3) ? 0 : static_cast<std::uint8_t>(seed >> 23);
        }
    }
    return image;
}

TEST(ReductionToCover, TheLargestDivisionThatStillCoversTheBox) {
    struct Row {
        int width, height;
        PictureSize wanted;
        int reduction;
    };
    const Row rows[] = {
        {1280, 960, {640, 480}, 2},  // exactly half
        {1280, 960, {650, 487}, 2},  // up to 2 % more than half: half size, a little enlarged
        {1280, 960, {653, 487}, 1},  // more: full size, then shrunk
        {1280, 960, {650, 490}, 1},
        {1280, 960, {639, 479}, 2},
        {1280, 960, {320, 240}, 4},
        {1280, 960, {321, 240}, 2},
        {1280, 960, {160, 120}, 8},
        {1280, 960, {40, 30}, 8},    // never more than the decoder offers
        {1281, 961, {161, 121}, 8},  // the decoder rounds the divided size up
        {640, 480, {650, 487}, 1},   // smaller than the box: its own size
        {640, 480, {640, 480}, 1},
        {56575, 96, {640, 480}, 1},  // covers the box in one direction
                                     // only
        {1280, 960, {0, 0}, 1},      // no box: its own size
        {1280, 960, {640, 0}, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(reductionToCover(row.width, row.height, row.wanted), row.reduction)
            << row.width << "x" << row.height << " into " << row.wanted.width << "x"
            << row.wanted.height;
    }
}

TEST(ResampleImage, EachPixelIsTheMeanOfTheAreaItCovers) {
    struct Row {
        int width, height;
        PictureSize size;
    };
    // Whole and fractional ratios, odd widths (the last pixel of a row is handled alone), one
    // direction only, a ratio above two, and the slight enlargements a half-size decode may need.
    const Row rows[] = {{64, 48, {32, 24}}, {203, 37, {97, 20}},    {101, 77, {100, 76}},
                        {90, 30, {90, 17}}, {33, 40, {7, 40}},      {1280, 7, {651, 3}},
                        {17, 13, {1, 1}},   {640, 480, {648, 486}}, {101, 77, {103, 77}}};
    unsigned seed = 7;
    for (const Row& row : rows) {
        std::unique_ptr<Image> image = noisyImage(row.width, row.height, ++seed);
        std::unique_ptr<Image> shrunk = resampleImage(*image, row.size);
        ASSERT_TRUE(shrunk) << row.width << "x" << row.height;
        ASSERT_EQ(shrunk->width(), row.size.width);
        ASSERT_EQ(shrunk->height(), row.size.height);
        const std::vector<double> expected =
            test::areaMean(*image, row.size.width, row.size.height);
        double worst = 0;
        for (int y = 0; y < row.size.height; ++y) {
            for (int x = 0; x < row.size.width; ++x) {
                const std::uint8_t* pixel = shrunk->row(y) + x * 4;
                for (int c = 0; c < 3; ++c) {
                    const double want =
                        expected[(static_cast<std::size_t>(y) * row.size.width + x) * 3 + c];
                    worst = std::max(worst, std::abs(pixel[c] - want));
                }
                ASSERT_EQ(pixel[3], 0);
            }
        }
        EXPECT_LE(worst, 1.0) << row.width << "x" << row.height << " to " << row.size.width << "x"
                              << row.size.height;
    }
}

TEST(ResampleImage, RefusesItsOwnSizeAndMoreThanASlightEnlargement) {
    std::unique_ptr<Image> image = noisyImage(100, 50, 1);
    for (PictureSize size : {PictureSize{100, 50}, PictureSize{103, 50}, PictureSize{50, 52},
                             PictureSize{0, 10}, PictureSize{}}) {
        EXPECT_FALSE(resampleImage(*image, size)) << size.width << "x" << size.height;
    }
}

TEST(ResamplesTo, ShrinksAlwaysAndEnlargesSlightlyOnlyWhatWasDecodedReduced) {
    struct Row {
        PictureSize size, wanted;
        bool reduced, resampled;
    };
    const Row rows[] = {
        {{1280, 960}, {648, 486}, false, true}, {{640, 480}, {648, 486}, true, true},
        {{640, 480}, {648, 486}, false, false},  // a full decode is left to the stretch
        {{640, 480}, {660, 495}, true, false},  {{640, 480}, {640, 480}, true, false},
        {{640, 480}, {}, true, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(resamplesTo(row.size, row.wanted, row.reduced), row.resampled)
            << row.size.width << " into " << row.wanted.width << ", reduced " << row.reduced;
    }
}

// A picture of the sample card generator: the road scene with its digits and frame strip.
std::vector<std::uint8_t> generatedPicture(int width, int height, int frame, int quality) {
    cardgen::Canvas canvas(width, height);
    cardgen::SceneFrame scene;
    scene.frameIndex = frame;
    scene.seconds = frame / 28.0;
    scene.distance = frame * 0.6;
    scene.lateral = 0.2;
    cardgen::drawScene(canvas, scene);
    return cardgen::encodeJpeg(canvas, quality);
}

double psnr(const Image& image, const std::vector<double>& reference) {
    return test::psnr(image.pixels(), image.stride(), image.width(), image.height(), reference);
}

TEST(DecodeJpegForABox, ComesOutAtTheBoxSizeAsGoodAsAFullDecodeShrunk) {
    // The generator's range of qualities, as the unit's rate control swings.
    for (int quality : {10, 40, 70}) {
        const auto bytes = generatedPicture(1280, 960, 1234, quality);
        std::unique_ptr<Image> full = decodeJpeg(bytes.data(), bytes.size());
        ASSERT_TRUE(full);
        ASSERT_EQ(full->width(), 1280);
        // Reduced exactly, reduced and shrunk, and shrunk from the full size.
        for (PictureSize box : {PictureSize{640, 480}, PictureSize{320, 240}, PictureSize{500, 375},
                                PictureSize{650, 487}, PictureSize{160, 120}}) {
            std::unique_ptr<Image> shown = decodeJpeg(bytes.data(), bytes.size(), box);
            ASSERT_TRUE(shown);
            ASSERT_EQ(shown->width(), box.width);
            ASSERT_EQ(shown->height(), box.height);
            EXPECT_GE(psnr(*shown, test::areaMean(*full, box.width, box.height)), 35.0)
                << box.width << "x" << box.height << " quality " << quality;
            for (int i = 3; i < shown->byteSize(); i += 4) ASSERT_EQ(shown->pixels()[i], 0) << i;
        }
    }
}

TEST(DecodeJpegForABox, APictureNoLargerThanTheBoxKeepsItsOwnSize) {
    const auto colour = generatedPicture(321, 241, 7, 60);
    const auto grey = test::encodeJpeg(test::solidPicture(321, 241, 1, {77}), test::JpegKind::Grey);
    struct Row {
        const std::vector<std::uint8_t>* bytes;
        PictureSize box;
        int width, height;
    };
    const Row rows[] = {
        {&colour, {640, 480}, 321, 241},  // smaller: the drawing stretches it
        {&colour, {321, 241}, 321, 241},
        {&colour, {400, 200}, 321, 241},  // taller than the box but narrower
        {&colour, {}, 321, 241},
        {&grey, {160, 120}, 160, 120},  // 161 x 121 at half, then shrunk
        {&grey, {81, 61}, 81, 61},      // a quarter rounds up to exactly this
    };
    for (const Row& row : rows) {
        std::unique_ptr<Image> image = decodeJpeg(row.bytes->data(), row.bytes->size(), row.box);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), row.width) << row.box.width << "x" << row.box.height;
        EXPECT_EQ(image->height(), row.height) << row.box.width << "x" << row.box.height;
    }
    // A reduced grey picture is still grey.
    std::unique_ptr<Image> reduced = decodeJpeg(grey.data(), grey.size(), {81, 61});
    ASSERT_TRUE(reduced);
    const std::uint8_t* pixel = reduced->row(30) + 40 * 4;
    EXPECT_NEAR(pixel[0], 77, 2);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[0], pixel[2]);
}

}  // namespace
}  // namespace tavrin
