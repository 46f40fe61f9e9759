#include "tests/fuzz/JpegFrameSize.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first.

namespace tavrin::fuzz {

namespace {

// Most pixels a picture decoded for a box may have here: four times the viewer's box.
constexpr std::int64_t kMostDecodedPixels = 4 * 640 * 480;

struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

// Warnings for damaged data would only be formatted to be thrown away.
void ignoreMessage(j_common_ptr, int) {}

}  // namespace

bool readJpegFrameSize(const std::uint8_t* bytes, std::size_t length, int& width, int& height) {
    // Only plain C objects live in this frame, so jumping out of the library leaves nothing to
    // destroy but the decompressor.
    jpeg_decompress_struct info{};
    JumpingErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpOut;
    errors.manager.emit_message = ignoreMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(length));
    jpeg_read_header(&info, TRUE);
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    jpeg_destroy_decompress(&info);
    return true;
}

bool cheapToDecodeFor(int width, int height, PictureSize box) {
    const int reduction = reductionToCover(width, height, box);
    const std::int64_t across = (width + reduction - 1) / reduction;
    const std::int64_t down = (height + reduction - 1) / reduction;
    return across * down <= kMostDecodedPixels;
}

}  // namespace tavrin::fuzz
