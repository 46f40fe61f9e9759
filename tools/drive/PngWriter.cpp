#include "tools/drive/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

namespace tavrin::drive {

namespace {

// Called from libpng's C code: no exception may pass, so running out of memory becomes the
// library's own error, which ends in the setjmp below.
void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

}  // namespace

bool writePng(std::FILE* file, const std::uint8_t* bgrx, int width, int height) {
    if (!file) return false;
    std::vector<std::uint8_t> png;
    if (!encodePng(bgrx, width, height, png)) return false;
    return std::fwrite(png.data(), 1, png.size(), file) == png.size();
}

bool encodePng(const std::uint8_t* bgrx, int width, int height, std::vector<std::uint8_t>& out) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, appendToVector, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        // The picture is bottom-up; the file is top-down.
        const std::uint8_t* source = bgrx + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x) * 3 + 0] = source[x * 4 + 2];
            row[static_cast<std::size_t>(x) * 3 + 1] = source[x * 4 + 1];
            row[static_cast<std::size_t>(x) * 3 + 2] = source[x * 4 + 0];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace tavrin::drive
