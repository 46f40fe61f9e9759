#pragma once

#include <windows.h>

namespace tavrin {

// Lets the user pick one recording file (*.dat) in the open-file dialog, starting in
// `initialDirectory`; the file list is shown with details. Returns whether a file was chosen.
// `path` always receives the dialog's file name, empty when none was chosen.
bool chooseRecordingFile(wchar_t (&path)[MAX_PATH], HWND owner, const wchar_t* initialDirectory);

}  // namespace tavrin
