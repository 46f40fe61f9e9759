#pragma once

#include <windows.h>

#include "ui/GdiObject_win.h"
#include "ui/Label_win.h"

namespace tavrin {

// A label that looks and acts like a hyperlink: the control's text underlined in blue, a hand
// cursor, and a click opens the support web page. A failure to open it is ignored: the user can
// simply click again, and there is nothing better to tell them than that nothing opened.
// The static control needs SS_NOTIFY, or the mouse never reaches it.
class LinkLabel : public Label {
public:
    explicit LinkLabel(HWND existingWindow);
    ~LinkLabel() override;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The control's font with an underline; null when the control had no font of its own.
    FontObject underlineFont;

private:
    HFONT originalFont_ = nullptr;
};

}  // namespace tavrin
