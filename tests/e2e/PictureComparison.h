#pragma once

// Holding a screenshot against a stored reference picture with a small tolerance: fonts and
// scaling may round a little differently from one Wine to the next, but the skin must not move.

#include <string>
#include <vector>

#include "tests/e2e/ViewerSession.h"
#include "tools/drive/ViewerDriver_win.h"

namespace tavrin::e2e {

struct Comparison {
    bool sameSize = false;
    double matchingShare = 0.0;  // pixels within the tolerance, 0 to 1
    int worstDifference = 0;     // largest channel difference anywhere
    std::string describe() const;
};

// Compares every pixel outside `ignored` channel by channel; a pixel matches when no channel
// differs by more than `tolerance`.
Comparison comparePictures(const drive::ScreenPicture& actual, const drive::ScreenPicture& reference,
                           int tolerance, const std::vector<Region>& ignored);

// The reference picture `name` (a PNG file in the tests' reference folder); empty when missing or
// unreadable.
drive::ScreenPicture loadReference(const std::string& name);
// Stores `picture` as the reference `name`; false when it cannot be written.
bool storeReference(const drive::ScreenPicture& picture, const std::string& name);
// Set TAVRIN_UPDATE_REFERENCES=1 to store new references instead of comparing.
bool updatingReferences();

}  // namespace tavrin::e2e
