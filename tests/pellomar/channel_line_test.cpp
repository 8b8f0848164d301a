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

struct ChannelCase {
    const char* name;
    std::string line0;
    std::string line;
    int lineNumber;
    std::vector<std::string> events;  // the channel line's events alone
};

void PrintTo(const ChannelCase& c, std::ostream* out) { *out << c.name; }

class ChannelLineTest : public ::testing::TestWithParam<ChannelCase> {};

// Decodes the line inside a whole file with every line key in order, so each
// key is read from its own line ("6=" would otherwise be found in "16=").
// Line 0 also runs its own pass; the cases keep it free of events.
TEST_P(ChannelLineTest, Decodes)
{
    const ChannelCase& c = GetParam();
    std::string text = "PLMR\r\n0=" + c.line0 + "\r\n";
    for (int n = 1; n <= 18; ++n) text += std::to_string(n) + "=" + (n == c.lineNumber ? c.line : "") + "\r\n";
    CMidi song;
    DecodePellomarText(song, Utf8ToUtf16(text));
    const std::vector<std::string> events = TimedEvents(song);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(events.begin() + 2, events.end() - 1), c.events);
}

const std::vector<std::string> kAStruckTwice{"0: 90 3C 7F", "120: 80 3C 40", "240: 90 3C 7F", "360: 80 3C 40"};
const std::vector<std::string> kChordOnA{"0: 90 3C 7F", "0: 90 40 7F", "0: 90 43 7F", "120: 80 3C 40", "120: 80 40 40",
                                         "120: 80 43 40"};
const std::vector<std::string> kPlainA{"0: 90 3C 7F", "120: 80 3C 40"};

