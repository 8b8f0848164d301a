#include "songfile/song_file.h"

#include <algorithm>
#include <cerrno>
#include <array>
#include <string>

#include "io/archive.h"
#include "io/atomic_file_writer.h"
#include "io/file.h"
#include "model/smf_codec.h"
#include "pellomar/decoder.h"
#include "pellomar/header_texts.h"
#include "pellomar/meta_text.h"
#include "text/code_page.h"
#include "text/unicode.h"

namespace tamsel {

namespace {

constexpr std::string_view kSmfMagic = "MThd";
constexpr std::string_view kPellomarMagic = "PLMR";

std::u16string DisplayName(const std::filesystem::path& path) { return Utf8ToUtf16(path.filename().string()); }

}  // namespace

SongKind DetectSongKind(std::span<const std::uint8_t> firstBytes) noexcept
{
    if (firstBytes.size() < 4) return SongKind::Neither;
    const std::string_view magic(reinterpret_cast<const char*>(firstBytes.data()), 4);
    if (magic == kSmfMagic) return SongKind::StandardMidi;
    if (magic == kPellomarMagic) return SongKind::Pellomar;
    return SongKind::Neither;
}

SongKind LoadSongBytes(std::span<const std::uint8_t> bytes, std::u16string_view fileName, CMidi& song, SongTexts& texts,
                       DiagnosticsSink& diagnostics)
{
    const SongKind kind = DetectSongKind(bytes);
    if (kind == SongKind::StandardMidi) {
        ReadStandardMidi(bytes, song, diagnostics);
        AnsiCodePage codePage;
        texts.title = codePage.Decode(song.GetTitle());
        if (texts.title.empty()) texts.title = fileName;
        texts.copyright = codePage.Decode(song.GetCopyRight());
    } else if (kind == SongKind::Pellomar) {
        const std::u16string text = AnsiToUtf16({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        PellomarHeaderTexts header = ReadPellomarHeaderTexts(text, fileName);
        // Decoded aside, so that a song too large to hold changes nothing.
        CMidi decoded(0, 0);
        decoded.m_Header = song.m_Header;
        DecodePellomarText(decoded, text);
        song = std::move(decoded);
        texts.title = std::move(header.title);
        texts.copyright = std::move(header.builder);
        texts.comment = std::move(header.comment);
    }
    return kind;
}

SongKind OpenSongFile(const std::filesystem::path& path, CMidi& song, SongTexts& texts, DiagnosticsSink& diagnostics)
{
    File file = File::OpenForReading(path);
    std::array<std::uint8_t, 4> magic{};
    const std::size_t got = file.Read(magic.data(), magic.size());
    if (DetectSongKind(std::span(magic.data(), got)) == SongKind::Neither) return SongKind::Neither;
    file.SeekToBegin();
    const std::string bytes = ReadToEnd(file);
    try {
        return LoadSongBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, DisplayName(path), song,
                             texts, diagnostics);
    } catch (const SongTooLarge&) {
        throw FileError("cannot open", path, EFBIG);
    }
}

std::string DiagnosticMessage(const Diagnostic& diagnostic)
{
    return std::string(FaultText(diagnostic.fault)) + " (offset " + std::to_string(diagnostic.offset) + ")";
}

void SaveStandardMidiFile(const CMidi& song, const std::filesystem::path& path)
{
    AtomicFileWriter writer(path);
    CArchive archive(writer.Temporary(), CArchive::Mode::Store);
    WriteStandardMidi(song, archive);
    archive.Close();
    writer.Commit();
}

}  // namespace tamsel
