#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "playback/performance.h"
#include "test_support.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;
using test::Song;
using test::WaitFor;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class RecordingOutput final : public MidiOutput {
public:
    struct Received {
        Bytes message;
        PlaybackClock::time_point due;
        PlaybackClock::time_point arrival;
    };

    bool Activate() override { return true; }
    void Send(std::span<const std::uint8_t> message, PlaybackClock::time_point due) override
    {
        std::lock_guard lock(m_Mutex);
        m_Received.push_back({Bytes(message.begin(), message.end()), due, PlaybackClock::now()});
    }
    std::vector<Received> Received_() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Received;
    }
    std::vector<Bytes> Messages() const
    {
        std::vector<Bytes> messages;
        for (const auto& r : Received_()) messages.push_back(r.message);
        return messages;
    }

private:
    mutable std::mutex m_Mutex;
    std::vector<Received> m_Received;
};

std::shared_ptr<const TimedSong> Timed(const CMidi& song)
{
    return std::make_shared<const TimedSong>(TimedSong::FromSong(song));
}

// 480 ticks a quarter at 120 bpm: 96 ticks are 100 ms.
const Bytes kProgram{0xC9, 0};
const Bytes kOn60{0x90, 60, 100};
const Bytes kOn64{0x93, 64, 100};
const Bytes kOff60{0x80, 60, 0};

class PerformanceTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingOutput> output = std::make_shared<RecordingOutput>();
    Performance performance;
};

TEST_F(PerformanceTest, PlaysEveryMessageInOrderNotBeforeItsTimeAndThenEnds)
{
    const auto song = Timed(Song(480, {{0, kProgram}, {48, kOn60}, {96, kOff60}, {144, kOn64}, {192, {0x83, 64, 0}}}, 240));
    performance.AddPort(output);
    const auto start = PlaybackClock::now();
    performance.Play(song);
    EXPECT_TRUE(performance.IsPlaying(*song));
    ASSERT_TRUE(WaitFor([&] { return !performance.IsPlaying(*song); }, 5s));
    // It plays to the end-of-track event, after the last message.
    EXPECT_GE(PlaybackClock::now() - start, 250ms);
    const auto received = output->Received_();
    ASSERT_EQ(received.size(), song->Size());
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].message, Bytes(song->Message(i).begin(), song->Message(i).end()));
        EXPECT_GE(received[i].arrival, received[i].due);
        if (i > 0) {
            EXPECT_EQ(received[i].due - received[0].due, song->Time(i));
        }
    }
}

TEST_F(PerformanceTest, StopSilencesEveryNoteOnAndEveryUsedChannelAtOnce)
{
    // Note 60 is struck twice and released once; note 64 is held; channel 10
    // (9) only had a program change.
    const auto song = Timed(Song(480, {{0, kProgram}, {0, kOn60}, {0, kOn60}, {0, {0x90, 62, 100}}, {0, {0x90, 62, 0}},
                                       {0, kOn64}, {0, kOff60}, {4800, {0x90, 70, 1}}},
                                 4800));
    performance.AddPort(output);
    performance.Play(song);
    ASSERT_TRUE(WaitFor([&] { return output->Messages().size() == 7; }, 5s));
    performance.Stop(*song);
    EXPECT_FALSE(performance.IsPlaying(*song));
    const auto messages = output->Messages();
    EXPECT_THAT(std::vector<Bytes>(messages.begin() + 7, messages.end()),
                ElementsAre(Bytes{0x80, 60, 0}, Bytes{0x83, 64, 0},  //
                            Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0}, Bytes{0xB3, 123, 0}, Bytes{0xB3, 120, 0},
                            Bytes{0xB9, 123, 0}, Bytes{0xB9, 120, 0}));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(output->Messages().size(), messages.size());
}

TEST_F(PerformanceTest, RemovedPortIsSilencedAndGetsNothingMore)
{
    const auto song = Timed(Song(480, {{0, kOn60}, {96, {0x90, 61, 100}}}, 192));
    performance.AddPort(output);
    performance.Play(song);
    ASSERT_TRUE(WaitFor([&] { return !output->Messages().empty(); }, 5s));
    performance.RemovePort(*output);
    EXPECT_THAT(output->Messages(), ElementsAre(kOn60, kOff60, Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0}));
    // The song plays on, to no port.
    EXPECT_TRUE(performance.IsPlaying(*song));
    ASSERT_TRUE(WaitFor([&] { return !performance.IsPlaying(*song); }, 5s));
    EXPECT_EQ(output->Messages().size(), 4u);
}

TEST_F(PerformanceTest, PlayReplacesTheSongThatPlaysAndStartsFromTheBeginning)
{
    const auto first = Timed(Song(480, {{0, kOn60}}, 4800));
    const auto second = Timed(Song(480, {{0, kOn64}}, 4800));
    performance.AddPort(output);
    performance.Play(first);
    ASSERT_TRUE(WaitFor([&] { return !output->Messages().empty(); }, 5s));
    performance.Play(second);
    EXPECT_FALSE(performance.IsPlaying(*first));
    EXPECT_TRUE(performance.IsPlaying(*second));
    ASSERT_TRUE(WaitFor([&] { return output->Messages().size() == 5; }, 5s));
    EXPECT_THAT(output->Messages(), ElementsAre(kOn60, kOff60, Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0}, kOn64));
    // Stopping a song that no longer plays touches nothing.
    performance.Stop(*first);
    EXPECT_TRUE(performance.IsPlaying(*second));
}

TEST_F(PerformanceTest, CloseDownSilencesAndLeavesLaterCallsHarmless)
{
    const auto song = Timed(Song(480, {{0, kOn60}}, 4800));
    performance.AddPort(output);
    performance.Play(song);
    ASSERT_TRUE(WaitFor([&] { return !output->Messages().empty(); }, 5s));
    performance.CloseDown();
    EXPECT_THAT(output->Messages(), ElementsAre(kOn60, kOff60, Bytes{0xB0, 123, 0}, Bytes{0xB0, 120, 0}));
    performance.Play(song);
    performance.Stop(*song);
    performance.CloseDown();
    EXPECT_FALSE(performance.IsPlaying(*song));
    EXPECT_EQ(output->Messages().size(), 4u);
}

}  // namespace
}  // namespace tamsel
