#include "settings/SettingsCommand_win.h"

#include <memory>

#include "settings/DateTimeDialog_win.h"
#include "settings/DialogMutex_win.h"
#include "settings/GThresholdDialog09_win.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

constexpr unsigned kWarningCaption = 5005;
constexpr unsigned kOtherCopyText = 5060;
constexpr INT_PTR kWriteAttempted = 1;

std::unique_ptr<SettingsDialog> dialogFor(int command, const Path& cardPath,
                                          const FolderChooser& chooser) {
    if (command == kUnitSettingsCommand)
        return std::make_unique<GThresholdDialog09>(cardPath, chooser);
    if (command == kDateTimeCommand) return std::make_unique<DateTimeDialog>(cardPath, chooser);
    return nullptr;
}

}  // namespace

bool runSettingsCommand(HWND mainWindow, int command, Path& cardPath,
                        const FolderChooser& chooser) {
    if (command != kUnitSettingsCommand && command != kDateTimeCommand) return false;
    DialogMutex guard;
    if (guard.heldElsewhere()) {
        MessageBoxW(mainWindow, loadMessage(kOtherCopyText).c_str(),
                    loadMessage(kWarningCaption).c_str(), MB_ICONWARNING);
    }
    std::unique_ptr<SettingsDialog> dialog = dialogFor(command, cardPath, chooser);
    if (dialog->showModal(mainWindow) == kWriteAttempted) cardPath = dialog->folder;
    return true;
}

}  // namespace tavrin
