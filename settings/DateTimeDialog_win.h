#pragma once

#include <windows.h>

#include "settings/SettingsDialog_win.h"

namespace tavrin {

// The date and time dialog: the date and time the unit's clock is to be set to (the moment the
// engine is expected to start, not now), written as the clock record of the card's "KELM.INI".
// The common controls' date picker and up-down classes must be registered before it is shown.
class DateTimeDialog : public SettingsDialog {
public:
    static constexpr int kTemplateId = 126;
    static constexpr int kDatePickerId = 1004;
    static constexpr int kHourSpinId = 1025;
    static constexpr int kHourEditId = 1026;
    static constexpr int kMinuteSpinId = 1027;
    static constexpr int kMinuteEditId = 1028;

    explicit DateTimeDialog(const Path& cardFolder, FolderChooser chooser = {});

    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void initControls();
    // Brings an edit the user has left back to a number its spin accepts; text that is no
    // number brings back `stored`, the last accepted value.
    void normalize(int& stored, HWND spin, HWND edit);
    void apply();

    HWND datePicker = nullptr;
    HWND hourSpin = nullptr;
    HWND minuteSpin = nullptr;
    HWND hourEdit = nullptr;
    HWND minuteEdit = nullptr;
    int hour = 0;
    int minute = 0;
};

}  // namespace tavrin