INSTANTIATE_TEST_SUITE_P(
    Examples, ChannelLineTest,
    ::testing::Values(
        ChannelCase{"TieAndRelease", "----", "A-B/", 1, {"0: 90 3C 7F", "240: 80 3C 40", "240: 90 3D 7F", "360: 80 3D 40"}},
        ChannelCase{"ChordThenClear", "------", "[%10:4, 7]a--[%11]-", 2,
                    {"0: 91 30 7F", "0: 91 34 7F", "0: 91 37 7F", "360: 81 34 40", "360: 81 37 40", "480: 81 30 40"}},
        ChannelCase{"ChordRevoiced", "-----", "[%10:4, 7]a-[%10:3]-", 1,
                    {"0: 90 30 7F", "0: 90 34 7F", "0: 90 37 7F", "240: 80 34 40", "240: 80 37 40", "240: 90 33 7F",
                     "360: 80 30 40", "360: 80 33 40"}},
        ChannelCase{"StepLengthFromLine0", "--[%18:060]--", "A-B-C", 1,
                    {"0: 90 3C 7F", "240: 80 3C 40", "240: 90 3D 7F", "360: 80 3D 40", "360: 90 3E 7F", "420: 80 3E 40"}},
        ChannelCase{"OctaveAndVelocity", "---", "[%4:5][%5:100]A", 1, {"0: 90 54 64", "120: 80 54 40"}},
        ChannelCase{"ProgramControlBend", "-", "[%3:025][$7:100][#31:08192]", 1, {"0: C0 19", "0: B0 07 64", "0: E0 00 40"}},
        ChannelCase{"Text", "-", "[%7:Intro]", 1, {"0: FF 01 05 49 6E 74 72 6F"}},
        ChannelCase{"CommandPairsWithLine0Unit", "-[%18:060]--", "[%5:100]AB", 1,
                    {"0: 90 3C 64", "60: 80 3C 40", "60: 90 3D 64", "120: 80 3D 40"}}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ChannelLineTest,
    ::testing::Values(
        ChannelCase{"EmptyLine", "----", "", 1, {}},
        ChannelCase{"SingleLetter", "", "A", 1, kPlainA},
        ChannelCase{"RepeatedLetterStrikesAgain", "", "AA", 1,
                    {"0: 90 3C 7F", "120: 80 3C 40", "120: 90 3C 7F", "240: 80 3C 40"}},
        ChannelCase{"TieHolds", "", "A-", 1, {"0: 90 3C 7F", "240: 80 3C 40"}},
        ChannelCase{"ReleaseEndsNote", "", "A/", 1, kPlainA},
        ChannelCase{"RestWhileSilent", "", "-A", 1, {"120: 90 3C 7F", "240: 80 3C 40"}},
        ChannelCase{"StrayCloseBracketIsRest", "", "A]A", 1, kAStruckTwice},
        ChannelCase{"Line10IsChannel10", "", "A", 10, {"0: 9A 3C 7F", "120: 8A 3C 40"}},
        ChannelCase{"Line9IsChannel8", "", "A", 9, {"0: 98 3C 7F", "120: 88 3C 40"}},
        ChannelCase{"Line16IsChannel9", "", "A", 16, {"0: 99 3C 7F", "120: 89 3C 40"}},
        ChannelCase{"Line17IsChannel9", "", "A", 17, {"0: 99 3C 7F", "120: 89 3C 40"}},
        ChannelCase{"Line18IsChannel9", "", "A", 18, {"0: 99 3C 7F", "120: 89 3C 40"}},
        ChannelCase{"CommandTakesNoTime", "", "[%5:064]A", 1, {"0: 90 3C 40", "120: 80 3C 40"}},
        ChannelCase{"RowStarts", "", "oaAM", 1,
                    {"0: 90 24 7F", "120: 80 24 40", "120: 90 30 7F", "240: 80 30 40", "240: 90 3C 7F", "360: 80 3C 40",
                     "360: 90 48 7F", "480: 80 48 40"}},
        ChannelCase{"RowEnds", "", "zlLX", 1,
                    {"0: 90 2F 7F", "120: 80 2F 40", "120: 90 3B 7F", "240: 80 3B 40", "240: 90 47 7F", "360: 80 47 40",
                     "360: 90 53 7F", "480: 80 53 40"}},
        ChannelCase{"OctaveZero", "", "[%4:0]o", 1, {"0: 90 00 7F", "120: 80 00 40"}},
        ChannelCase{"OctaveFive", "", "[%4:5]A", 1, {"0: 90 54 7F", "120: 80 54 40"}},
        ChannelCase{"OctaveNineRowThree", "", "[%4:9]M", 1, {"0: 90 90 7F", "120: 80 90 40"}},
        ChannelCase{"ChordCommas", "", "[%10:4,7]A", 1, kChordOnA},
        ChannelCase{"ChordSpaces", "", "[%10:4 7]A", 1, kChordOnA},
        ChannelCase{"ChordMixedSeparators", "", "[%10: 4 , 7 ]A", 1, kChordOnA},
        ChannelCase{"EmptyListClearsChord", "", "[%10:4,7][%10:]A", 1, kPlainA},
        ChannelCase{"ClearBeforeNote", "", "[%10:4,7][%11]A", 1, kPlainA},
        ChannelCase{"TokenWithoutDigitsIsZero", "", "[%10:4, x]A", 1,
                    {"0: 90 3C 7F", "0: 90 40 7F", "0: 90 3C 7F", "120: 80 3C 40", "120: 80 40 40", "120: 80 3C 40"}},
        ChannelCase{"ClearWhileSoundingKeepsRoot", "", "[%10:4,7]A[%11]-", 1,
                    {"0: 90 3C 7F", "0: 90 40 7F", "0: 90 43 7F", "120: 80 40 40", "120: 80 43 40", "240: 80 3C 40"}},
        ChannelCase{"RevoiceUsesNewVelocity", "", "A[%5:050][%10:7]-", 1,
                    {"0: 90 3C 7F", "120: 90 43 32", "240: 80 3C 40", "240: 80 43 40"}},
        ChannelCase{"LeadingZeroShiftsProgram", "", "[%03:025]", 1, {"0: C0 00"}},
        ChannelCase{"Program", "", "[%3:025]", 1, {"0: C0 19"}},
        ChannelCase{"Line0ZeroPaddedStepIgnored", "[%018:060]--", "AB", 1,
                    {"0: 90 3C 7F", "120: 80 3C 40", "120: 90 3D 7F", "240: 80 3D 40"}},
        ChannelCase{"Line0SpacedStepIgnored", "[% 18:060]--", "AB", 1,
                    {"0: 90 3C 7F", "120: 80 3C 40", "120: 90 3D 7F", "240: 80 3D 40"}},
        ChannelCase{"Line0StepApplies", "[%18:060]--", "AB", 1,
                    {"0: 90 3C 7F", "60: 80 3C 40", "60: 90 3D 7F", "120: 80 3D 40"}},
        ChannelCase{"Line0ExactCharactersOnly", "[%180]--", "AB", 1,
                    {"0: 90 3C 7F", "0: 80 3C 40", "0: 90 3D 7F", "0: 80 3D 40"}},
        ChannelCase{"EmptyLine0", "", "A-B", 1, {"0: 90 3C 7F", "240: 80 3C 40", "240: 90 3D 7F", "360: 80 3D 40"}},
        ChannelCase{"LastStepStaysAfterLine0Ends", "-[%18:060]", "ABC", 1,
                    {"0: 90 3C 7F", "120: 80 3C 40", "120: 90 3D 7F", "180: 80 3D 40", "180: 90 3E 7F", "240: 80 3E 40"}},
        ChannelCase{"BendAndControlChanges", "", "[#31:16383][#31:00000][$10:64][$121:0]", 1,
                    {"0: E0 7F 7F", "0: E0 00 00", "0: B0 0A 40", "0: B0 79 00"}},
        ChannelCase{"EmptyText", "", "[%7:]", 1, {"0: FF 01 00"}},
        ChannelCase{"ConductorCommandsSkipped", "", "[#30:0120][#0][%2:m][%18:060][%6][%8][%9][%12][&1]A", 1, kPlainA},
        ChannelCase{"VelocityLow8Bits", "", "[%5:200]A[%5:300]A", 1,
                    {"0: 90 3C C8", "120: 80 3C 40", "120: 90 3C 2C", "240: 80 3C 40"}},
        ChannelCase{"NoteNumbersWrap", "", "[%4:9][%10:200]X/[%4:3][%10:-100]o", 1,
                    {"0: 90 9B 7F", "0: 90 63 7F", "120: 80 9B 40", "120: 80 63 40", "240: 90 24 7F", "240: 90 C0 7F",
                     "360: 80 24 40", "360: 80 C0 40"}},
        ChannelCase{"BendValueAsUnsigned", "", "[#31:-1][#31:99999]", 1, {"0: E0 7F 7F", "0: E0 1F 0D"}},
        ChannelCase{"ProgramLow8Bits", "", "[%3:300]", 1, {"0: C0 2C"}},
        ChannelCase{"FullwidthDigitsInField", "", "[%5:１００]A", 1, {"0: 90 3C 64", "120: 80 3C 40"}},
        ChannelCase{"FieldReadsPastBracket", "", "[%5]100A", 1, {"360: 90 3C 64", "480: 80 3C 40"}},
        ChannelCase{"OctaveFieldReadsPastBracket", "", "[%4]5A", 1, {"120: 90 54 7F", "240: 80 54 40"}},
        ChannelCase{"ChordListFoundLater", "", "[%10]A[%10:7]", 1,
                    {"0: 90 3C 7F", "0: 90 43 7F", "120: 80 43 40", "120: 90 43 7F", "120: 80 3C 40", "120: 80 43 40"}},
        ChannelCase{"ZeroPaddedChordHasNoList", "", "[%10:4][%010:7]A", 1, kPlainA}));

INSTANTIATE_TEST_SUITE_P(
    MalformedInput, ChannelLineTest,
    ::testing::Values(
        ChannelCase{"UnclosedBracketReleasesAtTickReached", "", "A-[%5", 1, {"0: 90 3C 7F", "240: 80 3C 40"}},
        ChannelCase{"UnclosedBracketAtEnd", "", "A[", 1, kPlainA},
        ChannelCase{"UnclosedBracketEndsLine", "", "[%5:100A", 1, {}},
        ChannelCase{"UnclosedLine0BracketKeepsStep", "[%18:060]-[%18:030", "AAAA", 1,
                    {"0: 90 3C 7F", "60: 80 3C 40", "60: 90 3C 7F", "120: 80 3C 40", "120: 90 3C 7F", "180: 80 3C 40",
                     "180: 90 3C 7F", "240: 80 3C 40"}},
        ChannelCase{"OtherLine0CharacterIsAUnit", "x[%18:060]", "AB", 1,
                    {"0: 90 3C 7F", "120: 80 3C 40", "120: 90 3D 7F", "180: 80 3D 40"}},
        ChannelCase{"NegativeStepCountsAsZero", "[%18:-60]", "AB", 1,
                    {"0: 90 3C 7F", "0: 80 3C 40", "0: 90 3D 7F", "0: 80 3D 40"}},
        ChannelCase{"FirstSevenChordTokens", "", "[%10:1,2,3,4,5,6,7,8,9]A", 1,
                    {"0: 90 3C 7F", "0: 90 3D 7F", "0: 90 3E 7F", "0: 90 3F 7F", "0: 90 40 7F", "0: 90 41 7F",
                     "0: 90 42 7F", "0: 90 43 7F", "120: 80 3C 40", "120: 80 3D 40", "120: 80 3E 40", "120: 80 3F 40",
                     "120: 80 40 40", "120: 80 41 40", "120: 80 42 40", "120: 80 43 40"}},
        ChannelCase{"ControlChangeWithoutColon", "", "[$7]A", 1, {"0: B0 07 00", "0: 90 3C 7F", "120: 80 3C 40"}},
        ChannelCase{"ControlValueAfterLaterColon", "", "[$7][%5:100]", 1, {"0: B0 07 64"}},
        ChannelCase{"LongTextKeptWhole", "", "[%7:" + std::string(130, 'y') + "]", 1,
                    {"0: FF 01 81 02 " + RepeatHex("79", 130)}}));

// Ticks beyond 32 bits cannot be held by the song; they stay at the last one.
TEST(ChannelLine, TicksBeyond32BitsAreHeldAtTheLargest)
{
    CMidi song;
    const std::string line = std::string(4'300'000, '-') + "A";  // 4,300,000 steps of 999 ticks
    DecodePellomarText(song, PellomarText({{"0", "[%18:999]"}, {"1", line}}));
    EXPECT_EQ(TimedEvents(song), (std::vector<std::string>{"0: FF 03 00", "0: FF 02 00", "4294967295: 90 3C 7F",
                                                           "4294967295: 80 3C 40", "4294967295: FF 2F 00"}));
}

// Characters that are neither "-", "[" nor note letters act like "/".
TEST(ChannelLine, NonLettersAreOneStepReleases)
{
    for (const char* rest : {"m", "n", "Y", "Z", "0", "9", " ", "/", ":", "\xE3\x81\x82"}) {
        SCOPED_TRACE(rest);
        CMidi song;
        DecodePellomarText(song, PellomarText({{"1", std::string("A") + rest + "A"}}));
        const std::vector<std::string> events = TimedEvents(song);
        EXPECT_EQ(std::vector<std::string>(events.begin() + 2, events.end() - 1), kAStruckTwice);
    }
}

// One channel line alone, merged into a track that already has events.
TEST(ChannelLine, InsertsAfterEventsOfTheSameTick)
{
    CMidi song(1, 480);
    song.AddMsgTail(120, 0, std::vector<std::uint8_t>{0xFF, 0x06, 0x00});
    DecodeChannelLine(song, u"[%18:060]", u"AB", 3);
    EXPECT_EQ(TimedEvents(song),
              (std::vector<std::string>{"0: 92 3C 7F", "60: 82 3C 40", "60: 92 3D 7F", "120: FF 06 00", "120: 82 3D 40"}));
}

}  // namespace
}  // namespace tamsel
