#pragma once

#include <windows.h>

namespace tavrin {

// Lets the user pick a file-system folder (the memory card's drive) in the shell's browser,
// which opens at the folder already in `path` (or the shell's default when it is empty).
// Returns true with the chosen folder in `path`; false when the user cancelled, or confirmed
// something that is no folder, after a warning box. On false `path` is left as it was.
bool browseForFolder(const wchar_t* title, HWND owner, wchar_t (&path)[MAX_PATH]);

}  // namespace tavrin
