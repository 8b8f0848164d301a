#include "playback/offline_audio.h"

namespace tamsel {

PlaybackClock::time_point OfflineAudio::Origin() const
{
    std::lock_guard lock(m_Mutex);
    return m_Origin;
}

std::vector<float> OfflineAudio::Render(PlaybackClock::time_point until)
{
    std::lock_guard lock(m_Mutex);
    RenderTo(until);
    return m_Left;
}

void OfflineAudio::Attach(Renderer renderer, PlaybackClock::time_point origin)
{
    std::lock_guard lock(m_Mutex);
    m_Renderer = std::move(renderer);
    m_Origin = origin;
    m_Left.clear();
    m_Right.clear();
}

void OfflineAudio::Detach()
{
    std::lock_guard lock(m_Mutex);
    m_Renderer = nullptr;
}

void OfflineAudio::At(PlaybackClock::time_point due, const std::function<void()>& apply)
{
    std::lock_guard lock(m_Mutex);
    RenderTo(due);
    apply();
}

void OfflineAudio::RenderTo(PlaybackClock::time_point until)
{
    if (!m_Renderer || until <= m_Origin) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(until - m_Origin).count();
    const auto target = static_cast<std::size_t>(elapsed * m_SampleRate / 1'000'000'000LL);
    if (target <= m_Left.size()) return;
    const std::size_t from = m_Left.size();
    m_Left.resize(target);
    m_Right.resize(target);
    constexpr std::size_t kBlock = 4096;
    for (std::size_t at = from; at < target; at += kBlock) {
        const auto frames = static_cast<int>(std::min(kBlock, target - at));
        m_Renderer(m_Left.data() + at, m_Right.data() + at, frames);
    }
}

}  // namespace tamsel
