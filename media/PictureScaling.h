#pragma once

#include <memory>

namespace tavrin {

class Image;

// The size a picture is wanted at: the box it is shown in. An empty size asks for the picture's
// own size.
struct PictureSize {
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PictureSize& other) const {
        return width == other.width && height == other.height;
    }
    bool operator!=(const PictureSize& other) const { return !(*this == other); }
};

// The JPEG decoder can divide a picture's size by 2, 4 or 8 while decoding, at a fraction of the
// cost of a full decode. This is the largest of 1, 2, 4 and 8 that still leaves a `width` x
// `height` picture covering `wanted` in both directions (sizes rounded up, as the decoder
// rounds them), so what remains is only ever shrinking; 1 for an empty `wanted`.
int reductionToCover(int width, int height, PictureSize wanted);

// True when a picture of `size` is to be shrunk to `wanted`: it is larger in one direction and
// smaller in neither. Pictures smaller than the box are left to the drawing's stretch.
bool shrinksTo(PictureSize size, PictureSize wanted);

// `image` shrunk to `size` (no larger than the image in either direction): each pixel is the
// mean of the source area it covers, weighted by how much of each source pixel it covers, as a
// good filter does; the fourth byte is 0. Null when memory is short.
std::unique_ptr<Image> shrinkImage(const Image& image, PictureSize size);

}  // namespace tavrin
