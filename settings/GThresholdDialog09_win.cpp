#include "settings/GThresholdDialog09_win.h"

#include <utility>

#include "recording/Bcd.h"
#include "settings/FirmInfo.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr unsigned kCardPrompt = 5022;
constexpr unsigned kWriteQuestion = 5023;
constexpr unsigned kWrittenText = 5024;

// Whether the firmware file holds `key`, and if so whether its value counts as "on".
bool readSwitch(const FirmInfo& firm, std::uint16_t key, bool& on) {
    try {
        on = fromBcd(firm.findValue(key)[0]) >= 1;
        return true;
    } catch (const FirmInfoException&) {
        return false;  // the unit did not report it: the default stays
    }
}

}  // namespace

GThresholdDialog09::GThresholdDialog09(const Path& cardFolder, FolderChooser chooser)
    : SettingsDialog(kTemplateId, cardFolder, std::move(chooser)) {}

INT_PTR GThresholdDialog09::handleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        buzzerOnButton = GetDlgItem(hwnd, kBuzzerOnId);
        buzzerOffButton = GetDlgItem(hwnd, kBuzzerOffId);
        standardModeButton = GetDlgItem(hwnd, kStandardModeId);
        longModeButton = GetDlgItem(hwnd, kLongModeId);
        loadCurrent();
        centerWindow(hwnd, parent);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    switch (LOWORD(wParam)) {
        case IDOK:
            apply();
            return 1;
        case IDCANCEL:
            EndDialog(hwnd, IDCANCEL);
            return 1;
        default:
            return 0;
    }
}

void GThresholdDialog09::select(HWND on, HWND off) {
    SendMessageW(on, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(off, BM_SETCHECK, BST_UNCHECKED, 0);
}

bool GThresholdDialog09::isChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void GThresholdDialog09::loadCurrent() {
    SendMessageW(buzzerOnButton, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(standardModeButton, BM_SETCHECK, BST_CHECKED, 0);
    if (!askForCard(kCardPrompt)) return;
    try {
        FirmInfo firm;
        firm.readFirmwareFile(cardFile(folder, L"FIRMINFO.DAT"));
        bool on = true;
        if (readSwitch(firm, FirmInfo::kBuzzerKey, on)) {
            if (on) {
                select(buzzerOnButton, buzzerOffButton);
            } else {
                select(buzzerOffButton, buzzerOnButton);
            }
        }
        if (readSwitch(firm, FirmInfo::kRecordingModeKey, on)) {
            if (on) {
                select(standardModeButton, longModeButton);
            } else {
                select(longModeButton, standardModeButton);
            }
        }
    } catch (const Exception& failure) {
        warn(failure.message());
        return;
    }
    loaded = true;
}

void GThresholdDialog09::apply() {
    if (!loaded && !askForCard(kCardPrompt)) return;
    if (!confirmWrite(kWriteQuestion)) return;
    const int buzzer = isChecked(buzzerOnButton) ? 1 : 0;
    const int mode = isChecked(standardModeButton) ? 1 : 0;
    writeSettings(
        [&](FirmInfo& table) {
            table.setBuzzer(buzzer);
            table.setRecordingMode(mode);
        },
        kWrittenText);
}

}  // namespace tavrin
