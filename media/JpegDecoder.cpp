#include "media/JpegDecoder.h"

#include <cstdio>  // jpeglib.h needs FILE declared first.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <jerror.h>
#include <jpeglib.h>

#include "media/Image.h"
#include "media/PictureScaling.h"
#include "ui/Exception.h"

namespace tavrin {

namespace {

// The library's fatal errors unwind out of its C frames as an ImageException, which decodeJpeg
// catches; warnings keep the library's default output, which the user never sees.
[[noreturn]] void throwOnFatalError(j_common_ptr) { throw ImageException(); }

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// Only reached once the data is used up: hand the library an end-of-image marker so that a
// stream cut short ends as a complete picture.
boolean fillInputBuffer(j_decompress_ptr info) {
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void skipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = info->src;
    std::size_t skip = static_cast<std::size_t>(count);
    if (skip > src->bytes_in_buffer) skip = src->bytes_in_buffer;
    src->next_input_byte += skip;
    src->bytes_in_buffer -= skip;
}

// libjpeg-turbo can convert straight to B, G, R and a fill byte with the same colour arithmetic
// it uses for R, G, B, which saves a pass over every pixel of every frame. Two details keep it
// fast: its fill byte is 0xFF, and the 0 this layout promises is set while copying the scanline
// into the picture; and the scanline buffer starts off a 16-byte boundary, because into aligned
// rows the library writes with non-temporal stores, which would push the scanline out of the
// cache just before it is copied.
#ifdef JCS_EXTENSIONS
constexpr bool kDirectBgrOutput = true;
constexpr J_COLOR_SPACE kBgrOutput = JCS_EXT_BGRX;
#else
constexpr bool kDirectBgrOutput = false;
constexpr J_COLOR_SPACE kBgrOutput = JCS_RGB;
#endif
constexpr std::size_t kScanlineOffset = 4;
// The colour bytes of a pixel read as a little-endian word, as on every Windows machine.
constexpr std::uint32_t kColourBytesMask = 0x00FFFFFF;

void copyBgrRow(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width) {
    JDIMENSION x = 0;
#ifdef __SSE2__
    // The compiler does not vectorise this by itself.
    const __m128i colourBytes = _mm_set1_epi32(static_cast<int>(kColourBytesMask));
    if ((reinterpret_cast<std::uintptr_t>(out) & 15) == 0) {
        // The picture is far larger than the cache and is read next by another thread, so its
        // rows are written past the cache, as the library writes its own output.
        for (; x + 4 <= width; x += 4) {
            __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 4));
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + x * 4),
                             _mm_and_si128(pixels, colourBytes));
        }
    }
    for (; x + 4 <= width; x += 4) {
        __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4),
                         _mm_and_si128(pixels, colourBytes));
    }
#endif
    for (; x < width; ++x) {
        out[x * 4 + 0] = in[x * 4 + 0];
        out[x * 4 + 1] = in[x * 4 + 1];
        out[x * 4 + 2] = in[x * 4 + 2];
        out[x * 4 + 3] = 0;
    }
}

// For a library without that extension: one scanline of R, G, B into B, G, R, 0. Here and for
// grey, each pixel is stored as one little-endian word rather than four bytes.
void convertRgbRow(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, in += 3, out += 4) {
        const std::uint32_t pixel = in[2] | in[1] << 8 | static_cast<std::uint32_t>(in[0]) << 16;
        std::memcpy(out, &pixel, sizeof pixel);
    }
}

void convertGreyRow(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, ++in, out += 4) {
        const std::uint32_t pixel = *in * 0x010101u;
        std::memcpy(out, &pixel, sizeof pixel);
    }
}

// Owns the decompressor so that every way out of decodeJpeg destroys it.
struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr source{};
    bool created = false;

    ~Decompressor() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

std::unique_ptr<Image> decodeOrThrow(Decompressor& d, const std::uint8_t* bytes, std::size_t length,
                                     PictureSize wanted) {
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = throwOnFatalError;
    jpeg_create_decompress(&d.info);
    d.created = true;

    d.source.next_input_byte = bytes;
    d.source.bytes_in_buffer = length;
    d.source.init_source = initSource;
    d.source.fill_input_buffer = fillInputBuffer;
    d.source.skip_input_data = skipInputData;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = termSource;
    d.info.src = &d.source;

    jpeg_read_header(&d.info, TRUE);
    if (static_cast<std::uint64_t>(d.info.image_width) * d.info.image_height > kMostJpegPixels) {
        return nullptr;
    }
    const bool direct = kDirectBgrOutput && d.info.out_color_space == JCS_RGB;
    if (direct) d.info.out_color_space = kBgrOutput;
    // Dividing the size while decoding skips most of the work a full-size picture would cost.
    d.info.scale_num = 1;
    d.info.scale_denom = static_cast<unsigned int>(reductionToCover(
        static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height), wanted));
    jpeg_start_decompress(&d.info);

    const int components = d.info.output_components;
    const bool colour = direct ? components == 4 : components == 3;
    if (!colour && components != 1) return nullptr;  // CMYK and other spaces are not shown
    if (d.info.image_width > JPEG_MAX_DIMENSION || d.info.image_height > JPEG_MAX_DIMENSION) {
        return nullptr;
    }
    std::unique_ptr<Image> image = Image::create(static_cast<int>(d.info.output_width),
                                                 static_cast<int>(d.info.output_height));
    if (!image) return nullptr;

    // Scanline k (from the top) goes to memory row height - 1 - k, through one reused scanline
    // buffer; the picture is the only full-size allocation.
    const JDIMENSION width = d.info.output_width;
    const int height = image->height();
    std::vector<JSAMPLE> buffer(
        kScanlineOffset + ((static_cast<std::size_t>(width) * components + 3) & ~std::size_t{3}));
    JSAMPROW rows[1] = {buffer.data() + kScanlineOffset};
    while (d.info.output_scanline < d.info.output_height) {
        std::uint8_t* out = image->row(height - 1 - static_cast<int>(d.info.output_scanline));
        if (jpeg_read_scanlines(&d.info, rows, 1) != 1) return nullptr;
        if (direct) {
            copyBgrRow(rows[0], out, width);
        } else if (colour) {
            convertRgbRow(rows[0], out, width);
        } else {
            convertGreyRow(rows[0], out, width);
        }
    }
#ifdef __SSE2__
    _mm_sfence();  // the streamed rows are complete before the picture is handed on
#endif
    jpeg_finish_decompress(&d.info);
    if (resamplesTo({image->width(), image->height()}, wanted, d.info.scale_denom > 1)) {
        // Short of memory for the copy, the drawing's stretch does the rest.
        std::unique_ptr<Image> resampled = resampleImage(*image, wanted);
        if (resampled) return resampled;
    }
    return image;
}

}  // namespace

std::unique_ptr<Image> decodeJpeg(const std::uint8_t* bytes, std::size_t length,
                                  PictureSize wanted) {
    if (bytes == nullptr) return nullptr;
    Decompressor decompressor;
    try {
        return decodeOrThrow(decompressor, bytes, length, wanted);
    } catch (const ImageException&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace tavrin
