#pragma once

#include <cstdint>
#include <vector>

#include "recording/Platform.h"

namespace tavrin {

// The start time of each archive in `paths`, in the same order (0 where the header's date is not
// valid). A folder of many archives is read on a few threads at once: where opening a file is a
// round trip to another process (under Wine) or to a slow card, waiting, not work, is what a long
// folder costs. Throws VideoArchiveException (5510) when an archive cannot be opened or is shorter
// than its header.
std::vector<std::int64_t> readArchiveStartTimes(const std::vector<Path>& paths);

}  // namespace tavrin
