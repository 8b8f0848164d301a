#include <algorithm>
#include <array>
#include <optional>

#include "model/smf_codec.h"

namespace tamsel {

namespace {

constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kChunkHeaderSize = 8;

std::uint32_t BigEndian32(const std::uint8_t* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

std::uint16_t BigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

bool IsChunkTypeLike(const std::uint8_t* bytes)
{
    return std::all_of(bytes, bytes + 4, [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

bool Matches(const std::uint8_t* bytes, const std::array<char, 4>& type)
{
    return std::equal(type.begin(), type.end(), bytes, [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// Reports each distinct fault once per read, at its first offset.
class FaultReporter {
public:
    explicit FaultReporter(DiagnosticsSink& sink) : m_Sink(sink) {}
    void Report(ReadFault fault, std::size_t offset)
    {
        const auto index = static_cast<std::size_t>(fault);
        if (m_Seen[index]) return;
        m_Seen[index] = true;
        m_Sink.Report({fault, offset});
    }

private:
    DiagnosticsSink& m_Sink;
    std::array<bool, 4> m_Seen{};
};

enum class TrackOutcome { Continue, EndOfFile };

class SmfReader {
public:
    SmfReader(std::span<const std::uint8_t> bytes, DiagnosticsSink& sink) : m_Bytes(bytes), m_Faults(sink) {}

    void Read(CMidi& song)
    {
        song.DeleteTrack();
        const bool headerComplete = ReadHeader(song.m_Header);
        std::vector<CMidiTrack> tracks(song.m_Header.m_TrackCount);
        if (headerComplete) {
            for (CMidiTrack& track : tracks) {
                if (ReadTrack(track) == TrackOutcome::EndOfFile) {
                    m_Faults.Report(ReadFault::ReadFailed, m_Bytes.size());
                    break;
                }
            }
        }
        song.SetTracks(std::move(tracks));
    }

private:
    [[nodiscard]] std::size_t Remaining() const noexcept { return m_Bytes.size() - m_Position; }
    [[nodiscard]] const std::uint8_t* At(std::size_t position) const noexcept { return m_Bytes.data() + position; }

    // Returns false when the file is too short to hold a header chunk.
    bool ReadHeader(CMidiHeader& header)
    {
        if (Remaining() < kHeaderSize) {
            const bool looksLikeHeader = Remaining() >= 4 && Matches(At(0), header.m_ChunkType);
            m_Faults.Report(looksLikeHeader ? ReadFault::ReadFailed : ReadFault::HeaderChunk, 0);
            return false;
        }
        if (!Matches(At(0), header.m_ChunkType)) {
            m_Faults.Report(ReadFault::HeaderChunk, 0);
            m_Position = kHeaderSize;
            return true;
        }
        header.m_Length = BigEndian32(At(4));
        header.m_Format = BigEndian16(At(8));
        header.m_TrackCount = BigEndian16(At(10));
        header.m_Division = BigEndian16(At(12));
        m_Position = kHeaderSize;
        if (header.m_Length > 6) m_Position += std::min<std::size_t>(header.m_Length - 6, Remaining());
        return true;
    }

    // Finds the next track chunk, skipping chunks of other types. Returns
    // the declared length, or nothing when the bytes are no chunk at all.
    std::optional<std::uint32_t> FindTrackChunk(const CMidiTrack& track, bool& endOfFile)
    {
        for (;;) {
            if (Remaining() < kChunkHeaderSize) {
                endOfFile = true;
                return std::nullopt;
            }
            const std::uint32_t length = BigEndian32(At(m_Position + 4));
            if (Matches(At(m_Position), track.m_ChunkType)) {
                m_Position += kChunkHeaderSize;
                return length;
            }
            if (!IsChunkTypeLike(At(m_Position))) {
                m_Faults.Report(ReadFault::TrackChunk, m_Position);
                m_Position += kChunkHeaderSize;
                return std::nullopt;
            }
            if (Remaining() - kChunkHeaderSize < length) {
                endOfFile = true;
                return std::nullopt;
            }
            m_Position += kChunkHeaderSize + length;
        }
    }

    TrackOutcome ReadTrack(CMidiTrack& track)
    {
        bool endOfFile = false;
        const std::optional<std::uint32_t> declared = FindTrackChunk(track, endOfFile);
        if (endOfFile) return TrackOutcome::EndOfFile;
        if (!declared) return TrackOutcome::Continue;

        const std::size_t start = m_Position;
        const std::size_t declaredEnd = *declared <= Remaining() ? start + *declared : m_Bytes.size() + 1;
        auto& events = track.m_EventList;
        // A guess from the declared length (3 bytes make a typical event under
        // running status), bounded by what the file really holds.
        events.reserve(std::min<std::size_t>(*declared, Remaining()) / 3);
        std::uint8_t runningStatus = 0;
        for (;;) {
            if (m_Position == declaredEnd && AtChunkBoundary()) {
                // The events filled the chunk but no end-of-track event came.
                m_Faults.Report(ReadFault::DataCheck, m_Position);
                break;
            }
            const std::optional<std::uint32_t> delta = ReadDelta();
            if (!delta || Remaining() == 0) return Finish(events, TrackOutcome::EndOfFile);
            const std::size_t statusPosition = m_Position;
            const bool explicitStatus = *At(m_Position) >= 0x80;
            const std::uint8_t status = explicitStatus ? *At(m_Position) : runningStatus;
            if (status == 0) {
                // A data byte with no channel status before it in this track.
                m_Faults.Report(ReadFault::ReadFailed, m_Position);
                ++m_Position;
                break;
            }
            if (explicitStatus) ++m_Position;
            const std::size_t bodyStart = m_Position;
            const BodyOutcome body = SkipMessageBody(status);
            if (body == BodyOutcome::EndOfFile) return Finish(events, TrackOutcome::EndOfFile);
            if (body == BodyOutcome::NotAccepted) {
                m_Faults.Report(ReadFault::ReadFailed, statusPosition);
                break;
            }
            if (status < 0xF0) runningStatus = status;
            if (explicitStatus) {
                events.emplace_back(*delta, m_Bytes.subspan(statusPosition, m_Position - statusPosition));
            } else {
                // Under running status the file holds only the data bytes; the
                // model keeps every message whole.
                std::array<std::uint8_t, 3> message{status, 0, 0};
                const std::size_t dataBytes = m_Position - bodyStart;
                std::copy_n(At(bodyStart), dataBytes, message.begin() + 1);
                events.emplace_back(*delta, std::span<const std::uint8_t>(message.data(), dataBytes + 1));
            }
            if (status == 0xFF && *At(statusPosition + 1) == 0x2F) {
                const std::size_t used = m_Position - start;
                if (used != *declared) {
                    m_Faults.Report(ReadFault::DataCheck, m_Position);
                    if (used < *declared && declaredEnd <= m_Bytes.size()) m_Position = declaredEnd;
                }
                break;
            }
        }
        return Finish(events, TrackOutcome::Continue);
    }

    static TrackOutcome Finish(std::vector<CMidiObj>& events, TrackOutcome outcome)
    {
        if (events.capacity() - events.size() > events.size() / 8) events.shrink_to_fit();
        return outcome;
    }

    [[nodiscard]] bool AtChunkBoundary() const
    {
        return Remaining() == 0 || (Remaining() >= 4 && IsChunkTypeLike(At(m_Position)));
    }

    std::optional<std::uint32_t> ReadDelta()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (Remaining() == 0) return std::nullopt;
            const std::uint8_t byte = *At(m_Position++);
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
        }
        return value;
    }

    enum class BodyOutcome { Read, NotAccepted, EndOfFile };

    // Consumes the bytes that follow a message's status byte: the data
    // bytes of a channel message, or the length and data of a system-exclusive
    // or meta message (its length a variable-length quantity).
    BodyOutcome SkipMessageBody(std::uint8_t status)
    {
        std::size_t dataBytes = 0;
        if (status < 0xC0 || (status >= 0xE0 && status < 0xF0)) {
            dataBytes = 2;
        } else if (status < 0xE0) {
            dataBytes = 1;
        } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
            if (status == 0xFF) {
                if (Remaining() == 0) return BodyOutcome::EndOfFile;
                ++m_Position;  // the meta type
            }
            const std::optional<std::uint32_t> length = ReadDelta();
            if (!length) return BodyOutcome::EndOfFile;
            dataBytes = *length;
        } else {
            return BodyOutcome::NotAccepted;
        }
        if (Remaining() < dataBytes) return BodyOutcome::EndOfFile;
        m_Position += dataBytes;
        return BodyOutcome::Read;
    }

    std::span<const std::uint8_t> m_Bytes;
    FaultReporter m_Faults;
    std::size_t m_Position = 0;
};

}  // namespace

void ReadStandardMidi(std::span<const std::uint8_t> bytes, CMidi& song, DiagnosticsSink& diagnostics)
{
    SmfReader(bytes, diagnostics).Read(song);
}

}  // namespace tamsel
