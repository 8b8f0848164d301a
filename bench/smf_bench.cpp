#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <span>
#include <string>
#include <unistd.h>

#include "io/archive.h"
#include "io/atomic_file_writer.h"
#include "model/smf_codec.h"
#include "smf_generate.h"

namespace tamsel {
namespace {

constexpr std::size_t kEvents = 2'000'000;

const std::string& File2M()
{
    static const std::string file = bench::GenerateSmf(kEvents, 16);
    return file;
}

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::size_t EventCount(const CMidi& song)
{
    std::size_t count = 0;
    for (const CMidiTrack& track : song.Tracks()) count += track.m_EventList.size();
    return count;
}

void ReadAndWrite(benchmark::State& state)
{
    const std::string& file = File2M();
    std::size_t events = 0;
    for (auto _ : state) {
        CMidi song;
        IgnoreDiagnostics ignore;
        ReadStandardMidi(Bytes(file), song, ignore);
        const std::string out = WriteStandardMidi(song);
        benchmark::DoNotOptimize(out.data());
        events = EventCount(song);
    }
    if (events != kEvents) state.SkipWithError("generated file lost events");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEvents));
}
BENCHMARK(ReadAndWrite)->Unit(benchmark::kMillisecond);

void Read(benchmark::State& state)
{
    const std::string& file = File2M();
    for (auto _ : state) {
        CMidi song;
        IgnoreDiagnostics ignore;
        ReadStandardMidi(Bytes(file), song, ignore);
        benchmark::DoNotOptimize(song);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEvents));
}
BENCHMARK(Read)->Unit(benchmark::kMillisecond);

void Write(benchmark::State& state)
{
    CMidi song;
    IgnoreDiagnostics ignore;
    ReadStandardMidi(Bytes(File2M()), song, ignore);
    for (auto _ : state) {
        const std::string out = WriteStandardMidi(song);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEvents));
}
BENCHMARK(Write)->Unit(benchmark::kMillisecond);

// The path Save as SMF takes: through the archive's buffer into a file
// that replaces its target.
void WriteThroughArchive(benchmark::State& state)
{
    CMidi song;
    IgnoreDiagnostics ignore;
    ReadStandardMidi(Bytes(File2M()), song, ignore);
    const auto path = std::filesystem::temp_directory_path() / ("tamsel-smf-bench-" + std::to_string(::getpid()) + ".mid");
    for (auto _ : state) {
        AtomicFileWriter writer(path);
        CArchive archive(writer.Temporary(), CArchive::Mode::Store);
        song.Serialize(archive);
        archive.Close();
        writer.Commit();
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kEvents));
}
BENCHMARK(WriteThroughArchive)->Unit(benchmark::kMillisecond);

std::size_t HeapInUse()
{
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

// What the model costs per event, allocator overhead included, for a file
// of nothing but 3-byte channel events.
void ModelBytesPerEvent(benchmark::State& state)
{
    std::string file = "MThd";
    file += std::string("\0\0\0\6\0\1\0\1\1\xE0", 10);
    std::string body;
    for (std::size_t i = 0; i + 1 < kEvents; ++i) body += std::string("\x10\x90\x3C\x40", 4);  // explicit status
    body += std::string("\x00\xFF\x2F\x00", 4);
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8) file += static_cast<char>((body.size() >> shift) & 0xFF);
    file += body;

    double perEvent = 0;
    double perEventMixed = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        CMidi song;
        IgnoreDiagnostics ignore;
        ReadStandardMidi(Bytes(file), song, ignore);
        perEvent = static_cast<double>(HeapInUse() - before) / static_cast<double>(EventCount(song));

        const std::size_t beforeMixed = HeapInUse();
        CMidi mixed;
        ReadStandardMidi(Bytes(File2M()), mixed, ignore);
        perEventMixed = static_cast<double>(HeapInUse() - beforeMixed) / static_cast<double>(EventCount(mixed));
    }
    state.counters["bytes/event"] = perEvent;
    state.counters["bytes/event(2M file)"] = perEventMixed;
}
BENCHMARK(ModelBytesPerEvent)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tamsel

BENCHMARK_MAIN();
