#pragma once

#include <windows.h>

#include <functional>

#include "recording/Platform.h"

namespace tavrin {

// How a settings dialog asks the user for the memory card's folder: prompt, owner, and the
// folder to start at and to return the choice into. True when a folder was chosen. The dialogs
// take one so that a different way of choosing can stand in for the shell's browser.
using FolderChooser = std::function<bool(const wchar_t* prompt, HWND owner,
                                         wchar_t (&folder)[MAX_PATH])>;

// The shell's folder browser.
FolderChooser shellFolderChooser();

// `name` in the card folder `folder`, with exactly one separator between them, so a drive's root
// ("E:\") gives "E:\KELM.INI".
Path cardFile(const wchar_t* folder, const wchar_t* name);

// `source` into `folder`; a text that does not fit leaves the folder empty rather than naming a
// different, cut-off folder.
void copyFolder(wchar_t (&folder)[MAX_PATH], const Path& source);

}  // namespace tavrin
