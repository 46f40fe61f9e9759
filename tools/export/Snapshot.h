#pragma once

// A still of the picture shown at one moment: the stored JPEG bit for bit, and on request a PNG
// of it as the viewer shows it at standard brightness.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/Platform.h"

namespace tavrin::exporter {

class Card;

struct SnapshotRequest {
    std::int64_t time = 0;   // the unit's clock, when no slot is given
    std::int32_t slot = -1;  // a slot of the only recording
    bool png = false;
    Path outFolder;
    bool replace = false;
};

// The recording and slot that a request names; false when none does.
bool findSnapshotSlot(const Card& card, const SnapshotRequest& request, std::size_t& recording,
                      std::int32_t& slot);

// Writes the still(s); returns the names written. Throws ExportError.
std::vector<std::wstring> writeSnapshot(Card& card, std::size_t recording, std::int32_t slot,
                                        const SnapshotRequest& request);

}  // namespace tavrin::exporter
