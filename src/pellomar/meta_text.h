#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tamsel {

class AnsiCodePage;

// A song whose texts together pass what one decoding may hold. Only a text
// that many commands share reaches it: every [%7] before a long "[%7:...]"
// carries that whole text, so the texts could grow with the square of the
// file's size.
class SongTooLarge : public std::length_error {
public:
    SongTooLarge() : std::length_error("the song's texts take more than 256 MiB") {}
};

// A meta event holding 8-bit text: FF, the type, the byte count as a
// variable-length quantity (one byte below 128), then the bytes. A text longer
// than a quantity can count (2^28 - 1 bytes) is cut to that length.
[[nodiscard]] std::vector<std::uint8_t> MetaTextEvent(std::uint8_t type, std::string_view text);

// Makes the meta text events of one decoding from UTF-16 texts, converted to
// the ANSI code page, and keeps count of their bytes.
class MetaTextMaker {
public:
    static constexpr std::size_t kMaxTextBytes = std::size_t{256} << 20;

    explicit MetaTextMaker(AnsiCodePage& codePage) noexcept : m_CodePage(codePage) {}

    // Throws SongTooLarge once the texts made so far pass kMaxTextBytes.
    [[nodiscard]] std::vector<std::uint8_t> Make(std::uint8_t type, std::u16string_view text);

private:
    AnsiCodePage& m_CodePage;
    std::size_t m_Bytes = 0;
};

}  // namespace tamsel
