#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "settings/FirmInfo.h"
#include "settings/GThresholdDialog09_win.h"
#include "settings/SettingsCommand_win.h"
#include "tests/win/SettingsCardFixture.h"

namespace tavrin::test {
namespace {

using firm::header;
using firm::record;

constexpr wchar_t kCaption[] = L"本体設定";

// The four radio buttons as the user sees them: ON, OFF, standard, long-time.
struct Radios {
    bool on = false, off = false, standard = false, longTime = false;
    bool operator==(const Radios& o) const {
        return on == o.on && off == o.off && standard == o.standard && longTime == o.longTime;
    }
};
std::ostream& operator<<(std::ostream& out, const Radios& r) {
    return out << r.on << r.off << r.standard << r.longTime;
}
constexpr Radios kDefaults = {true, false, true, false};

Radios radiosOf(HWND dialog) {
    auto checked = [&](int id) {
        return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    return {checked(1021), checked(1022), checked(1023), checked(1024)};
}

void click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

using GThresholdDialogTest = SettingsCardTest;

TEST_F(GThresholdDialogTest, PresetsFromTheFirmwareFile) {
    struct Case {
        const char* name;
        std::optional<Bytes> firmware;  // none: no file
        Radios shown;
        bool warned;
    };
    const Case cases[] = {
        {"0x02 is on, 0x00 is long-time", header() + record(0x0306, 0x02) + record(0x1801, 0x00),
         {true, false, false, true}, false},
        {"off, mode missing", header() + record(0x0306, 0x00), {false, true, true, false}, false},
        {"standard, buzzer missing", header() + record(0x1801, 0x01), kDefaults, false},
        {"neither key", header() + record(0x0801, 0x00), kDefaults, false},
        {"no file", std::nullopt, kDefaults, true},
        {"foreign header", header(0x05, 0x03) + record(0x0306, 0x00), kDefaults, true},
        {"short file", Bytes{0x00, 0x01}, kDefaults, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        deleteFile(card.file(L"FIRMINFO.DAT"));
        if (c.firmware) writeFirmware(*c.firmware);
        ScriptedChooser chooser({card.path()});
        Radios shown;
        DialogScript script;
        if (c.warned) script.answer(L"警告", IDOK);
        script.act(kCaption, [&](HWND dialog) {
            shown = radiosOf(dialog);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        script.start();
        GThresholdDialog09 dialog(L"C:\\before", chooser.chooser());
        const INT_PTR result = dialog.showModal(owner);
        ASSERT_TRUE(script.finish()) << "missed step " << script.missed();

        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(shown, c.shown);
        std::vector<std::wstring> expectedBoxes;
        if (c.warned) expectedBoxes.push_back(box(L"警告", 5019));
        EXPECT_EQ(script.boxes(), expectedBoxes);
        // The card is asked for before the dialog shows, starting at the remembered folder.
        ASSERT_EQ(chooser.requests.size(), 1u);
        EXPECT_EQ(chooser.requests[0].prompt, loadMessage(5022));
        EXPECT_EQ(chooser.requests[0].start, L"C:\\before");
        EXPECT_EQ(chooser.requests[0].owner, dialog.hwnd);
        EXPECT_FALSE(chooser.requests[0].ownerVisible);
        EXPECT_FALSE(fileExists(settingsFile()));
    }
}

TEST_F(GThresholdDialogTest, OkWritesBothRecordsAheadOfTheCardsOtherRecords) {
    writeFirmware(header() + record(0x0306, 0x01) + record(0x1801, 0x01));
    const Bytes earlier = writeEarlierSettings();
    const Bytes earlierRecords(earlier.begin() + 8, earlier.end());
    ScriptedChooser chooser({card.path()});
    DialogScript script;
    script.act(kCaption, [](HWND dialog) {
              click(dialog, 1022);
              click(dialog, 1024);
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
          })
        .answer(L"確認", IDOK)
        .answer(L"情報", IDOK);
    script.start();
    Path cardPath = L"C:\\somewhere else";
    EXPECT_TRUE(runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser()));
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();

    EXPECT_EQ(script.boxes(), (std::vector<std::wstring>{box(L"確認", 5023), box(L"情報", 5024)}));
    EXPECT_EQ(readBytes(settingsFile()),
              header() + record(0x0306, 0x00) + record(0x1801, 0x00) + earlierRecords);
    EXPECT_EQ(cardPath, card.path()) << "the folder written to is remembered";
    EXPECT_EQ(chooser.requests.size(), 1u) << "a card read at the start is not asked for again";
}

// A card that stores something other than what was written: the read-back check fails inside
// (5007), the user sees 5020, the file just written is removed and nothing else on the card is
// touched.
TEST_F(GThresholdDialogTest, FileThatReadsBackWrongIsRemovedAndNothingElseTouched) {
    const Bytes firmware = header() + record(0x0306, 0x01) + record(0x1801, 0x01);
    writeFirmware(firmware);
    writeEarlierSettings();
    const Bytes other = {7, 7, 7};
    writeBytes(card.file(L"0001_001.DAT"), other);
    // The card keeps a record's value as 0x05 instead of what was written, with a check byte
    // that matches, so only the comparison with the table can notice.
    setFirmInfoWriteHooksForTesting({{}, [this] {
        Bytes stored = readBytes(settingsFile());
        stored[10] = 0x05;
        stored[15] = firm::xorOf(stored, 8, 15);
        setNormalAttributes(settingsFile());
        writeBytes(settingsFile(), stored);
    }});
    ScriptedChooser chooser({card.path()});
    DialogScript script;
    script.act(kCaption, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); })
        .answer(L"確認", IDOK)
        .answer(L"警告", IDOK);
    script.start();
    Path cardPath;
    runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
    const bool finished = script.finish();
    setFirmInfoWriteHooksForTesting({});
    ASSERT_TRUE(finished) << "missed step " << script.missed();

    EXPECT_EQ(script.boxes(), (std::vector<std::wstring>{box(L"確認", 5023), box(L"警告", 5020)}));
    std::vector<std::wstring> left = card.entries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"0001_001.DAT", L"FIRMINFO.DAT"}));
    EXPECT_EQ(readBytes(card.file(L"FIRMINFO.DAT")), Bytes(16, 0x20) + firmware);
    EXPECT_EQ(readBytes(card.file(L"0001_001.DAT")), other);
}

