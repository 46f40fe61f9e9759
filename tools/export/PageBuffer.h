#pragma once

// A buffer for file data that starts at a page boundary, where the system copies between it and
// the file's cached pages fastest (see recording/PageAlignment.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "recording/PageAlignment.h"

namespace tavrin::exporter {

class PageBuffer {
public:
    // Throws std::bad_alloc.
    explicit PageBuffer(std::size_t capacity)
        : bytes_(
              static_cast<std::uint8_t*>(::operator new (capacity, std::align_val_t{kPageSize}))),
          capacity_(capacity) {}

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t capacity() const { return capacity_; }

private:
    struct Release {
        void operator()(std::uint8_t* bytes) const {
            ::operator delete (bytes, std::align_val_t{kPageSize});
        }
    };
    std::unique_ptr<std::uint8_t, Release> bytes_;
    std::size_t capacity_;
};

}  // namespace tavrin::exporter
