#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/CardFolder_win.h"
#include "tests/settings/SettingsFixtures.h"
#include "tests/support/TestFolder.h"
#include "tests/win/SettingsDialogScript.h"
#include "ui/AppInstance_win.h"
#include "ui/Messages.h"

namespace tavrin::test {

using firm::operator+;

// Stands in for the folder browser: answers each request with the next scripted folder (none:
// cancelled) and notes what it was asked. `beforeAnswer` runs just before a folder is handed out.
class ScriptedChooser {
public:
    struct Request {
        std::wstring prompt;
        HWND owner;
        bool ownerVisible;
        std::wstring start;
    };

    explicit ScriptedChooser(std::vector<std::optional<Path>> answers)
        : answers_(std::move(answers)) {}

    FolderChooser chooser() {
        return [this](const wchar_t* prompt, HWND owner, wchar_t (&folder)[MAX_PATH]) {
            requests.push_back({prompt, owner, IsWindowVisible(owner) != FALSE, folder});
            ++asked;
            if (requests.size() > answers_.size() || !answers_[requests.size() - 1]) return false;
            wcscpy_s(folder, answers_[requests.size() - 1]->c_str());
            return true;
        };
    }

    // Read on the dialog's thread only; `asked` may be watched from the script's.
    std::vector<Request> requests;
    std::atomic<int> asked{0};

private:
    std::vector<std::optional<Path>> answers_;
};

// From the script's thread: waits (ten seconds at most) until the chooser was asked `times`.
inline void waitUntilAsked(const ScriptedChooser& chooser, int times) {
    for (int i = 0; i < 1000 && chooser.asked < times; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// A card folder in the temporary folder, a shown owner window for the dialogs, and the common
// controls the date dialog needs.
class SettingsCardTest : public ::testing::Test {
protected:
    SettingsCardTest() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 120, 90, 640, 480,
                                nullptr, nullptr, appInstance, nullptr);
    }
    ~SettingsCardTest() override { DestroyWindow(owner); }

    Path settingsFile() const { return card.file(L"KELM.INI"); }

    // "FIRMINFO.DAT" as the unit leaves it: 16 bytes the viewer skips, then a settings table.
    void writeFirmware(const Bytes& table) const {
        writeBytes(card.file(L"FIRMINFO.DAT"), Bytes(16, 0x20) + table);
    }

    // An earlier "KELM.INI" with a clock record, left hidden and read-only as the writer leaves
    // it; returns its bytes.
    Bytes writeEarlierSettings() const {
        const Bytes bytes = firm::header() + firm::record(0x0101, 0x26, 0x07) +
                            firm::record(0x0801, 0x05);
        writeBytes(settingsFile(), bytes);
        setHiddenReadOnlyAttributes(settingsFile());
        return bytes;
    }

    static std::wstring box(const wchar_t* caption, unsigned textId) {
        return std::wstring(caption) + L"|" + loadMessage(textId);
    }

    TestFolder card;
    HWND owner = nullptr;
};

}  // namespace tavrin::test
