#pragma once

#include <string>
#include <vector>

namespace tavrin::tools {

// The program's arguments as wide text (on Windows from the wide command line, so Japanese
// folder names survive; elsewhere decoded from UTF-8), without the program name.
std::vector<std::wstring> commandLineArguments(int argc, char** argv);

}  // namespace tavrin::tools
