#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"
#include "test_support.h"

namespace tamsel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::PeakFrequency;
using test::Rms;

constexpr int kRate = 48000;
constexpr double kSilence = 1e-4;

// A PulseAudio daemon of the test's own, in user mode even as root: every
// path it would touch points into a temporary directory, it listens on a
// socket there with anonymous access, and its only sink is a null sink.
class PulseServer {
public:
    PulseServer()
    {
        std::filesystem::create_directories(m_Dir.Path() / "run");
        const auto dir = m_Dir.Path().string();
        m_Daemon.emplace(
            std::vector<std::string>{"pulseaudio", "--daemonize=no", "--system=no", "--use-pid-file=no", "--exit-idle-time=-1",
                                     "--disable-shm=yes", "-n", "-L",
                                     "module-native-protocol-unix auth-anonymous=1 socket=" + Socket().string(), "-L",
                                     "module-null-sink sink_name=tamsel_test rate=48000 channels=1"},
            std::map<std::string, std::string>{{"HOME", dir},
                                               {"XDG_RUNTIME_DIR", dir + "/run"},
                                               {"XDG_CONFIG_HOME", dir + "/config"},
                                               {"PULSE_RUNTIME_PATH", dir + "/run/pulse"},
                                               {"PULSE_STATE_PATH", dir + "/state"}});
        m_Ready = test::WaitFor(
            [&] {
                ChildProcess info({"pactl", "--server=" + Server(), "info"});
                return info.Wait(5s) == 0;
            },
            15s);
    }
    ~PulseServer()
    {
        if (m_Daemon) m_Daemon->Stop(SIGTERM);
    }

    [[nodiscard]] bool Ready() const { return m_Ready; }
    [[nodiscard]] std::filesystem::path Socket() const { return m_Dir.Path() / "native"; }
    [[nodiscard]] std::string Server() const { return "unix:" + Socket().string(); }
    [[nodiscard]] const std::filesystem::path& Dir() const { return m_Dir.Path(); }

private:
    test::TempFolder m_Dir;
    std::optional<ChildProcess> m_Daemon;
    bool m_Ready = false;
};

std::vector<float> ReadSamples(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::span<const float> Slice(const std::vector<float>& samples, double from, double to)
{
    const auto frame = [&](double seconds) { return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(0.0, seconds) * kRate), 0, samples.size()); };
    const std::size_t a = frame(from);
    return std::span<const float>(samples).subspan(a, std::max(a, frame(to)) - a);
}

TEST(PulseAudioTest, BuiltInSynthesizerSoundsThroughTheSoundServer)
{
    PulseServer server;
    ASSERT_TRUE(server.Ready()) << "pulseaudio did not start";
    const auto recording = server.Dir() / "recording.raw";
    ChildProcess recorder({"parec", "--server=" + server.Server(), "--device=tamsel_test.monitor", "--latency-msec=20",
                           "--format=float32le", "--rate=48000", "--channels=1", "--raw"},
                          {}, recording);
    ASSERT_TRUE(test::WaitFor([&] { return std::filesystem::exists(recording) && std::filesystem::file_size(recording) > 0; }, 10s))
        << "parec records nothing";

    setenv("PULSE_SERVER", server.Server().c_str(), 1);
    BuiltInSynthOptions options;
    options.audioDrivers = {"pulseaudio"};
    auto synthesizer = MakeSystemSynthesizer(options);
    test::CollectingMessages messages;
    PlaybackEngine engine(*synthesizer, messages);
    engine.SetUp();
    EXPECT_THAT(messages.texts, ::testing::IsEmpty());

    // A flute on note 69 from 0.5 s on; stopped at 1.5 s.
    CMidi song(1, 480);
    song.InsertMsg(0, 0, Bytes{0xC0, 73});
    song.InsertMsg(480, 0, Bytes{0x90, 69, 110});
    song.InsertMsg(480 + 4 * 960, 0, Bytes{0x80, 69, 0});
    song.InsertMsg(480 + 4 * 960, 0, Bytes{0xFF, 0x2F, 0x00});
    const auto playFile = server.Dir() / "song_tamsel.tmp";
    std::this_thread::sleep_for(300ms);
    const auto played = PlaybackClock::now();
    engine.OnPlay(song, playFile);
    std::this_thread::sleep_until(played + 1500ms);
    const auto stopped = PlaybackClock::now();
    engine.OnStop(playFile);
    std::this_thread::sleep_for(1200ms);
    recorder.Stop(SIGINT);
    engine.TearDown(playFile);
    unsetenv("PULSE_SERVER");

    const std::vector<float> samples = ReadSamples(recording);
    // The server adds its own latency; the sound is found where it starts.
    std::size_t onset = 0;
    constexpr std::size_t kWindow = kRate / 100;
    while (onset + kWindow <= samples.size() && Rms(std::span<const float>(samples).subspan(onset, kWindow)) < 0.005) onset += kWindow;
    ASSERT_LT(onset + kWindow, samples.size()) << "nothing sounded";
    const double start = static_cast<double>(onset) / kRate;
    const double noteLength = std::chrono::duration<double>(stopped - played).count() - 0.5;

    ASSERT_GT(start, 0.45) << "the recording starts too late to show the silence before the note";
    EXPECT_LT(Rms(Slice(samples, start - 0.45, start - 0.02)), kSilence) << "no silence before the first note";
    const auto note = Slice(samples, start + 0.1, start + noteLength - 0.1);
    EXPECT_NEAR(PeakFrequency(note, kRate), 440.0, 6.0);
    EXPECT_LT(Rms(Slice(samples, start + noteLength + 0.15, start + noteLength + 0.35)), Rms(note) / 5);
    EXPECT_LT(Rms(Slice(samples, start + noteLength + 0.7, start + noteLength + 0.9)), kSilence);
    EXPECT_GE(samples.size(), static_cast<std::size_t>((start + noteLength + 0.9) * kRate)) << "recording too short";
    EXPECT_FALSE(std::filesystem::exists(playFile));
}

}  // namespace
}  // namespace tamsel
