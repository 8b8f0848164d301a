#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/midi.h"
#include "text/unicode.h"

namespace tamsel::test {

// "tick: HEX BYTES" for each event of track 0, with absolute ticks, so that a
// failing comparison shows where the songs part.
inline std::vector<std::string> TimedEvents(const CMidi& song)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<std::string> out;
    if (song.Tracks().empty()) return out;
    std::uint64_t tick = 0;
    for (const CMidiObj& event : song.Tracks()[0].m_EventList) {
        tick += event.m_Delta;
        std::string line = std::to_string(tick) + ":";
        for (const std::uint8_t byte : event.Data()) {
            line += ' ';
            line += kDigits[byte >> 4];
            line += kDigits[byte & 15];
        }
        out.push_back(std::move(line));
    }
    return out;
}

// `count` copies of a hex byte, spaced, for long texts in expectations.
inline std::string RepeatHex(std::string_view byte, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) out += ' ';
        out += byte;
    }
    return out;
}

// A Pellomar text: the magic, then each key=value line ended by CR LF.
inline std::u16string PellomarText(std::initializer_list<std::pair<std::string_view, std::string_view>> keys)
{
    std::string text = "PLMR\r\n";
    for (const auto& [key, value] : keys) {
        text.append(key);
        text += '=';
        text.append(value);
        text += "\r\n";
    }
    return Utf8ToUtf16(text);
}

}  // namespace tamsel::test
