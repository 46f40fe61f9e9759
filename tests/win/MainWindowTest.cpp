// The main window in this process, where its state can be set and read directly: the busy state
// that refuses commands and closing, steps beyond the ends of the list, and the volume and
// brightness panel wired to the window's own player.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/AppGlobals_win.h"
#include "app/ConfigPanel_win.h"
#include "app/ConsolePanel_win.h"
#include "app/MainWindow_win.h"
#include "media/ISoundPlayer.h"
#include "media/VideoPlayer_win.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tests/win/ChartFixtures.h"
#include "tests/win/MessagePump.h"
#include "tests/win/PanelTestSupport.h"
#include "tests/win/WarningBoxCloser.h"
#include "tools/cardgen/ArchiveBuilder.h"
#include "tools/cardgen/CardWriter.h"
#include "ui/ImageButton_win.h"
#include "ui/ImageTrackBar_win.h"
#include "ui/Messages.h"
#include "ui/PlayButton_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;

constexpr int kCommandOpen = 40004;
constexpr int kCommandExit = 40005;
constexpr int kCommandAbout = 40020;
constexpr DWORD kLoadTimeoutMs = 20000;

// Answers every dialog this process shows while it runs, counting them: the first ones with the
// buttons given, every other one with Cancel.
class DialogCanceller {
public:
    explicit DialogCanceller(std::vector<int> answers = {})
        : answers_(std::move(answers)), thread_([this] { run(); }) {}
    ~DialogCanceller() {
        stop_ = true;
        thread_.join();
    }
    int dialogs() const { return dialogs_; }

private:
    void run() {
        while (!stop_) {
            HWND dialog = nullptr;
            EnumWindows([](HWND window, LPARAM found) {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
                    std::wstring(name) != L"#32770")
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }, reinterpret_cast<LPARAM>(&dialog));
            if (dialog) {
                const std::size_t index = static_cast<std::size_t>(dialogs_++);
                PostMessageW(dialog, WM_COMMAND,
                             index < answers_.size() ? answers_[index] : IDCANCEL, 0);
                while (IsWindow(dialog) && IsWindowVisible(dialog) && !stop_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const std::vector<int> answers_;
    std::atomic<bool> stop_{false};
    std::atomic<int> dialogs_{0};
    std::thread thread_;
};

class MainWindowTest : public testing::Test {
protected:
    // A card of small pictures in `folder`.
    static void writeSmallCard(const test::TestFolder& folder, int recordings, int frames) {
        cardgen::CardOptions options;
        options.folder = toUtf8(folder.path());
        options.recordings = recordings;
        options.frames = frames;
        options.width = 160;
        options.height = 120;
        cardgen::writeCard(options, [](const std::string&) {});
    }

    static void SetUpTestSuite() {
        appName = loadMessage(5001);
        folder_ = new test::TestFolder;
        writeSmallCard(*folder_, cardgen::CardOptions().recordings, 200);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
        delete manyFiles_;
        manyFiles_ = nullptr;
    }

    // A folder of 1,001 recordings, enough for the question before listing them: two generated
    // ones and 999 hard links to them under further names. Made once, by the first test asking.
    static const test::TestFolder& manyFiles() {
        if (manyFiles_) return *manyFiles_;
        manyFiles_ = new test::TestFolder;
        writeSmallCard(*manyFiles_, 2, 60);
        const Path original = manyFiles_->file(fromUtf8(cardgen::archiveName(1, 1)));
        for (int number = 1; number <= 999; ++number) {
            const Path link = manyFiles_->file(fromUtf8(cardgen::archiveName(number, 900)));
            EXPECT_TRUE(CreateHardLinkW(link.c_str(), original.c_str(), nullptr) ||
                        CopyFileW(original.c_str(), link.c_str(), TRUE))
                << GetLastError();
        }
        return *manyFiles_;
    }

    void SetUp() override {
        window_ = new MainWindow;
        handle_ = window_->hwnd;
        ShowWindow(handle_, SW_SHOWNOACTIVATE);
        UpdateWindow(handle_);
    }
    void TearDown() override {
        if (IsWindow(handle_)) {
            if (window_->busy()) window_->leaveBusy();
            DestroyWindow(handle_);
        }
        // Takes the window's quit message out of this thread's queue again.
        pumpFor(50);
    }

    static Path recording(int fileNumber, int group) {
        return folder_->file(fromUtf8(cardgen::archiveName(fileNumber, group)));
    }

    void openAndPlay(const Path& path) {
        window_->openRecordingFile(path, false);
        ASSERT_TRUE(pumpUntil([&] { return window_->player().state() == VideoPlayer::kPlaying; },
                              kLoadTimeoutMs));
    }

    bool menusGreyed() const {
        for (UINT position = 0; position < 3; ++position) {
            if (!(GetMenuState(GetMenu(handle_), position, MF_BYPOSITION) & MF_GRAYED))
                return false;
        }
        return true;
    }

    // Everything a user sees and can do says nothing is open, as at start-up: the bare title, a
    // white picture area, every playback button off, and closing asks nothing.
    void expectEmptyViewer() {
        wchar_t text[1024] = {};
        GetWindowTextW(handle_, text, 1024);
        EXPECT_EQ(text, appName);
        VideoPlayer& player = window_->player();
        EXPECT_EQ(player.state(), VideoPlayer::kNone);
        EXPECT_EQ(player.frameInfo(), nullptr);
        EXPECT_EQ(player.recordingCount(), 0);
        const test::WindowPixels picture(player.hwnd);
        int ink = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.at(x, y) != RGB(255, 255, 255)) ++ink;
        EXPECT_EQ(ink, 0) << "the picture area is not blank (the loading text stays)";
        ConsolePanel& console = window_->consolePanel();
        for (Window* button : {static_cast<Window*>(&console.playButton()),
                               static_cast<Window*>(&console.stopButton()),
                               static_cast<Window*>(&console.previousButton()),
                               static_cast<Window*>(&console.nextButton()),
                               static_cast<Window*>(&console.previousDateButton()),
                               static_cast<Window*>(&console.nextDateButton())})
            EXPECT_FALSE(button->isEnabled());
        DialogCanceller canceller;
        SendMessageW(handle_, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(handle_)) << "closing was refused";
        EXPECT_EQ(canceller.dialogs(), 0) << "closing asked a question";
    }

    static test::TestFolder* folder_;
    static test::TestFolder* manyFiles_;
    MainWindow* window_ = nullptr;
    HWND handle_ = nullptr;
};

test::TestFolder* MainWindowTest::folder_ = nullptr;
test::TestFolder* MainWindowTest::manyFiles_ = nullptr;

// Points TMP and TEMP at a folder that is not there for as long as it lives, so no temporary
// file can be made (the way that holds even for root, which no permission stops); the values
// before come back afterwards.
class TemporaryFolderGone {
public:
    explicit TemporaryFolderGone(const Path& gone) {
        for (Variable& variable : variables_) {
            wchar_t value[MAX_PATH] = {};
            variable.existed = GetEnvironmentVariableW(variable.name, value, MAX_PATH) != 0;
            variable.value = value;
            SetEnvironmentVariableW(variable.name, gone.c_str());
        }
    }
    ~TemporaryFolderGone() {
        for (const Variable& variable : variables_)
            SetEnvironmentVariableW(variable.name,
                                    variable.existed ? variable.value.c_str() : nullptr);
    }
    TemporaryFolderGone(const TemporaryFolderGone&) = delete;
    TemporaryFolderGone& operator=(const TemporaryFolderGone&) = delete;

private:
    struct Variable {
        const wchar_t* name;
        bool existed;
        std::wstring value;
    };
    Variable variables_[2] = {{L"TMP", false, {}}, {L"TEMP", false, {}}};
};

// A recording of sound blocks and no picture, alone in `card`; its path.
Path writeSoundOnlyRecording(const test::TestFolder& card) {
    cardgen::ArchiveHeaderFields header;
    header.start = {2012, 3, 4, 10, 0, 0};
    header.startTick = 100000;
    cardgen::ArchiveBuilder builder(header);
    for (std::uint32_t block = 0; block < 20; ++block)
        builder.addSound(cardgen::Bytes(2000, 0x80), 100000 + block * 150);
    const Path path = card.file(L"0001_001.DAT");
    builder.writeTo(toUtf8(path));
    return path;
}

std::size_t countOf(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), text));
}

