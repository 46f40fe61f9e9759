#include "tools/export/tests/ExporterProcess.h"

namespace tavrin::exporttest {

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace tavrin::exporttest
