#include "tests/support/HostShell_win.h"

#include <windows.h>

#include <stdexcept>

#include "recording/TextEncoding.h"

namespace tavrin::test {
namespace {

using UnixName = char*(CDECL*)(const wchar_t*);

UnixName wineTranslation() {
    static const auto translate = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return translate;
}

}  // namespace

bool wineHostReachable() { return wineTranslation() != nullptr; }

std::string hostPath(const std::wstring& windowsPath) {
    const UnixName translate = wineTranslation();
    char* name = translate ? translate(windowsPath.c_str()) : nullptr;
    if (!name) return {};
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

void startHostScript(const std::string& script) {
    std::wstring commandLine = L"/bin/sh -c \"" + fromUtf8(script) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        throw std::runtime_error("the host's shell did not start");
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

}  // namespace tavrin::test
