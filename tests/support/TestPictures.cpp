#include "tests/support/TestPictures.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace tavrin::test {

RawPicture solidPicture(int width, int height, int components, std::vector<std::uint8_t> value) {
    RawPicture picture{width, height, components, {}};
    picture.samples.reserve(static_cast<std::size_t>(width) * height * components);
    for (int i = 0; i < width * height; ++i) {
        picture.samples.insert(picture.samples.end(), value.begin(), value.end());
    }
    return picture;
}

std::vector<std::uint8_t> encodeJpeg(const RawPicture& picture, JpegKind kind, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = picture.components;
    info.in_color_space = kind == JpegKind::Colour ? JCS_RGB
                          : kind == JpegKind::Grey ? JCS_GRAYSCALE
                                                   : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(picture.width) * picture.components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(picture.samples.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

void decodeJpegPlain(const std::vector<std::uint8_t>& bytes, RawPicture& out) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.components = info.output_components;
    std::size_t stride = static_cast<std::size_t>(out.width) * out.components;
    out.samples.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.samples.data() + info.output_scanline * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

namespace {
void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}
}  // namespace

std::vector<std::uint8_t> encodePng(const PngPicture& p) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("encodePng failed");
    }
    png_set_write_fn(png, &out, appendToVector, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height),
                 p.bitDepth, p.colourType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) {
        std::vector<png_color> colours;
        for (std::size_t i = 0; i + 2 < p.palette.size(); i += 3) {
            colours.push_back({p.palette[i], p.palette[i + 1], p.palette[i + 2]});
        }
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    }
    if (!p.transparency.empty()) {
        png_set_tRNS(png, info, p.transparency.data(), static_cast<int>(p.transparency.size()),
                     nullptr);
    }
    png_write_info(png, info);
    // Samples below 8 bits are given a byte each and packed by the library.
    if (p.bitDepth < 8) png_set_packing(png);

    int channels = p.colourType == PNG_COLOR_TYPE_RGB         ? 3
                   : p.colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                   : p.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                : 1;
    std::size_t rowBytes = static_cast<std::size_t>(p.width) * channels * (p.bitDepth == 16 ? 2 : 1);
    std::vector<png_bytep> rows(static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y) {
        rows[static_cast<std::size_t>(y)] =
            const_cast<png_bytep>(p.samples.data() + static_cast<std::size_t>(y) * rowBytes);
    }
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace tavrin::test
