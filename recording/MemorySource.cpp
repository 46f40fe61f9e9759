#include "recording/MemorySource.h"

#include <algorithm>
#include <cstring>

namespace tavrin {

const std::uint8_t* MemorySource::view(std::int64_t offset, std::size_t wanted,
                                       std::size_t& available) {
    available = 0;
    if (offset < 0 || offset >= length()) return nullptr;
    available = std::min(wanted, bytes_.size() - static_cast<std::size_t>(offset));
    return bytes_.data() + offset;
}

std::size_t MemorySource::readAt(std::int64_t offset, void* out, std::size_t size) {
    std::size_t available = 0;
    const std::uint8_t* bytes = view(offset, size, available);
    if (bytes != nullptr) std::memcpy(out, bytes, available);
    return available;
}

}  // namespace tavrin
