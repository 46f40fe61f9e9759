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
// rounds them), so what remains is only ever shrinking; 1 for an empty `wanted`. The one
// exception is a half-size picture at most 2 % short of the box, which is taken too and left to
// the drawing's stretch for the rest.
int reductionToCover(int width, int height, PictureSize wanted);

// True when a decoded picture of `size` is to be resampled to `wanted`: when it is larger in one
// direction and smaller in neither, and when a picture decoded at reduced size (`reduced`) falls
// short of the box by no more than 2 %, as reductionToCover allows. A full-size picture smaller
// than the box is left to the drawing's stretch.
bool resamplesTo(PictureSize size, PictureSize wanted, bool reduced);

// `image` resampled to `size` (at most 2 % larger than the image in either direction): each
// pixel is the mean of the source area it covers, weighted by how much of each source pixel it
// covers, as a good filter does; the fourth byte is 0. Null when memory is short or `size` is
// outside that range.
std::unique_ptr<Image> resampleImage(const Image& image, PictureSize size);

}  // namespace tavrin
