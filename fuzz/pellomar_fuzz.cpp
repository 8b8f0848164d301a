// Decodes arbitrary text, read as UTF-8 so that any UTF-16 character (the
// digits of every script included) can reach the decoder.
#include <cstdint>
#include <string_view>

#include "pellomar/decoder.h"
#include "pellomar_song_checks.h"
#include "text/unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tamsel;
    const std::u16string text = Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
    CMidi song;
    DecodePellomarText(song, text);
    fuzz::CheckDecodedSong(song);
    return 0;
}
