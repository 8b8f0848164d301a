#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "hex_bytes.h"
#include "model/diagnostics.h"
#include "model/smf_codec.h"

namespace tamsel {
namespace {

using test::Hex;
using test::HexText;

struct WriteCase {
    const char* name;
    std::function<CMidi()> build;
    std::string expected;
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }


class SmfWriterTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(SmfWriterTest, WritesExactly)
{
    const CMidi song = GetParam().build();
    EXPECT_EQ(HexText(WriteStandardMidi(song)), HexText(Hex(GetParam().expected)));
}

CMidi OneTrack(std::initializer_list<std::pair<std::uint32_t, const char*>> events)
{
    CMidi song(1, 480);
    for (const auto& [delta, message] : events) song.AddMsgTail(delta, 0, Hex(message));
    return song;
}

INSTANTIATE_TEST_SUITE_P(
    Smf, SmfWriterTest,
    ::testing::Values(
        WriteCase{"EmptyDefaultSong", [] { return CMidi(1, 480); },
                  "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0  4D 54 72 6B 00 00 00 04 00 FF 2F 00"},
        WriteCase{"NoteOnNoteOffEndOfTrack",
                  [] { return OneTrack({{0, "90 3C 64"}, {480, "80 3C 00"}, {0, "FF 2F 00"}}); },
                  "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0"
                  "4D 54 72 6B 00 00 00 0D 00 90 3C 64 83 60 80 3C 00 00 FF 2F 00"},
        WriteCase{"ThreeEmptyTracks", [] { return CMidi(3, 96); },
                  "4D 54 68 64 00 00 00 06 00 01 00 03 00 60"
                  "4D 54 72 6B 00 00 00 04 00 FF 2F 00"
                  "4D 54 72 6B 00 00 00 04 00 FF 2F 00"
                  "4D 54 72 6B 00 00 00 04 00 FF 2F 00"},
        WriteCase{"NoTracks", [] { return CMidi(0, 96); }, "4D 54 68 64 00 00 00 06 00 01 00 00 00 60"},
        // After DeleteTrack the header must not announce tracks that are not written.
        WriteCase{"NoTrackArray",
                  [] {
                      CMidi song(2, 96);
                      song.DeleteTrack();
                      return song;
                  },
                  "4D 54 68 64 00 00 00 06 00 01 00 00 00 60"},
        // Only six value bytes follow, whatever length a read file declared.
        WriteCase{"HeaderLengthAlwaysSix",
                  [] {
                      CMidi song(1, 480);
                      song.m_Header.m_Length = 8;
                      song.m_Header.m_Format = 2;
                      return song;
                  },
                  "4D 54 68 64 00 00 00 06 00 02 00 01 01 E0  4D 54 72 6B 00 00 00 04 00 FF 2F 00"},
        // A track cut short by a damaged file is closed, so the saved file reads back clean.
        WriteCase{"EndOfTrackAddedWhenMissing", [] { return OneTrack({{0, "C0 05"}, {96, "FF 2F 00"}, {0, "90 3C 64"}}); },
                  "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0  4D 54 72 6B 00 00 00 0F"
                  "00 C0 05  60 FF 2F 00  00 90 3C 64  00 FF 2F 00"},
        // Meta and system-exclusive messages are copied whole, length bytes included.
        WriteCase{"LongMessagesCopiedWhole",
                  [] { return OneTrack({{0, "FF 51 03 07 A1 20"}, {1, "F0 05 7E 7F 09 01 F7"}, {2, "FF 01 0A 30 31 32 33 34 35 36 37 38 39"}, {0, "FF 2F 00"}}); },
                  "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0  4D 54 72 6B 00 00 00 21"
                  "00 FF 51 03 07 A1 20  01 F0 05 7E 7F 09 01 F7  02 FF 01 0A 30 31 32 33 34 35 36 37 38 39  00 FF 2F 00"}),
    [](const auto& info) { return std::string(info.param.name); });

// As the Pellomar decoder builds a song: leading meta events, events inserted
// by tick, the end of track appended last.
TEST(SmfWriterTest, ABuiltSongReadsBackCleanAndWritesAgainTheSame)
{
    CMidi song(1, 480);
    song.DeleteTrack();
    song.CreateTrack(1, 96);
    song.AddMsgTail(0, 0, Hex("FF 03 04 54 75 6E 65"));
    song.AddMsgTail(0, 0, Hex("FF 02 02 28 63"));
    for (std::uint32_t tick : {960u, 0u, 480u, 480u, 20000u}) {
        song.InsertMsg(tick, 0, Hex("90 3C 64"));
        song.InsertMsg(tick + 120, 0, Hex("80 3C 00"));
    }
    song.InsertMsg(0, 0, Hex("F0 0A 41 10 42 12 40 00 7F 00 41 F7"));
    song.InsertMsg(240, 0, Hex("FF 51 03 07 A1 20"));
    song.AddMsgTail(0, 0, Hex("FF 2F 00"));

    const std::string written = WriteStandardMidi(song);
    CMidi read;
    CollectingDiagnostics diagnostics;
    ReadStandardMidi({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()}, read, diagnostics);
    EXPECT_TRUE(diagnostics.Empty());
    EXPECT_EQ(test::SongText(read), test::SongText(song));
    EXPECT_EQ(read.m_Header.m_Division, 96);
    EXPECT_EQ(read.GetTitle(), "Tune");
    EXPECT_TRUE(WriteStandardMidi(read) == written);
}

struct DeltaCase {
    std::uint32_t delta;
    const char* bytes;
};

class DeltaEncodingTest : public ::testing::TestWithParam<DeltaCase> {};

// The chunk length must count the delta's bytes as written, so check both.
TEST_P(DeltaEncodingTest, WritesTheVariableLengthQuantity)
{
    CMidi song(1, 480);
    song.AddMsgTail(GetParam().delta, 0, Hex("FF 2F 00"));
    const std::string file = WriteStandardMidi(song);
    const std::vector<std::uint8_t> delta = Hex(GetParam().bytes);
    const std::string body = HexText(delta) + " FF 2F 00";
    const std::string length = HexText(Hex("00 00 00 0" + std::to_string(delta.size() + 3)));
    EXPECT_EQ(HexText(file.substr(14)), "4D 54 72 6B " + length + " " + body);
}

INSTANTIATE_TEST_SUITE_P(Smf, DeltaEncodingTest,
                         ::testing::Values(DeltaCase{0, "00"}, DeltaCase{127, "7F"}, DeltaCase{128, "81 00"},
                                           DeltaCase{480, "83 60"}, DeltaCase{16383, "FF 7F"},
                                           DeltaCase{16384, "81 80 00"}, DeltaCase{2097151, "FF FF 7F"},
                                           DeltaCase{2097152, "81 80 80 00"}, DeltaCase{0x0FFFFFFF, "FF FF FF 7F"},
                                           // Only the low 28 bits reach the file.
                                           DeltaCase{0x10000000, "00"}, DeltaCase{0xFFFFFFFF, "FF FF FF 7F"},
                                           DeltaCase{0x10000080, "81 00"}));

}  // namespace
}  // namespace tamsel
