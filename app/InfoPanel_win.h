#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/InfoText.h"
#include "media/AlphaImage_win.h"
#include "ui/Window_win.h"

namespace tavrin {

class VideoPlayer;

// The twelve bitmap glyphs of one line of the information panel, by glyph slot (InfoText.h).
// A glyph whose picture is missing stays empty and is skipped when drawn.
class GlyphSet {
public:
    using Glyphs = std::array<std::unique_ptr<AlphaImage>, kGlyphCount>;

    // The skin's glyphs for `line`.
    explicit GlyphSet(GlyphLine line);
    explicit GlyphSet(Glyphs glyphs) : glyphs_(std::move(glyphs)) {}

    // The glyph of `slot` when its picture loaded, otherwise null.
    const AlphaImage* glyph(int slot) const;
    // The tallest glyph's height: the band a line of these glyphs covers.
    int lineHeight() const;

private:
    Glyphs glyphs_;
};

// The display at the top of the right-hand column: the date and time of the frame the player
// shows, in bitmap digits, or dashes when there is none. It has no input; its parent repaints it
// whenever the player's frame changes.
//
// Create with new; the window owns the object.
class InfoPanel : public Window {
public:
    InfoPanel(HWND parent, const VideoPlayer& player);
    // With other glyphs than the skin's.
    InfoPanel(HWND parent, const VideoPlayer& player, GlyphSet dateGlyphs, GlyphSet timeGlyphs);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The texts for the frame the player shows now.
    FrameDateTimeText currentText() const;

private:
    void paint(HDC dc) const;
    void drawLine(HDC dc, const std::wstring& text, GlyphLine line, const GlyphSet& glyphs,
                  POINT at) const;
    void paintBackground(HDC dc) const;

    const VideoPlayer& player_;
    AlphaImage background_;
    GlyphSet dateGlyphs_;
    GlyphSet timeGlyphs_;
};

}  // namespace tavrin
