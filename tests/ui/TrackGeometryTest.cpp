#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "ui/TrackGeometry.h"

namespace tavrin {
namespace {

TrackGeometry slider(std::int32_t minimum, std::int32_t maximum, int clientWidth = 110,
                     int thumbWidth = 10) {
    TrackGeometry g;
    g.minimum = minimum;
    g.maximum = maximum;
    g.clientWidth = clientWidth;
    g.thumbWidth = thumbWidth;
    g.hasPictures = true;
    return g;
}

TEST(TrackGeometryTest, ValuesMapOntoTheThumbsTravelTruncatingTowardZero) {
    const TrackGeometry g = slider(0, 100);
    EXPECT_EQ(g.valueToPixel(0), 0);
    EXPECT_EQ(g.valueToPixel(50), 50);
    EXPECT_EQ(g.valueToPixel(100), 100);  // the thumb's right edge at the client's
    const TrackGeometry odd = slider(0, 3);
    EXPECT_EQ(odd.valueToPixel(1), 33);  // 100 / 3 = 33.3
    EXPECT_EQ(odd.valueToPixel(2), 66);
    const TrackGeometry shifted = slider(-10, 10, 30, 10);
    EXPECT_EQ(shifted.valueToPixel(-10), 0);
    EXPECT_EQ(shifted.valueToPixel(-9), 1);
    EXPECT_EQ(shifted.valueToPixel(10), 20);
}

TEST(TrackGeometryTest, WithoutPicturesOrRangeEveryValueSitsAtTheStart) {
    TrackGeometry g = slider(0, 100);
    g.hasPictures = false;
    EXPECT_EQ(g.valueToPixel(60), 0);
    const TrackGeometry empty = slider(7, 7);
    EXPECT_EQ(empty.valueToPixel(7), 0);
    EXPECT_EQ(empty.valueToPixel(1000), 0);
}

TEST(TrackGeometryTest, APointerPositionMeansTheValueUnderTheThumbsCentre) {
    const TrackGeometry g = slider(0, 100);
    EXPECT_EQ(g.valueForThumbAt(50), 50);
    EXPECT_EQ(g.valueFromPixel(5), 0);
    EXPECT_EQ(g.valueFromPixel(105), 100);
    // 1 + 49 x 50 / 100 = 25.5, truncated.
    EXPECT_EQ(slider(1, 50).valueForThumbAt(50), 25);
    // Past either end the value stops at the bound, however far out the pointer is.
    EXPECT_EQ(g.valueFromPixel(-30000), 0);
    EXPECT_EQ(g.valueFromPixel(30000), 100);
    EXPECT_EQ(slider(INT_MIN, INT_MAX).valueFromPixel(INT_MAX), INT_MAX);
    EXPECT_EQ(slider(INT_MIN, INT_MAX).valueFromPixel(INT_MIN), INT_MIN);
    // Left of the first value's centre, the negative quotient truncates toward zero.
    EXPECT_EQ(slider(0, 1000).valueFromPixel(4), 0);
    EXPECT_EQ(slider(-1000, 0).valueFromPixel(4), -1000);
}

TEST(TrackGeometryTest, ASliderWithNoRoomForTheThumbToTravelStaysAtItsMinimum) {
    EXPECT_EQ(slider(3, 9, 10, 10).valueFromPixel(8), 3);
    EXPECT_EQ(slider(3, 9, 4, 10).valueFromPixel(8), 3);
}

TEST(TrackGeometryTest, TheThumbIsHitOnBothOfItsEdges) {
    const TrackGeometry g = slider(0, 100);
    EXPECT_FALSE(g.isOnThumb(19, 20));
    EXPECT_TRUE(g.isOnThumb(20, 20));
    EXPECT_TRUE(g.isOnThumb(30, 20));
    EXPECT_FALSE(g.isOnThumb(31, 20));
    TrackGeometry bare = g;
    bare.hasPictures = false;
    EXPECT_FALSE(bare.isOnThumb(0, 0));
}

TEST(TrackGeometryTest, ThreeSlicesKeepTheCapsAndStretchTheMiddleAroundTheThumb) {
    std::array<TrackPiece, 4> pieces;
    // Thumb 10, track picture 40 wide, client 200, thumb at 60.
    ASSERT_TRUE(threeSliceTrack(10, 40, 200, 60, pieces));
    const TrackPiece leftCap = pieces[0], filled = pieces[1], rightCap = pieces[2],
                     empty = pieces[3];
    EXPECT_EQ(leftCap.source, TrackPiece::kFill);
    EXPECT_EQ(leftCap.sourceX, 0);
    EXPECT_EQ(leftCap.sourceWidth, 5);
    EXPECT_EQ(leftCap.destinationX, 0);
    EXPECT_EQ(leftCap.destinationWidth, 5);
    EXPECT_EQ(filled.source, TrackPiece::kFill);
    EXPECT_EQ(filled.sourceX, 5);
    EXPECT_EQ(filled.sourceWidth, 30);
    EXPECT_EQ(filled.destinationX, 5);
    EXPECT_EQ(filled.destinationWidth, 60);
    EXPECT_EQ(rightCap.source, TrackPiece::kTrack);
    EXPECT_EQ(rightCap.sourceX, 35);
    EXPECT_EQ(rightCap.destinationX, 195);
    EXPECT_EQ(rightCap.destinationWidth, 5);
    EXPECT_EQ(empty.source, TrackPiece::kTrack);
    EXPECT_EQ(empty.sourceX, 5);
    EXPECT_EQ(empty.sourceWidth, 30);
    EXPECT_EQ(empty.destinationX, 65);
    EXPECT_EQ(empty.destinationWidth, 130);
    // The pieces meet without a gap from the left cap to the right cap.
    EXPECT_EQ(empty.destinationX + empty.destinationWidth, rightCap.destinationX);

    EXPECT_FALSE(threeSliceTrack(40, 40, 200, 0, pieces));
    EXPECT_FALSE(threeSliceTrack(41, 40, 200, 0, pieces));
}

TEST(TrackGeometryTest, MarkersSitOverTheThumbsCentreForTheirValue) {
    const TrackGeometry g = slider(0, 100);
    int x = -1;
    ASSERT_TRUE(markerPosition(g, 50, 6, x));
    EXPECT_EQ(x, 50 + 5 + 2 - 3);
    ASSERT_TRUE(markerPosition(g, 0, 6, x));
    EXPECT_EQ(x, 4);
    EXPECT_FALSE(markerPosition(g, -1, 6, x));
    // Near the start a value rounds to pixel 0 and is still shown there.
    ASSERT_TRUE(markerPosition(slider(0, 1000), 1, 6, x));
    EXPECT_EQ(x, 4);
}

TEST(TrackGeometryTest, WithAnEmptyRangeOnlyTheMarkerAtZeroIsDrawn) {
    int x = -1;
    const TrackGeometry empty = slider(0, 0);
    ASSERT_TRUE(markerPosition(empty, 0, 6, x));
    EXPECT_EQ(x, 5 + 2 - 3);
    EXPECT_FALSE(markerPosition(empty, 3, 6, x));
    TrackGeometry bare = slider(0, 100);
    bare.hasPictures = false;
    ASSERT_TRUE(markerPosition(bare, 0, 6, x));
    EXPECT_EQ(x, 2 - 3);
    EXPECT_FALSE(markerPosition(bare, 50, 6, x));
}

}  // namespace
}  // namespace tavrin
