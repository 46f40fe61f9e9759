// The two settings dialogs worked from outside on a generated card, as a user works them: what
// they show, what they leave in the card's settings file, how a card that cannot be written is
// reported, and the warning when another copy of the viewer has a settings dialog open.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/FirmInfo.h"
#include "tests/e2e/ViewerSession.h"
#include "tools/cardgen/FirmwareInfoFile.h"

namespace tavrin::e2e {
namespace {

using test::Bytes;

constexpr int kUnitSettingsCommand = 40012;
constexpr int kDateTimeCommand = 40015;

constexpr int kBuzzerOn = 1021;
constexpr int kBuzzerOff = 1022;
constexpr int kStandardMode = 1023;
constexpr int kLongMode = 1024;
constexpr int kDatePicker = 1004;
constexpr int kHourEdit = 1026;
constexpr int kMinuteEdit = 1028;
constexpr int kDateTimeText = 1007;

const wchar_t kUnitCaption[] = L"本体設定";
const wchar_t kDateTimeCaption[] = L"日時設定";
const wchar_t kCardPrompt[] = L"SDメモリーカードのドライブを選択してください。";
const wchar_t kWriteQuestion[] = L"設定ファイルを書き込みます。よろしいですか？";
const wchar_t kWritten[] = L"設定ファイルを書き込みました。";
const wchar_t kCannotWrite[] = L"設定ファイルを書き込めません。";
const wchar_t kOtherCopy[] = L"別のTavrinで設定ダイアログを開いています。";

// ---------------------------------------------------------------------------------------------
// Reaching into the viewer's process

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Memory inside the viewer's process, for the control messages that carry a pointer: unlike
// WM_GETTEXT, the system does not carry those across processes.
class RemoteMemory {
public:
    RemoteMemory(DWORD processId, std::size_t size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId)) {
        if (process_)
            address_ = static_cast<std::uint8_t*>(VirtualAllocEx(
                process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!address_) throw std::runtime_error("no memory to be had in the viewer's process");
    }
    ~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    std::uint8_t* address(std::size_t offset = 0) const { return address_ + offset; }
    LPARAM parameter() const { return reinterpret_cast<LPARAM>(address_); }
    void write(const void* data, std::size_t size, std::size_t offset = 0) const {
        WriteProcessMemory(process_.get(), address_ + offset, data, size, nullptr);
    }
    void read(void* data, std::size_t size, std::size_t offset = 0) const {
        ReadProcessMemory(process_.get(), address_ + offset, data, size, nullptr);
    }

private:
    UniqueHandle process_;
    std::uint8_t* address_ = nullptr;
};

HWND findDescendant(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search = {className, nullptr};
    EnumChildWindows(parent, [](HWND child, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, s->className) != 0) return TRUE;
        s->found = child;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog box of the process that holds a folder tree: the shell's folder browser.
HWND findFolderBrowser(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    EnumWindows([](HWND window, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (owner != s->processId || !IsWindowVisible(window) || std::wstring(name) != L"#32770")
            return TRUE;
        if (!findDescendant(window, WC_TREEVIEWW)) return TRUE;
        s->found = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring lastName(const Path& folder) { return folder.substr(folder.find_last_of(L'\\') + 1); }

bool sameName(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

bool checked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Posted, not sent: a button whose press shows a message box would hold a sent message until
// the box is answered, and only this test answers it.
void clickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::wstring itemText(HWND dialog, int id) { return drive::windowText(GetDlgItem(dialog, id)); }

bool contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// ---------------------------------------------------------------------------------------------
// The viewer with its settings dialogs

class SettingsViewer {
public:
    Viewer& viewer() { return viewer_; }
    DWORD processId() { return viewer_.process().id(); }

    HWND folderBrowser() {
        HWND browser = nullptr;
        waitUntil([&] { return (browser = findFolderBrowser(processId())) != nullptr; },
                  kDialogTimeoutMs);
        return browser;
    }

    // The text of a tree item as the tree shows it.
    std::wstring itemName(HWND tree, HTREEITEM item) {
        if (!item) return {};
        constexpr int kTextLength = MAX_PATH;
        RemoteMemory memory(processId(), sizeof(TVITEMW) + kTextLength * sizeof(wchar_t));
        TVITEMW request = {};
        request.mask = TVIF_TEXT;
        request.hItem = item;
        request.pszText = reinterpret_cast<wchar_t*>(memory.address(sizeof(TVITEMW)));
        request.cchTextMax = kTextLength;
        memory.write(&request, sizeof request);
        if (!SendMessageW(tree, TVM_GETITEMW, 0, memory.parameter())) return {};
        wchar_t text[kTextLength + 1] = {};
        memory.read(text, kTextLength * sizeof(wchar_t), sizeof(TVITEMW));
        return text;
    }

    static HTREEITEM treeItem(HWND tree, WPARAM relation, HTREEITEM from = nullptr) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
    }

    // The name of the folder the browser has selected, as its tree shows it.
    std::wstring selectedFolder(HWND browser) {
        HWND tree = findDescendant(browser, WC_TREEVIEWW);
        return itemName(tree, treeItem(tree, TVGN_CARET));
    }

    // Goes to `folder` in the browser and confirms it; whether the browser took it and went away.
    // Only the drive is found by its path; below it the tree is opened folder by folder and the
    // next one picked by name, as a user clicks through it. (Wine's browser finds a path in its
    // tree by comparing recorded file times too, and a folder looked into since the tree listed
    // it no longer compares equal.)
    bool chooseFolder(HWND browser, const Path& folder) {
        HWND tree = findDescendant(browser, WC_TREEVIEWW);
        const std::wstring drive = folder.substr(0, 3);  // "C:\"
        RemoteMemory text(processId(), (drive.size() + 1) * sizeof(wchar_t));
        text.write(drive.c_str(), (drive.size() + 1) * sizeof(wchar_t));
        if (!waitUntil([&] {
                SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, text.parameter());
                return selectedFolder(browser).find(drive.substr(0, 2)) != std::wstring::npos;
            }, kDialogTimeoutMs))
            return false;
        HTREEITEM item = treeItem(tree, TVGN_CARET);
        for (std::size_t from = 3; from < folder.size();) {
            std::size_t end = folder.find(L'\\', from);
            if (end == Path::npos) end = folder.size();
            const std::wstring name = folder.substr(from, end - from);
            from = end + 1;
            SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            HTREEITEM child = treeItem(tree, TVGN_CHILD, item);
            while (child && !sameName(itemName(tree, child), name))
                child = treeItem(tree, TVGN_NEXT, child);
            if (!child) return false;
            item = child;
        }
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        if (!sameName(selectedFolder(browser), lastName(folder))) return false;
        drive::pressDialogButton(browser, IDOK);
        return drive::waitForWindowGone(browser, kDialogTimeoutMs);
    }

    // The visible dialog box of the viewer with this caption, or null.
    HWND dialog(const wchar_t* caption) {
        return drive::waitForWindow(processId(), L"#32770", caption, kDialogTimeoutMs);
    }

    // The unit settings dialog through the menu, with `folder` chosen in the browser it asks
    // with first; null when it did not come up.
    HWND openUnitSettings(const Path& folder) {
        drive::chooseMenuCommand(viewer_.main(), kUnitSettingsCommand);
        HWND browser = folderBrowser();
        if (!browser) {
            ADD_FAILURE() << "no folder browser";
            return nullptr;
        }
        EXPECT_TRUE(contains(drive::childTexts(browser), kCardPrompt));
        if (!chooseFolder(browser, folder)) {
            ADD_FAILURE() << "the browser did not take " << testing::PrintToString(folder)
                          << "; selected: " << testing::PrintToString(selectedFolder(browser));
            return nullptr;
        }
        return dialog(kUnitCaption);
    }

    HWND openDateTime() {
        drive::chooseMenuCommand(viewer_.main(), kDateTimeCommand);
        return dialog(kDateTimeCaption);
    }

    // The confirmation and the report after a dialog's OK; the report's caption and text as
    // "caption|text", or what went wrong.
    std::wstring confirmAndReport(HWND dialog) {
        HWND question = viewer_.messageBox(L"確認");
        if (!question) return L"no confirmation";
        EXPECT_EQ(GetWindow(question, GW_OWNER), dialog) << "the confirmation's owner";
        EXPECT_EQ(viewer_.answer(question, IDOK), kWriteQuestion);
        return report(dialog);
    }

    // The information or warning box that ends a write, answered, as "caption|text".
    std::wstring report(HWND dialog) {
        HWND box = nullptr;
        std::wstring caption;
        waitUntil([&] {
            for (const wchar_t* candidate : {L"情報", L"警告"}) {
                if ((box = viewer_.messageBox(candidate, 0))) {
                    caption = candidate;
                    return true;
                }
            }
            return false;
        }, kDialogTimeoutMs);
        if (!box) return L"no report";
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog) << "the report's owner";
        return caption + L"|" + viewer_.answer(box, IDOK);
    }

private:
    Viewer viewer_;
};

// ---------------------------------------------------------------------------------------------
// The card

// The bytes of a settings file holding `records`, made by the card generator's record writer
// (the firmware file is the settings file behind a 16-byte prefix).
Bytes settingsFileWith(const std::vector<cardgen::SettingRecord>& records) {
    const Bytes firmware = cardgen::firmwareInfoFile(std::string(16, ' '), records);
    return Bytes(firmware.begin() + 16, firmware.end());
}

const cardgen::SettingRecord kEarlierClock = {cardgen::kClockKey, {0x26, 0x07, 0x15, 0x08, 0x30}};
const cardgen::SettingRecord kSensitivity = {cardgen::kSensitivityKey, {0x05}};

// A generated card and its settings files. The card lies in the temporary folder, which Wine
// keeps on drive C: of its prefix, where its folder browser can reach it.
class SettingsCard {
public:
    SettingsCard() : card_(1, 20) {}

    Path folder() const { return card_.folder(); }
    Path settingsPath() const { return card_.file(L"KELM.INI"); }
    Path firmwarePath() const { return card_.file(L"FIRMINFO.DAT"); }

    // The unit's own report, as the generator writes it but with these two settings.
    void reportUnitSettings(std::uint8_t buzzer, std::uint8_t mode) const {
        test::writeBytes(firmwarePath(),
                         cardgen::firmwareInfoFile("FW 1.07 20120401",
                                                   {kEarlierClock,
                                                    {cardgen::kBuzzerKey, {buzzer}},
                                                    {cardgen::kRecordingModeKey, {mode}},
                                                    kSensitivity}));
    }

    // A settings file as an earlier write left it: hidden and read-only.
    Bytes writeEarlierSettings(const std::vector<cardgen::SettingRecord>& records) const {
        const Bytes bytes = settingsFileWith(records);
        Path path = settingsPath();
        setNormalAttributes(path);
        test::writeBytes(path, bytes);
        setHiddenReadOnlyAttributes(path);
        return bytes;
    }

    Bytes settings() const { return test::readBytes(settingsPath()); }
    DWORD settingsAttributes() const { return GetFileAttributesW(settingsPath().c_str()); }
    std::vector<std::wstring> entries() const {
        std::vector<std::wstring> names;
        std::vector<std::wstring> all;
        listFolder(folder(), all);
        for (const std::wstring& name : all)
            if (name != L"." && name != L"..") names.push_back(name);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    Card card_;
};

// The card's folder under another name for as long as this lives, as when the card is taken out.
class CardTakenAway {
public:
    explicit CardTakenAway(const Path& folder) : folder_(folder), elsewhere_(folder + L"-away") {
        moved_ = MoveFileW(folder_.c_str(), elsewhere_.c_str()) != FALSE;
    }
    ~CardTakenAway() { putBack(); }
    CardTakenAway(const CardTakenAway&) = delete;
    CardTakenAway& operator=(const CardTakenAway&) = delete;

    bool moved() const { return moved_; }
    Path file(const wchar_t* name) const { return elsewhere_ + L"\\" + name; }
    void putBack() {
        if (moved_) moved_ = MoveFileW(elsewhere_.c_str(), folder_.c_str()) == FALSE;
    }

private:
    Path folder_;
    Path elsewhere_;
    bool moved_ = false;
};

constexpr DWORD kAsWritten = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;

// ---------------------------------------------------------------------------------------------
// Unit settings

class ViewerUnitSettings : public testing::Test {
protected:
    SettingsCard card_;
    SettingsViewer viewer_;
};

TEST_F(ViewerUnitSettings, ShowsTheUnitsSettingsAndWritesOnlyWhatChanged) {
    ASSERT_EQ(card_.folder().substr(0, 2), L"C:") << "card at " << card_.folder();
    // The unit reports its buzzer off and long-time recording, the opposite of the dialog's
    // defaults; an earlier write asked for buzzer off and standard mode.
    card_.reportUnitSettings(0x00, 0x00);
    const Bytes firmware = test::readBytes(card_.firmwarePath());
    card_.writeEarlierSettings({{cardgen::kBuzzerKey, {0x00}},
                                {cardgen::kRecordingModeKey, {0x01}},
                                kEarlierClock,
                                kSensitivity});

    HWND dialog = viewer_.openUnitSettings(card_.folder());
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(viewer_.viewer().main())) << "the dialog is not modal";
    const std::vector<std::wstring> texts = drive::childTexts(dialog);
    for (const wchar_t* text : {L"本体ブザーのON/OFFを設定します。 ", L"ブザー設定", L"ON", L"OFF",
                                L"本体の記録モードを設定します。", L"記録モード設定", L"標準モード",
                                L"長時間モード", L"OK", L"キャンセル"})
        EXPECT_TRUE(contains(texts, text)) << "missing: " << testing::PrintToString(text);
    EXPECT_FALSE(checked(dialog, kBuzzerOn));
    EXPECT_TRUE(checked(dialog, kBuzzerOff));
    EXPECT_FALSE(checked(dialog, kStandardMode));
    EXPECT_TRUE(checked(dialog, kLongMode));

    // Buzzer on; the recording mode stays as the unit has it.
    clickButton(dialog, kBuzzerOn);
    ASSERT_TRUE(waitUntil([&] { return checked(dialog, kBuzzerOn); }, kDialogTimeoutMs));
    EXPECT_FALSE(checked(dialog, kBuzzerOff));
    clickButton(dialog, IDOK);
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));

    // The two keys the dialog sets come first, then the earlier records, unchanged and in order.
    EXPECT_EQ(card_.settings(), settingsFileWith({{cardgen::kBuzzerKey, {0x01}},
                                                  {cardgen::kRecordingModeKey, {0x00}},
                                                  kEarlierClock,
                                                  kSensitivity}));
    FirmInfo written;
    written.readFile(card_.settingsPath());
    ASSERT_EQ(written.count(), 4);
    EXPECT_EQ(written.findValue(FirmInfo::kBuzzerKey)[0], 0x01);
    EXPECT_EQ(written.findValue(FirmInfo::kRecordingModeKey)[0], 0x00);
    EXPECT_EQ(card_.settingsAttributes() & kAsWritten, kAsWritten);
    EXPECT_EQ(test::readBytes(card_.firmwarePath()), firmware) << "the unit's report was touched";
    EXPECT_TRUE(IsWindowEnabled(viewer_.viewer().main()));
}

TEST_F(ViewerUnitSettings, CancelWritesNothing) {
    const Bytes earlier = card_.writeEarlierSettings({{cardgen::kBuzzerKey, {0x01}},
                                                      {cardgen::kRecordingModeKey, {0x01}},
                                                      kEarlierClock});
    const std::vector<std::wstring> entries = card_.entries();

    // The generated unit reports buzzer on and standard mode.
    HWND dialog = viewer_.openUnitSettings(card_.folder());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(checked(dialog, kBuzzerOn));
    EXPECT_TRUE(checked(dialog, kStandardMode));
    clickButton(dialog, kBuzzerOff);
    clickButton(dialog, kLongMode);
    ASSERT_TRUE(waitUntil([&] { return checked(dialog, kLongMode) && checked(dialog, kBuzzerOff); },
                          kDialogTimeoutMs));

    // Cancelling the confirmation goes back to the dialog with the choices as they were.
    clickButton(dialog, IDOK);
    HWND question = viewer_.viewer().messageBox(L"確認");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(viewer_.viewer().answer(question, IDCANCEL), kWriteQuestion);
    EXPECT_FALSE(viewer_.viewer().anyMessageBox(L"情報", 500) ||
                 viewer_.viewer().anyMessageBox(L"警告", 0))
        << "a report after no write";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(checked(dialog, kBuzzerOff));
    EXPECT_TRUE(checked(dialog, kLongMode));
    EXPECT_EQ(card_.settings(), earlier);

    clickButton(dialog, IDCANCEL);
    EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
    EXPECT_FALSE(viewer_.viewer().anyMessageBox(nullptr, 1000));
    EXPECT_EQ(card_.settings(), earlier);
    EXPECT_EQ(card_.settingsAttributes() & kAsWritten, kAsWritten);
    EXPECT_EQ(card_.entries(), entries);
}

// The settings file held open by another program when OK is pressed, not shared at all or
// shared only for deleting: the write is refused and reported, the earlier file stays as it was
// (not removed either), and once the file is free the dialog works again, starting at the card
// it was last used on.
TEST_F(ViewerUnitSettings, ASettingsFileInUseIsReportedAndLeftAsItWas) {
    const Bytes earlier = card_.writeEarlierSettings({{cardgen::kBuzzerKey, {0x01}},
                                                      {cardgen::kRecordingModeKey, {0x01}},
                                                      kEarlierClock,
                                                      kSensitivity});
    const std::vector<std::wstring> entries = card_.entries();
    // After the first attempt the browser starts at the card.
    const auto openAgain = [&]() -> HWND {
        drive::chooseMenuCommand(viewer_.viewer().main(), kUnitSettingsCommand);
        HWND browser = viewer_.folderBrowser();
        if (!browser) return nullptr;
        EXPECT_TRUE(waitUntil([&] {
            return sameName(viewer_.selectedFolder(browser), lastName(card_.folder()));
        }, kDialogTimeoutMs)) << "the browser starts at: " << viewer_.selectedFolder(browser);
        if (!viewer_.chooseFolder(browser, card_.folder())) return nullptr;
        return viewer_.dialog(kUnitCaption);
    };

    bool first = true;
    for (DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(sharing ? "shared for deleting" : "not shared");
        HWND dialog = first ? viewer_.openUnitSettings(card_.folder()) : openAgain();
        first = false;
        ASSERT_NE(dialog, nullptr);
        clickButton(dialog, kBuzzerOff);
        ASSERT_TRUE(waitUntil([&] { return checked(dialog, kBuzzerOff); }, kDialogTimeoutMs));
        {
            UniqueHandle held(CreateFileW(card_.settingsPath().c_str(), GENERIC_READ, sharing,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
            clickButton(dialog, IDOK);
            EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"警告|") + kCannotWrite);
            EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
        }
        EXPECT_EQ(card_.settings(), earlier);
        EXPECT_EQ(card_.settingsAttributes() & kAsWritten, kAsWritten);
        EXPECT_EQ(card_.entries(), entries) << "a file was left on the card or taken from it";
    }

    HWND dialog = openAgain();
    ASSERT_NE(dialog, nullptr);
    clickButton(dialog, kLongMode);
    ASSERT_TRUE(waitUntil([&] { return checked(dialog, kLongMode); }, kDialogTimeoutMs));
    clickButton(dialog, IDOK);
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_EQ(card_.settings(), settingsFileWith({{cardgen::kBuzzerKey, {0x01}},
                                                  {cardgen::kRecordingModeKey, {0x00}},
                                                  kEarlierClock,
                                                  kSensitivity}));
}

// The card taken out between choosing it and OK: reported, nothing written anywhere, and the
// card put back can be written.
TEST_F(ViewerUnitSettings, ACardTakenAwayBeforeOkIsReported) {
    const Bytes earlier = card_.writeEarlierSettings({{cardgen::kBuzzerKey, {0x01}},
                                                      {cardgen::kRecordingModeKey, {0x01}},
                                                      kEarlierClock});
    HWND dialog = viewer_.openUnitSettings(card_.folder());
    ASSERT_NE(dialog, nullptr);
    clickButton(dialog, kBuzzerOff);
    ASSERT_TRUE(waitUntil([&] { return checked(dialog, kBuzzerOff); }, kDialogTimeoutMs));
    {
        CardTakenAway away(card_.folder());
        ASSERT_TRUE(away.moved());
        clickButton(dialog, IDOK);
        EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"警告|") + kCannotWrite);
        EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
        EXPECT_EQ(GetFileAttributesW(card_.folder().c_str()), INVALID_FILE_ATTRIBUTES)
            << "the viewer made the card's folder anew";
        EXPECT_EQ(test::readBytes(away.file(L"KELM.INI")), earlier);
    }

