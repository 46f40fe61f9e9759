#pragma once

// Where the main window puts its children for a client area of a given size. The right-hand
// column is 209 pixels wide, the left skin strip 21, the control panel 65 high under the
// picture and the chart 90 high along the bottom.

namespace tavrin {

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct MainLayout {
    bool chartShown = false;  // the chart is left out while its window is disabled
    LayoutRect chart;
    LayoutRect console;
    LayoutRect config;
    LayoutRect info;
    LayoutRect player;
    LayoutRect animation;  // inside the player's window
};

constexpr int kRightColumnWidth = 209;
constexpr int kLeftStripWidth = 21;
constexpr int kConsoleHeight = 65;
constexpr int kChartHeight = 90;
constexpr int kMinimumTrackWidth = 800;
constexpr int kMinimumTrackHeight = 640;

MainLayout layoutMainWindow(int clientWidth, int clientHeight, bool chartEnabled);

// The outer size of the main window: a little larger on systems of major version 6 and later,
// whose frames are wider.
struct OuterSize {
    int width;
    int height;
};
OuterSize mainWindowSize(unsigned long osMajorVersion);

}  // namespace tavrin
