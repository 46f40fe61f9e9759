#pragma once

#include <windows.h>

#include "settings/SettingsDialog_win.h"

namespace tavrin {

// The unit settings dialog: buzzer on or off and standard or long-time recording, preset from
// the card's "FIRMINFO.DAT" and written to its "KELM.INI". The card is asked for before the
// dialog shows, and again on OK when no firmware file could be read.
class GThresholdDialog09 : public SettingsDialog {
public:
    static constexpr int kTemplateId = 422;
    static constexpr int kBuzzerOnId = 1021;
    static constexpr int kBuzzerOffId = 1022;
    static constexpr int kStandardModeId = 1023;
    static constexpr int kLongModeId = 1024;

    explicit GThresholdDialog09(const Path& cardFolder, FolderChooser chooser = {});

    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void loadCurrent();
    void apply();
    // Checks `on` and unchecks `off`.
    static void select(HWND on, HWND off);
    static bool isChecked(HWND button);

    HWND buzzerOnButton = nullptr;
    HWND buzzerOffButton = nullptr;
    HWND standardModeButton = nullptr;
    HWND longModeButton = nullptr;
    bool loaded = false;  // a card was chosen and its firmware file read
};

}  // namespace tavrin
