#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/midi_output.h"

namespace tamsel {

// The MIDI output ports of one system MIDI API, through RtMidi. An API that
// is not available here (no ALSA sequencer, no JACK server) offers no port.
class RtMidiPortProvider final : public PortProvider {
public:
    enum class Api { AlsaSequencer, Jack };

    explicit RtMidiPortProvider(Api api) : m_Api(api) {}
    std::vector<PortCaps> Enumerate() override;
    std::unique_ptr<MidiOutput> Create(const PortCaps& caps) override;

    // The APIs this RtMidi was built with, of those above.
    [[nodiscard]] static std::vector<Api> CompiledApis();

private:
    Api m_Api;
};

}  // namespace tamsel
