#include "model/midi.h"

#include <utility>

namespace tamsel {

CMidi::CMidi() : CMidi(1, 480) {}

CMidi::CMidi(std::uint16_t trackCount, std::uint16_t division) { CreateTrack(trackCount, division); }

void CMidi::CreateTrack(std::uint16_t trackCount, std::uint16_t division)
{
    m_Header.m_TrackCount = trackCount;
    m_Header.m_Format = trackCount == 1 ? 0 : 1;
    m_pTrack.emplace(trackCount);
    m_Header.m_Division = division;
}

void CMidi::DeleteTrack() noexcept { m_pTrack.reset(); }

CMidiTrack* CMidi::ValidTrack(int track) noexcept
{
    if (!m_pTrack || track < 0 || static_cast<std::size_t>(track) >= m_pTrack->size()) return nullptr;
    return &(*m_pTrack)[static_cast<std::size_t>(track)];
}

void CMidi::InsertMsg(std::uint32_t time, int track, std::span<const std::uint8_t> message)
{
    CMidiTrack* target = ValidTrack(track);
    if (target == nullptr) return;
    auto& events = target->m_EventList;
    std::uint32_t before = 0;
    for (auto it = events.begin(); it != events.end(); ++it) {
        const std::uint32_t at = before + it->m_Delta;
        if (at > time) {
            const std::uint32_t delta = time - before;
            it->m_Delta -= delta;
            events.insert(it, CMidiObj(delta, message));
            return;
        }
        before = at;
    }
    events.emplace_back(time - before, message);
}

void CMidi::AddMsgTail(std::uint32_t delta, int track, std::span<const std::uint8_t> message)
{
    CMidiTrack* target = ValidTrack(track);
    if (target == nullptr) return;
    target->m_EventList.emplace_back(delta, message);
}

std::string CMidi::GetTitle() const { return FindMetaText(0x03); }

std::string CMidi::GetCopyRight() const { return FindMetaText(0x02); }

std::string CMidi::FindMetaText(std::uint8_t type) const
{
    if (!m_pTrack || m_pTrack->empty()) return {};
    for (const CMidiObj& event : m_pTrack->front().m_EventList) {
        const auto bytes = event.Data();
        if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != type) continue;
        // The length is a variable-length quantity; the text is what follows
        // it, cut to the bytes the message really holds.
        std::size_t position = 2;
        std::uint32_t length = 0;
        for (int i = 0; i < 4 && position < bytes.size(); ++i) {
            const std::uint8_t byte = bytes[position++];
            length = (length << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
        }
        const std::size_t available = bytes.size() - position;
        const std::size_t take = length < available ? length : available;
        return {reinterpret_cast<const char*>(bytes.data() + position), take};
    }
    return {};
}

std::span<CMidiTrack> CMidi::Tracks() noexcept
{
    if (!m_pTrack) return {};
    return *m_pTrack;
}

std::span<const CMidiTrack> CMidi::Tracks() const noexcept
{
    if (!m_pTrack) return {};
    return *m_pTrack;
}

void CMidi::SetTracks(std::vector<CMidiTrack> tracks)
{
    m_Header.m_TrackCount = static_cast<std::uint16_t>(tracks.size());
    m_pTrack.emplace(std::move(tracks));
}

}  // namespace tamsel
