#pragma once

#include <string>
#include <string_view>

namespace tamsel {

// Conversions between the UTF-16 the song texts are held in and the UTF-8 of
// terminals and file names. Unpaired surrogates and malformed UTF-8 become
// U+FFFD, so every input converts.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace tamsel
