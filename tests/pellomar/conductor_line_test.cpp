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

struct ConductorCase {
    const char* name;
    std::string line0;
    std::vector<std::string> events;  // between the title and builder and the end of track
};

void PrintTo(const ConductorCase& c, std::ostream* out) { *out << c.name; }

class ConductorLineTest : public ::testing::TestWithParam<ConductorCase> {};

TEST_P(ConductorLineTest, Decodes)
{
    CMidi song;
    DecodePellomarText(song, PellomarText({{"0", GetParam().line0}}));
    std::vector<std::string> events = TimedEvents(song);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.back().substr(events.back().find(':')), ": FF 2F 00");
    EXPECT_EQ(std::vector<std::string>(events.begin() + 2, events.end() - 1), GetParam().events);
}

// The conductor pass alone, inserted into a track that already has events.
TEST(ConductorLine, InsertsAfterEventsOfTheSameTick)
{
    CMidi song(1, 480);
    song.AddMsgTail(0, 0, std::vector<std::uint8_t>{0x90, 0x3C, 0x7F});
    song.AddMsgTail(240, 0, std::vector<std::uint8_t>{0x80, 0x3C, 0x40});
    song.AddMsgTail(240, 0, std::vector<std::uint8_t>{0x80, 0x3D, 0x40});
    DecodeConductorLine(song, u"[#0]--[%2:a]-----[%7:b]");
    EXPECT_EQ(TimedEvents(song), (std::vector<std::string>{"0: 90 3C 7F", "0: F0 05 7E 7F 09 01 F7", "240: 80 3C 40",
                                                           "240: FF 06 01 61", "480: 80 3D 40", "840: FF 01 01 62"}));
}

const std::string kGeneralMidiOn = "F0 05 7E 7F 09 01 F7";
const std::string kXgOn = "F0 08 43 10 4C 00 00 7E 00 F7";
const std::string kGsReset = "F0 0A 41 10 42 12 40 00 7F 00 41 F7";

INSTANTIATE_TEST_SUITE_P(
    Pellomar, ConductorLineTest,
    ::testing::Values(
        ConductorCase{"ResetTempoMarker", "[#0][#30:0120]--[%2:A]--",
                      {"0: " + kGeneralMidiOn, "0: FF 51 03 07 A1 20", "240: FF 06 01 41"}},
        ConductorCase{"Tempo60", "[#30:0060]", {"0: FF 51 03 0F 42 40"}},
        ConductorCase{"TempoFieldReadsPastBracket", "[#30:120]", {"0: FF 51 03 07 A1 20"}},
        ConductorCase{"Tempo140Truncated", "[#30:0140]", {"0: FF 51 03 06 8A 1B"}},
        ConductorCase{"Tempo1KeepsLow24Bits", "[#30:0001]", {"0: FF 51 03 93 87 00"}},
        ConductorCase{"TempoZeroNegativeLetters", "[#30:0000][#30:-120][#30:abcd]",
                      {"0: FF 51 03 00 00 00", "0: FF 51 03 00 00 00", "0: FF 51 03 00 00 00"}},
        ConductorCase{"TempoFullwidthDigits", "[#30:１２０]", {"0: FF 51 03 07 A1 20"}},
        ConductorCase{"TempoWithoutArgument", "[#30]----", {"0: FF 51 03 00 00 00"}},
        ConductorCase{"OnlyResetsAndTempo", "[#3:0120][#300][#01][#5][#31][#-1]", {"0: " + kXgOn}},
        ConductorCase{"HashWithoutDigitsIsZero", "[#]-", {"0: " + kGeneralMidiOn}},
        ConductorCase{"GsResetAndLeadingZero", "[#2][#00]", {"0: " + kGsReset, "0: " + kGeneralMidiOn}},
        ConductorCase{"MarkerLeadingZero", "[%02:abc]", {"0: FF 06 03 61 62 63"}},
        ConductorCase{"EmptyMarker", "[%2:]", {"0: FF 06 00"}},
        ConductorCase{"TextFromLaterColon", "[%2]--[%7:abc]", {"0: FF 06 03 61 62 63", "240: FF 01 03 61 62 63"}},
        ConductorCase{"TextWithoutColon", "[%7]", {"0: FF 01 00"}},
        ConductorCase{"TextWithoutCloseAfterColon", "[%7]-:", {"0: FF 01 00"}},
        ConductorCase{"MarkerDoubleByte", "[%2:曲]", {"0: FF 06 02 8B C8"}},
        ConductorCase{"Marker125Bytes", "[%2:" + std::string(125, 'm') + "]", {"0: FF 06 7D " + RepeatHex("6D", 125)}},
        ConductorCase{"Marker200Bytes", "[%7:" + std::string(200, 'm') + "]", {"0: FF 01 81 48 " + RepeatHex("6D", 200)}},
        ConductorCase{"StepLength60", "[%18:060]-[%2:a]---[%2:b]", {"60: FF 06 01 61", "240: FF 06 01 62"}},
        ConductorCase{"StepLengthFieldThreeWide", "[%18:1920]-[%2:a]", {"192: FF 06 01 61"}},
        ConductorCase{"StepLengthWithoutArgument", "[%18]---[%2:a]", {"0: FF 06 01 61"}},
        ConductorCase{"StepLengthZero", "[%18:0]--[%2:a][%18:5]-[%2:b]", {"0: FF 06 01 61", "5: FF 06 01 62"}},
        ConductorCase{"SlashIsAStep", "/-/[%2:a]", {"360: FF 06 01 61"}},
        ConductorCase{"EmptyAndUnknownBrackets", "[]-[x]-[%3:1][%99][$7:1]-[%2:a]", {"360: FF 06 01 61"}},
        ConductorCase{"ChannelCommandsDoNothing", "[%5:100][%4:5][%10:4,7][%11][#31:8192]", {}},
        // Input outside the line's syntax:
        ConductorCase{"OtherCharacterIsAStep", "a-x[%2:m]", {"360: FF 06 01 6D"}},
        ConductorCase{"UnclosedBracketEndsLine", "[%2:a]-[%2:b", {"0: FF 06 01 61"}},
        ConductorCase{"UnclosedBracketAtEnd", "-[", {}},
        ConductorCase{"BracketRunsToFirstClose", "[#0-[%2:a]", {"0: " + kGeneralMidiOn}},
        ConductorCase{"NegativeStepLength", "[%18:-60]--[%2:a]", {"0: FF 06 01 61"}}));

}  // namespace
}  // namespace tamsel
