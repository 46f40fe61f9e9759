#include <gtest/gtest.h>

#include "ui/TextPlacement.h"

namespace tavrin {
namespace {

// A 100 x 40 area and a 30 x 11 text: the odd remainders show the truncating halves.
constexpr int kW = 100, kH = 40, kTextW = 30, kTextH = 11;

TEST(TextPlacement, NinePositions) {
    struct Case {
        int alignment;
        int x;
        int y;
    };
    const Case cases[] = {
        {1, 35, 0},  {2, 70, 0},  {3, 0, 14},  {4, 35, 14},
        {5, 70, 14}, {6, 0, 29},  {7, 35, 29}, {8, 70, 29},
    };
    for (const Case& c : cases) {
        TextOrigin origin = placeText(c.alignment, kW, kH, kTextW, kTextH);
        EXPECT_EQ(origin.x, c.x) << "alignment " << c.alignment;
        EXPECT_EQ(origin.y, c.y) << "alignment " << c.alignment;
    }
}

TEST(TextPlacement, UnknownCodesMeanTopLeft) {
    for (int alignment : {0, 9, -1, 1000}) {
        TextOrigin origin = placeText(alignment, kW, kH, kTextW, kTextH);
        EXPECT_EQ(origin.x, 0) << alignment;
        EXPECT_EQ(origin.y, 0) << alignment;
    }
}

TEST(TextPlacement, ContentLargerThanTheAreaTruncatesTowardZero) {
    // -21 / 2 is -10, not -11: a centred block overhangs the left by ten pixels.
    TextOrigin origin = placeText(kAlignCentre, 10, 10, 31, 13);
    EXPECT_EQ(origin.x, -10);
    EXPECT_EQ(origin.y, -1);
    origin = placeText(kAlignBottomRight, 10, 10, 31, 13);
    EXPECT_EQ(origin.x, -21);
    EXPECT_EQ(origin.y, -3);
}

}  // namespace
}  // namespace tavrin
