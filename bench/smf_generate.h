#pragma once

#include <cstdint>
#include <string>

namespace tamsel::bench {

// A format 1 file of `eventCount` events (end-of-track events included)
// spread over `trackCount` tracks, as sequencers write them: notes under
// running status, broken now and then by controllers and pitch bends, and
// tempo changes in the first track.
inline std::string GenerateSmf(std::size_t eventCount = 2'000'000, std::uint16_t trackCount = 16)
{
    std::string file = "MThd";
    auto put32 = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
    };
    auto put16 = [](std::string& out, std::uint16_t v) {
        out += static_cast<char>(v >> 8);
        out += static_cast<char>(v & 0xFF);
    };
    auto putVlq = [](std::string& out, std::uint32_t v) {
        char bytes[4];
        int n = 0;
        bytes[n++] = static_cast<char>(v & 0x7F);
        while ((v >>= 7) != 0) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
        while (n > 0) out += bytes[--n];
    };
    put32(file, 6);
    put16(file, 1);
    put16(file, trackCount);
    put16(file, 480);

    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (std::uint16_t t = 0; t < trackCount; ++t) {
        const std::size_t events = eventCount / trackCount + (t < eventCount % trackCount ? 1 : 0);
        const auto channel = static_cast<char>(t & 0x0F);
        std::string body;
        std::uint8_t running = 0;
        for (std::size_t i = 0; i + 1 < events; ++i) {
            const std::uint32_t r = next();
            putVlq(body, (r & 3) == 0 ? r % 960 : r % 100);  // mostly one byte, some two
            if (t == 0 && i % 64 == 0) {
                const std::uint32_t tempo = 400000 + r % 200000;
                body += "\xFF\x51\x03";
                body += static_cast<char>(tempo >> 16);
                body += static_cast<char>((tempo >> 8) & 0xFF);
                body += static_cast<char>(tempo & 0xFF);
            } else if (i % 100 == 99) {
                body += static_cast<char>(0xB0 | channel);
                body += static_cast<char>(7);
                body += static_cast<char>(r % 128);
                running = 0xB0;
            } else if (i % 250 == 124) {
                body += static_cast<char>(0xE0 | channel);
                body += static_cast<char>(r % 128);
                body += static_cast<char>((r >> 7) % 128);
                running = 0xE0;
            } else {
                if (running != 0x90) {
                    body += static_cast<char>(0x90 | channel);
                    running = 0x90;
                }
                body += static_cast<char>(36 + r % 60);
                body += static_cast<char>(i % 2 == 0 ? 1 + (r >> 7) % 127 : 0);  // note off as velocity 0
            }
        }
        body += std::string("\x00\xFF\x2F\x00", 4);
        file += "MTrk";
        put32(file, static_cast<std::uint32_t>(body.size()));
        file += body;
    }
    return file;
}

}  // namespace tamsel::bench