TEST_F(GThresholdDialogTest, AnyCancelWritesNothingAndForgetsTheFolder) {
    writeFirmware(header() + record(0x0306, 0x00) + record(0x1801, 0x00));
    const Bytes earlier = writeEarlierSettings();

    // The card chosen, the write not confirmed: the dialog stays with the user's choices.
    {
        ScriptedChooser chooser({card.path()});
        Radios afterRefusal;
        DialogScript script;
        script.act(kCaption, [](HWND dialog) {
                  click(dialog, 1021);
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              })
            .answer(L"確認", IDCANCEL)
            .act(kCaption, [&](HWND dialog) {
                afterRefusal = radiosOf(dialog);
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
        script.start();
        Path cardPath = L"C:\\remembered";
        runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
        ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
        EXPECT_EQ(afterRefusal, (Radios{true, false, false, true}));
        EXPECT_EQ(cardPath, L"C:\\remembered");
        EXPECT_EQ(readBytes(settingsFile()), earlier);
    }
    // No card at the start, none on OK either: the dialog stays open and asks on the next OK.
    {
        ScriptedChooser chooser({std::nullopt, std::nullopt});
        Radios shown;
        DialogScript script;
        script.act(kCaption, [&](HWND dialog) {
                  shown = radiosOf(dialog);
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              })
            .act(kCaption, [&](HWND dialog) {
                waitUntilAsked(chooser, 2);  // the second OK asked again and left it open
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
        script.start();
        Path cardPath = card.path() + L"\\elsewhere";
        runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
        ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
        EXPECT_EQ(shown, kDefaults);
        EXPECT_EQ(chooser.requests.size(), 2u);
        EXPECT_TRUE(script.boxes().empty());
        EXPECT_EQ(cardPath, card.path() + L"\\elsewhere");
        EXPECT_EQ(readBytes(settingsFile()), earlier);
    }
    // A card chosen, then the dialog cancelled.
    {
        ScriptedChooser chooser({card.path()});
        DialogScript script;
        script.act(kCaption, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        script.start();
        Path cardPath;
        runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
        ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
        EXPECT_EQ(cardPath, L"");
        EXPECT_EQ(readBytes(settingsFile()), earlier);
    }
}

TEST_F(GThresholdDialogTest, CardChosenOnlyOnOkIsWrittenAndRemembered) {
    ScriptedChooser chooser({std::nullopt, card.path()});
    DialogScript script;
    script.act(kCaption, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); })
        .answer(L"確認", IDOK)
        .answer(L"情報", IDOK);
    script.start();
    Path cardPath;
    runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
    ASSERT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(chooser.requests[1].prompt, loadMessage(5022));
    EXPECT_TRUE(chooser.requests[1].ownerVisible);
    EXPECT_EQ(readBytes(settingsFile()), header() + record(0x0306, 0x01) + record(0x1801, 0x01));
    EXPECT_EQ(cardPath, card.path());
}

// A card that cannot take the file: the user is warned, the dialog still ends as written (so the
// folder is remembered), and whatever "KELM.INI" the card held before is left exactly as it was.
TEST_F(GThresholdDialogTest, UnwritableCardWarnsAndKeepsTheEarlierFile) {
    enum class Obstacle { FolderNamedLikeTheFile, FileHeldOpen, FileHeldOpenDeletable, CardRemoved };
    for (Obstacle obstacle :
         {Obstacle::FolderNamedLikeTheFile, Obstacle::FileHeldOpen,
          Obstacle::FileHeldOpenDeletable, Obstacle::CardRemoved}) {
        SCOPED_TRACE(static_cast<int>(obstacle));
        TestFolder parent;
        const Path folder = parent.file(L"card");
        CreateDirectoryW(folder.c_str(), nullptr);
        const Path file = folder + L"\\KELM.INI";
        const Path firmware = folder + L"\\FIRMINFO.DAT";
        writeBytes(firmware, Bytes(16, 0x20) + header() + record(0x0306, 0x01));
        Bytes earlier;
        HANDLE held = INVALID_HANDLE_VALUE;
        if (obstacle == Obstacle::FolderNamedLikeTheFile) {
            CreateDirectoryW(file.c_str(), nullptr);
            writeBytes(file + L"\\inside", {1, 2, 3});
        } else if (obstacle != Obstacle::CardRemoved) {
            earlier = firm::header() + record(0x0101, 0x26);
            writeBytes(file, earlier);
            setHiddenReadOnlyAttributes(file);
            // Held by a program that lets others read and delete it, but not write it.
            const DWORD sharing = obstacle == Obstacle::FileHeldOpenDeletable
                                      ? FILE_SHARE_READ | FILE_SHARE_DELETE
                                      : 0;
            held = CreateFileW(file.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0,
                               nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        ScriptedChooser chooser({folder});
        DialogScript script;
        script.act(kCaption, [&](HWND dialog) {
                  if (obstacle == Obstacle::CardRemoved) {
                      deleteFile(firmware);
                      RemoveDirectoryW(folder.c_str());
                  }
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              })
            .answer(L"確認", IDOK)
            .answer(L"警告", IDOK);
        script.start();
        Path cardPath;
        runSettingsCommand(owner, kUnitSettingsCommand, cardPath, chooser.chooser());
        const bool finished = script.finish();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        ASSERT_TRUE(finished) << "missed step " << script.missed();

        EXPECT_EQ(script.boxes(),
                  (std::vector<std::wstring>{box(L"確認", 5023), box(L"警告", 5020)}));
        EXPECT_EQ(cardPath, folder);
        std::vector<std::wstring> left;
        switch (obstacle) {
            case Obstacle::FolderNamedLikeTheFile:
                EXPECT_TRUE(isDirectory(file));
                EXPECT_EQ(readBytes(file + L"\\inside"), (Bytes{1, 2, 3}));
                break;
            case Obstacle::FileHeldOpen:
            case Obstacle::FileHeldOpenDeletable:
                EXPECT_EQ(readBytes(file), earlier);
                EXPECT_EQ(GetFileAttributesW(file.c_str()) &
                              (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
                          DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
                listFolder(folder, left);
                left.erase(std::remove_if(left.begin(), left.end(),
                                          [](const std::wstring& n) {
                                              return n == L"." || n == L".." ||
                                                     n == L"FIRMINFO.DAT";
                                          }),
                           left.end());
                EXPECT_EQ(left, std::vector<std::wstring>{L"KELM.INI"}) << "nothing else left";
                break;
            case Obstacle::CardRemoved:
                EXPECT_FALSE(isDirectory(folder)) << "the removed card was not brought back";
                break;
        }
    }
}

// The shell's own browser, cancelled: the dialog opens with its defaults and no warning.
TEST_F(GThresholdDialogTest, CancelledShellBrowserLeavesTheDefaults) {
    std::atomic<bool> browserSeen{false};
    std::thread user([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < giveUp) {
            HWND found = nullptr;
            EnumThreadWindows(
                GetWindowThreadProcessId(owner, nullptr),
                [](HWND window, LPARAM data) {
                    if (IsWindowVisible(window) && FindWindowExW(window, nullptr, nullptr, nullptr) &&
                        (FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr) ||
                         FindWindowExW(window, nullptr,
                                       L"SHBrowseForFolder ShellNameSpace Control", nullptr))) {
                        *reinterpret_cast<HWND*>(data) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&found));
            if (found) {
                browserSeen = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    Radios shown;
    DialogScript script;
    script.act(kCaption, [&](HWND dialog) {
        shown = radiosOf(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    script.start();
    GThresholdDialog09 dialog(card.path());
    const INT_PTR result = dialog.showModal(owner);
    user.join();
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
    EXPECT_TRUE(browserSeen);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(shown, kDefaults);
    EXPECT_TRUE(script.boxes().empty());
    EXPECT_EQ(std::wstring(dialog.folder), card.path());
}

}  // namespace
}  // namespace tavrin::test
