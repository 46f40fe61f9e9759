#include "media/ResourceData_win.h"

#include <windows.h>

#include "ui/AppInstance_win.h"
#include "ui/Exception.h"

namespace tavrin {

const std::uint8_t* loadResourceData(const wchar_t* type, int id, std::size_t& size) {
    HRSRC info = FindResourceW(appInstance, MAKEINTRESOURCEW(id), type);
    if (info == nullptr) throw describeError(GetLastError());
    DWORD bytes = SizeofResource(appInstance, info);
    if (bytes == 0) throw describeError(GetLastError());
    HGLOBAL loaded = LoadResource(appInstance, info);
    if (loaded == nullptr) throw describeError(GetLastError());
    const void* data = LockResource(loaded);
    if (data == nullptr) throw describeError(GetLastError());
    size = bytes;
    return static_cast<const std::uint8_t*>(data);
}

}  // namespace tavrin
