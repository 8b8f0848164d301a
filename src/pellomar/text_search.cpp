#include "pellomar/text_search.h"

namespace tamsel {

std::u16string_view ExtractBetweenView(std::u16string_view text, std::u16string_view start, std::u16string_view end,
                                       std::int64_t from) noexcept
{
    if (from < 0 || static_cast<std::uint64_t>(from) > text.size()) return {};
    const std::size_t a = text.find(start, static_cast<std::size_t>(from));
    if (a == std::u16string_view::npos) return {};
    const std::size_t b = text.find(end, a);
    if (b == std::u16string_view::npos || b < a + start.size()) return {};
    return text.substr(a + start.size(), b - a - start.size());
}

std::u16string ExtractBetween(std::u16string_view text, std::u16string_view start, std::u16string_view end,
                              std::int64_t from)
{
    return std::u16string(ExtractBetweenView(text, start, end, from));
}

}  // namespace tamsel
