#include "tools/export/JpegFrameSize.h"

namespace tavrin::exporter {

namespace {

bool isFrameHeader(std::uint8_t marker) {
    // SOF0..SOF15, except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

bool jpegFrameSize(const std::uint8_t* bytes, std::size_t count, int& width, int& height) {
    if (count < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    std::size_t at = 2;
    while (at + 4 <= count) {
        if (bytes[at] != 0xFF) return false;
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // end, or scan data before a frame
        const std::size_t length = static_cast<std::size_t>(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length < 2) return false;
        if (isFrameHeader(marker)) {
            if (at + 9 > count || length < 7) return false;
            height = bytes[at + 5] << 8 | bytes[at + 6];
            width = bytes[at + 7] << 8 | bytes[at + 8];
            return width > 0 && height > 0;
        }
        at += 2 + length;
    }
    return false;
}

}  // namespace tavrin::exporter
