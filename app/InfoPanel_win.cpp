#include "app/InfoPanel_win.h"

#include "media/VideoPlayer_win.h"
#include "ui/DrawingContext_win.h"
#include "ui/GdiObject_win.h"

namespace tavrin {
namespace {

constexpr int kBackgroundImage = 10026;
// Where each line's glyphs land in the panel.
constexpr POINT kDateOrigin = {62, 80};
constexpr POINT kTimeOrigin = {20, 105};

}  // namespace

GlyphSet::GlyphSet(GlyphLine line) {
    const auto& ids = glyphResourceIds(line);
    for (int slot = 0; slot < kGlyphCount; ++slot)
        glyphs_[static_cast<std::size_t>(slot)] =
            std::make_unique<AlphaImage>(ids[static_cast<std::size_t>(slot)]);
}

int GlyphSet::lineHeight() const {
    int height = 0;
    for (const auto& glyph : glyphs_)
        if (glyph && glyph->height() > height) height = glyph->height();
    return height;
}

const AlphaImage* GlyphSet::glyph(int slot) const {
    if (slot < 0 || slot >= kGlyphCount) return nullptr;
    const AlphaImage* glyph = glyphs_[static_cast<std::size_t>(slot)].get();
    return glyph && glyph->image() ? glyph : nullptr;
}

InfoPanel::InfoPanel(HWND parent, const VideoPlayer& player)
    : InfoPanel(parent, player, GlyphSet(GlyphLine::Date), GlyphSet(GlyphLine::Time)) {}

InfoPanel::InfoPanel(HWND parent, const VideoPlayer& player, GlyphSet dateGlyphs,
                     GlyphSet timeGlyphs)
    : player_(player),
      background_(kBackgroundImage),
      dateGlyphs_(std::move(dateGlyphs)),
      timeGlyphs_(std::move(timeGlyphs)) {
    create(sharedChildParams(parent, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, 0, 0, WS_EX_CONTROLPARENT));
}

LRESULT InfoPanel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc) paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            paintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        default:
            return Window::handleMessage(message, wParam, lParam);
    }
}

FrameDateTimeText InfoPanel::currentText() const {
    return frameDateTimeText(player_.frameInfo(), player_.currentFrame());
}

void InfoPanel::paint(HDC dc) const {
    const FrameDateTimeText text = currentText();
    drawLine(dc, text.date, GlyphLine::Date, dateGlyphs_, kDateOrigin);
    drawLine(dc, text.time, GlyphLine::Time, timeGlyphs_, kTimeOrigin);
}

// The glyphs are put together off screen over the panel's own background and copied in one
// piece to the end of the line, so the line never flickers while it changes under a dragged
// slider, and a shorter text (or narrower glyphs) leaves nothing of the previous one behind.
void InfoPanel::drawLine(HDC dc, const std::wstring& text, GlyphLine line, const GlyphSet& glyphs,
                         POINT at) const {
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right - at.x;
    const int height = glyphs.lineHeight();
    if (width <= 0 || height <= 0) return;
    MemoryDc memory(dc);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory.get() || !bitmap) return;
    Selection selected(memory.get(), bitmap.get());
    SetWindowOrgEx(memory.get(), at.x, at.y, nullptr);
    paintBackground(memory.get());
    SetWindowOrgEx(memory.get(), 0, 0, nullptr);
    int x = 0;
    for (int slot : glyphSlots(text, line)) {
        const AlphaImage* glyph = glyphs.glyph(slot);
        if (!glyph) continue;
        glyph->drawAt(memory.get(), x, 0);
        x += glyph->width();
    }
    BitBlt(dc, at.x, at.y, width, height, memory.get(), 0, 0, SRCCOPY);
}

void InfoPanel::paintBackground(HDC dc) const {
    if (background_.image()) {
        background_.drawAt(dc, 0, 0);
        return;
    }
    fillClient(hwnd, dc, buttonFaceBrush());
}

}  // namespace tavrin
