#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/load_song.h"
#include "io/file.h"
#include "songfile/song_file.h"
#include "text/code_page.h"
#include "text/unicode.h"

namespace tamsel::cli {

namespace {

const char* KindName(SongKind kind)
{
    return kind == SongKind::Pellomar ? "Pellomar file" : "Standard MIDI File";
}

// Prints "label: text"; further lines of a several-line text are indented.
void PrintText(const char* label, std::u16string_view text)
{
    std::string value = Utf16ToUtf8(text);
    std::string shown;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
        shown.push_back(value[i]);
        if (value[i] == '\n') shown.append("  ");
    }
    std::printf("%s: %s\n", label, shown.c_str());
}

}  // namespace

int RunInfo(std::span<const std::string_view> args)
{
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) {
        std::fputs("usage: tamsel-cli info FILE\n", stderr);
        return kExitUsage;
    }
    const std::string input(args[0]);
    const std::optional<LoadedSong> loaded = LoadSong(input);
    if (!loaded) return kExitNothingWritten;
    const CMidi& song = loaded->song;
    const SongTexts& texts = loaded->texts;
    const SongKind kind = loaded->kind;

    std::printf("kind: %s\n", KindName(kind));
    std::printf("format: %u\ntracks: %u\ndivision: %u\n", unsigned{song.m_Header.m_Format},
                unsigned{song.m_Header.m_TrackCount}, unsigned{song.m_Header.m_Division});
    std::size_t index = 0;
    for (const CMidiTrack& track : song.Tracks()) {
        std::uint64_t ticks = 0;
        for (const CMidiObj& event : track.m_EventList) ticks += event.m_Delta;
        std::printf("track %zu: %zu events, %llu ticks\n", index++, track.m_EventList.size(),
                    static_cast<unsigned long long>(ticks));
    }
    AnsiCodePage codePage;
    PrintText("title", codePage.Decode(song.GetTitle()));
    PrintText("copyright", codePage.Decode(song.GetCopyRight()));
    if (kind == SongKind::Pellomar) {
        PrintText("pellomar title", texts.title);
        PrintText("pellomar builder", texts.copyright);
        PrintText("pellomar comment", texts.comment);
    }
    return loaded->hadFaults ? kExitWrittenWithFaults : kExitOk;
}

}  // namespace tamsel::cli
