#include "playback/rtmidi_ports.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>


#include "playback/jack_probe.h"
#include "text/unicode.h"

namespace tamsel {

namespace {

constexpr const char* kClientName = "Tamsel";

RtMidi::Api ToRtMidi(RtMidiPortProvider::Api api)
{
    return api == RtMidiPortProvider::Api::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

const char* Suffix(RtMidiPortProvider::Api api)
{
    return api == RtMidiPortProvider::Api::Jack ? " (JACK)" : " (ALSA)";
}

// Warnings go nowhere: the engine reports what matters through its results.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

// Without the sequencer device RtMidi would complain on the terminal before
// throwing; the missing device says the same quietly.
bool AlsaSequencerPresent()
{
    std::error_code error;
    return std::filesystem::exists("/dev/snd/seq", error);
}

std::unique_ptr<RtMidiOut> OpenClient(RtMidiPortProvider::Api api)
{
    if (api == RtMidiPortProvider::Api::Jack && !JackServerRuns()) return nullptr;
    if (api == RtMidiPortProvider::Api::AlsaSequencer && !AlsaSequencerPresent()) return nullptr;
    try {
        auto out = std::make_unique<RtMidiOut>(ToRtMidi(api), kClientName);
        out->setErrorCallback(&IgnoreError, nullptr);
        return out;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

// How many connections the JACK port `name` has, or -1 when it is not there.
int JackConnections(jack_client_t* client, const std::string& name)
{
    jack_port_t* port = jack_port_by_name(client, name.c_str());
    return port ? jack_port_connected(port) : -1;
}

// JACK takes messages and connections on at its next cycle or two; this
// long a wait covers that, or zero when no JACK server answers.
std::chrono::microseconds JackSettleTime(jack_client_t* client)
{
    const double period = static_cast<double>(jack_get_buffer_size(client)) / jack_get_sample_rate(client);
    return std::chrono::microseconds(static_cast<long long>((2 * period + 0.002) * 1e6));
}

// RtMidi asks JACK to connect and returns; messages sent before the new
// connection is in JACK's graph are lost. Waits until the destination shows
// one more connection, then for the graph to take it up. Returns whether the
// port opened, and how long JACK needs to pass a message on.
template <typename Connect>
bool ConnectAndSettle(const std::string& destination, Connect connect, std::chrono::microseconds& settle)
{
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("tamsel-probe", JackNoStartServer, &status);
    if (!probe) return connect();
    settle = JackSettleTime(probe);
    const int before = JackConnections(probe, destination);
    const bool connected = connect();
    if (connected && before >= 0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (JackConnections(probe, destination) <= before && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(settle);
    }
    jack_client_close(probe);
    return connected;
}

class RtMidiOutput final : public MidiOutput {
public:
    RtMidiOutput(RtMidiPortProvider::Api api, std::string portName) : m_Api(api), m_PortName(std::move(portName)) {}
    RtMidiOutput(const RtMidiOutput&) = delete;
    RtMidiOutput& operator=(const RtMidiOutput&) = delete;

    ~RtMidiOutput() override
    {
        if (!m_Out || m_Api != RtMidiPortProvider::Api::Jack || !m_Out->isPortOpen()) return;
        // The last messages (the silencing after a stop) wait in RtMidi's
        // buffer for JACK's next cycle: let them go out first, with room for
        // a cycle that runs late on a busy machine.
        std::this_thread::sleep_for(std::max<std::chrono::microseconds>(m_Settle, std::chrono::milliseconds(50)));
        // RtMidi's JACK backend frees that buffer before it closes its client,
        // while a JACK cycle may still be reading it. Closing the port first
        // makes later cycles leave the buffer alone; the pause lets a cycle
        // already under way finish.
        try {
            m_Out->closePort();
        } catch (const RtMidiError&) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    bool Activate() override
    {
        if (m_Out && m_Out->isPortOpen()) return true;
        m_Out = OpenClient(m_Api);
        if (!m_Out) return false;
        try {
            // Ports come and go: the name, not the number, says which one.
            const unsigned count = m_Out->getPortCount();
            for (unsigned i = 0; i < count; ++i) {
                if (m_Out->getPortName(i) != m_PortName) continue;
                const auto open = [&] {
                    m_Out->openPort(i, "output");
                    return m_Out->isPortOpen();
                };
                return m_Api == RtMidiPortProvider::Api::Jack ? ConnectAndSettle(m_PortName, open, m_Settle) : open();
            }
        } catch (const RtMidiError&) {
        }
        return false;
    }

    void Send(std::span<const std::uint8_t> message, PlaybackClock::time_point) override
    {
        if (!m_Out || !m_Out->isPortOpen()) return;
        try {
            m_Out->sendMessage(message.data(), message.size());
        } catch (const RtMidiError&) {
            // A port that went away takes no more messages; playing goes on.
        }
    }

private:
    RtMidiPortProvider::Api m_Api;
    std::string m_PortName;
    std::chrono::microseconds m_Settle{0};
    std::unique_ptr<RtMidiOut> m_Out;
};

}  // namespace

std::vector<RtMidiPortProvider::Api> RtMidiPortProvider::CompiledApis()
{
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<Api> apis;
    for (RtMidi::Api api : compiled) {
        if (api == RtMidi::LINUX_ALSA) apis.push_back(Api::AlsaSequencer);
        if (api == RtMidi::UNIX_JACK) apis.push_back(Api::Jack);
    }
    return apis;
}

std::vector<PortCaps> RtMidiPortProvider::Enumerate()
{
    std::vector<PortCaps> ports;
    std::unique_ptr<RtMidiOut> out = OpenClient(m_Api);
    if (!out) return ports;
    try {
        const unsigned count = out->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string name = out->getPortName(i);
            if (name.empty()) continue;
            ports.push_back({Utf8ToUtf16(name + Suffix(m_Api)), std::move(name)});
        }
    } catch (const RtMidiError&) {
    }
    return ports;
}

std::unique_ptr<MidiOutput> RtMidiPortProvider::Create(const PortCaps& caps)
{
    return std::make_unique<RtMidiOutput>(m_Api, caps.id);
}

}  // namespace tamsel
