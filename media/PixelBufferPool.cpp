#include "media/PixelBufferPool.h"

#include <algorithm>
#include <new>

namespace tavrin {

PixelBufferPool& PixelBufferPool::instance() {
    static PixelBufferPool* pool = new PixelBufferPool;
    return *pool;
}

std::uint8_t* PixelBufferPool::take(std::size_t size) {
    const std::size_t refusedFrom = refusedFrom_.load();
    if (refusedFrom != 0 && size >= refusedFrom) return nullptr;
    if (size >= kSmallestPooled) {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = std::find_if(kept_.begin(), kept_.end(),
                                  [size](const Kept& k) { return k.size == size; });
        if (found != kept_.end()) {
            std::uint8_t* buffer = found->buffer;
            kept_.erase(found);
            return buffer;
        }
    }
    return new (std::nothrow) std::uint8_t[size];
}

void PixelBufferPool::give(std::uint8_t* buffer, std::size_t size) {
    if (buffer == nullptr) return;
    if (size >= kSmallestPooled) {
        std::lock_guard<std::mutex> guard(lock_);
        // A different frame size means a different recording: the old sizes are of no more use.
        if (!kept_.empty() && kept_.front().size != size) {
            for (const Kept& k : kept_) delete[] k.buffer;
            kept_.clear();
        }
        if (kept_.size() < kMostKept) {
            kept_.push_back({size, buffer});
            return;
        }
    }
    delete[] buffer;
}

}  // namespace tavrin
