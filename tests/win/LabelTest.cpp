#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/AlphaImage_win.h"
#include "media/Image.h"
#include "ui/AppInstance_win.h"
#include "ui/LinkLabel_win.h"
#include "ui/Window_win.h"

namespace tavrin {
namespace {

constexpr int kLabelWidth = 240;
constexpr int kLabelHeight = 60;
constexpr COLORREF kRed = RGB(255, 0, 0);

// One shown top-level window for the file: pixels are read back from its surface, and under
// Wine hiding a shown top-level window costs seconds, so labels are children of this.
HWND host() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 20, 20, 320,
                                         240, nullptr, nullptr, appInstance, nullptr);
    return window;
}

HWND makeStatic(const wchar_t* text = L"") {
    return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, 10, 10, kLabelWidth,
                           kLabelHeight, host(), nullptr, appInstance, nullptr);
}

// A font whose glyph pixels are exactly the text colour.
HFONT crispFont() {
    static HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
    return font;
}

// The control's client area as it is on screen after a full repaint, one COLORREF a pixel.
class Capture {
public:
    explicit Capture(HWND window) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        GdiFlush();
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        pixels.resize(static_cast<size_t>(width) * height);
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* bytes = static_cast<const BYTE*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = RGB(bytes[i * 4 + 2], bytes[i * 4 + 1], bytes[i * 4]);
        SelectObject(memoryDc, previous);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
    }

    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // The smallest rectangle holding every pixel that passes; empty when none does.
    RECT bounds(const std::function<bool(COLORREF)>& wanted) const {
        RECT box = {width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (wanted(at(x, y))) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == 0) return RECT{};
        return box;
    }
    RECT bounds(COLORREF colour) const {
        return bounds([colour](COLORREF pixel) { return pixel == colour; });
    }

    int width;
    int height;
    std::vector<COLORREF> pixels;
};

bool isEmpty(const RECT& rect) { return IsRectEmpty(&rect) != FALSE; }

bool inside(const RECT& inner, const RECT& outer) {
    return !IsRectEmpty(&inner) && inner.left >= outer.left && inner.top >= outer.top &&
           inner.right <= outer.right && inner.bottom <= outer.bottom;
}

SIZE textExtent(HFONT font, const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    SIZE extent = {};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return extent;
}

int destroyedLabels = 0;

class CountingLabel : public Label {
public:
    using Label::Label;
    ~CountingLabel() override { ++destroyedLabels; }
};

TEST(Label, NullHandleIsNeverRegistered) {
    auto label = std::make_unique<Label>(nullptr);
    EXPECT_EQ(label->hwnd, nullptr);
    EXPECT_EQ(label->previousProc, nullptr);
    EXPECT_EQ(Window::fromHandle(nullptr), nullptr);
    label->setText(L"x");  // no window to repaint: must not fail
    EXPECT_EQ(label->alignment, kAlignMiddleLeft);
    EXPECT_EQ(label->textColor, RGB(0, 0, 0));
}

TEST(Label, TakesOverTheControlUntilItIsDestroyed) {
    destroyedLabels = 0;
    HWND control = makeStatic(L"元のテキスト");
    auto* label = new CountingLabel(control);
    EXPECT_EQ(Window::fromHandle(control), label);
    EXPECT_NE(label->previousProc, nullptr);
    // The static control's own behaviour is still there underneath.
    wchar_t text[32] = {};
    GetWindowTextW(control, text, 32);
    EXPECT_STREQ(text, L"元のテキスト");
    DestroyWindow(control);
    EXPECT_EQ(destroyedLabels, 1);
    EXPECT_EQ(Window::fromHandle(control), nullptr);
}

TEST(Label, TextIsDrawnInItsColourAtTheChosenPosition) {
    HWND control = makeStatic();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(crispFont()), FALSE);
    auto* label = new Label(control);
    const std::wstring text = L"Tavrin";
    label->setText(text);
    label->setTextColor(kRed);
    const SIZE extent = textExtent(crispFont(), text);
    ASSERT_LT(extent.cx, kLabelWidth / 2);
    ASSERT_LT(extent.cy, kLabelHeight / 2 + 1);

    // Where the ink must lie for each code; the rectangles of different corners do not overlap.
    const int centreX = (kLabelWidth - extent.cx) / 2;
    const int rightX = kLabelWidth - extent.cx;
    const int middleY = (kLabelHeight - extent.cy) / 2;
    const int bottomY = kLabelHeight - extent.cy;
    struct Case {
        int alignment;
        int x;
        int y;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{9, 0, 0}, Case{2, rightX, 0},
                          Case{3, 0, middleY}, Case{4, centreX, middleY},
                          Case{6, 0, bottomY}, Case{8, rightX, bottomY}}) {
        label->setAlignment(c.alignment);
        Capture capture(control);
        RECT ink = capture.bounds(kRed);
        RECT expected = {c.x, c.y, c.x + extent.cx, c.y + extent.cy};
        EXPECT_TRUE(inside(ink, expected))
            << "alignment " << c.alignment << ": ink " << ink.left << "," << ink.top << "-"
            << ink.right << "," << ink.bottom << " outside " << expected.left << ","
            << expected.top << "-" << expected.right << "," << expected.bottom;
        // The background is the button face, erased before the text.
        EXPECT_EQ(capture.at(c.x == 0 ? kLabelWidth - 1 : 0, c.y == 0 ? kLabelHeight - 1 : 0),
                  GetSysColor(COLOR_BTNFACE));
    }
    DestroyWindow(control);
}

