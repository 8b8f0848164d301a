#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pellomar/decoder.h"
#include "song_events.h"

namespace tamsel {
namespace {

using test::PellomarText;
using test::RepeatHex;
using test::TimedEvents;

struct FrameCase {
    const char* name;
    std::u16string text;
    std::uint16_t division;
    std::vector<std::string> events;  // the whole track
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

class PellomarFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(PellomarFrameTest, Decodes)
{
    CMidi song(3, 96);  // decoding replaces whatever the song held
    song.AddMsgTail(0, 1, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
    DecodePellomarText(song, GetParam().text);
    EXPECT_EQ(song.m_Header.m_Format, 0);
    EXPECT_EQ(song.m_Header.m_TrackCount, 1);
    EXPECT_EQ(song.m_Header.m_Division, GetParam().division);
    EXPECT_EQ(TimedEvents(song), GetParam().events);
}

const std::vector<std::string> kEmptySong{"0: FF 03 00", "0: FF 02 00", "0: FF 2F 00"};

std::u16string Text(std::string_view utf8) { return Utf8ToUtf16(utf8); }

INSTANTIATE_TEST_SUITE_P(
    Pellomar, PellomarFrameTest,
    ::testing::Values(
        FrameCase{"MagicOnly", u"PLMR", 0, kEmptySong},
        FrameCase{"TimeBase", PellomarText({{"TimeBase", "480"}}), 480, kEmptySong},
        FrameCase{"TimeBaseLeadingSpace", PellomarText({{"TimeBase", " 480"}}), 480, kEmptySong},
        FrameCase{"TimeBaseTrailingLetters", PellomarText({{"TimeBase", "480abc"}}), 480, kEmptySong},
        FrameCase{"TimeBaseLow16Bits", PellomarText({{"TimeBase", "70000"}}), 4464, kEmptySong},
        FrameCase{"TimeBaseClampedHigh", PellomarText({{"TimeBase", "99999999999"}}), 0xFFFF, kEmptySong},
        FrameCase{"TimeBaseClampedLow", PellomarText({{"TimeBase", "-99999999999"}}), 0, kEmptySong},
        FrameCase{"TimeBaseNegative", PellomarText({{"TimeBase", "-1"}}), 0xFFFF, kEmptySong},
        FrameCase{"TimeBaseFullwidth", PellomarText({{"TimeBase", "\u3000４８０"}}), 480, kEmptySong},
        FrameCase{"TimeBaseEmpty", PellomarText({{"TimeBase", ""}}), 0, kEmptySong},
        FrameCase{"LfOnlyLinesReadEmpty", Text("PLMR\nTimeBase=480\nTitle=T\n0=[#0]\n1=A\n"), 0, kEmptySong},
        FrameCase{"LastKeyWithoutCrLf", Text("PLMR\r\nTimeBase=96\r\nTitle=Song"), 96, kEmptySong},
        FrameCase{"EmptyTitle", PellomarText({{"Title", ""}}), 0, kEmptySong},
        FrameCase{"TitleAndBuilder", PellomarText({{"Title", "Tune"}, {"Builder", "Me"}}), 0,
                  {"0: FF 03 04 54 75 6E 65", "0: FF 02 02 4D 65", "0: FF 2F 00"}},
        FrameCase{"Title125Bytes", PellomarText({{"Title", std::string(125, 'x')}}), 0,
                  {"0: FF 03 7D " + RepeatHex("78", 125), "0: FF 02 00", "0: FF 2F 00"}},
        // Longer texts keep every byte; their length is a variable-length quantity.
        FrameCase{"Title127Bytes", PellomarText({{"Title", std::string(127, 'x')}}), 0,
                  {"0: FF 03 7F " + RepeatHex("78", 127), "0: FF 02 00", "0: FF 2F 00"}},
        FrameCase{"Title128Bytes", PellomarText({{"Title", std::string(128, 'x')}}), 0,
                  {"0: FF 03 81 00 " + RepeatHex("78", 128), "0: FF 02 00", "0: FF 2F 00"}},
        FrameCase{"Builder300Bytes", PellomarText({{"Builder", std::string(300, 'b')}}), 0,
                  {"0: FF 03 00", "0: FF 02 82 2C " + RepeatHex("62", 300), "0: FF 2F 00"}},
        FrameCase{"TitleOfDoubleByteCharacters", PellomarText({{"Title", "タイ"}}), 0,
                  {"0: FF 03 04 83 5E 83 43", "0: FF 02 00", "0: FF 2F 00"}},
        FrameCase{"TitleWithoutCp932Form", PellomarText({{"Title", "é\uFFFD"}}), 0,
                  {"0: FF 03 02 3F 3F", "0: FF 02 00", "0: FF 2F 00"}},
        FrameCase{"EscapeStaysInTitle", PellomarText({{"Title", "a\\r\\nb"}}), 0,
                  {"0: FF 03 06 61 5C 72 5C 6E 62", "0: FF 02 00", "0: FF 2F 00"}},
        FrameCase{"FirstOfTwoTitles", PellomarText({{"Title", "A"}, {"Title", "B"}}), 0,
                  {"0: FF 03 01 41", "0: FF 02 00", "0: FF 2F 00"}},
        // "1=" is first found inside "11=", so line 1 is line 11's value.
        FrameCase{"LineKeyInsideLongerKey", PellomarText({{"11", "A"}, {"1", "B"}}), 0,
                  {"0: FF 03 00", "0: FF 02 00", "0: 90 3C 7F", "0: 9B 3C 7F", "120: 80 3C 40", "120: 8B 3C 40",
                   "120: FF 2F 00"}},
        FrameCase{"LineKeyInsideTitle", PellomarText({{"Title", "x3=A"}, {"3", "B"}}), 0,
                  {"0: FF 03 04 78 33 3D 41", "0: FF 02 00", "0: 92 3C 7F", "120: 82 3C 40", "120: FF 2F 00"}},
        FrameCase{"ConductorBeforeChannelAtEqualTick", PellomarText({{"1", "A"}, {"0", "[#30:0120]"}}), 0,
                  {"0: FF 03 00", "0: FF 02 00", "0: FF 51 03 07 A1 20", "0: 90 3C 7F", "120: 80 3C 40",
                   "120: FF 2F 00"}},
        // Lines written in any order come out merged by tick, lower lines first.
        FrameCase{"LinesMergedByTickThenLine", PellomarText({{"2", "A"}, {"1", "--A"}, {"0", "--[%2:m]"}}), 0,
                  {"0: FF 03 00", "0: FF 02 00", "0: 91 3C 7F", "120: 81 3C 40", "240: FF 06 01 6D", "240: 90 3C 7F",
                   "360: 80 3C 40", "360: FF 2F 00"}},
        FrameCase{"LinesSixteenToEighteenShareChannelNine",
                  PellomarText({{"5", ""}, {"6", ""}, {"7", ""}, {"8", ""}, {"16", "A"}, {"17", "B"}, {"18", "C"}, {"15", "D"}}), 0,
                  {"0: FF 03 00", "0: FF 02 00", "0: 9F 3F 7F", "0: 99 3C 7F", "0: 99 3D 7F", "0: 99 3E 7F",
                   "120: 8F 3F 40", "120: 89 3C 40", "120: 89 3D 40", "120: 89 3E 40", "120: FF 2F 00"}},
        FrameCase{"OtherKeysIgnored", PellomarText({{"Tempo", "[#0]"}, {"Comment", "A"}, {"X", "1=B"}}), 0,
                  {"0: FF 03 00", "0: FF 02 00", "0: 90 3D 7F", "120: 80 3D 40", "120: FF 2F 00"}}));

}  // namespace
}  // namespace tamsel