    dialog = viewer_.openUnitSettings(card_.folder());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(checked(dialog, kBuzzerOn)) << "the unit's report, not the last choice";
    clickButton(dialog, kBuzzerOff);
    ASSERT_TRUE(waitUntil([&] { return checked(dialog, kBuzzerOff); }, kDialogTimeoutMs));
    clickButton(dialog, IDOK);
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_EQ(card_.settings(), settingsFileWith({{cardgen::kBuzzerKey, {0x00}},
                                                  {cardgen::kRecordingModeKey, {0x01}},
                                                  kEarlierClock}));
}

// ---------------------------------------------------------------------------------------------
// Date and time

SYSTEMTIME localNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// A date as the calendar has it, day of the week included.
SYSTEMTIME calendarDate(WORD year, WORD month, WORD day) {
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    FILETIME file;
    SystemTimeToFileTime(&date, &file);
    FileTimeToSystemTime(&file, &date);
    return date;
}

class ViewerDateTime : public testing::Test {
protected:
    SYSTEMTIME pickedDate(HWND dialog) {
        RemoteMemory memory(viewer_.processId(), sizeof(SYSTEMTIME));
        SendMessageW(GetDlgItem(dialog, kDatePicker), DTM_GETSYSTEMTIME, 0, memory.parameter());
        SYSTEMTIME date = {};
        memory.read(&date, sizeof date);
        return date;
    }

