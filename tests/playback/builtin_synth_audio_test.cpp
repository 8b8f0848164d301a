#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "playback/offline_audio.h"
#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"
#include "test_support.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;
using test::PeakFrequency;
using test::Rms;

constexpr double kSilence = 1e-4;  // RMS: about -80 dB below full scale
constexpr double kSounding = 1e-2;

// A flute (nearly a sine) on note 69 from 0.5 s on, held for 4 s; the test
// stops it sooner. 480 ticks a quarter at 120 bpm: 960 ticks a second.
CMidi FluteSong(std::vector<std::pair<std::uint32_t, Bytes>> before = {})
{
    CMidi song(1, 480);
    for (auto& [tick, message] : before) song.InsertMsg(tick, 0, message);
    song.InsertMsg(300, 0, Bytes{0xC0, 73});
    song.InsertMsg(480, 0, Bytes{0x90, 69, 110});
    song.InsertMsg(480 + 4 * 960, 0, Bytes{0x80, 69, 0});
    song.InsertMsg(480 + 4 * 960, 0, Bytes{0xFF, 0x2F, 0x00});
    return song;
}

class OfflineRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuiltInSynthOptions options;
        options.offlineAudio = &audio;
        synthesizer = MakeSystemSynthesizer(options);
        engine.emplace(*synthesizer, messages);
        engine->SetUp();
        ASSERT_THAT(messages.texts, ::testing::IsEmpty());
        ASSERT_EQ(engine->PortIndex(), 0);
    }
    void TearDown() override
    {
        if (engine) engine->TearDown(playFile);
    }

    // Samples of the rendered sound between two times.
    std::span<const float> Between(const std::vector<float>& samples, PlaybackClock::time_point from, PlaybackClock::time_point to) const
    {
        const auto frame = [&](PlaybackClock::time_point t) {
            const double seconds = std::chrono::duration<double>(t - audio.Origin()).count();
            return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(0.0, seconds) * audio.SampleRate()), 0, samples.size());
        };
        const std::size_t a = frame(from);
        const std::size_t b = std::max(a, frame(to));
        return std::span<const float>(samples).subspan(a, b - a);
    }

    // Plays `song`, stops it 1.5 s after Play and renders 0.8 s more.
    struct Run {
        std::vector<float> samples;
        PlaybackClock::time_point playedAfter;  // Play started between these two
        PlaybackClock::time_point playedBefore;
        PlaybackClock::time_point stoppedAt;
    };
    Run PlayAndStop(const CMidi& song)
    {
        Run run;
        run.playedAfter = PlaybackClock::now();
        engine->OnPlay(song, playFile);
        run.playedBefore = PlaybackClock::now();
        EXPECT_TRUE(engine->IsPlaying());
        std::this_thread::sleep_until(run.playedAfter + 1500ms);
        run.stoppedAt = PlaybackClock::now();
        engine->OnStop(playFile);
        std::this_thread::sleep_until(run.stoppedAt + 800ms);
        run.samples = audio.Render(run.stoppedAt + 800ms);
        return run;
    }

    test::TempFolder dir;
    std::filesystem::path playFile = dir.Path() / "song_tamsel.tmp";
    OfflineAudio audio{44100};
    test::CollectingMessages messages;
    std::unique_ptr<SystemSynthesizer> synthesizer;
    std::optional<PlaybackEngine> engine;
};

TEST_F(OfflineRenderTest, SilentUntilTheNoteThenA440ThenSilentSoonAfterStop)
{
    const Run run = PlayAndStop(FluteSong());
    EXPECT_LT(Rms(Between(run.samples, audio.Origin(), run.playedAfter + 480ms)), kSilence);
    const auto note = Between(run.samples, run.playedBefore + 700ms, run.stoppedAt - 50ms);
    EXPECT_GT(Rms(note), kSounding);
    EXPECT_NEAR(PeakFrequency(note, audio.SampleRate()), 440.0, 6.0);
    // The note is cut at once; only the reverb's tail may linger, and it fades.
    EXPECT_LT(Rms(Between(run.samples, run.stoppedAt + 100ms, run.stoppedAt + 300ms)), Rms(note) / 5);
    EXPECT_LT(Rms(Between(run.samples, run.stoppedAt + 600ms, run.stoppedAt + 800ms)), kSilence);
    EXPECT_FALSE(std::filesystem::exists(playFile));
}

// Each song bends channel 1 up two semitones (493.9 Hz for note 69) and then
// sends a reset; only a reset that takes effect brings the note back to 440.
struct ResetCase {
    const char* name;
    Bytes reset;  // as the model holds it: F0, length, data
};

class ResetTest : public OfflineRenderTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetTest, ResetMessageTakesEffect)
{
    const Run run = PlayAndStop(FluteSong({{0, {0xE0, 0x7F, 0x7F}}, {100, GetParam().reset}}));
    const auto note = Between(run.samples, run.playedBefore + 700ms, run.stoppedAt - 50ms);
    EXPECT_NEAR(PeakFrequency(note, audio.SampleRate()), 440.0, 6.0);
}

INSTANTIATE_TEST_SUITE_P(Resets, ResetTest,
                         ::testing::Values(ResetCase{"GeneralMidi", {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                                           ResetCase{"Gs", {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
                                           ResetCase{"Xg", {0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OfflineRenderTest, WithoutAResetTheBendStays)
{
    // Shows that the reset cases above measure something.
    const Run run = PlayAndStop(FluteSong({{0, {0xE0, 0x7F, 0x7F}}}));
    const auto note = Between(run.samples, run.playedBefore + 700ms, run.stoppedAt - 50ms);
    EXPECT_NEAR(PeakFrequency(note, audio.SampleRate()), 493.9, 6.0);
}

TEST(BuiltInSynthTest, ActivationFailsWithTheMessageWithoutASoundFontOrAudioOutput)
{
    struct Case {
        const char* name;
        BuiltInSynthOptions options;
    };
    OfflineAudio audio;
    const auto options = [&](std::filesystem::path soundFont, std::vector<std::string> drivers, OfflineAudio* offline) {
        BuiltInSynthOptions o;
        o.soundFont = std::move(soundFont);
        o.audioDrivers = std::move(drivers);
        o.offlineAudio = offline;
        return o;
    };
    const Case cases[] = {{"no SoundFont", options("/nonexistent/none.sf2", {}, &audio)},
                          {"not a SoundFont", options("/etc/hostname", {}, &audio)},
                          {"no audio driver opens", options({}, {"no-such-driver"}, nullptr)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto synthesizer = MakeSystemSynthesizer(c.options);
        test::CollectingMessages messages;
        PlaybackEngine engine(*synthesizer, messages);
        engine.SetUp();
        EXPECT_THAT(messages.texts, ::testing::ElementsAre(std::string(kPortActivationFailedMessage)));
        EXPECT_EQ(engine.PortDescriptions().at(0), u"内蔵ソフトウェア音源 (FluidSynth)");
    }
}

TEST(SystemSynthesizerTest, FileThatIsNoStandardMidiFileDoesNotLoad)
{
    test::TempFolder dir;
    const auto path = dir.Path() / "not.mid";
    {
        std::ofstream(path) << "RIFF this is no song";
    }
    auto synthesizer = MakeSystemSynthesizer();
    EXPECT_EQ(synthesizer->LoadSegment(path), nullptr);
    EXPECT_EQ(synthesizer->LoadSegment(dir.Path() / "missing.mid"), nullptr);
}

}  // namespace
}  // namespace tamsel
