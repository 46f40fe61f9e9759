#include "tools/export/tests/ExporterProcess.h"

#include "tests/support/TestFolder.h"

namespace tavrin::exporttest {

std::string readText(const Path& path) {
    const test::Bytes bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace tavrin::exporttest
