#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "hex_bytes.h"
#include "model/midi.h"

namespace tamsel {
namespace {

using test::Hex;
using test::TrackText;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::vector<std::uint8_t> kMarker = Hex("FF 06 01 2A");

std::vector<std::uint32_t> Deltas(const CMidiTrack& track)
{
    std::vector<std::uint32_t> deltas;
    for (const CMidiObj& event : track.m_EventList) deltas.push_back(event.m_Delta);
    return deltas;
}

struct InsertCase {
    const char* name;
    std::vector<std::uint32_t> deltas;  // of the events already there
    std::uint32_t time;
    std::vector<std::uint32_t> expectedDeltas;
    std::size_t expectedIndex;  // where the new event lands
};

void PrintTo(const InsertCase& c, std::ostream* out) { *out << c.name; }


class InsertMsgTest : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertMsgTest, PlacesAfterEveryEventOfTheSameOrAnEarlierTick)
{
    const InsertCase& c = GetParam();
    CMidi song(1, 480);
    for (const std::uint32_t delta : c.deltas) song.AddMsgTail(delta, 0, Hex("90 3C 64"));
    song.InsertMsg(c.time, 0, kMarker);

    const CMidiTrack& track = song.Tracks()[0];
    EXPECT_THAT(Deltas(track), ElementsAreArray(c.expectedDeltas));
    ASSERT_LT(c.expectedIndex, track.m_EventList.size());
    EXPECT_EQ(test::HexText(track.m_EventList[c.expectedIndex].Data()), "FF 06 01 2A");
}

INSTANTIATE_TEST_SUITE_P(
    Model, InsertMsgTest,
    ::testing::Values(InsertCase{"EmptyTrack", {}, 300, {300}, 0},
                      InsertCase{"AfterBothEventsOfTheSameTick", {0, 480, 0, 480}, 480, {0, 480, 0, 0, 480}, 3},
                      InsertCase{"BeforeALaterFirstEvent", {100}, 0, {0, 100}, 0},
                      InsertCase{"BetweenTwoEvents", {100, 200}, 250, {100, 150, 50}, 1},
                      InsertCase{"AfterTheLastEvent", {0, 480}, 1000, {0, 480, 520}, 2},
                      InsertCase{"AtTheLastEventsTick", {0, 480}, 480, {0, 480, 0}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InsertMsgTest, KeepsInsertionOrderAmongEventsOfOneTick)
{
    CMidi song(1, 480);
    song.InsertMsg(240, 0, Hex("90 3C 64"));
    song.InsertMsg(240, 0, Hex("90 40 64"));
    song.InsertMsg(0, 0, Hex("C0 05"));
    song.InsertMsg(240, 0, Hex("90 43 64"));
    EXPECT_THAT(TrackText(song.Tracks()[0]), ElementsAre("0: C0 05", "240: 90 3C 64", "0: 90 40 64", "0: 90 43 64"));
}

TEST(ModelTest, InvalidTrackIndexesChangeNothing)
{
    CMidi song(2, 480);
    for (const int track : {-1, 2, 1000}) {
        song.InsertMsg(0, track, kMarker);
        song.AddMsgTail(0, track, kMarker);
    }
    for (const CMidiTrack& track : song.Tracks()) EXPECT_THAT(track.m_EventList, IsEmpty());

    song.DeleteTrack();
    song.InsertMsg(0, 0, kMarker);
    song.AddMsgTail(0, 0, kMarker);
    EXPECT_FALSE(song.HasTrackArray());
}

TEST(ModelTest, AddMsgTailTakesADeltaNotATime)
{
    CMidi song(1, 480);
    song.InsertMsg(960, 0, Hex("90 3C 64"));
    song.AddMsgTail(0, 0, Hex("FF 2F 00"));
    song.AddMsgTail(10, 0, Hex("FF 2F 00"));
    EXPECT_THAT(TrackText(song.Tracks()[0]), ElementsAre("960: 90 3C 64", "0: FF 2F 00", "10: FF 2F 00"));
}

struct CreateCase {
    std::uint16_t count;
    std::uint16_t expectedFormat;
};

class CreateTrackTest : public ::testing::TestWithParam<CreateCase> {};

TEST_P(CreateTrackTest, FormatFollowsTheTrackCount)
{
    CMidi song;
    song.DeleteTrack();
    song.CreateTrack(GetParam().count, 96);
    EXPECT_EQ(song.m_Header.m_Format, GetParam().expectedFormat);
    EXPECT_EQ(song.m_Header.m_TrackCount, GetParam().count);
    EXPECT_EQ(song.m_Header.m_Division, 96);
    EXPECT_EQ(song.Tracks().size(), GetParam().count);
    for (const CMidiTrack& track : song.Tracks()) EXPECT_THAT(track.m_EventList, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Model, CreateTrackTest,
                         ::testing::Values(CreateCase{1, 0}, CreateCase{3, 1}, CreateCase{0, 1}, CreateCase{2, 1}));

TEST(ModelTest, ConstructionGivesTheDefaultHeader)
{
    const CMidi song;
    EXPECT_EQ(std::string(song.m_Header.m_ChunkType.data(), 4), "MThd");
    EXPECT_EQ(song.m_Header.m_Length, 6u);
    EXPECT_EQ(song.m_Header.m_Format, 0);
    EXPECT_EQ(song.m_Header.m_TrackCount, 1);
    EXPECT_EQ(song.m_Header.m_Division, 480);
    ASSERT_EQ(song.Tracks().size(), 1u);
    EXPECT_EQ(std::string(song.Tracks()[0].m_ChunkType.data(), 4), "MTrk");
}

TEST(ModelTest, DeleteTrackKeepsTheHeaderValues)
{
    CMidi song(3, 96);
    song.DeleteTrack();
    EXPECT_FALSE(song.HasTrackArray());
    EXPECT_THAT(song.Tracks(), IsEmpty());
    EXPECT_EQ(song.m_Header.m_TrackCount, 3);
    EXPECT_EQ(song.m_Header.m_Format, 1);
}

// Each row: the events of track 0 and track 1, then the expected title and
// copyright text.
struct MetaTextCase {
    const char* name;
    std::vector<std::string> track0;
    std::vector<std::string> track1;
    std::string title;
    std::string copyright;
};

void PrintTo(const MetaTextCase& c, std::ostream* out) { *out << c.name; }


class MetaTextTest : public ::testing::TestWithParam<MetaTextCase> {};

TEST_P(MetaTextTest, SearchesTrackZeroForTheFirstMatch)
{
    const MetaTextCase& c = GetParam();
    CMidi song(2, 480);
    for (const std::string& event : c.track0) song.AddMsgTail(0, 0, Hex(event));
    for (const std::string& event : c.track1) song.AddMsgTail(0, 1, Hex(event));
    EXPECT_EQ(song.GetTitle(), c.title);
    EXPECT_EQ(song.GetCopyRight(), c.copyright);
}

INSTANTIATE_TEST_SUITE_P(
    Model, MetaTextTest,
    ::testing::Values(
        MetaTextCase{"None", {"90 3C 64"}, {}, "", ""},
        MetaTextCase{"OnlyInTrackOne", {}, {"FF 03 02 41 42", "FF 02 01 43"}, "", ""},
        MetaTextCase{"FirstOfTwo", {"FF 03 02 41 42", "FF 03 01 43"}, {}, "AB", ""},
        MetaTextCase{"BothKinds", {"FF 02 03 28 63 29", "90 3C 64", "FF 03 01 54"}, {}, "T", "(c)"},
        MetaTextCase{"EmptyText", {"FF 03 00", "FF 03 01 43"}, {}, "", ""},
        MetaTextCase{"OtherMetaTypesAndShortMessagesSkipped", {"FF 01 01 41", "FF 03", "FF 03 01 5A"}, {}, "Z", ""},
        // A length that claims more than the message holds gives what is there.
        MetaTextCase{"LengthBeyondTheMessage", {"FF 03 05 41 42"}, {}, "AB", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MetaTextTest, LongTextsComeBackWhole)
{
    for (const std::size_t size : {std::size_t{125}, std::size_t{255}, std::size_t{300}}) {
        std::vector<std::uint8_t> message{0xFF, 0x03};
        if (size < 128) {
            message.push_back(static_cast<std::uint8_t>(size));
        } else {
            message.push_back(static_cast<std::uint8_t>(0x80 | (size >> 7)));
            message.push_back(static_cast<std::uint8_t>(size & 0x7F));
        }
        std::string text;
        for (std::size_t i = 0; i < size; ++i) text += static_cast<char>('a' + i % 26);
        message.insert(message.end(), text.begin(), text.end());
        CMidi song(1, 480);
        song.AddMsgTail(0, 0, message);
        EXPECT_EQ(song.GetTitle(), text) << size;
    }
}

TEST(MetaTextTest, NoTracksGiveEmptyTexts)
{
    CMidi none(0, 480);
    EXPECT_EQ(none.GetTitle(), "");
    CMidi deleted(1, 480);
    deleted.AddMsgTail(0, 0, Hex("FF 03 01 41"));
    deleted.DeleteTrack();
    EXPECT_EQ(deleted.GetTitle(), "");
    EXPECT_EQ(deleted.GetCopyRight(), "");
}

// Events hold short messages in place and long ones on the heap; both must
// survive the moves that growing and inserting into a track make.
TEST(MidiObjTest, MessagesSurviveTrackGrowthAndInsertion)
{
    CMidi song(1, 480);
    std::vector<std::string> expected;
    for (std::uint32_t i = 0; i < 200; ++i) {
        std::vector<std::uint8_t> message{0xF0, static_cast<std::uint8_t>(i % 20)};
        for (std::uint32_t j = 0; j < i % 20; ++j) message.push_back(static_cast<std::uint8_t>(i & 0x7F));
        song.InsertMsg(1000 - i, 0, message);  // always at the head: every event moves
        expected.insert(expected.begin(), test::HexText(message));
    }
    std::vector<std::string> actual;
    for (const CMidiObj& event : song.Tracks()[0].m_EventList) actual.push_back(test::HexText(event.Data()));
    EXPECT_EQ(actual, expected);
}

TEST(MidiObjTest, CloneAndAssignCopyTheBytes)
{
    for (const char* text : {"90 3C 64", "F0 0A 41 10 42 12 40 00 7F 00 41 F7"}) {
        CMidiObj original(7, Hex(text));
        CMidiObj copy = original.Clone();
        original.Assign(Hex("C0 01"));
        EXPECT_EQ(copy.m_Delta, 7u);
        EXPECT_EQ(test::HexText(copy.Data()), text);

        // Assigning an event its own bytes keeps them.
        copy.Assign(copy.Data());
        EXPECT_EQ(test::HexText(copy.Data()), text);
        copy.Assign(copy.Data().subspan(1));
        EXPECT_EQ(test::HexText(copy.Data()), std::string(text).substr(3));
    }
}

}  // namespace
}  // namespace tamsel
