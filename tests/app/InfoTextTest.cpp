#include <gtest/gtest.h>

#include <map>

#include "app/InfoText.h"
#include "recording/FrameInfo.h"
#include "recording/IVideoInfo.h"
#include "recording/LocalTime.h"

namespace tavrin {
namespace {

// A recording of `count` slots, of which only those given a record have one.
class SlotTable : public IVideoInfo {
public:
    explicit SlotTable(std::int32_t count) : count_(count) {}
    void setTime(std::int32_t slot, std::int64_t time) { records_[slot].frameTime = time; }

    std::int32_t frameCount() const override { return count_; }
    const FrameInfo* frameAt(std::int32_t index) const override {
        if (index < 0 || index >= count_) return nullptr;
        auto record = records_.find(index);
        return record == records_.end() ? nullptr : &record->second;
    }

    std::wstring idText4() const override { return L"0000"; }
    std::wstring idText8() const override { return L"00000000"; }
    std::int32_t reservedValue() const override { return 0; }
    std::int32_t currentPosition() const override { return -1; }
    const FrameInfo* frameAtPosition() const override { return nullptr; }
    double reservedReal1() const override { return 0.0; }
    double reservedReal2() const override { return 0.0; }
    std::int32_t picturesPerFrame() const override { return 1; }
    bool isInfoMissing() const override { return false; }
    std::int64_t firstFrameTime() const override { return 0; }
    std::int64_t lastFrameTime() const override { return 0; }
    std::int64_t startTime() const override { return 0; }
    std::int32_t nextMarkedFrame(std::int32_t) const override { return -1; }
    void copyMarkedFrames(std::vector<std::int32_t>& list) const override { list.clear(); }
    void collectMarkedFrames() override {}

private:
    std::int32_t count_;
    std::map<std::int32_t, FrameInfo> records_;
};

TEST(InfoTextTest, AFrameTimeReadsAsItsLocalDateAndTime) {
    FrameDateTimeText text = frameDateTimeText(makeLocalTime(2012, 3, 31, 23, 59, 58));
    EXPECT_EQ(text.date, L"2012/03/31");
    EXPECT_EQ(text.time, L"23:59:58");

    text = frameDateTimeText(makeLocalTime(2013, 1, 2, 3, 4, 5));
    EXPECT_EQ(text.date, L"2013/01/02");
    EXPECT_EQ(text.time, L"03:04:05");
}

TEST(InfoTextTest, NoValidTimeShowsThePlaceholders) {
    for (std::int64_t time : {std::int64_t{0}, std::int64_t{-1}}) {
        const FrameDateTimeText text = frameDateTimeText(time);
        EXPECT_EQ(text.date, L"----/--/--") << time;
        EXPECT_EQ(text.time, L"--:--:--") << time;
    }
}

TEST(InfoTextTest, TheFramesRecordGivesTheTextsAndAMissingOneThePlaceholders) {
    SlotTable table(4);
    table.setTime(0, makeLocalTime(2012, 5, 4, 10, 0, 0));
    table.setTime(1, 0);  // a frame without a valid time
    table.setTime(3, makeLocalTime(2012, 5, 4, 10, 0, 1));

    EXPECT_EQ(frameDateTimeText(&table, 0).time, L"10:00:00");
    EXPECT_EQ(frameDateTimeText(&table, 3).date, L"2012/05/04");
    EXPECT_EQ(frameDateTimeText(&table, 3).time, L"10:00:01");
    for (std::int32_t frame : {1, 2, -1, 4}) {
        EXPECT_EQ(frameDateTimeText(&table, frame).date, L"----/--/--") << frame;
        EXPECT_EQ(frameDateTimeText(&table, frame).time, L"--:--:--") << frame;
    }
    // Nothing open.
    EXPECT_EQ(frameDateTimeText(nullptr, 0).date, L"----/--/--");
    EXPECT_EQ(frameDateTimeText(nullptr, 0).time, L"--:--:--");
}

TEST(InfoTextTest, EachLineHasItsOwnSeparatorAndSkipsOtherCharacters) {
    EXPECT_EQ(glyphSlots(L"2012/03/31", GlyphLine::Date),
              (std::vector<int>{2, 0, 1, 2, 11, 0, 3, 11, 3, 1}));
    EXPECT_EQ(glyphSlots(L"----/--/--", GlyphLine::Date),
              (std::vector<int>{10, 10, 10, 10, 11, 10, 10, 11, 10, 10}));
    EXPECT_EQ(glyphSlots(L"23:59:58", GlyphLine::Time),
              (std::vector<int>{2, 3, 11, 5, 9, 11, 5, 8}));
    EXPECT_EQ(glyphSlots(L"--:--:--", GlyphLine::Time),
              (std::vector<int>{10, 10, 11, 10, 10, 11, 10, 10}));
    // The date has no colon and the time no slash; neither has letters or spaces.
    EXPECT_EQ(glyphSlots(L"1:2 x", GlyphLine::Date), (std::vector<int>{1, 2}));
    EXPECT_EQ(glyphSlots(L"1/2 x", GlyphLine::Time), (std::vector<int>{1, 2}));
}

TEST(InfoTextTest, TheTwoLinesUseDifferentPictures) {
    const auto& date = glyphResourceIds(GlyphLine::Date);
    const auto& time = glyphResourceIds(GlyphLine::Time);
    // The digits run in order in both sets.
    for (int digit = 1; digit < 10; ++digit) {
        EXPECT_EQ(date[digit], date[0] + digit);
        EXPECT_EQ(time[digit], time[0] + digit);
    }
    for (int a : date)
        for (int b : time) EXPECT_NE(a, b);
}

}  // namespace
}  // namespace tavrin
