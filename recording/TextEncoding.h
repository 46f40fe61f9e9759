#pragma once

#include <string>

namespace tavrin {

// UTF-8 <-> wide text, for the platforms whose system calls take UTF-8 and for the tools'
// output. Invalid input bytes become U+FFFD.
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

}  // namespace tavrin
