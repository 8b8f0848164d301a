#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/midi_obj.h"

namespace tamsel {

class MetaTextMaker;

// The events of one line in the order the line produces them. While a line's
// events are being collected, each event's m_Delta holds its absolute tick;
// ticks beyond 32 bits are held at 0xFFFFFFFF. Within a line ticks never
// decrease, so each list is already in time order.
using LineEvents = std::vector<CMidiObj>;

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
