#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/midi_obj.h"

namespace tamsel {

class MetaTextMaker;

// The events of one line in the order the line produces them, each with its
// absolute tick; ticks beyond 32 bits are held at 0xFFFFFFFF. Within a line
// ticks never decrease, so each list is already in time order. Channel
// messages, nearly all of a song, are kept in eight bytes until they move
// into the song's track.
class LineEvents {
public:
    void Reserve(std::size_t count) { m_Events.reserve(count); }
    void Add(std::uint32_t tick, std::span<const std::uint8_t> message);
    // Keeps an existing event whole; its m_Delta is replaced when it moves.
    void AddEvent(std::uint32_t tick, CMidiObj&& event);

    [[nodiscard]] std::size_t Size() const noexcept { return m_Events.size(); }
    [[nodiscard]] bool Empty() const noexcept { return m_Events.empty(); }
    [[nodiscard]] std::uint32_t Tick(std::size_t index) const noexcept { return m_Events[index].tick; }
    // Appends event `index` to `track` with the given delta; each event moves once.
    void MoveTo(std::size_t index, std::uint32_t delta, std::vector<CMidiObj>& track);
    void Clear() noexcept;

private:
    static constexpr std::uint32_t kLong = 0x80000000u;
    struct Pending {
        std::uint32_t tick;
        // Without kLong: the length (2 or 3) in bits 24-25 and the bytes in
        // bits 0-23, first byte highest. With kLong: an index into m_Long.
        std::uint32_t message;
    };
    std::vector<Pending> m_Events;
    std::vector<CMidiObj> m_Long;
};

// The conductor pass over line 0: resets, tempo, markers and texts.
[[nodiscard]] LineEvents DecodeConductorEvents(std::u16string_view line0, MetaTextMaker& texts);

// The step length in force after each line unit of line 0, as the channel
// lines see it while they walk line 0 one unit per unit of their own.
[[nodiscard]] std::vector<std::int32_t> ConductorStepLengths(std::u16string_view line0);

// One channel line (1 to 18). `stepLengths` comes from ConductorStepLengths.
[[nodiscard]] LineEvents DecodeChannelEvents(std::u16string_view line, std::span<const std::int32_t> stepLengths,
                                             int lineNumber, MetaTextMaker& texts);

// The MIDI channel of a channel line: lines 1-9 play on 0-8, 10-15 on 10-15
// and 16-18 share channel 9. Throws std::invalid_argument outside 1-18.
[[nodiscard]] std::uint8_t ChannelOfLine(int lineNumber);

}  // namespace tamsel
