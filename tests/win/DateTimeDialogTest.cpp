#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/DateTimeDialog_win.h"
#include "settings/SettingsCommand_win.h"
#include "tests/win/SettingsCardFixture.h"

namespace tavrin::test {
namespace {

using firm::header;
using firm::record;

constexpr wchar_t kCaption[] = L"日時設定";
constexpr int kDate = 1004, kHourEdit = 1026, kMinuteEdit = 1028;

// Puts the focus on an edit and types `text` over its content, as the keyboard would.
void type(HWND dialog, int editId, const std::wstring& text) {
    HWND edit = GetDlgItem(dialog, editId);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

void moveFocusTo(HWND dialog, int id) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

bool sameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

SYSTEMTIME pickerDate(HWND dialog) {
    SYSTEMTIME date = {};
    SendDlgItemMessageW(dialog, kDate, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    return date;
}

// The clock record the unit reads: key 0x0101, then year, month, day, hour, minute in BCD.
Bytes clockRecord(std::uint8_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h,
                  std::uint8_t mi) {
    Bytes bytes = {0x01, 0x01, y, mo, d, h, mi};
    bytes.push_back(firm::xorOf(bytes, 0, 7));
    return bytes;
}

using DateTimeDialogTest = SettingsCardTest;

TEST_F(DateTimeDialogTest, StartsAtNowWithinTheUnitsRange) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    SYSTEMTIME range[2] = {};
    DWORD rangeFlags = 0;
    SYSTEMTIME initial = {}, afterTooEarly = {}, afterTooLate = {}, afterInRange = {};
    std::wstring hourText, minuteText;
    DialogScript script;
    script.act(kCaption, [&](HWND dialog) {
        HWND picker = GetDlgItem(dialog, kDate);
        rangeFlags = static_cast<DWORD>(
            SendMessageW(picker, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
        initial = pickerDate(dialog);
        hourText = DialogScript::itemText(dialog, kHourEdit);
        minuteText = DialogScript::itemText(dialog, kMinuteEdit);
        SYSTEMTIME tooEarly = {2000, 12, 0, 31, 12, 0, 0, 0};
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&tooEarly));
        afterTooEarly = pickerDate(dialog);
        SYSTEMTIME tooLate = {2100, 1, 0, 1, 0, 0, 0, 0};
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&tooLate));
        afterTooLate = pickerDate(dialog);
        SYSTEMTIME inRange = {2099, 12, 0, 31, 0, 0, 0, 0};
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&inRange));
        afterInRange = pickerDate(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    script.start();
    DateTimeDialog dialog(card.path());
    const INT_PTR result = dialog.showModal(owner);
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
    SYSTEMTIME after;
    GetLocalTime(&after);

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rangeFlags, DWORD(GDTR_MIN | GDTR_MAX));
    EXPECT_EQ(range[0].wYear, 2001);
    EXPECT_EQ(range[0].wMonth, 1);
    EXPECT_EQ(range[0].wDay, 1);
    EXPECT_EQ(range[1].wYear, 2099);
    EXPECT_EQ(range[1].wMonth, 12);
    EXPECT_EQ(range[1].wDay, 31);
    EXPECT_TRUE(sameDay(initial, before) || sameDay(initial, after));
    EXPECT_TRUE(hourText == std::to_wstring(before.wHour) ||
                hourText == std::to_wstring(after.wHour));
    EXPECT_TRUE(minuteText == std::to_wstring(before.wMinute) ||
                minuteText == std::to_wstring(after.wMinute));
    EXPECT_GE(afterTooEarly.wYear, 2001);
    EXPECT_LE(afterTooLate.wYear, 2099);
    EXPECT_EQ(afterInRange.wYear, 2099);
    EXPECT_FALSE(fileExists(settingsFile()));
}

TEST_F(DateTimeDialogTest, TypedHoursAndMinutesAreBroughtIntoRangeWhenLeft) {
    struct Typed {
        int edit;
        const wchar_t* text;
        const wchar_t* shown;
    };
    const Typed typed[] = {
        {kHourEdit, L"7", L"7"},      {kHourEdit, L"25", L"23"},  {kHourEdit, L"12x", L"23"},
        {kHourEdit, L" 5 ", L"5"},    {kHourEdit, L"", L"5"},     {kHourEdit, L"-4", L"0"},
        {kMinuteEdit, L"30", L"30"},  {kMinuteEdit, L"ab", L"30"}, {kMinuteEdit, L"75", L"59"},
        {kMinuteEdit, L"  ", L"59"},
    };
    std::vector<std::wstring> shown;
    DialogScript script;
    script.act(kCaption, [&](HWND dialog) {
        for (const Typed& t : typed) {
            type(dialog, t.edit, t.text);
            moveFocusTo(dialog, t.edit == kHourEdit ? kMinuteEdit : kHourEdit);
            shown.push_back(DialogScript::itemText(dialog, t.edit));
        }
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    script.start();
    DateTimeDialog dialog(card.path());
    dialog.showModal(owner);
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
    ASSERT_EQ(shown.size(), std::size(typed));
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], typed[i].shown) << "typed \"" << std::wstring(typed[i].text) << "\"";
}

TEST_F(DateTimeDialogTest, OkWritesTheClockRecordAndKeepsTheOthers) {
    writeBytes(settingsFile(), header() + record(0x0306, 0x01) + record(0x0801, 0x05));
    setHiddenReadOnlyAttributes(settingsFile());
    ScriptedChooser chooser({card.path()});
    DialogScript script;
    script.act(kCaption, [](HWND dialog) {
              SYSTEMTIME date = {2012, 3, 0, 4, 0, 0, 0, 0};
              SendDlgItemMessageW(dialog, kDate, DTM_SETSYSTEMTIME, GDT_VALID,
                                  reinterpret_cast<LPARAM>(&date));
              type(dialog, kHourEdit, L"5");
              type(dialog, kMinuteEdit, L"06");
              moveFocusTo(dialog, kHourEdit);
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
          })
        .answer(L"確認", IDOK)
        .answer(L"情報", IDOK);
    script.start();
    Path cardPath = L"C:\\before";
    runSettingsCommand(owner, kDateTimeCommand, cardPath, chooser.chooser());
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();

    EXPECT_EQ(script.boxes(), (std::vector<std::wstring>{box(L"確認", 5012), box(L"情報", 5016)}));
    EXPECT_EQ(readBytes(settingsFile()), header() + clockRecord(0x12, 0x03, 0x04, 0x05, 0x06) +
                                             record(0x0306, 0x01) + record(0x0801, 0x05));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].prompt, loadMessage(5011));
    EXPECT_EQ(chooser.requests[0].start, L"C:\\before");
    EXPECT_TRUE(chooser.requests[0].ownerVisible);
    EXPECT_EQ(cardPath, card.path());
}

