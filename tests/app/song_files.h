#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"

namespace tamsel::app::test {

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A Pellomar file with the given header lines (UTF-16, written in the
// system's 8-bit code page), one conductor step and an empty channel line.
inline std::string PellomarFile(std::u16string_view headerLines)
{
    return "PLMR\r\n" + Utf16ToAnsi(headerLines) + "0=\r\n1=\r\n";
}

// A format-0 SMF with one track holding the given meta texts (8-bit).
inline std::string SmfFile(std::string_view title, std::string_view copyright)
{
    std::string events;
    const auto meta = [&](char type, std::string_view text) {
        if (text.empty()) return;
        events += std::string{'\0', '\xFF', type, static_cast<char>(text.size())};
        events += text;
    };
    meta('\x03', title);
    meta('\x02', copyright);
    events += std::string("\x00\x90\x3C\x64\x60\x80\x3C\x00\x00\xFF\x2F\x00", 12);
    const auto size = static_cast<std::uint32_t>(events.size());
    std::string file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk", 18);
    for (int shift = 24; shift >= 0; shift -= 8) file += static_cast<char>((size >> shift) & 0xFF);
    return file + events;
}

}  // namespace tamsel::app::test
