#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

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

}  // namespace
}  // namespace tavrin
