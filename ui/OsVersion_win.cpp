#include "ui/OsVersion_win.h"

#include <windows.h>

namespace tavrin {

OsVersion operatingSystemVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        FARPROC address = GetProcAddress(ntdll, "RtlGetVersion");
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(address));
        if (rtlGetVersion && rtlGetVersion(&info) == 0)
            return OsVersion{info.dwMajorVersion, info.dwMinorVersion};
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info)) return OsVersion{info.dwMajorVersion, info.dwMinorVersion};
#pragma GCC diagnostic pop
    return {};
}

}  // namespace tavrin
