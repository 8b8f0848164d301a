#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "playback/synthesizer_api.h"

namespace tamsel {

using PlaybackClock = std::chrono::steady_clock;

// Where a performance sends its messages: the built-in synthesizer or a
// system MIDI port. Only the performance's thread sends.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    // True when the output is ready to sound.
    virtual bool Activate() = 0;
    // One whole message (system exclusive from F0 to F7). `due` is when it
    // was meant to sound; outputs that play at once ignore it.
    virtual void Send(std::span<const std::uint8_t> message, PlaybackClock::time_point due) = 0;
};

// A source of output ports: the built-in synthesizer, or one MIDI API.
class PortProvider {
public:
    virtual ~PortProvider() = default;
    // The ports on offer now, in order; empty when the source is unavailable.
    virtual std::vector<PortCaps> Enumerate() = 0;
    // The output for one of the ports it enumerated; null when it cannot be made.
    virtual std::unique_ptr<MidiOutput> Create(const PortCaps& caps) = 0;
};

}  // namespace tamsel
