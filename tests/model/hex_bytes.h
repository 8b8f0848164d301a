#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/midi.h"

namespace tamsel::test {

// Parses "4D 54 68 64 ..." into bytes. Whitespace is free; a "..." is not
// allowed, so fixtures spell out every byte they mean.
inline std::vector<std::uint8_t> Hex(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        int nibble = -1;
        if (c >= '0' && c <= '9') nibble = c - '0';
        else if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
        else if (c == ' ' || c == '\n' || c == '\t') continue;
        else throw std::invalid_argument("not a hex digit in fixture: " + std::string(text));
        if (high < 0) {
            high = nibble;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | nibble));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits in fixture: " + std::string(text));
    return bytes;
}

inline std::string HexText(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

inline std::string HexText(std::string_view bytes)
{
    return HexText({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

// One event as "delta: bytes", e.g. "480: 80 3C 00", so that expected tracks
// read like the files they come from.
inline std::string EventText(const CMidiObj& event)
{
    return std::to_string(event.m_Delta) + ": " + HexText(event.Data());
}

inline std::vector<std::string> TrackText(const CMidiTrack& track)
{
    std::vector<std::string> events;
    for (const CMidiObj& event : track.m_EventList) events.push_back(EventText(event));
    return events;
}

inline std::vector<std::vector<std::string>> SongText(const CMidi& song)
{
    std::vector<std::vector<std::string>> tracks;
    for (const CMidiTrack& track : song.Tracks()) tracks.push_back(TrackText(track));
    return tracks;
}

}  // namespace tamsel::test
