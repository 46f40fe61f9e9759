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
#include "recording/TextEncoding.h"
#include "tests/e2e/MenuLook.h"
#include "tests/e2e/ViewerSession.h"
#include "tests/support/TestFolder.h"

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
    drive::capture(viewer_.main(), false);  // brought to the front
    EXPECT_TRUE(samePicture(crop(settledPicture(viewer_.main()), look.bar), look.barPicture))
        << "the menu bar";
    for (std::size_t column = 0; column < viewerMenu().size(); ++column) {
        const wchar_t* title = viewerMenu()[column].title;
        SCOPED_TRACE(testing::PrintToString(std::wstring(title)));
        drive::pressWithAlt(viewer_.main(), mnemonicKey(title));
        HWND open = drive::waitForOpenMenu(viewer_.process().id(), kDialogTimeoutMs);
        ASSERT_NE(open, nullptr) << "its letter opened nothing";
        EXPECT_TRUE(samePicture(settledPicture(open), look.columns[column]));
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

// Files of type .html are opened by `command` (%1 the file) while this lives, or by nothing at
// all when it is empty; what the registry held before comes back afterwards. Written where
// Wine's shell looks for file types, the machine's classes (it does not look at the user's).
class HtmlOpener {
public:
    explicit HtmlOpener(const std::wstring& command) {
        HKEY type = nullptr;
        DWORD disposition = 0;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTypeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &type,
                        &disposition);
        typeExisted_ = disposition == REG_OPENED_EXISTING_KEY;
        wchar_t previous[256] = {};
        DWORD size = sizeof previous;
        if (RegQueryValueExW(type, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous),
                             &size) == ERROR_SUCCESS)
            previous_ = previous;
        setDefault(type, kClass);
        RegCloseKey(type);
        HKEY open = nullptr;
        const std::wstring openKey = std::wstring(kClassKey) + L"\\shell\\open\\command";
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, (command.empty() ? kClassKey : openKey.c_str()), 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &open, nullptr);
        if (!command.empty()) setDefault(open, command);
        RegCloseKey(open);
    }
    ~HtmlOpener() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
        if (!typeExisted_) {
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTypeKey);
            return;
        }
        HKEY type = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTypeKey, 0, KEY_ALL_ACCESS, &type) != ERROR_SUCCESS)
            return;
        if (previous_.empty())
            RegDeleteValueW(type, nullptr);
        else
            setDefault(type, previous_);
        RegCloseKey(type);
    }
    HtmlOpener(const HtmlOpener&) = delete;
    HtmlOpener& operator=(const HtmlOpener&) = delete;

private:
    static constexpr wchar_t kTypeKey[] = L"Software\\Classes\\.html";
    static constexpr wchar_t kClass[] = L"TavrinTest.Page";
    static constexpr wchar_t kClassKey[] = L"Software\\Classes\\TavrinTest.Page";

    static void setDefault(HKEY key, const std::wstring& value) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    bool typeExisted_ = false;
    std::wstring previous_;
};

// An HTML resource of this program, which carries the viewer's resources too.
std::string htmlResource(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_HTML);
    if (!found) return {};
    const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(data, SizeofResource(nullptr, found));
}

std::string fileText(const Path& path) {
    const test::Bytes bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(ViewerMenu, HelpOpensThePageWithItsPicturesBesideIt) {
    // The browser stands in as a command that writes down what it was given to open.
    test::TestFolder folder;
    const Path record = folder.file(L"opened.txt");
    const HtmlOpener opener(L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + record + L"\"");
    chooseWithKeys(kHelp);
    ASSERT_TRUE(waitUntil([&] { return !test::readBytes(record).empty(); }, kDialogTimeoutMs))
        << "nothing was opened";
    EXPECT_FALSE(viewer_.anyMessageBox(nullptr, 500)) << "help was reported as failed";

    std::string opened = fileText(record);
    opened.erase(std::remove_if(opened.begin(), opened.end(),
                                [](char c) { return c == '"' || c == '\r' || c == '\n'; }),
                 opened.end());
    const Path page = fromUtf8(opened);
    const std::string text = fileText(page);
    ASSERT_FALSE(text.empty()) << "no page at " << opened;
    EXPECT_TRUE(text == htmlResource(22100)) << "the page is not the program's";
    // Every picture the page names lies beside it, as the program carries it.
    const Path beside = page.substr(0, page.find_last_of(L'\\') + 1);
    int pictures = 0;
    for (std::size_t at = text.find("src=\""); at != std::string::npos;
         at = text.find("src=\"", at + 1)) {
        const std::string name = text.substr(at + 5, text.find('"', at + 5) - at - 5);
        EXPECT_TRUE(fileText(beside + fromUtf8(name)) == htmlResource(std::stoi(name)))
            << "picture " << name << " is missing or not the program's";
        ++pictures;
    }
    EXPECT_GE(pictures, 4 + 16) << "an area picture per section and a marker per line";
}

TEST_F(ViewerMenu, HelpThatNothingCanOpenIsReported) {
    const HtmlOpener nothing(L"");
    chooseWithKeys(kHelp);
    HWND box = viewer_.messageBox(L"警告");
    ASSERT_NE(box, nullptr) << "no warning";
    EXPECT_EQ(viewer_.answer(box, IDOK), L"ヘルプを表示できません。");
    EXPECT_FALSE(viewer_.anyMessageBox(nullptr, 500));
}

}  // namespace
}  // namespace tavrin::e2e
