#include "app/InfoText.h"

#include <ctime>
#include <cwchar>

#include "recording/FrameInfo.h"
#include "recording/IVideoInfo.h"
#include "recording/Platform.h"

namespace tavrin {
namespace {

constexpr int kDashSlot = 10;
constexpr int kSeparatorSlot = 11;

// Slots 0-9 are the digits, then the dash and the line's separator.
constexpr std::array<int, kGlyphCount> kDateGlyphIds = {225, 226, 227, 228, 229, 230,
                                                        231, 232, 233, 234, 235, 224};
constexpr std::array<int, kGlyphCount> kTimeGlyphIds = {251, 252, 253, 254, 255, 256,
                                                        257, 258, 259, 260, 250, 261};

FrameDateTimeText placeholders() { return {L"----/--/--", L"--:--:--"}; }

}  // namespace

FrameDateTimeText frameDateTimeText(std::int64_t frameTime) {
    if (frameTime == 0) return placeholders();
    std::tm local{};
    if (!secondsToLocalTime(frameTime, local)) return placeholders();
    // Sized for any int fields, so a far-off year can never cut the text short.
    wchar_t date[48];
    wchar_t time[48];
    std::swprintf(date, sizeof date / sizeof date[0], L"%04d/%02d/%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday);
    std::swprintf(time, sizeof time / sizeof time[0], L"%02d:%02d:%02d", local.tm_hour,
                  local.tm_min, local.tm_sec);
    return {date, time};
}

FrameDateTimeText frameDateTimeText(const IVideoInfo* info, std::int32_t frame) {
    const FrameInfo* record = info ? info->frameAt(frame) : nullptr;
    if (!record) return placeholders();
    return frameDateTimeText(record->frameTime);
}

std::vector<int> glyphSlots(const std::wstring& text, GlyphLine line) {
    const wchar_t separator = line == GlyphLine::Date ? L'/' : L':';
    std::vector<int> slots;
    slots.reserve(text.size());
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9')
            slots.push_back(c - L'0');
        else if (c == L'-')
            slots.push_back(kDashSlot);
        else if (c == separator)
            slots.push_back(kSeparatorSlot);
    }
    return slots;
}

const std::array<int, kGlyphCount>& glyphResourceIds(GlyphLine line) {
    return line == GlyphLine::Date ? kDateGlyphIds : kTimeGlyphIds;
}

}  // namespace tavrin
