#pragma once

#include <cstddef>
#include <cstdint>

namespace tamsel {

// Variable-length quantities as Standard MIDI Files store them: 7 bits a
// byte, high group first, bit 7 set on all but the last byte. Only the low
// 28 bits of a value are ever written.
inline constexpr std::uint32_t kVlqMax = 0x0FFFFFFF;

[[nodiscard]] constexpr std::size_t VlqSize(std::uint32_t value) noexcept
{
    value &= kVlqMax;
    if (value < (1u << 7)) return 1;
    if (value < (1u << 14)) return 2;
    if (value < (1u << 21)) return 3;
    return 4;
}

// Writes the quantity at `out`, which must have room for VlqSize(value)
// bytes; returns the number of bytes written.
constexpr std::size_t EncodeVlq(std::uint32_t value, std::uint8_t* out) noexcept
{
    value &= kVlqMax;
    const std::size_t size = VlqSize(value);
    for (std::size_t i = size; i-- > 0;) {
        out[size - 1 - i] = static_cast<std::uint8_t>(((value >> (7 * i)) & 0x7F) | (i != 0 ? 0x80 : 0));
    }
    return size;
}

}  // namespace tamsel
