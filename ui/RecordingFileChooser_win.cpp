#include "ui/RecordingFileChooser_win.h"

#include <commdlg.h>

#include <cwchar>

namespace tavrin {
namespace {

// The working folder stays where it is (start-up leaves it at "C:\"): a dialog that starts in the
// card's folder would otherwise leave the program holding that folder as its working folder, and
// the card's folder could then not be renamed or removed, nor the card ejected, while it runs.
constexpr DWORD kChooserFlags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY |
                                OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING |
                                OFN_NOCHANGEDIR;
static_assert(kChooserFlags == (0x881824 | OFN_NOCHANGEDIR));

// One description/pattern pair, double-terminated as the dialog expects.
constexpr wchar_t kFilter[] = L"画像ファイル(*.dat)\0*.dat\0";
// The shell view's own command for its details mode.
constexpr WPARAM kDetailsViewCommand = 0x702C;

// The hook belongs to the dialog's child; the list view's host is a child of the dialog itself.
// The view is rebuilt whenever the folder changes, so it is told again each time.
UINT_PTR CALLBACK chooserHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_FOLDERCHANGE) {
        if (HWND view = FindWindowExW(GetParent(child), nullptr, L"SHELLDLL_DefView", nullptr))
            SendMessageW(view, WM_COMMAND, kDetailsViewCommand, 0);
    }
    return 0;
}

}  // namespace

bool chooseRecordingFile(wchar_t (&path)[MAX_PATH], HWND owner, const wchar_t* initialDirectory) {
    wchar_t fileName[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = initialDirectory;
    dialog.Flags = kChooserFlags;
    dialog.lpstrDefExt = L"dat";
    dialog.lpfnHook = chooserHook;
    bool chosen = GetOpenFileNameW(&dialog) != FALSE;
    wcscpy_s(path, fileName);
    return chosen;
}

}  // namespace tavrin
