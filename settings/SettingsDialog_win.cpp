#include "settings/SettingsDialog_win.h"

#include <utility>

#include "settings/FirmInfo.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

constexpr unsigned kWarningCaption = 5005;
constexpr unsigned kConfirmCaption = 5013;
constexpr unsigned kInformationCaption = 5017;
constexpr unsigned kCannotWriteText = 5020;
constexpr INT_PTR kWriteAttempted = 1;

}  // namespace

SettingsDialog::SettingsDialog(int templateId, const Path& cardFolder, FolderChooser chooser)
    : Dialog(templateId), chooseFolder_(chooser ? std::move(chooser) : shellFolderChooser()) {
    copyFolder(folder, cardFolder);
}

bool SettingsDialog::askForCard(unsigned promptId) {
    return chooseFolder_(loadMessage(promptId).c_str(), hwnd, folder);
}

bool SettingsDialog::confirmWrite(unsigned questionId) {
    return MessageBoxW(hwnd, loadMessage(questionId).c_str(), loadMessage(kConfirmCaption).c_str(),
                       MB_ICONQUESTION | MB_OKCANCEL) == IDOK;
}

void SettingsDialog::warn(const std::wstring& text) {
    MessageBoxW(hwnd, text.c_str(), loadMessage(kWarningCaption).c_str(), MB_ICONWARNING);
}

void SettingsDialog::writeSettings(const std::function<void(FirmInfo&)>& fill,
                                   unsigned doneTextId) {
    const Path path = cardFile(folder, L"KELM.INI");
    // The writer replaces the card's file only with a complete new one and leaves the old one
    // alone when it fails, so only a file that was written and then read back wrong is ours to
    // remove. Before that point the card still holds the user's previous settings.
    bool replaced = false;
    try {
        FirmInfo table;
        fill(table);
        table.writeFile(path, true);
        replaced = true;
        table.verifyFile(path);
    } catch (const Exception&) {
        if (replaced) {
            setNormalAttributes(path);
            deleteFile(path);
        }
        warn(loadMessage(kCannotWriteText));
        EndDialog(hwnd, kWriteAttempted);
        return;
    }
    MessageBoxW(hwnd, loadMessage(doneTextId).c_str(), loadMessage(kInformationCaption).c_str(),
                MB_ICONINFORMATION);
    EndDialog(hwnd, kWriteAttempted);
}

}  // namespace tavrin
