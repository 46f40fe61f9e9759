#pragma once

#include <string>

namespace tavrin::bench {

// Drops a file's pages from the system's file cache, so that the next read of it comes from the
// device, as the first read of a card put in does. False where that cannot be done (on Windows
// itself, which has no call for it).
bool dropFromFileCache(const std::string& path);

}  // namespace tavrin::bench
