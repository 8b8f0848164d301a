#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/midi_obj.h"

namespace tamsel {

class CArchive;
class DiagnosticsSink;

// The values of a Standard MIDI File's header chunk.
struct CMidiHeader {
    std::array<char, 4> m_ChunkType{'M', 'T', 'h', 'd'};
    std::uint32_t m_Length = 6;
    std::uint16_t m_Format = 0;
    std::uint16_t m_TrackCount = 0;
    std::uint16_t m_Division = 480;
};

// One track: its events in time order, each delta relative to the one before.
struct CMidiTrack {
    std::array<char, 4> m_ChunkType{'M', 'T', 'r', 'k'};
    std::vector<CMidiObj> m_EventList;
};

// The in-memory song. It follows the file layout closely: events carry delta
// times and whole messages (never running status), so writing is a plain walk.
class CMidi {
public:
    CMidi();
    CMidi(std::uint16_t trackCount, std::uint16_t division);
    CMidi(CMidi&&) noexcept = default;
    CMidi& operator=(CMidi&&) noexcept = default;
    CMidi(const CMidi&) = delete;
    CMidi& operator=(const CMidi&) = delete;
    ~CMidi() = default;

    // Sets the count, format (0 for one track, 1 otherwise) and division and
    // makes `trackCount` empty tracks. Any existing tracks are replaced.
    void CreateTrack(std::uint16_t trackCount, std::uint16_t division);
    // Drops the track array; the header values stay as they are.
    void DeleteTrack() noexcept;

    // Inserts a copy of `message` at absolute tick `time`, after every event
    // of the same or an earlier tick. Invalid track indexes are ignored.
    // Walks the track from its head: linear per call.
    void InsertMsg(std::uint32_t time, int track, std::span<const std::uint8_t> message);
    // Appends a copy of `message` with the given delta. Invalid indexes are ignored.
    void AddMsgTail(std::uint32_t delta, int track, std::span<const std::uint8_t> message);

    // The text bytes of the first FF 03 (title) or FF 02 (copyright) event of
    // track 0, unconverted; empty when there is none.
    [[nodiscard]] std::string GetTitle() const;
    [[nodiscard]] std::string GetCopyRight() const;

    // Reads (load archive) or writes (store archive) the song as a Standard
    // MIDI File. Faults met while reading go to `diagnostics`, each distinct
    // fault once per read; writing reports nothing. File errors throw FileError.
    void Serialize(CArchive& archive, DiagnosticsSink& diagnostics);
    void Serialize(CArchive& archive);  // store only

    [[nodiscard]] bool HasTrackArray() const noexcept { return m_pTrack.has_value(); }
    // The tracks; empty when there is no track array.
    [[nodiscard]] std::span<CMidiTrack> Tracks() noexcept;
    [[nodiscard]] std::span<const CMidiTrack> Tracks() const noexcept;
    // Replaces the track array whole; m_TrackCount follows its size. For
    // builders that produce finished tracks in one go.
    void SetTracks(std::vector<CMidiTrack> tracks);

    CMidiHeader m_Header;

private:
    [[nodiscard]] CMidiTrack* ValidTrack(int track) noexcept;
    [[nodiscard]] std::string FindMetaText(std::uint8_t type) const;

    std::optional<std::vector<CMidiTrack>> m_pTrack;
};

}  // namespace tamsel
