#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace tamsel {

// The 8-bit code page of song texts: Pellomar files, meta-event texts and SMF
// titles are CP932 (Windows-31J, where byte 5C is the backslash). This class
// is the one place that makes that choice. It converts both ways:
//  - Decode: the text ends at the first NUL byte; a byte that does not start a
//    valid CP932 character becomes U+FFFD and reading goes on at the next byte.
//  - Encode: a character CP932 cannot hold becomes "?".
// One object keeps its iconv descriptors open, so a decoder that converts many
// short texts pays for opening them once. Not thread-safe; use one per thread.
class AnsiCodePage {
public:
    AnsiCodePage();
    AnsiCodePage(const AnsiCodePage&) = delete;
    AnsiCodePage& operator=(const AnsiCodePage&) = delete;
    ~AnsiCodePage();

    [[nodiscard]] std::u16string Decode(std::string_view bytes);
    [[nodiscard]] std::string Encode(std::u16string_view text);

private:
    iconv_t m_ToUtf16;
    iconv_t m_FromUtf16;
};

// One-off conversions through a fresh AnsiCodePage.
[[nodiscard]] std::u16string AnsiToUtf16(std::string_view bytes);
[[nodiscard]] std::string Utf16ToAnsi(std::u16string_view text);

}  // namespace tamsel
