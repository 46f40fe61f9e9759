#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "media/GammaCorrection.h"
#include "media/Image.h"

namespace tavrin {
namespace {

TEST(GammaCorrection, TableMatchesTheKnownValues) {
    struct Case {
        double gamma;
        int input;
        int output;
    } cases[] = {
        {1.2, 0, 0},   {1.2, 1, 3},   {1.2, 16, 25},  {1.2, 64, 81},   {1.2, 128, 144},
        {1.2, 200, 208}, {1.2, 255, 255}, {5.0, 1, 84}, {5.0, 128, 222}, {0.1, 254, 245},
        {0.1, 255, 255}, {1.0, 77, 77},
    };
    for (const Case& c : cases) {
        GammaCorrection correction;
        correction.setGamma(c.gamma);
        EXPECT_EQ(correction.table()[c.input], c.output) << c.gamma << " " << c.input;
    }
}

TEST(GammaCorrection, GammaIsClampedToItsRange) {
    struct Case {
        double requested;
        double stored;
    } cases[] = {{0.05, 0.1}, {7.0, 5.0}, {5.0, 5.0}, {0.1, 0.1}, {-3.0, 0.1},
                 {std::numeric_limits<double>::quiet_NaN(), 5.0},
                 {std::numeric_limits<double>::infinity(), 5.0}};
    for (const Case& c : cases) {
        GammaCorrection correction;
        correction.setGamma(c.requested);
        EXPECT_EQ(correction.gamma(), c.stored) << c.requested;
    }
}

std::unique_ptr<Image> sampleImage() {
    auto image = Image::create(3, 2);
    for (int i = 0; i < image->byteSize(); ++i) image->pixels()[i] = static_cast<std::uint8_t>(i * 10);
    return image;
}

TEST(GammaCorrection, ApplyMapsColourBytesAndKeepsTheFourth) {
    GammaCorrection correction;
    correction.setGamma(1.2);
    auto image = sampleImage();
    auto original = image->clone();
    correction.apply(*image);
    // The copy the player draws is corrected alike and leaves its source alone.
    auto copy = correction.correctedCopy(*original);
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->width(), 3);
    ASSERT_EQ(copy->height(), 2);
    for (int i = 0; i < image->byteSize(); ++i) {
        std::uint8_t before = original->pixels()[i];
        EXPECT_EQ(image->pixels()[i], i % 4 == 3 ? before : correction.table()[before]) << i;
        EXPECT_EQ(copy->pixels()[i], image->pixels()[i]) << i;
        EXPECT_EQ(original->pixels()[i], i * 10 % 256) << i;
    }
}

// Every byte value in every colour position, next to every other (the copy works on pixels in
// pairs), with an odd pixel count and fourth bytes that are not zero: each colour byte is mapped
// through the table on its own and the fourth byte kept, in place and in the copy.
TEST(GammaCorrection, EveryColourByteIsMappedOnItsOwnAtEveryGamma) {
    auto image = Image::create(257, 3);  // 771 pixels
    ASSERT_TRUE(image);
    std::uint32_t state = 12345;
    for (int i = 0; i < image->byteSize(); ++i) {
        state = state * 1103515245u + 12345u;
        // A byte's own index runs through every value; the random high bits mix neighbours.
        image->pixels()[i] = static_cast<std::uint8_t>(
            i % 4 == 3 ? state >> 24 : (i / 4 + (state >> 28) * 16 * (i % 4)) & 0xFF);
    }
    for (double gamma : {0.1, 0.5, 1.2, 2.0, 5.0}) {
        GammaCorrection correction;
        correction.setGamma(gamma);
        auto copy = correction.correctedCopy(*image);
        ASSERT_TRUE(copy);
        auto inPlace = image->clone();
        correction.apply(*inPlace);
        for (int i = 0; i < image->byteSize(); ++i) {
            const std::uint8_t before = image->pixels()[i];
            const std::uint8_t expected = i % 4 == 3 ? before : correction.table()[before];
            ASSERT_EQ(copy->pixels()[i], expected) << "gamma " << gamma << ", byte " << i;
            ASSERT_EQ(inPlace->pixels()[i], expected) << "gamma " << gamma << ", byte " << i;
        }
    }
}

TEST(GammaCorrection, NewOrUnitGammaLeavesImagesUnchanged) {
    // A new table is all zero; applying it must still change nothing.
    GammaCorrection fresh;
    GammaCorrection unit;
    unit.setGamma(2.0);
    unit.setGamma(1.0);
    for (const GammaCorrection* correction : {&fresh, &unit}) {
        auto image = sampleImage();
        correction->apply(*image);
        auto copy = correction->correctedCopy(*image);
        ASSERT_TRUE(copy);
        for (int i = 0; i < image->byteSize(); ++i) {
            ASSERT_EQ(image->pixels()[i], i * 10 % 256);
            ASSERT_EQ(copy->pixels()[i], i * 10 % 256);
        }
    }
}

TEST(Image, CloneCopiesPixelsIntoItsOwnBuffer) {
    auto image = sampleImage();
    auto copy = image->clone();
    ASSERT_EQ(copy->width(), 3);
    ASSERT_EQ(copy->height(), 2);
    ASSERT_EQ(copy->byteSize(), 24);
    EXPECT_NE(copy->pixels(), image->pixels());
    image->pixels()[5] = 1;
    EXPECT_EQ(copy->pixels()[5], 50);
}

TEST(Image, SizesThatCannotBeRepresentedGiveNoImage) {
    EXPECT_FALSE(Image::create(0, 10));
    EXPECT_FALSE(Image::create(10, -1));
    EXPECT_FALSE(Image::create(65500, 65500));  // more than 2 GiB of pixels
    EXPECT_TRUE(Image::create(1, 1));
}

}  // namespace
}  // namespace tavrin
