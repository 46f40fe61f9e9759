#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "media/DateNavigation.h"
#include "recording/Platform.h"

namespace tavrin {
namespace {

std::int64_t localSeconds(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return localTimeToSeconds(local);
}

TEST(DateNavigationTest, CalendarDaysCompareByYearMonthAndDay) {
    const CalendarDay lastOfJanuary = calendarDayOf(localSeconds(2026, 1, 31, 23, 59));
    const CalendarDay firstOfFebruary = calendarDayOf(localSeconds(2026, 2, 1, 0, 1));
    EXPECT_EQ(lastOfJanuary.year, 2026);
    EXPECT_EQ(lastOfJanuary.month, 1);
    EXPECT_EQ(lastOfJanuary.day, 31);
    EXPECT_TRUE(isEarlierDay(lastOfJanuary, firstOfFebruary));
    EXPECT_FALSE(isSameDay(lastOfJanuary, firstOfFebruary));
    // A later day of an earlier month, and the turn of the year.
    EXPECT_TRUE(isEarlierDay({2026, 1, 31}, {2026, 2, 1}));
    EXPECT_TRUE(isEarlierDay({2025, 12, 31}, {2026, 1, 1}));
    EXPECT_FALSE(isEarlierDay({2026, 2, 1}, {2026, 1, 31}));

    EXPECT_TRUE(isSameDay(calendarDayOf(localSeconds(2026, 3, 4, 0, 0)),
                          calendarDayOf(localSeconds(2026, 3, 4, 23, 59))));
}

class PreviousDateTest : public ::testing::Test {
protected:
    std::int32_t from(std::int32_t current) const {
        return previousDateIndex(current, [this](std::int32_t i) { return days[i]; });
    }
    std::vector<CalendarDay> days;
};

TEST_F(PreviousDateTest, OpensTheFirstRecordingOfTheLatestEarlierDay) {
    days = {{2026, 1, 30}, {2026, 1, 31}, {2026, 1, 31}, {2026, 1, 31}, {2026, 2, 1}, {2026, 2, 1}};
    EXPECT_EQ(from(5), 1);
    EXPECT_EQ(from(4), 1);
    EXPECT_EQ(from(3), 0);
    EXPECT_EQ(from(1), 0);
}

TEST_F(PreviousDateTest, TheWalkReachingTheStartOpensTheFirstRecording) {
    days = {{2026, 1, 31}, {2026, 1, 31}, {2026, 2, 1}};
    EXPECT_EQ(from(2), 0);
}

TEST_F(PreviousDateTest, NothingBeforeTheFirstDay) {
    days = {{2026, 1, 31}, {2026, 1, 31}, {2026, 2, 1}};
    EXPECT_EQ(from(0), -1);
    EXPECT_EQ(from(1), -1);
}

}  // namespace
}  // namespace tavrin
