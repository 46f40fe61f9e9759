#include "ui/SupportPage_win.h"

#include <windows.h>

#include "ui/AppInstance_win.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr UINT kSupportAddress = 5086;

}  // namespace

void openSupportPage(const DocumentOpener& open) {
    wchar_t address[MAX_PATH];
    if (LoadStringW(appInstance, kSupportAddress, address, MAX_PATH) == 0) {
        DWORD code = GetLastError();
        throw describeError(code != ERROR_SUCCESS ? code : ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    if (unsigned long code = open(address); code != ERROR_SUCCESS) throw describeError(code);
}

}  // namespace tavrin
