#pragma once

#include <algorithm>
#include <cstdint>

namespace tavrin {

// Packed BCD as the unit stores numbers: two decimal digits per byte, the more significant in
// the high nibble. The unit does not range-check nibbles, so neither do we.
inline int fromBcd(std::uint8_t value) { return 10 * (value >> 4) + (value & 0x0F); }

// n is clamped to 0-99, the range one byte can carry.
inline std::uint8_t toBcd(int n) {
    n = std::clamp(n, 0, 99);
    return static_cast<std::uint8_t>(((n / 10) << 4) | (n % 10));
}

}  // namespace tavrin
