#pragma once

#include "ui/DocumentOpener_win.h"

namespace tavrin {

// Opens the maker's support web page (text 5086) in the user's browser. Throws WindowException
// with the system's text when the address is missing or the page cannot be opened.
void openSupportPage(const DocumentOpener& open = openWithShell);

}  // namespace tavrin
