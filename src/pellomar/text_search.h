#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamsel {

// The text between the first `start` marker at or after `from` and the first
// `end` marker at or after the start marker's own position (not behind it).
// Empty when either marker is missing, when `from` is outside 0..size, or
// when the end marker comes before the start marker is over.
[[nodiscard]] std::u16string ExtractBetween(std::u16string_view text, std::u16string_view start, std::u16string_view end,
                                            std::int64_t from);

// The same as a view into `text`.
[[nodiscard]] std::u16string_view ExtractBetweenView(std::u16string_view text, std::u16string_view start,
                                                     std::u16string_view end, std::int64_t from) noexcept;

// Finds a needle for a sequence of start positions that never decreases, in
// linear time over the whole sequence: a found position stays valid as long
// as the start has not passed it. Lines with many commands that search ahead
// (for a ":" or a "]") would otherwise be quadratic.
class ForwardFinder {
public:
    ForwardFinder(std::u16string_view text, std::u16string_view needle) noexcept : m_Text(text), m_Needle(needle) {}

    [[nodiscard]] std::size_t Find(std::size_t from) noexcept
    {
        if (!m_Searched || (m_Found != std::u16string_view::npos && m_Found < from)) {
            m_Found = m_Text.find(m_Needle, from);
            m_Searched = true;
        }
        return m_Found;
    }

private:
    std::u16string_view m_Text;
    std::u16string_view m_Needle;
    std::size_t m_Found = std::u16string_view::npos;
    bool m_Searched = false;
};

}  // namespace tamsel
