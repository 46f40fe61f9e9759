#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The version the user is shown, made from a version resource's FileVersion text such as
// "1, 0, 0, 0": digits are kept, everything else dropped, the first two commas become full stops
// and the third ends it, so "1, 0, 0, 0" gives "1.0.0".
std::wstring versionFromFileVersion(std::wstring_view fileVersion);

}  // namespace tavrin