TEST_F(MainWindowTest, WithoutATemporaryFilePicturesPlaySilentlyAndSoundAloneIsUnreadable) {
    const std::wstring soundLost = L"音声データの復元に失敗しました";
    const std::wstring unreadable = L"該当データを読み込めません。";
    test::TestFolder soundOnlyCard;
    const Path soundOnlyPath = writeSoundOnlyRecording(soundOnlyCard);

    test::TestFolder parent;
    const TemporaryFolderGone noTemporaryFolder(parent.file(L"gone"));
    {
        test::WarningBoxCloser closer;
        openAndPlay(recording(1, 1));
        // Playing on the wall clock: the frame moves on while no sound plays.
        const std::int32_t start = window_->player().currentFrame();
        EXPECT_TRUE(pumpUntil([&] { return window_->player().currentFrame() >= start + 20; },
                              kLoadTimeoutMs));
        EXPECT_EQ(window_->player().soundPlayer().getState(), kSoundClosed);
        EXPECT_NE(window_->player().shownImage(), nullptr);
        closer.stop();
        EXPECT_EQ(closer.boxes(), 1);
        EXPECT_EQ(countOf(closer.texts(), soundLost), 1u);
    }
    {
        test::WarningBoxCloser closer;
        window_->openRecordingFile(soundOnlyPath, false);
        closer.stop();
        EXPECT_EQ(closer.boxes(), 2);
        EXPECT_EQ(countOf(closer.texts(), soundLost), 1u);
        EXPECT_EQ(countOf(closer.texts(), unreadable), 1u);
        EXPECT_EQ(window_->player().frameInfo(), nullptr);
    }
}

