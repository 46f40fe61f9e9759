#include "tests/e2e/ScreenReading.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/InfoText.h"
#include "media/Image.h"
#include "media/PlaybackPacing.h"
#include "media/PngDecoder.h"
#include "tools/cardgen/FrameStrip.h"

namespace tavrin::e2e {
namespace {

constexpr std::uint32_t kMarkerColour = 0xFFFF00;
constexpr std::uint32_t kAxisColour = 0xFFFFFF;

// Where the panel copies its two lines to.
constexpr POINT kDateOrigin = {62, 80};
constexpr POINT kTimeOrigin = {20, 105};

struct Glyph {
    wchar_t character;
    std::unique_ptr<Image> image;
};

// A skin picture from this program's own resources (the tests carry the viewer's resources).
std::unique_ptr<Image> skinPicture(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"IMAGE");
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw std::runtime_error("a skin picture is missing from the test's resources");
    auto image = decodePng(static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found));
    if (!image) throw std::runtime_error("a skin picture does not decode");
    return image;
}

// The skin's glyphs of `line` by the character each stands for, their picture numbers written
// out here rather than taken from the panel: a panel that picked the wrong picture for a
// character then reads as another text.
std::vector<Glyph> glyphSet(GlyphLine line) {
    const bool date = line == GlyphLine::Date;
    std::vector<Glyph> glyphs;
    for (int digit = 0; digit < 10; ++digit)
        glyphs.push_back(
            {static_cast<wchar_t>(L'0' + digit), skinPicture((date ? 225 : 251) + digit)});
    glyphs.push_back({L'-', skinPicture(date ? 235 : 250)});
    glyphs.push_back({date ? L'/' : L':', skinPicture(date ? 224 : 261)});
    return glyphs;
}

const std::vector<Glyph>& glyphs(GlyphLine line) {
    static const std::vector<Glyph> date = glyphSet(GlyphLine::Date);
    static const std::vector<Glyph> time = glyphSet(GlyphLine::Time);
    return line == GlyphLine::Date ? date : time;
}

bool closeTo(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(d) > 2) return false;
    }
    return true;
}

// Whether the glyph's pixels (opaque: the skin draws every glyph on the panel's well colour)
// are on screen with their top left at (left, top).
bool glyphAt(const drive::ScreenPicture& picture, const Image& glyph, int left, int top) {
    if (left + glyph.width() > picture.width || top + glyph.height() > picture.height) return false;
    for (int y = 0; y < glyph.height(); ++y) {
        const std::uint8_t* row = glyph.row(glyph.height() - 1 - y);
        for (int x = 0; x < glyph.width(); ++x) {
            const std::uint8_t* p = row + x * 4;
            const std::uint32_t expected = static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
            if (!closeTo(picture.at(left + x, top + y), expected)) return false;
        }
    }
    return true;
}

std::wstring readLine(const drive::ScreenPicture& picture, const std::vector<Glyph>& glyphs,
                      int left, int top) {
    std::wstring text;
    for (;;) {
        const Glyph* match = nullptr;
        for (const Glyph& glyph : glyphs)
            if (glyphAt(picture, *glyph.image, left, top)) match = &glyph;
        if (!match || text.size() > 32) return text;
        text += match->character;
        left += match->image->width();
    }
}

}  // namespace

int frameShown(const drive::ScreenPicture& picture, Region player) {
    const PictureBox box = fitPictureBox(player.width, player.height);
    if (box.width <= 0 || box.height <= 0) return -1;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(box.width) * box.height * 4);
    for (int y = 0; y < box.height; ++y)
        for (int x = 0; x < box.width; ++x) {
            const std::uint32_t c = picture.at(player.x + box.x + x, player.y + box.y + y);
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * box.width + x) * 4];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
            p[3] = 0;
        }
    return cardgen::readFrameStrip(pixels.data(), box.width, box.height, box.width * 4, false);
}

InfoTexts readInfoTexts(const drive::ScreenPicture& picture, Region info) {
    return {readLine(picture, glyphs(GlyphLine::Date), info.x + kDateOrigin.x, info.y + kDateOrigin.y),
            readLine(picture, glyphs(GlyphLine::Time), info.x + kTimeOrigin.x, info.y + kTimeOrigin.y)};
}

int ChartReading::markedFrame(int frameCount) const {
    if (marker < 0 || plotRight <= plotLeft || frameCount < 1) return -1;
    return static_cast<int>(std::lround(static_cast<double>(marker - plotLeft) * (frameCount - 1) /
                                        (plotRight - plotLeft)));
}

ChartReading readChart(const drive::ScreenPicture& picture, Region chart) {
    ChartReading reading;
    // The horizontal axis is the row with the most white; its ends are the plot's.
    int axisRow = -1;
    int mostWhite = 0;
    for (int y = chart.y; y < chart.y + chart.height && y < picture.height; ++y) {
        int white = 0;
        for (int x = chart.x; x < chart.x + chart.width; ++x)
            if (picture.at(x, y) == kAxisColour) ++white;
        if (white > mostWhite) {
            mostWhite = white;
            axisRow = y;
        }
    }
    if (axisRow < 0) return reading;
    for (int x = chart.x; x < chart.x + chart.width; ++x) {
        if (picture.at(x, axisRow) != kAxisColour) continue;
        if (reading.plotLeft < 0) reading.plotLeft = x;
        reading.plotRight = x;
    }
    // The marker is a pen two pixels wide: its middle is the column it was drawn at.
    int first = -1;
    int last = -1;
    for (int x = chart.x; x < chart.x + chart.width; ++x)
        for (int y = chart.y; y < chart.y + chart.height; ++y)
            if (picture.at(x, y) == kMarkerColour) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    if (first >= 0) reading.marker = (first + last) / 2;
    return reading;
}

}  // namespace tavrin::e2e
