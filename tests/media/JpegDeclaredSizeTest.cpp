#include <gtest/gtest.h>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "tests/support/TestPictures.h"

namespace tavrin {
namespace {

// A small picture whose frame header declares another size, as a bit flip on a card makes one.
std::vector<std::uint8_t> pictureDeclaring(int width, int height) {
    auto bytes =
        test::encodeJpeg(test::solidPicture(16, 16, 3, {90, 90, 90}), test::JpegKind::Colour);
    for (std::size_t i = 2; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // start of frame: height, then width
            bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<std::uint8_t>(height);
            bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<std::uint8_t>(width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no start of frame";
    return bytes;
}

// Found by fuzzing: a 419-byte picture declaring 63,247 x 8,213 pixels made the decoder ask for
// about 2 GB and fill it.
TEST(DecodeJpeg, PictureDeclaringMoreThanSixteenMillionPixelsGivesNothing) {
    struct Case {
        int width;
        int height;
        bool decoded;
    } cases[] = {
        {4000, 4000, true},  // 16,000,000 pixels: the largest taken
        {4000, 4001, false},
        {63247, 8213, false},
        {65500, 65500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const auto bytes = pictureDeclaring(c.width, c.height);
        auto image = decodeJpeg(bytes.data(), bytes.size());
        ASSERT_EQ(static_cast<bool>(image), c.decoded);
        if (image) {
            EXPECT_EQ(image->width(), c.width);
        }
    }
}

}  // namespace
}  // namespace tavrin
