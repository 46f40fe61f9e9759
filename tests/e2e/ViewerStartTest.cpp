// The viewer right after start-up: its layout, its empty state, its look, and closing it.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "tests/e2e/PictureComparison.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr ConsoleButton kAllButtons[] = {ConsoleButton::Play,         ConsoleButton::Stop,
                                         ConsoleButton::PreviousDate, ConsoleButton::NextDate,
                                         ConsoleButton::Previous,     ConsoleButton::Next};

void expectRect(HWND top, HWND window, int x, int y, int width, int height, const char* what) {
    ASSERT_NE(window, nullptr) << what;
    const RECT r = drive::rectIn(top, window);
    EXPECT_EQ(r.left, x) << what;
    EXPECT_EQ(r.top, y) << what;
    EXPECT_EQ(r.right - r.left, width) << what;
    EXPECT_EQ(r.bottom - r.top, height) << what;
}

TEST(ViewerStart, ChildrenFollowTheClientSizeDownToTheMinimum) {
    Viewer viewer;
    for (const SIZE outer : {SIZE{1000, 800}, SIZE{883, 700}}) {
        SetWindowPos(viewer.main(), nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(waitUntil([&] {
            RECT r;
            GetWindowRect(viewer.main(), &r);
            return r.right - r.left == outer.cx && r.bottom - r.top == outer.cy;
        }, kDialogTimeoutMs));
        const SIZE client = viewer.clientSize();
        const int w = client.cx;
        const int h = client.cy;
        SCOPED_TRACE(testing::Message() << "client " << w << " x " << h);
        // The laying out happens on the viewer's thread: wait until the player took its size.
        waitUntil([&] {
            const RECT r = drive::rectIn(viewer.main(), viewer.player());
            return r.right - r.left == w - 230;
        }, kDialogTimeoutMs);
        expectRect(viewer.main(), viewer.player(), 21, 0, w - 230, h - 155, "player");
        expectRect(viewer.main(), viewer.consolePanel(), 0, h - 155, w, 65, "control panel");
        expectRect(viewer.main(), drive::windowAt(viewer.main(), {2, h - 2}), 0, h - 90, w, 90,
                   "chart");
        expectRect(viewer.main(), drive::windowAt(viewer.main(), {w - 207, 2}), w - 209, 0, 209,
                   180, "information panel");
        expectRect(viewer.main(), drive::windowAt(viewer.main(), {w - 207, h - 293}), w - 209,
                   h - 295, 209, 140, "volume and brightness panel");
        expectRect(viewer.main(), viewer.positionSlider(), 249, h - 155 + 26, w - 344, 30,
                   "position slider");
    }

    // Below the minimum tracking size the window stops at it.
    SetWindowPos(viewer.main(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer;
    GetWindowRect(viewer.main(), &outer);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 640);
}

TEST(ViewerStart, StartsEmptyWithTheAnimationInThePictureArea) {
    Viewer viewer;
    EXPECT_EQ(viewer.title(), L"Tavrin");
    for (ConsoleButton which : kAllButtons) {
        ASSERT_NE(viewer.button(which), viewer.consolePanel()) << static_cast<int>(which);
        EXPECT_FALSE(viewer.enabled(which)) << "button " << static_cast<int>(which);
    }

    // The animation: the player's only child, centred in it.
    const std::vector<HWND> children = drive::childWindows(viewer.player());
    ASSERT_EQ(children.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(children[0]));
    const RECT player = drive::rectIn(viewer.main(), viewer.player());
    const int playerWidth = player.right - player.left;
    const int playerHeight = player.bottom - player.top;
    const RECT animation = drive::rectIn(viewer.player(), children[0]);
    EXPECT_EQ(animation.left, (playerWidth - 280) / 2);
    EXPECT_EQ(animation.top, (playerHeight - 73) / 2);
    EXPECT_EQ(animation.right - animation.left, 280);
    EXPECT_EQ(animation.bottom - animation.top, 73);

    // A slider of range 0-0 keeps its thumb at the start wherever it is clicked.
    const Region slider = viewer.sliderRegion();
    const drive::ScreenPicture before = viewer.picture();
    drive::click(viewer.main(), {slider.x + slider.width * 3 / 4, slider.y + slider.height / 2});
    Sleep(300);
    EXPECT_FALSE(regionChanged(before, viewer.picture(), slider));
}

TEST(ViewerStart, EmptyWindowLooksLikeTheReference) {
    Viewer viewer;
    // The animation is part of the picture: after its first 100 ms it stays as it is.
    // Let every child finish its first painting.
    Sleep(1000);
    const drive::ScreenPicture actual = viewer.picture();
    if (updatingReferences()) {
        ASSERT_TRUE(storeReference(actual, "empty.png"));
        GTEST_SKIP() << "stored a new reference picture";
    }
    const drive::ScreenPicture reference = loadReference("empty.png");
    ASSERT_GT(reference.width, 0) << "no reference picture; run with TAVRIN_UPDATE_REFERENCES=1";
    const Comparison comparison = comparePictures(actual, reference, 8, {});
    EXPECT_TRUE(comparison.sameSize) << actual.width << " x " << actual.height << " against "
                                     << reference.width << " x " << reference.height;
    EXPECT_GE(comparison.matchingShare, 0.995) << comparison.describe();
    std::printf("reference empty.png: %s\n", comparison.describe().c_str());
}

TEST(ViewerStart, ClosingAnEmptyViewerEndsItWithoutAQuestion) {
    Viewer viewer;
    PostMessageW(viewer.main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.process().waitForExit(kDialogTimeoutMs));
    EXPECT_EQ(viewer.process().exitCode(), 0u);

    // The menu's exit command takes the same way.
    Viewer second;
    drive::chooseMenuCommand(second.main(), 40005);
    EXPECT_TRUE(second.process().waitForExit(kDialogTimeoutMs));
    EXPECT_EQ(second.process().exitCode(), 0u);
}

}  // namespace
}  // namespace tavrin::e2e
