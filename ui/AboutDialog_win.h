#pragma once

#include <windows.h>

#include "ui/Dialog_win.h"
#include "ui/GdiObject_win.h"

namespace tavrin {

// The version dialog: the program's name and version, the maker's notice and the support page
// as a link. Construct, showModal over the main window, delete.
class AboutDialog : public Dialog {
public:
    AboutDialog();

    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void initialize();

    FontObject noticeFont_;  // 11-point Arial for the notice block
};

}  // namespace tavrin
