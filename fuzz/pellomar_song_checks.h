#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "model/smf_codec.h"

namespace tamsel::fuzz {

[[noreturn]] inline void Fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// What every decoded song must be: one track that starts with the title and
// builder, ends with the end of track, never runs past the largest 32-bit
// tick, and is written as an SMF that reads back without a message and
// writes again byte for byte.
inline void CheckDecodedSong(const CMidi& song)
{
    if (song.Tracks().size() != 1 || song.m_Header.m_Format != 0) Fail("not one track of format 0");
    const auto& events = song.Tracks()[0].m_EventList;
    if (events.size() < 3) Fail("title, builder or end of track missing");
    if (events[0].Data()[1] != 0x03 || events[1].Data()[1] != 0x02) Fail("the song does not start with title and builder");
    const auto last = events.back().Data();
    if (last.size() != 3 || last[0] != 0xFF || last[1] != 0x2F || last[2] != 0x00 || events.back().m_Delta != 0) {
        Fail("the song does not end with the end of track");
    }
    std::uint64_t tick = 0;
    for (const CMidiObj& event : events) tick += event.m_Delta;
    if (tick > 0xFFFFFFFFu) Fail("ticks run past 32 bits");

    const std::string written = WriteStandardMidi(song);
    CMidi again;
    CollectingDiagnostics faults;
    ReadStandardMidi({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()}, again, faults);
    if (!faults.Empty()) Fail("the written song reads back with a message");
    if (WriteStandardMidi(again) != written) Fail("the written song does not write again byte for byte");
}

}  // namespace tamsel::fuzz
