// Cards that are not as they should be: too many files, files that cannot be read, and a card
// taken away while it plays.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "recording/TextEncoding.h"
#include "tests/e2e/HostCommand.h"
#include "tests/e2e/ScreenReading.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

using test::Bytes;

std::wstring archiveName(int number, int group) {
    wchar_t name[16];
    std::swprintf(name, 16, L"%04d_%03d.DAT", number, group);
    return name;
}

// A folder of 2,000 recordings: three generated ones, one a day, and 1,997 more of them under
// further names (hard links, so they cost no space; each keeps its original's start time).
class ViewerLargeFolder : public testing::Test {
protected:
    void SetUp() override {
        for (int number = 1; number <= 1997; ++number) {
            const int day = number % 3;
            const Path original = card_.recordings().at(static_cast<std::size_t>(day));
            const Path copy = card_.file(archiveName(number, 900 + day));
            ASSERT_TRUE(CreateHardLinkW(copy.c_str(), original.c_str(), nullptr) ||
                        CopyFileW(original.c_str(), copy.c_str(), TRUE))
                << GetLastError();
            dayOf_[copy] = day;
        }
        for (int day = 0; day < 3; ++day) dayOf_[card_.recordings().at(day)] = day;
        card_.relist();
        ASSERT_EQ(card_.recordings().size(), 2000u);
    }

    int dayOf(int entry) const { return dayOf_.at(card_.recordings().at(entry)); }
    // The first entry of the list that is of `day`.
    int firstOfDay(int day) const {
        for (int entry = 0; entry < 2000; ++entry)
            if (dayOf(entry) == day) return entry;
        return -1;
    }
    std::wstring titleOf(int entry) const { return card_.recordings().at(entry) + L" - Tavrin"; }

    // Opens `entry`, answering the question about the many files with `answer`.
    std::wstring open(int entry, int answer) {
        if (!viewer_.openThroughMenu(card_.recordings().at(entry))) return L"no open dialog";
        HWND box = viewer_.messageBox(L"警告");
        return box ? viewer_.answer(box, answer) : L"no question";
    }

    Card card_{3, 300};
    std::map<Path, int> dayOf_;
    Viewer viewer_;
};

TEST_F(ViewerLargeFolder, AsksFirstThenMovesThroughTheList) {
    const int middle = firstOfDay(1) + 10;
    ASSERT_EQ(dayOf(middle), 1);
    ASSERT_EQ(dayOf(middle + 1), 1);
    EXPECT_EQ(open(middle, IDCANCEL),
              L"フォルダ内のファイルが1000件を超えているため読み込みに時間がかかります。\r\n"
              L"よろしいですか？");
    Sleep(500);
    expectEmpty(viewer_);
    EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 500));

    // OK goes on and opens the file.
    open(middle, IDOK);
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(middle))) << "title: " << viewer_.title();

    // Each step to the next or previous recording reads the folder again, and so asks again. Asked to close
    // meanwhile (as a task manager does), the viewer stays until the question is answered.
    const auto step = [&](ConsoleButton button, int expected) {
        viewer_.click(button);
        HWND box = viewer_.messageBox(L"警告");
        ASSERT_NE(box, nullptr) << "no question on the way to entry " << expected;
        viewer_.answer(box, IDOK);
        EXPECT_TRUE(viewer_.waitForTitle(titleOf(expected))) << "title: " << viewer_.title();
    };
    viewer_.click(ConsoleButton::Next);
    HWND box = viewer_.messageBox(L"警告");
    ASSERT_NE(box, nullptr);
    PostMessageW(viewer_.main(), WM_CLOSE, 0, 0);
    Sleep(500);
    ASSERT_TRUE(IsWindow(viewer_.main())) << "closed under its own question";
    viewer_.answer(box, IDOK);
    EXPECT_TRUE(viewer_.waitForTitle(titleOf(middle + 1))) << "title: " << viewer_.title();
    EXPECT_FALSE(viewer_.process().waitForExit(0));

    step(ConsoleButton::Previous, middle);

    // The date buttons move within the list already read: no question.
    const auto stepDate = [&](ConsoleButton button, int expected) {
        viewer_.click(button);
        EXPECT_TRUE(viewer_.waitForTitle(titleOf(expected))) << "title: " << viewer_.title();
        EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 0));
    };
    stepDate(ConsoleButton::NextDate, firstOfDay(2));
    stepDate(ConsoleButton::PreviousDate, firstOfDay(1));
    stepDate(ConsoleButton::PreviousDate, 0);
    EXPECT_FALSE(viewer_.enabled(ConsoleButton::PreviousDate));
}

