#include "playback/system_synthesizer.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <jack/jack.h>

#include <stdexcept>

#include "io/file.h"
#include "model/smf_codec.h"
#include "playback/rtmidi_ports.h"
#include "playback/timed_song.h"

namespace tamsel {

namespace {

struct SystemPort final : SynthPort {
    explicit SystemPort(std::shared_ptr<MidiOutput> output) : output(std::move(output)) {}
    std::shared_ptr<MidiOutput> output;
};

struct SystemSegment final : SynthSegment {
    explicit SystemSegment(std::shared_ptr<const TimedSong> song) : song(std::move(song)) {}
    std::shared_ptr<const TimedSong> song;
};

// An object made by another synthesizer is a fault of the caller.
template <typename Ours, typename Base>
Ours& Checked(Base& object)
{
    auto* ours = dynamic_cast<Ours*>(&object);
    if (!ours) throw std::logic_error("object from another synthesizer");
    return *ours;
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

SystemSynthesizer::SystemSynthesizer(std::vector<std::unique_ptr<PortProvider>> providers) : m_Providers(std::move(providers)) {}

SystemSynthesizer::~SystemSynthesizer()
{
    CloseDown();
}

bool SystemSynthesizer::Open()
{
    if (!m_Performance) m_Performance.emplace();
    return true;
}

std::optional<PortCaps> SystemSynthesizer::EnumPort(int index)
{
    // The first question takes a fresh look at every provider; the later ones
    // read that snapshot so that indexes stay put.
    if (index == 0) {
        m_Listed.clear();
        for (std::size_t p = 0; p < m_Providers.size(); ++p) {
            for (PortCaps& caps : m_Providers[p]->Enumerate()) {
                PortCaps visible{caps.description, std::to_string(p) + ":" + caps.id};
                m_Listed.push_back({std::move(visible), p, std::move(caps)});
            }
        }
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_Listed.size()) return std::nullopt;
    return m_Listed[static_cast<std::size_t>(index)].caps;
}

std::unique_ptr<SynthPort> SystemSynthesizer::CreatePort(const PortCaps& caps)
{
    for (const Listed& listed : m_Listed) {
        if (listed.caps.id != caps.id) continue;
        std::unique_ptr<MidiOutput> output = m_Providers[listed.provider]->Create(listed.original);
        if (!output) return nullptr;
        return std::make_unique<SystemPort>(std::shared_ptr<MidiOutput>(std::move(output)));
    }
    return nullptr;
}

bool SystemSynthesizer::Activate(SynthPort& port)
{
    return Checked<SystemPort>(port).output->Activate();
}

void SystemSynthesizer::AddPort(SynthPort& port)
{
    if (m_Performance) m_Performance->AddPort(Checked<SystemPort>(port).output);
}

void SystemSynthesizer::RemovePort(SynthPort& port)
{
    if (m_Performance) m_Performance->RemovePort(*Checked<SystemPort>(port).output);
}

void SystemSynthesizer::ReleasePort(std::unique_ptr<SynthPort> port)
{
    if (port && m_Performance) m_Performance->RemovePort(*Checked<SystemPort>(*port).output);
}

std::unique_ptr<SynthSegment> SystemSynthesizer::LoadSegment(const std::filesystem::path& file)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(file);
    } catch (const FileError&) {
        return nullptr;
    }
    CMidi song;
    CollectingDiagnostics faults;
    ReadStandardMidi({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, song, faults);
    // What is not a Standard MIDI File at all does not load; a damaged one
    // plays as far as it could be read.
    for (const Diagnostic& fault : faults.Reports())
        if (fault.fault == ReadFault::HeaderChunk) return nullptr;
    return std::make_unique<SystemSegment>(std::make_shared<const TimedSong>(TimedSong::FromSong(song)));
}

void SystemSynthesizer::Play(SynthSegment& segment)
{
    if (m_Performance) m_Performance->Play(Checked<SystemSegment>(segment).song);
}

bool SystemSynthesizer::IsPlaying(const SynthSegment& segment)
{
    return m_Performance && m_Performance->IsPlaying(*Checked<const SystemSegment>(segment).song);
}

void SystemSynthesizer::Stop(SynthSegment& segment)
{
    if (m_Performance) m_Performance->Stop(*Checked<SystemSegment>(segment).song);
}

void SystemSynthesizer::GiveBack(std::unique_ptr<SynthSegment> segment)
{
    if (segment && m_Performance) m_Performance->Stop(*Checked<SystemSegment>(*segment).song);
}

void SystemSynthesizer::CloseDown()
{
    if (m_Performance) m_Performance->CloseDown();
}

std::unique_ptr<SystemSynthesizer> MakeSystemSynthesizer(BuiltInSynthOptions builtIn)
{
    std::vector<std::unique_ptr<PortProvider>> providers;
    providers.push_back(std::make_unique<BuiltInSynthProvider>(std::move(builtIn)));
    for (RtMidiPortProvider::Api api : RtMidiPortProvider::CompiledApis()) providers.push_back(std::make_unique<RtMidiPortProvider>(api));
    return std::make_unique<SystemSynthesizer>(std::move(providers));
}

void QuietSynthesizerLibraries()
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    snd_lib_error_set_handler(&IgnoreAlsaError);
}

}  // namespace tamsel
