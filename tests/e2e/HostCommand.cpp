#include "tests/e2e/HostCommand.h"

#include <stdexcept>

#include "recording/TextEncoding.h"
#include "tests/e2e/ViewerSession.h"
#include "tests/support/TestFolder.h"

namespace tavrin::e2e {
namespace {

using UnixName = char*(CDECL*)(const wchar_t*);

UnixName wineTranslation() {
    static const auto translate = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return translate;
}

}  // namespace

std::string hostPath(const std::wstring& windowsPath) {
    const UnixName translate = wineTranslation();
    char* name = translate ? translate(windowsPath.c_str()) : nullptr;
    if (!name) return {};
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

bool hostCommandsAvailable() { return wineTranslation() != nullptr; }

void runHostCommand(const std::string& script, DWORD timeoutMs) {
    // The process handle Wine gives for a Unix program cannot be waited on: the script marks its
    // end with a file instead.
    test::TestFolder folder;
    const std::string done = hostPath(folder.file(L"done"));
    if (done.empty()) throw std::runtime_error("host commands run only under Wine");
    std::wstring commandLine = L"/bin/sh -c \"" + fromUtf8(script) + L"; touch '" +
                               fromUtf8(done) + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        throw std::runtime_error("the host's shell did not start");
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!waitUntil([&] { return GetFileAttributesW(folder.file(L"done").c_str()) !=
                                INVALID_FILE_ATTRIBUTES; },
                   timeoutMs))
        throw std::runtime_error("a host command did not end: " + script);
}

}  // namespace tavrin::e2e
