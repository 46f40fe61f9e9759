#include "settings/DateTimeDialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "settings/FirmInfo.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

constexpr unsigned kCardPrompt = 5011;
constexpr unsigned kWriteQuestion = 5012;
constexpr unsigned kBadHourText = 5014;
constexpr unsigned kBadMinuteText = 5015;
constexpr unsigned kWrittenText = 5016;
constexpr unsigned kBadDateText = 5021;

// The unit's clock keeps the year modulo 100 within this century.
constexpr SYSTEMTIME kEarliest = {2001, 1, 0, 1, 0, 0, 0, 0};
constexpr SYSTEMTIME kLatest = {2099, 12, 0, 31, 23, 59, 59, 999};

// UDM_GETPOS answers the position in the low word and an error flag in the high word.
bool spinPosition(HWND spin, int& value) {
    const LRESULT answer = SendMessageW(spin, UDM_GETPOS, 0, 0);
    if (HIWORD(answer) != 0) return false;
    value = static_cast<short>(LOWORD(answer));
    return true;
}

}  // namespace

DateTimeDialog::DateTimeDialog(const Path& cardFolder, FolderChooser chooser)
    : SettingsDialog(kTemplateId, cardFolder, std::move(chooser)) {}

INT_PTR DateTimeDialog::handleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        initControls();
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    const int id = LOWORD(wParam);
    if (id == IDOK) {
        apply();
    } else if (id == IDCANCEL) {
        EndDialog(hwnd, IDCANCEL);
    } else if (HIWORD(wParam) == EN_KILLFOCUS && id == kHourEditId) {
        normalize(hour, hourSpin, hourEdit);
    } else if (HIWORD(wParam) == EN_KILLFOCUS && id == kMinuteEditId) {
        normalize(minute, minuteSpin, minuteEdit);
    }
    return 1;
}

void DateTimeDialog::initControls() {
    datePicker = GetDlgItem(hwnd, kDatePickerId);
    hourSpin = GetDlgItem(hwnd, kHourSpinId);
    minuteSpin = GetDlgItem(hwnd, kMinuteSpinId);
    hourEdit = GetDlgItem(hwnd, kHourEditId);
    minuteEdit = GetDlgItem(hwnd, kMinuteEditId);

    SYSTEMTIME range[2] = {kEarliest, kLatest};
    SendMessageW(datePicker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    SendMessageW(hourSpin, UDM_SETRANGE, 0, MAKELPARAM(23, 0));
    SendMessageW(minuteSpin, UDM_SETRANGE, 0, MAKELPARAM(59, 0));
    centerWindow(hwnd, parent);

    SYSTEMTIME now;
    GetLocalTime(&now);
    SendMessageW(datePicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
    SendMessageW(hourSpin, UDM_SETPOS, 0, MAKELPARAM(now.wHour, 0));
    SendMessageW(minuteSpin, UDM_SETPOS, 0, MAKELPARAM(now.wMinute, 0));
    hour = now.wHour;
    minute = now.wMinute;
}

void DateTimeDialog::normalize(int& stored, HWND spin, HWND edit) {
    wchar_t text[256] = {};
    GetWindowTextW(edit, text, 256);
    wchar_t* end = nullptr;
    long value = std::wcstol(text, &end, 10);

    const LRESULT range = SendMessageW(spin, UDM_GETRANGE, 0, 0);
    const long lowest = static_cast<short>(HIWORD(range));
    const long highest = static_cast<short>(LOWORD(range));
    value = std::clamp(value, lowest, highest);

    const wchar_t* rest = end;
    while (*rest != L'\0' && std::iswspace(*rest)) ++rest;
    if (end == text || *rest != L'\0') value = stored;

    SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(value), 0));
    int shown = 0;
    if (!spinPosition(spin, shown)) return;
    wchar_t number[16];
    swprintf(number, 16, L"%d", shown);
    SetWindowTextW(edit, number);
    stored = shown;
}

void DateTimeDialog::apply() {
    if (!askForCard(kCardPrompt)) return;
    if (!confirmWrite(kWriteQuestion)) return;

    SYSTEMTIME date = {};
    SendMessageW(datePicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    int chosenHour = 0;
    if (!spinPosition(hourSpin, chosenHour)) {
        warn(loadMessage(kBadHourText));
        return;
    }
    int chosenMinute = 0;
    if (!spinPosition(minuteSpin, chosenMinute)) {
        warn(loadMessage(kBadMinuteText));
        return;
    }

    std::tm local = {};
    local.tm_year = date.wYear - 1900;
    local.tm_mon = date.wMonth - 1;
    local.tm_mday = date.wDay;
    local.tm_hour = chosenHour;
    local.tm_min = chosenMinute;
    local.tm_isdst = -1;  // the system decides daylight saving
    writeSettings(
        [&](FirmInfo& table) {
            const std::int64_t seconds = localTimeToSeconds(local);
            if (seconds == -1) throw FirmInfoException(loadMessage(kBadDateText));
            table.setClock(seconds);
        },
        kWrittenText);
}

}  // namespace tavrin
