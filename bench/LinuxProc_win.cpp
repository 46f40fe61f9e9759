#include "bench/LinuxProc_win.h"

#include <windows.h>

#include <cstring>
#include <cwctype>

#include "media/KernelHandle_win.h"
#include "recording/TextEncoding.h"

namespace tavrin::bench {
namespace {

const wchar_t kProcFolder[] = L"Z:\\proc";

bool isNumber(const wchar_t* text) {
    if (*text == L'\0') return false;
    for (; *text != L'\0'; ++text) {
        if (!std::iswdigit(*text)) return false;
    }
    return true;
}

// Closes a FindFirstFileW search once.
class FileSearch {
public:
    FileSearch(const std::wstring& pattern, WIN32_FIND_DATAW& found)
        : handle_(FindFirstFileW(pattern.c_str(), &found)) {}
    ~FileSearch() {
        if (valid()) FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAW& found) { return FindNextFileW(handle_, &found) != FALSE; }

private:
    HANDLE handle_;
};

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<int> linuxProcessIds() {
    std::vector<int> ids;
    WIN32_FIND_DATAW found;
    FileSearch search(std::wstring(kProcFolder) + L"\\*", found);
    if (!search.valid()) return ids;
    do {
        if (isNumber(found.cFileName)) ids.push_back(std::stoi(found.cFileName));
    } while (search.next(found));
    return ids;
}

std::optional<std::string> readProcFile(const std::string& process, const char* file) {
    const std::wstring path =
        std::wstring(kProcFolder) + L"\\" + fromUtf8(process) + L"\\" + fromUtf8(file);
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    KernelHandle handle(opened);
    // /proc files report a size of 0: read until the kernel has nothing more.
    std::string content;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(handle.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        content.append(buffer, count);
    }
    return content;
}

std::string environmentValue(const std::string& variables, const std::string& name) {
    const std::string prefix = name + "=";
    std::size_t start = 0;
    while (start < variables.size()) {
        std::size_t end = variables.find('\0', start);
        if (end == std::string::npos) end = variables.size();
        if (variables.compare(start, prefix.size(), prefix) == 0) {
            return variables.substr(start + prefix.size(), end - start - prefix.size());
        }
        start = end + 1;
    }
    return {};
}

std::optional<std::uint64_t> cpuTicks(const std::string& process) {
    std::optional<std::string> stat = readProcFile(process, "stat");
    if (!stat) return std::nullopt;
    // The name in brackets may hold spaces and brackets itself; the fields start after the last
    // ')' with the state (field 3). utime and stime are fields 14 and 15.
    const std::size_t nameEnd = stat->rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    const char* cursor = stat->c_str() + nameEnd + 1;
    std::uint64_t ticks = 0;
    for (int field = 3; field <= 15; ++field) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') return std::nullopt;
        const char* end = std::strchr(cursor, ' ');
        if (field >= 14) ticks += std::strtoull(cursor, nullptr, 10);
        cursor = end != nullptr ? end : cursor + std::strlen(cursor);
    }
    return ticks;
}

double clockTicksPerSecond() {
    constexpr std::uint64_t kClockTickEntry = 17;  // AT_CLKTCK
    std::optional<std::string> auxv = readProcFile("self", "auxv");
    if (auxv) {
        // Pairs of 64-bit words (type, value) up to AT_NULL, as on any 64-bit Linux.
        const std::size_t pairSize = 2 * sizeof(std::uint64_t);
        for (std::size_t at = 0; at + pairSize <= auxv->size(); at += pairSize) {
            std::uint64_t entry[2];
            std::memcpy(entry, auxv->data() + at, pairSize);
            if (entry[0] == 0) break;
            if (entry[0] == kClockTickEntry && entry[1] > 0) return static_cast<double>(entry[1]);
        }
    }
    return 100.0;
}

}  // namespace tavrin::bench
