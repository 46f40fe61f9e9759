#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "recording/Platform.h"
#include "settings/CardFolder_win.h"
#include "ui/Dialog_win.h"

namespace tavrin {

class FirmInfo;

// What the two settings dialogs share: the card folder they work on, asking for it, the
// confirmation before writing, and writing "KELM.INI" with its report. showModal ends with 1
// once a write was attempted (the caller then remembers `folder`) and with IDCANCEL otherwise.
class SettingsDialog : public Dialog {
public:
    // The card folder; starts as the caller's and holds the last one chosen.
    wchar_t folder[MAX_PATH] = {};

protected:
    // An empty `chooser` means the shell's folder browser.
    SettingsDialog(int templateId, const Path& cardFolder, FolderChooser chooser);

    // Asks for the card with prompt `promptId`, starting at `folder`; true when one was chosen.
    bool askForCard(unsigned promptId);
    // The confirmation box with question `questionId`; true only on its OK.
    bool confirmWrite(unsigned questionId);
    // Has `fill` set the dialog's keys in a new table, writes it to the card's "KELM.INI" keeping
    // the file's other records, reads it back, tells the user how it went and ends the dialog
    // with 1. `fill` may throw Exception; that counts as a failed write.
    void writeSettings(const std::function<void(FirmInfo&)>& fill, unsigned doneTextId);
    void warn(const std::wstring& text);

private:
    FolderChooser chooseFolder_;
};

}  // namespace tavrin
