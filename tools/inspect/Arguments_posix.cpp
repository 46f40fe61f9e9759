#include "recording/TextEncoding.h"
#include "tools/inspect/Arguments.h"

namespace tavrin::tools {

std::vector<std::wstring> commandLineArguments(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(fromUtf8(argv[i]));
    return arguments;
}

}  // namespace tavrin::tools