TEST(Label, DisabledTextIsGreyed) {
    HWND control = makeStatic();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(crispFont()), FALSE);
    auto* label = new Label(control);
    label->setText(L"Tavrin");
    label->setTextColor(kRed);
    label->setAlignment(kAlignCentre);
    label->setEnabled(false);
    Capture capture(control);
    EXPECT_TRUE(isEmpty(capture.bounds(kRed)));
    // Something is drawn, just not in the label's colour.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    RECT ink = capture.bounds([face](COLORREF pixel) { return pixel != face; });
    EXPECT_FALSE(isEmpty(ink));
    label->setEnabled(true);
    EXPECT_FALSE(isEmpty(Capture(control).bounds(kRed)));
    DestroyWindow(control);
}

TEST(Label, PictureIsCentredInsteadOfTheText) {
    HWND control = makeStatic();
    auto* label = new Label(control);
    label->setText(L"Tavrin");
    label->setTextColor(kRed);
    auto image = Image::create(10, 7);
    ASSERT_TRUE(image);
    for (int i = 0; i < image->byteSize(); i += 4) {
        image->pixels()[i] = 0x20;      // blue
        image->pixels()[i + 1] = 0xC0;  // green
        image->pixels()[i + 2] = 0x10;  // red
        image->pixels()[i + 3] = 0xFF;
    }
    label->setPicture(std::make_unique<AlphaImage>(std::move(image)));
    Capture capture(control);
    RECT picture = capture.bounds(RGB(0x10, 0xC0, 0x20));
    EXPECT_EQ(picture.left, (kLabelWidth - 10) / 2);
    EXPECT_EQ(picture.top, (kLabelHeight - 7) / 2);
    EXPECT_EQ(picture.right - picture.left, 10);
    EXPECT_EQ(picture.bottom - picture.top, 7);
    EXPECT_TRUE(isEmpty(capture.bounds(kRed)));

    label->setPicture(nullptr);
    EXPECT_FALSE(isEmpty(Capture(control).bounds(kRed)));
    DestroyWindow(control);
}

TEST(LinkLabel, UnderlinesTheControlsFontAndTakesItsText) {
    HWND control = makeStatic(L"http://example.com/");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(crispFont()), FALSE);
    auto* link = new LinkLabel(control);
    EXPECT_EQ(link->text, L"http://example.com/");
    EXPECT_EQ(link->textColor, COLORREF(0xFF0000));
    ASSERT_TRUE(link->underlineFont);
    HFONT underline = link->underlineFont.get();
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), underline);
    LOGFONTW original = {};
    LOGFONTW underlined = {};
    GetObjectW(crispFont(), sizeof original, &original);
    GetObjectW(underline, sizeof underlined, &underlined);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_EQ(underlined.lfHeight, original.lfHeight);
    EXPECT_STREQ(underlined.lfFaceName, original.lfFaceName);
    EXPECT_FALSE(isEmpty(Capture(control).bounds(RGB(0, 0, 255))));

    // The font goes with the control; the control's original font is not touched.
    DestroyWindow(control);
    EXPECT_EQ(GetObjectType(underline), 0u);
    EXPECT_EQ(GetObjectType(crispFont()), DWORD(OBJ_FONT));
}

TEST(LinkLabel, WithoutAFontKeepsTheDefaultAndStillDrawsBlue) {
    HWND control = makeStatic(L"support");
    auto* link = new LinkLabel(control);
    EXPECT_FALSE(link->underlineFont);
    EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(link->text, L"support");
    EXPECT_FALSE(isEmpty(Capture(control).bounds(RGB(0, 0, 255))));
    DestroyWindow(control);

    HWND empty = makeStatic();
    auto* blank = new LinkLabel(empty);
    EXPECT_TRUE(blank->text.empty());
    DestroyWindow(empty);
}

TEST(LinkLabel, ShowsTheHandCursor) {
    HWND control = makeStatic(L"support");
    new LinkLabel(control);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    DestroyWindow(control);
}

}  // namespace
}  // namespace tavrin