// A card with two files that have valid names but are no recordings: one whose header date is
// not valid (listed first) and one that claims the start time of the second recording plus a
// second (listed right after it).
class ViewerUnreadable : public testing::Test {
protected:
    void SetUp() override {
        const Path second = card_.recordings().at(1);
        Bytes bytes = test::readBytes(second);
        ASSERT_GE(bytes.size(), 8u);
        Bytes middle(bytes.begin(), bytes.begin() + 8);
        // Byte 7 holds the seconds in binary-coded decimal.
        const int seconds = (middle[7] >> 4) * 10 + (middle[7] & 0x0F);
        ASSERT_LT(seconds, 59) << "the generated start time leaves no room";
        middle[7] = static_cast<std::uint8_t>(((seconds + 1) / 10) << 4 | (seconds + 1) % 10);
        middle.resize(4096, 0xA5);
        test::writeBytes(card_.file(L"0002_009.DAT"), middle);
        test::writeBytes(card_.file(L"0000_009.DAT"), Bytes(4096, 0x5A));
        card_.relist();
        const auto& list = card_.recordings();
        ASSERT_EQ(list.size(), 7u);
        ASSERT_EQ(list.at(0), card_.file(L"0000_009.DAT"));
        ASSERT_EQ(list.at(3), card_.file(L"0002_009.DAT"));
    }

    std::wstring titleOf(int entry) const { return card_.recordings().at(entry) + L" - Tavrin"; }

    Card card_{5, 300};
    Viewer viewer_;
};

TEST_F(ViewerUnreadable, IsSkippedInTheDirectionOfTravel) {
    // List: 0 unreadable, 1-2 day 0, 3 unreadable, 4-5 day 1, 6 day 2.
    ASSERT_TRUE(viewer_.openThroughMenu(card_.recordings().at(2)));
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    viewer_.click(ConsoleButton::Next);
    EXPECT_TRUE(viewer_.waitForTitle(titleOf(4))) << "title: " << viewer_.title();
    viewer_.click(ConsoleButton::Previous);
    EXPECT_TRUE(viewer_.waitForTitle(titleOf(2))) << "title: " << viewer_.title();
    EXPECT_FALSE(viewer_.anyMessageBox(L"警告", 300));

    // Opened directly, it gives way to the next entry.
    ASSERT_TRUE(viewer_.openThroughMenu(card_.recordings().at(3)));
    EXPECT_TRUE(viewer_.waitForTitle(titleOf(4))) << "title: " << viewer_.title();
    EXPECT_TRUE(viewer_.waitForChange(viewer_.picture(), viewer_.sliderRegion()))
        << "the entry after the unreadable one does not play";
}

TEST_F(ViewerUnreadable, RunningOffTheEndIsReported) {
    ASSERT_TRUE(viewer_.openThroughMenu(card_.recordings().at(1)));
    ASSERT_TRUE(viewer_.waitForTitle(titleOf(1))) << "title: " << viewer_.title();
    // Backwards from the first readable entry there is only the unreadable one.
    ASSERT_TRUE(viewer_.enabled(ConsoleButton::Previous));
    viewer_.click(ConsoleButton::Previous);
    HWND box = viewer_.messageBox(L"警告");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(viewer_.answer(box, IDOK), L"該当データを読み込めません。");
    expectEmpty(viewer_);
}

