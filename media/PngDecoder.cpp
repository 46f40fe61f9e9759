#include "media/PngDecoder.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "media/Image.h"

namespace tavrin {

namespace {

struct MemoryReader {
    const std::uint8_t* bytes;
    std::size_t length;
    std::size_t position;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->length - reader->position) png_error(png, "read past the end of the data");
    std::memcpy(out, reader->bytes + reader->position, count);
    reader->position += count;
}

// Everything the decode allocates lives here, outside the frame that calls setjmp, so that a
// libpng error (a longjmp back into that frame) can neither skip a destructor nor see a stale
// local.
struct PngDecode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    MemoryReader reader{};
    std::unique_ptr<Image> image;
    std::vector<png_bytep> rows;

    ~PngDecode() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

void requestTransformations(png_structp png, png_infop info, int bitDepth, int colourType) {
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand(png);
    if (bitDepth > 8) png_set_strip_16(png);
    // Grey with alpha is widened like grey, so it too ends as four bytes a pixel.
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png);
}

// Returns false on any failure; libpng errors arrive here through longjmp.
bool readPicture(PngDecode& d) {
    if (setjmp(png_jmpbuf(d.png))) return false;

    png_set_read_fn(d.png, &d.reader, readFromMemory);
    // Only the header, palette, transparency and image data make the picture. libpng would
    // allocate the length any other known chunk declares before reading it (a damaged sPLT
    // length once asked for 1.9 GB in a 90-byte picture); ignored chunks are skipped in pieces.
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(d.png, d.info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr,
                 nullptr);
    requestTransformations(d.png, d.info, bitDepth, colourType);
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
    d.image = Image::create(static_cast<int>(width), static_cast<int>(height));
    if (!d.image) return false;
    // The transformations must have produced exactly four bytes a pixel, or the rows would run
    // past the picture.
    if (png_get_rowbytes(d.png, d.info) != d.image->stride()) return false;

    d.rows.resize(height);
    for (png_uint_32 r = 0; r < height; ++r) d.rows[r] = d.image->row(static_cast<int>(height - 1 - r));
    png_read_image(d.png, d.rows.data());
    return true;
}

}  // namespace

std::unique_ptr<Image> decodePng(const std::uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr) return nullptr;
    if (png_sig_cmp(bytes, 0, std::min<std::size_t>(length, 8)) != 0) return nullptr;
    try {
        PngDecode d;
        d.reader = MemoryReader{bytes, length, 0};
        d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (d.png == nullptr) return nullptr;
        d.info = png_create_info_struct(d.png);
        if (d.info == nullptr) return nullptr;
        if (!readPicture(d)) return nullptr;
        return std::move(d.image);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace tavrin
