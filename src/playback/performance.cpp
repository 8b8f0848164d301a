#include "playback/performance.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace tamsel {

void Performance::NoteTracker::Note(std::span<const std::uint8_t> message)
{
    const std::uint8_t status = message[0];
    if (status < 0x80 || status >= 0xF0) return;
    const int channel = status & 0x0F;
    m_Used.set(static_cast<std::size_t>(channel));
    const std::uint8_t kind = status & 0xF0;
    if (message.size() < 3 || (kind != 0x80 && kind != 0x90)) return;
    std::uint8_t& count = m_On[static_cast<std::size_t>(channel)][message[1] & 0x7F];
    if (kind == 0x90 && message[2] > 0) {
        if (count < 255) ++count;
    } else if (count > 0) {
        --count;
    }
}

void Performance::NoteTracker::Silence(MidiOutput& output, PlaybackClock::time_point now)
{
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        for (std::uint8_t key = 0; key < 128; ++key) {
            // One note-off for each note-on still open: some devices stack them.
            for (std::uint8_t n = m_On[channel][key]; n > 0; --n) {
                const std::uint8_t off[] = {static_cast<std::uint8_t>(0x80 | channel), key, 0};
                output.Send(off, now);
            }
        }
    }
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        if (!m_Used.test(channel)) continue;
        const std::uint8_t allNotesOff[] = {static_cast<std::uint8_t>(0xB0 | channel), 123, 0};
        const std::uint8_t allSoundOff[] = {static_cast<std::uint8_t>(0xB0 | channel), 120, 0};
        output.Send(allNotesOff, now);
        output.Send(allSoundOff, now);
    }
    *this = NoteTracker();
}

Performance::Performance() : m_Thread([this] { Run(); }) {}

Performance::~Performance()
{
    CloseDown();
}

void Performance::AddPort(std::shared_ptr<MidiOutput> output)
{
    std::lock_guard lock(m_Mutex);
    if (m_Output && m_Output != output) SilenceLocked();
    m_Output = std::move(output);
    ++m_Generation;
    m_Wake.notify_all();
}

void Performance::RemovePort(const MidiOutput& output)
{
    std::lock_guard lock(m_Mutex);
    if (m_Output.get() != &output) return;
    SilenceLocked();
    m_Output.reset();
}

void Performance::Play(std::shared_ptr<const TimedSong> song)
{
    std::lock_guard lock(m_Mutex);
    if (m_Closing) return;
    SilenceLocked();
    m_Song = std::move(song);
    m_Next = 0;
    m_Playing = m_Song != nullptr;
    m_Start = PlaybackClock::now();
    ++m_Generation;
    m_Wake.notify_all();
}

bool Performance::IsPlaying(const TimedSong& song) const
{
    std::lock_guard lock(m_Mutex);
    return m_Playing && m_Song.get() == &song;
}

void Performance::Stop(const TimedSong& song)
{
    std::lock_guard lock(m_Mutex);
    if (!m_Playing || m_Song.get() != &song) return;
    m_Playing = false;
    m_Song.reset();
    SilenceLocked();
    ++m_Generation;
    m_Wake.notify_all();
}

void Performance::CloseDown()
{
    {
        std::lock_guard lock(m_Mutex);
        if (m_Closing) return;
        m_Closing = true;
        m_Playing = false;
        m_Song.reset();
        SilenceLocked();
        m_Output.reset();
        m_Wake.notify_all();
    }
    if (m_Thread.joinable()) m_Thread.join();
}

void Performance::SilenceLocked()
{
    if (m_Output) m_Notes.Silence(*m_Output, PlaybackClock::now());
    m_Notes = NoteTracker();
}

void Performance::Run()
{
    // The kernel may otherwise let a timed wait run late by its default 50 µs slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Real-time scheduling, where the system grants it, keeps other busy
    // programs from delaying the messages; the thread mostly sleeps, so a
    // low priority of this class costs the rest of the system little.
    sched_param priority{};
    priority.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    std::unique_lock lock(m_Mutex);
    while (!m_Closing) {
        if (!m_Playing) {
            m_Wake.wait(lock, [&] { return m_Closing || m_Playing; });
            continue;
        }
        const TimedSong& song = *m_Song;
        const bool eventsLeft = m_Next < song.Size();
        const auto due = m_Start + (eventsLeft ? song.Time(m_Next) : song.Length());
        if (PlaybackClock::now() < due) {
            const std::uint64_t generation = m_Generation;
            m_Wake.wait_until(lock, due, [&] { return m_Closing || m_Generation != generation; });
            continue;
        }
        if (!eventsLeft) {
            m_Playing = false;
            continue;
        }
        // Everything that is due goes out in one go.
        const auto now = PlaybackClock::now();
        while (m_Next < song.Size() && m_Start + song.Time(m_Next) <= now) {
            const auto message = song.Message(m_Next);
            if (m_Output) {
                m_Output->Send(message, m_Start + song.Time(m_Next));
                m_Notes.Note(message);
            }
            ++m_Next;
        }
    }
}

}  // namespace tamsel
