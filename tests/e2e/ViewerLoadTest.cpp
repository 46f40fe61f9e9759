// The largest recording the format allows, opened again and again in one viewer, and its card
// taken away while the viewer is still reading it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "recording/ArchiveListing.h"
#include "tests/e2e/ProcessFigures.h"
#include "tests/e2e/ViewerSession.h"
#include "tools/cardgen/CardWriter.h"

namespace tavrin::e2e {
namespace {

// From the menu to playing took under a second here, the archive being in the file cache; a cold
// cache or a slow card takes far longer, and reading is the viewer's one long task.
constexpr DWORD kLargeOpenTimeoutMs = 180000;
// One pixel of the thumb stands for about 60 frames of this recording, two seconds of play.
constexpr DWORD kThumbMovesMs = 30000;
constexpr int kRounds = 10;

// The loading text in a picture of the player window: the box around its non-white pixels;
// empty when the window is all white or shows more than a line of text (a recording's picture).
struct Ink {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool isText() const { return right > left && bottom - top < 40; }
};

Ink inkOf(const drive::ScreenPicture& picture) {
    Ink ink{picture.width, picture.height, 0, 0};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) != 0xFFFFFF) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x + 1);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y + 1);
            }
    return ink;
}

// Holds a thread of the viewer still for as long as it lives.
class HeldThread {
public:
    explicit HeldThread(DWORD threadId)
        : thread_(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId)) {
        if (thread_) SuspendThread(thread_);
    }
    ~HeldThread() {
        if (!thread_) return;
        ResumeThread(thread_);
        CloseHandle(thread_);
    }
    HeldThread(const HeldThread&) = delete;
    HeldThread& operator=(const HeldThread&) = delete;

private:
    HANDLE thread_;
};

// The sound tracks in the temporary folder, which the viewer writes for every recording it opens
// and deletes when it closes it. A viewer the tests end by force leaves its last one behind.
int soundFilesLeft() {
    std::vector<std::wstring> names;
    listFolder(temporaryFolder(), names);
    return static_cast<int>(std::count_if(names.begin(), names.end(), [](const std::wstring& name) {
        return name.size() > 3 && _wcsnicmp(name.c_str(), L"obv", 3) == 0;
    }));
}

class ViewerLoad : public testing::Test {
protected:
    // One archive for the suite: writing 30,000 pictures takes a while, and no test changes it.
    // It lies under two names (a hard link), which the viewer lists as two recordings.
    static void SetUpTestSuite() {
        folder_ = new test::TestFolder();
        large_ = new Path(folder_->file(L"9999_999.DAT"));
        cardgen::writeLargeArchive(toUtf8(*large_), 1, [](const std::string&) {});
        const Path twin = folder_->file(L"9999_998.DAT");
        if (!CreateHardLinkW(twin.c_str(), large_->c_str(), nullptr))
            CopyFileW(large_->c_str(), twin.c_str(), TRUE);
        std::vector<std::unique_ptr<ArchiveEntry>> entries;
        std::int32_t count = 0;
        listArchives(*large_, entries, count);
        listed_ = new std::vector<Path>;
        for (const auto& entry : entries) listed_->push_back(entry->path);
    }
    static void TearDownTestSuite() {
        delete listed_;
        delete large_;
        delete folder_;
        listed_ = nullptr;
        large_ = nullptr;
        folder_ = nullptr;
    }

    static std::wstring titleOf(const Path& path) { return path + L" - Tavrin"; }

    static test::TestFolder* folder_;
    static Path* large_;
    // The two names in the viewer's order.
    static std::vector<Path>* listed_;
};

test::TestFolder* ViewerLoad::folder_ = nullptr;
Path* ViewerLoad::large_ = nullptr;
std::vector<Path>* ViewerLoad::listed_ = nullptr;

// The viewer has no command that closes a recording: opening one closes the one before. So each
// round opens the archive anew, which first closes the one of the round before, and plays it
// until the thumb has moved. The first opening goes through the menu, the others through the
// next and previous buttons between the archive's two names: Wine's open-file dialog keeps one
// registry key open for every file chosen in it, a handle of the dialog's and not the viewer's.
TEST_F(ViewerLoad, TenOpeningsOfTheLargestArchiveGiveBackWhatTheyTook) {
    ASSERT_EQ(listed_->size(), 2u);
    const int soundFilesBefore = soundFilesLeft();
    Viewer viewer;
    ProcessFigures first;
    for (int round = 1; round <= kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Rounds alternate between the first name and the second.
        const Path& name = listed_->at(round % 2 == 1 ? 0 : 1);
        const DWORD start = GetTickCount();
        if (round == 1)
            ASSERT_TRUE(viewer.openThroughMenu(name));
        else
            viewer.click(round % 2 == 1 ? ConsoleButton::Previous : ConsoleButton::Next);
        // The buttons, off while nothing is loaded, tell this round's loading from the round
        // before.
        ASSERT_TRUE(waitUntil([&] { return !viewer.enabled(ConsoleButton::Play); },
                              kDialogTimeoutMs))
            << "the open did not close the recording before";
        ASSERT_TRUE(waitUntil(
            [&] {
                return viewer.enabled(ConsoleButton::Play) && viewer.title() == titleOf(name);
            },
            kLargeOpenTimeoutMs))
            << "title: " << viewer.title();
        const DWORD openMs = GetTickCount() - start;
        const drive::ScreenPicture opened = viewer.picture();
        ASSERT_TRUE(viewer.waitForChange(opened, viewer.playerRegion()))
            << "the picture stands still";
        ASSERT_TRUE(viewer.waitForChange(opened, viewer.sliderRegion(), kThumbMovesMs))
            << "the thumb stands still";
        EXPECT_FALSE(viewer.anyMessageBox(L"警告", 0));
        const ProcessFigures figures =
            reportFigures(viewer.process().id(), "round " + std::to_string(round) + " (opened in " +
                                      std::to_string(openMs) + " ms)");
        if (round == 1) first = figures;
        if (round == kRounds) expectNoGrowth(first, figures);
    }
    EXPECT_EQ(soundFilesLeft(), soundFilesBefore + 1) << "sound tracks of closed recordings stay";
}