TEST(ViewerShortCard, PlaysOnIntoTheNextRecordingAndStopsAfterTheLast) {
    // About two seconds a recording at 28 frames a second.
    Card card(5, 56);
    Viewer viewer;
    const auto& list = card.recordings();
    ASSERT_TRUE(viewer.openThroughMenu(list.at(3)));
    ASSERT_TRUE(viewer.waitForTitle(list.at(3) + L" - Tavrin"));
    std::wstring firstDate;
    waitUntil([&] { return !(firstDate = readInfoTexts(viewer.picture(), viewer.infoRegion()).date).empty(); },
              kPlaybackTimeoutMs);
    // Recording 4 is of the next day: the panel's date moves on with the title.
    EXPECT_TRUE(viewer.waitForTitle(list.at(4) + L" - Tavrin")) << "title: " << viewer.title();
    std::wstring nextDate;
    EXPECT_TRUE(waitUntil([&] {
        nextDate = readInfoTexts(viewer.picture(), viewer.infoRegion()).date;
        return !nextDate.empty() && nextDate != firstDate;
    }, kPlaybackTimeoutMs)) << "the date stays " << toUtf8(firstDate);
    // At the end of the last one playback stops there, without a word.
    EXPECT_TRUE(waitUntil([&] {
        const drive::ScreenPicture before = viewer.picture();
        Sleep(1000);
        return !regionChanged(before, viewer.picture(), viewer.sliderRegion());
    }, kPlaybackTimeoutMs));
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 500));
    EXPECT_EQ(viewer.title(), list.at(4) + L" - Tavrin");
    EXPECT_TRUE(viewer.enabled(ConsoleButton::Play));
    EXPECT_TRUE(viewer.enabled(ConsoleButton::Stop));
}

TEST(ViewerCard, FileOfAnotherNamePlaysAlone) {
    Card card(2, 300);
    const Path single = card.file(L"clip.dat");
    ASSERT_TRUE(CopyFileW(card.recordings().at(0).c_str(), single.c_str(), TRUE));
    const Path garbage = card.file(L"broken.dat");
    test::writeBytes(garbage, Bytes(4096, 0x5A));

    Viewer viewer;
    ASSERT_TRUE(viewer.openThroughMenu(single));
    ASSERT_TRUE(viewer.waitForTitle(single + L" - Tavrin")) << "title: " << viewer.title();
    EXPECT_TRUE(viewer.waitForChange(viewer.picture(), viewer.sliderRegion()));
    // A list of its own: nothing before or after it, whatever else the folder holds.
    for (ConsoleButton which : {ConsoleButton::Previous, ConsoleButton::Next,
                                ConsoleButton::PreviousDate, ConsoleButton::NextDate})
        EXPECT_FALSE(viewer.enabled(which)) << "button " << static_cast<int>(which);

    // Unreadable on its own: the warning, and the viewer empty again.
    ASSERT_TRUE(viewer.openThroughMenu(garbage));
    HWND box = viewer.messageBox(L"警告");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(viewer.answer(box, IDOK), L"該当データを読み込めません。");
    expectEmpty(viewer);
}

