#pragma once

#include <array>
#include <bitset>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "playback/midi_output.h"
#include "playback/timed_song.h"

namespace tamsel {

// Plays one song at a time to one output, on a thread of its own, each
// message at its time. All calls may come from any one other thread.
class Performance {
public:
    Performance();
    Performance(const Performance&) = delete;
    Performance& operator=(const Performance&) = delete;
    ~Performance();

    // Sends to `output` from now on.
    void AddPort(std::shared_ptr<MidiOutput> output);
    // Stops sending to `output` when it is the one in use, first silencing
    // every note the performance left sounding there.
    void RemovePort(const MidiOutput& output);
    // Starts `song` from its beginning, silencing and replacing what plays.
    void Play(std::shared_ptr<const TimedSong> song);
    [[nodiscard]] bool IsPlaying(const TimedSong& song) const;
    // Ends `song` at once when it plays, leaving no note sounding.
    void Stop(const TimedSong& song);
    // Stops everything and ends the thread; later calls do nothing.
    void CloseDown();

private:
    // Which notes are on and which channels were used, per output.
    class NoteTracker {
    public:
        void Note(std::span<const std::uint8_t> message);
        // Note-offs for what is on, then all-notes-off and all-sound-off on
        // every channel used; forgets everything.
        void Silence(MidiOutput& output, PlaybackClock::time_point now);

    private:
        std::array<std::array<std::uint8_t, 128>, 16> m_On{};
        std::bitset<16> m_Used;
    };

    void Run();
    void SilenceLocked();

    mutable std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::shared_ptr<MidiOutput> m_Output;
    std::shared_ptr<const TimedSong> m_Song;
    PlaybackClock::time_point m_Start;
    std::size_t m_Next = 0;
    bool m_Playing = false;
    bool m_Closing = false;
    std::uint64_t m_Generation = 0;  // changes whenever the thread must look again
    NoteTracker m_Notes;
    std::thread m_Thread;
};

}  // namespace tamsel
