#pragma once

#include <windows.h>

#include "media/Image.h"

namespace tavrin {

// The device-independent bitmap header that describes an Image as it lies in memory: 32 bits a
// pixel, bottom-up (positive height), uncompressed.
inline BITMAPINFOHEADER bitmapHeaderFor(const Image& image) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = image.width();
    header.biHeight = image.height();
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(((image.width() * 4 + 3) & ~3) * image.height());
    return header;
}

}  // namespace tavrin
