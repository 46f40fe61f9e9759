#pragma once

#include <cstdint>
#include <memory>

namespace tavrin {

// A decoded picture: 32 bits a pixel in the byte order blue, green, red, fourth byte; rows stored
// bottom-up with a stride of width x 4, the layout of a Windows device-independent bitmap with a
// positive height, so the drawing calls take it as it is.
class Image {
public:
    // A picture with uninitialised pixels, or null when its size cannot be represented (the byte
    // size must fit in 32 signed bits) or memory is short. Decoders use this and never throw.
    static std::unique_ptr<Image> create(int width, int height);

    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    int width() const { return width_; }
    int height() const { return height_; }
    int byteSize() const { return byteSize_; }
    std::uint8_t* pixels() { return pixels_; }
    const std::uint8_t* pixels() const { return pixels_; }

    // Memory row `r` (0 is the bottom row of the picture).
    std::uint8_t* row(int r) { return pixels_ + static_cast<std::size_t>(r) * stride(); }
    const std::uint8_t* row(int r) const {
        return pixels_ + static_cast<std::size_t>(r) * stride();
    }
    std::size_t stride() const { return static_cast<std::size_t>(width_) * 4; }

    // A copy, or null when memory is short; never throws, like create.
    std::unique_ptr<Image> clone() const;

private:
    Image(int width, int height, std::uint8_t* pixels);

    int width_;
    int height_;
    std::uint8_t* pixels_;  // owned; from PixelBufferPool and given back to it
    int byteSize_;
};

}  // namespace tavrin
