#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/ByteSource.h"
#include "recording/Platform.h"

namespace tavrin {

// Reads a file through one large window, so the archive scan, which looks at 80 bytes of every
// 8 KiB block and seeks over the rest, costs about as much as one sequential read of the file
// instead of two system calls per block. Copies that the window does not hold are read directly,
// so single pictures cost only their own bytes.
class WindowedReader : public ByteSource {
public:
    // Small enough to stay in the second-level cache, where copying out of the system's file
    // cache is fastest.
    static constexpr std::size_t kWindowSize = 4 * 1024 * 1024;

    // `window` is the caller's, so it can be kept from one archive to the next.
    WindowedReader(BinaryFile& file, std::vector<std::uint8_t>& window)
        : file_(file), window_(window) {}
    // With a window of its own.
    explicit WindowedReader(BinaryFile& file) : file_(file), window_(ownWindow_) {}
    WindowedReader(const WindowedReader&) = delete;
    WindowedReader& operator=(const WindowedReader&) = delete;

    std::int64_t length() const override { return file_.length(); }
    const std::uint8_t* view(std::int64_t offset, std::size_t wanted,
                             std::size_t& available) override;
    std::size_t readAt(std::int64_t offset, void* out, std::size_t size) override;

private:
    std::vector<std::uint8_t> ownWindow_;
    BinaryFile& file_;
    std::vector<std::uint8_t>& window_;
    std::int64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

}  // namespace tavrin
