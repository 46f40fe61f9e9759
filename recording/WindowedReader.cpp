#include "recording/WindowedReader.h"

#include <algorithm>
#include <cstring>

namespace tavrin {

const std::uint8_t* WindowedReader::view(std::int64_t offset, std::size_t wanted,
                                         std::size_t& available) {
    available = 0;
    if (offset < 0) return nullptr;
    bool covered = offset >= windowStart_ &&
                   offset + static_cast<std::int64_t>(wanted) <=
                       windowStart_ + static_cast<std::int64_t>(windowLength_);
    if (!covered) {
        window_.resize(kWindowSize);
        windowStart_ = offset;
        windowLength_ = file_.readAt(offset, window_.data(), kWindowSize);
    }
    std::size_t skip = static_cast<std::size_t>(offset - windowStart_);
    if (skip >= windowLength_) return nullptr;
    available = std::min(wanted, windowLength_ - skip);
    return window_.data() + skip;
}

std::size_t WindowedReader::readAt(std::int64_t offset, void* out, std::size_t size) {
    if (offset < 0) return 0;
    bool covered =
        offset >= windowStart_ && offset + static_cast<std::int64_t>(size) <=
                                      windowStart_ + static_cast<std::int64_t>(windowLength_);
    if (covered) {
        std::memcpy(out, window_.data() + (offset - windowStart_), size);
        return size;
    }
    return file_.readAt(offset, out, size);
}

}  // namespace tavrin
