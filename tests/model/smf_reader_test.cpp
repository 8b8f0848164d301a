#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hex_bytes.h"
#include "model/smf_codec.h"

namespace tamsel {
namespace {

using test::Hex;
using test::HexText;
using test::SongText;
using Tracks = std::vector<std::vector<std::string>>;
using Faults = std::vector<std::pair<ReadFault, std::uint64_t>>;

constexpr ReadFault kHeader = ReadFault::HeaderChunk;
constexpr ReadFault kTrack = ReadFault::TrackChunk;
constexpr ReadFault kFailed = ReadFault::ReadFailed;
constexpr ReadFault kCheck = ReadFault::DataCheck;

std::string Hex32(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X ", value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF,
                  value & 0xFF);
    return text;
}

// A header chunk of length 6.
std::string Mthd(std::uint16_t format, std::uint16_t count, std::uint16_t division = 0x60)
{
    char text[64];
    std::snprintf(text, sizeof text, "4D 54 68 64 00 00 00 06 %02X %02X %02X %02X %02X %02X ", format >> 8,
                  format & 0xFF, count >> 8, count & 0xFF, division >> 8, division & 0xFF);
    return text;
}

// A track chunk declaring `declared` bytes, whatever its body holds.
std::string TrkDeclaring(std::uint32_t declared, const std::string& body)
{
    return "4D 54 72 6B " + Hex32(declared) + body + " ";
}

// A track chunk whose declared length is its body's.
std::string Trk(const std::string& body) { return TrkDeclaring(static_cast<std::uint32_t>(Hex(body).size()), body); }

std::string Repeat(const std::string& byte, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += byte + " ";
    return text;
}

const std::string kEot = "00 FF 2F 00";
const std::string kNote = "00 90 3C 64";
const std::string kShortTrack = Trk(kNote + kEot);  // 16 bytes
const std::vector<std::string> kShortTrackEvents{"0: 90 3C 64", "0: FF 2F 00"};

struct ReadCase {
    const char* name;
    std::string file;
    Tracks tracks;
    Faults faults;
    // The header the model holds afterwards: format, count, division.
    std::array<std::uint16_t, 3> header{0, 1, 0x60};
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class SmfReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SmfReaderTest, ReadsTheModelAndReportsEachFaultOnce)
{
    const ReadCase& c = GetParam();
    const std::vector<std::uint8_t> file = Hex(c.file);
    // The song the file is read into: two tracks, format 1, division 96, so
    // that a header that is not replaced shows.
    CMidi song(2, 96);
    song.AddMsgTail(0, 0, Hex("FF 03 01 41"));
    CollectingDiagnostics diagnostics;
    ReadStandardMidi(file, song, diagnostics);

    EXPECT_EQ(SongText(song), c.tracks);
    Faults faults;
    for (const Diagnostic& d : diagnostics.Reports()) faults.emplace_back(d.fault, d.offset);
    EXPECT_EQ(faults, c.faults);
    EXPECT_EQ(song.m_Header.m_Format, c.header[0]);
    EXPECT_EQ(song.m_Header.m_TrackCount, c.header[1]);
    EXPECT_EQ(song.m_Header.m_Division, c.header[2]);
    EXPECT_EQ(song.m_Header.m_TrackCount, song.Tracks().size());
}

INSTANTIATE_TEST_SUITE_P(
    Smf, SmfReaderTest,
    ::testing::Values(
        ReadCase{"MetaSysexAndTwoByteMessages",
                 Mthd(0, 1) + Trk("00 FF 51 03 07 A1 20  00 F0 05 7E 7F 09 01 F7  00 C0 05" + kEot),
                 {{"0: FF 51 03 07 A1 20", "0: F0 05 7E 7F 09 01 F7", "0: C0 05", "0: FF 2F 00"}},
                 {}},
        ReadCase{"RunningStatusExpanded",
                 Mthd(0, 1) + Trk("00 90 3C 64  60 3C 00  00 C0 05  10 06  81 00 E0 00 40  00 7F 7F" + kEot),
                 {{"0: 90 3C 64", "96: 90 3C 00", "0: C0 05", "16: C0 06", "128: E0 00 40", "0: E0 7F 7F",
                   "0: FF 2F 00"}},
                 {}},
        ReadCase{"RunningStatusSurvivesMetaAndSysex",
                 Mthd(0, 1) + Trk("00 90 3C 64  00 FF 01 01 41  00 3E 64  00 F0 01 F7  00 40 64" + kEot),
                 {{"0: 90 3C 64", "0: FF 01 01 41", "0: 90 3E 64", "0: F0 01 F7", "0: 90 40 64", "0: FF 2F 00"}},
                 {}},
        // The first track's data byte has no status; the next track then
        // starts reading at the byte after it, in the middle of the chunk.
        ReadCase{"DataByteWithoutStatus",
                 Mthd(1, 2) + Trk("00 3C 64" + kEot) + kShortTrack,
                 {{}, {}},
                 {{kFailed, 23}, {kTrack, 24}},
                 {1, 2, 0x60}},
        ReadCase{"RunningStatusDoesNotCrossTracks",
                 Mthd(1, 2) + kShortTrack + Trk("00 3C 00" + kEot),
                 {kShortTrackEvents, {}},
                 {{kFailed, 39}},
                 {1, 2, 0x60}},
        // Fewer event bytes than declared: the next chunk is read from the declared end.
        ReadCase{"ExtraBytesAfterEndOfTrack",
                 Mthd(1, 2) + TrkDeclaring(10, kNote + kEot + "00 00") + kShortTrack,
                 {kShortTrackEvents, kShortTrackEvents},
                 {{kCheck, 30}},
                 {1, 2, 0x60}},
        // The declared end lies beyond the file: go on right after the end of track.
        ReadCase{"DeclaredEndBeyondTheFile",
                 Mthd(1, 2) + TrkDeclaring(0x7FFFFFFF, kNote + kEot) + kShortTrack,
                 {kShortTrackEvents, kShortTrackEvents},
                 {{kCheck, 30}},
                 {1, 2, 0x60}},
        ReadCase{"EventsLongerThanDeclared",
                 Mthd(1, 2) + TrkDeclaring(7, kNote + "00 FF 01 02 41 42" + kEot) + kShortTrack,
                 {{"0: 90 3C 64", "0: FF 01 02 41 42", "0: FF 2F 00"}, kShortTrackEvents},
                 {{kCheck, 36}},
                 {1, 2, 0x60}},
        // The data check counts the bytes read, so a longer-than-needed
        // delta is no fault (writing it again makes it minimal).
        ReadCase{"NonMinimalDelta",
                 Mthd(0, 1) + Trk("80 80 00 90 3C 64  81 80 00 80 3C 00" + kEot),
                 {{"0: 90 3C 64", "16384: 80 3C 00", "0: FF 2F 00"}},
                 {}},
        ReadCase{"HeaderLongerThanSix",
                 "4D 54 68 64 00 00 00 08 00 01 00 01 01 E0 AA BB " + kShortTrack,
                 {kShortTrackEvents},
                 {},
                 {1, 1, 480}},
        ReadCase{"HeaderExtraBeyondTheFile",
                 "4D 54 68 64 00 00 01 00 00 01 00 01 01 E0 AA BB " + kShortTrack,
                 {{}},
                 {{kFailed, 32}},
                 {1, 1, 480}},
        ReadCase{"ForeignChunksSkipped",
                 Mthd(1, 2) + "58 46 49 48 00 00 00 03 41 42 43 " + kShortTrack + "58 46 4B 4D 00 00 00 00 " +
                     Trk("00 C0 05" + kEot) + "58 46 49 48 00 00 00 03 41 42",
                 {kShortTrackEvents, {"0: C0 05", "0: FF 2F 00"}},
                 {},
                 {1, 2, 0x60}},
        ReadCase{"ForeignChunkOverrunsTheFile",
                 Mthd(0, 1) + "4A 55 4E 4B 00 00 00 64 41 42 43",
                 {{}},
                 {{kFailed, 25}}},
        // Bytes that are no chunk type where a track is due: that track stays
        // empty and the next one reads the 8 bytes after them.
        ReadCase{"NoChunkWhereATrackIsDue",
                 Mthd(1, 3) + kShortTrack + "00 01 02 03 04 05 06 07 " + kShortTrack,
                 {kShortTrackEvents, {}, kShortTrackEvents},
                 {{kTrack, 30}},
                 {1, 3, 0x60}},
        // A track that fills its chunk without an end-of-track event ends at
        // its declared end when a chunk or the end of the file follows.
        ReadCase{"NoEndOfTrackBeforeAnotherChunk",
                 Mthd(1, 2) + Trk(kNote + "60 80 3C 00") + kShortTrack,
                 {{"0: 90 3C 64", "96: 80 3C 00"}, kShortTrackEvents},
                 {{kCheck, 30}},
                 {1, 2, 0x60}},
        ReadCase{"NoEndOfTrackAtTheEndOfTheFile",
                 Mthd(0, 1) + Trk(kNote),
                 {{"0: 90 3C 64"}},
                 {{kCheck, 26}}},
        ReadCase{"EmptyTrackChunk",
                 Mthd(1, 2) + Trk("") + kShortTrack,
                 {{}, kShortTrackEvents},
                 {{kCheck, 22}},
                 {1, 2, 0x60}},
        // Otherwise the events run on past the declared end.
        ReadCase{"NoEndOfTrackRunsOn",
                 Mthd(0, 1) + TrkDeclaring(4, kNote) + "60 80 3C 00" + kEot,
                 {{"0: 90 3C 64", "96: 80 3C 00", "0: FF 2F 00"}},
                 {{kCheck, 34}}},
        ReadCase{"FileEndsBeforeAllTracks",
                 Mthd(1, 3) + kShortTrack,
                 {kShortTrackEvents, {}, {}},
                 {{kFailed, 30}},
                 {1, 3, 0x60}},
        ReadCase{"FileEndsInsideATrack",
                 Mthd(1, 2) + TrkDeclaring(12, kNote + "00 FF 01 04 41"),
                 {{"0: 90 3C 64"}, {}},
                 {{kFailed, 31}},
                 {1, 2, 0x60}},
        // The old header stays, and as many tracks as it announces are read from byte 14 on.
        ReadCase{"NotAHeaderChunk",
                 "52 49 46 46 00 00 00 06 00 00 00 01 00 60 " + kShortTrack + kShortTrack,
                 {kShortTrackEvents, kShortTrackEvents},
                 {{kHeader, 0}},
                 {1, 2, 96}},
        ReadCase{"TruncatedHeader", "4D 54 68 64 00 00 00 06 00", {{}, {}}, {{kFailed, 0}}, {1, 2, 96}},
        ReadCase{"TruncatedNonHeader", "4D 54 72", {{}, {}}, {{kHeader, 0}}, {1, 2, 96}},
        ReadCase{"EmptyFile", "", {{}, {}}, {{kHeader, 0}}, {1, 2, 96}},
        ReadCase{"NoTracksAndTrailingBytesIgnored", Mthd(2, 0, 0xE728) + "00 01 02", {}, {}, {2, 0, 0xE728}},
        ReadCase{"BytesAfterTheLastTrackIgnored", Mthd(0, 1) + kShortTrack + "00 01 02 03 04 05 06 07 08",
                 {kShortTrackEvents}, {}},
        // Each distinct fault once, in the order first met.
        ReadCase{"EachFaultOnceInOrder",
                 Mthd(1, 5) + TrkDeclaring(9, kNote + kEot + "00") + "00 01 02 03 04 05 06 07 " +
                     TrkDeclaring(9, kNote + kEot + "00") + "00 01 02 03 04 05 06 07 ",
                 {kShortTrackEvents, {}, kShortTrackEvents, {}, {}},
                 {{kCheck, 30}, {kTrack, 31}, {kFailed, 64}},
                 {1, 5, 0x60}},
        ReadCase{"LongMetaAndSysex",
                 Mthd(0, 1) + Trk("00 FF 01 81 00 " + Repeat("41", 128) + "00 F0 81 48 " + Repeat("7E", 199) +
                                  "F7 00 F7 00" + kEot),
                 {{"0: " + HexText(Hex("FF 01 81 00 " + Repeat("41", 128))),
                   "0: " + HexText(Hex("F0 81 48 " + Repeat("7E", 199) + "F7")), "0: F7 00", "0: FF 2F 00"}},
                 {}},
        ReadCase{"MetaLengthBeyondTheFile",
                 Mthd(0, 1) + TrkDeclaring(12, kNote + "00 FF 01 FF FF FF 7F 41"),
                 {{"0: 90 3C 64"}},
                 {{kFailed, 34}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The texts the user sees, exactly.
TEST(FaultTextTest, GivesTheSystemsMessages)
{
    EXPECT_EQ(FaultText(kHeader), "ヘッダチャンクエラー");
    EXPECT_EQ(FaultText(kTrack), "トラックチャンクエラー");
    EXPECT_EQ(FaultText(kFailed), "ファイルの読み込みに失敗しました。");
    EXPECT_EQ(FaultText(kCheck), "データチェックエラー");
}

class UnacceptedStatusTest : public ::testing::TestWithParam<int> {};

// System common and real-time status bytes have no place in a file: the
// track ends there, without an event for them.
TEST_P(UnacceptedStatusTest, EndsTheTrackWithAReadFailure)
{
    char status[4];
    std::snprintf(status, sizeof status, "%02X", GetParam());
    const std::vector<std::uint8_t> file = Hex(Mthd(0, 1) + Trk(kNote + "00 " + status + " 00" + kEot));
    CMidi song;
    CollectingDiagnostics diagnostics;
    ReadStandardMidi(file, song, diagnostics);
    EXPECT_EQ(SongText(song), Tracks{{"0: 90 3C 64"}});
    ASSERT_EQ(diagnostics.Reports().size(), 1u);
    EXPECT_EQ(diagnostics.Reports()[0].fault, kFailed);
    EXPECT_EQ(diagnostics.Reports()[0].offset, 27u);
}

INSTANTIATE_TEST_SUITE_P(Smf, UnacceptedStatusTest,
                         ::testing::Values(0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD,
                                           0xFE));

TEST(SmfReaderTest, KeepsAnyHeaderValuesAndWritesThemBack)
{
    for (const std::uint16_t format : {0, 1, 2, 7}) {
        for (const std::uint16_t division : {0x0060, 0x01E0, 0xE728}) {
            const std::string header = Mthd(format, 2, division);
            const std::vector<std::uint8_t> file = Hex(header + kShortTrack + kShortTrack);
            CMidi song;
            CollectingDiagnostics diagnostics;
            ReadStandardMidi(file, song, diagnostics);
            EXPECT_TRUE(diagnostics.Empty());
            EXPECT_EQ(song.m_Header.m_Format, format);
            EXPECT_EQ(song.m_Header.m_Division, division);
            EXPECT_EQ(HexText(WriteStandardMidi(song)), HexText(file));
        }
    }
}

// Cutting a sound file anywhere after its first four bytes gives exactly one
// read failure, at the cut, and a prefix of the events of the whole file.
TEST(SmfReaderTest, AFileCutAnywhereGivesOneReadFailure)
{
    const std::vector<std::uint8_t> whole = Hex(
        Mthd(1, 2) + Trk("00 FF 03 02 41 42  00 90 3C 64  83 60 3C 00  00 F0 03 7E 7F F7" + kEot) +
        Trk("81 80 00 C0 05" + kEot));
    CMidi full;
    CollectingDiagnostics none;
    ReadStandardMidi(whole, full, none);
    ASSERT_TRUE(none.Empty());
    const auto fullText = SongText(full);

    for (std::size_t size = 4; size < whole.size(); ++size) {
        const std::span<const std::uint8_t> cut(whole.data(), size);
        CMidi song;
        CollectingDiagnostics diagnostics;
        ReadStandardMidi(cut, song, diagnostics);
        ASSERT_EQ(diagnostics.Reports().size(), 1u) << size;
        EXPECT_EQ(diagnostics.Reports()[0].fault, kFailed) << size;
        const auto text = SongText(song);
        if (size < 14) continue;
        ASSERT_EQ(text.size(), fullText.size());
        for (std::size_t t = 0; t < text.size(); ++t) {
            ASSERT_LE(text[t].size(), fullText[t].size()) << size;
            EXPECT_TRUE(std::equal(text[t].begin(), text[t].end(), fullText[t].begin())) << size;
        }
    }
}

}  // namespace
}  // namespace tamsel
