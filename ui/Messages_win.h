#pragma once

#include <string>

namespace tavrin {

// Text `id` loaded through the narrow-string call and widened again. Kept for the start-up
// checks, which use it as the program always has.
std::wstring loadMessageNarrow(unsigned id);

}  // namespace tavrin
