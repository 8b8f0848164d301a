#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

namespace tamsel::test {

// A JACK server of this test's own (dummy driver, no audio hardware) under a
// name no other run shares, started and stopped by its process id. Clients of
// this process find it through JACK_DEFAULT_SERVER.
class JackServer {
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kPeriod = 64;

    JackServer()
        : m_Name("tamsel-test-" + std::to_string(getpid())),
          m_Process({"jackd", "--no-realtime", "-n", m_Name, "-d", "dummy", "-r", std::to_string(kSampleRate), "-p",
                     std::to_string(kPeriod)},
                    {{"JACK_NO_START_SERVER", "1"}})
    {
        setenv("JACK_NO_START_SERVER", "1", 1);
        setenv("JACK_DEFAULT_SERVER", m_Name.c_str(), 1);
        m_Ready = WaitFor(
            [&] {
                jack_status_t status{};
                jack_client_t* probe = jack_client_open("tamsel-test-probe", JackNoStartServer, &status);
                if (!probe) return false;
                jack_client_close(probe);
                return true;
            },
            std::chrono::seconds(15));
    }
    ~JackServer()
    {
        m_Process.Stop(SIGTERM);
        unsetenv("JACK_DEFAULT_SERVER");
    }

    [[nodiscard]] bool Ready() const { return m_Ready; }
    [[nodiscard]] const std::string& Name() const { return m_Name; }

private:
    std::string m_Name;
    ChildProcess m_Process;
    bool m_Ready = false;
};

// A JACK client with one MIDI input that keeps what arrives, stamped with
// the time at which JACK delivered it.
class MidiReceiver {
public:
    struct Event {
        double seconds;  // on JACK's clock
        std::vector<std::uint8_t> bytes;
    };

    explicit MidiReceiver(const char* name)
    {
        jack_status_t status{};
        m_Client = jack_client_open(name, JackNoStartServer, &status);
        if (!m_Client) return;
        m_Port = jack_port_register(m_Client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(m_Client, &MidiReceiver::Process, this);
        m_Ok = m_Port && jack_activate(m_Client) == 0;
    }
    ~MidiReceiver()
    {
        if (m_Client) {
            jack_deactivate(m_Client);
            jack_client_close(m_Client);
        }
    }
    MidiReceiver(const MidiReceiver&) = delete;
    MidiReceiver& operator=(const MidiReceiver&) = delete;

    [[nodiscard]] bool Ok() const { return m_Ok; }
    [[nodiscard]] std::size_t Count() const { return m_Count.load(); }
    // What arrived so far, in order.
    [[nodiscard]] std::vector<Event> Events() const
    {
        std::vector<Event> events;
        const std::size_t count = m_Count.load();
        for (std::size_t i = 0; i < count; ++i) {
            const Slot& slot = m_Slots[i];
            events.push_back({static_cast<double>(slot.microseconds) / 1e6, std::vector<std::uint8_t>(slot.bytes.begin(), slot.bytes.begin() + slot.size)});
        }
        return events;
    }

private:
    struct Slot {
        jack_time_t microseconds;
        std::array<std::uint8_t, 16> bytes;
        std::size_t size;
    };

    // Runs on JACK's thread: no allocation, only writes into the fixed slots.
    // Times are the clock's when the cycle runs: a dummy driver that falls
    // behind on a busy machine lets its frame count, and JACK's estimate of
    // time drawn from it, lag the clock.
    static int Process(jack_nframes_t frames, void* self)
    {
        auto* receiver = static_cast<MidiReceiver*>(self);
        const jack_time_t now = jack_get_time();
        void* buffer = jack_port_get_buffer(receiver->m_Port, frames);
        const std::uint32_t count = jack_midi_get_event_count(buffer);
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0) continue;
            const std::size_t at = receiver->m_Count.load(std::memory_order_relaxed);
            if (at >= receiver->m_Slots.size()) break;
            Slot& slot = receiver->m_Slots[at];
            slot.microseconds = now;
            slot.size = std::min(event.size, slot.bytes.size());
            std::copy_n(event.buffer, slot.size, slot.bytes.begin());
            receiver->m_Count.store(at + 1, std::memory_order_release);
        }
        return 0;
    }

    jack_client_t* m_Client = nullptr;
    jack_port_t* m_Port = nullptr;
    bool m_Ok = false;
    std::array<Slot, 4096> m_Slots{};
    std::atomic<std::size_t> m_Count{0};
};

}  // namespace tamsel::test
