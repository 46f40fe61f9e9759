#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/InfoPanel_win.h"
#include "media/Image.h"
#include "recording/FrameInfo.h"
#include "tests/win/ChartFixtures.h"

namespace tavrin {
namespace {

using test::ChartCard;
using test::ChartHost;
using test::pumpFor;
using test::pumpUntil;
using test::WindowPixels;

constexpr wchar_t kSlotCharacters[2][kGlyphCount + 1] = {L"0123456789-/", L"0123456789-:"};
constexpr POINT kDateOrigin = {62, 80};
constexpr POINT kTimeOrigin = {20, 105};
constexpr int kGlyphHeight = 9;

// Test glyphs: each a solid block whose colour names its line and slot and whose width varies,
// so the painted line can be read back character by character.
int glyphWidth(int slot) { return 4 + slot % 3; }
COLORREF glyphColour(GlyphLine line, int slot) {
    return RGB(10 + 20 * slot, line == GlyphLine::Date ? 60 : 160, 200);
}

GlyphSet testGlyphs(GlyphLine line, int missingSlot = -1) {
    GlyphSet::Glyphs glyphs;
    for (int slot = 0; slot < kGlyphCount; ++slot) {
        if (slot == missingSlot) continue;
        std::unique_ptr<Image> image = Image::create(glyphWidth(slot), kGlyphHeight);
        const COLORREF colour = glyphColour(line, slot);
        for (int i = 0; i < image->byteSize(); i += 4) {
            image->pixels()[i] = GetBValue(colour);
            image->pixels()[i + 1] = GetGValue(colour);
            image->pixels()[i + 2] = GetRValue(colour);
            image->pixels()[i + 3] = 0;
        }
        glyphs[static_cast<std::size_t>(slot)] = std::make_unique<AlphaImage>(std::move(image));
    }
    return GlyphSet(std::move(glyphs));
}

// The text a line of test glyphs spells from `origin`, read along its middle row.
std::wstring readLine(const WindowPixels& pixels, POINT origin, GlyphLine line) {
    std::wstring text;
    int x = origin.x;
    for (;;) {
        const COLORREF colour = pixels.at(x, origin.y + kGlyphHeight / 2);
        int slot = 0;
        while (slot < kGlyphCount && glyphColour(line, slot) != colour) ++slot;
        if (slot == kGlyphCount) return text;
        text += kSlotCharacters[line == GlyphLine::Date ? 0 : 1][slot];
        x += glyphWidth(slot);
    }
}

class InfoPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = new ChartHost;
        hostWindow_ = host_->hwnd;
        panel_ = addPanel(-1);
        // Like the main window: every change of the player repaints the panel.
        host_->onRefresh = [this] { repaint(); };
    }
    void TearDown() override {
        if (IsWindow(hostWindow_)) DestroyWindow(hostWindow_);
        pumpFor(20);
    }

    InfoPanel* addPanel(int missingDateSlot) {
        auto* panel =
            new InfoPanel(hostWindow_, player(), testGlyphs(GlyphLine::Date, missingDateSlot),
                          testGlyphs(GlyphLine::Time));
        const int y = missingDateSlot < 0 ? 0 : 200;
        MoveWindow(panel->hwnd, ChartHost::kWidth - 209, y, 209, 180, TRUE);
        UpdateWindow(panel->hwnd);
        return panel;
    }

    void repaint() {
        InvalidateRect(panel_->hwnd, nullptr, FALSE);
        UpdateWindow(panel_->hwnd);
    }

    VideoPlayer& player() { return *host_->player; }

    void open(std::int32_t index) {
        ASSERT_EQ(player().loadFolderList(ChartCard::get().firstArchive()), 0);
        ASSERT_TRUE(player().openRecording(index));
        // The panels need only the frame records, which are there once the open returns; the
        // first picture is let in so the player is settled, but it is not needed.
        pumpUntil([&] { return player().frameShown(); }, 1000);
    }

    FrameDateTimeText textOf(std::int32_t frame) {
        return frameDateTimeText(player().frameInfo()->frameAt(frame)->frameTime);
    }

    ChartHost* host_ = nullptr;
    HWND hostWindow_ = nullptr;
    InfoPanel* panel_ = nullptr;
};

