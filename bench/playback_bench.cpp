// Scheduling precision of the performance thread and the time from Play to
// the first message, measured on a port that records when each message
// arrives. Run: playback_bench (the lateness runs take a minute each).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/performance.h"
#include "playback/playback_engine.h"
#include "playback/system_synthesizer.h"

namespace {

using namespace tamsel;
using namespace std::chrono_literals;

// Keeps each message's lateness against its due time.
class RecordingOutput final : public MidiOutput {
public:
    bool Activate() override { return true; }
    void Send(std::span<const std::uint8_t>, PlaybackClock::time_point due) override
    {
        const auto now = PlaybackClock::now();
        std::lock_guard lock(m_Mutex);
        if (m_Lateness.empty()) m_First.notify_all();
        m_Lateness.push_back(std::chrono::duration<double, std::micro>(now - due).count());
        m_FirstAt = m_Lateness.size() == 1 ? now : m_FirstAt;
    }
    void Reset()
    {
        std::lock_guard lock(m_Mutex);
        m_Lateness.clear();
        m_Lateness.reserve(1 << 20);
    }
    PlaybackClock::time_point WaitFirst()
    {
        std::unique_lock lock(m_Mutex);
        m_First.wait(lock, [&] { return !m_Lateness.empty(); });
        return m_FirstAt;
    }
    std::vector<double> Lateness()
    {
        std::lock_guard lock(m_Mutex);
        return m_Lateness;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_First;
    std::vector<double> m_Lateness;
    PlaybackClock::time_point m_FirstAt;
};

class RecordingProvider final : public PortProvider {
public:
    explicit RecordingProvider(std::shared_ptr<RecordingOutput> output) : m_Output(std::move(output)) {}
    std::vector<PortCaps> Enumerate() override { return {{u"recording port", "recording"}}; }
    std::unique_ptr<MidiOutput> Create(const PortCaps&) override { return std::make_unique<Forward>(m_Output); }

private:
    struct Forward final : MidiOutput {
        explicit Forward(std::shared_ptr<RecordingOutput> to) : to(std::move(to)) {}
        bool Activate() override { return true; }
        void Send(std::span<const std::uint8_t> message, PlaybackClock::time_point due) override { to->Send(message, due); }
        std::shared_ptr<RecordingOutput> to;
    };
    std::shared_ptr<RecordingOutput> m_Output;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

// About `seconds` of four-note chords struck and released every 5.2 ms on 16
// channels, with a tempo change every 200 chords: some 1500 messages a second.
CMidi DenseSong(int seconds)
{
    CMidi song(1, 480);
    std::vector<CMidiTrack> tracks(1);
    auto& events = tracks[0].m_EventList;
    // 480 ticks a quarter; the tempo alternates between 500000 and 250000 µs
    // a quarter, and the step between 5 and 10 ticks, so a step stays 5.2 ms.
    const std::uint8_t tempoFast[] = {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90};
    const std::uint8_t tempoSlow[] = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    std::uint32_t tick = 0;
    std::uint32_t last = 0;
    for (int second = 0; second < seconds; ++second) {
        const bool fast = second % 2 == 1;
        const std::uint32_t ticksPerStep = fast ? 10 : 5;
        events.emplace_back(tick - last, fast ? std::span<const std::uint8_t>(tempoFast) : std::span<const std::uint8_t>(tempoSlow));
        last = tick;
        for (int step = 0; step < 200; ++step) {
            const auto channel = static_cast<std::uint8_t>(step % 16);
            for (std::uint8_t n = 0; n < 4; ++n) {
                const std::uint8_t on[] = {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(48 + n * 4), 80};
                events.emplace_back(tick - last, on);
                last = tick;
            }
            tick += ticksPerStep;
            for (std::uint8_t n = 0; n < 4; ++n) {
                const std::uint8_t off[] = {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(48 + n * 4), 0};
                events.emplace_back(tick - last, off);
                last = tick;
            }
        }
    }
    const std::uint8_t end[] = {0xFF, 0x2F, 0x00};
    events.emplace_back(0, end);
    song.SetTracks(std::move(tracks));
    return song;
}

// Keeps one core busy for as long as it lives.
class BusyCore {
public:
    BusyCore()
        : m_Thread([this] {
              volatile std::uint64_t x = 0;
              while (!m_Stop.load(std::memory_order_relaxed)) x = x + 1;
          })
    {
    }
    ~BusyCore()
    {
        m_Stop = true;
        m_Thread.join();
    }

private:
    std::atomic<bool> m_Stop{false};
    std::thread m_Thread;
};

void BM_SchedulingLateness(benchmark::State& state)
{
    const int seconds = std::getenv("TAMSEL_BENCH_SECONDS") ? std::atoi(std::getenv("TAMSEL_BENCH_SECONDS")) : 60;
    const auto song = std::make_shared<const TimedSong>(TimedSong::FromSong(DenseSong(seconds)));
    auto output = std::make_shared<RecordingOutput>();
    std::optional<BusyCore> busy;
    if (state.range(0) == 1) busy.emplace();
    std::vector<double> lateness;
    for (auto _ : state) {
        Performance performance;
        performance.AddPort(output);
        output->Reset();
        const auto start = PlaybackClock::now();
        performance.Play(song);
        while (performance.IsPlaying(*song)) std::this_thread::sleep_for(100ms);
        state.SetIterationTime(std::chrono::duration<double>(PlaybackClock::now() - start).count());
        const auto run = output->Lateness();
        lateness.insert(lateness.end(), run.begin(), run.end());
    }
    state.counters["messages"] = static_cast<double>(lateness.size());
    state.counters["p50_us"] = Percentile(lateness, 0.50);
    state.counters["p99_us"] = Percentile(lateness, 0.99);
    state.counters["max_us"] = Percentile(lateness, 1.0);
}
BENCHMARK(BM_SchedulingLateness)->ArgName("other_core_busy")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_PlayToFirstEvent(benchmark::State& state)
{
    // 100,000 messages: 12,500 chords of four notes on and four off.
    CMidi song(1, 480);
    std::vector<CMidiTrack> tracks(1);
    for (int i = 0; i < 12'500; ++i) {
        for (std::uint8_t n = 0; n < 4; ++n) {
            const std::uint8_t on[] = {0x90, static_cast<std::uint8_t>(60 + n), 90};
            tracks[0].m_EventList.emplace_back(n == 0 ? 10 : 0, on);
        }
        for (std::uint8_t n = 0; n < 4; ++n) {
            const std::uint8_t off[] = {0x80, static_cast<std::uint8_t>(60 + n), 0};
            tracks[0].m_EventList.emplace_back(n == 0 ? 10 : 0, off);
        }
    }
    const std::uint8_t end[] = {0xFF, 0x2F, 0x00};
    tracks[0].m_EventList.emplace_back(0, end);
    song.SetTracks(std::move(tracks));

    std::string dirTemplate = (std::filesystem::temp_directory_path() / "tamsel-bench-XXXXXX").string();
    if (!mkdtemp(dirTemplate.data())) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::filesystem::path dir = dirTemplate;
    const auto playFile = dir / "bench_tamsel.tmp";
    auto output = std::make_shared<RecordingOutput>();
    std::vector<std::unique_ptr<PortProvider>> providers;
    providers.push_back(std::make_unique<RecordingProvider>(output));
    SystemSynthesizer synthesizer(std::move(providers));
    struct : MessageSink {
        void Warn(std::string_view) override {}
    } messages;
    PlaybackEngine engine(synthesizer, messages);
    engine.SetUp();
    std::vector<double> times;
    for (auto _ : state) {
        output->Reset();
        const auto start = PlaybackClock::now();
        engine.OnPlay(song, playFile);
        const auto first = output->WaitFirst();
        const double seconds = std::chrono::duration<double>(first - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1e3);
        engine.OnStop(playFile);
    }
    engine.TearDown(playFile);
    std::filesystem::remove_all(dir);
    state.counters["p50_ms"] = Percentile(times, 0.50);
    state.counters["p99_ms"] = Percentile(times, 0.99);
    state.counters["max_ms"] = Percentile(times, 1.0);
}
BENCHMARK(BM_PlayToFirstEvent)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
