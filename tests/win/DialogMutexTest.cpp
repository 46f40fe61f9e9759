#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "settings/DialogMutex_win.h"
#include "settings/SettingsCommand_win.h"
#include "tests/win/SettingsCardFixture.h"
#include "tests/win/WarningBoxCloser.h"

namespace tavrin::test {
namespace {

// Set in the environment of a second copy of this program, started to stand for another copy
// of the viewer: "<ready event>|<release event>".
constexpr wchar_t kHelperVariable[] = L"TAVRIN_GUARD_HOLDER";

// Only does something in the second copy: takes the guard as an open settings dialog would,
// says so, and keeps it until told to let go.
TEST(DialogMutexHelper, HoldsTheGuardWhenStartedAsAnotherCopy) {
    wchar_t names[256] = {};
    if (!GetEnvironmentVariableW(kHelperVariable, names, 256)) GTEST_SKIP() << "not the helper";
    const std::wstring both = names;
    const std::size_t bar = both.find(L'|');
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, both.substr(0, bar).c_str());
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, both.substr(bar + 1).c_str());
    ASSERT_TRUE(ready && release);
    DialogMutex guard;
    EXPECT_TRUE(guard.holds());
    SetEvent(ready);
    WaitForSingleObject(release, 120000);
    CloseHandle(ready);
    CloseHandle(release);
}

// A second copy of this program holding the guard, from start-up until let go or destroyed.
class AnotherCopy {
public:
    AnotherCopy() {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" +
                                 std::to_wstring(GetTickCount());
        const std::wstring readyName = L"TavrinGuardReady_" + tag;
        const std::wstring releaseName = L"TavrinGuardRelease_" + tag;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
        wchar_t program[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(program) +
                               L"\" --gtest_filter=DialogMutexHelper.*";
        SetEnvironmentVariableW(kHelperVariable, (readyName + L"|" + releaseName).c_str());
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
        SetEnvironmentVariableW(kHelperVariable, nullptr);
    }
    ~AnotherCopy() {
        letGo();
        CloseHandle(ready_);
        CloseHandle(release_);
    }

    // Whether the other copy came up holding the guard; a loaded machine under Wine has taken
    // several seconds to start a process.
    bool holding() {
        HANDLE either[2] = {ready_, process_};
        return process_ && WaitForMultipleObjects(2, either, FALSE, 60000) == WAIT_OBJECT_0;
    }
    // Lets go of the guard and waits for the copy to end; true when it ended.
    bool letGo() {
        if (!process_) return true;
        SetEvent(release_);
        const bool ended = WaitForSingleObject(process_, 60000) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process_, 1);
        CloseHandle(process_);
        process_ = nullptr;
        return ended;
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    HANDLE process_ = nullptr;
};

class DialogMutexTest : public SettingsCardTest {
protected:
    // Opens the date dialog through the menu command and cancels it; how many warnings came
    // first (with their texts and owner), and whether the dialog showed.
    struct Run {
        std::vector<std::wstring> warnings;
        HWND warningOwner = nullptr;
        bool dialogShown = false;
    };
    Run openSettings() {
        Run run;
        WarningBoxCloser closer;
        DialogScript script;
        script.act(L"日時設定", [&](HWND dialog) {
            run.dialogShown = true;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        script.start();
        Path cardPath = card.path();
        runSettingsCommand(owner, kDateTimeCommand, cardPath);
        script.finish();
        closer.stop();
        for (const std::wstring& text : closer.texts())
            if (text != L"OK" && !text.empty()) run.warnings.push_back(text);
        run.warningOwner = closer.owner();
        return run;
    }
};

TEST_F(DialogMutexTest, AnotherCopysOpenDialogIsWarnedAboutEveryTimeButNeverBlocks) {
    AnotherCopy other;
    ASSERT_TRUE(other.holding()) << "the second copy did not take the guard";
    {
        DialogMutex guard;
        EXPECT_TRUE(guard.heldElsewhere());
        EXPECT_FALSE(guard.holds());
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        const Run run = openSettings();
        EXPECT_EQ(run.warnings, std::vector<std::wstring>{loadMessage(5060)});
        EXPECT_EQ(run.warningOwner, owner);
        EXPECT_TRUE(run.dialogShown);
    }

    ASSERT_TRUE(other.letGo());
    const Run afterwards = openSettings();
    EXPECT_TRUE(afterwards.warnings.empty());
    EXPECT_TRUE(afterwards.dialogShown);
}

TEST_F(DialogMutexTest, DialogsOfOneCopyOneAfterAnotherNeverWarn) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        const Run run = openSettings();
        EXPECT_TRUE(run.warnings.empty());
        EXPECT_TRUE(run.dialogShown);
    }
    // The guard is really let go in between: a fresh one is the first holder again.
    DialogMutex guard;
    EXPECT_TRUE(guard.holds());
    EXPECT_FALSE(guard.heldElsewhere());
}

}  // namespace
}  // namespace tavrin::test