    // Puts a date into the picker and types the hour and the minute into their boxes.
    void enter(HWND dialog, const SYSTEMTIME& date, const wchar_t* hour, const wchar_t* minute) {
        RemoteMemory memory(viewer_.processId(), sizeof(SYSTEMTIME));
        memory.write(&date, sizeof date);
        SendMessageW(GetDlgItem(dialog, kDatePicker), DTM_SETSYSTEMTIME, GDT_VALID,
                     memory.parameter());
        SendMessageW(GetDlgItem(dialog, kHourEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(hour));
        SendMessageW(GetDlgItem(dialog, kMinuteEdit), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(minute));
    }

    // OK, the card chosen in the browser that follows.
    bool okOnCard(HWND dialog) {
        clickButton(dialog, IDOK);
        HWND browser = viewer_.folderBrowser();
        if (!browser) return false;
        EXPECT_TRUE(contains(drive::childTexts(browser), kCardPrompt));
        return viewer_.chooseFolder(browser, card_.folder());
    }

    SettingsCard card_;
    SettingsViewer viewer_;
};

TEST_F(ViewerDateTime, StartsAtNowAndWritesTheEnteredClock) {
    ASSERT_EQ(card_.folder().substr(0, 2), L"C:") << "card at " << card_.folder();
    card_.writeEarlierSettings(
        {kEarlierClock, {cardgen::kBuzzerKey, {0x00}}, {cardgen::kRecordingModeKey, {0x01}},
         kSensitivity});
    const SYSTEMTIME before = localNow();
    HWND dialog = viewer_.openDateTime();
    ASSERT_NE(dialog, nullptr);
    const SYSTEMTIME after = localNow();
    EXPECT_EQ(itemText(dialog, kDateTimeText),
              L"本体の日時を設定します。\nここでは、現在の日時ではなく、エンジンを始動させ本体の電源が"
              L"ＯＮになる日付・時刻を想定して設定して下さい。");
    const std::vector<std::wstring> texts = drive::childTexts(dialog);
    for (const wchar_t* text : {L"日時", L"時", L"分", L"OK", L"キャンセル"})
        EXPECT_TRUE(contains(texts, text)) << "missing: " << testing::PrintToString(text);
    // Now, read on either side of the dialog's start (a minute may turn meanwhile).
    const SYSTEMTIME shown = pickedDate(dialog);
    const std::wstring hour = itemText(dialog, kHourEdit);
    const std::wstring minute = itemText(dialog, kMinuteEdit);
    const auto sameDay = [&](const SYSTEMTIME& t) {
        return shown.wYear == t.wYear && shown.wMonth == t.wMonth && shown.wDay == t.wDay;
    };
    EXPECT_TRUE(sameDay(before) || sameDay(after));
    const auto sameTime = [&](const SYSTEMTIME& t) {
        return hour == std::to_wstring(t.wHour) && minute == std::to_wstring(t.wMinute);
    };
    EXPECT_TRUE(sameTime(before) || sameTime(after)) << "shown: " << testing::PrintToString(hour)
                                                     << ":" << testing::PrintToString(minute);

    enter(dialog, calendarDate(2031, 3, 4), L"5", L"6");
    const SYSTEMTIME entered = pickedDate(dialog);
    EXPECT_EQ(entered.wYear, 2031);
    EXPECT_EQ(entered.wMonth, 3);
    EXPECT_EQ(entered.wDay, 4);
    ASSERT_TRUE(okOnCard(dialog));
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));

    EXPECT_EQ(card_.settings(),
              settingsFileWith({{cardgen::kClockKey, {0x31, 0x03, 0x04, 0x05, 0x06}},
                                {cardgen::kBuzzerKey, {0x00}},
                                {cardgen::kRecordingModeKey, {0x01}},
                                kSensitivity}));
    FirmInfo written;
    written.readFile(card_.settingsPath());
    ASSERT_EQ(written.count(), 4);
    const std::uint8_t* clock = written.findValue(FirmInfo::kClockKey);
    EXPECT_EQ(Bytes(clock, clock + 5), (Bytes{0x31, 0x03, 0x04, 0x05, 0x06}));
    EXPECT_EQ(card_.settingsAttributes() & kAsWritten, kAsWritten);
}

