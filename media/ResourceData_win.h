#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin {

// The bytes of resource `id` of type `type` in the program's own module; they stay valid for the
// life of the process. Throws WindowException (the system's text for the error) when the
// resource is missing, empty or cannot be loaded.
const std::uint8_t* loadResourceData(const wchar_t* type, int id, std::size_t& size);

}  // namespace tavrin
