#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "playback/midi_output.h"

namespace tamsel {

class OfflineAudio;

struct BuiltInSynthOptions {
    // A General MIDI SoundFont; empty: the system's default one.
    std::filesystem::path soundFont;
    // FluidSynth audio drivers, tried in order; the first that opens is used.
    std::vector<std::string> audioDrivers{"pipewire", "pulseaudio", "alsa", "jack"};
    // When set, no driver is opened: the sound is rendered into it instead.
    OfflineAudio* offlineAudio = nullptr;
};

// The system's default General MIDI SoundFont, or empty when there is none.
[[nodiscard]] std::filesystem::path DefaultSoundFont();

// The built-in software synthesizer (FluidSynth): always one port.
class BuiltInSynthProvider final : public PortProvider {
public:
    static constexpr char16_t kDescription[] = u"内蔵ソフトウェア音源 (FluidSynth)";

    explicit BuiltInSynthProvider(BuiltInSynthOptions options = {}) : m_Options(std::move(options)) {}
    std::vector<PortCaps> Enumerate() override;
    std::unique_ptr<MidiOutput> Create(const PortCaps& caps) override;

private:
    BuiltInSynthOptions m_Options;
};

}  // namespace tamsel
