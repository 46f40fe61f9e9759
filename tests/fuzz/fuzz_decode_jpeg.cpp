// The JPEG decoder on damaged streams, as the viewer uses it: for the box the picture is shown in,
// and at full size when the picture declares a modest size. Damaged data costs the library the
// whole inverse transform and colour conversion of every picture it declares, so decoding every
// input at its full declared size (up to the decoder's 16 million pixels) once held this target
// to about 130 runs a second.
#include <cstddef>
#include <cstdint>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "tests/fuzz/JpegFrameSize.h"

namespace {

// The box the viewer asks its pictures for, as in a small window: the reductions and the
// resampling are the same at any box, but under the sanitizers a picture reduced and resampled
// to 640 x 480 cost 24 ms, most of this target's time.
constexpr tavrin::PictureSize kViewerBox{160, 120};
// Largest picture also decoded at full size: as many pixels as 640 x 480.
constexpr std::int64_t kMostFullPixels = 640 * 480;

// A picture that comes out is complete: the layout's size, and the whole buffer readable.
void checkPicture(const tavrin::Image& picture, int width, int height) {
    if (picture.width() != width || picture.height() != height ||
        picture.byteSize() != width * height * 4) {
        __builtin_trap();
    }
    volatile std::uint8_t sink = picture.pixels()[picture.byteSize() - 1];
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int width = 0;
    int height = 0;
    const bool sized = tavrin::fuzz::readJpegFrameSize(data, size, width, height);
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    if (!sized || static_cast<std::uint64_t>(pixels) > tavrin::kMostJpegPixels) {
        // Refused by the header alone, at no cost.
        if (tavrin::decodeJpeg(data, size, kViewerBox) != nullptr) __builtin_trap();
        return 0;
    }

    // A picture covering the box comes out at exactly its size. Any other keeps its own, so the
    // viewer's decode is the full-size one, and is not done twice.
    const bool covers = width >= kViewerBox.width && height >= kViewerBox.height;
    if (tavrin::fuzz::cheapToDecodeFor(width, height, kViewerBox)) {
        if (auto picture = tavrin::decodeJpeg(data, size, kViewerBox)) {
            checkPicture(*picture, covers ? kViewerBox.width : width,
                         covers ? kViewerBox.height : height);
        }
    }
    if (covers && pixels <= kMostFullPixels) {
        if (auto picture = tavrin::decodeJpeg(data, size)) checkPicture(*picture, width, height);
    }
    return 0;
}
