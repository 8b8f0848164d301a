#include "pellomar/line_events.h"

#include <array>
#include <stdexcept>

namespace tamsel {

void LineEvents::Add(std::uint32_t tick, std::span<const std::uint8_t> message)
{
    if (message.size() == 2 || message.size() == 3) {
        std::uint32_t packed = static_cast<std::uint32_t>(message.size()) << 24;
        for (std::size_t i = 0; i < message.size(); ++i) packed |= std::uint32_t{message[i]} << (16 - 8 * i);
        m_Events.push_back({tick, packed});
    } else {
        AddEvent(tick, CMidiObj(0, message));
    }
}

void LineEvents::AddEvent(std::uint32_t tick, CMidiObj&& event)
{
    if (m_Long.size() >= kLong) throw std::length_error("too many long events in one line");
    m_Events.push_back({tick, kLong | static_cast<std::uint32_t>(m_Long.size())});
    m_Long.push_back(std::move(event));
}

void LineEvents::MoveTo(std::size_t index, std::uint32_t delta, std::vector<CMidiObj>& track)
{
    const std::uint32_t message = m_Events[index].message;
    if ((message & kLong) != 0) {
        CMidiObj& event = m_Long[message & ~kLong];
        event.m_Delta = delta;
        track.push_back(std::move(event));
        return;
    }
    const std::array<std::uint8_t, 3> bytes{static_cast<std::uint8_t>(message >> 16), static_cast<std::uint8_t>(message >> 8),
                                            static_cast<std::uint8_t>(message)};
    track.emplace_back(delta, std::span(bytes.data(), message >> 24));
}

void LineEvents::Clear() noexcept
{
    std::vector<Pending>().swap(m_Events);
    std::vector<CMidiObj>().swap(m_Long);
}

}  // namespace tamsel
