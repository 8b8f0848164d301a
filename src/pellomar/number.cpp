#include "pellomar/number.h"

#include <array>
#include <limits>

namespace tamsel {

namespace {

// First code point of each run of ten decimal digits beyond ASCII.
constexpr std::array<char16_t, 17> kDigitRuns{0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
                                              0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};

// Unicode white space (U+3000, the ideographic space, is the one a CP932
// text can hold beyond ASCII). The information separators 1C-1F are not.
bool IsSpace(char16_t c) noexcept
{
    if (c < 0x80) return c == u' ' || (c >= 0x09 && c <= 0x0D);
    return c == 0x0085 || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace

int DigitValue(char16_t c) noexcept
{
    if (c < 0x80) return c >= u'0' && c <= u'9' ? c - u'0' : -1;
    for (const char16_t run : kDigitRuns) {
        if (c >= run && c < run + 10) return c - run;
    }
    return -1;
}

std::int32_t ParseNumber(std::u16string_view text) noexcept
{
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0) break;
        // Past 2^31 the result is clamped anyway; stop growing so nothing overflows.
        if (magnitude <= kLimit) magnitude = magnitude * 10 + digit;
    }
    if (negative) return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min() : static_cast<std::int32_t>(-magnitude);
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

std::int32_t NumericField(std::u16string_view line, std::size_t bracket, std::size_t offset, std::size_t width) noexcept
{
    if (bracket >= line.size() || offset >= line.size() - bracket) return 0;
    return ParseNumber(line.substr(bracket + offset, width));
}

}  // namespace tamsel
