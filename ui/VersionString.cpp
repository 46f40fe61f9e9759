#include "ui/VersionString.h"

namespace tavrin {

std::wstring versionFromFileVersion(std::wstring_view fileVersion) {
    constexpr int kLastCommaKept = 2;  // the build number after the third is not shown
    std::wstring version;
    int commas = 0;
    for (wchar_t c : fileVersion) {
        if (c >= L'0' && c <= L'9') {
            version += c;
        } else if (c == L',') {
            if (++commas > kLastCommaKept) break;
            version += L'.';
        }
    }
    return version;
}

}  // namespace tavrin