// Takes the card away while a recording plays, by `takeAway`, and expects the one warning and an
// empty viewer; `putBack` undoes it for the clean-up.
void expectCardGoneWarning(const Card& card, const std::function<void()>& takeAway,
                           const std::function<void()>& putBack) {
    Viewer viewer;
    const drive::ScreenPicture empty = viewer.picture();
    // Opened twice, as a user who picks another recording does: the second open-file dialog
    // starts in the card's folder, and must not leave the viewer holding it.
    ASSERT_TRUE(viewer.openThroughMenu(card.recordings().at(2)));
    ASSERT_TRUE(viewer.waitForTitle(card.recordings().at(2) + L" - Tavrin"));
    ASSERT_TRUE(viewer.openThroughMenu(card.recordings().at(0)));
    ASSERT_TRUE(viewer.waitForTitle(card.recordings().at(0) + L" - Tavrin"));
    ASSERT_TRUE(viewer.waitForChange(viewer.picture(), viewer.sliderRegion()));

    takeAway();
    HWND box = viewer.messageBox(L"警告");
    const std::wstring text = box ? viewer.answer(box, IDOK) : L"";
    putBack();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"現在開いているフォルダが移動または削除されました。");
    Sleep(300);
    expectEmpty(viewer);
    // The information panel shows its placeholders again, as at start-up.
    EXPECT_FALSE(regionChanged(empty, viewer.picture(), viewer.infoRegion()));
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 1000)) << "the warning came twice";

    // Usable again once the card is back.
    ASSERT_TRUE(viewer.openThroughMenu(card.recordings().at(1)));
    EXPECT_TRUE(viewer.waitForTitle(card.recordings().at(1) + L" - Tavrin"))
        << "title: " << viewer.title();
}

TEST(ViewerCardGone, FolderRenamedDuringPlaybackEmptiesTheViewer) {
    Card card(5, 300);
    const Path moved = card.folder() + L"-moved";
    expectCardGoneWarning(
        card, [&] { ASSERT_TRUE(MoveFileW(card.folder().c_str(), moved.c_str())) << GetLastError(); },
        [&] { MoveFileW(moved.c_str(), card.folder().c_str()); });
}

TEST(ViewerCardGone, CardPulledOutDuringPlaybackEmptiesTheViewer) {
    if (!hostCommandsAvailable()) GTEST_SKIP() << "needs the host's shell to remove open files";
    Card card(5, 300);
    // Pulled out: the folder and its files vanish at once, open or not, as only the host can
    // make them (Windows refuses to delete files the viewer holds open). A copy puts it back.
    const std::string folder = hostPath(card.folder());
    runHostCommand("cp -a '" + folder + "' '" + folder + "-copy'", 30000);
    expectCardGoneWarning(
        card, [&] { runHostCommand("rm -rf '" + folder + "'", 30000); },
        [&] { runHostCommand("mv '" + folder + "-copy' '" + folder + "'", 30000); });
}

// Two thousand files that look like recordings and are none: the viewer steps over every one of
// them (without running out of stack), says once that the data cannot be read, and stays usable.
TEST(ViewerDamagedCard, TwoThousandUnreadableRecordingsAreSteppedOverAndReportedOnce) {
    test::TestFolder folder;
    const Bytes garbage(4096, 0x5a);
    for (int number = 1; number <= 2000; ++number)
        test::writeBytes(folder.file(archiveName(number, 1 + number % 3)), garbage);
    Card good(1, 40);

    Viewer viewer;
    ASSERT_TRUE(viewer.openThroughMenu(folder.file(archiveName(1, 2))));
    HWND question = viewer.messageBox(L"警告");
    ASSERT_NE(question, nullptr);
    viewer.answer(question, IDOK);
    // Every one of the 2,000 is tried in turn before the one warning comes.
    HWND warning = viewer.messageBox(L"警告", 240000);
    ASSERT_NE(warning, nullptr) << "no warning after stepping over the card";
    EXPECT_EQ(viewer.answer(warning, IDOK), L"該当データを読み込めません。");
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 1000));
    expectEmpty(viewer);

    // Still usable: a good recording opens and plays.
    ASSERT_TRUE(viewer.openThroughMenu(good.recordings().at(0)));
    EXPECT_TRUE(viewer.waitForTitle(good.recordings().at(0) + L" - Tavrin"))
        << "title: " << viewer.title();
}

}  // namespace
}  // namespace tavrin::e2e
