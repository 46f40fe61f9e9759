#pragma once

#include <cstdint>
#include <vector>

#include "recording/ByteSource.h"

namespace tavrin {

// An archive held in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::int64_t length() const override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::uint8_t* view(std::int64_t offset, std::size_t wanted,
                             std::size_t& available) override;
    std::size_t readAt(std::int64_t offset, void* out, std::size_t size) override;

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace tavrin
