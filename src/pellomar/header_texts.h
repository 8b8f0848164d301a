#pragma once

#include <string>
#include <string_view>

namespace tamsel {

// The three texts that opening a Pellomar file shows.
struct PellomarHeaderTexts {
    std::u16string title;    // "Title=", or the file's name when that is empty
    std::u16string builder;  // "Builder=", shown as the copyright holder
    std::u16string comment;  // "Comment=", with each "\r\n" escape turned into CR LF
};

// Reads the header values of a Pellomar file's whole text. `fileName` is the
// file's name with its extension and without its folder.
[[nodiscard]] PellomarHeaderTexts ReadPellomarHeaderTexts(std::u16string_view text, std::u16string_view fileName);

// Replaces every four-character escape \r\n (backslash, r, backslash, n) by CR
// LF, scanning left to right without overlap; nothing else is unescaped.
[[nodiscard]] std::u16string UnescapeLineBreaks(std::u16string_view comment);

}  // namespace tamsel
