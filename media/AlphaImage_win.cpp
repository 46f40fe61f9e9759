#include "media/AlphaImage_win.h"

#include "media/BitmapHeader_win.h"
#include "media/Image.h"
#include "media/PngDecoder.h"
#include "media/ResourceData_win.h"
#include "ui/Exception.h"

namespace tavrin {

AlphaImage::AlphaImage(int resourceId) {
    try {
        std::size_t size = 0;
        const std::uint8_t* bytes = loadResourceData(L"IMAGE", resourceId, size);
        image_ = decodePng(bytes, size);
    } catch (const WindowException&) {
        // A missing picture leaves the holder empty; its window paints its plain background.
    }
}

AlphaImage::AlphaImage(std::unique_ptr<Image> image) : image_(std::move(image)) {}

AlphaImage::~AlphaImage() = default;

int AlphaImage::width() const { return image_ ? image_->width() : 0; }
int AlphaImage::height() const { return image_ ? image_->height() : 0; }

void AlphaImage::draw(HDC dc, int x, int y, int width, int height, int sourceX, int sourceWidth,
                      int sourceHeight) const {
    if (!image_) return;
    BITMAPINFO info = {};
    info.bmiHeader = bitmapHeaderFor(*image_);
    StretchDIBits(dc, x, y, width, height, sourceX, 0, sourceWidth, sourceHeight, image_->pixels(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
}

void AlphaImage::drawAt(HDC dc, int x, int y) const {
    drawScaled(dc, x, y, width(), height());
}

void AlphaImage::drawScaled(HDC dc, int x, int y, int w, int h) const {
    draw(dc, x, y, w, h, 0, width(), height());
}

}  // namespace tavrin
