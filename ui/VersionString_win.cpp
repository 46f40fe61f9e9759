#include "ui/VersionString_win.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "ui/Messages.h"
#include "ui/VersionString.h"

namespace tavrin {
namespace {

constexpr unsigned kNoVersionText = 5002;

struct Translation {
    WORD language;
    WORD codePage;
};

}  // namespace

std::wstring fileVersionText(const std::wstring& path) {
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};

    void* translations = nullptr;
    UINT translationBytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translations,
                        &translationBytes))
        return {};
    const auto* pairs = static_cast<const Translation*>(translations);
    for (UINT i = 0; i < translationBytes / sizeof(Translation); ++i) {
        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", pairs[i].language,
                 pairs[i].codePage);
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), query, &value, &length) && value && length > 0)
            return std::wstring(static_cast<const wchar_t*>(value));
    }
    return {};
}

std::wstring versionString() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring fileVersion = fileVersionText(path);
        if (!fileVersion.empty()) return versionFromFileVersion(fileVersion);
    }
    return loadMessage(kNoVersionText);
}

}  // namespace tavrin
