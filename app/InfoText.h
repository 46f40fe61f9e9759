#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

class IVideoInfo;

// The two lines of the frame information panel.
struct FrameDateTimeText {
    std::wstring date;  // "2012/03/31", or "----/--/--"
    std::wstring time;  // "23:59:58", or "--:--:--"
};

// The local date and time of a frame time in seconds since 1970; the placeholders when the time
// is 0 (no valid time) or the system cannot convert it.
FrameDateTimeText frameDateTimeText(std::int64_t frameTime);

// The texts for frame `frame` of the open recording; the placeholders when nothing is open
// (null `info`) or the frame has no record.
FrameDateTimeText frameDateTimeText(const IVideoInfo* info, std::int32_t frame);

// The panel draws its texts with twelve bitmap glyphs per line: the ten digits, the dash, and
// the separator of that line ("/" for the date, ":" for the time).
constexpr int kGlyphCount = 12;
enum class GlyphLine { Date, Time };

// The glyph slot of each character of `text` that has one in `line`; characters without a glyph
// are left out, as the panel skips them without advancing.
std::vector<int> glyphSlots(const std::wstring& text, GlyphLine line);

// The skin picture ("IMAGE" resource) of each glyph slot of `line`.
const std::array<int, kGlyphCount>& glyphResourceIds(GlyphLine line);

}  // namespace tavrin
