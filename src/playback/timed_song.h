#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "model/midi.h"

namespace tamsel {

// A song as a performance plays it: every message that goes to a port, at its
// time from the start, with the whole tempo map applied.
class TimedSong {
public:
    struct Event {
        std::chrono::nanoseconds time;
        std::uint32_t offset;  // into the shared byte store
        std::uint32_t length;
    };

    [[nodiscard]] std::size_t Size() const noexcept { return m_Events.size(); }
    [[nodiscard]] std::chrono::nanoseconds Time(std::size_t index) const { return m_Events[index].time; }
    [[nodiscard]] std::span<const std::uint8_t> Message(std::size_t index) const
    {
        const Event& event = m_Events[index];
        return {m_Bytes.data() + event.offset, event.length};
    }
    // When the song ends: its last event, meta events (end of track) included.
    [[nodiscard]] std::chrono::nanoseconds Length() const noexcept { return m_Length; }

    // Merges the tracks of `song` in time order (track order among equal
    // ticks). Channel messages and system-exclusive messages are kept; meta
    // events only shape the timing.
    static TimedSong FromSong(const CMidi& song);

private:
    std::vector<Event> m_Events;
    std::vector<std::uint8_t> m_Bytes;
    std::chrono::nanoseconds m_Length{0};
};

}  // namespace tamsel
