#pragma once

#include <windows.h>

#include "recording/Platform.h"
#include "settings/CardFolder_win.h"

namespace tavrin {

// The viewer's menu commands that open a settings dialog.
constexpr int kUnitSettingsCommand = 40012;
constexpr int kDateTimeCommand = 40015;

// Runs the settings dialog of `command` over `mainWindow` under the dialog guard: a warning first
// when another copy has a settings dialog open, then the dialog, starting at `cardPath`. When
// the dialog attempted a write, `cardPath` becomes the folder it used. An empty `chooser` means
// the shell's folder browser. The caller pauses playback first. False for any other command.
bool runSettingsCommand(HWND mainWindow, int command, Path& cardPath,
                        const FolderChooser& chooser = {});

}  // namespace tavrin