TEST_F(InfoPanelTest, WithNothingOpenTheDashesShowOverTheBackground) {
    InvalidateRect(panel_->hwnd, nullptr, TRUE);
    UpdateWindow(panel_->hwnd);
    const WindowPixels pixels(panel_->hwnd);
    EXPECT_EQ(readLine(pixels, kDateOrigin, GlyphLine::Date), L"----/--/--");
    EXPECT_EQ(readLine(pixels, kTimeOrigin, GlyphLine::Time), L"--:--:--");
    // Without its skin picture the panel has the button face behind the digits.
    if (!AlphaImage(10026).image()) {
        EXPECT_EQ(pixels.at(5, 5), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(pixels.at(200, 170), GetSysColor(COLOR_BTNFACE));
    }
}

TEST_F(InfoPanelTest, TheShownFramesDateAndTimeFollowTheSeek) {
    open(0);
    const VideoInfo07& info = *player().frameInfo();
    // A frame a few seconds into the recording, whose time differs from the first frame's.
    std::int32_t later = 140;
    while (!info.frameAt(later)) --later;
    ASSERT_NE(textOf(0).time, textOf(later).time);

    WindowPixels pixels(panel_->hwnd);
    EXPECT_EQ(readLine(pixels, kDateOrigin, GlyphLine::Date), textOf(0).date);
    EXPECT_EQ(readLine(pixels, kTimeOrigin, GlyphLine::Time), textOf(0).time);
    EXPECT_EQ(textOf(0).date.size(), 10u);

    player().seek(later);
    pixels = WindowPixels(panel_->hwnd);
    EXPECT_EQ(readLine(pixels, kDateOrigin, GlyphLine::Date), textOf(later).date);
    EXPECT_EQ(readLine(pixels, kTimeOrigin, GlyphLine::Time), textOf(later).time);

    // Closing brings the dashes back.
    player().close();
    repaint();
    pixels = WindowPixels(panel_->hwnd);
    EXPECT_EQ(readLine(pixels, kTimeOrigin, GlyphLine::Time), L"--:--:--");
}

TEST_F(InfoPanelTest, ACharacterWhoseGlyphDidNotLoadIsSkippedWithoutAGap) {
    InfoPanel* withoutZero = addPanel(0);
    open(0);
    InvalidateRect(withoutZero->hwnd, nullptr, FALSE);
    UpdateWindow(withoutZero->hwnd);
    std::wstring expected;
    for (wchar_t c : textOf(0).date)
        if (c != L'0') expected += c;
    const WindowPixels pixels(withoutZero->hwnd);
    EXPECT_EQ(readLine(pixels, kDateOrigin, GlyphLine::Date), expected);
    EXPECT_EQ(readLine(pixels, kTimeOrigin, GlyphLine::Time), textOf(0).time);
}

// The skin's glyph pictures by character, numbers written out here and not taken from the panel.
struct GlyphPicture {
    GlyphLine line;
    wchar_t character;
    int picture;
};

std::vector<GlyphPicture> glyphPictures() {
    std::vector<GlyphPicture> pictures;
    for (int digit = 0; digit < 10; ++digit) {
        const auto character = static_cast<wchar_t>(L'0' + digit);
        pictures.push_back({GlyphLine::Date, character, 225 + digit});
        pictures.push_back({GlyphLine::Time, character, 251 + digit});
    }
    pictures.push_back({GlyphLine::Date, L'-', 235});
    pictures.push_back({GlyphLine::Date, L'/', 224});
    pictures.push_back({GlyphLine::Time, L'-', 250});
    pictures.push_back({GlyphLine::Time, L':', 261});
    return pictures;
}

bool samePixels(const Image& a, const Image& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.pixels(), a.pixels() + a.byteSize(), b.pixels());
}

TEST(InfoPanelGlyphs, EachCharacterIsDrawnWithThePictureOfItsNumber) {
    const GlyphSet date(GlyphLine::Date);
    const GlyphSet time(GlyphLine::Time);
    const std::vector<GlyphPicture> pictures = glyphPictures();
    for (const GlyphPicture& expected : pictures) {
        SCOPED_TRACE(testing::Message() << (expected.line == GlyphLine::Date ? "date " : "time ")
                                        << static_cast<char>(expected.character));
        // The way the panel draws a character: its slot in the line, that slot's glyph.
        const std::vector<int> slots =
            glyphSlots(std::wstring(1, expected.character), expected.line);
        ASSERT_EQ(slots.size(), 1u);
        const AlphaImage* drawn = (expected.line == GlyphLine::Date ? date : time).glyph(slots[0]);
        const AlphaImage picture(expected.picture);
        ASSERT_NE(drawn, nullptr);
        ASSERT_NE(picture.image(), nullptr) << "picture " << expected.picture;
        EXPECT_TRUE(samePixels(*drawn->image(), *picture.image()))
            << "not picture " << expected.picture;
    }
    // The pictures of one line all differ, or a mix-up between two of them could not show.
    for (const GlyphPicture& a : pictures)
        for (const GlyphPicture& b : pictures)
            if (a.line == b.line && a.picture < b.picture)
                EXPECT_FALSE(
                    samePixels(*AlphaImage(a.picture).image(), *AlphaImage(b.picture).image()))
                    << a.picture << " and " << b.picture;
}

}  // namespace
}  // namespace tavrin
