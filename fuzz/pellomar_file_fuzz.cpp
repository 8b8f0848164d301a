// Takes file bytes the whole way a Pellomar file goes: recognised by its
// magic, converted from CP932, its header texts read, decoded, and written as
// an SMF. Inputs without a song magic get the Pellomar one, so the fuzzer
// spends its time there.
#include <cstdint>
#include <string>

#include "pellomar_song_checks.h"
#include "songfile/song_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tamsel;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto span = [&] { return std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()); };
    if (DetectSongKind(span()) == SongKind::Neither) bytes.insert(0, "PLMR");
    CMidi song;
    SongTexts texts;
    IgnoreDiagnostics ignore;
    if (LoadSongBytes(span(), u"fuzz.pmr", song, texts, ignore) != SongKind::Pellomar) return 0;
    if (texts.title.empty()) fuzz::Fail("the title has no fallback");
    fuzz::CheckDecodedSong(song);
    return 0;
}
