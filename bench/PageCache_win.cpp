#include <windows.h>

#include "bench/PageCache.h"
#include "recording/TextEncoding.h"

namespace tavrin::bench {

namespace {

using UnixName = char*(CDECL*)(const wchar_t*);

// Wine's translation of a Windows path to the host's; "" outside Wine.
std::string hostPathOf(const std::wstring& path) {
    static const auto translate = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = translate != nullptr ? translate(path.c_str()) : nullptr;
    if (name == nullptr) return {};
    std::string host = name;
    HeapFree(GetProcessHeap(), 0, name);
    return host;
}

}  // namespace

// Under Wine the host drops the pages: Wine starts a Unix program handed to CreateProcess. Its
// process handle cannot be waited on, so the command leaves a file behind when it has ended.
bool dropFromFileCache(const std::string& path) {
    const std::wstring widePath = fromUtf8(path);
    const std::string file = hostPathOf(widePath);
    if (file.empty()) return false;
    const std::wstring doneMark = widePath + L".dropped";
    DeleteFileW(doneMark.c_str());
    const std::string done = hostPathOf(doneMark);
    std::wstring command = fromUtf8("/bin/sh -c \"sync '" + file + "' && dd if='" + file +
                                    "' iflag=nocache count=0 status=none; touch '" + done + "'\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 10000; waited += 10) {
        if (GetFileAttributesW(doneMark.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(doneMark.c_str());
            return true;
        }
        Sleep(10);
    }
    return false;
}

}  // namespace tavrin::bench
