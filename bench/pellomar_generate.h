#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamsel::bench {

// A Pellomar file of 18 busy channel lines of `unitsPerLine` units each:
// mostly note letters (a note-off and a note-on each), with ties, releases,
// velocity and control changes and chords, under a conductor line with
// tempo changes, markers and step-length changes. Deterministic.
inline std::string GeneratePellomar(std::size_t unitsPerLine)
{
    static constexpr char kLetters[] = "opqrstuvwxyzabcdefghijklABCDEFGHIJKLMNOPQRSTUVWX";
    std::string text = "PLMR\r\nTimeBase=480\r\nTitle=Benchmark\r\nBuilder=tamsel\r\nComment=generated\r\n";
    text += "0=[#0][#30:0120]";
    for (std::size_t i = 0; i < unitsPerLine; ++i) {
        if (i % 512 == 0) text += "[%2:m]";
        if (i % 2048 == 1024) text += "[#30:0140][%18:060]";
        if (i % 2048 == 0 && i != 0) text += "[#30:0120][%18:120]";
        text += '-';
    }
    text += "\r\n";
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int line = 1; line <= 18; ++line) {
        text += std::to_string(line) + "=[%3:" + std::to_string(line * 5) + "]";
        for (std::size_t i = 0; i < unitsPerLine; ++i) {
            const std::uint32_t pick = next() % 100;
            if (pick < 82) {
                text += kLetters[next() % 48];
            } else if (pick < 90) {
                text += '-';
            } else if (pick < 93) {
                text += '/';
            } else if (pick < 96) {
                text += "[%5:" + std::to_string(64 + next() % 64) + "]";
            } else if (pick < 98) {
                text += "[$7:100]";
            } else if (pick < 99) {
                text += "[%10:4,7]";
            } else {
                text += "[%11]";
            }
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace tamsel::bench