// The same recording is readable where its sound can be written down: the failure above is the
// lost sound file's, not the recording's.
TEST_F(MainWindowTest, ASoundOnlyRecordingOpensWhenItsSoundCanBeRestored) {
    test::TestFolder soundOnlyCard;
    const Path soundOnlyPath = writeSoundOnlyRecording(soundOnlyCard);
    test::WarningBoxCloser closer;
    window_->openRecordingFile(soundOnlyPath, false);
    closer.stop();
    EXPECT_EQ(closer.boxes(), 0);
    EXPECT_NE(window_->player().frameInfo(), nullptr);
}

TEST_F(MainWindowTest, CancelAtTheManyFilesQuestionLeavesTheViewerAsIfNothingWereOpen) {
    const Path many = manyFiles().file(fromUtf8(cardgen::archiveName(1, 1)));
    openAndPlay(recording(1, 1));
    {
        DialogCanceller canceller;
        window_->openRecordingFile(many, false);
        EXPECT_EQ(canceller.dialogs(), 1);
    }
    expectEmptyViewer();
}

TEST_F(MainWindowTest, CancelAtTheManyFilesQuestionOfAStepLeavesTheViewerAsIfNothingWereOpen) {
    const Path many = manyFiles().file(fromUtf8(cardgen::archiveName(5, 900)));
    {
        DialogCanceller confirmer({IDOK});
        openAndPlay(many);
        EXPECT_EQ(confirmer.dialogs(), 1);
    }
    ASSERT_GT(window_->player().recordingCount(), 1000);
    {
        DialogCanceller canceller;
        window_->stepRecording(true);
        EXPECT_EQ(canceller.dialogs(), 1) << "the question, and nothing after it";
    }
    expectEmptyViewer();
}

TEST_F(MainWindowTest, BusyRefusesCommandsAndClosing) {
    DialogCanceller canceller;
    ConfigPanel& config = window_->configPanel();
    window_->enterBusy();
    EXPECT_TRUE(window_->busy());
    EXPECT_TRUE(menusGreyed());
    EXPECT_FALSE(config.openButton().isEnabled());
    EXPECT_FALSE(config.volumeSlider().isEnabled());
    EXPECT_FALSE(config.brightnessSlider().isEnabled());

    PostMessageW(handle_, WM_COMMAND, kCommandAbout, 0);
    PostMessageW(handle_, WM_COMMAND, kCommandOpen, 0);
    pumpFor(500);
    EXPECT_EQ(canceller.dialogs(), 0);
    SendMessageW(handle_, WM_COMMAND, kCommandExit, 0);
    SendMessageW(handle_, WM_CLOSE, 0, 0);
    pumpFor(100);
    ASSERT_TRUE(IsWindow(handle_));

    window_->leaveBusy();
    EXPECT_FALSE(menusGreyed());
    EXPECT_TRUE(config.openButton().isEnabled());
    EXPECT_TRUE(config.volumeSlider().isEnabled());
    // The same command now opens its dialog.
    PostMessageW(handle_, WM_COMMAND, kCommandAbout, 0);
    pumpUntil([&] { return canceller.dialogs() > 0; }, kLoadTimeoutMs);
    EXPECT_EQ(canceller.dialogs(), 1);
    // A command coming from a control (lParam set) is no menu command.
    PostMessageW(handle_, WM_COMMAND, kCommandAbout, reinterpret_cast<LPARAM>(handle_));
    pumpFor(500);
    EXPECT_EQ(canceller.dialogs(), 1);

    // Nothing loaded: closing ends the window at once.
    SendMessageW(handle_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle_));
    EXPECT_EQ(canceller.dialogs(), 1);
}

