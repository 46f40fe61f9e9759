#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/Synchronisation.h"

namespace tavrin {

// Keeps a few freed frame-sized pixel buffers for the next picture of the same size. A recording
// decodes 28 pictures a second, each a new Image that the interface thread frees; without reuse
// every frame costs the system a fresh mapping of megabytes and a page fault per page, which on
// Windows (and more so under Wine) takes as long as a third of the decode itself.
class PixelBufferPool {
public:
    // The process's pool; never destroyed, so an Image freed during exit still has it.
    static PixelBufferPool& instance();

    PixelBufferPool() = default;
    PixelBufferPool(const PixelBufferPool&) = delete;
    PixelBufferPool& operator=(const PixelBufferPool&) = delete;
    ~PixelBufferPool();

    // A buffer of `size` bytes, uninitialised; null when memory is short.
    std::uint8_t* take(std::size_t size);
    // Hands a buffer from take() back; it is kept for reuse or freed.
    void give(std::uint8_t* buffer, std::size_t size);

    // For tests: from now on take() refuses buffers of `bytes` or more, as when memory is short;
    // 0 lifts the limit.
    void refuseFromForTesting(std::size_t bytes) { refusedFrom_.store(bytes); }

    // Buffers smaller than this (the skin pictures) go straight to the allocator.
    static constexpr std::size_t kSmallestPooled = 256 * 1024;
    static constexpr std::size_t kMostKept = 6;
    static constexpr std::size_t kMostKeptBytes = 64 * 1024 * 1024;

private:
    struct Kept {
        std::size_t size;
        std::uint8_t* buffer;
    };
    Mutex lock_;
    std::vector<Kept> kept_;  // oldest first
    std::size_t keptBytes_ = 0;
    std::atomic<std::size_t> refusedFrom_{0};
};

}  // namespace tavrin
