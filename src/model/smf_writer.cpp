#include <array>
#include <cassert>
#include <cstring>

#include "io/archive.h"
#include "model/smf_codec.h"
#include "model/variable_length.h"

namespace tamsel {

namespace {

// The empty-track form: declared length 4, one end-of-track event at delta 0.
constexpr std::array<std::uint8_t, 8> kEmptyTrackBody{0x00, 0x00, 0x00, 0x04, 0x00, 0xFF, 0x2F, 0x00};
// An end-of-track event at delta 0.
constexpr std::array<std::uint8_t, 4> kEndOfTrack{0x00, 0xFF, 0x2F, 0x00};

template <typename Sink>
void PutBigEndian32(Sink& sink, std::uint32_t value)
{
    const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    sink.Write(bytes.data(), bytes.size());
}

template <typename Sink>
void PutBigEndian16(Sink& sink, std::uint16_t value)
{
    const std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    sink.Write(bytes.data(), bytes.size());
}

bool IsEndOfTrack(const CMidiObj& event)
{
    const auto bytes = event.Data();
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x2F;
}

template <typename Sink>
void WriteTrack(const CMidiTrack& track, Sink& sink)
{
    sink.Write(track.m_ChunkType.data(), track.m_ChunkType.size());
    if (track.m_EventList.empty()) {
        sink.Write(kEmptyTrackBody.data(), kEmptyTrackBody.size());
        return;
    }
    // A track cut short by a damaged file has no end-of-track event; without
    // one the saved file would itself read back as damaged.
    const bool addEnd = !IsEndOfTrack(track.m_EventList.back());
    std::uint32_t length = addEnd ? kEndOfTrack.size() : 0;
    for (const CMidiObj& event : track.m_EventList) {
        length += static_cast<std::uint32_t>(VlqSize(event.m_Delta)) + event.Length();
    }
    PutBigEndian32(sink, length);
    for (const CMidiObj& event : track.m_EventList) {
        std::array<std::uint8_t, 4> delta;
        sink.Write(delta.data(), EncodeVlq(event.m_Delta, delta.data()));
        const auto message = event.Data();
        sink.Write(message.data(), message.size());
    }
    if (addEnd) sink.Write(kEndOfTrack.data(), kEndOfTrack.size());
}

template <typename Sink>
void WriteSong(const CMidi& song, Sink& sink)
{
    const CMidiHeader& header = song.m_Header;
    sink.Write(header.m_ChunkType.data(), header.m_ChunkType.size());
    // The header always carries exactly six bytes of values, so that is the
    // length it declares, whatever length a file it was read from declared.
    PutBigEndian32(sink, 6);
    PutBigEndian16(sink, header.m_Format);
    // The count of chunks really written: a model without a track array
    // must not announce tracks that never follow.
    PutBigEndian16(sink, static_cast<std::uint16_t>(song.Tracks().size()));
    PutBigEndian16(sink, header.m_Division);
    for (const CMidiTrack& track : song.Tracks()) WriteTrack(track, sink);
}

// Counts what would be written, so that memory output is allocated once.
struct CountingSink {
    std::size_t size = 0;
    void Write(const void*, std::size_t count) noexcept { size += count; }
};

// Writes into memory sized beforehand by a CountingSink pass.
struct MemorySink {
    std::uint8_t* next;
    void Write(const void* data, std::size_t count) noexcept
    {
        std::memcpy(next, data, count);
        next += count;
    }
};

}  // namespace

void WriteStandardMidi(const CMidi& song, CArchive& archive) { WriteSong(song, archive); }

std::string WriteStandardMidi(const CMidi& song)
{
    CountingSink counter;
    WriteSong(song, counter);
    std::string out(counter.size, '\0');
    MemorySink sink{reinterpret_cast<std::uint8_t*>(out.data())};
    WriteSong(song, sink);
    assert(sink.next == reinterpret_cast<std::uint8_t*>(out.data()) + out.size());
    return out;
}

}  // namespace tamsel