TEST_F(MainWindowTest, ClosingWaitsUntilItsOwnDialogIsGone) {
    DialogCanceller canceller;
    // The close arrives while the About dialog is up: its modal loop hands it to the window.
    PostMessageW(handle_, WM_COMMAND, kCommandAbout, 0);
    PostMessageW(handle_, WM_CLOSE, 0, 0);
    pumpUntil([&] { return canceller.dialogs() > 0; }, kLoadTimeoutMs);
    pumpFor(300);
    ASSERT_EQ(canceller.dialogs(), 1);
    ASSERT_TRUE(IsWindow(handle_)) << "the window was destroyed under its own dialog";
    EXPECT_TRUE(IsWindowEnabled(handle_));

    SendMessageW(handle_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle_));
}

TEST_F(MainWindowTest, StepsBeyondTheListWarnAndKeepTheRecording) {
    const Path first = recording(1, 1);
    openAndPlay(first);
    const std::wstring title = first + L" - " + appName;
    wchar_t text[1024] = {};
    GetWindowTextW(handle_, text, 1024);
    EXPECT_EQ(text, title);

    test::WarningBoxCloser closer;
    window_->stepRecording(false);
    closer.stop();
    ASSERT_EQ(closer.boxes(), 1);
    EXPECT_EQ(closer.owner(), handle_);
    EXPECT_NE(std::find(closer.texts().begin(), closer.texts().end(),
                        L"前の日付の記録データはありません。"),
              closer.texts().end());
    // The open recording stays open, paused.
    EXPECT_EQ(window_->player().state(), VideoPlayer::kPaused);
    EXPECT_NE(window_->player().frameInfo(), nullptr);
    EXPECT_EQ(window_->currentPath(), first);

    const Path last = recording(5, 3);
    openAndPlay(last);
    test::WarningBoxCloser lastCloser;
    window_->stepRecording(true);
    lastCloser.stop();
    ASSERT_EQ(lastCloser.boxes(), 1);
    EXPECT_NE(std::find(lastCloser.texts().begin(), lastCloser.texts().end(),
                        L"次の日付の記録データはありません。"),
              lastCloser.texts().end());
    EXPECT_EQ(window_->player().state(), VideoPlayer::kPaused);
    EXPECT_EQ(window_->currentPath(), last);
}

TEST_F(MainWindowTest, VolumeAndBrightnessReachTheWindowsPlayer) {
    ConfigPanel& config = window_->configPanel();
    VideoPlayer& player = window_->player();
    config.volumeSlider().setValue(5, true);
    EXPECT_EQ(player.soundPlayer().getVolume(), 5);
    RECT r;
    GetClientRect(config.standardVolumeButton().hwnd, &r);
    test::sendMouse(config.standardVolumeButton().hwnd, WM_LBUTTONDOWN, r.right / 2, r.bottom / 2);
    test::sendMouse(config.standardVolumeButton().hwnd, WM_LBUTTONUP, r.right / 2, r.bottom / 2);
    EXPECT_EQ(config.volumeSlider().value(), 16);
    EXPECT_EQ(player.soundPlayer().getVolume(), 16);

    config.brightnessSlider().setValue(30, true);
    EXPECT_DOUBLE_EQ(player.brightness().gamma(), 3.0);
    config.brightnessSlider().setValue(0, true);
    EXPECT_EQ(config.brightnessSlider().value(), 1);
    EXPECT_DOUBLE_EQ(player.brightness().gamma(), 0.1);
    GetClientRect(config.standardBrightnessButton().hwnd, &r);
    test::sendMouse(config.standardBrightnessButton().hwnd, WM_LBUTTONDOWN, r.right / 2,
                    r.bottom / 2);
    test::sendMouse(config.standardBrightnessButton().hwnd, WM_LBUTTONUP, r.right / 2, r.bottom / 2);
    EXPECT_EQ(config.brightnessSlider().value(), 12);
    EXPECT_DOUBLE_EQ(player.brightness().gamma(), 1.2);
}

}  // namespace
}  // namespace tavrin
