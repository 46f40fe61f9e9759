#pragma once

// What a person reads off the viewer's window, read from screenshots: the frame index every
// generated picture carries in its strip, the date and time the information panel draws with
// the skin's digit glyphs, and where the chart's marker stands.

#include <string>

#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {

// The frame index of the picture in `playerRegion` (the player window), found in the 4:3 box the
// player draws into; -1 when the strip cannot be read (no picture, or one being replaced).
int frameShown(const drive::ScreenPicture& picture, Region playerRegion);

// The date ("2026/12/08" or "----/--/--") and time ("12:34:56" or "--:--:--") the information
// panel shows; a text ends where no glyph of its set matches the screen exactly.
struct InfoTexts {
    std::wstring date;
    std::wstring time;
};
InfoTexts readInfoTexts(const drive::ScreenPicture& picture, Region infoRegion);

// The chart strip: the plot's left and right ends (from its white axes) and the column of the
// yellow marker, all in client coordinates; marker -1 when none is drawn.
struct ChartReading {
    int plotLeft = -1;
    int plotRight = -1;
    int marker = -1;
    // The frame of a recording of `frameCount` frames that the marker stands for, rounded.
    int markedFrame(int frameCount) const;
};
ChartReading readChart(const drive::ScreenPicture& picture, Region chartRegion);

}  // namespace tavrin::e2e
