#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/smf_codec.h"
#include "pellomar/decoder.h"
#include "pellomar_generate.h"
#include "songfile/song_file.h"
#include "text/code_page.h"

namespace tamsel {
namespace {

constexpr std::size_t kUnitsPerLine = 40'000;
constexpr std::size_t kMinimumEvents = 2'000'000;

const std::string& Pellomar2M()
{
    static const std::string file = bench::GeneratePellomar(kUnitsPerLine);
    return file;
}

std::size_t EventCount(const CMidi& song)
{
    std::size_t count = 0;
    for (const CMidiTrack& track : song.Tracks()) count += track.m_EventList.size();
    return count;
}

// File to file, as `tamsel-cli convert` does it: read, decode, save atomically.
void ConvertFile(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tamsel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path in = folder / "in.pmr";
    const std::filesystem::path out = folder / "out.mid";
    std::ofstream(in, std::ios::binary) << Pellomar2M();
    std::size_t events = 0;
    for (auto _ : state) {
        CMidi song;
        SongTexts texts;
        IgnoreDiagnostics ignore;
        OpenSongFile(in, song, texts, ignore);
        SaveStandardMidiFile(song, out);
        events = EventCount(song);
    }
    std::filesystem::remove_all(folder);
    if (events < kMinimumEvents) state.SkipWithError("the generated file has too few events");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * events));
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(ConvertFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void DecodeOnly(benchmark::State& state)
{
    const std::u16string text = AnsiToUtf16(Pellomar2M());
    std::size_t events = 0;
    for (auto _ : state) {
        CMidi song;
        DecodePellomarText(song, text);
        events = EventCount(song);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * events));
}
BENCHMARK(DecodeOnly)->Unit(benchmark::kMillisecond);

void TextToCodePage(benchmark::State& state)
{
    const std::string& bytes = Pellomar2M();
    for (auto _ : state) benchmark::DoNotOptimize(AnsiToUtf16(bytes).size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(TextToCodePage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamsel

BENCHMARK_MAIN();
