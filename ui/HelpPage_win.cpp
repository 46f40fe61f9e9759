#include "ui/HelpPage_win.h"

#include <windows.h>

#include "media/ResourceData_win.h"
#include "recording/Platform.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

constexpr wchar_t kFolderName[] = L"Tavrin Help";
// The page needs an extension for the desktop to hand it to a browser. The pictures keep their
// bare numbers as file names: the page addresses them that way, which res:// resolves to the
// resources and the written folder to these files (browsers tell pictures by their content).
constexpr wchar_t kPageFileName[] = L"22100.html";

std::wstring executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw describeError(GetLastError());
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void writeResource(int id, const std::wstring& path) {
    std::size_t size = 0;
    const std::uint8_t* bytes = loadResourceData(RT_HTML, id, size);
    BinaryFile file = BinaryFile::createForWriting(path);
    if (!file.isOpen() || !file.write(bytes, size)) {
        DWORD code = GetLastError();
        file.close();
        deleteFile(path);  // a half-written page is worse than none
        throw describeError(code != ERROR_SUCCESS ? code : ERROR_WRITE_FAULT);
    }
}

}  // namespace

std::wstring helpPageFolder() {
    std::wstring temporary = temporaryFolder();
    // Never a folder relative to wherever the program happens to run.
    if (temporary.empty()) throw describeError(GetLastError());
    return temporary + kFolderName;
}

std::wstring writeHelpPage(const std::wstring& folder) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw describeError(GetLastError());
    const std::wstring prefix = folder + L"\\";
    for (int id = kFirstHelpPictureResource; id <= kLastHelpPictureResource; ++id)
        writeResource(id, prefix + std::to_wstring(id));
    // The page last, so it never refers to pictures that are not there yet.
    std::wstring page = prefix + kPageFileName;
    writeResource(kHelpPageResource, page);
    return page;
}

void showHelp(const DocumentOpener& open) {
    // The page inside the executable is tried first: where the system still shows res://
    // addresses it needs no files. Current Windows and Wine refuse it (Wine answers "no
    // association"), so the page is then written out and opened as a file.
    std::wstring resourceAddress =
        L"res://" + executablePath() + L"/" + std::to_wstring(kHelpPageResource);
    if (open(resourceAddress) == ERROR_SUCCESS) return;
    std::wstring page = writeHelpPage(helpPageFolder());
    if (unsigned long code = open(page); code != ERROR_SUCCESS) throw describeError(code);
}

}  // namespace tavrin
