#include <gtest/gtest.h>

#include "media/Image.h"
#include "media/JpegDecoder.h"
#include "tools/cardgen/FrameStrip.h"
#include "tools/cardgen/JpegEncoder.h"
#include "tools/cardgen/Scene.h"

namespace tavrin::cardgen {
namespace {

// A picture in the layout the viewer draws from: B, G, R, unused; rows bottom-up.
struct Bgr {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

Bgr decoded(const Canvas& canvas, int quality) {
    const Bytes jpeg = encodeJpeg(canvas, quality);
    auto image = tavrin::decodeJpeg(jpeg.data(), jpeg.size());
    Bgr out{image->width(), image->height(), {}};
    out.pixels.assign(image->pixels(), image->pixels() + image->byteSize());
    return out;
}

// Box-filtered (shrinking) or nearest-pixel (growing) scaling, as a stretch copy would do.
Bgr scaled(const Bgr& in, int width, int height) {
    Bgr out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int sx0 = x * in.width / width,
                      sx1 = std::max(sx0 + 1, (x + 1) * in.width / width);
            const int sy0 = y * in.height / height,
                      sy1 = std::max(sy0 + 1, (y + 1) * in.height / height);
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int sy = sy0; sy < sy1; ++sy) {
                    for (int sx = sx0; sx < sx1; ++sx)
                        sum += in.pixels[(sy * in.width + sx) * 4 + c];
                }
                out.pixels[(y * width + x) * 4 + c] =
                    static_cast<std::uint8_t>(sum / ((sx1 - sx0) * (sy1 - sy0)));
            }
        }
    }
    return out;
}

Canvas sceneWithStrip(int width, int height, int value) {
    Canvas canvas(width, height);
    SceneFrame frame;
    frame.frameIndex = value;
    frame.distance = value * 0.5;
    drawScene(canvas, frame);
    return canvas;
}

TEST(FrameStripTest, CellsAreWhereTheHeaderSays) {
    Canvas canvas(640, 480);
    drawFrameStrip(canvas, 0x8002);  // cells 0 and 14 white: most significant bit first
    EXPECT_EQ(stripTop(480), 440);
    const struct {
        int x, y, level;
    } probes[] = {{20, 460, 255}, {580, 460, 255}, {620, 460, 0},  {60, 460, 0}, {3, 460, 128},
                  {40, 460, 128}, {20, 442, 128},  {20, 478, 128}, {20, 439, 0}};
    for (const auto& p : probes) EXPECT_EQ(canvas.at(p.x, p.y).g, p.level) << p.x << "," << p.y;
}

TEST(FrameStripTest, ReadsBackThroughJpegAndScaling) {
    struct Case {
        int value, quality, width, height;
    };
    const Case cases[] = {
        {0, 90, 640, 480},     {1, 5, 640, 480},      {0xFFFF, 5, 640, 480}, {12345, 30, 320, 240},
        {29999, 30, 800, 600}, {21845, 10, 400, 300}, {43690, 50, 240, 180}, {777, 40, 1024, 768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Bgr picture = decoded(sceneWithStrip(640, 480, c.value), c.quality);
        const Bgr shown = scaled(picture, c.width, c.height);
        EXPECT_EQ(readFrameStrip(shown.pixels.data(), c.width, c.height, c.width * 4, true),
                  c.value);
    }
}

TEST(FrameStripTest, RowOrderAndPixelSizeAreHonoured) {
    const Bgr picture = decoded(sceneWithStrip(320, 240, 4660), 60);
    // The same picture top-down with 3 bytes a pixel.
    std::vector<std::uint8_t> topDown;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const auto* p = &picture.pixels[(y * picture.width + x) * 4];
            topDown.insert(topDown.end(), p, p + 3);
        }
    }
    EXPECT_EQ(readFrameStrip(topDown.data(), 320, 240, 960, false, 3), 4660);
    EXPECT_NE(readFrameStrip(topDown.data(), 320, 240, 960, true, 3), 4660);
}

TEST(FrameStripTest, PicturesWithoutAStripGiveMinusOne) {
    const std::uint8_t levels[] = {0, 128, 255};
    for (std::uint8_t level : levels) {
        std::vector<std::uint8_t> flat(320 * 240 * 4, level);
        EXPECT_EQ(readFrameStrip(flat.data(), 320, 240, 1280, true), -1) << int(level);
    }
    Canvas canvas(320, 240);
    SceneFrame frame;
    drawScene(canvas, frame);
    canvas.fill(0, 200, 320, 240, Rgb{90, 130, 60});  // grass over the strip
    const Bgr grass = decoded(canvas, 80);
    EXPECT_EQ(readFrameStrip(grass.pixels.data(), 320, 240, 1280, true), -1);
    EXPECT_EQ(readFrameStrip(nullptr, 320, 240, 1280, true), -1);
    EXPECT_EQ(readFrameStrip(grass.pixels.data(), 32, 24, 128, true), -1);
}

}  // namespace
}  // namespace tavrin::cardgen
