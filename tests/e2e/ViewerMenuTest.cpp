// The menu bar worked as a user works it: its texts and their order as the screen shows them,
// every command chosen with its mnemonic keys and with mouse clicks on the menu, and the help
// page it opens.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "recording/Platform.h"
#include "tests/e2e/MenuLook.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

constexpr UINT kOpen = 40004;
constexpr UINT kExit = 40005;
constexpr UINT kUnitSettings = 40012;
constexpr UINT kDateTime = 40015;
constexpr UINT kHelp = 40019;
constexpr UINT kAbout = 40020;

// The viewer's menu, texts exactly as the user is to see them.
const std::vector<MenuColumn>& viewerMenu() {
    static const std::vector<MenuColumn> menu = {
        {L"ファイル(&F)", {{kOpen, L"開く(&O)..."}, {0, nullptr}, {kExit, L"終了(&X)"}}},
        {L"設定(&S)", {{kUnitSettings, L"本体設定(&S)..."}, {kDateTime, L"日時設定(&C)..."}}},
        {L"ヘルプ(&H)",
         {{kHelp, L"ヘルプ(&H)..."}, {0, nullptr}, {kAbout, L"バージョン情報(&A)..."}}},
    };
    return menu;
}

struct Place {
    std::size_t column;
    std::size_t entry;
};

Place placeOf(UINT command) {
    for (std::size_t column = 0; column < viewerMenu().size(); ++column) {
        const auto& entries = viewerMenu()[column].entries;
        for (std::size_t entry = 0; entry < entries.size(); ++entry)
            if (entries[entry].command == command) return {column, entry};
    }
    throw std::logic_error("no such command in the menu");
}

bool contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class ViewerMenu : public testing::Test {
protected:
    // The column of `command` opened and the command chosen in it, from the keyboard: Alt with
    // the column's letter, then the entry's letter.
    void chooseWithKeys(UINT command) {
        const Place place = placeOf(command);
        const MenuColumn& column = viewerMenu()[place.column];
        drive::pressWithAlt(viewer_.main(), mnemonicKey(column.title));
        ASSERT_NE(drive::waitForOpenMenu(viewer_.process().id(), kDialogTimeoutMs), nullptr)
            << "Alt+" << static_cast<char>(mnemonicKey(column.title)) << " opened nothing";
        drive::typeKey(viewer_.main(), mnemonicKey(column.entries[place.entry].text));
    }

    // The same with the mouse: a click on the column's title, then one on the entry.
    void chooseWithClicks(UINT command, const MenuLook& look) {
        const Place place = placeOf(command);
        drive::clickOnScreen(viewer_.main(),
                             screenMiddle(viewer_.main(), look.titles[place.column]));
        HWND open = drive::waitForOpenMenu(viewer_.process().id(), kDialogTimeoutMs);
        ASSERT_NE(open, nullptr) << "a click on the title of column " << place.column
                                 << " opened nothing";
        drive::clickOnScreen(viewer_.main(),
                             screenMiddle(open, look.entries[place.column][place.entry]));
    }

    // The dialogs the command brought up one after the other, each named and cancelled: the
    // open-file dialog ("open"), the card folder browser ("card folder"), otherwise the dialog's
    // caption; "nothing" when nothing came.
    std::wstring shownAndClosed() {
        constexpr int kFileNameBox = 0x47C;
        std::wstring shown;
        DWORD wait = kDialogTimeoutMs;
        while (HWND dialog =
                   drive::waitForWindow(viewer_.process().id(), L"#32770", nullptr, wait)) {
            // Wine fills a dialog in after showing it.
            Sleep(300);
            std::wstring name = drive::windowText(dialog);
            if (GetDlgItem(dialog, kFileNameBox))
                name = L"open";
            else if (contains(drive::childTexts(dialog),
                              L"SDメモリーカードのドライブを選択してください。"))
                name = L"card folder";
            shown += (shown.empty() ? L"" : L", ") + name;
            drive::pressDialogButton(dialog, IDCANCEL);
            if (!drive::waitForWindowGone(dialog, kDialogTimeoutMs)) return shown + L" stays";
            // What the first one leads to comes soon after it.
            wait = 1000;
        }
        return shown.empty() ? L"nothing" : shown;
    }

    // Every command but help, the exit last: what each brought up.
    template <typename Choose>
    void expectEveryCommandDoesItsOwn(Choose choose) {
        const std::vector<std::pair<UINT, std::wstring>> expected = {
            {kOpen, L"open"},
            {kUnitSettings, L"card folder, 本体設定"},
            {kDateTime, L"日時設定"},
            {kAbout, L"バージョン情報"},
        };
        for (const auto& [command, shown] : expected) {
            SCOPED_TRACE("command " + std::to_string(command));
            choose(command);
            EXPECT_EQ(shownAndClosed(), shown);
        }
        // Nothing is open: the exit ends the viewer without a question.
        choose(kExit);
        EXPECT_TRUE(viewer_.process().waitForExit(kDialogTimeoutMs)) << "the exit did not end it";
    }

    Viewer viewer_;
};

TEST_F(ViewerMenu, ShowsEveryMenuWithItsTextsInTheirOrder) {
    const MenuLook look = MenuLook::of(viewer_.main(), viewerMenu());
    EXPECT_TRUE(samePicture(crop(drive::capture(viewer_.main(), false), look.bar), look.barPicture))
        << "the menu bar";
    for (std::size_t column = 0; column < viewerMenu().size(); ++column) {
        const wchar_t* title = viewerMenu()[column].title;
        SCOPED_TRACE(testing::PrintToString(std::wstring(title)));
        drive::pressWithAlt(viewer_.main(), mnemonicKey(title));
        HWND open = drive::waitForOpenMenu(viewer_.process().id(), kDialogTimeoutMs);
        ASSERT_NE(open, nullptr) << "its letter opened nothing";
        EXPECT_TRUE(samePicture(drive::captureInPlace(open, false), look.columns[column]));
        closeMenu(viewer_.main(), viewer_.process().id());
    }
}

TEST_F(ViewerMenu, EveryCommandComesFromItsLetters) {
    expectEveryCommandDoesItsOwn([this](UINT command) { chooseWithKeys(command); });
}

TEST_F(ViewerMenu, EveryCommandComesFromClicksOnTheMenu) {
    const MenuLook look = MenuLook::of(viewer_.main(), viewerMenu());
    expectEveryCommandDoesItsOwn([&](UINT command) { chooseWithClicks(command, look); });
}

}  // namespace
}  // namespace tavrin::e2e
