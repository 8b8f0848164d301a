#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "playback/timed_song.h"
#include "test_support.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::microseconds;
using std::chrono::nanoseconds;

struct Expected {
    double milliseconds;
    Bytes message;
};

std::vector<Expected> Flatten(const TimedSong& timed)
{
    std::vector<Expected> out;
    for (std::size_t i = 0; i < timed.Size(); ++i) {
        const auto message = timed.Message(i);
        out.push_back({static_cast<double>(timed.Time(i).count()) / 1e6, Bytes(message.begin(), message.end())});
    }
    return out;
}

void ExpectEvents(const TimedSong& timed, const std::vector<Expected>& expected)
{
    const auto actual = Flatten(timed);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i].milliseconds, expected[i].milliseconds, 1e-3) << "event " << i;
        EXPECT_EQ(actual[i].message, expected[i].message) << "event " << i;
    }
}

const Bytes kOn{0x90, 69, 100};
const Bytes kOff{0x80, 69, 0};

Bytes Tempo(std::uint32_t microsecondsPerQuarter)
{
    return {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
            static_cast<std::uint8_t>(microsecondsPerQuarter >> 8), static_cast<std::uint8_t>(microsecondsPerQuarter)};
}

struct TimingCase {
    const char* name;
    std::uint16_t division;
    std::vector<std::pair<std::uint32_t, Bytes>> events;
    std::uint32_t endTick;
    std::vector<double> expectedMilliseconds;  // of the note messages, in order
    double expectedLength;
};

class TimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(TimingTest, AppliesTheWholeTempoMap)
{
    const TimingCase& c = GetParam();
    CMidi song(1, c.division);
    for (const auto& [tick, message] : c.events) song.InsertMsg(tick, 0, message);
    song.InsertMsg(c.endTick, 0, Bytes{0xFF, 0x2F, 0x00});
    const TimedSong timed = TimedSong::FromSong(song);
    std::vector<double> times;
    for (const auto& e : Flatten(timed)) times.push_back(e.milliseconds);
    ASSERT_EQ(times.size(), c.expectedMilliseconds.size());
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], c.expectedMilliseconds[i], 1e-3) << "event " << i;
    EXPECT_NEAR(static_cast<double>(timed.Length().count()) / 1e6, c.expectedLength, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Songs, TimingTest,
    ::testing::Values(
        TimingCase{"DefaultTempo", 480, {{0, kOn}, {480, kOff}}, 960, {0, 500}, 1000},
        // 120 bpm, then at tick 240 (between the notes) twice as fast.
        TimingCase{"TempoChangeBetweenNotes", 480, {{0, kOn}, {240, Tempo(250'000)}, {480, kOff}}, 480, {0, 375}, 375},
        TimingCase{"TempoChangeAtTheNotesTick", 96, {{96, Tempo(1'000'000)}, {96, kOn}, {192, kOff}}, 192, {500, 1500}, 1500},
        TimingCase{"SeveralChanges", 100,
                   {{0, Tempo(100'000)}, {50, Tempo(200'000)}, {100, kOn}, {150, Tempo(400'000)}, {200, kOff}},
                   300, {150, 450}, 850},
        TimingCase{"TempoZeroIgnored", 480, {{0, Tempo(0)}, {480, kOn}}, 480, {500}, 500},
        TimingCase{"DivisionZeroFallsBackTo480", 0, {{480, kOn}}, 480, {500}, 500},
        // 25 frames of 40 ticks: one tick a millisecond, whatever the tempo.
        TimingCase{"Smpte25", 0xE728, {{0, Tempo(250'000)}, {1000, kOn}, {1500, kOff}}, 2000, {1000, 1500}, 2000},
        // 29 stands for 29.97 frames a second: 30000 frames take 1001 seconds.
        TimingCase{"Smpte2997DropFrame", 0xE302, {{60'000, kOn}}, 60'000, {1'001'000}, 1'001'000},
        TimingCase{"Smpte30", 0xE201, {{30, kOn}}, 30, {1000}, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimedSongTest, MergesTracksInTimeOrderAndTakesTempoFromAnyTrack)
{
    CMidi song(2, 480);
    song.InsertMsg(0, 0, Bytes{0xC0, 5});
    song.InsertMsg(480, 0, Bytes{0x90, 60, 1});
    song.InsertMsg(240, 1, Tempo(250'000));  // a tempo change in the second track still counts
    song.InsertMsg(480, 1, Bytes{0x91, 61, 2});
    song.InsertMsg(240, 1, Bytes{0x91, 62, 3});
    const TimedSong timed = TimedSong::FromSong(song);
    // Among equal ticks the first track comes first.
    ExpectEvents(timed, {{0, {0xC0, 5}}, {250, {0x91, 62, 3}}, {375, {0x90, 60, 1}}, {375, {0x91, 61, 2}}});
}

TEST(TimedSongTest, SendsSystemExclusiveAsBareBytesAndDropsMetaEvents)
{
    CMidi song(1, 480);
    // The model keeps the file's length field after F0 and F7.
    song.InsertMsg(0, 0, Bytes{0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    song.InsertMsg(1, 0, Bytes{0xF0, 0x02, 0x43, 0x10});  // no closing F7: one is added
    song.InsertMsg(2, 0, Bytes{0xF7, 0x02, 0xF3, 0x01});  // an escape: sent as it is
    song.InsertMsg(3, 0, Bytes{0xF0, 0x09, 0x01});        // a length past the message: dropped
    song.InsertMsg(4, 0, Bytes{0xFF, 0x03, 0x02, 'h', 'i'});
    song.InsertMsg(5, 0, Bytes{0x90, 60});  // a cut channel message: dropped
    song.InsertMsg(6, 0, Bytes{0xE0, 0x00, 0x40});
    song.InsertMsg(7, 0, Bytes{0xD3, 0x40});
    const TimedSong timed = TimedSong::FromSong(song);
    const double tick = 500.0 / 480;
    ExpectEvents(timed, {{0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                         {tick, {0xF0, 0x43, 0x10, 0xF7}},
                         {2 * tick, {0xF3, 0x01}},
                         {6 * tick, {0xE0, 0x00, 0x40}},
                         {7 * tick, {0xD3, 0x40}}});
}

TEST(TimedSongTest, EmptySongHasNoEventsAndNoLength)
{
    const TimedSong timed = TimedSong::FromSong(CMidi(1, 480));
    EXPECT_EQ(timed.Size(), 0u);
    EXPECT_EQ(timed.Length(), nanoseconds(0));
}

}  // namespace
}  // namespace tamsel
