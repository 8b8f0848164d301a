#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "playback/builtin_synth.h"
#include "playback/midi_output.h"
#include "playback/performance.h"
#include "playback/synthesizer_api.h"

namespace tamsel {

// The synthesizer stack of this system: one performance playing to ports of
// several providers, enumerated one provider after another.
class SystemSynthesizer final : public SynthesizerApi {
public:
    explicit SystemSynthesizer(std::vector<std::unique_ptr<PortProvider>> providers);
    ~SystemSynthesizer() override;

    bool Open() override;
    std::optional<PortCaps> EnumPort(int index) override;
    std::unique_ptr<SynthPort> CreatePort(const PortCaps& caps) override;
    bool Activate(SynthPort& port) override;
    void AddPort(SynthPort& port) override;
    void RemovePort(SynthPort& port) override;
    void ReleasePort(std::unique_ptr<SynthPort> port) override;
    std::unique_ptr<SynthSegment> LoadSegment(const std::filesystem::path& file) override;
    void Play(SynthSegment& segment) override;
    bool IsPlaying(const SynthSegment& segment) override;
    void Stop(SynthSegment& segment) override;
    void GiveBack(std::unique_ptr<SynthSegment> segment) override;
    void CloseDown() override;

private:
    struct Listed {
        PortCaps caps;      // as the engine sees it
        std::size_t provider;
        PortCaps original;  // as the provider gave it
    };

    std::vector<std::unique_ptr<PortProvider>> m_Providers;
    std::vector<Listed> m_Listed;
    std::optional<Performance> m_Performance;
};

// The built-in synthesizer first, then the ports of every MIDI API that
// RtMidi was built with.
[[nodiscard]] std::unique_ptr<SystemSynthesizer> MakeSystemSynthesizer(BuiltInSynthOptions builtIn = {});

// Turns off what FluidSynth and JACK print on the terminal by themselves.
// For programs to call once at start: it changes process-wide settings.
void QuietSynthesizerLibraries();

}  // namespace tamsel
