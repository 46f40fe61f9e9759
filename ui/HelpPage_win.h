#pragma once

#include <string>

#include "ui/DocumentOpener_win.h"

namespace tavrin {

// Resource numbers of the help page (type HTML) and of its pictures, which the page addresses
// by their numbers.
constexpr int kHelpPageResource = 22100;
constexpr int kFirstHelpPictureResource = 22101;
constexpr int kLastHelpPictureResource = 22118;

// Shows the help page in the user's browser. Throws WindowException with the system's text when
// it cannot be shown in any way.
void showHelp(const DocumentOpener& open = openWithShell);

// The folder under the user's temporary folder where the page is written out.
std::wstring helpPageFolder();
// Writes the page and its pictures into `folder` (made when missing) under the names the page
// refers to them by, and returns the page file's path. Throws WindowException when a resource
// or a file fails.
std::wstring writeHelpPage(const std::wstring& folder);

}  // namespace tavrin
