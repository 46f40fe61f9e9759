// Cards that are not as they should be: too many files, files that cannot be read, and a card
// taken away while it plays.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "recording/TextEncoding.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

using test::Bytes;

void expectEmpty(const Viewer& viewer) {
    EXPECT_EQ(viewer.title(), L"Tavrin");
    for (ConsoleButton which : {ConsoleButton::Play, ConsoleButton::Stop, ConsoleButton::Previous,
                                ConsoleButton::Next, ConsoleButton::PreviousDate,
                                ConsoleButton::NextDate})
        EXPECT_FALSE(viewer.enabled(which)) << "button " << static_cast<int>(which);
}

std::wstring archiveName(int number, int group) {
    wchar_t name[16];
    std::swprintf(name, 16, L"%04d_%03d.DAT", number, group);
    return name;
}

TEST(ViewerCard, MoreThanAThousandFilesAskFirst) {
    Card card(1, 20);
    // 1001 archives in all: the generated one and copies of it under further valid names.
    const Path original = card.recordings().at(0);
    for (int copy = 1; copy <= 1000; ++copy) {
        ASSERT_TRUE(CopyFileW(original.c_str(), card.file(archiveName(copy, 900)).c_str(), TRUE));
    }

    Viewer viewer;
    ASSERT_TRUE(viewer.openThroughMenu(original));
    HWND box = viewer.messageBox(L"警告");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(viewer.answer(box, IDCANCEL),
              L"フォルダ内のファイルが1000件を超えているため読み込みに時間がかかります。\r\n"
              L"よろしいですか？");
    Sleep(500);
    expectEmpty(viewer);
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 500));

    // OK goes on and opens the file.
    ASSERT_TRUE(viewer.openThroughMenu(original));
    box = viewer.messageBox(L"警告");
    ASSERT_NE(box, nullptr);
    viewer.answer(box, IDOK);
    EXPECT_TRUE(viewer.waitForTitle(original + L" - Tavrin")) << "title: " << viewer.title();
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
    EXPECT_TRUE(viewer.waitForTitle(list.at(4) + L" - Tavrin")) << "title: " << viewer.title();
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

TEST(ViewerCardGone, FolderRemovedDuringPlaybackEmptiesTheViewer) {
    Card card(5, 300);
    Viewer viewer;
    const drive::ScreenPicture empty = viewer.picture();
    ASSERT_TRUE(viewer.openThroughMenu(card.recordings().at(0)));
    ASSERT_TRUE(viewer.waitForTitle(card.recordings().at(0) + L" - Tavrin"));
    ASSERT_TRUE(viewer.waitForChange(viewer.picture(), viewer.sliderRegion()));

    const Path moved = card.folder() + L"-moved";
    ASSERT_TRUE(MoveFileW(card.folder().c_str(), moved.c_str())) << GetLastError();
    HWND box = viewer.messageBox(L"警告");
    const std::wstring text = box ? viewer.answer(box, IDOK) : L"";
    MoveFileW(moved.c_str(), card.folder().c_str());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, L"現在開いているフォルダが移動または削除されました。");
    Sleep(300);
    expectEmpty(viewer);
    // The information panel shows its placeholders again, as at start-up.
    EXPECT_FALSE(regionChanged(empty, viewer.picture(), viewer.infoRegion()));
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 1000)) << "the warning came twice";
}

}  // namespace
}  // namespace tavrin::e2e

namespace tavrin::e2e {
namespace {

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