TEST_F(DateTimeDialogTest, RefusalsAndUnreadableTimesKeepTheDialogOpenAndWriteNothing) {
    const Bytes earlier = writeEarlierSettings();
    // Browser cancelled, then the confirmation refused, then an hour and a minute the spins
    // cannot read; the dialog stays through all of it and is cancelled at the end.
    ScriptedChooser chooser({std::nullopt, card.path(), card.path(), card.path()});
    int stillOpen = 0;
    auto ok = [&](HWND dialog) {
        ++stillOpen;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    DialogScript script;
    script.act(kCaption, ok)
        .act(kCaption, [&](HWND dialog) {
            waitUntilAsked(chooser, 1);
            ok(dialog);
        })
        .answer(L"確認", IDCANCEL)
        .act(kCaption, [&](HWND dialog) {
            SetDlgItemTextW(dialog, kHourEdit, L"ab");
            ok(dialog);
        })
        .answer(L"確認", IDOK)
        .answer(L"警告", IDOK)
        .act(kCaption, [&](HWND dialog) {
            SetDlgItemTextW(dialog, kHourEdit, L"10");
            SetDlgItemTextW(dialog, kMinuteEdit, L"75");
            ok(dialog);
        })
        .answer(L"確認", IDOK)
        .answer(L"警告", IDOK)
        .act(kCaption, [&](HWND dialog) {
            ++stillOpen;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    script.start();
    Path cardPath = L"C:\\remembered";
    runSettingsCommand(owner, kDateTimeCommand, cardPath, chooser.chooser());
    ASSERT_TRUE(script.finish()) << "missed step " << script.missed();

    EXPECT_EQ(stillOpen, 5);
    EXPECT_EQ(chooser.requests.size(), 4u);
    EXPECT_EQ(script.boxes(),
              (std::vector<std::wstring>{box(L"確認", 5012), box(L"確認", 5012),
                                         box(L"警告", 5014), box(L"確認", 5012),
                                         box(L"警告", 5015)}));
    EXPECT_EQ(readBytes(settingsFile()), earlier);
    EXPECT_EQ(cardPath, L"C:\\remembered");
}

TEST_F(DateTimeDialogTest, FileHeldOpenElsewhereWarnsAndStaysAsItWas) {
    const Bytes earlier = writeEarlierSettings();
    HANDLE held = CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ScriptedChooser chooser({card.path()});
    DialogScript script;
    script.act(kCaption, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); })
        .answer(L"確認", IDOK)
        .answer(L"警告", IDOK);
    script.start();
    DateTimeDialog dialog(L"", chooser.chooser());
    const INT_PTR result = dialog.showModal(owner);
    const bool finished = script.finish();
    CloseHandle(held);
    ASSERT_TRUE(finished) << "missed step " << script.missed();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(script.boxes(), (std::vector<std::wstring>{box(L"確認", 5012), box(L"警告", 5020)}));
    EXPECT_EQ(readBytes(settingsFile()), earlier);
    EXPECT_EQ(card.entries(), std::vector<std::wstring>{L"KELM.INI"});
}

}  // namespace
}  // namespace tavrin::test
