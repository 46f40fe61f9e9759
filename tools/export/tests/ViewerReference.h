#pragma once

// What the viewer shows and plays for slots of a recording, from the viewer's own reading of
// the archive: the expected content of an exported clip.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/Platform.h"

namespace tavrin::exporttest {

using Bytes = std::vector<std::uint8_t>;

// Slots [firstSlot, endSlot) of one archive.
struct SourceRange {
    Path archive;
    int firstSlot = 0;
    int endSlot = 0;
};

struct ViewerSlot {
    Bytes picture;        // the stored JPEG, prefix restored, of the picture on screen
    int frameIndex = -1;  // the index its strip shows, -1 when the strip cannot be read
    bool marked = false;
    std::int64_t time = 0;
};

struct ViewerClip {
    std::vector<ViewerSlot> slots;
    Bytes sound;  // the viewer's track for exactly these slots, silence where it is shorter
    int width = 0;
    int height = 0;
};

// Opens each archive as the viewer does. A slot whose picture the viewer cannot decode shows
// the picture before it (or, at the start, the first one after it).
ViewerClip viewerClip(const std::vector<SourceRange>& sources);

}  // namespace tavrin::exporttest
