#include <cstddef>
#include <cstdint>

#include "media/Image.h"
#include "media/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto image = tavrin::decodeJpeg(data, size);
    // Touch the whole picture so a short allocation shows.
    if (image) {
        volatile std::uint8_t sink = image->pixels()[image->byteSize() - 1];
        (void)sink;
    }
    return 0;
}
