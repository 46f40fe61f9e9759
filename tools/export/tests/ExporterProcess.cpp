#include "tools/export/tests/ExporterProcess.h"

#include <filesystem>

#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"

namespace tavrin::exporttest {

std::string readText(const Path& path) {
    const test::Bytes bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::wstring> temporaryFolderSettings(const Path& folder) {
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(folder)));
    return {L"TMPDIR=" + folder, L"TMP=" + folder, L"TEMP=" + folder};
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace tavrin::exporttest
