#pragma once

#include <windows.h>

namespace tavrin {

// A modal dialog box built from a template in the program's resources. The caller owns the
// object: construct, showModal, read the results from the derived fields, delete.
class Dialog {
public:
    explicit Dialog(int templateId) : templateId(templateId) {}
    virtual ~Dialog();

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Non-zero means handled. The base ends the dialog on IDOK and IDCANCEL and claims every
    // other command; derived dialogs pass what they do not handle on to it.
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the dialog owned by `parent` and returns the value it ended with. When the dialog
    // cannot be shown the user gets one warning box and the result is -1; nothing is thrown.
    INT_PTR showModal(HWND parent);

    // The dialog object for an open dialog box, or null.
    static Dialog* fromHandle(HWND handle);

    // Moves `window` (keeping its size) to the centre of `over`; the desktop stands in for a
    // missing `over`.
    static void centerWindow(HWND window, HWND over);
    // Where centerWindow puts the top-left corner; integer halves truncate toward zero.
    static POINT centeredOrigin(const RECT& window, const RECT& over);

    int templateId;
    HWND parent = nullptr;
    HWND hwnd = nullptr;  // set on WM_INITDIALOG

private:
    static INT_PTR CALLBACK dialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace tavrin
