#include <gtest/gtest.h>

#include "app/MainLayout.h"

namespace tavrin {
namespace {

TEST(MainLayoutTest, ChildrenFillTheClientAreaAroundThePicture) {
    const MainLayout layout = layoutMainWindow(874, 635, true);
    EXPECT_TRUE(layout.chartShown);
    EXPECT_EQ(layout.chart.y, 545);
    EXPECT_EQ(layout.chart.width, 874);
    EXPECT_EQ(layout.chart.height, 90);
    EXPECT_EQ(layout.console.y, 480);
    EXPECT_EQ(layout.console.width, 874);
    EXPECT_EQ(layout.console.height, 65);
    // The picture area is (W - 230) x (H - 155), right of the skin strip.
    EXPECT_EQ(layout.player.x, 21);
    EXPECT_EQ(layout.player.y, 0);
    EXPECT_EQ(layout.player.width, 644);
    EXPECT_EQ(layout.player.height, 480);
    // The right-hand column: information on top, volume and brightness above the console.
    EXPECT_EQ(layout.info.x, 665);
    EXPECT_EQ(layout.info.y, 0);
    EXPECT_EQ(layout.info.height, 180);
    EXPECT_EQ(layout.config.x, 665);
    EXPECT_EQ(layout.config.y, 340);
    EXPECT_EQ(layout.config.height, 140);
    // The start-up picture sits in the middle of the picture area.
    EXPECT_EQ(layout.animation.x, (644 - 280) / 2);
    EXPECT_EQ(layout.animation.y, (480 - 73) / 2);
}

TEST(MainLayoutTest, ADisabledChartIsLeftOutAndThePictureGrows) {
    const MainLayout layout = layoutMainWindow(800, 640, false);
    EXPECT_FALSE(layout.chartShown);
    EXPECT_EQ(layout.console.y, 575);
    EXPECT_EQ(layout.player.height, 575);
    EXPECT_EQ(layout.config.y, 435);
}

TEST(MainLayoutTest, OuterSizeDependsOnTheSystemGeneration) {
    EXPECT_EQ(mainWindowSize(6).width, 890);
    EXPECT_EQ(mainWindowSize(6).height, 697);
    EXPECT_EQ(mainWindowSize(5).width, 882);
    EXPECT_EQ(mainWindowSize(10).height, 693);
}

}  // namespace
}  // namespace tavrin
