#include "tools/cardgen/DigitFont.h"

#include <algorithm>
#include <string>

namespace tavrin::cardgen {

namespace {

// Segments a..g as bits 0..6: top, upper right, lower right, bottom, lower left, upper left,
// middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                         0x6D, 0x7D, 0x07, 0x7F, 0x6F};

int digitWidth(int height) { return height * 11 / 20; }
int gap(int height) { return height / 5; }

void drawDigit(Canvas& canvas, int x, int y, int height, int digit, Rgb colour) {
    const int w = digitWidth(height);
    const int t = std::max(2, height / 8);  // stroke
    const int mid = y + (height - t) / 2;
    const unsigned char on = kSegments[digit];
    struct Bar {
        int x0, y0, x1, y1;
    };
    const Bar bars[7] = {
        {x, y, x + w, y + t},                    // a
        {x + w - t, y, x + w, mid + t},          // b
        {x + w - t, mid, x + w, y + height},     // c
        {x, y + height - t, x + w, y + height},  // d
        {x, mid, x + t, y + height},             // e
        {x, y, x + t, mid + t},                  // f
        {x, mid, x + w, mid + t},                // g
    };
    for (int s = 0; s < 7; ++s) {
        if (on & (1 << s)) canvas.fill(bars[s].x0, bars[s].y0, bars[s].x1, bars[s].y1, colour);
    }
}

}  // namespace

int numberWidth(int digits, int height) {
    return digits * digitWidth(height) + (digits - 1) * gap(height);
}

void drawNumber(Canvas& canvas, int x, int y, int height, int value, int minDigits, Rgb colour) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    if (static_cast<int>(text.size()) < minDigits) {
        text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
    }
    const int margin = std::max(2, height / 8);
    const int width = numberWidth(static_cast<int>(text.size()), height);
    canvas.blend(x - margin, y - margin, x + width + margin, y + height + margin, Rgb{0, 0, 0},
                 170);
    for (char c : text) {
        drawDigit(canvas, x, y, height, c - '0', colour);
        x += digitWidth(height) + gap(height);
    }
}

}  // namespace tavrin::cardgen
