#include "playback/builtin_synth.h"

#include <fluidsynth.h>

#include "playback/jack_probe.h"
#include "playback/offline_audio.h"

namespace tamsel {

namespace {

constexpr int kGsXgDeviceId = 16;  // what GS and XG reset messages carry

struct SettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};
struct DriverDeleter {
    void operator()(fluid_audio_driver_t* driver) const { delete_fluid_audio_driver(driver); }
};

bool DriverCompiledIn(fluid_settings_t* settings, const std::string& driver)
{
    struct Search {
        const std::string* wanted;
        bool found = false;
    } search{&driver};
    fluid_settings_foreach_option(settings, "audio.driver", &search, [](void* data, const char*, const char* option) {
        auto* s = static_cast<Search*>(data);
        if (*s->wanted == option) s->found = true;
    });
    return search.found;
}

class FluidSynthOutput final : public MidiOutput {
public:
    explicit FluidSynthOutput(const BuiltInSynthOptions& options) : m_Options(options) {}

    ~FluidSynthOutput() override
    {
        // The driver pulls sound from the synth on its own thread: it goes first.
        m_Driver.reset();
        if (m_Options.offlineAudio && m_Synth) m_Options.offlineAudio->Detach();
    }

    bool Activate() override
    {
        if (m_Synth) return m_Active;
        m_Settings.reset(new_fluid_settings());
        if (!m_Settings) return false;
        fluid_settings_setint(m_Settings.get(), "synth.device-id", kGsXgDeviceId);
        // A player can afford a tenth of a second of buffering; FluidSynth's
        // 23 ms default breaks up as soon as the machine is busy.
        fluid_settings_setint(m_Settings.get(), "audio.period-size", 1024);
        fluid_settings_setint(m_Settings.get(), "audio.periods", 4);
        if (m_Options.offlineAudio)
            fluid_settings_setnum(m_Settings.get(), "synth.sample-rate", m_Options.offlineAudio->SampleRate());
        m_Synth.reset(new_fluid_synth(m_Settings.get()));
        if (!m_Synth) return false;
        const auto soundFont = m_Options.soundFont.empty() ? DefaultSoundFont() : m_Options.soundFont;
        if (soundFont.empty() || fluid_synth_sfload(m_Synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) return false;
        if (m_Options.offlineAudio) {
            fluid_synth_t* synth = m_Synth.get();
            m_Options.offlineAudio->Attach(
                [synth](float* left, float* right, int frames) { fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1); },
                PlaybackClock::now());
            m_Active = true;
            return true;
        }
        for (const std::string& driver : m_Options.audioDrivers) {
            if (!DriverCompiledIn(m_Settings.get(), driver)) continue;
            if (driver == "jack" && !JackServerRuns()) continue;
            fluid_settings_setstr(m_Settings.get(), "audio.driver", driver.c_str());
            m_Driver.reset(new_fluid_audio_driver(m_Settings.get(), m_Synth.get()));
            if (m_Driver) break;
        }
        m_Active = m_Driver != nullptr;
        return m_Active;
    }

    void Send(std::span<const std::uint8_t> message, PlaybackClock::time_point due) override
    {
        if (!m_Synth || message.empty()) return;
        if (m_Options.offlineAudio)
            m_Options.offlineAudio->At(due, [&] { Apply(message); });
        else
            Apply(message);
    }

private:
    void Apply(std::span<const std::uint8_t> message)
    {
        fluid_synth_t* synth = m_Synth.get();
        const std::uint8_t status = message[0];
        const int channel = status & 0x0F;
        const int data1 = message.size() > 1 ? message[1] & 0x7F : 0;
        const int data2 = message.size() > 2 ? message[2] & 0x7F : 0;
        switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(synth, channel, data1);
            else
                fluid_synth_noteon(synth, channel, data1, data2);
            break;
        case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
        case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
        case 0xF0:
            // FluidSynth wants the bytes between F0 and F7.
            if (status == 0xF0 && message.size() >= 2 && message.back() == 0xF7) {
                const auto* body = reinterpret_cast<const char*>(message.data() + 1);
                fluid_synth_sysex(synth, body, static_cast<int>(message.size() - 2), nullptr, nullptr, nullptr, 0);
            }
            break;
        default: break;
        }
    }

    BuiltInSynthOptions m_Options;
    std::unique_ptr<fluid_settings_t, SettingsDeleter> m_Settings;
    std::unique_ptr<fluid_synth_t, SynthDeleter> m_Synth;
    std::unique_ptr<fluid_audio_driver_t, DriverDeleter> m_Driver;
    bool m_Active = false;
};

}  // namespace

std::filesystem::path DefaultSoundFont()
{
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
                                  "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

std::vector<PortCaps> BuiltInSynthProvider::Enumerate()
{
    return {PortCaps{kDescription, "fluidsynth"}};
}

std::unique_ptr<MidiOutput> BuiltInSynthProvider::Create(const PortCaps&)
{
    return std::make_unique<FluidSynthOutput>(m_Options);
}

}  // namespace tamsel
