#include "cli/load_song.h"

#include <cstdio>
#include <exception>

#include "io/file.h"

namespace tamsel::cli {

std::optional<LoadedSong> LoadSong(const std::filesystem::path& input, std::string_view consequence)
{
    const auto tail = static_cast<int>(consequence.size());
    LoadedSong loaded;
    CollectingDiagnostics faults;
    try {
        loaded.kind = OpenSongFile(input, loaded.song, loaded.texts, faults);
    } catch (const FileError& error) {
        std::fprintf(stderr, "tamsel-cli: %s%.*s\n", error.what(), tail, consequence.data());
        return std::nullopt;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tamsel-cli: cannot read %s: %s%.*s\n", input.c_str(), error.what(), tail, consequence.data());
        return std::nullopt;
    }
    for (const Diagnostic& fault : faults.Reports()) {
        std::fprintf(stderr, "tamsel-cli: warning: %s: %s\n", input.c_str(), DiagnosticMessage(fault).c_str());
    }
    if (loaded.kind == SongKind::Neither) {
        std::fprintf(stderr, "tamsel-cli: %s is neither a Standard MIDI File nor a Pellomar file%.*s\n", input.c_str(),
                     tail, consequence.data());
        return std::nullopt;
    }
    loaded.hadFaults = !faults.Empty();
    return loaded;
}

}  // namespace tamsel::cli
