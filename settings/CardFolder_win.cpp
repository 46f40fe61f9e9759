#include "settings/CardFolder_win.h"

#include <cwchar>

#include "ui/FolderBrowser_win.h"

namespace tavrin {

FolderChooser shellFolderChooser() {
    return [](const wchar_t* prompt, HWND owner, wchar_t (&folder)[MAX_PATH]) {
        return browseForFolder(prompt, owner, folder);
    };
}

Path cardFile(const wchar_t* folder, const wchar_t* name) {
    Path path = folder;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
    return path + name;
}

void copyFolder(wchar_t (&folder)[MAX_PATH], const Path& source) {
    if (source.size() >= MAX_PATH) {
        folder[0] = L'\0';
        return;
    }
    wcscpy_s(folder, source.c_str());
}

}  // namespace tavrin
