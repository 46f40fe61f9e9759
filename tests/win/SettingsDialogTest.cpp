#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "settings/CardFolder_win.h"
#include "settings/DateTimeDialog_win.h"
#include "settings/GThresholdDialog09_win.h"
#include "tests/win/SettingsCardFixture.h"

namespace tavrin {
namespace {

TEST(SettingsCardFolder, FilesSitDirectlyInTheCardFolder) {
    EXPECT_EQ(cardFile(L"E:\\", L"KELM.INI"), L"E:\\KELM.INI");
    EXPECT_EQ(cardFile(L"E:\\DCIM", L"FIRMINFO.DAT"), L"E:\\DCIM\\FIRMINFO.DAT");
    EXPECT_EQ(cardFile(L"E:\\DCIM/", L"KELM.INI"), L"E:\\DCIM/KELM.INI");
}

TEST(SettingsCardFolder, ARememberedFolderTooLongToKeepIsDroppedNotCut) {
    const Path longest(MAX_PATH - 1, L'a');
    const Path tooLong(MAX_PATH, L'a');
    EXPECT_EQ(std::wstring(GThresholdDialog09(longest).folder), longest);
    EXPECT_EQ(std::wstring(GThresholdDialog09(tooLong).folder), L"");
    EXPECT_EQ(std::wstring(DateTimeDialog(L"F:\\").folder), L"F:\\");
    EXPECT_EQ(std::wstring(DateTimeDialog(tooLong + L"bbb").folder), L"");
}

// One control of a dialog template as the user gets it: class, id, rectangle in dialog units,
// style bits that must be set, text. Up-down controls place themselves beside their edit, so
// their rectangle (and the edit's width) is not the template's.
struct Control {
    const wchar_t* className;
    int id;
    RECT units;  // left, top, width, height
    DWORD style;
    const wchar_t* text;
    bool keepsItsPlace = true;
};

struct Template {
    const wchar_t* caption;
    SIZE units;
    std::vector<Control> controls;
};

constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
constexpr DWORD kEdit = ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kSpin = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS;

const Template kUnitSettings = {
    L"本体設定",
    {193, 175},
    {
        {L"Static", -1, {30, 17, 132, 10}, SS_LEFT, L"本体ブザーのON/OFFを設定します。 "},
        {L"Button", -1, {30, 27, 132, 48}, BS_GROUPBOX, L"ブザー設定"},
        {L"Button", 1021, {52, 40, 27, 10}, kRadio | WS_GROUP, L"ON"},
        {L"Button", 1022, {52, 57, 30, 10}, kRadio, L"OFF"},
        {L"Static", -1, {30, 84, 132, 10}, SS_LEFT, L"本体の記録モードを設定します。"},
        {L"Button", -1, {30, 96, 132, 49}, BS_GROUPBOX, L"記録モード設定"},
        {L"Button", 1023, {52, 109, 48, 10}, kRadio | WS_GROUP, L"標準モード"},
        {L"Button", 1024, {52, 124, 56, 10}, kRadio, L"長時間モード"},
        {L"Button", IDOK, {37, 150, 50, 14}, BS_DEFPUSHBUTTON | WS_GROUP, L"OK"},
        {L"Button", IDCANCEL, {99, 150, 50, 14}, BS_PUSHBUTTON, L"キャンセル"},
    }};

const Template kDateTime = {
    L"日時設定",
    {194, 109},
    {
        {L"Static", 1007, {7, 7, 177, 29}, SS_LEFT,
         L"本体の日時を設定します。\nここでは、現在の日時ではなく、エンジンを始動させ本体の電源が"
         L"ＯＮになる日付・時刻を想定して設定して下さい。"},
        {L"Button", -1, {7, 39, 180, 39}, BS_GROUPBOX, L"日時"},
        {L"SysDateTimePick32", 1004, {35, 55, 53, 12},
         DTS_SHORTDATEFORMAT | DTS_RIGHTALIGN | WS_TABSTOP, nullptr},
        {L"Edit", 1026, {95, 55, 25, 12}, kEdit, nullptr, false},
        {L"msctls_updown32", 1025, {114, 65, 9, 14}, kSpin | UDS_NOTHOUSANDS, L"", false},
        {L"Static", -1, {121, 57, 9, 8}, SS_LEFT, L"時"},
        {L"Edit", 1028, {134, 55, 25, 12}, kEdit, nullptr, false},
        {L"msctls_updown32", 1027, {147, 66, 9, 14}, kSpin, L"", false},
        {L"Static", -1, {159, 57, 9, 8}, SS_LEFT, L"分"},
        {L"Button", IDOK, {43, 88, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK"},
        {L"Button", IDCANCEL, {101, 88, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, L"キャンセル"},
    }};

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Holds the shown dialog against its template; runs on the script's thread.
void expectLaidOutAs(HWND dialog, const Template& expected) {
    EXPECT_EQ(textOf(dialog), expected.caption);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)) & frame, frame);
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT size = {0, 0, expected.units.cx, expected.units.cy};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS UI Gothic");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), expected.controls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Control& c = expected.controls[i];
        HWND child = children[i];
        SCOPED_TRACE(i);
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        EXPECT_EQ(_wcsicmp(className, c.className), 0);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if (std::wstring(c.className) == L"Button") {
            EXPECT_EQ(style & BS_TYPEMASK, c.style & BS_TYPEMASK);
        }
        EXPECT_EQ(style & c.style, c.style);
        if (!(c.style & WS_GROUP) && c.id != -1 && std::wstring(c.className) == L"Button") {
            EXPECT_EQ(style & WS_GROUP, 0u) << "only the first of a group starts one";
        }
        if (c.text) {
            EXPECT_EQ(textOf(child), c.text);
        }
        if (!c.keepsItsPlace) continue;
        RECT placed = {};
        GetWindowRect(child, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        // Origin and size are converted each on its own, as the dialog manager does.
        RECT origin = {c.units.left, c.units.top, 0, 0};
        RECT size = {0, 0, c.units.right, c.units.bottom};
        MapDialogRect(dialog, &origin);
        MapDialogRect(dialog, &size);
        EXPECT_EQ(placed.left, origin.left);
        EXPECT_EQ(placed.top, origin.top);
        EXPECT_EQ(placed.right - placed.left, size.right);
        EXPECT_EQ(placed.bottom - placed.top, size.bottom);
    }
}

using SettingsTemplates = test::SettingsCardTest;

TEST_F(SettingsTemplates, BothDialogsAreLaidOutAsDesigned) {
    for (const Template* expected : {&kUnitSettings, &kDateTime}) {
        SCOPED_TRACE(std::string(expected == &kDateTime ? "126" : "422"));
        test::DialogScript script;
        script.act(expected->caption, [&](HWND dialog) {
            expectLaidOutAs(dialog, *expected);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        script.start();
        test::ScriptedChooser noCard({});
        if (expected == &kDateTime) {
            DateTimeDialog(L"").showModal(owner);
        } else {
            GThresholdDialog09(L"", noCard.chooser()).showModal(owner);
        }
        ASSERT_TRUE(script.finish()) << "missed step " << script.missed();
    }
}

}  // namespace
}  // namespace tavrin
