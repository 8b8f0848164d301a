#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "playback/midi_output.h"

namespace tamsel {

// Takes the place of an audio device for the built-in synthesizer: the sound
// is rendered on demand, each message landing on the sample frame of its due
// time, so what it holds is exact whatever the machine's load.
class OfflineAudio {
public:
    explicit OfflineAudio(int sampleRate = 44100) : m_SampleRate(sampleRate) {}
    OfflineAudio(const OfflineAudio&) = delete;
    OfflineAudio& operator=(const OfflineAudio&) = delete;

    [[nodiscard]] int SampleRate() const noexcept { return m_SampleRate; }
    // The time of frame 0: when the synthesizer was activated.
    [[nodiscard]] PlaybackClock::time_point Origin() const;
    // Renders on to `until` (while a synthesizer is attached) and returns the
    // left channel from frame 0.
    std::vector<float> Render(PlaybackClock::time_point until);

    // For the synthesizer: renders frames into the two channels.
    using Renderer = std::function<void(float* left, float* right, int frames)>;
    void Attach(Renderer renderer, PlaybackClock::time_point origin);
    void Detach();
    // Renders on to `due`, then runs `apply` with the renderer idle.
    void At(PlaybackClock::time_point due, const std::function<void()>& apply);

private:
    void RenderTo(PlaybackClock::time_point until);

    const int m_SampleRate;
    mutable std::mutex m_Mutex;
    Renderer m_Renderer;
    PlaybackClock::time_point m_Origin{};
    std::vector<float> m_Left;
    std::vector<float> m_Right;
};

}  // namespace tamsel
