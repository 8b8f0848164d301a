#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tamsel {

// The value of a decimal digit: "0" to "9" and the digits of the other
// scripts the number rule accepts (Arabic-Indic, Devanagari, ..., fullwidth);
// -1 for anything else.
[[nodiscard]] int DigitValue(char16_t c) noexcept;

// Reads a number the way the wide-string-to-long conversion does: white space
// skipped, one optional sign, digits up to the first non-digit, 0 without any
// digit. Values beyond 32 bits are clamped to the nearest 32-bit value.
[[nodiscard]] std::int32_t ParseNumber(std::u16string_view text) noexcept;

// The number in the `width` characters that start `offset` characters after
// the "[" at `bracket`. The field is cut at the end of the line and reads 0
// when it starts beyond it; it may run past the command's "]".
[[nodiscard]] std::int32_t NumericField(std::u16string_view line, std::size_t bracket, std::size_t offset,
                                        std::size_t width) noexcept;

}  // namespace tamsel
