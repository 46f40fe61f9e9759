#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrin {

// Where buffers lie against the pages of the files the system copies them to or from. The
// system copies between a buffer and a file's cached pages several times slower when, within a
// page, the destination lies a few bytes past the source (each load waits on a store 4 KiB away
// that it seems to depend on), as with a buffer that starts a little past a page boundary behind
// its allocation's header, read into from a page boundary or written to the sound file's samples
// behind their 44-byte header.
constexpr std::size_t kPageSize = 4096;
// Destinations at least this far past their source within a page copy at full speed (measured
// slow from 1 to 31 bytes, with a margin).
constexpr std::size_t kSlowCopyDistance = 64;

// How far past `at` (less than a page) bytes for a file at `filePosition` would lie at the same
// place within a page as there, where the system copies them fastest.
inline std::size_t pageDistance(const void* at, std::int64_t filePosition) {
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(filePosition) - reinterpret_cast<std::uintptr_t>(at)) %
        kPageSize);
}

// Room for `size` bytes in `storage` (grown when too small), starting `offsetInPage` bytes past a
// page boundary.
inline std::uint8_t* pagePlaced(std::vector<std::uint8_t>& storage, std::size_t size,
                                std::size_t offsetInPage = 0) {
    offsetInPage %= kPageSize;
    if (storage.size() < size + 2 * kPageSize) storage.resize(size + 2 * kPageSize);
    return storage.data() + pageDistance(storage.data(), 0) + offsetInPage;
}

// Whether the system copies bytes at `source` to a file at `filePosition` at the slow pace.
inline bool copiesSlowlyTo(const void* source, std::int64_t filePosition) {
    const std::size_t distance = pageDistance(source, filePosition);
    return distance != 0 && distance < kSlowCopyDistance;
}

}  // namespace tavrin
