#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tamsel {

// A meta event holding 8-bit text: FF, the type, the byte count as a
// variable-length quantity (one byte below 128), then the bytes. A text longer
// than a quantity can count (2^28 - 1 bytes) is cut to that length.
[[nodiscard]] std::vector<std::uint8_t> MetaTextEvent(std::uint8_t type, std::string_view text);

}  // namespace tamsel
