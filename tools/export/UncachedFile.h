#pragma once

// A file written straight from the caller's memory to the disk, past the system's cache, where
// the platform allows it. A large video goes out this way: copying a gigabyte into the cache
// would keep a processor busy for longer than the disk takes it, and nobody reads it back soon.
// Only whole pages at page boundaries go this way; the caller writes the rest as usual.

#include <cstddef>
#include <cstdint>

#include "recording/PageAlignment.h"
#include "recording/Platform.h"

namespace tavrin::exporter {

class UncachedFile {
public:
    // Offsets, lengths and addresses of what is written are multiples of this.
    static constexpr std::size_t kBlockBytes = kPageSize;

    UncachedFile() = default;
    UncachedFile(UncachedFile&& other) noexcept;
    UncachedFile& operator=(UncachedFile&& other) noexcept;
    UncachedFile(const UncachedFile&) = delete;
    UncachedFile& operator=(const UncachedFile&) = delete;
    ~UncachedFile();

    // A second way into the existing file at `path`; not open where the platform or the file
    // system writes only through the cache.
    static UncachedFile openForWriting(const Path& path);

    bool isOpen() const { return handle_ != kNoHandle; }
    // Writes `count` bytes at `offset`; false when the system refused any of them (the reason
    // then in lastSystemError()).
    bool writeAt(std::int64_t offset, const void* bytes, std::size_t count);
    void close();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

}  // namespace tavrin::exporter
