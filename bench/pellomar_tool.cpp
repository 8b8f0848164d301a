// Helper for pellomar_peers.sh:
//   pellomar_tool generate OUT.pmr      the benchmark's Pellomar file
//   pellomar_tool csv IN.pmr OUT.csv    its decoded events as midicsv text
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "io/file.h"
#include "pellomar_generate.h"
#include "songfile/song_file.h"

namespace {

using namespace tamsel;

std::string Quoted(std::span<const std::uint8_t> text)
{
    std::string out = "\"";
    for (const std::uint8_t c : text) {
        if (c == '"') out += '"';
        out += static_cast<char>(c);
    }
    return out + "\"";
}

// The text bytes of a meta event after its length.
std::span<const std::uint8_t> MetaText(std::span<const std::uint8_t> message)
{
    std::size_t at = 2;
    while (at < message.size() && (message[at] & 0x80) != 0) ++at;
    return message.subspan(std::min(at + 1, message.size()));
}

bool WriteCsv(const CMidi& song, const char* path)
{
    std::ofstream out(path, std::ios::binary);
    out << "0, 0, Header, " << song.m_Header.m_Format << ", " << song.m_Header.m_TrackCount << ", "
        << song.m_Header.m_Division << "\n";
    int trackNumber = 1;
    for (const CMidiTrack& track : song.Tracks()) {
        out << trackNumber << ", 0, Start_track\n";
        std::uint64_t tick = 0;
        for (const CMidiObj& event : track.m_EventList) {
            tick += event.m_Delta;
            const auto m = event.Data();
            const std::string at = std::to_string(trackNumber) + ", " + std::to_string(tick) + ", ";
            const int ch = m[0] & 0x0F;
            switch (m[0] & 0xF0) {
            case 0x80: out << at << "Note_off_c, " << ch << ", " << +m[1] << ", " << +m[2] << "\n"; continue;
            case 0x90: out << at << "Note_on_c, " << ch << ", " << +m[1] << ", " << +m[2] << "\n"; continue;
            case 0xB0: out << at << "Control_c, " << ch << ", " << +m[1] << ", " << +m[2] << "\n"; continue;
            case 0xC0: out << at << "Program_c, " << ch << ", " << +m[1] << "\n"; continue;
            case 0xE0: out << at << "Pitch_bend_c, " << ch << ", " << (m[1] | (m[2] << 7)) << "\n"; continue;
            default: break;
            }
            if (m[0] == 0xF0) {
                out << at << "System_exclusive, " << m.size() - 2;
                for (std::size_t i = 2; i < m.size(); ++i) out << ", " << +m[i];
                out << "\n";
            } else if (m[0] == 0xFF && m[1] == 0x2F) {
                out << at << "End_track\n";
            } else if (m[0] == 0xFF && m[1] == 0x51) {
                out << at << "Tempo, " << ((m[3] << 16) | (m[4] << 8) | m[5]) << "\n";
            } else if (m[0] == 0xFF && (m[1] == 0x01 || m[1] == 0x02 || m[1] == 0x03 || m[1] == 0x06)) {
                const char* kind = m[1] == 0x01 ? "Text_t" : m[1] == 0x02 ? "Copyright_t" : m[1] == 0x03 ? "Title_t" : "Marker_t";
                out << at << kind << ", " << Quoted(MetaText(m)) << "\n";
            } else {
                std::fprintf(stderr, "pellomar_tool: an event the CSV writer does not know\n");
                return false;
            }
        }
        ++trackNumber;
    }
    out << "0, 0, End_of_file\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 3) {
        std::ofstream(argv[2], std::ios::binary) << bench::GeneratePellomar(40'000);
        return 0;
    }
    if (command == "csv" && argc == 4) {
        CMidi song;
        SongTexts texts;
        IgnoreDiagnostics ignore;
        if (OpenSongFile(argv[2], song, texts, ignore) != SongKind::Pellomar) return 1;
        return WriteCsv(song, argv[3]) ? 0 : 1;
    }
    std::fputs("usage: pellomar_tool generate OUT.pmr | csv IN.pmr OUT.csv\n", stderr);
    return 2;
}
