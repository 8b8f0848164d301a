#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/midi.h"

namespace tamsel {

// The two kinds of song file, told apart by their first four bytes.
enum class SongKind { Neither, StandardMidi, Pellomar };

[[nodiscard]] SongKind DetectSongKind(std::span<const std::uint8_t> firstBytes) noexcept;

// The three texts the window shows for a song, as UTF-16.
struct SongTexts {
    std::u16string title;
    std::u16string copyright;  // an SMF's copyright notice, a Pellomar file's builder
    std::u16string comment;    // Pellomar files only; kept when an SMF follows
};

// Loads the file at `path` as the Open command does: an SMF or a Pellomar
// file replaces `song` and sets the texts (the title falling back to the
// file's name); a file of neither kind changes nothing. SMF read faults go
// to `diagnostics`. Throws FileError when the file cannot be opened or read,
// or holds a song too large to load (EFBIG); `song` and `texts` are then
// left as they were.
SongKind OpenSongFile(const std::filesystem::path& path, CMidi& song, SongTexts& texts, DiagnosticsSink& diagnostics);

// The same for a file's whole contents already in memory; `fileName` (name
// and extension, no folder) is the title's fallback. Throws SongTooLarge
// where OpenSongFile throws FileError with EFBIG.
SongKind LoadSongBytes(std::span<const std::uint8_t> bytes, std::u16string_view fileName, CMidi& song, SongTexts& texts,
                       DiagnosticsSink& diagnostics);

// A read fault as the user sees it: the Japanese text, then the file offset.
[[nodiscard]] std::string DiagnosticMessage(const Diagnostic& diagnostic);

// Writes `song` to `path` as a Standard MIDI File, atomically: a failed
// write leaves any existing file as it was. Throws FileError.
void SaveStandardMidiFile(const CMidi& song, const std::filesystem::path& path);

}  // namespace tamsel
