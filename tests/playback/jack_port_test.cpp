#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "jack_support.h"
#include "playback/offline_audio.h"
#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"
#include "text/unicode.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The index of the port whose description names the receiver's input.
int FindPort(const PlaybackEngine& engine, std::string_view name)
{
    const auto descriptions = engine.PortDescriptions();
    for (std::size_t i = 0; i < descriptions.size(); ++i)
        if (Utf16ToUtf8(descriptions[i]).find(name) != std::string::npos) return static_cast<int>(i);
    return -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TEST(JackPortTest, EveryMessageArrivesInOrderAtTheSongsTimes)
{
    test::JackServer server;
    ASSERT_TRUE(server.Ready()) << "jackd did not start";
    test::MidiReceiver receiver("tamsel-receiver");
    ASSERT_TRUE(receiver.Ok());

    // Two tracks; the tempo changes sit in the second one, off the beat.
    // 480 ticks a quarter: 500000 µs a quarter, then 250000 from tick 900,
    // then 1000000 from tick 1400.
    CMidi song(2, 480);
    const Bytes reset{0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    song.InsertMsg(0, 0, reset);
    std::vector<std::pair<std::uint32_t, Bytes>> notes;
    for (std::uint8_t i = 0; i < 4; ++i) {
        notes.push_back({240u * i, {0x90, static_cast<std::uint8_t>(60 + i), 100}});
        notes.push_back({240u * i + 120, {0x80, static_cast<std::uint8_t>(60 + i), 0}});
    }
    for (auto [tick, key] : {std::pair{960u, 70}, {1200u, 71}}) {
        notes.push_back({tick, {0x91, static_cast<std::uint8_t>(key), 90}});
        notes.push_back({tick + 120, {0x81, static_cast<std::uint8_t>(key), 0}});
    }
    notes.push_back({1440, {0x92, 72, 80}});
    notes.push_back({1560, {0x82, 72, 0}});
    for (const auto& [tick, message] : notes) song.InsertMsg(tick, 0, message);
    song.InsertMsg(1680, 0, Bytes{0xFF, 0x2F, 0x00});
    for (auto [tick, tempo] : {std::pair{0u, 500000u}, {900u, 250000u}, {1400u, 1000000u}})
        song.InsertMsg(tick, 1, Bytes{0xFF, 0x51, 0x03, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
                                      static_cast<std::uint8_t>(tempo)});
    song.InsertMsg(1680, 1, Bytes{0xFF, 0x2F, 0x00});
    const std::vector<double> expectedSeconds{0,     0,       0.125,   0.25,    0.375,  0.5,     0.625, 0.75,
                                              0.875, 0.96875, 1.03125, 1.09375, 1.15625, 1.28125, 1.53125};
    std::vector<Bytes> expectedBytes{{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}};
    for (const auto& [tick, message] : notes) expectedBytes.push_back(message);

    // The built-in synthesizer renders offline here: a JACK audio client of
    // its own would only load this shared machine.
    OfflineAudio audio;
    BuiltInSynthOptions options;
    options.offlineAudio = &audio;
    auto synthesizer = MakeSystemSynthesizer(options);
    test::CollectingMessages messages;
    PlaybackEngine engine(*synthesizer, messages);
    engine.SetUp();
    const int port = FindPort(engine, "tamsel-receiver:in");
    ASSERT_GT(port, 0) << "the receiver's port is not listed: " << ::testing::PrintToString(engine.PortDescriptions());
    engine.SwitchPort(port);
    EXPECT_THAT(messages.texts, ::testing::IsEmpty());

    test::TempFolder dir;
    const auto playFile = dir.Path() / "song_tamsel.tmp";
    engine.OnPlay(song, playFile);
    ASSERT_TRUE(test::WaitFor([&] { return !engine.IsPlaying(); }, 10s));
    // What was sent last needs a period or two to come through.
    test::WaitFor([&] { return receiver.Count() >= expectedBytes.size(); }, 1s);
    const auto events = receiver.Events();
    engine.TearDown(playFile);

    std::vector<Bytes> received;
    for (const auto& event : events) received.push_back(event.bytes);
    ASSERT_EQ(received, expectedBytes);

    // The song's start on JACK's clock is unknown: take the median offset.
    std::vector<double> offsets;
    for (std::size_t i = 0; i < events.size(); ++i)
        offsets.push_back(events[i].seconds - events[0].seconds - expectedSeconds[i]);
    const double offset = Median(offsets);
    std::vector<double> errors;
    for (double o : offsets) errors.push_back(std::abs(o - offset));
    const double bound = 2.0 * test::JackServer::kPeriod / test::JackServer::kSampleRate + 0.002;
    EXPECT_LE(Median(errors), bound);
    // A rare stall of this shared machine may delay an event or two.
    const auto late = std::count_if(errors.begin(), errors.end(), [](double e) { return e > 0.025; });
    EXPECT_LE(late, 2) << "events more than 25 ms off their time";
}

}  // namespace
}  // namespace tamsel
