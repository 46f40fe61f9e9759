#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "recording/Platform.h"

namespace tavrin {

// One archive of a folder, as listed for stepping through a card's recordings.
struct ArchiveEntry {
    Path path;
    std::int32_t reserved = 0;
    std::int64_t startTime = 0;  // 0 when the archive's header date is not valid
};

// The name after the last separator is four digits, "_", three digits and ".DAT" (any case).
bool isArchiveFileName(const Path& path);

// Lists every archive in the folder of `path`, sorted by start time (stable, so archives with an
// invalid date come first in folder order), and returns the position of `path` in the list (0
// when it is not found exactly). Throws VideoArchiveException (5510) when the folder cannot be
// listed, an archive cannot be read, or there is no archive; `count` is then 0.
std::int32_t listArchives(const Path& path, std::vector<std::unique_ptr<ArchiveEntry>>& list,
                          std::int32_t& count);

// The folder part of a path, without trailing separators: X:\A\0001_001.DAT gives X:\A, and
// X:\A\ gives X:.
Path parentFolderOf(const Path& path);

}  // namespace tavrin