// Taking the card out while the viewer still reads the recording: the reading runs on to its end
// on the file it has open, then the viewer finds the folder gone, says so once and is empty.
TEST_F(ViewerLoad, CardTakenAwayWhileLoadingEmptiesTheViewer) {
    // Put in afterwards; made first so that it outlives the viewer that holds it open.
    Card card(2, 200);
    Viewer viewer;
    // The loading text counts up: "0%" before the folder is listed, "10%" before the reading
    // starts, then 20% to 90% while it runs. The third text seen is from the reading. The reading
    // takes well under a second, so the viewer's window thread is held still while each look is
    // taken, and the card goes while it is held; should the screen miss the reading all the same,
    // the archive is opened again.
    const DWORD viewerThread = GetWindowThreadProcessId(viewer.main(), nullptr);
    const Path moved = folder_->path() + L"-moved";
    std::vector<drive::ScreenPicture> texts;
    bool cardGone = false;
    DWORD moveError = 0;
    bool stillLoading = false;
    DWORD takenAway = 0;
    DWORD start = 0;
    for (int attempt = 0; attempt < 5 && texts.size() < 3; ++attempt) {
        // While the viewer reads, its buttons are off (and the title may still name the
        // archive read the attempt before).
        if (attempt > 0) {
            ASSERT_TRUE(waitUntil([&] { return viewer.enabled(ConsoleButton::Play); },
                                  kLargeOpenTimeoutMs));
        }
        // On a busy machine a menu command sometimes finds no dialog in time: try again.
        if (!viewer.openThroughMenu(*large_)) continue;
        if (attempt > 0) waitUntil([&] { return !viewer.enabled(ConsoleButton::Play); }, 2000);
        texts.clear();
        start = GetTickCount();
        while (texts.size() < 3 && GetTickCount() - start < kDialogTimeoutMs &&
               !viewer.enabled(ConsoleButton::Play)) {
            {
                const HeldThread held(viewerThread);
                drive::ScreenPicture shown = drive::captureInPlace(viewer.player(), true);
                if (inkOf(shown).isText() &&
                    (texts.empty() ||
                     regionChanged(texts.back(), shown, {0, 0, shown.width, shown.height})))
                    texts.push_back(std::move(shown));
                if (texts.size() == 3) {
                    cardGone = MoveFileW(folder_->path().c_str(), moved.c_str()) != FALSE;
                    moveError = GetLastError();
                    takenAway = GetTickCount();
                    stillLoading = !viewer.enabled(ConsoleButton::Play);
                }
            }
            // Room for the viewer to draw the next step.
            Sleep(2);
        }
    }
    ASSERT_EQ(texts.size(), 3u) << "the reading was not caught on screen; title " << viewer.title();
    ASSERT_TRUE(cardGone) << moveError;
    std::printf("[ timing   ] the card went %lu ms after the open dialog closed\n",
                takenAway - start);

    HWND box = viewer.messageBox(L"警告", kLargeOpenTimeoutMs);
    const std::wstring text = box ? viewer.answer(box, IDOK) : L"";
    const DWORD reportedMs = GetTickCount() - takenAway;
    // A second warning for the same loss would come right after the first is answered.
    HWND again = viewer.messageBox(L"警告", 3000);
    const std::wstring secondText = again ? viewer.answer(again, IDOK) : L"";
    MoveFileW(moved.c_str(), folder_->path().c_str());

    EXPECT_TRUE(stillLoading) << "the archive was read before the card went";
    ASSERT_NE(box, nullptr) << "no warning";
    std::printf("[ timing   ] the loss was reported %lu ms after the card went\n", reportedMs);
    EXPECT_EQ(text, L"現在開いているフォルダが移動または削除されました。");
    EXPECT_EQ(again, nullptr) << "the warning came twice: " << testing::PrintToString(secondText);
    EXPECT_TRUE(waitUntil([&] { return viewer.title() == L"Tavrin"; }, kDialogTimeoutMs));
    expectEmpty(viewer);
    EXPECT_FALSE(viewer.anyMessageBox(L"警告", 1000)) << "more warnings follow";

    // Still usable: another card opens and plays.
    ASSERT_TRUE(viewer.openThroughMenu(card.recordings().at(0)));
    ASSERT_TRUE(viewer.waitForTitle(card.recordings().at(0) + L" - Tavrin"))
        << "title: " << viewer.title();
    EXPECT_TRUE(viewer.waitForChange(viewer.picture(), viewer.sliderRegion()))
        << "the recording opened afterwards does not play";
}

}  // namespace
}  // namespace tavrin::e2e
