#pragma once

#include <string>

namespace tavrin {

// Text `id` of the program's message table (5001-5519); the empty string when the table has no
// such entry. Never fails.
std::wstring loadMessage(unsigned id);

}  // namespace tavrin
