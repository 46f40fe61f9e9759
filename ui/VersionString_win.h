#pragma once

#include <string>

namespace tavrin {

// The program's version for the user ("1.0.0"), from the FileVersion of the executable's version
// resource; text 5002 when the resource or the entry is missing. Never fails.
std::wstring versionString();

// The FileVersion text of the module at `path` for the first language it lists that has one;
// empty when there is none.
std::wstring fileVersionText(const std::wstring& path);

}  // namespace tavrin
