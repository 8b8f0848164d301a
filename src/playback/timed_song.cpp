#include "playback/timed_song.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace tamsel {

namespace {

constexpr std::uint32_t kDefaultTempo = 500'000;  // microseconds per quarter note
constexpr std::uint16_t kFallbackDivision = 480;

struct TickedRef {
    std::uint64_t tick;
    std::uint32_t track;
    std::uint32_t index;
};

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

// Reads the variable-length quantity at `bytes[position]`, moving past it.
std::optional<std::uint32_t> ReadLength(std::span<const std::uint8_t> bytes, std::size_t& position)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && position < bytes.size(); ++i) {
        const std::uint8_t byte = bytes[position++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) return value;
    }
    return std::nullopt;
}

std::size_t ChannelMessageLength(std::uint8_t status)
{
    const std::uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
}

// Converts ticks to time. Songs of silly length saturate instead of wrapping.
class TickClock {
public:
    TickClock(std::uint16_t division, std::vector<TempoChange> tempoMap) : m_TempoMap(std::move(tempoMap))
    {
        if (division & 0x8000) {
            // SMPTE: frames per second in the high byte (negated), ticks per frame below.
            const int frames = -static_cast<std::int8_t>(division >> 8);
            const int ticksPerFrame = division & 0xFF;
            if (frames > 0 && ticksPerFrame > 0) {
                // 29 stands for 29.97 frames a second (drop frame).
                const long double framesPerSecond = frames == 29 ? 30000.0L / 1001.0L : frames;
                m_SmpteNanosPerTick = 1e9L / (framesPerSecond * ticksPerFrame);
                return;
            }
            division = kFallbackDivision;
        }
        m_Division = division == 0 ? kFallbackDivision : division;
    }

    // Ticks must be asked for in ascending order.
    std::chrono::nanoseconds At(std::uint64_t tick)
    {
        if (m_SmpteNanosPerTick > 0) return Clamp(static_cast<long double>(tick) * m_SmpteNanosPerTick);
        while (m_Next < m_TempoMap.size() && m_TempoMap[m_Next].tick <= tick) {
            m_BaseNanos += Span(m_TempoMap[m_Next].tick - m_BaseTick);
            m_BaseTick = m_TempoMap[m_Next].tick;
            m_Tempo = m_TempoMap[m_Next].microsecondsPerQuarter;
            ++m_Next;
        }
        return Clamp(m_BaseNanos + Span(tick - m_BaseTick));
    }

private:
    [[nodiscard]] long double Span(std::uint64_t ticks) const
    {
        return static_cast<long double>(ticks) * m_Tempo * 1000.0L / m_Division;
    }
    static std::chrono::nanoseconds Clamp(long double nanos)
    {
        constexpr auto max = static_cast<long double>(std::numeric_limits<std::int64_t>::max() / 2);
        return std::chrono::nanoseconds(static_cast<std::int64_t>(std::min(nanos + 0.5L, max)));
    }

    std::vector<TempoChange> m_TempoMap;
    long double m_SmpteNanosPerTick = 0;
    std::uint16_t m_Division = kFallbackDivision;
    std::size_t m_Next = 0;
    std::uint64_t m_BaseTick = 0;
    long double m_BaseNanos = 0;
    std::uint32_t m_Tempo = kDefaultTempo;
};

}  // namespace

TimedSong TimedSong::FromSong(const CMidi& song)
{
    std::vector<TickedRef> refs;
    std::vector<TempoChange> tempoMap;
    std::uint64_t lastTick = 0;
    const auto tracks = song.Tracks();
    for (std::uint32_t t = 0; t < tracks.size(); ++t) {
        std::uint64_t tick = 0;
        const auto& events = tracks[t].m_EventList;
        for (std::uint32_t i = 0; i < events.size(); ++i) {
            tick += events[i].m_Delta;
            lastTick = std::max(lastTick, tick);
            const auto data = events[i].Data();
            if (data.empty()) continue;
            if (data[0] == 0xFF) {
                std::size_t position = 2;
                if (data.size() >= 2 && data[1] == 0x51) {
                    const auto length = ReadLength(data, position);
                    if (length && *length >= 3 && position + 3 <= data.size()) {
                        const std::uint32_t tempo = (data[position] << 16) | (data[position + 1] << 8) | data[position + 2];
                        // A tempo of 0 would stop time; such an event is ignored.
                        if (tempo > 0) tempoMap.push_back({tick, tempo});
                    }
                }
                continue;
            }
            refs.push_back({tick, t, i});
        }
    }
    std::stable_sort(tempoMap.begin(), tempoMap.end(), [](const auto& a, const auto& b) { return a.tick < b.tick; });
    std::stable_sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.tick < b.tick; });

    TimedSong timed;
    timed.m_Events.reserve(refs.size());
    timed.m_Bytes.reserve(refs.size() * 3);
    TickClock clock(song.m_Header.m_Division, std::move(tempoMap));
    for (const TickedRef& ref : refs) {
        const auto data = tracks[ref.track].m_EventList[ref.index].Data();
        std::span<const std::uint8_t> message;
        bool closeSysEx = false;
        const std::uint8_t status = data[0];
        if (status >= 0x80 && status < 0xF0) {
            if (data.size() < ChannelMessageLength(status)) continue;
            message = data.first(ChannelMessageLength(status));
        } else if (status == 0xF0 || status == 0xF7) {
            // The model keeps the file's length field; a port wants the bare bytes.
            std::size_t position = 1;
            const auto length = ReadLength(data, position);
            if (!length || *length > data.size() - position) continue;
            const auto body = data.subspan(position, *length);
            if (status == 0xF0) {
                message = data.first(1);
                closeSysEx = body.empty() || body.back() != 0xF7;
            }
            const auto offset = static_cast<std::uint32_t>(timed.m_Bytes.size());
            timed.m_Bytes.insert(timed.m_Bytes.end(), message.begin(), message.end());
            timed.m_Bytes.insert(timed.m_Bytes.end(), body.begin(), body.end());
            if (closeSysEx) timed.m_Bytes.push_back(0xF7);
            const auto length32 = static_cast<std::uint32_t>(timed.m_Bytes.size() - offset);
            if (length32 == 0) continue;
            timed.m_Events.push_back({clock.At(ref.tick), offset, length32});
            continue;
        } else {
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(timed.m_Bytes.size());
        timed.m_Bytes.insert(timed.m_Bytes.end(), message.begin(), message.end());
        timed.m_Events.push_back({clock.At(ref.tick), offset, static_cast<std::uint32_t>(message.size())});
    }
    timed.m_Length = clock.At(lastTick);
    if (!timed.m_Events.empty()) timed.m_Length = std::max(timed.m_Length, timed.m_Events.back().time);
    return timed;
}

}  // namespace tamsel
