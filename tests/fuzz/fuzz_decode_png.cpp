#include <cstddef>
#include <cstdint>

#include "media/Image.h"
#include "media/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto image = tavrin::decodePng(data, size);
    if (image) {
        volatile std::uint8_t sink = image->pixels()[image->byteSize() - 1];
        (void)sink;
    }
    return 0;
}