// An hour the box cannot hold is refused when OK is pressed; the dialog stays for a correction.
TEST_F(ViewerDateTime, AnHourThatIsNoNumberIsRefused) {
    const Bytes earlier = card_.writeEarlierSettings({kEarlierClock, kSensitivity});
    HWND dialog = viewer_.openDateTime();
    ASSERT_NE(dialog, nullptr);
    enter(dialog, calendarDate(2029, 1, 2), L"ab", L"15");
    ASSERT_TRUE(okOnCard(dialog));
    HWND question = viewer_.viewer().messageBox(L"確認");
    ASSERT_NE(question, nullptr);
    viewer_.viewer().answer(question, IDOK);
    EXPECT_EQ(viewer_.report(dialog), L"警告|時刻の範囲が正しくありません。");
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(card_.settings(), earlier);

    SendMessageW(GetDlgItem(dialog, kHourEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
    ASSERT_TRUE(okOnCard(dialog));
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_EQ(card_.settings(),
              settingsFileWith({{cardgen::kClockKey, {0x29, 0x01, 0x02, 0x07, 0x15}},
                                kSensitivity}));
}

// The card taken out while the confirmation is on screen: the write is reported as failed and
// the settings file, wherever the card now is, is as it was.
TEST_F(ViewerDateTime, ACardTakenAwayDuringTheConfirmationIsReported) {
    const Bytes earlier = card_.writeEarlierSettings({kEarlierClock, kSensitivity});
    HWND dialog = viewer_.openDateTime();
    ASSERT_NE(dialog, nullptr);
    enter(dialog, calendarDate(2030, 12, 31), L"23", L"59");
    ASSERT_TRUE(okOnCard(dialog));
    HWND question = viewer_.viewer().messageBox(L"確認");
    ASSERT_NE(question, nullptr);
    {
        CardTakenAway away(card_.folder());
        ASSERT_TRUE(away.moved());
        EXPECT_EQ(viewer_.viewer().answer(question, IDOK), kWriteQuestion);
        EXPECT_EQ(viewer_.report(dialog), std::wstring(L"警告|") + kCannotWrite);
        EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
        EXPECT_EQ(test::readBytes(away.file(L"KELM.INI")), earlier);
    }
    EXPECT_EQ(card_.settings(), earlier);

    // Back in, the same date goes onto the card.
    dialog = viewer_.openDateTime();
    ASSERT_NE(dialog, nullptr);
    enter(dialog, calendarDate(2030, 12, 31), L"23", L"59");
    ASSERT_TRUE(okOnCard(dialog));
    EXPECT_EQ(viewer_.confirmAndReport(dialog), std::wstring(L"情報|") + kWritten);
    EXPECT_EQ(card_.settings(),
              settingsFileWith({{cardgen::kClockKey, {0x30, 0x12, 0x31, 0x23, 0x59}},
                                kSensitivity}));
}

// ---------------------------------------------------------------------------------------------
// Two copies of the viewer

TEST(ViewerSettingsGuard, AnotherCopysOpenDialogIsWarnedAboutButDoesNotBlock) {
    SettingsViewer first;
    SettingsViewer second;

    // One copy, one dialog after the other: no warning.
    HWND dialog = first.openDateTime();
    ASSERT_NE(dialog, nullptr);
    clickButton(dialog, IDCANCEL);
    ASSERT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
    drive::chooseMenuCommand(first.viewer().main(), kUnitSettingsCommand);
    HWND browser = first.folderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(first.viewer().anyMessageBox(L"警告", 0));
    drive::pressDialogButton(browser, IDCANCEL);
    // The browser cancelled, the dialog opens with its defaults.
    dialog = first.dialog(kUnitCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(checked(dialog, kBuzzerOn));
    EXPECT_TRUE(checked(dialog, kStandardMode));

    // While it is open, the other copy is warned, over its own window, and still gets its dialog.
    drive::chooseMenuCommand(second.viewer().main(), kDateTimeCommand);
    HWND warning = second.viewer().messageBox(L"警告");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(GetWindow(warning, GW_OWNER), second.viewer().main());
    EXPECT_EQ(second.viewer().answer(warning, IDOK), kOtherCopy);
    HWND other = second.dialog(kDateTimeCaption);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(second.viewer().anyMessageBox(L"警告", 500)) << "warned twice";
    clickButton(other, IDCANCEL);
    ASSERT_TRUE(drive::waitForWindowGone(other, kDialogTimeoutMs));

    // Still warned for as long as the first copy's dialog is open.
    drive::chooseMenuCommand(second.viewer().main(), kDateTimeCommand);
    warning = second.viewer().messageBox(L"警告");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(second.viewer().answer(warning, IDOK), kOtherCopy);
    other = second.dialog(kDateTimeCaption);
    ASSERT_NE(other, nullptr);
    clickButton(other, IDCANCEL);
    ASSERT_TRUE(drive::waitForWindowGone(other, kDialogTimeoutMs));

    // Once it is closed, no more warnings.
    clickButton(dialog, IDCANCEL);
    ASSERT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
    drive::chooseMenuCommand(second.viewer().main(), kDateTimeCommand);
    other = second.dialog(kDateTimeCaption);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(second.viewer().anyMessageBox(L"警告", 0));
    // And the other way round: the second copy's dialog warns the first.
    drive::chooseMenuCommand(first.viewer().main(), kDateTimeCommand);
    warning = first.viewer().messageBox(L"警告");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(first.viewer().answer(warning, IDOK), kOtherCopy);
    dialog = first.dialog(kDateTimeCaption);
    ASSERT_NE(dialog, nullptr);
    clickButton(dialog, IDCANCEL);
    clickButton(other, IDCANCEL);
    EXPECT_TRUE(drive::waitForWindowGone(dialog, kDialogTimeoutMs));
    EXPECT_TRUE(drive::waitForWindowGone(other, kDialogTimeoutMs));
}

}  // namespace
}  // namespace tavrin::e2e
