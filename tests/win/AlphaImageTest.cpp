#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "media/AlphaImage_win.h"
#include "media/Image.h"
#include "media/ResourceData_win.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr COLORREF kBackground = RGB(1, 2, 3);

// A 32-bit top-down DIB section selected into a memory DC, so what a drawing call put there can
// be read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        // RGB() puts red in the low byte, a DIB pixel has blue there.
        DWORD background = GetBValue(kBackground) | GetGValue(kBackground) << 8 |
                           GetRValue(kBackground) << 16;
        for (int i = 0; i < width * height; ++i) bits_[i] = background;
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    // The pixel as RGB() would make it.
    COLORREF colourAt(int x, int y) const {
        GdiFlush();
        DWORD v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

// A 4 x 3 picture whose pixel (x, y from the top) is RGB(10 + x, 20 + y, 200).
std::unique_ptr<Image> gradient() {
    auto image = Image::create(4, 3);
    for (int y = 0; y < 3; ++y) {
        std::uint8_t* row = image->row(2 - y);
        for (int x = 0; x < 4; ++x) {
            row[x * 4 + 0] = 200;
            row[x * 4 + 1] = static_cast<std::uint8_t>(20 + y);
            row[x * 4 + 2] = static_cast<std::uint8_t>(10 + x);
            row[x * 4 + 3] = 0x7F;  // never blended
        }
    }
    return image;
}

TEST(AlphaImage, DrawAtCopiesThePictureUprightAtItsNaturalSize) {
    Canvas canvas(10, 8);
    AlphaImage picture(gradient());
    picture.drawAt(canvas.dc(), 2, 1);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(canvas.colourAt(2 + x, 1 + y), RGB(10 + x, 20 + y, 200)) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.colourAt(1, 1), kBackground);
    EXPECT_EQ(canvas.colourAt(6, 1), kBackground);
    EXPECT_EQ(canvas.colourAt(2, 4), kBackground);
}

TEST(AlphaImage, DrawScaledStretchesTheWholePicture) {
    Canvas canvas(10, 8);
    SetStretchBltMode(canvas.dc(), COLORONCOLOR);
    AlphaImage picture(gradient());
    picture.drawScaled(canvas.dc(), 0, 0, 8, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(canvas.colourAt(x, y), RGB(10 + x / 2, 20 + y / 2, 200)) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.colourAt(8, 0), kBackground);
}

TEST(AlphaImage, DrawCopiesAColumnRangeOfTheSource) {
    Canvas canvas(10, 8);
    AlphaImage picture(gradient());
    // Columns 1 and 2 of the whole picture height, at natural size.
    picture.draw(canvas.dc(), 0, 0, 2, 3, 1, 2, 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(canvas.colourAt(0, y), RGB(11, 20 + y, 200));
        EXPECT_EQ(canvas.colourAt(1, y), RGB(12, 20 + y, 200));
        EXPECT_EQ(canvas.colourAt(2, y), kBackground);
    }
}

TEST(AlphaImage, WithoutAPictureDrawsNothing) {
    Canvas canvas(6, 6);
    AlphaImage empty(std::unique_ptr<Image>{});
    AlphaImage missing(4242);  // no such resource
    for (const AlphaImage* picture : {&empty, &missing}) {
        EXPECT_EQ(picture->image(), nullptr);
        picture->drawAt(canvas.dc(), 0, 0);
        picture->drawScaled(canvas.dc(), 0, 0, 6, 6);
        picture->draw(canvas.dc(), 0, 0, 6, 6, 0, 3, 3);
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.colourAt(x, y), kBackground);
}

TEST(AlphaImage, ResourceThatIsNotAPngLeavesItEmpty) {
    AlphaImage notPng(9001);
    EXPECT_EQ(notPng.image(), nullptr);
    EXPECT_EQ(notPng.width(), 0);
}

TEST(LoadResourceData, GivesTheResourceBytes) {
    std::size_t size = 0;
    const std::uint8_t* bytes = loadResourceData(L"IMAGE", 9001, size);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(bytes, "ABCD", 4), 0);
}

TEST(LoadResourceData, MissingResourceThrowsTheSystemsText) {
    std::size_t size = 0;
    try {
        loadResourceData(L"IMAGE", 4242, size);
        FAIL() << "no exception";
    } catch (const WindowException& e) {
        EXPECT_EQ(e.message(), describeError(ERROR_RESOURCE_NAME_NOT_FOUND).message());
        EXPECT_FALSE(e.message().empty());
    }
}

}  // namespace
}  // namespace tavrin
