#include "media/PixelBufferPool.h"

#include <algorithm>
#include <new>

namespace tavrin {

PixelBufferPool& PixelBufferPool::instance() {
    static PixelBufferPool* pool = new PixelBufferPool;
    return *pool;
}

PixelBufferPool::~PixelBufferPool() {
    for (const Kept& k : kept_) delete[] k.buffer;
}

std::uint8_t* PixelBufferPool::take(std::size_t size) {
    const std::size_t refusedFrom = refusedFrom_.load();
    if (refusedFrom != 0 && size >= refusedFrom) return nullptr;
    if (size >= kSmallestPooled) {
        std::lock_guard<Mutex> guard(lock_);
        auto found = std::find_if(kept_.begin(), kept_.end(),
                                  [size](const Kept& k) { return k.size == size; });
        if (found != kept_.end()) {
            std::uint8_t* buffer = found->buffer;
            keptBytes_ -= found->size;
            kept_.erase(found);
            return buffer;
        }
    }
    return new (std::nothrow) std::uint8_t[size];
}

void PixelBufferPool::give(std::uint8_t* buffer, std::size_t size) {
    if (buffer == nullptr) return;
    if (size < kSmallestPooled || size > kMostKeptBytes) {
        delete[] buffer;
        return;
    }
    std::lock_guard<Mutex> guard(lock_);
    // Pictures come in more than one size at a time (decoded, then shrunk for the box), so the
    // buffers given back last are kept, whatever their size, and the oldest make room.
    kept_.push_back({size, buffer});
    keptBytes_ += size;
    while (kept_.size() > kMostKept || keptBytes_ > kMostKeptBytes) {
        delete[] kept_.front().buffer;
        keptBytes_ -= kept_.front().size;
        kept_.erase(kept_.begin());
    }
}

}  // namespace tavrin
