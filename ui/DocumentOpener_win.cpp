#include "ui/DocumentOpener_win.h"

#include <windows.h>
#include <shellapi.h>

namespace tavrin {

unsigned long openWithShell(const std::wstring& address) {
    SetLastError(ERROR_SUCCESS);
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, L"C:\\", SW_SHOWNORMAL));
    if (result > 32) return ERROR_SUCCESS;
    // The shell does not always set a last error; a failure must never read as "success". Its
    // own small codes match the system's for missing files, access and memory.
    DWORD code = GetLastError();
    if (code != ERROR_SUCCESS) return code;
    if (result == SE_ERR_NOASSOC || result == SE_ERR_ASSOCINCOMPLETE) return ERROR_NO_ASSOCIATION;
    return result > 0 ? static_cast<DWORD>(result) : ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace tavrin
