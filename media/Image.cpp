#include "media/Image.h"

#include <cstring>
#include <limits>
#include <new>

#include "media/PixelBufferPool.h"

namespace tavrin {

Image::Image(int width, int height, std::uint8_t* pixels)
    : width_(width), height_(height), pixels_(pixels), byteSize_(width * height * 4) {}

Image::~Image() { PixelBufferPool::instance().give(pixels_, static_cast<std::size_t>(byteSize_)); }

std::unique_ptr<Image> Image::create(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    if (static_cast<long long>(width) * height * 4 > std::numeric_limits<int>::max()) {
        return nullptr;
    }
    std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::uint8_t* pixels = PixelBufferPool::instance().take(size);
    if (pixels == nullptr) return nullptr;
    Image* image = new (std::nothrow) Image(width, height, pixels);
    if (image == nullptr) PixelBufferPool::instance().give(pixels, size);
    return std::unique_ptr<Image>(image);
}

std::unique_ptr<Image> Image::clone() const {
    std::unique_ptr<Image> copy = create(width_, height_);
    if (!copy) return nullptr;
    std::memcpy(copy->pixels_, pixels_, static_cast<std::size_t>(byteSize_));
    return copy;
}

}  // namespace tavrin
