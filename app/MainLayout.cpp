#include "app/MainLayout.h"

namespace tavrin {

MainLayout layoutMainWindow(int w, int h, bool chartEnabled) {
    MainLayout layout;
    int y = h;
    if (chartEnabled) {
        y -= kChartHeight;
        layout.chartShown = true;
        layout.chart = {0, y, w, kChartHeight};
    }
    layout.console = {0, y - kConsoleHeight, w, kConsoleHeight};
    layout.config = {w - kRightColumnWidth, y - 205, kRightColumnWidth, 140};
    layout.info = {w - kRightColumnWidth, 0, kRightColumnWidth, 180};
    layout.player = {kLeftStripWidth, 0, w - 230, y - kConsoleHeight};
    layout.animation = {(w - 510) / 2, (y - 138) / 2, 280, 73};
    return layout;
}

OuterSize mainWindowSize(unsigned long osMajorVersion) {
    // Exactly major version 6, as the frame sizes were measured there; other versions get the
    // classic size.
    return osMajorVersion == 6 ? OuterSize{890, 697} : OuterSize{882, 693};
}

}  // namespace tavrin
