#include <windows.h>
#include <shellapi.h>

#include "tools/inspect/Arguments.h"

namespace tavrin::tools {

std::vector<std::wstring> commandLineArguments(int, char**) {
    std::vector<std::wstring> arguments;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(words[i]);
    LocalFree(words);
    return arguments;
}

}  // namespace tavrin::tools
