#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin {

// Where an archive's bytes come from: the card's file, or memory (the fuzzer and tests hold whole
// archives there). The scan looks at bytes in place through views; the picture reader and the
// sound track copy them out.
class ByteSource {
public:
    // The largest view a caller may ask for.
    static constexpr std::size_t kMostViewed = 64 * 1024;

    virtual ~ByteSource() = default;

    // The number of bytes there are, or -1 when it cannot be had.
    virtual std::int64_t length() const = 0;
    // Up to `wanted` (at most kMostViewed) bytes at `offset`, fewer only at the end of the data
    // or on a read error; `available` says how many, and null means none. Valid until the next
    // call.
    virtual const std::uint8_t* view(std::int64_t offset, std::size_t wanted,
                                     std::size_t& available) = 0;
    // Copies up to `size` bytes at `offset` into `out`; returns how many (fewer only at the end of
    // the data or on a read error).
    virtual std::size_t readAt(std::int64_t offset, void* out, std::size_t size) = 0;
};

}  // namespace tavrin
