#include "tools/cardgen/JpegEncoder.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tavrin::cardgen {

namespace {

struct FreeBuffer {
    void operator()(unsigned char* p) const { std::free(p); }
};

}  // namespace

Bytes encodeJpeg(const Canvas& canvas, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // errors end the program: the input is always valid
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(canvas.width());
    info.image_height = static_cast<JDIMENSION>(canvas.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(canvas.row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const std::unique_ptr<unsigned char, FreeBuffer> owned(buffer);
    return Bytes(buffer, buffer + size);
}

}  // namespace tavrin::cardgen
